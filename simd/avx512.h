// The AVX-512 vector operations (F, BW, VL, VBMI) the kernels are written
// over: thirty-two 16-bit lanes; colour lookups by word permutes over the
// 512-byte table held in eight registers, BlendTable lookups by gathers;
// AVX2's for what is narrower. Included by the AVX-512 unit only; unit-local.
#pragma once

#include <immintrin.h>

#include <cstddef>
#include <cstdint>

#include "simd/avx2.h"

namespace ruvo {
namespace {

struct Avx512 {
    using Vec = __m512i;
    using Narrow = Avx2;  // for runs of 8 to 31 pixels
    static constexpr ptrdiff_t kLanes = 32;

    static Vec Load(const uint16_t *p) { return _mm512_loadu_si512(p); }
    static void Store(uint16_t *p, Vec v) { _mm512_storeu_si512(p, v); }
    static Vec Words(const uint16_t (&w)[32]) { return _mm512_loadu_si512(w); }
    static Vec LoadIndices(const uint8_t *p) {
        return _mm512_cvtepu8_epi16(_mm256_loadu_si256(reinterpret_cast<const __m256i *>(p)));
    }
    // table[idx] for 32 indices 0..255: four two-register permutes over 64
    // entries each, chosen by bits 6 and 7.
    static Vec LookupWords(const uint16_t *table, Vec idx) {
        const Vec a = _mm512_permutex2var_epi16(Load(table), idx, Load(table + 32));
        const Vec b = _mm512_permutex2var_epi16(Load(table + 64), idx, Load(table + 96));
        const Vec c = _mm512_permutex2var_epi16(Load(table + 128), idx, Load(table + 160));
        const Vec d = _mm512_permutex2var_epi16(Load(table + 192), idx, Load(table + 224));
        const __mmask32 bit6 = _mm512_test_epi16_mask(idx, _mm512_set1_epi16(64));
        const __mmask32 bit7 = _mm512_test_epi16_mask(idx, _mm512_set1_epi16(128));
        return _mm512_mask_blend_epi16(bit7, _mm512_mask_blend_epi16(bit6, a, b),
                                       _mm512_mask_blend_epi16(bit6, c, d));
    }
    static Vec Lookup16(const uint16_t *table, const uint8_t *p) {
        return LookupWords(table, LoadIndices(p));
    }
    static void Lookup32(const uint32_t *table, const uint8_t *p, Vec &lo, Vec &hi) {
        const Vec a = _mm512_i32gather_epi32(
            _mm512_cvtepu8_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i *>(p))), table, 4);
        const Vec b = _mm512_i32gather_epi32(
            _mm512_cvtepu8_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i *>(p + 16))), table,
            4);
        static constexpr uint16_t kEven[32] = {0,  2,  4,  6,  8,  10, 12, 14, 16, 18, 20,
                                               22, 24, 26, 28, 30, 32, 34, 36, 38, 40, 42,
                                               44, 46, 48, 50, 52, 54, 56, 58, 60, 62};
        const Vec even = Words(kEven);
        lo = _mm512_permutex2var_epi16(a, even, b);
        hi = _mm512_permutex2var_epi16(a, _mm512_add_epi16(even, _mm512_set1_epi16(1)), b);
    }
    static Vec Iota() {
        static constexpr uint16_t kIota[32] = {0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  10,
                                               11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21,
                                               22, 23, 24, 25, 26, 27, 28, 29, 30, 31};
        return Words(kIota);
    }
    static Vec Zero() { return _mm512_setzero_si512(); }
    static Vec Set16(uint16_t v) { return _mm512_set1_epi16(static_cast<short>(v)); }
    static Vec And(Vec a, Vec b) { return _mm512_and_si512(a, b); }
    static Vec Or(Vec a, Vec b) { return _mm512_or_si512(a, b); }
    static Vec Xor(Vec a, Vec b) { return _mm512_xor_si512(a, b); }
    static Vec AndNot(Vec a, Vec b) { return _mm512_andnot_si512(a, b); }  // ~a & b
    // mask ? a : b, bit by bit, in one ternary-logic instruction.
    static Vec Select(Vec mask, Vec a, Vec b) {
        return _mm512_ternarylogic_epi64(mask, a, b, 0xCA);
    }
    static Vec Add16(Vec a, Vec b) { return _mm512_add_epi16(a, b); }
    static Vec Sub16(Vec a, Vec b) { return _mm512_sub_epi16(a, b); }
    static Vec MulLo16(Vec a, Vec b) { return _mm512_mullo_epi16(a, b); }
    static Vec MulHiU16(Vec a, Vec b) { return _mm512_mulhi_epu16(a, b); }
    static Vec Eq16(Vec a, Vec b) { return _mm512_movm_epi16(_mm512_cmpeq_epi16_mask(a, b)); }
    static Vec Gt16(Vec a, Vec b) { return _mm512_movm_epi16(_mm512_cmpgt_epi16_mask(a, b)); }
    static Vec Srl16(Vec v, int n) { return _mm512_srli_epi16(v, static_cast<unsigned>(n)); }
    static Vec Sll16(Vec v, int n) { return _mm512_slli_epi16(v, static_cast<unsigned>(n)); }
    static Vec Srl16By(Vec v, __m128i n) { return _mm512_srl_epi16(v, n); }
};

}  // namespace
}  // namespace ruvo
