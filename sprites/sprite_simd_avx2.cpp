// The sprite run kernels for AVX2: sixteen pixels to a vector, table lookups
// by gathers. Built with AVX2 enabled; run only where the CPU has it.
#include "sprites/sprite_kernels.h"

#if defined(__AVX2__)
#include <immintrin.h>

#include "sprites/sprite_kernels_simd.h"
#include "sprites/sprite_simd_sse2_ops.h"

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
    static Vec Set(uint16_t v) { return _mm256_set1_epi16(static_cast<short>(v)); }
    static Vec And(Vec a, Vec b) { return _mm256_and_si256(a, b); }
    static Vec Or(Vec a, Vec b) { return _mm256_or_si256(a, b); }
    static Vec Xor(Vec a, Vec b) { return _mm256_xor_si256(a, b); }
    static Vec AndNot(Vec a, Vec b) { return _mm256_andnot_si256(a, b); }  // ~a & b
    static Vec Add(Vec a, Vec b) { return _mm256_add_epi16(a, b); }
    static Vec Sub(Vec a, Vec b) { return _mm256_sub_epi16(a, b); }
    static Vec MulLo(Vec a, Vec b) { return _mm256_mullo_epi16(a, b); }
    static Vec MulHiU(Vec a, Vec b) { return _mm256_mulhi_epu16(a, b); }
    static Vec Eq(Vec a, Vec b) { return _mm256_cmpeq_epi16(a, b); }
    static Vec Gt(Vec a, Vec b) { return _mm256_cmpgt_epi16(a, b); }
    template <int N>
    static Vec Srl(Vec v) {
        return _mm256_srli_epi16(v, N);
    }
    template <int N>
    static Vec Sll(Vec v) {
        return _mm256_slli_epi16(v, N);
    }
};

constexpr SpriteKernels theKernels = simd::MakeKernels<Avx2>();

}  // namespace

const SpriteKernels *Avx2SpriteKernels() { return &theKernels; }

}  // namespace ruvo
#endif
