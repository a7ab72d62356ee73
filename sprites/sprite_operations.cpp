// The eighteen sprite operations: each is the row walker specialised by its
// coding, its per-pixel operation and its layer.
#include "interface/operations.h"
#include "simd/kernels.h"
#include "sprites/blit_rle.h"
#include "sprites/pixel_ops.h"

namespace ruvo {
namespace {

using Screen = LayerTarget<LayerId::Screen>;
using Back = LayerTarget<LayerId::Back>;
constexpr RunCoding kBlend = RunCoding::BlendRuns;
constexpr RunCoding kIndex = RunCoding::IndexRuns;
constexpr RunCoding kColour = RunCoding::ColourRuns;
constexpr RunCoding kMask = RunCoding::MaskRuns;

const uint16_t *Palette(int n) { return Block().SpritePalette[n]; }

// The run kernels of the current path, null on the scalar path.
const SpriteRunKernels *RunKernelsNow() {
    const KernelTable &table = Kernels();
    return table.path == SimdPath::Scalar ? nullptr : &table.sprite_runs;
}

// The 50% mix of blended literals reads LowBitsMask; its kernels take the
// complement, whatever NotLowBitsMask holds.
uint16_t MixNotLowBits() { return static_cast<uint16_t>(~Low16(Block().LowBitsMask)); }

PlainLookup PlainWith(const uint16_t *colours) {
    return {{.colours = colours, .not_low_bits = MixNotLowBits()}, RunKernelsNow()};
}

DepthTested TestedWith(const uint16_t *colours, int32_t depth) {
    return {{.colours = colours,
             .depth_reach = Screen::kDepthReach,
             .key = DepthKey(depth),
             .not_low_bits = MixNotLowBits()},
            RunKernelsNow()};
}

template <class Colours>
StampKeepingFlags<Colours> StampKeeping(Colours colours, int32_t depth) {
    const DrawBlock &b = Block();
    return {colours, DepthKey(depth), Low16(b.NotLowBitsMask), Low16(b.ShadowTint)};
}

// The flag argument counts by its low 16 bits only, so that a shadow writes
// no depth cell but its own.
Shadow ShadowWith(uint32_t flags, ptrdiff_t reach) {
    const DrawBlock &b = Block();
    return {{.depth_reach = reach,
             .flags = static_cast<uint16_t>(flags),
             .not_low_bits = Low16(b.NotLowBitsMask),
             .tint = Low16(b.ShadowTint)},
            RunKernelsNow(),
            {}};
}

}  // namespace

// The plain and depth-tested slots take the whole walker inline, so that the
// op's and the target's fields stay in registers and no row is a call: a
// one-pixel sprite draws in 0.8 of the time, larger ones alike.
#define RUVO_WHOLE_WALKER [[gnu::flatten]]

RUVO_WHOLE_WALKER void RUVO_CDECL DrawBackSpriteP1(int32_t x, int32_t y, const void *sprite) {
    BlitRle<kBlend>(x, y, sprite, PlainWith(Palette(1)), Back{});
}

RUVO_WHOLE_WALKER void RUVO_CDECL DrawBackSpriteP2(int32_t x, int32_t y, const void *sprite) {
    BlitRle<kBlend>(x, y, sprite, PlainWith(Palette(2)), Back{});
}

void RUVO_CDECL StampBackSpriteP0(int32_t x, int32_t y, int32_t depth, const void *sprite) {
    BlitRle<kBlend>(x, y, sprite, StampKeeping(TableColours{Palette(0)}, depth), Back{});
}

void RUVO_CDECL StampBackSprite(int32_t x, int32_t y, int32_t depth, const uint16_t *colours,
                                const void *sprite) {
    BlitRle<kIndex>(x, y, sprite, StampKeeping(TableColours{colours}, depth), Back{});
}

void RUVO_CDECL StampBackSpritePlain(int32_t x, int32_t y, int32_t depth, const uint16_t *colours,
                                     const void *sprite) {
    BlitRle<kBlend>(x, y, sprite, StampReplacing<TableColours>{{colours}, DepthKey(depth)}, Back{});
}

RUVO_WHOLE_WALKER void RUVO_CDECL DrawBackSprite(int32_t x, int32_t y, const uint16_t *colours,
                                                 const void *sprite) {
    BlitRle<kBlend>(x, y, sprite, PlainWith(colours), Back{});
}

void RUVO_CDECL CastBackShadow(int32_t x, int32_t y, uint32_t flags, const void *sprite) {
    BlitRle<kMask>(x, y, sprite, ShadowWith(flags, Back::kDepthReach), Back{});
}

RUVO_WHOLE_WALKER void RUVO_CDECL DrawScreenSprite(int32_t x, int32_t y, const uint16_t *colours,
                                                   const void *sprite) {
    BlitRle<kIndex>(x, y, sprite, PlainWith(colours), Screen{});
}

RUVO_WHOLE_WALKER void RUVO_CDECL DrawScreenColourSprite(int32_t x, int32_t y, const void *sprite) {
    BlitRle<kColour>(x, y, sprite, PlainOwnColours{{}, RunKernelsNow()}, Screen{});
}

RUVO_WHOLE_WALKER void RUVO_CDECL DrawScreenBlendSprite(int32_t x, int32_t y,
                                                        const uint16_t *colours,
                                                        const void *sprite) {
    BlitRle<kBlend>(x, y, sprite, PlainWith(colours), Screen{});
}

RUVO_WHOLE_WALKER void RUVO_CDECL DrawScreenSpriteTested(int32_t x, int32_t y, int32_t depth,
                                                         const uint16_t *colours,
                                                         const void *sprite) {
    BlitRle<kIndex>(x, y, sprite, TestedWith(colours, depth), Screen{});
}

RUVO_WHOLE_WALKER void RUVO_CDECL DrawScreenBlendSpriteTested(int32_t x, int32_t y, int32_t depth,
                                                              const uint16_t *colours,
                                                              const void *sprite) {
    BlitRle<kBlend>(x, y, sprite, TestedWith(colours, depth), Screen{});
}

void RUVO_CDECL DrawScreenBlendSpriteStippled(int32_t x, int32_t y, int32_t depth,
                                              const uint16_t *colours, const void *sprite) {
    const Stippled<TableColours> stippled{{colours}, DepthKey(depth), Block().ScrollOffset / 2};
    BlitRle<kBlend>(x, y, sprite, stippled, Screen{});
}

void RUVO_CDECL DrawScreenSpriteTranslucent(int32_t x, int32_t y, int32_t depth,
                                            const uint32_t *blend_table, const void *sprite) {
    const Translucent translucent{{.blend = blend_table,
                                   .depth_reach = Screen::kDepthReach,
                                   .s = ChannelSpread(),
                                   .key = DepthKey(depth)},
                                  RunKernelsNow()};
    BlitRle<kIndex>(x, y, sprite, translucent, Screen{});
}

void RUVO_CDECL CastScreenShadow(int32_t x, int32_t y, uint32_t flags, const void *sprite) {
    BlitRle<kMask>(x, y, sprite, ShadowWith(flags, Screen::kDepthReach), Screen{});
}

void RUVO_CDECL DrawScreenSpriteAdditive(int32_t x, int32_t y, int32_t depth,
                                         const uint16_t *colours, const void *sprite) {
    const DrawBlock &b = Block();
    const Additive additive{{.colours = colours,
                             .depth_reach = Screen::kDepthReach,
                             .key = DepthKey(depth),
                             .high_bits = Low16(b.HighBitsMask),
                             .red = Low16(b.RedMask),
                             .green = Low16(b.GreenMask),
                             .blue = Low16(b.BlueMask)},
                            RunKernelsNow()};
    BlitRle<kIndex>(x, y, sprite, additive, Screen{});
}

void RUVO_CDECL ApplyScreenLight(int32_t x, int32_t y, int32_t depth, const void *sprite) {
    const Light light{
        {.depth_reach = Screen::kDepthReach, .s = ChannelSpread(), .key = DepthKey(depth)},
        RunKernelsNow()};
    BlitRle<kIndex>(x, y, sprite, light, Screen{});
}

// The kernel's 16-bit products hold weights up to 31 only; others take the
// per-pixel rule.
void RUVO_CDECL DrawScreenSpriteFaded(int32_t x, int32_t y, int32_t weight, const uint16_t *colours,
                                      const void *sprite) {
    const auto w = static_cast<uint32_t>(weight);
    const Faded faded{{.colours = colours, .s = ChannelSpread(), .weight = w},
                      w <= 31 ? RunKernelsNow() : nullptr};
    BlitRle<kIndex>(x, y, sprite, faded, Screen{});
}

}  // namespace ruvo
