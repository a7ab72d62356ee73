// Colour arithmetic over whole rows of index runs in AVX-512 (BW, VL, VBMI,
// with BMI2): the depth-tested translucency, additive and light, and fades.
// A row is drawn in two passes (DrawRuleRow): its runs are decoded (one
// masked load of a literal's indices or a fill's value, the run's first n
// lanes, none for a skip, no branch on the run's class) into one index word
// per pixel; then the row is
// drawn 32 pixels at a time, the depth test and the rule as masks and one
// masked store. A sprite that needs no left scan is one call for all its
// rows (RuleIndexSprite), the rule set up once.
//
// Each rule computes its formula of sprites/pixel_ops.h on 16-bit lanes, as
// simd/sprite_runs.h does (the 32-bit spread arithmetic split into a low and
// a high half), with the tables in registers: the colour table as eight
// registers read by word permutes, the BlendTable split into sixteen
// registers of its low and high words.
//
// Include only in the AVX-512 unit.
#pragma once

#include <immintrin.h>

#include <cstddef>
#include <cstdint>

#include "simd/avx512.h"
#include "simd/kernels.h"
#include "simd/plain_rows.h"

namespace ruvo::simd {

// One decoded run of index runs, computed without a branch on its class (the compiler
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

// (x & y) | z, bit by bit.
inline __m512i AndOr(__m512i x, __m512i y, __m512i z) {
    return _mm512_ternarylogic_epi64(x, y, z, 0xEA);
}
// (x | y) & z, bit by bit.
inline __m512i OrAnd(__m512i x, __m512i y, __m512i z) {
    return _mm512_ternarylogic_epi64(x, y, z, 0xA8);
}

// The channel spread S as its low and high halves.
struct SpreadHalves {
    __m512i lo, hi;
    explicit SpreadHalves(uint32_t s)
        : lo(_mm512_set1_epi16(static_cast<short>(s))),
          hi(_mm512_set1_epi16(static_cast<short>(s >> 16))) {}
};

// ((spread(p) x m) >> kShift) as its low and high halves, m < 2^16 per lane.
template <int kShift>
inline void ScaleSpread(__m512i p, __m512i m, const SpreadHalves &s, __m512i &lo, __m512i &hi) {
    const __m512i a = _mm512_and_si512(p, s.lo), b = _mm512_and_si512(p, s.hi);
    const __m512i pl = _mm512_mullo_epi16(a, m);
    const __m512i ph = _mm512_add_epi16(_mm512_mulhi_epu16(a, m), _mm512_mullo_epi16(b, m));
    lo = _mm512_or_si512(_mm512_srli_epi16(pl, kShift), _mm512_slli_epi16(ph, 16 - kShift));
    hi = _mm512_srli_epi16(ph, kShift);
}

// w = e >> 19; unless w & 0xFF == 31: d = fold(((spread(d) x w) >> 5) & S) + (e & 0xFFFF).
struct TranslucentRule {
    using Args = TranslucentArgs;
    static constexpr bool kTested = true;
    __m512i lo[8], hi[8];  // the entries' low and high words, 32 entries a register
    SpreadHalves s;

    explicit TranslucentRule(const Args &a) : s(a.s) {
        static constexpr uint16_t kEven[32] = {0,  2,  4,  6,  8,  10, 12, 14, 16, 18, 20,
                                               22, 24, 26, 28, 30, 32, 34, 36, 38, 40, 42,
                                               44, 46, 48, 50, 52, 54, 56, 58, 60, 62};
        const __m512i even = _mm512_loadu_si512(kEven);
        const __m512i odd = _mm512_add_epi16(even, _mm512_set1_epi16(1));
        for (ptrdiff_t k = 0; k < 8; ++k) {
            const __m512i first = _mm512_loadu_si512(a.blend + 32 * k);
            const __m512i second = _mm512_loadu_si512(a.blend + 32 * k + 16);
            lo[k] = _mm512_permutex2var_epi16(first, even, second);
            hi[k] = _mm512_permutex2var_epi16(first, odd, second);
        }
    }
    __m512i Apply(__m512i idx, __m512i old, __mmask32 &draw) const {
        const __mmask32 bit6 = _mm512_test_epi16_mask(idx, _mm512_set1_epi16(64));
        const __mmask32 bit7 = _mm512_test_epi16_mask(idx, _mm512_set1_epi16(128));
        const __m512i e_lo = LookupWords(lo, idx, bit6, bit7);
        const __m512i w = _mm512_srli_epi16(LookupWords(hi, idx, bit6, bit7), 3);
        draw = _mm512_mask_cmpneq_epi16_mask(draw, _mm512_and_si512(w, _mm512_set1_epi16(0xFF)),
                                             _mm512_set1_epi16(31));
        __m512i t_lo, t_hi;
        ScaleSpread<5>(old, w, s, t_lo, t_hi);
        const __m512i scaled = AndOr(t_hi, s.hi, _mm512_and_si512(t_lo, s.lo));
        return _mm512_add_epi16(scaled, e_lo);
    }
};

// sum = c + d on 17 bits; carry = ((c ^ d ^ sum) >> 1) & high; r = sum - carry,
// then every channel with its carry bit set at its maximum.
struct AdditiveRule {
    using Args = AdditiveArgs;
    static constexpr bool kTested = true;
    __m512i table[8];
    __m512i high, red, green, blue;

