// The SSE2 vector operations of the sprite run kernels (sprites/
// sprite_kernels_simd.h): eight 16-bit lanes. Table lookups are scalar loads
// into a vector, SSE2 having no gather. Included by the SSE2 unit, and by the
// AVX2 unit for runs shorter than its vectors; unit-local, so each unit has
// its own copy in its own encoding.
#pragma once

#include <emmintrin.h>

#include <cstddef>
#include <cstdint>

namespace ruvo {
namespace {

struct Sse2 {
    using Vec = __m128i;
    using Narrow = void;
    static constexpr ptrdiff_t kLanes = 8;
    static Vec Load(const uint16_t *p) { return _mm_loadu_si128(reinterpret_cast<const Vec *>(p)); }
    static void Store(uint16_t *p, Vec v) { _mm_storeu_si128(reinterpret_cast<Vec *>(p), v); }
    static Vec LoadIndices(const uint8_t *p) {
        return _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const Vec *>(p)),
                                 _mm_setzero_si128());
    }
    static Vec Lookup16(const uint16_t *table, const uint8_t *p) {
        return _mm_setr_epi16(short(table[p[0]]), short(table[p[1]]), short(table[p[2]]),
                              short(table[p[3]]), short(table[p[4]]), short(table[p[5]]),
                              short(table[p[6]]), short(table[p[7]]));
    }
    static void Lookup32(const uint32_t *table, const uint8_t *p, Vec &lo, Vec &hi) {
        alignas(16) uint16_t l[8], h[8];
        for (int j = 0; j < 8; ++j) {
            const uint32_t e = table[p[j]];
            l[j] = static_cast<uint16_t>(e);
            h[j] = static_cast<uint16_t>(e >> 16);
        }
        lo = _mm_load_si128(reinterpret_cast<const Vec *>(l));
        hi = _mm_load_si128(reinterpret_cast<const Vec *>(h));
    }
    static Vec Iota() { return _mm_setr_epi16(0, 1, 2, 3, 4, 5, 6, 7); }
    static Vec Set(uint16_t v) { return _mm_set1_epi16(static_cast<short>(v)); }
    static Vec And(Vec a, Vec b) { return _mm_and_si128(a, b); }
    static Vec Or(Vec a, Vec b) { return _mm_or_si128(a, b); }
    static Vec Xor(Vec a, Vec b) { return _mm_xor_si128(a, b); }
    static Vec AndNot(Vec a, Vec b) { return _mm_andnot_si128(a, b); }  // ~a & b
    static Vec Add(Vec a, Vec b) { return _mm_add_epi16(a, b); }
    static Vec Sub(Vec a, Vec b) { return _mm_sub_epi16(a, b); }
    static Vec MulLo(Vec a, Vec b) { return _mm_mullo_epi16(a, b); }
    static Vec MulHiU(Vec a, Vec b) { return _mm_mulhi_epu16(a, b); }
    static Vec Eq(Vec a, Vec b) { return _mm_cmpeq_epi16(a, b); }
    static Vec Gt(Vec a, Vec b) { return _mm_cmpgt_epi16(a, b); }
    template <int N>
    static Vec Srl(Vec v) {
        return _mm_srli_epi16(v, N);
    }
    template <int N>
    static Vec Sll(Vec v) {
        return _mm_slli_epi16(v, N);
    }
};

}  // namespace
}  // namespace ruvo
