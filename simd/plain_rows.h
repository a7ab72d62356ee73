// Plain sprite rows in AVX-512 (BW, VL, VBMI, with BMI2): every run of a
// row drawn by the same few instructions, whatever its class, with no branch
// on it.
//
// A run of up to 64 colours (32 indices) is two vectors (one) of 32 pixels.
// Its class only selects values: the source is the literal's data or its one
// value broadcast; the write mask is the run's first n lanes, empty for a
// skip (a fill of the colour key, or of index 0); the data advance is
// computed from the count. Each vector is one masked load (no byte outside
// the row is read: the masked-off lanes of a load do not fault) and one
// masked store (no cell past the run is written). Only longer runs loop.
// Reading a run follows the row walker's rule (sprites/rle_sprite.h): a
// literal is cut to the whole values left in the row, a fill whose value
// lies past the row's end ends the row, and every run is cut at the right
// limit, after which the row ends.
//
// Include only in the AVX-512 unit.
#pragma once

#include <immintrin.h>

#include <cstddef>
#include <cstdint>

#include "simd/avx512.h"

namespace ruvo::simd {

// One decoded run, computed without a branch on its class (the compiler
// turns a choice of values into a branch unless it is written as masks): its
// pixel count n before the right limit, the masks of its two first vectors'
// lanes, whether it is a fill (or a skip), where its data starts and the
// bytes to the next run.
struct PlainRun {
    ptrdiff_t n;
    __mmask32 lanes0, lanes1;  // lanes 0 .. 31 and 32 .. 63 of the first n
    __mmask32 fill;            // all ones for a fill or a skip, else 0
    __mmask32 has_value;       // 1 for a fill whose value lies in the row, else 0
    const uint8_t *data;
    ptrdiff_t advance;
};

template <int kValueBytes>
inline PlainRun ReadPlainRun(const uint8_t *p, const uint8_t *end, ptrdiff_t room) {
    const uint32_t code = p[0];
    const auto fill = static_cast<ptrdiff_t>(0) - static_cast<ptrdiff_t>(code >> 7);  // 0 or -1
    const auto count = static_cast<ptrdiff_t>(code & 0x7F);
    const ptrdiff_t avail = end - (p + 1);
    const ptrdiff_t whole = avail / kValueBytes;
    const ptrdiff_t literal = whole < count ? whole : count;
    const ptrdiff_t has_value = fill & (avail >= kValueBytes ? ptrdiff_t{-1} : 0);
    const ptrdiff_t counted = (count & has_value) | (literal & ~fill);
    const ptrdiff_t fill_advance = (has_value & kValueBytes) | (~has_value & avail);
    PlainRun run;
    run.n = counted < room ? counted : room;
    const auto n32 = static_cast<unsigned>(run.n);
    run.lanes0 = _bzhi_u32(~0u, n32);  // all 32 from n = 32 on
    run.lanes1 = _bzhi_u32(~0u, n32 > 32 ? n32 - 32 : 0);
    run.fill = static_cast<__mmask32>(fill);
    run.has_value = static_cast<__mmask32>(has_value & (counted != 0));
    run.data = p + 1;
    run.advance = 1 + ((fill & fill_advance) | (~fill & literal * kValueBytes));
    return run;
}

// ColourRuns: literals are the colours, a fill of kColourKey is a skip.
RUVO_ALIGN_STACK inline void ColourRows(uint16_t *cells, ptrdiff_t pos, ptrdiff_t right,
                                        const uint8_t *p, const uint8_t *end, const uint16_t *) {
    const __m512i key = _mm512_set1_epi16(static_cast<short>(0xF81F));
    while (pos < right && p < end) {
        const PlainRun run = ReadPlainRun<2>(p, end, right - pos);
        uint16_t *d = cells + pos;
        const auto *src = reinterpret_cast<const uint16_t *>(run.data);
        // The literal's first 32 colours, or the fill's value in every lane.
        const __m512i first =
            _mm512_maskz_loadu_epi16((run.lanes0 & ~run.fill) | run.has_value, src);
        const __m512i value = _mm512_broadcastw_epi16(_mm512_castsi512_si128(first));
        const __mmask32 drawn = _mm512_cmpneq_epi16_mask(value, key) | ~run.fill;
        _mm512_mask_storeu_epi16(d, run.lanes0 & drawn,
                                 _mm512_mask_blend_epi16(run.fill, first, value));
        const __m512i second = _mm512_maskz_loadu_epi16(run.lanes1 & ~run.fill, src + 32);
        _mm512_mask_storeu_epi16(d + 32, run.lanes1 & drawn,
                                 _mm512_mask_blend_epi16(run.fill, second, value));
        for (ptrdiff_t i = 64; i < run.n; i += 32) {  // runs of 65 to 127 pixels
            const __mmask32 rest = _bzhi_u32(~0u, static_cast<unsigned>(run.n - i));
            const __m512i more = _mm512_maskz_loadu_epi16(rest & ~run.fill, src + i);
            _mm512_mask_storeu_epi16(d + i, rest & drawn,
                                     _mm512_mask_blend_epi16(run.fill, more, value));
        }
        pos += run.n;
        p += run.advance;
    }
}

// table[idx] for 32 indices 0..255 from the table's eight registers: four
// two-register permutes over 64 entries each, chosen by bits 6 and 7.
inline __m512i LookupIndices(const __m512i (&table)[8], __m256i bytes) {
    const __m512i idx = _mm512_cvtepu8_epi16(bytes);
    const __m512i a = _mm512_permutex2var_epi16(table[0], idx, table[1]);
    const __m512i b = _mm512_permutex2var_epi16(table[2], idx, table[3]);
    const __m512i c = _mm512_permutex2var_epi16(table[4], idx, table[5]);
    const __m512i e = _mm512_permutex2var_epi16(table[6], idx, table[7]);
    const __mmask32 bit6 = _mm512_test_epi16_mask(idx, _mm512_set1_epi16(64));
    const __mmask32 bit7 = _mm512_test_epi16_mask(idx, _mm512_set1_epi16(128));
    return _mm512_mask_blend_epi16(bit7, _mm512_mask_blend_epi16(bit6, a, b),
                                   _mm512_mask_blend_epi16(bit6, c, e));
}

// IndexRuns: literals are looked up in colours (index 0 drawn), a fill of
// index 0 is a skip. The table stays in eight registers for the row.
RUVO_ALIGN_STACK inline void IndexRows(uint16_t *cells, ptrdiff_t pos, ptrdiff_t right,
                                       const uint8_t *p, const uint8_t *end,
                                       const uint16_t *colours) {
    __m512i table[8];
    for (int k = 0; k < 8; ++k) table[k] = _mm512_loadu_si512(colours + 32 * k);
    while (pos < right && p < end) {
        const PlainRun run = ReadPlainRun<1>(p, end, right - pos);
        uint16_t *d = cells + pos;
        // The literal's first 32 indices, or the fill's index in every byte.
        const __m256i loaded =
            _mm256_maskz_loadu_epi8((run.lanes0 & ~run.fill) | run.has_value, run.data);
        const __m256i index = _mm256_broadcastb_epi8(_mm256_castsi256_si128(loaded));
        const __mmask32 drawn = _mm256_test_epi8_mask(index, index) | ~run.fill;  // 0 skips
        const __m256i first = _mm256_mask_blend_epi8(run.fill, loaded, index);
        _mm512_mask_storeu_epi16(d, run.lanes0 & drawn, LookupIndices(table, first));
        for (ptrdiff_t i = 32; i < run.n; i += 32) {  // runs of 33 to 127 pixels
            const __mmask32 rest = _bzhi_u32(~0u, static_cast<unsigned>(run.n - i));
            const __m256i more = _mm256_mask_blend_epi8(
                run.fill, _mm256_maskz_loadu_epi8(rest & ~run.fill, run.data + i), index);
            _mm512_mask_storeu_epi16(d + i, rest & drawn, LookupIndices(table, more));
        }
        pos += run.n;
        p += run.advance;
    }
}

}  // namespace ruvo::simd
