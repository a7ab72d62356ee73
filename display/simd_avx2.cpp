// The display's SIMD kernels for AVX2: light-grid cells eight to a vector
// (cells 0 .. 3 in the low 128 bits, 4 .. 7 in the high, so that the in-lane
// shuffles transpose both halves at once), colours sixteen. Built with AVX2
// enabled; run only where the CPU has it.
#include "display/convert.h"
#include "display/light_grid.h"

#if defined(__AVX2__)
#include <immintrin.h>

#include "display/convert_simd.h"
#include "display/light_grid_simd.h"

namespace ruvo {
namespace {

// The high half's cells lie four cells (64 pixels) on.
constexpr int32_t kHalfOffset = 4 * kLightCellWidth + 0;

struct Avx2Ops {
    using Vec = __m256i;
    static constexpr int kLanes = 8;

    static Vec Load(const uint16_t *p) {
        const __m128i lo = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
        const __m128i hi = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + kHalfOffset));
        return _mm256_inserti128_si256(_mm256_castsi128_si256(lo), hi, 1);
    }
    static void Store(uint16_t *p, Vec v) {
        _mm_storeu_si128(reinterpret_cast<__m128i *>(p), _mm256_castsi256_si128(v));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(p + kHalfOffset),
                         _mm256_extracti128_si256(v, 1));
    }
    static Vec FromLanes(const int32_t *lanes) {
        return _mm256_loadu_si256(reinterpret_cast<const __m256i *>(lanes));
    }
    static uint32_t LastLane(Vec v) { return static_cast<uint32_t>(_mm256_extract_epi32(v, 7)); }
    static Vec LoadRow(const uint16_t *p) {
        return _mm256_loadu_si256(reinterpret_cast<const __m256i *>(p));
    }
    static void StoreRow(uint16_t *p, Vec v) {
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(p), v);
    }
    static Vec Sll16(Vec v, int n) { return _mm256_slli_epi16(v, n); }
    static Vec Srl16By(Vec v, __m128i n) { return _mm256_srl_epi16(v, n); }
    static Vec Zero() { return _mm256_setzero_si256(); }
    static Vec Set16(int16_t v) { return _mm256_set1_epi16(v); }
    static Vec Add16(Vec a, Vec b) { return _mm256_add_epi16(a, b); }
    static Vec Add32(Vec a, Vec b) { return _mm256_add_epi32(a, b); }
    static Vec And(Vec a, Vec b) { return _mm256_and_si256(a, b); }
    static Vec Or(Vec a, Vec b) { return _mm256_or_si256(a, b); }
    static Vec AndNot(Vec a, Vec b) { return _mm256_andnot_si256(a, b); }
    static Vec Select(Vec mask, Vec a, Vec b) { return _mm256_blendv_epi8(b, a, mask); }
    static Vec CmpEq16(Vec a, Vec b) { return _mm256_cmpeq_epi16(a, b); }
    // s * m on 32 bits, m doubled: one 32-bit multiply by the high copy of m.
    static Vec MulByDoubled(Vec s, Vec m) {
        return _mm256_mullo_epi32(s, _mm256_srli_epi32(m, 16));
    }
    static Vec Srl16(Vec v, int n) { return _mm256_srli_epi16(v, n); }
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

uint32_t InterpolateCellsAvx2(const LightBand &band, int32_t x, const LightCellSteps *steps,
                              uint32_t spread, bool may_keep) {
    return CellLanes<Avx2Ops>::Run(band, x, steps, spread, may_keep);
}

int32_t ConvertColoursAvx2(const uint16_t *src, uint16_t *dst, int32_t count,
                           const ColourFormat &format) {
    return ConvertColourLanes<Avx2Ops>(src, dst, count, format);
}

}  // namespace ruvo
#endif