    explicit AdditiveRule(const Args &a)
        : high(_mm512_set1_epi16(static_cast<short>(a.high_bits))),
          red(_mm512_set1_epi16(static_cast<short>(a.red))),
          green(_mm512_set1_epi16(static_cast<short>(a.green))),
          blue(_mm512_set1_epi16(static_cast<short>(a.blue))) {
        for (ptrdiff_t k = 0; k < 8; ++k) table[k] = _mm512_loadu_si512(a.colours + 32 * k);
    }
    __m512i Apply(__m512i idx, __m512i old, __mmask32 &) const {
        const __mmask32 bit6 = _mm512_test_epi16_mask(idx, _mm512_set1_epi16(64));
        const __mmask32 bit7 = _mm512_test_epi16_mask(idx, _mm512_set1_epi16(128));
        const __m512i c = LookupWords(table, idx, bit6, bit7);
        const __m512i sum = _mm512_add_epi16(c, old);
        const __mmask32 carry_out = _mm512_cmplt_epu16_mask(sum, c);  // bit 16 of the sum
        __m512i carry = _mm512_srli_epi16(_mm512_ternarylogic_epi64(c, old, sum, 0x96), 1);
        carry = _mm512_and_si512(
            _mm512_mask_mov_epi16(carry, carry_out,
                                  _mm512_or_si512(carry, _mm512_set1_epi16(-0x8000))),
            high);
        __m512i r = _mm512_sub_epi16(sum, carry);
        r = _mm512_mask_mov_epi16(r, _mm512_test_epi16_mask(carry, red), _mm512_or_si512(r, red));
        r = _mm512_mask_mov_epi16(r, _mm512_test_epi16_mask(carry, green),
                                  _mm512_or_si512(r, green));
        r = _mm512_mask_mov_epi16(r, _mm512_test_epi16_mask(carry, blue), _mm512_or_si512(r, blue));
        return r;
    }
};

// t = ((spread(d) x k) >> 4) & (S | S << 1); u = (S - t) >> 5;
// d = fold((t | u) & S), k the level's low 5 bits.
struct LightRule {
    using Args = LightArgs;
    static constexpr bool kTested = true;
    SpreadHalves s;
    __m512i guard_lo, guard_hi;  // S | S << 1

    explicit LightRule(const Args &a)
        : s(a.s),
          guard_lo(_mm512_set1_epi16(static_cast<short>(a.s | (a.s << 1)))),
          guard_hi(_mm512_set1_epi16(static_cast<short>((a.s | (a.s << 1)) >> 16))) {}
    __m512i Apply(__m512i idx, __m512i old, __mmask32 &) const {
        const __m512i k = _mm512_and_si512(idx, _mm512_set1_epi16(0x1F));
        __m512i t_lo, t_hi;
        ScaleSpread<4>(old, k, s, t_lo, t_hi);
        t_lo = _mm512_and_si512(t_lo, guard_lo);
        t_hi = _mm512_and_si512(t_hi, guard_hi);
        // S - t on 32 bits: the borrow of the low half taken from the high.
        const __m512i diff_lo = _mm512_sub_epi16(s.lo, t_lo);
        const __mmask32 borrow = _mm512_cmplt_epu16_mask(s.lo, t_lo);
        __m512i diff_hi = _mm512_sub_epi16(s.hi, t_hi);
        diff_hi = _mm512_mask_sub_epi16(diff_hi, borrow, diff_hi, _mm512_set1_epi16(1));
        const __m512i u_lo =
            _mm512_or_si512(_mm512_srli_epi16(diff_lo, 5), _mm512_slli_epi16(diff_hi, 11));
        const __m512i u_hi = _mm512_srli_epi16(diff_hi, 5);
        return _mm512_or_si512(OrAnd(t_lo, u_lo, s.lo), OrAnd(t_hi, u_hi, s.hi));
    }
};

// d = fold(((spread(c) x (31 - a)) >> 5) & S) + fold(((spread(d) x a) >> 5) & S).
struct FadedRule {
    using Args = FadedArgs;
    static constexpr bool kTested = false;
    __m512i table[8];
    SpreadHalves s;
    __m512i colour_weight, pixel_weight;  // 31 - a, a

