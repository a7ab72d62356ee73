// AnalysePixelFormat: derives from the three channel masks of a 16-bit
// format the fields with which the other operations do per-channel
// arithmetic on packed pixels without knowing the layout.
#include <bit>

#include "interface/draw_block.h"
#include "interface/operations.h"

namespace ruvo {
namespace {

uint32_t BothHalves(uint16_t v) { return (uint32_t{v} << 16) | v; }

// Zero bits above the mask's top bit; 16 for an empty mask.
uint16_t ShiftOf(uint16_t mask) { return static_cast<uint16_t>(std::countl_zero(mask)); }

uint16_t TopBit(uint16_t mask) {
    return mask ? static_cast<uint16_t>(0x8000u >> ShiftOf(mask)) : 0;
}

uint16_t BottomBit(uint16_t mask) { return static_cast<uint16_t>(mask & (0u - mask)); }

// The channel that lies between the other two goes to the high half.
uint32_t SpreadMaskOf(uint16_t red, uint16_t green, uint16_t blue, uint32_t r, uint32_t g,
                      uint32_t b) {
    auto spread = [](uint16_t middle, uint16_t outer1, uint16_t outer2) {
        return (uint32_t{middle} << 16) | outer1 | outer2;
    };
    if (r > g) {
        if (g > b) return spread(green, blue, red);
        return b <= r ? spread(blue, green, red) : spread(red, blue, green);
    }
    if (g <= b) return spread(green, blue, red);
    return b <= r ? spread(red, blue, green) : spread(blue, green, red);
}

}  // namespace

uint32_t RUVO_CDECL AnalysePixelFormat(uint32_t red_mask, uint32_t green_mask, uint32_t blue_mask) {
    DrawBlock &b = Block();
    const auto red = static_cast<uint16_t>(red_mask);
    const auto green = static_cast<uint16_t>(green_mask);
    const auto blue = static_cast<uint16_t>(blue_mask);
    b.RedMask = BothHalves(red);
    b.GreenMask = BothHalves(green);
    b.BlueMask = BothHalves(blue);
    b.RedShift = ShiftOf(red);
    b.GreenShift = ShiftOf(green);
    b.BlueShift = ShiftOf(blue);

    const auto high = static_cast<uint16_t>(TopBit(red) | TopBit(green) | TopBit(blue));
    const auto low = static_cast<uint16_t>(BottomBit(red) | BottomBit(green) | BottomBit(blue));
    b.HighBitsMask = BothHalves(high);
    b.LowBitsMask = BothHalves(low);
    b.NotHighBitsMask = BothHalves(static_cast<uint16_t>(~high));
    b.NotLowBitsMask = BothHalves(static_cast<uint16_t>(~low));

    // Five units of blue and two of green; shift counts taken mod 32, as a
    // 32-bit shift by 11 - 16 = -5 would be.
    const uint32_t tint =
        (5u << ((11u - b.BlueShift) & 31u)) + (2u << ((11u - b.GreenShift) & 31u));
    b.ShadowTint = BothHalves(static_cast<uint16_t>(tint));

    b.SpreadMask = SpreadMaskOf(red, green, blue, b.RedShift, b.GreenShift, b.BlueShift);
    b.SpreadHighBitsMask = b.SpreadMask & b.HighBitsMask;
    return b.SpreadMask;
}

}  // namespace ruvo
