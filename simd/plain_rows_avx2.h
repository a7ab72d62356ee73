// Rows of index runs in AVX2, plain and depth-tested, over the row walk of
// simd/row_walk.h.
//
// AVX2 has no 16-bit masked store, so every store lies inside its run: a run
// of 16 pixels or more is vectors of 16, the last one ending at the run's end
// and overlapping the one before; a run of 8 to 15 is two vectors of 8 the
// same way; shorter runs go pixel by pixel. Lookups are gathers of eight
// colours; no vector reads past its run's data.
//
// Rows of colour runs and of blend runs stay with the row walker and the run
// kernels on this path: row kernels built the same way measured slower there
// (colour rows of ruvo-pack's encoding 1.25 times the walker's time, blend
// rows 1.1 to 1.4).
//
// Include only in the AVX2 unit.
#pragma once

#include <immintrin.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "simd/avx2.h"
#include "simd/kernels.h"
#include "simd/row_walk.h"
#include "simd/sprite_runs.h"

namespace ruvo::simd {
namespace {

// Colours table[p[j]] for the V::kLanes index bytes at p (as many readable).
template <class V>
typename V::Vec GatherColours(const uint16_t *table, const uint8_t *p) {
    if constexpr (V::kLanes == 16) {
        return Avx2::Lookup16(table, p);
    } else {
        const __m256i low =
            _mm256_and_si256(Avx2::Gather16(table, Avx2::Indices32(p)), _mm256_set1_epi32(0xFFFF));
        return _mm_packus_epi32(_mm256_castsi256_si128(low), _mm256_extracti128_si256(low, 1));
    }
}

// The cells [d, d + n), n >= V::kLanes, set to paint(i) for pixels i ..
// i + kLanes - 1, with kTested only where the depth test against key passes
// (depth cells reach cells from their pixels). The test keeps the cells it
// fails, so the last vector, which overlaps the one before, reads its cells
// before the first store: read after it, it would wait for that store
// (depth-tested rows took 1.1 to 1.35 times as long).
template <class V, bool kTested, class Paint>
inline void DrawVectors(uint16_t *d, ptrdiff_t n, const Paint &paint, uint16_t key,
                        ptrdiff_t reach) {
    using Vec = typename V::Vec;
    constexpr ptrdiff_t kLanes = V::kLanes;
    const ptrdiff_t last = n - kLanes;
    if constexpr (kTested) {
        const Vec k = V::Set16(key);
        auto drawn = [&](ptrdiff_t i) {
            const uint16_t *z = d + i + reach;
            return V::Select(Common<V>::Passes(V::Load(z), V::Load(z - 1), k), paint(i),
                             V::Load(d + i));
        };
        const Vec tail = drawn(last);
        for (ptrdiff_t i = 0; i < last; i += kLanes) V::Store(d + i, drawn(i));
        V::Store(d + last, tail);
    } else {
        for (ptrdiff_t i = 0; i < last; i += kLanes) V::Store(d + i, paint(i));
        V::Store(d + last, paint(last));
    }
}

// A run of n >= 1 pixels: paint16 and paint8 give its vectors of 16 and 8
// pixels from pixel i, colour(i) one pixel.
template <bool kTested, class Paint16, class Paint8, class Colour>
inline void DrawRunCells(uint16_t *d, ptrdiff_t n, const Paint16 &paint16, const Paint8 &paint8,
                         const Colour &colour, const RowArgs &args) {
    if (n >= 16) {
        DrawVectors<Avx2, kTested>(d, n, paint16, args.key, args.depth_reach);
    } else if (n >= 8) {
        DrawVectors<Sse2, kTested>(d, n, paint8, args.key, args.depth_reach);
    } else {
        for (ptrdiff_t i = 0; i < n; ++i) {
            if constexpr (kTested) {
                const uint16_t *z = d + i + args.depth_reach;
                if (!(z[0] < args.key || (z[0] == args.key && z[-1] < args.key))) continue;
            }
            d[i] = colour(i);
        }
    }
}

// A literal's n index bytes at data looked up into the cells from d.
template <bool kTested>
inline void LookupLiteral(uint16_t *d, ptrdiff_t n, const uint8_t *data, const RowArgs &args) {
    const uint16_t *colours = args.colours;
    DrawRunCells<kTested>(
        d, n, [&](ptrdiff_t i) { return GatherColours<Avx2>(colours, data + i); },
        [&](ptrdiff_t i) { return GatherColours<Sse2>(colours, data + i); },
        [&](ptrdiff_t i) { return colours[data[i]]; }, args);
}

// n cells from d set to colour c; without the depth test, fewer than 8 as
// two overlapping 8- or 4-byte stores (FillCells of sprites/run_copy.h, which
// this unit cannot include: its inline functions would be emitted here in
// AVX2 encoding for the whole library).
template <bool kTested>
inline void FillColour(uint16_t *d, ptrdiff_t n, uint16_t c, const RowArgs &args) {
    if (!kTested && n < 8) {
        const uint64_t c4 = c * uint64_t{0x0001000100010001};
        if (n >= 4) {
            std::memcpy(d, &c4, 8);
            std::memcpy(d + n - 4, &c4, 8);
        } else if (n >= 2) {
            const auto c2 = static_cast<uint32_t>(c4);
            std::memcpy(d, &c2, 4);
            std::memcpy(d + n - 2, &c2, 4);
        } else {
            d[0] = c;
        }
        return;
    }
    const __m256i wide = Avx2::Set16(c);
    const __m128i narrow = Sse2::Set16(c);
    DrawRunCells<kTested>(
        d, n, [&](ptrdiff_t) { return wide; }, [&](ptrdiff_t) { return narrow; },
        [&](ptrdiff_t) { return c; }, args);
}

// IndexRuns: literals are looked up in colours (index 0 drawn), a fill of
// index 0 is a skip.
template <bool kTested, class Walk>
RUVO_ALIGN_STACK inline void IndexRunsAvx2With(uint16_t *cells, const RowArgs &row_args,
                                               const Walk &walk) {
    // A copy the cells' stores cannot alias: the key stays in a register
    // (depth-tested rows took up to 1.4 times as long reading it again).
    const RowArgs args = row_args;
    walk([&](RunKind kind, ptrdiff_t n, const uint8_t *data, ptrdiff_t pos, ptrdiff_t,
             const uint8_t *) {
        if (kind == RunKind::Literal) {
            LookupLiteral<kTested>(cells + pos, n, data, args);
        } else if (data[0] != 0) {
            FillColour<kTested>(cells + pos, n, args.colours[data[0]], args);
        }
    });
}
template <bool kTested>
RUVO_ALIGN_STACK inline void IndexRowsAvx2(uint16_t *cells, const PlainRow *rows, ptrdiff_t count,
                                           const RowArgs &args) {
    IndexRunsAvx2With<kTested>(cells, args, RowsWalk<TwoClassRuns<1>>{rows, count});
}
template <bool kTested>
RUVO_ALIGN_STACK inline void IndexSpriteAvx2(const SpriteRows &sprite, const RowArgs &args) {
    IndexRunsAvx2With<kTested>(sprite.cells, args, SpriteWalk<TwoClassRuns<1>>{sprite});
}

}  // namespace
}  // namespace ruvo::simd
