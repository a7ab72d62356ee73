// The colour conversion kernel over a vector type (a wrapper of simd/sse2.h or
// avx2.h). In 16-bit lanes, the same steps
// as the scalar conversion; every intermediate fits in 16 bits, and a
// variable 16-bit shift by 16 or more gives 0, as the 32-bit one does:
//
//     r = ((v & 0xF800) >> red_shift) & red
//     g = (((v << 5) & 0xFC00) >> green_shift) & green
//     b = ((v << 11) >> blue_shift) & blue
//     v' = v == 0xF81F ? v : r | g | b
#pragma once

#include <emmintrin.h>

#include <cstdint>

#include "simd/kernels.h"

namespace ruvo {
namespace {

template <class Ops>
int32_t ConvertColourLanes(const uint16_t *src, uint16_t *dst, int32_t count,
                           const ColourFormat &f) {
    using Vec = typename Ops::Vec;
    constexpr int32_t kPixels = Ops::kLanes;
    const Vec key = Ops::Set16(0xF81F);
    const Vec red_bits = Ops::Set16(0xF800);
    const Vec green_bits = Ops::Set16(0xFC00);
    const Vec red = Ops::Set16(f.red);
    const Vec green = Ops::Set16(f.green);
    const Vec blue = Ops::Set16(f.blue);
    const __m128i red_shift = _mm_cvtsi32_si128(static_cast<int>(f.red_shift));
    const __m128i green_shift = _mm_cvtsi32_si128(static_cast<int>(f.green_shift));
    const __m128i blue_shift = _mm_cvtsi32_si128(static_cast<int>(f.blue_shift));
    int32_t i = 0;
    for (; count - i >= kPixels; i += kPixels) {
        const Vec v = Ops::Load(src + i);
        const Vec r = Ops::And(Ops::Srl16By(Ops::And(v, red_bits), red_shift), red);
        const Vec g =
            Ops::And(Ops::Srl16By(Ops::And(Ops::Sll16(v, 5), green_bits), green_shift), green);
        const Vec b = Ops::And(Ops::Srl16By(Ops::Sll16(v, 11), blue_shift), blue);
        Ops::Store(dst + i, Ops::Select(Ops::Eq16(v, key), v, Ops::Or(Ops::Or(r, g), b)));
    }
    return i;
}

}  // namespace
}  // namespace ruvo
