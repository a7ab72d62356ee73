// Per-channel arithmetic on packed 16-bit pixels of any channel layout, with
// the masks that AnalysePixelFormat derives. Bit pictures are for 5-6-5:
//
//     pixel              rrrrrggggggbbbbb
//     spread(p), S       00000gggggg00000 rrrrr000000bbbbb   (green high, red|blue low)
//
// With green moved to the high half every channel has at least five free bits
// above it, so one 32-bit multiplication scales all three channels at once;
// fold() puts the halves back together.
#pragma once

#include <cstdint>

#include "interface/draw_block.h"

namespace ruvo {

// Exact 50% mix, per channel floor((s + d) / 2): subtracting the low bits
// where s and d differ makes every channel sum even, so the shift of the
// 17-bit sum moves no bit across a channel boundary.
constexpr uint16_t Mix50(uint16_t s, uint16_t d, uint16_t low_bits) {
    return static_cast<uint16_t>((uint32_t{s} + d - ((s ^ d) & low_bits)) >> 1);
}

// Every channel halved, rounded down: the low bits are dropped before the
// shift so that none moves into the channel below.
constexpr uint16_t Halve(uint16_t p, uint16_t not_low_bits) {
    return static_cast<uint16_t>((p & not_low_bits) >> 1);
}

// Halved, then the shadow tint added, on 16 bits.
constexpr uint16_t HalveTint(uint16_t p, uint16_t not_low_bits, uint16_t tint) {
    return static_cast<uint16_t>(Halve(p, not_low_bits) + tint);
}

// The pixel in both halves, masked by S: the middle channel high, the outer two low.
constexpr uint32_t Spread(uint16_t p, uint32_t s) { return ((uint32_t{p} << 16) | p) & s; }

// The two halves ORed back into one pixel.
constexpr uint16_t Fold(uint32_t v) { return static_cast<uint16_t>((v >> 16) | v); }

// Every channel times m / 32, rounded down (m <= 32 keeps each channel in its field).
constexpr uint16_t ScaleBy32nds(uint16_t p, uint32_t m, uint32_t s) {
    return Fold(((Spread(p, s) * m) >> 5) & s);
}

// S for the channel arithmetic of sprites and tiles: green high, red and blue
// low, formed from the DrawBlock's masks at every call.
inline uint32_t ChannelSpread() {
    const DrawBlock &b = Block();
    return (uint32_t{Low16(b.GreenMask)} << 16) | Low16(b.RedMask) | Low16(b.BlueMask);
}

}  // namespace ruvo
