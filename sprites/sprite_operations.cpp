// The eighteen sprite operations: each is the row walker specialised by its
// coding, its per-pixel operation and its layer.
#include "interface/operations.h"
#include "sprites/blit_rle.h"
#include "sprites/pixel_ops.h"
#include "sprites/sprite_kernels.h"

namespace ruvo {
namespace {

using Screen = LayerTarget<LayerId::Screen>;
using Back = LayerTarget<LayerId::Back>;
constexpr RunCoding kBlend = RunCoding::BlendRuns;
constexpr RunCoding kIndex = RunCoding::IndexRuns;
constexpr RunCoding kColour = RunCoding::ColourRuns;
constexpr RunCoding kMask = RunCoding::MaskRuns;

TableColours Palette(int n) { return {Block().SpritePalette[n]}; }

// The kernels of the current path and their arguments from the DrawBlock.
template <class Op>
Op WithKernels(Op op, const uint16_t *colours, ptrdiff_t depth_reach, uint16_t key = 0,
               const uint32_t *blend = nullptr) {
    op.kernels = CurrentSpriteKernels();
    if (!op.kernels) return op;
    const DrawBlock &b = Block();
    op.args = {colours,
               blend,
               depth_reach,
               ChannelSpread(),
               0,
               key,
               Low16(b.LowBitsMask),
               Low16(b.NotLowBitsMask),
               Low16(b.ShadowTint),
               Low16(b.HighBitsMask),
               Low16(b.RedMask),
               Low16(b.GreenMask),
               Low16(b.BlueMask),
               0};
    return op;
}

template <class Colours>
Plain<Colours> PlainWith(Colours colours, ptrdiff_t reach) {
    return WithKernels(Plain<Colours>{colours}, colours.table, reach);
}

DepthTested<TableColours> TestedWith(const uint16_t *colours, int32_t depth) {
    const uint16_t key = DepthKey(depth);
    return WithKernels(DepthTested<TableColours>{{colours}, key}, colours, Screen::kDepthReach,
                       key);
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
    const auto low_flags = static_cast<uint16_t>(flags);
    Shadow shadow = WithKernels(Shadow{{}, low_flags, Low16(b.NotLowBitsMask), Low16(b.ShadowTint)},
                                nullptr, reach);
    shadow.args.flags = low_flags;
    return shadow;
}

}  // namespace

void RUVO_CDECL DrawBackSpriteP1(int32_t x, int32_t y, const void *sprite) {
    BlitRle<kBlend>(x, y, sprite, PlainWith(Palette(1), Back::kDepthReach), Back{});
}

void RUVO_CDECL DrawBackSpriteP2(int32_t x, int32_t y, const void *sprite) {
    BlitRle<kBlend>(x, y, sprite, PlainWith(Palette(2), Back::kDepthReach), Back{});
}

void RUVO_CDECL StampBackSpriteP0(int32_t x, int32_t y, int32_t depth, const void *sprite) {
    BlitRle<kBlend>(x, y, sprite, StampKeeping(Palette(0), depth), Back{});
}

void RUVO_CDECL StampBackSprite(int32_t x, int32_t y, int32_t depth, const uint16_t *colours,
                                const void *sprite) {
    BlitRle<kIndex>(x, y, sprite, StampKeeping(TableColours{colours}, depth), Back{});
}

void RUVO_CDECL StampBackSpritePlain(int32_t x, int32_t y, int32_t depth, const uint16_t *colours,
                                     const void *sprite) {
    BlitRle<kBlend>(x, y, sprite, StampReplacing<TableColours>{{colours}, DepthKey(depth)}, Back{});
}

void RUVO_CDECL DrawBackSprite(int32_t x, int32_t y, const uint16_t *colours, const void *sprite) {
    BlitRle<kBlend>(x, y, sprite, PlainWith(TableColours{colours}, Back::kDepthReach), Back{});
}

void RUVO_CDECL CastBackShadow(int32_t x, int32_t y, uint32_t flags, const void *sprite) {
    BlitRle<kMask>(x, y, sprite, ShadowWith(flags, Back::kDepthReach), Back{});
}

void RUVO_CDECL DrawScreenSprite(int32_t x, int32_t y, const uint16_t *colours,
                                 const void *sprite) {
    BlitRle<kIndex>(x, y, sprite, PlainWith(TableColours{colours}, Screen::kDepthReach), Screen{});
}

void RUVO_CDECL DrawScreenColourSprite(int32_t x, int32_t y, const void *sprite) {
    BlitRle<kColour>(x, y, sprite, Plain<OwnColours>{}, Screen{});
}

void RUVO_CDECL DrawScreenBlendSprite(int32_t x, int32_t y, const uint16_t *colours,
                                      const void *sprite) {
    BlitRle<kBlend>(x, y, sprite, PlainWith(TableColours{colours}, Screen::kDepthReach), Screen{});
}

void RUVO_CDECL DrawScreenSpriteTested(int32_t x, int32_t y, int32_t depth, const uint16_t *colours,
                                       const void *sprite) {
    BlitRle<kIndex>(x, y, sprite, TestedWith(colours, depth), Screen{});
}

void RUVO_CDECL DrawScreenBlendSpriteTested(int32_t x, int32_t y, int32_t depth,
                                            const uint16_t *colours, const void *sprite) {
    BlitRle<kBlend>(x, y, sprite, TestedWith(colours, depth), Screen{});
}

void RUVO_CDECL DrawScreenBlendSpriteStippled(int32_t x, int32_t y, int32_t depth,
                                              const uint16_t *colours, const void *sprite) {
    const Stippled<TableColours> stippled{{colours}, DepthKey(depth), Block().ScrollOffset / 2};
    BlitRle<kBlend>(x, y, sprite, stippled, Screen{});
}

void RUVO_CDECL DrawScreenSpriteTranslucent(int32_t x, int32_t y, int32_t depth,
                                            const uint32_t *blend_table, const void *sprite) {
    const uint16_t key = DepthKey(depth);
    const Translucent translucent = WithKernels(Translucent{{blend_table}, key, ChannelSpread()},
                                                nullptr, Screen::kDepthReach, key, blend_table);
    BlitRle<kIndex>(x, y, sprite, translucent, Screen{});
}

void RUVO_CDECL CastScreenShadow(int32_t x, int32_t y, uint32_t flags, const void *sprite) {
    BlitRle<kMask>(x, y, sprite, ShadowWith(flags, Screen::kDepthReach), Screen{});
}

void RUVO_CDECL DrawScreenSpriteAdditive(int32_t x, int32_t y, int32_t depth,
                                         const uint16_t *colours, const void *sprite) {
    const DrawBlock &b = Block();
    const uint16_t key = DepthKey(depth);
    const Additive additive = WithKernels(Additive{{colours},
                                                   key,
                                                   Low16(b.HighBitsMask),
                                                   Low16(b.RedMask),
                                                   Low16(b.GreenMask),
                                                   Low16(b.BlueMask)},
                                          colours, Screen::kDepthReach, key);
    BlitRle<kIndex>(x, y, sprite, additive, Screen{});
}

void RUVO_CDECL ApplyScreenLight(int32_t x, int32_t y, int32_t depth, const void *sprite) {
    const uint16_t key = DepthKey(depth);
    BlitRle<kIndex>(x, y, sprite,
                    WithKernels(Light{{}, key, ChannelSpread()}, nullptr, Screen::kDepthReach, key),
                    Screen{});
}

void RUVO_CDECL DrawScreenSpriteFaded(int32_t x, int32_t y, int32_t weight, const uint16_t *colours,
                                      const void *sprite) {
    const auto w = static_cast<uint32_t>(weight);
    Faded faded{{colours}, w, ChannelSpread()};
    // The kernel's 16-bit products hold weights up to 31 only; others take
    // the per-pixel rule.
    if (w <= 31) {
        faded = WithKernels(faded, colours, Screen::kDepthReach);
        faded.args.weight = w;
    }
    BlitRle<kIndex>(x, y, sprite, faded, Screen{});
}

}  // namespace ruvo
