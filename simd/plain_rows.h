// Plain sprite rows in AVX-512 (BW, VL, VBMI, with BMI2).
//
// A row is a chain: each run's place is known only once the previous run's
// code byte is loaded. The chain is kept to the load, one address
// computation and a select (about 7 cycles a run, where a reading bounded at
// every run took 13): the advance is taken as the code says, and only a run
// that would reach past the row's end leaves the fast loop, for the bounded
// reading of the row walker (sprites/rle_sprite.h): a literal cut to the
// whole values left in the row, a fill whose value lies past the row's end
// ending the row. Every run is cut at the right limit, after which the row
// ends.
//
// A run of up to 32 pixels is one masked store (no cell past the run is
// written) of a masked load (no byte past the run is read: masked-off lanes
// do not fault) or of a broadcast fill; longer runs loop. The class is a
// branch: a choice of values without one (masks and blends, a second store
// for every run) measured slower, since the predictor learns the runs of
// sprites drawn again and again.
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

// One run by the bounded reading: its pixel count n before the right limit,
// whether it is a fill (or a skip), where its data starts and the bytes to
// the next run. A fill whose value lies past the row's end has n = 0 and
// takes the rest of the row.
struct BoundedRun {
    ptrdiff_t n;
    bool fill;
    const uint8_t *data;
    ptrdiff_t advance;
};

template <int kValueBytes>
inline BoundedRun ReadBoundedRun(const uint8_t *p, const uint8_t *end, ptrdiff_t room) {
    const uint32_t code = p[0];
    const auto count = static_cast<ptrdiff_t>(code & 0x7F);
    const ptrdiff_t avail = end - (p + 1);
    BoundedRun run{0, code >= 0x80, p + 1, 0};
    if (run.fill) {
        const bool has_value = avail >= kValueBytes;
        run.n = has_value ? count : 0;
        run.advance = 1 + (has_value ? kValueBytes : avail);
    } else {
        const ptrdiff_t whole = avail / kValueBytes;
        run.n = whole < count ? whole : count;
        run.advance = 1 + run.n * kValueBytes;
    }
    if (run.n > room) run.n = room;
    return run;
}

// The bytes a run takes as its code says: the code byte, then a literal's
// count values or a fill's one value.
template <int kValueBytes>
inline ptrdiff_t RunBytes(uint32_t code) {
    return code < 0x80 ? kValueBytes * static_cast<ptrdiff_t>(code) + 1 : kValueBytes + 1;
}

// Walks the rows, calling draw(fill, n, data, pos) for every run of n > 0
// pixels at cell index pos whose data (a literal's values, a fill's value)
// starts at data. A row goes to the bounded reading from its first run that
// reaches past its end.
template <int kValueBytes, class Draw>
inline void WalkRows(const PlainRow *rows, ptrdiff_t count, const Draw &draw) {
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
                    const BoundedRun run = ReadBoundedRun<kValueBytes>(p, end, right - pos);
                    if (run.n > 0) draw(run.fill, run.n, run.data, pos);
                    pos += run.n;
                    p += run.advance;
                }
                break;
            }
            const ptrdiff_t count_ = code & 0x7F;
            const ptrdiff_t n = count_ < right - pos ? count_ : right - pos;
            if (n > 0) draw(code >= 0x80, n, p + 1, pos);
            pos += n;
            p += bytes;
        }
    }
}

// n lanes of 32 from lane first on: the write mask of a run's vector.
inline __mmask32 Lanes(ptrdiff_t n, ptrdiff_t first) {
    return _bzhi_u32(~0u, static_cast<unsigned>(n > first ? n - first : 0));
}

// colour in n cells from d, 32 to a store.
inline void FillRun(uint16_t *d, ptrdiff_t n, __m512i colour) {
    for (ptrdiff_t i = 0; i < n; i += 32) _mm512_mask_storeu_epi16(d + i, Lanes(n, i), colour);
}

// ColourRuns: literals are the colours, a fill of kColourKey is a skip.
RUVO_ALIGN_STACK inline void ColourRows(uint16_t *cells, const PlainRow *rows, ptrdiff_t count,
                                        const uint16_t *) {
    WalkRows<2>(rows, count, [&](bool fill, ptrdiff_t n, const uint8_t *data, ptrdiff_t pos) {
        uint16_t *d = cells + pos;
        if (fill) {
            uint16_t value;
            std::memcpy(&value, data, sizeof value);
            if (value != 0xF81F) FillRun(d, n, _mm512_set1_epi16(static_cast<short>(value)));
            return;
        }
        const auto *src = reinterpret_cast<const uint16_t *>(data);
        for (ptrdiff_t i = 0; i < n; i += 32) {
            const __mmask32 lanes = Lanes(n, i);
            _mm512_mask_storeu_epi16(d + i, lanes, _mm512_maskz_loadu_epi16(lanes, src + i));
        }
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
// index 0 is a skip. The table stays in eight registers for the batch; a
// fill looks its one colour up from memory.
RUVO_ALIGN_STACK inline void IndexRows(uint16_t *cells, const PlainRow *rows, ptrdiff_t count,
                                       const uint16_t *colours) {
    __m512i table[8];
    for (int k = 0; k < 8; ++k) table[k] = _mm512_loadu_si512(colours + 32 * k);
    WalkRows<1>(rows, count, [&](bool fill, ptrdiff_t n, const uint8_t *data, ptrdiff_t pos) {
        uint16_t *d = cells + pos;
        if (fill) {
            if (data[0] != 0)
                FillRun(d, n, _mm512_set1_epi16(static_cast<short>(colours[data[0]])));
            return;
        }
        for (ptrdiff_t i = 0; i < n; i += 32) {
            const __mmask32 lanes = Lanes(n, i);
            _mm512_mask_storeu_epi16(
                d + i, lanes, LookupIndices(table, _mm256_maskz_loadu_epi8(lanes, data + i)));
        }
    });
}

}  // namespace ruvo::simd
