// Host memory read or written by each operation; see host_memory.h.
#include "tools/trace/host_memory.h"

#include <algorithm>
#include <cstring>

#include "tools/trace/trace_file.h"

namespace ruvo::trace {
namespace {

constexpr int64_t kColourTableBytes = int64_t{256} * 2;
constexpr int64_t kBlendTableBytes = int64_t{256} * 4;
constexpr int64_t kTileBytes = 1024;
constexpr int64_t kFontHeaderBytes = 1540;

uint16_t U16(const uint8_t *p) { return uint16_t(p[0] | p[1] << 8); }

const uint8_t *Ptr(uint64_t word) {
    // NOLINTNEXTLINE(performance-no-int-to-ptr): arguments are addresses
    return reinterpret_cast<const uint8_t *>(static_cast<uintptr_t>(word));
}

int32_t I32(uint64_t word) { return static_cast<int32_t>(static_cast<uint32_t>(word)); }

void Add(std::vector<Region> &out, const uint64_t *args, uint8_t arg, int64_t lo, int64_t hi) {
    if (args[arg] == 0 || hi <= lo || hi - lo > kMaxRegionBytes) return;
    out.push_back({arg, lo, hi});
}

void AddSprite(std::vector<Region> &out, const uint64_t *args, uint8_t arg) {
    if (args[arg]) Add(out, args, arg, 0, SpriteBytes(Ptr(args[arg])));
}

// The font record and the glyphs of the string's characters.
int64_t FontBytes(const uint8_t *text, const uint8_t *font) {
    int64_t end = kFontHeaderBytes;
    bool seen[256] = {};
    for (const uint8_t *c = text; *c; ++c) {
        if (seen[*c]) continue;
        seen[*c] = true;
        uint32_t offset;
        std::memcpy(&offset, font + size_t{4} * *c, 4);
        end = std::max<int64_t>(end, int64_t(offset) + SpriteBytes(font + offset));
        if (end > kMaxRegionBytes) return end;
    }
    return end;
}

// Rows of a surface blit: the SurfaceDesc clip rectangle (low 16 bits of
// each field) cut to the sprite's rows; every column of the clip rectangle,
// since runs may reach past the declared width up to its right edge.
void AddSurfaceRows(std::vector<Region> &out, const uint64_t *args, uint8_t arg, int elem,
                    int32_t x, int32_t y, const uint8_t *sprite, const RuvoSurfaceDesc &desc) {
    (void)x;
    const int64_t left = desc.ClipLeft & 0xFFFF, top = desc.ClipTop & 0xFFFF;
    const int64_t right = desc.ClipRight & 0xFFFF, bottom = desc.ClipBottom & 0xFFFF;
    const int64_t first = int64_t(y) + int16_t(U16(sprite + 2));
    const int64_t last = first + U16(sprite + 6) - 1;
    const int64_t r0 = std::max(top, first), r1 = std::min(bottom, last);
    if (r0 > r1 || left > right) return;
    Region r{};
    if (ImageSpan(left, r0, right - left + 1, r1 - r0 + 1, desc.Pitch, elem, r)) {
        Add(out, args, arg, r.lo, r.hi);
    }
}

// A host image whose rectangle pairs with a layer rectangle: both are cut
// to the layer, the host side moving with the cut.
void AddImageCutToLayer(std::vector<Region> &out, const uint64_t *args, uint8_t arg, int32_t x,
                        int32_t y, int32_t width, int32_t height, int32_t image_x, int32_t image_y,
                        int32_t pitch) {
    if (width <= 0 || height <= 0) return;
    const int64_t x0 = std::max<int64_t>(x, 0), x1 = std::min<int64_t>(int64_t(x) + width, 1024);
    const int64_t y0 = std::max<int64_t>(y, 0), y1 = std::min<int64_t>(int64_t(y) + height, 768);
    if (x0 >= x1 || y0 >= y1) return;
    Region r{};
    if (ImageSpan(image_x + (x0 - x), image_y + (y0 - y), x1 - x0, y1 - y0, pitch, 2, r)) {
        Add(out, args, arg, r.lo, r.hi);
    }
}

}  // namespace

int64_t SpriteBytes(const uint8_t *sprite) {
    int64_t at = RUVO_SPRITE_HEADER_BYTES;
    const int rows = U16(sprite + 6);
    for (int i = 0; i < rows; ++i) at += 2 + U16(sprite + at);
    return at;
}

bool ImageSpan(int64_t x, int64_t y, int64_t width, int64_t height, int64_t pitch, int elem,
               Region &out) {
    if (width <= 0 || height <= 0) return false;
    const int64_t first = y * pitch + x, last = (y + height - 1) * pitch + x;
    out.lo = std::min(first, last) * elem;
    out.hi = (std::max(first, last) + width) * elem;
    return out.hi - out.lo <= kMaxRegionBytes;
}

std::vector<Region> CallRegions(int slot, const uint64_t *a) {
    std::vector<Region> out;
    switch (slot) {
        case RUVO_SLOT_ConvertColours:
            if (I32(a[2]) > 0) {
                Add(out, a, 0, 0, int64_t(I32(a[2])) * 2);
                Add(out, a, 1, 0, int64_t(I32(a[2])) * 2);
            }
            break;
        case RUVO_SLOT_ConvertAlternateColours:  // the low half of each 32-bit element
            if (I32(a[2]) > 0) {
                Add(out, a, 0, 0, int64_t(I32(a[2])) * 4 - 2);
                Add(out, a, 1, 0, int64_t(I32(a[2])) * 4 - 2);
            }
            break;
        case RUVO_SLOT_MeasureText:
            if (a[0])
                Add(out, a, 0, 0,
                    int64_t(std::strlen(reinterpret_cast<const char *>(Ptr(a[0])))) + 1);
            Add(out, a, 1, 0, kFontHeaderBytes);
            break;
        case RUVO_SLOT_DrawBackText:
        case RUVO_SLOT_DrawText:
            if (a[2]) {
                Add(out, a, 2, 0,
                    int64_t(std::strlen(reinterpret_cast<const char *>(Ptr(a[2])))) + 1);
                if (a[3]) Add(out, a, 3, 0, FontBytes(Ptr(a[2]), Ptr(a[3])));
            }
            Add(out, a, 4, 0, kColourTableBytes);
            break;
        case RUVO_SLOT_DrawShadedTile:
        case RUVO_SLOT_BlackenTile:
            Add(out, a, 6, 0, kTileBytes);
            break;
        case RUVO_SLOT_DrawBackSpriteP1:
        case RUVO_SLOT_DrawBackSpriteP2:
        case RUVO_SLOT_DrawScreenColourSprite:
            AddSprite(out, a, 2);
            break;
        case RUVO_SLOT_StampBackSpriteP0:
        case RUVO_SLOT_CastBackShadow:
        case RUVO_SLOT_CastScreenShadow:
        case RUVO_SLOT_ApplyScreenLight:
            AddSprite(out, a, 3);
            break;
        case RUVO_SLOT_DrawBackSprite:
        case RUVO_SLOT_DrawScreenSprite:
        case RUVO_SLOT_DrawScreenBlendSprite:
            Add(out, a, 2, 0, kColourTableBytes);
            AddSprite(out, a, 3);
            break;
        case RUVO_SLOT_StampBackSprite:
        case RUVO_SLOT_StampBackSpritePlain:
        case RUVO_SLOT_DrawScreenSpriteTested:
        case RUVO_SLOT_DrawScreenBlendSpriteTested:
        case RUVO_SLOT_DrawScreenBlendSpriteStippled:
        case RUVO_SLOT_DrawScreenSpriteAdditive:
        case RUVO_SLOT_DrawScreenSpriteFaded:
            Add(out, a, 3, 0, kColourTableBytes);
            AddSprite(out, a, 4);
            break;
        case RUVO_SLOT_DrawScreenSpriteTranslucent:
            Add(out, a, 3, 0, kBlendTableBytes);
            AddSprite(out, a, 4);
            break;
        case RUVO_SLOT_ReadScreenRect:
            AddImageCutToLayer(out, a, 7, I32(a[0]), I32(a[1]), I32(a[2]), I32(a[3]), I32(a[4]),
                               I32(a[5]), I32(a[6]));
            break;
        case RUVO_SLOT_PresentImage:
            AddImageCutToLayer(out, a, 7, I32(a[4]), I32(a[5]), I32(a[2]), I32(a[3]), I32(a[0]),
                               I32(a[1]), I32(a[6]));
            break;
        case RUVO_SLOT_CopyImageRect: {
            Region r{};
            if (ImageSpan(I32(a[0]), I32(a[1]), I32(a[8]), I32(a[9]), I32(a[2]), 2, r)) {
                Add(out, a, 3, r.lo, r.hi);
            }
            if (ImageSpan(I32(a[4]), I32(a[5]), I32(a[8]), I32(a[9]), I32(a[6]), 2, r)) {
                Add(out, a, 7, r.lo, r.hi);
            }
            break;
        }
        case RUVO_SLOT_DrawSpriteToSurface:
        case RUVO_SLOT_BlendSpriteToSurface: {
            const bool draw = slot == RUVO_SLOT_DrawSpriteToSurface;
            const uint8_t sprite_arg = draw ? 2 : 4, table_arg = 3, desc_arg = draw ? 4 : 5;
            if (!a[sprite_arg] || !a[desc_arg]) break;
            const uint8_t *sprite = Ptr(a[sprite_arg]);
            AddSprite(out, a, sprite_arg);
            const uint8_t kind = sprite[8];
            if (!draw || kind != RUVO_KIND_SHADOW) {
                Add(out, a, table_arg, 0,
                    draw && kind == RUVO_KIND_TRANSLUCENT ? kBlendTableBytes : kColourTableBytes);
            }
            Add(out, a, desc_arg, 0, sizeof(RuvoSurfaceDesc));
            RuvoSurfaceDesc desc;
            std::memcpy(&desc, Ptr(a[desc_arg]), sizeof desc);
            if (desc.Base) {
                // Regions of the image count from Base, as kDescBase.
                uint64_t words[kDescBase + 1] = {};
                words[kDescBase] = reinterpret_cast<uintptr_t>(desc.Base);
                AddSurfaceRows(out, words, kDescBase, 2, I32(a[0]), I32(a[1]), sprite, desc);
            }
            break;
        }
        case RUVO_SLOT_StampSpriteMask: {
            if (!a[2] || !a[4]) break;
            AddSprite(out, a, 2);
            Add(out, a, 4, 0, sizeof(RuvoSurfaceDesc));
            RuvoSurfaceDesc desc;
            std::memcpy(&desc, Ptr(a[4]), sizeof desc);
            AddSurfaceRows(out, a, 5, 1, I32(a[0]), I32(a[1]), Ptr(a[2]), desc);
            break;
        }
        default:
            break;
    }
    return out;
}

}  // namespace ruvo::trace
