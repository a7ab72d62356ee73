// The AVX2 vector operations every kernel is written over: sixteen 16-bit or
// eight 32-bit lanes, table lookups by gathers; SSE2's for what is narrower.
// Included by the AVX2 unit and the AVX-512 unit; unit-local.
#pragma once

#include <immintrin.h>

#include <cstddef>
#include <cstdint>

#include "simd/sse2.h"

namespace ruvo {
namespace {

struct Avx2 {
    using Vec = __m256i;
    using Narrow = Sse2;  // for runs of 8 to 15 pixels
    static constexpr ptrdiff_t kLanes = 16;

    static Vec Load(const uint16_t *p) {
        return _mm256_loadu_si256(reinterpret_cast<const Vec *>(p));
    }
    static void Store(uint16_t *p, Vec v) { _mm256_storeu_si256(reinterpret_cast<Vec *>(p), v); }
    // The low 128 bits at lo, the high at hi.
    static Vec LoadParts(const uint16_t *lo, const uint16_t *hi) {
        return _mm256_inserti128_si256(
            _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i *>(lo))),
            _mm_loadu_si128(reinterpret_cast<const __m128i *>(hi)), 1);
    }
    static void StoreParts(uint16_t *lo, uint16_t *hi, Vec v) {
        _mm_storeu_si128(reinterpret_cast<__m128i *>(lo), _mm256_castsi256_si128(v));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(hi), _mm256_extracti128_si256(v, 1));
    }
    static Vec FromLanes(const int32_t *lanes) {
        return _mm256_loadu_si256(reinterpret_cast<const Vec *>(lanes));
    }
    static uint32_t LastLane(Vec v) { return static_cast<uint32_t>(_mm256_extract_epi32(v, 7)); }
    static Vec LoadIndices(const uint8_t *p) {
        return _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i *>(p)));
    }
    static Vec Indices32(const uint8_t *p) {
        return _mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i *>(p)));
    }
    // Sixteen 32-bit lanes' low halves as sixteen 16-bit lanes, in order.
    static Vec PackLow(Vec a, Vec b) {
        const Vec low = _mm256_set1_epi32(0xFFFF);
        return _mm256_permute4x64_epi64(
            _mm256_packus_epi32(_mm256_and_si256(a, low), _mm256_and_si256(b, low)), 0xD8);
    }
    // Colour j is the low half of the 32 bits at byte 2 * index; the lanes
    // of index 255, whose 32 bits would reach past the table, are masked off
    // the gather and take the last entry instead.
    static Vec Gather16(const uint16_t *table, Vec idx) {
        const Vec last = _mm256_set1_epi32(table[255]);
        const Vec inside = _mm256_xor_si256(_mm256_cmpeq_epi32(idx, _mm256_set1_epi32(255)),
                                            _mm256_set1_epi32(-1));
        return _mm256_mask_i32gather_epi32(last, reinterpret_cast<const int *>(table), idx, inside,
                                           2);
    }
    static Vec Lookup16(const uint16_t *table, const uint8_t *p) {
        return PackLow(Gather16(table, Indices32(p)), Gather16(table, Indices32(p + 8)));
    }
    static void Lookup32(const uint32_t *table, const uint8_t *p, Vec &lo, Vec &hi) {
        const auto *base = reinterpret_cast<const int *>(table);
        const Vec a = _mm256_i32gather_epi32(base, Indices32(p), 4);
        const Vec b = _mm256_i32gather_epi32(base, Indices32(p + 8), 4);
        lo = PackLow(a, b);
        hi = PackLow(_mm256_srli_epi32(a, 16), _mm256_srli_epi32(b, 16));
    }
    static Vec Iota() {
        return _mm256_setr_epi16(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
    }
    static Vec Zero() { return _mm256_setzero_si256(); }
    static Vec Set16(uint16_t v) { return _mm256_set1_epi16(static_cast<short>(v)); }
    static Vec And(Vec a, Vec b) { return _mm256_and_si256(a, b); }
    static Vec Or(Vec a, Vec b) { return _mm256_or_si256(a, b); }
    static Vec Xor(Vec a, Vec b) { return _mm256_xor_si256(a, b); }
    static Vec AndNot(Vec a, Vec b) { return _mm256_andnot_si256(a, b); }  // ~a & b
    static Vec Select(Vec mask, Vec a, Vec b) { return _mm256_blendv_epi8(b, a, mask); }
    static Vec Add16(Vec a, Vec b) { return _mm256_add_epi16(a, b); }
    static Vec Sub16(Vec a, Vec b) { return _mm256_sub_epi16(a, b); }
    static Vec Add32(Vec a, Vec b) { return _mm256_add_epi32(a, b); }
    static Vec MulLo16(Vec a, Vec b) { return _mm256_mullo_epi16(a, b); }
    static Vec MulHiU16(Vec a, Vec b) { return _mm256_mulhi_epu16(a, b); }
    // s * m on 32 bits, m in both halves: one 32-bit multiply by the high copy of m.
    static Vec MulByDoubled(Vec s, Vec m) {
        return _mm256_mullo_epi32(s, _mm256_srli_epi32(m, 16));
    }
    static Vec Eq16(Vec a, Vec b) { return _mm256_cmpeq_epi16(a, b); }
    static Vec Gt16(Vec a, Vec b) { return _mm256_cmpgt_epi16(a, b); }
    static Vec Srl16(Vec v, int n) { return _mm256_srli_epi16(v, n); }
    static Vec Sll16(Vec v, int n) { return _mm256_slli_epi16(v, n); }
    static Vec Srl16By(Vec v, __m128i n) { return _mm256_srl_epi16(v, n); }
    static Vec Sll32(Vec v, int n) { return _mm256_slli_epi32(v, n); }
    static Vec Srl32(Vec v, int n) { return _mm256_srli_epi32(v, n); }
    static Vec Sra32(Vec v, int n) { return _mm256_srai_epi32(v, n); }
    static Vec UnpackLo16(Vec a, Vec b) { return _mm256_unpacklo_epi16(a, b); }
    static Vec UnpackHi16(Vec a, Vec b) { return _mm256_unpackhi_epi16(a, b); }
    static Vec UnpackLo32(Vec a, Vec b) { return _mm256_unpacklo_epi32(a, b); }
    static Vec UnpackHi32(Vec a, Vec b) { return _mm256_unpackhi_epi32(a, b); }
    static Vec UnpackLo64(Vec a, Vec b) { return _mm256_unpacklo_epi64(a, b); }
    static Vec UnpackHi64(Vec a, Vec b) { return _mm256_unpackhi_epi64(a, b); }
    static Vec Packs32(Vec a, Vec b) { return _mm256_packs_epi32(a, b); }
};

}  // namespace
}  // namespace ruvo
