// Plain sprite rows in AVX-512 (BW, VL, VBMI, with BMI2): every run of a
// row drawn by the same few instructions, whatever its class, with no branch
// on it.
//
// A run of up to 32 pixels is one vector (longer ones loop: a second store
// for every run cost more than the branch on the few longer ones). Its
// class only selects values: the source is the literal's data or its one
// value broadcast; the write mask is the run's first n lanes, empty for a
// skip (a fill of the colour key, or of index 0). Each vector is one masked
// load (no byte outside the row is read: the masked-off lanes of a load do
// not fault) and one masked store (no cell past the run is written).
//
// A row is a chain: each run's place is known only once the previous run's
// code byte is loaded. The chain is kept to the load, one address
// computation and a select (about 7 cycles a run where the bounded reading
// took 13): the advance is taken as the code says, and only a run that would
// reach past the row's end leaves the fast loop, for the bounded reading of
// the row walker (sprites/rle_sprite.h): a literal cut to the whole values
// left in the row, a fill whose value lies past the row's end ending the
// row. Every run is cut at the right limit, after which the row ends.
//
// Include only in the AVX-512 unit.
#pragma once

#include <immintrin.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "simd/avx512.h"
#include "simd/kernels.h"

namespace ruvo::simd {

// One decoded run, computed without a branch on its class (the compiler
// turns a choice of values into a branch unless it is written as masks): its
// pixel count n before the right limit, the mask of its first vector's
// lanes, whether it is a fill (or a skip), where its data starts and the
// bytes to the next run.
struct PlainRun {
    ptrdiff_t n;
    __mmask32 lanes0;     // lanes 0 .. 31 of the first n
    __mmask32 fill;       // all ones for a fill or a skip, else 0
    __mmask32 has_value;  // 1 for a fill whose value lies in the row, else 0
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
    run.fill = static_cast<__mmask32>(fill);
    run.has_value = static_cast<__mmask32>(has_value & (counted != 0));
    run.data = p + 1;
    run.advance = 1 + ((fill & fill_advance) | (~fill & literal * kValueBytes));
    return run;
}

// The bytes a run takes as its code says: the code byte, then a literal's
// count values or a fill's one value.
template <int kValueBytes>
inline ptrdiff_t RunBytes(uint32_t code) {
    return code < 0x80 ? kValueBytes * static_cast<ptrdiff_t>(code) + 1 : kValueBytes + 1;
}

// Walks the rows: Fast draws a run that lies whole inside the row from its
// code byte; Bounded draws a run from the bounded reading. A row goes to the
// bounded reading from its first run that reaches past its end.
template <int kValueBytes, class Fast, class Bounded>
inline void WalkRows(const PlainRow *rows, ptrdiff_t count, const Fast &fast,
                     const Bounded &bounded) {
    for (ptrdiff_t r = 0; r < count; ++r) {
        ptrdiff_t pos = rows[r].pos;
        const ptrdiff_t right = rows[r].right;
        const uint8_t *p = rows[r].p;
        const uint8_t *const end = rows[r].end;
        while (pos < right && p < end) {
            const uint32_t code = p[0];
            const ptrdiff_t bytes = RunBytes<kValueBytes>(code);
            if (bytes > end - p) [[unlikely]] {
                while (pos < right && p < end) {
                    const PlainRun run = ReadPlainRun<kValueBytes>(p, end, right - pos);
                    bounded(run, pos);
                    pos += run.n;
                    p += run.advance;
                }
                break;
            }
            const ptrdiff_t count_ = code & 0x7F;
            const ptrdiff_t n = count_ < right - pos ? count_ : right - pos;
            fast(code, n, p + 1, pos);
            pos += n;
            p += bytes;
        }
    }
}

// n lanes of 32 from lane first on: the write mask of a run's vector.
inline __mmask32 Lanes(ptrdiff_t n, ptrdiff_t first) {
    return _bzhi_u32(~0u, static_cast<unsigned>(n > first ? n - first : 0));
}

// ColourRuns: literals are the colours, a fill of kColourKey is a skip.
RUVO_ALIGN_STACK inline void ColourRows(uint16_t *cells, const PlainRow *rows, ptrdiff_t count,
                                        const uint16_t *) {
    const __m512i key = _mm512_set1_epi16(static_cast<short>(0xF81F));
    // n colours at d: the literal's from src, or value where fill is all ones;
    // written lanes are those of drawn.
    auto draw = [](uint16_t *d, const uint16_t *src, ptrdiff_t n, __mmask32 fill, __mmask32 drawn,
                   __m512i value) {
        const __mmask32 lanes0 = Lanes(n, 0);
        _mm512_mask_storeu_epi16(
            d, lanes0 & drawn,
            _mm512_mask_blend_epi16(fill, _mm512_maskz_loadu_epi16(lanes0 & ~fill, src), value));
        for (ptrdiff_t i = 32; i < n; i += 32) {  // runs of 33 to 127 pixels
            const __mmask32 rest = Lanes(n, i);
            _mm512_mask_storeu_epi16(
                d + i, rest & drawn,
                _mm512_mask_blend_epi16(fill, _mm512_maskz_loadu_epi16(rest & ~fill, src + i),
                                        value));
        }
    };
    WalkRows<2>(
        rows, count,
        [&](uint32_t code, ptrdiff_t n, const uint8_t *data, ptrdiff_t pos) {
            // A fill's value from a scalar load, so that its skip test stays
            // off the vector unit; a literal may end the row, so it reads a
            // value of its own.
            static constexpr uint16_t kNone = 0;
            uint16_t value;
            std::memcpy(&value, code >= 0x80 ? data : reinterpret_cast<const uint8_t *>(&kNone),
                        sizeof value);
            const __mmask32 fill = code >= 0x80 ? ~0u : 0u;
            const __mmask32 drawn = ~fill | (value != 0xF81F ? ~0u : 0u);
            draw(cells + pos, reinterpret_cast<const uint16_t *>(data), n, fill, drawn,
                 _mm512_set1_epi16(static_cast<short>(value)));
        },
        [&](const PlainRun &run, ptrdiff_t pos) {
            const auto *src = reinterpret_cast<const uint16_t *>(run.data);
            const __m512i first =
                _mm512_maskz_loadu_epi16((run.lanes0 & ~run.fill) | run.has_value, src);
            const __m512i value = _mm512_broadcastw_epi16(_mm512_castsi512_si128(first));
            draw(cells + pos, src, run.n, run.fill,
                 _mm512_cmpneq_epi16_mask(value, key) | ~run.fill, value);
        });
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
// index 0 is a skip. The table stays in eight registers for the batch.
RUVO_ALIGN_STACK inline void IndexRows(uint16_t *cells, const PlainRow *rows, ptrdiff_t count,
                                       const uint16_t *colours) {
    __m512i table[8];
    for (int k = 0; k < 8; ++k) table[k] = _mm512_loadu_si512(colours + 32 * k);
    // n pixels at d: the literal's indices from src, or index where fill is
    // all ones; written lanes are those of drawn.
    auto draw = [&](uint16_t *d, const uint8_t *src, ptrdiff_t n, __mmask32 fill, __mmask32 drawn,
                    __m256i index) {
        for (ptrdiff_t i = 0; i == 0 || i < n; i += 32) {  // runs of 33 to 127 pixels loop
            const __mmask32 lanes = Lanes(n, i);
            const __m256i bytes = _mm256_mask_blend_epi8(
                fill, _mm256_maskz_loadu_epi8(lanes & ~fill, src + i), index);
            _mm512_mask_storeu_epi16(d + i, lanes & drawn, LookupIndices(table, bytes));
        }
    };
    WalkRows<1>(
        rows, count,
        [&](uint32_t code, ptrdiff_t n, const uint8_t *data, ptrdiff_t pos) {
            static constexpr uint8_t kNone = 0;
            const uint8_t index = *(code >= 0x80 ? data : &kNone);  // a literal may end the row
            const __mmask32 fill = code >= 0x80 ? ~0u : 0u;
            const __mmask32 drawn = ~fill | (index != 0 ? ~0u : 0u);
            draw(cells + pos, data, n, fill, drawn, _mm256_set1_epi8(static_cast<char>(index)));
        },
        [&](const PlainRun &run, ptrdiff_t pos) {
            const __m256i loaded =
                _mm256_maskz_loadu_epi8((run.lanes0 & ~run.fill) | run.has_value, run.data);
            const __m256i index = _mm256_broadcastb_epi8(_mm256_castsi256_si128(loaded));
            draw(cells + pos, run.data, run.n, run.fill,
                 _mm256_test_epi8_mask(index, index) | ~run.fill, index);
        });
}

}  // namespace ruvo::simd
