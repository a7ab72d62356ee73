// The SSE2 vector operations every kernel is written over: eight 16-bit or
// four 32-bit lanes. Table lookups are scalar loads into a vector, SSE2
// having no gather. Included by the SSE2 unit, and by the wider units for
// what is narrower than their vectors; unit-local, so each unit has its own
// copy in its own encoding.
#pragma once

#include <emmintrin.h>

#include <cstddef>
#include <cstdint>

namespace ruvo {
namespace {

struct Sse2 {
    using Vec = __m128i;
    using Narrow = void;
    static constexpr ptrdiff_t kLanes = 8;  // 16-bit lanes

    static Vec Load(const uint16_t *p) { return _mm_loadu_si128(reinterpret_cast<const Vec *>(p)); }
    static void Store(uint16_t *p, Vec v) { _mm_storeu_si128(reinterpret_cast<Vec *>(p), v); }
    // The 128-bit parts of a vector at lo (and hi, for wider vectors).
    static Vec LoadParts(const uint16_t *lo, const uint16_t *) { return Load(lo); }
    static void StoreParts(uint16_t *lo, uint16_t *, Vec v) { Store(lo, v); }
    static Vec FromLanes(const int32_t *lanes) {
        return _mm_loadu_si128(reinterpret_cast<const Vec *>(lanes));
    }
    static uint32_t LastLane(Vec v) {
        return static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_shuffle_epi32(v, 0xFF)));
    }
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
    static Vec Zero() { return _mm_setzero_si128(); }
    static Vec Set16(uint16_t v) { return _mm_set1_epi16(static_cast<short>(v)); }
    static Vec And(Vec a, Vec b) { return _mm_and_si128(a, b); }
    static Vec Or(Vec a, Vec b) { return _mm_or_si128(a, b); }
    static Vec Xor(Vec a, Vec b) { return _mm_xor_si128(a, b); }
    static Vec AndNot(Vec a, Vec b) { return _mm_andnot_si128(a, b); }  // ~a & b
    static Vec Select(Vec mask, Vec a, Vec b) { return Or(And(mask, a), AndNot(mask, b)); }
    static Vec Add16(Vec a, Vec b) { return _mm_add_epi16(a, b); }
    static Vec Sub16(Vec a, Vec b) { return _mm_sub_epi16(a, b); }
    static Vec Add32(Vec a, Vec b) { return _mm_add_epi32(a, b); }
    static Vec MulLo16(Vec a, Vec b) { return _mm_mullo_epi16(a, b); }
    static Vec MulHiU16(Vec a, Vec b) { return _mm_mulhi_epu16(a, b); }
    // s * m on 32 bits, m in both halves: lo(s) m + (hi(s) m << 16) from 16-bit products.
    static Vec MulByDoubled(Vec s, Vec m) {
        return _mm_add_epi32(_mm_mullo_epi16(s, m), _mm_slli_epi32(_mm_mulhi_epu16(s, m), 16));
    }
    static Vec Eq16(Vec a, Vec b) { return _mm_cmpeq_epi16(a, b); }
    static Vec Gt16(Vec a, Vec b) { return _mm_cmpgt_epi16(a, b); }
    static Vec Srl16(Vec v, int n) { return _mm_srli_epi16(v, n); }
    static Vec Sll16(Vec v, int n) { return _mm_slli_epi16(v, n); }
    static Vec Srl16By(Vec v, __m128i n) { return _mm_srl_epi16(v, n); }
    static Vec Sll32(Vec v, int n) { return _mm_slli_epi32(v, n); }
    static Vec Srl32(Vec v, int n) { return _mm_srli_epi32(v, n); }
    static Vec Sra32(Vec v, int n) { return _mm_srai_epi32(v, n); }
    static Vec UnpackLo16(Vec a, Vec b) { return _mm_unpacklo_epi16(a, b); }
    static Vec UnpackHi16(Vec a, Vec b) { return _mm_unpackhi_epi16(a, b); }
    static Vec UnpackLo32(Vec a, Vec b) { return _mm_unpacklo_epi32(a, b); }
    static Vec UnpackHi32(Vec a, Vec b) { return _mm_unpackhi_epi32(a, b); }
    static Vec UnpackLo64(Vec a, Vec b) { return _mm_unpacklo_epi64(a, b); }
    static Vec UnpackHi64(Vec a, Vec b) { return _mm_unpackhi_epi64(a, b); }
    static Vec Packs32(Vec a, Vec b) { return _mm_packs_epi32(a, b); }
};

}  // namespace
}  // namespace ruvo