    explicit FadedRule(const Args &a)
        : s(a.s),
          colour_weight(_mm512_set1_epi16(static_cast<short>(31u - a.weight))),
          pixel_weight(_mm512_set1_epi16(static_cast<short>(a.weight))) {
        for (ptrdiff_t k = 0; k < 8; ++k) table[k] = _mm512_loadu_si512(a.colours + 32 * k);
    }
    __m512i Scale(__m512i p, __m512i m) const {
        __m512i lo, hi;
        ScaleSpread<5>(p, m, s, lo, hi);
        return AndOr(hi, s.hi, _mm512_and_si512(lo, s.lo));
    }
    __m512i Apply(__m512i idx, __m512i old, __mmask32 &) const {
        const __mmask32 bit6 = _mm512_test_epi16_mask(idx, _mm512_set1_epi16(64));
        const __mmask32 bit7 = _mm512_test_epi16_mask(idx, _mm512_set1_epi16(128));
        const __m512i c = LookupWords(table, idx, bit6, bit7);
        return _mm512_add_epi16(Scale(c, colour_weight), Scale(old, pixel_weight));
    }
};

// v < key, or v == key and u < key, v the depth cells at z and u those
// before them, for the lanes of `lanes`.
inline __mmask32 DepthPasses(__mmask32 lanes, const uint16_t *z, __m512i key) {
    const __m512i v = _mm512_maskz_loadu_epi16(lanes, z);
    const __m512i u = _mm512_maskz_loadu_epi16(lanes, z - 1);
    const __mmask32 below = _mm512_mask_cmplt_epu16_mask(lanes, v, key);
    const __mmask32 equal = _mm512_mask_cmpeq_epi16_mask(lanes, v, key);
    return below | _mm512_mask_cmplt_epu16_mask(equal, u, key);
}

// A rule with what every row needs: the rule's registers and, for a
// depth-tested rule, the key and where the depth cells lie.
template <class Rule>
struct RowRule {
    Rule rule;
    __m512i key{};
    ptrdiff_t depth_reach = 0;
    explicit RowRule(const typename Rule::Args &a) : rule(a) {
        if constexpr (Rule::kTested) {
            key = _mm512_set1_epi16(static_cast<short>(a.key));
            depth_reach = a.depth_reach;
        }
    }

