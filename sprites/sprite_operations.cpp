// The eighteen sprite operations: each is the row walker specialised by its
// coding, its per-pixel operation and its layer.
#include "interface/operations.h"
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

TableColours Palette(int n) { return {Block().SpritePalette[n]}; }

template <class Colours>
StampKeepingFlags<Colours> StampKeeping(Colours colours, int32_t depth) {
    const DrawBlock &b = Block();
    return {colours, DepthKey(depth), Low16(b.NotLowBitsMask), Low16(b.ShadowTint)};
}

// The flag argument counts by its low 16 bits only, so that a shadow writes
// no depth cell but its own.
Shadow ShadowWith(uint32_t flags) {
    const DrawBlock &b = Block();
    return {{}, static_cast<uint16_t>(flags), Low16(b.NotLowBitsMask), Low16(b.ShadowTint)};
}

}  // namespace

void RUVO_CDECL DrawBackSpriteP1(int32_t x, int32_t y, const void *sprite) {
    BlitRle<kBlend>(x, y, sprite, Plain<TableColours>{Palette(1)}, Back{});
}

void RUVO_CDECL DrawBackSpriteP2(int32_t x, int32_t y, const void *sprite) {
    BlitRle<kBlend>(x, y, sprite, Plain<TableColours>{Palette(2)}, Back{});
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
    BlitRle<kBlend>(x, y, sprite, Plain<TableColours>{{colours}}, Back{});
}

void RUVO_CDECL CastBackShadow(int32_t x, int32_t y, uint32_t flags, const void *sprite) {
    BlitRle<kMask>(x, y, sprite, ShadowWith(flags), Back{});
}

void RUVO_CDECL DrawScreenSprite(int32_t x, int32_t y, const uint16_t *colours,
                                 const void *sprite) {
    BlitRle<kIndex>(x, y, sprite, Plain<TableColours>{{colours}}, Screen{});
}

void RUVO_CDECL DrawScreenColourSprite(int32_t x, int32_t y, const void *sprite) {
    BlitRle<kColour>(x, y, sprite, Plain<OwnColours>{}, Screen{});
}

void RUVO_CDECL DrawScreenBlendSprite(int32_t x, int32_t y, const uint16_t *colours,
                                      const void *sprite) {
    BlitRle<kBlend>(x, y, sprite, Plain<TableColours>{{colours}}, Screen{});
}

void RUVO_CDECL DrawScreenSpriteTested(int32_t x, int32_t y, int32_t depth, const uint16_t *colours,
                                       const void *sprite) {
    BlitRle<kIndex>(x, y, sprite, DepthTested<TableColours>{{colours}, DepthKey(depth)}, Screen{});
}

void RUVO_CDECL DrawScreenBlendSpriteTested(int32_t x, int32_t y, int32_t depth,
                                            const uint16_t *colours, const void *sprite) {
    BlitRle<kBlend>(x, y, sprite, DepthTested<TableColours>{{colours}, DepthKey(depth)}, Screen{});
}

void RUVO_CDECL DrawScreenBlendSpriteStippled(int32_t x, int32_t y, int32_t depth,
                                              const uint16_t *colours, const void *sprite) {
    const Stippled<TableColours> stippled{{colours}, DepthKey(depth), Block().ScrollOffset / 2};
    BlitRle<kBlend>(x, y, sprite, stippled, Screen{});
}

void RUVO_CDECL DrawScreenSpriteTranslucent(int32_t x, int32_t y, int32_t depth,
                                            const uint32_t *blend_table, const void *sprite) {
    BlitRle<kIndex>(x, y, sprite, Translucent{{blend_table}, DepthKey(depth), ChannelSpread()},
                    Screen{});
}

void RUVO_CDECL CastScreenShadow(int32_t x, int32_t y, uint32_t flags, const void *sprite) {
    BlitRle<kMask>(x, y, sprite, ShadowWith(flags), Screen{});
}

void RUVO_CDECL DrawScreenSpriteAdditive(int32_t x, int32_t y, int32_t depth,
                                         const uint16_t *colours, const void *sprite) {
    const DrawBlock &b = Block();
    const Additive additive{{colours},        DepthKey(depth),    Low16(b.HighBitsMask),
                            Low16(b.RedMask), Low16(b.GreenMask), Low16(b.BlueMask)};
    BlitRle<kIndex>(x, y, sprite, additive, Screen{});
}

void RUVO_CDECL ApplyScreenLight(int32_t x, int32_t y, int32_t depth, const void *sprite) {
    BlitRle<kIndex>(x, y, sprite, Light{{}, DepthKey(depth), ChannelSpread()}, Screen{});
}

void RUVO_CDECL DrawScreenSpriteFaded(int32_t x, int32_t y, int32_t weight, const uint16_t *colours,
                                      const void *sprite) {
    BlitRle<kIndex>(x, y, sprite, Faded{{colours}, static_cast<uint32_t>(weight), ChannelSpread()},
                    Screen{});
}

}  // namespace ruvo
