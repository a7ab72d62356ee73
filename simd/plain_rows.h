// Plain sprite rows in AVX-512 (BW, VL, VBMI, with BMI2), over the row walk
// of simd/row_walk.h.
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
#include "simd/row_walk.h"

namespace ruvo::simd {

// n lanes of 32 from lane first on: the write mask of a run's vector.
inline __mmask32 Lanes(ptrdiff_t n, ptrdiff_t first) {
    return _bzhi_u32(~0u, static_cast<unsigned>(n > first ? n - first : 0));
}

// Which of a vector's lanes at d are written: all of them, or for the
// depth-tested kernels those whose depth cell v (with u, the cell to its
// left) passes, (v << 16 | u) < key * 0x10001. Only the given lanes' depth
// cells are read, and the one left of the first.
template <bool kTested>
struct Gate {
    __m512i key;
    ptrdiff_t reach;
    __mmask32 operator()(const uint16_t *d, __mmask32 lanes) const {
        if constexpr (!kTested) {
            return lanes;
        } else {
            const uint16_t *z = d + reach;
            const __m512i v = _mm512_maskz_loadu_epi16(lanes, z);
            const __m512i u = _mm512_maskz_loadu_epi16(lanes, z - 1);
            return lanes & (_mm512_cmplt_epu16_mask(v, key) |
                            (_mm512_cmpeq_epi16_mask(v, key) & _mm512_cmplt_epu16_mask(u, key)));
        }
    }
};

template <bool kTested>
Gate<kTested> GateOf(const RowArgs &args) {
    return {_mm512_set1_epi16(static_cast<short>(args.key)), args.depth_reach};
}

// colour in the gated cells of n from d, 32 to a store.
template <bool kTested>
inline void FillRun(uint16_t *d, ptrdiff_t n, __m512i colour, const Gate<kTested> &gate) {
    for (ptrdiff_t i = 0; i < n; i += 32) {
        _mm512_mask_storeu_epi16(d + i, gate(d + i, Lanes(n, i)), colour);
    }
}

// ColourRuns: literals are the colours, a fill of kColourKey is a skip.
template <class Walk>
RUVO_ALIGN_STACK inline void ColourRunsWith(uint16_t *cells, const Walk &walk) {
    walk([cells](RunKind kind, ptrdiff_t n, const uint8_t *data, ptrdiff_t pos, ptrdiff_t,
                 const uint8_t *) {
        uint16_t *d = cells + pos;
        if (kind == RunKind::Fill) {
            uint16_t value;
            std::memcpy(&value, data, sizeof value);
            if (value != 0xF81F)
                FillRun(d, n, _mm512_set1_epi16(static_cast<short>(value)), Gate<false>{});
            return;
        }
        const auto *src = reinterpret_cast<const uint16_t *>(data);
        if (n <= 32) {
            const __mmask32 lanes = Lanes(n, 0);
            _mm512_mask_storeu_epi16(d, lanes, _mm512_maskz_loadu_epi16(lanes, src));
            return;
        }
        // Longer literals: 16-byte moves, the last one ending at the
        // run's end (it overlaps the one before); masked or 64-byte
        // moves measured slower on literals of 33 to 127 colours.
        for (ptrdiff_t i = 0; i + 8 < n; i += 8) {
            _mm_storeu_si128(reinterpret_cast<__m128i *>(d + i),
                             _mm_loadu_si128(reinterpret_cast<const __m128i *>(src + i)));
        }
        _mm_storeu_si128(reinterpret_cast<__m128i *>(d + n - 8),
                         _mm_loadu_si128(reinterpret_cast<const __m128i *>(src + n - 8)));
    });
}

// table[idx] for 32 indices 0..255 in 16-bit lanes, the table in eight
// registers; bit6 and bit7 are the indices' bits 6 and 7.
inline __m512i LookupWords(const __m512i (&table)[8], __m512i idx, __mmask32 bit6, __mmask32 bit7) {
    const __m512i a = _mm512_permutex2var_epi16(table[0], idx, table[1]);
    const __m512i b = _mm512_permutex2var_epi16(table[2], idx, table[3]);
    const __m512i c = _mm512_permutex2var_epi16(table[4], idx, table[5]);
    const __m512i e = _mm512_permutex2var_epi16(table[6], idx, table[7]);
    return _mm512_mask_blend_epi16(bit7, _mm512_mask_blend_epi16(bit6, a, b),
                                   _mm512_mask_blend_epi16(bit6, c, e));
}

// The same for 32 indices given as bytes.
inline __m512i LookupIndices(const __m512i (&table)[8], __m256i bytes) {
    const __m512i idx = _mm512_cvtepu8_epi16(bytes);
    return LookupWords(table, idx, _mm512_test_epi16_mask(idx, _mm512_set1_epi16(64)),
                       _mm512_test_epi16_mask(idx, _mm512_set1_epi16(128)));
}

// The table's 256 colours in eight registers, for the batch.
struct ColourTable {
    __m512i regs[8];
    explicit ColourTable(const uint16_t *colours) {
        for (ptrdiff_t k = 0; k < 8; ++k) regs[k] = _mm512_loadu_si512(colours + 32 * k);
    }
};

// A literal's n indices at data looked up into the gated cells from d; with
// kMix, mixed 50% with what they hold: (s & d) + (((s ^ d) & not_low) >> 1),
// which is (s + d - ((s ^ d) & low_bits)) >> 1 without a 17th bit.
template <bool kMix, bool kTested>
inline void LookupRun(uint16_t *d, ptrdiff_t n, const uint8_t *data, const ColourTable &table,
                      const Gate<kTested> &gate, __m512i not_low) {
    for (ptrdiff_t i = 0; i < n; i += 32) {
        const __mmask32 lanes = Lanes(n, i);
        __m512i c = LookupIndices(table.regs, _mm256_maskz_loadu_epi8(lanes, data + i));
        if constexpr (kMix) {
            const __m512i old = _mm512_maskz_loadu_epi16(lanes, d + i);
            const __m512i half =
                _mm512_srli_epi16(_mm512_and_si512(_mm512_xor_si512(c, old), not_low), 1);
            c = _mm512_add_epi16(_mm512_and_si512(c, old), half);
        }
        _mm512_mask_storeu_epi16(d + i, gate(d + i, lanes), c);
    }
}

// IndexRuns: literals are looked up in colours (index 0 drawn), a fill of
// index 0 is a skip; a fill looks its one colour up from memory.
template <bool kTested, class Walk>
RUVO_ALIGN_STACK inline void IndexRunsWith(uint16_t *cells, const RowArgs &args, const Walk &walk) {
    const ColourTable table(args.colours);
    const Gate<kTested> gate = GateOf<kTested>(args);
    walk([&](RunKind kind, ptrdiff_t n, const uint8_t *data, ptrdiff_t pos, ptrdiff_t,
             const uint8_t *) {
        uint16_t *d = cells + pos;
        if (kind == RunKind::Fill) {
            if (data[0] != 0) {
                FillRun(d, n, _mm512_set1_epi16(static_cast<short>(args.colours[data[0]])), gate);
            }
            return;
        }
        LookupRun<false>(d, n, data, table, gate, __m512i{});
    });
}
// BlendRuns through colours: literals looked up, blended literals mixed 50%
// with the cells, fills of any index drawn, skips left alone.
template <bool kTested, class Walk>
RUVO_ALIGN_STACK inline void BlendRunsWith(uint16_t *cells, const RowArgs &args, const Walk &walk) {
    const ColourTable table(args.colours);
    const Gate<kTested> gate = GateOf<kTested>(args);
    const __m512i not_low = _mm512_set1_epi16(static_cast<short>(~args.low_bits));
    walk([&](RunKind kind, ptrdiff_t n, const uint8_t *data, ptrdiff_t pos, ptrdiff_t,
             const uint8_t *) {
        uint16_t *d = cells + pos;
        switch (kind) {
            case RunKind::Fill:
                FillRun(d, n, _mm512_set1_epi16(static_cast<short>(args.colours[data[0]])), gate);
                break;
            case RunKind::Literal:
                LookupRun<false>(d, n, data, table, gate, not_low);
                break;
            case RunKind::Blended:
                LookupRun<true>(d, n, data, table, gate, not_low);
                break;
            case RunKind::Skip:
                break;
        }
    });
}

// The kernels of the table, for rows after a left scan and for whole sprites.
RUVO_ALIGN_STACK inline void ColourRows(uint16_t *cells, const PlainRow *rows, ptrdiff_t count,
                                        const RowArgs &) {
    ColourRunsWith(cells, RowsWalk<TwoClassRuns<2>>{rows, count});
}
RUVO_ALIGN_STACK inline void ColourSprite(const SpriteRows &sprite, const RowArgs &) {
    ColourRunsWith(sprite.cells, SpriteWalk<TwoClassRuns<2>>{sprite});
}
RUVO_ALIGN_STACK inline void IndexRows(uint16_t *cells, const PlainRow *rows, ptrdiff_t count,
                                       const RowArgs &args) {
    IndexRunsWith<false>(cells, args, RowsWalk<TwoClassRuns<1>>{rows, count});
}
RUVO_ALIGN_STACK inline void IndexSprite(const SpriteRows &sprite, const RowArgs &args) {
    IndexRunsWith<false>(sprite.cells, args, SpriteWalk<TwoClassRuns<1>>{sprite});
}
RUVO_ALIGN_STACK inline void TestedIndexRows(uint16_t *cells, const PlainRow *rows, ptrdiff_t count,
                                             const RowArgs &args) {
    IndexRunsWith<true>(cells, args, RowsWalk<TwoClassRuns<1>>{rows, count});
}
RUVO_ALIGN_STACK inline void TestedIndexSprite(const SpriteRows &sprite, const RowArgs &args) {
    IndexRunsWith<true>(sprite.cells, args, SpriteWalk<TwoClassRuns<1>>{sprite});
}
RUVO_ALIGN_STACK inline void BlendRows(uint16_t *cells, const PlainRow *rows, ptrdiff_t count,
                                       const RowArgs &args) {
    BlendRunsWith<false>(cells, args, RowsWalk<BlendClassRuns>{rows, count});
}
RUVO_ALIGN_STACK inline void BlendSprite(const SpriteRows &sprite, const RowArgs &args) {
    BlendRunsWith<false>(sprite.cells, args, SpriteWalk<BlendClassRuns>{sprite});
}
RUVO_ALIGN_STACK inline void TestedBlendRows(uint16_t *cells, const PlainRow *rows, ptrdiff_t count,
                                             const RowArgs &args) {
    BlendRunsWith<true>(cells, args, RowsWalk<BlendClassRuns>{rows, count});
}
RUVO_ALIGN_STACK inline void TestedBlendSprite(const SpriteRows &sprite, const RowArgs &args) {
    BlendRunsWith<true>(sprite.cells, args, SpriteWalk<BlendClassRuns>{sprite});
}

}  // namespace ruvo::simd