    // One vector: the lanes of `lanes` that pass the depth test (and the
    // rule's own test) get the rule's result of their indices (bits 0 to 7 of
    // idx).
    void Put(uint16_t *d, __m512i idx, __mmask32 lanes) const {
        __mmask32 draw = lanes;
        if constexpr (Rule::kTested) draw = DepthPasses(lanes, d + depth_reach, key);
        const __m512i old = _mm512_maskz_loadu_epi16(draw, d);
        const __m512i out = rule.Apply(idx, old, draw);
        _mm512_mask_storeu_epi16(d, draw, out);
    }
};

// The rest of a row of index runs from cell index pos, right - pos <=
// kRuleRowMaxCells: literals and fills drawn by the rule (where the depth
// test passes, for a tested rule), a fill of index 0 skipped.
//
// In two passes: the runs are decoded into one index word per pixel (bit 8
// set where a run draws), then the span is drawn 32 pixels at a time. Drawing
// run by run would read each run's pixels right after the masked store of the
// run before, over the same 64 bytes: such a load waits for the store to
// reach the cache, which made ApplyScreenLight about a third slower.
template <class Rule>
inline void DrawRuleRow(const RowRule<Rule> &t, uint16_t *cells, ptrdiff_t pos, ptrdiff_t right,
                        const uint8_t *p, const uint8_t *end) {
    // Read with unaligned loads (64-bit Windows compilers may not align a
    // stack array to 64 bytes), masked to the words the runs wrote.
    uint16_t staged[kRuleRowMaxCells + 32];
    const ptrdiff_t first = pos;
    const __m512i drawn_bit = _mm512_set1_epi16(0x100);
    auto stage = [&](uint16_t *at, __m256i bytes, __mmask32 draws) {
        _mm512_storeu_si512(
            at,
            _mm512_maskz_mov_epi16(draws, _mm512_or_si512(_mm512_cvtepu8_epi16(bytes), drawn_bit)));
    };
    while (pos < right && p < end) {
        const PlainRun run = ReadPlainRun<1>(p, end, right - pos);
        uint16_t *at = staged + (pos - first);
        // The literal's first 32 indices, or the fill's index in every byte.
        // All 32 words are stored: those past the run are the next runs' to
        // overwrite, or lie past the span.
        const __m256i loaded =
            _mm256_maskz_loadu_epi8((run.lanes0 & ~run.fill) | run.has_value, run.data);
        const __m256i index = _mm256_broadcastb_epi8(_mm256_castsi256_si128(loaded));
        const __mmask32 drawn = _mm256_test_epi8_mask(index, index) | ~run.fill;  // 0 skips
        stage(at, _mm256_mask_blend_epi8(run.fill, loaded, index), run.lanes0 & drawn);
        for (ptrdiff_t i = 32; i < run.n; i += 32) {  // runs of 33 to 127 pixels
            const __mmask32 rest = _bzhi_u32(~0u, static_cast<unsigned>(run.n - i));
            const __m256i more = _mm256_mask_blend_epi8(
                run.fill, _mm256_maskz_loadu_epi8(rest & ~run.fill, run.data + i), index);
            stage(at + i, more, rest & drawn);
        }
        pos += run.n;
        p += run.advance;
    }

    const ptrdiff_t total = pos - first;
    uint16_t *d = cells + first;
    for (ptrdiff_t i = 0; i < total; i += 32) {
        const ptrdiff_t left = total - i;
        const __mmask32 lanes = _bzhi_u32(~0u, static_cast<unsigned>(left < 32 ? left : 32));
        const __m512i idx = _mm512_maskz_loadu_epi16(lanes, staged + i);
        t.Put(d + i, idx, _mm512_test_epi16_mask(idx, drawn_bit));
    }
}

// The walker's RuleRowKernel: one row, after its left scan.
template <class Rule>
RUVO_ALIGN_STACK void RuleIndexRow(uint16_t *cells, ptrdiff_t pos, ptrdiff_t right,
                                   const uint8_t *p, const uint8_t *end,
                                   const typename Rule::Args &a) {
    DrawRuleRow(RowRule<Rule>(a), cells, pos, right, p, end);
}

// Rows are prefetched this many rows ahead, pixels and depth cells: sprite
// rows lie a layer pitch apart, out of the prefetchers' reach. Translucent
// sprites 505 to 494 us per workload; within the noise for the others.
inline constexpr int32_t kPrefetchRows = 2;

// The walker's SpriteRowsKernel: every row of a sprite that needs no left
// scan, the rule set up once (the BlendTable's split costs about as much as
// drawing a short row).
template <class Rule>
RUVO_ALIGN_STACK void RuleIndexSprite(const SpriteRows &rows, const typename Rule::Args &a) {
    const RowRule<Rule> t(a);
    const uint8_t *data = rows.data;
    ptrdiff_t start = rows.start;
    for (int32_t r = 0; r < rows.rows; ++r) {
        if (r == rows.rows_before_wrap) start -= rows.wrap_cells;
        // The pixels and depth cells of the row kPrefetchRows below.
        const int32_t ahead = r + kPrefetchRows;
        if (ahead < rows.rows) {
            const bool wraps = r < rows.rows_before_wrap && ahead >= rows.rows_before_wrap;
            const uint16_t *next =
                rows.cells + start + kPrefetchRows * rows.pitch - (wraps ? rows.wrap_cells : 0);
            for (ptrdiff_t k = 0; k < rows.extent + 32; k += 32) {
                _mm_prefetch(reinterpret_cast<const char *>(next + k), _MM_HINT_T0);
                if constexpr (Rule::kTested) {
                    _mm_prefetch(reinterpret_cast<const char *>(next + k + t.depth_reach),
                                 _MM_HINT_T0);
                }
            }
        }
        const uint8_t *runs = data + 2;
        const uint8_t *end = runs + (data[0] | data[1] << 8);
        DrawRuleRow(t, rows.cells, start, start + rows.span, runs, end);
        data = end;
        start += rows.pitch;
    }
}

}  // namespace ruvo::simd
