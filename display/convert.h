// ConvertColours in SIMD lanes: the kernels of simd_sse2.cpp and
// simd_avx2.cpp (plain declarations only, see display/simd_path.h).
#pragma once

#include <cstdint>

namespace ruvo {

// Where the surface puts each 5-6-5 channel: the shift from the channel's
// top bit at bit 15 down to the surface channel's (0 .. 31) and its mask.
struct ColourFormat {
    uint32_t red_shift, green_shift, blue_shift;
    uint16_t red, green, blue;
};

// Converts colours 0 .. n - 1 of src into dst as ConvertColours does, for the
// largest n <= count that is a multiple of the vector width, and returns n.
// Each vector is read before it is written: dst must not start inside
// src + 1 .. src + count - 1.
int32_t ConvertColoursSse2(const uint16_t *src, uint16_t *dst, int32_t count,
                           const ColourFormat &format);
int32_t ConvertColoursAvx2(const uint16_t *src, uint16_t *dst, int32_t count,
                           const ColourFormat &format);

}  // namespace ruvo
