// Per-pixel operations of the sprite walker (sprites/blit_rle.h). Each is a
// small struct: what a run value draws with (colours), the rule for one pixel
// (Draw, its formula in the comment above it) and its compile-time traits.
// Everything an operation needs from the DrawBlock is taken at the call.
//
// Operations with run kernels (simd/kernels.h) name them by kLiteralKernel
// (and kBlendKernel) and keep what their rule reads in the kernels' own
// arguments (args); kernels points to the current path's table, and with it
// null every pixel takes the rule here. kRuleRows: the entry's whole-sprite
// and row kernels take index sprites where the path has them.
//
// Depth values hold a depth number in bits 5..15 and flags in bits 0..4.
// Bit 1 marks pixels that stamped sprites shade; shadows fall only where none
// of 0x8007 is set.
#pragma once

#include <cstdint>
#include <type_traits>

#include "framestore/pixel_math.h"
#include "simd/kernels.h"
#include "sprites/blit_rle.h"

namespace ruvo {

// Colour sources: what a run value draws with.
struct TableColours {  // a 256-entry table of 16-bit colours
    const uint16_t *table;
    uint16_t operator()(uint16_t index) const { return table[index]; }
};
struct OwnColours {  // the colours stored in the sprite
    uint16_t operator()(uint16_t colour) const { return colour; }
};
struct BlendEntries {  // a 256-entry BlendTable
    const uint32_t *table;
    uint32_t operator()(uint16_t index) const { return table[index]; }
};
struct NoColour {  // shapes only
    uint16_t operator()(uint16_t) const { return 0; }
};

// The depth value of a sprite: ((a + 0x440) x 32) mod 0x10000, from the low
// 16 bits of a. Keys grow with a from -1088 to 959.
constexpr uint16_t DepthKey(int32_t a) {
    return static_cast<uint16_t>((static_cast<uint16_t>(a) + 0x440u) * 32u);
}

// Drawn when v < key, or v == key and u < key, with v the depth value under
// the pixel and u the one at the storage position before it: one unsigned
// comparison of v:u against key:key.
inline bool PassesDepthTest(const uint16_t *depth, uint16_t key) {
    return ((uint32_t{depth[0]} << 16) | depth[-1]) < uint32_t{key} * 0x10001u;
}

// Channel-wise add that sets an overflowing channel to its maximum:
//   sum = s + d (17 bits); carry = ((s ^ d ^ sum) >> 1) & high  (top bit of
//   each channel that ran out of its field); r = sum - carry, then OR the mask
//   of every channel with its carry bit set.
constexpr uint16_t AddSaturating(uint16_t s, uint16_t d, uint16_t high, uint16_t red,
                                 uint16_t green, uint16_t blue) {
    const uint32_t sum = uint32_t{s} + d;
    const uint32_t carry = ((s ^ d ^ sum) >> 1) & high;
    uint32_t r = sum - carry;
    for (uint16_t mask : {red, green, blue}) {
        if (carry & mask) r |= mask;
    }
    return static_cast<uint16_t>(r);
}

// Every channel times k / 16 with one guard bit kept above it, and channels
// whose guard bit is set saturated through the borrow of S - t:
//   t = ((spread(d) x k) >> 4) & (S | S << 1); u = (S - t) >> 5;
//   result = fold((t | u) & S).
constexpr uint16_t ApplyLightLevel(uint16_t d, uint32_t k, uint32_t s) {
    const uint32_t t = ((Spread(d, s) * k) >> 4) & (s | (s << 1));
    const uint32_t u = (s - t) >> 5;
    return Fold((t | u) & s);
}

// Plain: d = c. Fills are block stores; sprite colours are copied as they are.
template <class Colours>
struct Plain {
    static constexpr bool kBlockFill = true;
    static constexpr bool kCopiesLiterals = std::is_same_v<Colours, OwnColours>;
    Colours colours;
    void Draw(uint16_t &d, uint16_t c, const PixelSite &) const { d = c; }
};

// Plain with the sprite's own colours, and the row kernels.
struct PlainOwnColours : Plain<OwnColours> {
    static constexpr bool kPlainRows = true;
    const SpriteRunKernels *kernels;
};

// Plain through a colour table, with the row, lookup and 50% mix kernels.
struct PlainLookup {
    static constexpr bool kBlockFill = true;
    static constexpr bool kPlainRows = true;
    static constexpr auto kLiteralKernel = &SpriteRunKernels::lookup;
    static constexpr auto kBlendKernel = &SpriteRunKernels::mix50;
    TableArgs args;
    const SpriteRunKernels *kernels;
    uint16_t colours(uint16_t index) const { return args.colours[index]; }
    void Draw(uint16_t &d, uint16_t c, const PixelSite &) const { d = c; }
};

// Stamp keeping flags: z' = key | (z & 3); d = (z & 2) ? ((c & ~low) >> 1) + tint : c.
template <class Colours>
struct StampKeepingFlags {
    static constexpr bool kUsesDepth = true;
    Colours colours;
    uint16_t key, not_low_bits, tint;
    void Draw(uint16_t &d, uint16_t c, const PixelSite &at) const {
        const uint16_t old = *at.depth;
        *at.depth = static_cast<uint16_t>(key | (old & 3));
        d = (old & 2) ? HalveTint(c, not_low_bits, tint) : c;
    }
};

// Stamp replacing the value: z' = key; d = c.
template <class Colours>
struct StampReplacing {
    static constexpr bool kUsesDepth = true;
    Colours colours;
    uint16_t key;
    void Draw(uint16_t &d, uint16_t c, const PixelSite &at) const {
        *at.depth = key;
        d = c;
    }
};

// Depth-tested: d = c where the depth test passes.
struct DepthTested {
    static constexpr bool kUsesDepth = true;
    static constexpr bool kTestedRows = true;
    static constexpr auto kLiteralKernel = &SpriteRunKernels::tested_lookup;
    static constexpr auto kBlendKernel = &SpriteRunKernels::tested_mix50;
    TestedArgs args;
    const SpriteRunKernels *kernels;
    uint16_t colours(uint16_t index) const { return args.colours[index]; }
    void Draw(uint16_t &d, uint16_t c, const PixelSite &at) const {
        if (PassesDepthTest(at.depth, args.key)) d = c;
    }
};

// Checkerboard: d = c where x + y + ScrollOffset / 2 is even or the depth test passes.
template <class Colours>
struct Stippled {
    static constexpr bool kUsesDepth = true;
    static constexpr bool kUsesPosition = true;
    Colours colours;
    uint16_t key;
    int32_t half_scroll;  // ScrollOffset / 2
    void Draw(uint16_t &d, uint16_t c, const PixelSite &at) const {
        const bool even = ((at.x + at.y + half_scroll) & 1) == 0;
        if (even || PassesDepthTest(at.depth, key)) d = c;
    }
};

// Translucent, depth-tested: w = e >> 19; unless w & 0xFF == 31,
// d = fold(((spread(d) x w) >> 5) & S) + (e & 0xFFFF).
struct Translucent {
    static constexpr bool kUsesDepth = true;
    static constexpr auto kLiteralKernel = &SpriteRunKernels::translucent;
    static constexpr bool kRuleRows = true;
    TranslucentArgs args;
    const SpriteRunKernels *kernels;
    uint32_t colours(uint16_t index) const { return args.blend[index]; }
    void Draw(uint16_t &d, uint32_t e, const PixelSite &at) const {
        const uint32_t w = e >> 19;
        if ((w & 0xFF) == 31 || !PassesDepthTest(at.depth, args.key)) return;
        d = static_cast<uint16_t>(ScaleBy32nds(d, w, args.s) + e);
    }
};

// Additive, depth-tested: d = AddSaturating(c, d).
struct Additive {
    static constexpr bool kUsesDepth = true;
    static constexpr auto kLiteralKernel = &SpriteRunKernels::additive;
    static constexpr bool kRuleRows = true;
    AdditiveArgs args;
    const SpriteRunKernels *kernels;
    uint16_t colours(uint16_t index) const { return args.colours[index]; }
    void Draw(uint16_t &d, uint16_t c, const PixelSite &at) const {
        const AdditiveArgs &a = args;
        if (PassesDepthTest(at.depth, a.key))
            d = AddSaturating(c, d, a.high_bits, a.red, a.green, a.blue);
    }
};

// Light, depth-tested: d = ApplyLightLevel(d, k), k the level's low 5 bits.
struct Light {
    static constexpr bool kUsesDepth = true;
    static constexpr auto kLiteralKernel = &SpriteRunKernels::light;
    static constexpr bool kRuleRows = true;
    LightArgs args;
    const SpriteRunKernels *kernels;
    uint32_t colours(uint16_t level) const { return level & 0x1Fu; }
    void Draw(uint16_t &d, uint32_t k, const PixelSite &at) const {
        if (PassesDepthTest(at.depth, args.key)) d = ApplyLightLevel(d, k, args.s);
    }
};

// Faded: d = fold(((spread(c) x (31 - a)) >> 5) & S) + fold(((spread(d) x a) >> 5) & S).
struct Faded {
    static constexpr auto kLiteralKernel = &SpriteRunKernels::faded;
    static constexpr bool kRuleRows = true;
    FadedArgs args;
    const SpriteRunKernels *kernels;
    uint16_t colours(uint16_t index) const { return args.colours[index]; }
    void Draw(uint16_t &d, uint16_t c, const PixelSite &) const {
        const uint32_t w = args.weight;
        d = static_cast<uint16_t>(ScaleBy32nds(c, 31u - w, args.s) + ScaleBy32nds(d, w, args.s));
    }
};

// Shadow: where z & 0x8007 == 0, z' = z | flags and d = ((d & ~low) >> 1) + tint.
struct Shadow {
    static constexpr bool kUsesDepth = true;
    static constexpr auto kLiteralKernel = &SpriteRunKernels::shadow;
    ShadowArgs args;
    const SpriteRunKernels *kernels;
    NoColour colours;
    void Draw(uint16_t &d, uint16_t, const PixelSite &at) const {
        const uint16_t v = *at.depth;
        if (v & 0x8007) return;
        *at.depth = static_cast<uint16_t>(v | args.flags);
        d = HalveTint(d, args.not_low_bits, args.tint);
    }
};

}  // namespace ruvo
