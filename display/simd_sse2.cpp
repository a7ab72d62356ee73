// The display's SIMD kernels for SSE2: light-grid cells four to a vector,
// colours eight. Built with SSE2 enabled; run only where the CPU has it
// (always on x86-64).
#include "display/convert.h"
#include "display/light_grid.h"

#if defined(__SSE2__)
#include <emmintrin.h>

#include "display/convert_simd.h"
#include "display/light_grid_simd.h"

namespace ruvo {
namespace {

struct Sse2Ops {
    using Vec = __m128i;
    static constexpr int kLanes = 4;

    static Vec Load(const uint16_t *p) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
    }
    static void Store(uint16_t *p, Vec v) { _mm_storeu_si128(reinterpret_cast<__m128i *>(p), v); }
    static Vec FromLanes(const int32_t *lanes) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i *>(lanes));
    }
    static uint32_t LastLane(Vec v) {
        return static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_shuffle_epi32(v, 0xFF)));
    }
    static Vec LoadRow(const uint16_t *p) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
    }
    static void StoreRow(uint16_t *p, Vec v) {
        _mm_storeu_si128(reinterpret_cast<__m128i *>(p), v);
    }
    static Vec Sll16(Vec v, int n) { return _mm_slli_epi16(v, n); }
    static Vec Srl16By(Vec v, __m128i n) { return _mm_srl_epi16(v, n); }
    static Vec Zero() { return _mm_setzero_si128(); }
    static Vec Set16(int16_t v) { return _mm_set1_epi16(v); }
    static Vec Add16(Vec a, Vec b) { return _mm_add_epi16(a, b); }
    static Vec Add32(Vec a, Vec b) { return _mm_add_epi32(a, b); }
    static Vec And(Vec a, Vec b) { return _mm_and_si128(a, b); }
    static Vec Or(Vec a, Vec b) { return _mm_or_si128(a, b); }
    static Vec AndNot(Vec a, Vec b) { return _mm_andnot_si128(a, b); }
    static Vec Select(Vec mask, Vec a, Vec b) {
        return _mm_or_si128(_mm_and_si128(mask, a), _mm_andnot_si128(mask, b));
    }
    static Vec CmpEq16(Vec a, Vec b) { return _mm_cmpeq_epi16(a, b); }
    // s * m on 32 bits, m doubled: lo(s) m + (hi(s) m << 16) from 16-bit products.
    static Vec MulByDoubled(Vec s, Vec m) {
        return _mm_add_epi32(_mm_mullo_epi16(s, m), _mm_slli_epi32(_mm_mulhi_epu16(s, m), 16));
    }
    static Vec Srl16(Vec v, int n) { return _mm_srli_epi16(v, n); }
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

// 32-bit hosts may call with the stack aligned to 4 bytes only; the kernels
// keep vectors on the stack there.
#if defined(__i386__)
#define RUVO_ALIGN_STACK __attribute__((force_align_arg_pointer))
#else
#define RUVO_ALIGN_STACK
#endif

RUVO_ALIGN_STACK uint32_t InterpolateCellsSse2(const LightBand &band, int32_t x,
                                               const LightCellSteps *steps, uint32_t spread,
                                               bool may_keep) {
    return CellLanes<Sse2Ops>::Run(band, x, steps, spread, may_keep);
}

RUVO_ALIGN_STACK int32_t ConvertColoursSse2(const uint16_t *src, uint16_t *dst, int32_t count,
                                            const ColourFormat &format) {
    return ConvertColourLanes<Sse2Ops>(src, dst, count, format);
}

}  // namespace ruvo
#endif
