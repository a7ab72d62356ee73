// Sprite blits into host-owned memory: a 16-bit image or an 8-bit mask buffer
// described by a SurfaceDesc. The sprite row walker is the layers' own, with
// a target that has the host's base, pitch and clip rectangle and no ring;
// the per-pixel rules are those of the matching screen-layer operations.
#include <cstdint>
#include <limits>

#include "interface/operations.h"
#include "sprites/blit_rle.h"
#include "sprites/pixel_ops.h"

namespace ruvo {
namespace {

// A host image or mask buffer. The clip fields count by their low 16 bits,
// unsigned, and bound the rows: the host owns the memory they describe, so a
// bottom edge below row 767 is drawn to as well. Rows never wrap.
template <class CellType>
struct SurfaceTarget {
    using Cell = CellType;
    static constexpr bool kHasDepth = false;
    static constexpr ptrdiff_t wrap_cells = 0;
    static constexpr ptrdiff_t origin = 0;
    static constexpr int32_t wrap_row = std::numeric_limits<int32_t>::max();

    SurfaceTarget(Cell *first, const RuvoSurfaceDesc &desc)
        : cells(first),
          clip{Low(desc.ClipLeft), Low(desc.ClipTop), Low(desc.ClipRight), Low(desc.ClipBottom)},
          pitch(desc.Pitch) {}

    static int32_t Low(int32_t v) { return static_cast<uint16_t>(v); }
    static uint16_t *DepthOf(Cell *) { return nullptr; }

    Cell *cells;
    ClipRect clip;
    ptrdiff_t pitch;
};

using ImageTarget = SurfaceTarget<uint16_t>;
using MaskTarget = SurfaceTarget<uint8_t>;

// Shadow on the image alone: where d & 0x8007 == 0, d = ((d & ~low) >> 1) + tint.
struct ImageShadow {
    NoColour colours;
    uint16_t not_low_bits, tint;
    void Draw(uint16_t &d, uint16_t, const PixelSite &) const {
        if ((d & 0x8007) == 0) d = HalveTint(d, not_low_bits, tint);
    }
};

// Translucent without a depth test: w = e >> 19; unless w & 0xFF == 31,
// d = fold(((spread(d) x w) >> 5) & S) + (e & 0xFFFF).
struct ImageTranslucent {
    BlendEntries colours;
    uint32_t s;
    void Draw(uint16_t &d, uint32_t e, const PixelSite &) const {
        const uint32_t w = e >> 19;
        if ((w & 0xFF) != 31) d = static_cast<uint16_t>(ScaleBy32nds(d, w, s) + e);
    }
};

// Every covered mask byte becomes the value.
struct MaskStamp {
    static constexpr bool kBlockFill = true;
    struct Value {
        uint8_t value;
        uint8_t operator()(uint16_t) const { return value; }
    } colours;
    void Draw(uint8_t &d, uint8_t v, const PixelSite &) const { d = v; }
};

}  // namespace

// The sprite's kind byte chooses its coding and rule: 0xA2 blend runs drawn
// as by DrawScreenBlendSprite, 0xA3 a shadow mask, 0xA9 translucent through a
// BlendTable, anything else index runs through a colour table.
void RUVO_CDECL DrawSpriteToSurface(int32_t x, int32_t y, const void *sprite, const void *table,
                                    const RuvoSurfaceDesc *surface) {
    const ImageTarget target{surface->Base, *surface};
    const DrawBlock &b = Block();
    switch (static_cast<const uint8_t *>(sprite)[8]) {
        case 0xA2:
            BlitRle<RunCoding::BlendRuns>(
                x, y, sprite, Plain<TableColours>{{static_cast<const uint16_t *>(table)}}, target);
            break;
        case 0xA3:
            BlitRle<RunCoding::MaskRuns>(
                x, y, sprite, ImageShadow{{}, Low16(b.NotLowBitsMask), Low16(b.ShadowTint)},
                target);
            break;
        case 0xA9:
            BlitRle<RunCoding::IndexRuns>(
                x, y, sprite,
                ImageTranslucent{{static_cast<const uint32_t *>(table)}, ChannelSpread()}, target);
            break;
        default:
            BlitRle<RunCoding::IndexRuns>(
                x, y, sprite, Plain<TableColours>{{static_cast<const uint16_t *>(table)}}, target);
            break;
    }
}

void RUVO_CDECL BlendSpriteToSurface(int32_t x, int32_t y, int32_t weight, const uint16_t *colours,
                                     const void *sprite, const RuvoSurfaceDesc *surface) {
    // No run kernels: they draw into the layers only.
    const Faded faded{
        {.colours = colours, .s = ChannelSpread(), .weight = static_cast<uint32_t>(weight)},
        nullptr};
    BlitRle<RunCoding::IndexRuns>(x, y, sprite, faded, ImageTarget{surface->Base, *surface});
}

void RUVO_CDECL StampSpriteMask(int32_t x, int32_t y, const void *sprite, uint32_t value,
                                const RuvoSurfaceDesc *surface, uint8_t *mask) {
    const MaskStamp stamp{{static_cast<uint8_t>(value)}};
    BlitRle<RunCoding::IndexRuns>(x, y, sprite, stamp, MaskTarget{mask, *surface});
}

}  // namespace ruvo
