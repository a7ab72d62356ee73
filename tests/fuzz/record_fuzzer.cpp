// A hostile host: between calls it writes garbage into any field of the
// record (the view, geometry, layer addresses, surface pointer and pitch,
// pixel-format fields, display handles, working words, clip, tables), swaps
// the slots the library itself calls through (0, 19, 28) for other operations
// or null, and calls any slot with arbitrary integer arguments. Pointers it
// passes are its own and large enough for what it asks, as a host's must be;
// everything else is garbage. Under AddressSanitizer no operation may touch
// memory outside the library's storage and the host's buffers, and the
// guard bytes behind the layers stay as they were.
//
// Input: one byte for the display to start from (none, or a mode), then
// commands of 20 bytes: kind, three selector bytes, four 32-bit values.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "framestore/layers.h"
#include "interface/draw_block.h"
#include "platform/memory/memory_display.h"
#include "ruvodraw1024.h"
#include "tools/assets/sprite_codec.h"
#include "tools/assets/synthetic_sprites.h"

namespace ruvo::fuzz {
namespace {

constexpr size_t kCommandBytes = 20;
constexpr size_t kReadSlack = 512;  // sprites are trusted to be framed; runs may read on
constexpr int32_t kImageWidth = 1024, kImageHeight = 768;
constexpr int32_t kHostWidth = 200, kHostHeight = 100, kHostPitch = 208;
constexpr uint8_t kTailPattern = 0xA5;
constexpr size_t kTailOffset = kLayerBytes + kOverflowRowBytes;
constexpr size_t kTailBytes = kGuardRowBytes - kOverflowRowBytes;

struct Command {
    uint8_t kind, s1, s2, s3;
    int32_t a, b, c, d;
};

struct HostData {
    std::vector<uint8_t> sprites[4];  // one per run coding, with slack
    std::vector<uint32_t> font;       // a Font record, every code a glyph
    uint8_t tile[1024];
    uint16_t colours[256];
    uint32_t blend[256];
    std::vector<uint16_t> image = std::vector<uint16_t>(size_t{kImageWidth} * kImageHeight);
    std::vector<uint16_t> host_image = std::vector<uint16_t>(size_t{kHostPitch} * kHostHeight);
    std::vector<uint8_t> mask = std::vector<uint8_t>(size_t{kHostPitch} * kHostHeight);
    uint16_t convert[300];
    uint32_t convert_alternate[300];
};

HostData &Host() {
    static HostData h = [] {
        HostData d{};
        uint32_t r = 777;
        auto next = [&r] { return r = r * 1664525 + 1013904223; };
        for (int coding = 0; coding < 4; ++coding) {
            assets::SyntheticShape shape;
            shape.width = 40;
            shape.height = 24;
            shape.coding = RunCoding(coding);
            d.sprites[coding] = assets::EncodeSprite(
                assets::SyntheticImage(shape, uint32_t(coding + 1)), shape.coding);
            d.sprites[coding].resize(d.sprites[coding].size() + kReadSlack, 0);
        }
        // Every code's glyph is the index sprite, advances from 0 to 255.
        const std::vector<uint8_t> &glyph = d.sprites[int(RunCoding::IndexRuns)];
        std::vector<uint8_t> font(sizeof(RuvoFont), 0);
        RuvoFont tables{};
        for (int c = 0; c < 256; ++c) {
            tables.GlyphOffset[c] = uint32_t(sizeof(RuvoFont));
            tables.Advance[c][0] = uint8_t(next() >> 24);
        }
        std::memcpy(font.data(), &tables, sizeof tables);
        font.insert(font.end(), glyph.begin(), glyph.end());
        d.font.resize((font.size() + 3) / 4);
        std::memcpy(d.font.data(), font.data(), font.size());
        for (uint8_t &b : d.tile) b = uint8_t(next() >> 24);
        for (int i = 0; i < 256; ++i) {
            d.colours[i] = uint16_t(next() >> 16);
            d.blend[i] = next();
        }
        return d;
    }();
    return h;
}

const void *SpriteOf(uint8_t selector) { return Host().sprites[selector % 4].data(); }

// A text of up to 15 bytes from the command's values.
struct Text {
    char bytes[16] = {};
    explicit Text(const Command &c) {
        std::memcpy(bytes, &c.b, 4);
        std::memcpy(bytes + 4, &c.c, 4);
        std::memcpy(bytes + 8, &c.d, 4);
        bytes[c.s3 % 13] = 0;
    }
};

void RUVO_CDECL DoNothing() {}

// The slots the library calls through, set to null, the library's own, or
// another operation of the same type.
void SwapLibraryCalledSlot(RuvoDrawBlock *db, const RuvoOperations &own, const Command &c) {
    RuvoOperations &op = db->OperationSlot.Op;
    switch (c.s1 % 3) {
        case 0: {
            const RuvoResetViewFn choices[] = {nullptr, own.ResetView, DoNothing};
            op.ResetView = choices[c.s2 % 3];
            break;
        }
        case 1: {
            const RuvoStampBackSpriteFn choices[] = {
                nullptr, own.StampBackSprite, own.StampBackSpritePlain, own.DrawScreenSpriteTested};
            op.StampBackSprite = choices[c.s2 % 4];
            break;
        }
        default: {
            const RuvoDrawScreenSpriteFn choices[] = {
                nullptr, own.DrawScreenSprite, own.DrawBackSprite, own.DrawScreenBlendSprite};
            op.DrawScreenSprite = choices[c.s2 % 4];
            break;
        }
    }
}

// Writes garbage into one field of the record.
void Garble(RuvoDrawBlock *db, const Command &c) {
    const auto u = static_cast<uint32_t>(c.a);
    void *pointer = reinterpret_cast<void *>(static_cast<uintptr_t>(u) * 4099u);
    switch (c.s1 % 24) {
        case 0:
            db->ScrollOffset = c.a;
            break;
        case 1:
            db->WrapRow = c.a;
            break;
        case 2:
            db->ScrollOffset = c.a;
            db->WrapRow = c.b;
            break;
        case 3:
            db->ScreenWidth = c.a;
            db->ScreenHeight = c.b;
            break;
        case 4:
            db->LayerPitch = c.a;
            break;
        case 5:
            db->ScreenLayer = static_cast<uint16_t *>(pointer);
            break;
        case 6:
            db->BackLayer = static_cast<uint16_t *>(pointer);
            break;
        case 7:
            db->DepthLayer = static_cast<uint16_t *>(pointer);
            break;
        case 8:
            db->SurfacePointer = pointer;
            break;
        case 9:
            db->SurfacePitch = c.a;
            break;
        case 10:
            db->RedMask = u;
            db->GreenMask = uint32_t(c.b);
            db->BlueMask = uint32_t(c.c);
            break;
        case 11:
            db->RedShift = uint16_t(u);
            db->GreenShift = uint16_t(u >> 16);
            db->BlueShift = uint16_t(c.b);
            break;
        case 12:
            db->LowBitsMask = u;
            db->HighBitsMask = uint32_t(c.b);
            break;
        case 13:
            db->NotLowBitsMask = u;
            db->NotHighBitsMask = uint32_t(c.b);
            break;
        case 14:
            db->SpreadMask = u;
            db->SpreadHighBitsMask = uint32_t(c.b);
            break;
        case 15:
            db->ShadowTint = u;
            break;
        case 16:
            db->DirectDrawObject = pointer;
            break;
        case 17:
            db->PrimarySurface = pointer;
            break;
        case 18:
            db->DisplayWindow = pointer;
            db->ExclusiveMode = c.b;
            break;
        case 19:
            db->AnchoredRectWork[c.s2 % 6] = c.a;
            break;
        case 20:
            db->LightGridWork[c.s2 % 4] = c.a;
            break;
        case 21:
            db->ClipLeft = c.a;
            db->ClipTop = c.b;
            db->ClipRight = c.c;
            db->ClipBottom = c.d;
            break;
        case 22:
            std::memcpy(&db->LightGrid[c.s2 % 97][(c.s3 % 20) * 4], &c.a, 4);
            std::memcpy(&db->ShadeTable[u % 16383], &c.b, 4);
            break;
        default:
            db->Reserved0 = uint16_t(u);
            db->Reserved1 = uint32_t(c.b);
            db->ReservedArea[c.s2 % 648] = uint8_t(c.c);
            break;
    }
}

// Calls the slot the command names, through the table, with the command's
// values as its integer arguments and the host's own buffers as its pointers.
void CallSlot(RuvoDrawBlock *db, const Command &c) {
    HostData &h = Host();
    const RuvoOperations &op = db->OperationSlot.Op;
    if (!db->OperationSlot.Slot[c.s1 % 59]) return;  // emptied above: a host calls no null slot
    const auto u = static_cast<uint32_t>(c.c);
    const void *sprite = SpriteOf(c.s2);
    const auto *font = reinterpret_cast<const RuvoFont *>(h.font.data());
    // Host images are the layer's size; a rectangle read into or out of one
    // sits at the same place in it, so every pixel copied has a place there.
    auto image_rect = [&](int32_t &x, int32_t &y, int32_t &w, int32_t &h_) {
        x = int32_t(uint32_t(c.a) % kImageWidth);
        y = int32_t(uint32_t(c.b) % kImageHeight);
        w = int32_t(uint32_t(c.c) % (kImageWidth + 1 - x));
        h_ = int32_t(uint32_t(c.d) % (kImageHeight + 1 - y));
    };
    int32_t x, y, w, hh;
    switch (c.s1 % 59) {
        case RUVO_SLOT_ResetView:
            op.ResetView();
            break;
        case RUVO_SLOT_OpenDisplay:
            op.OpenDisplay(nullptr, c.a);
            break;  // only the in-memory display
        case RUVO_SLOT_CloseDisplay:
            op.CloseDisplay();
            break;
        case RUVO_SLOT_SetScreenMode:
            if (c.s2 & 1)
                op.SetScreenMode(c.a, c.b);
            else
                op.SetScreenMode(int32_t(uint32_t(c.a) % 1100), int32_t(uint32_t(c.b) % 800));
            break;
        case RUVO_SLOT_AnalysePixelFormat:
            op.AnalysePixelFormat(uint32_t(c.a), uint32_t(c.b), u);
            break;
        case RUVO_SLOT_ReleasePrimary:
            op.ReleasePrimary();
            break;
        case RUVO_SLOT_LockPrimary:
            op.LockPrimary();
            break;
        case RUVO_SLOT_UnlockPrimary:
            op.UnlockPrimary();
            break;
        case RUVO_SLOT_Scroll:
            op.Scroll(c.a, c.b);
            break;
        case RUVO_SLOT_ConvertColours:
            op.ConvertColours(h.colours, h.convert, int32_t(uint32_t(c.a) % 277) - 20);
            break;
        case RUVO_SLOT_ConvertAlternateColours:
            op.ConvertAlternateColours(h.convert_alternate, h.convert_alternate,
                                       int32_t(uint32_t(c.a) % 320) - 20);
            break;
        case RUVO_SLOT_MeasureText:
            op.MeasureText(Text(c).bytes, font);
            break;
        case RUVO_SLOT_DrawBackText:
            op.DrawBackText(c.a, c.b, Text(c).bytes, font, h.colours);
            break;
        case RUVO_SLOT_DrawText:
            op.DrawText(c.a, c.b, Text(c).bytes, font, h.colours);
            break;
        case RUVO_SLOT_DrawShadedTile:
            op.DrawShadedTile(c.a, c.b, c.c, c.d, c.a ^ c.d, c.b ^ c.c, h.tile);
            break;
        case RUVO_SLOT_TintTile:
            op.TintTile(c.a, c.b, u);
            break;
        case RUVO_SLOT_DrawBackSpriteP1:
            op.DrawBackSpriteP1(c.a, c.b, sprite);
            break;
        case RUVO_SLOT_DrawBackSpriteP2:
            op.DrawBackSpriteP2(c.a, c.b, sprite);
            break;
        case RUVO_SLOT_StampBackSpriteP0:
            op.StampBackSpriteP0(c.a, c.b, c.c, sprite);
            break;
        case RUVO_SLOT_StampBackSprite:
            op.StampBackSprite(c.a, c.b, c.c, h.colours, sprite);
            break;
        case RUVO_SLOT_StampBackSpritePlain:
            op.StampBackSpritePlain(c.a, c.b, c.c, h.colours, sprite);
            break;
        case RUVO_SLOT_DrawBackSprite:
            op.DrawBackSprite(c.a, c.b, h.colours, sprite);
            break;
        case RUVO_SLOT_CastBackShadow:
            op.CastBackShadow(c.a, c.b, u, sprite);
            break;
        case RUVO_SLOT_CopyBackToScreen:
            op.CopyBackToScreen(c.a, c.b, c.c, c.d);
            break;
        case RUVO_SLOT_PutBackPixel:
            op.PutBackPixel(c.a, c.b, u);
            break;
        case RUVO_SLOT_DarkenTile:
            op.DarkenTile(c.a, c.b, c.c, c.d, c.a ^ c.d, c.b ^ c.c);
            break;
        case RUVO_SLOT_BlackenTile:
            op.BlackenTile(c.a, c.b, c.c, c.d, 0, 0, h.tile);
            break;
        case RUVO_SLOT_ApplyLightGrid:
            op.ApplyLightGrid(c.a, c.b, c.c, c.d);
            break;
        case RUVO_SLOT_DrawScreenSprite:
            op.DrawScreenSprite(c.a, c.b, h.colours, sprite);
            break;
        case RUVO_SLOT_DrawScreenColourSprite:
            op.DrawScreenColourSprite(c.a, c.b, sprite);
            break;
        case RUVO_SLOT_DrawScreenBlendSprite:
            op.DrawScreenBlendSprite(c.a, c.b, h.colours, sprite);
            break;
        case RUVO_SLOT_DrawScreenSpriteTested:
            op.DrawScreenSpriteTested(c.a, c.b, c.c, h.colours, sprite);
            break;
        case RUVO_SLOT_DrawScreenBlendSpriteTested:
            op.DrawScreenBlendSpriteTested(c.a, c.b, c.c, h.colours, sprite);
            break;
        case RUVO_SLOT_DrawScreenBlendSpriteStippled:
            op.DrawScreenBlendSpriteStippled(c.a, c.b, c.c, h.colours, sprite);
            break;
        case RUVO_SLOT_DrawScreenSpriteTranslucent:
            op.DrawScreenSpriteTranslucent(c.a, c.b, c.c, h.blend, sprite);
            break;
        case RUVO_SLOT_CastScreenShadow:
            op.CastScreenShadow(c.a, c.b, u, sprite);
            break;
        case RUVO_SLOT_DrawScreenSpriteAdditive:
            op.DrawScreenSpriteAdditive(c.a, c.b, c.c, h.colours, sprite);
            break;
        case RUVO_SLOT_ApplyScreenLight:
            op.ApplyScreenLight(c.a, c.b, c.c, sprite);
            break;
        case RUVO_SLOT_DrawScreenSpriteFaded:
            op.DrawScreenSpriteFaded(c.a, c.b, c.c, h.colours, sprite);
            break;
        case RUVO_SLOT_PutPixel:
            op.PutPixel(c.a, c.b, u);
            break;
        case RUVO_SLOT_FillRect:
            op.FillRect(c.a, c.b, c.c, c.d, uint32_t(c.a ^ c.b));
            break;
        case RUVO_SLOT_DrawRect:
            op.DrawRect(c.a, c.b, c.c, c.d, uint32_t(c.a ^ c.b));
            break;
        case RUVO_SLOT_DrawHLine:
            op.DrawHLine(c.a, c.b, c.c, uint32_t(c.d));
            break;
        case RUVO_SLOT_DrawVLine:
            op.DrawVLine(c.a, c.b, c.c, uint32_t(c.d));
            break;
        case RUVO_SLOT_BlendRect:
            op.BlendRect(c.a, c.b, c.c, c.d, uint32_t(c.a ^ c.b));
            break;
        case RUVO_SLOT_DrawAnchoredRect:
            op.DrawAnchoredRect(c.a, c.b, c.c, c.d, uint32_t(c.a ^ c.b));
            break;
        case RUVO_SLOT_DrawDottedEllipse:
            // Radii in the hundreds of millions trace for seconds: kept near the view.
            op.DrawDottedEllipse(c.a % 4096, c.b % 4096, c.c % 3000, uint32_t(c.a), c.d);
            break;
        case RUVO_SLOT_PresentLit:
            op.PresentLit(c.a, c.b, c.c, c.d);
            break;
        case RUVO_SLOT_PresentRect:
            op.PresentRect(c.a, c.b, c.c, c.d);
            break;
        case RUVO_SLOT_ApplyLightGridAlias:
            op.ApplyLightGridAlias(c.a, c.b, c.c, c.d);
            break;
        case RUVO_SLOT_ReadScreenRect:
            image_rect(x, y, w, hh);
            op.ReadScreenRect(x, y, w, hh, x, y, kImageWidth, h.image.data());
            break;
        case RUVO_SLOT_ClearDepthFlag:
            op.ClearDepthFlag(c.a, c.b, c.c, c.d);
            break;
        case RUVO_SLOT_ResetDepth:
            op.ResetDepth();
            break;
        case RUVO_SLOT_PresentImage:
            image_rect(x, y, w, hh);
            op.PresentImage(x, y, w, hh, x, y, kImageWidth, h.image.data());
            break;
        case RUVO_SLOT_CopyImageRect:
            image_rect(x, y, w, hh);
            op.CopyImageRect(x, y, kImageWidth, h.image.data(), x, y, kImageWidth, h.image.data(),
                             w, hh);
            break;
        default: {
            // The surface blits: a host image and mask buffer with a clip inside them.
            const RuvoSurfaceDesc desc{h.host_image.data(),
                                       kHostPitch,
                                       int32_t(uint32_t(c.c) % kHostWidth),
                                       int32_t(uint32_t(c.d) % kHostHeight),
                                       int32_t(uint32_t(c.c >> 8) % kHostWidth),
                                       int32_t(uint32_t(c.d >> 8) % kHostHeight)};
            if (c.s1 % 59 == RUVO_SLOT_DrawSpriteToSurface) {
                op.DrawSpriteToSurface(c.a, c.b, sprite,
                                       c.s3 & 1 ? static_cast<const void *>(h.blend) : h.colours,
                                       &desc);
            } else if (c.s1 % 59 == RUVO_SLOT_BlendSpriteToSurface) {
                op.BlendSpriteToSurface(c.a, c.b, c.c, h.colours, sprite, &desc);
            } else if (c.s1 % 59 == RUVO_SLOT_StampSpriteMask) {
                op.StampSpriteMask(c.a, c.b, sprite, u, &desc, h.mask.data());
            } else {
                op.ReleaseDisplay();
            }
            break;
        }
    }
}

// The bytes behind the OverflowRows of the screen and back layers, which no
// operation writes; the last word before the depth layer is 0 and stays so.
uint8_t *GuardTail(int layer) {
    return theLayers.bytes + layer * size_t{kLayerSpacingBytes} + kTailOffset;
}

void MarkGuardTails() {
    for (int layer = 0; layer < 2; ++layer) std::memset(GuardTail(layer), kTailPattern, kTailBytes);
    std::memset(theLayers.bytes + 2 * kLayerSpacingBytes - 2, 0, 2);
}

void CheckGuardTails() {
    for (int layer = 0; layer < 2; ++layer) {
        const uint8_t *tail = GuardTail(layer);
        const size_t patterned = layer == 0 ? kTailBytes : kTailBytes - 2;
        if (std::any_of(tail, tail + patterned, [](uint8_t b) { return b != kTailPattern; })) {
            std::fprintf(stderr, "record fuzzer: guard bytes behind layer %d changed\n", layer);
            std::abort();
        }
    }
    if (theLayers.bytes[2 * kLayerSpacingBytes - 2] | theLayers.bytes[2 * kLayerSpacingBytes - 1]) {
        std::fprintf(stderr, "record fuzzer: the word before the depth layer changed\n");
        std::abort();
    }
}

}  // namespace
}  // namespace ruvo::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    using namespace ruvo::fuzz;
    // Every input starts from a library without a display.
    ruvo::platform::memory::ResetControl();
    RuvoDrawBlock *db = RuvoDraw_Init();
    db->DirectDrawObject = db->PrimarySurface = db->SurfacePointer = db->DisplayWindow = nullptr;
    static const RuvoOperations own = db->OperationSlot.Op;
    Host();
    MarkGuardTails();
    // Start from a display most of the time, so that presentation runs.
    if (size > 0 && (data[0] & 3) != 0) {
        db->OperationSlot.Op.OpenDisplay(nullptr, data[0] & 4);
        db->OperationSlot.Op.SetScreenMode(1024 - (data[0] >> 3), 768 - (data[0] >> 4));
    }
    for (size_t at = 1; at + kCommandBytes <= size; at += kCommandBytes) {
        Command c{};
        std::memcpy(&c, data + at, kCommandBytes);
        switch (c.kind % 8) {
            case 0:
            case 1:
            case 2:
                Garble(db, c);
                break;
            case 3:
                SwapLibraryCalledSlot(db, own, c);
                break;
            default:
                CallSlot(db, c);
                break;
        }
    }
    CheckGuardTails();
    return 0;
}
