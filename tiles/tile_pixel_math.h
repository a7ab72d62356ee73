// ScaleBy32nds done in 16-bit halves, so that a compiler can run it eight
// pixels at a time in 16-bit vector lanes (DarkenTile's rows).
//
// With S = (g << 16) | rb, the spread pixel is (hi << 16) | lo, hi = p AND g,
// lo = p AND rb. Modulo 2^32 its product with v is
//
//     X = (hi v << 16) + lo v,   Xlo = lo v mod 2^16,
//                                Xhi = (hi v + (lo v >> 16)) mod 2^16,
//
// and X >> 5 has halves (Xlo >> 5) | (Xhi << 11) and Xhi >> 5; masking with S
// and folding gives the same pixel as the 32-bit formula, for every p, every
// v below 256 and any masks.
#pragma once

#include <cstdint>

namespace ruvo {

constexpr uint16_t ScaleBy32ndsInHalves(uint16_t p, uint16_t v, uint16_t g, uint16_t rb) {
    const uint16_t lo = p & rb, hi = p & g;
    const uint16_t xlo = static_cast<uint16_t>(uint32_t{lo} * v);
    const uint16_t carry = static_cast<uint16_t>((uint32_t{lo} * v) >> 16);
    const uint16_t xhi = static_cast<uint16_t>(uint32_t{hi} * v + carry);
    const uint16_t tlo = static_cast<uint16_t>((xlo >> 5) | (uint32_t{xhi} << 11));
    const uint16_t thi = static_cast<uint16_t>(xhi >> 5);
    return static_cast<uint16_t>((thi & g) | (tlo & rb));
}

}  // namespace ruvo
