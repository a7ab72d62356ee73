// The run-to-run walk of a plain sprite's rows, for the row kernels of each
// path (simd/plain_rows.h, plain_rows_avx2.h). Unit-local: each kernel unit
// has its own copy in its own encoding.
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
#pragma once

#include <cstddef>
#include <cstdint>

#include "simd/kernels.h"

namespace ruvo::simd {
namespace {

// What a run does, by its class.
enum class RunKind { Literal, Blended, Fill, Skip };

// One run by the bounded reading: its kind, its pixel count n before the
// right limit, where its data starts and the bytes to the next run. A fill
// whose value lies past the row's end has n = 0 and takes the rest of the
// row.
struct BoundedRun {
    RunKind kind;
    ptrdiff_t n;
    const uint8_t *data;
    ptrdiff_t advance;
};

// IndexRuns (kValueBytes 1) and ColourRuns (2): a literal of 0 to 127 values,
// or a fill of one value (a skip when the value is index 0 or the colour
// key, which the kernel tells).
template <int kValueBytes>
struct TwoClassRuns {
    static RunKind Kind(uint32_t code) { return code < 0x80 ? RunKind::Literal : RunKind::Fill; }
    static ptrdiff_t Count(uint32_t code) { return code & 0x7F; }
    // The bytes a run takes as its code says.
    static ptrdiff_t Bytes(uint32_t code) {
        return code < 0x80 ? kValueBytes * static_cast<ptrdiff_t>(code) + 1 : kValueBytes + 1;
    }
    static BoundedRun Bounded(const uint8_t *p, const uint8_t *end) {
        const uint32_t code = p[0];
        const ptrdiff_t avail = end - (p + 1);
        if (code >= 0x80) {
            if (avail < kValueBytes) return {RunKind::Fill, 0, p + 1, 1 + avail};
            return {RunKind::Fill, Count(code), p + 1, 1 + kValueBytes};
        }
        const ptrdiff_t whole = avail / kValueBytes;
        const ptrdiff_t n = whole < Count(code) ? whole : Count(code);
        return {RunKind::Literal, n, p + 1, 1 + n * kValueBytes};
    }
};

// BlendRuns: literals, blended literals (one index byte a pixel each), fills
// of one index byte and skips, by the code's top two bits.
struct BlendClassRuns {
    static RunKind Kind(uint32_t code) { return static_cast<RunKind>(code >> 6); }
    static ptrdiff_t Count(uint32_t code) { return code & 0x3F; }
    static ptrdiff_t Bytes(uint32_t code) {
        return code < 0x80 ? static_cast<ptrdiff_t>(code & 0x3F) + 1 : code < 0xC0 ? 2 : 1;
    }
    static BoundedRun Bounded(const uint8_t *p, const uint8_t *end) {
        const uint32_t code = p[0];
        const ptrdiff_t avail = end - (p + 1);
        const RunKind kind = Kind(code);
        if (kind == RunKind::Fill) {
            if (avail < 1) return {kind, 0, p + 1, 1};
            return {kind, Count(code), p + 1, 2};
        }
        if (kind == RunKind::Skip) return {kind, Count(code), p + 1, 1};
        const ptrdiff_t n = avail < Count(code) ? avail : Count(code);
        return {kind, n, p + 1, 1 + n};
    }
};

// Walks one row from cell index pos, calling draw(kind, n, data, pos, right,
// end) for every run of n > 0 pixels at cell index pos whose data (a
// literal's values, a fill's value) starts at data, in a row whose right
// limit is right and whose data ends at end. The row goes to the bounded
// reading from its first run that reaches past its end.
template <class Runs, class Draw>
[[gnu::always_inline]] inline void WalkRow(ptrdiff_t pos, ptrdiff_t right, const uint8_t *p,
                                           const uint8_t *end, const Draw &draw) {
    while (pos < right && p < end) {
        const uint32_t code = p[0];
        const ptrdiff_t bytes = Runs::Bytes(code);
        if (bytes > end - p) [[unlikely]] {
            while (pos < right && p < end) {
                BoundedRun run = Runs::Bounded(p, end);
                if (run.n > right - pos) run.n = right - pos;
                if (run.n > 0) draw(run.kind, run.n, run.data, pos, right, end);
                pos += run.n;
                p += run.advance;
            }
            return;
        }
        const ptrdiff_t n = Runs::Count(code) < right - pos ? Runs::Count(code) : right - pos;
        if (n > 0) draw(Runs::Kind(code), n, p + 1, pos, right, end);
        pos += n;
        p += bytes;
    }
}

// The same for count rows left after the row walker's left scan.
template <class Runs, class Draw>
inline void WalkRows(const PlainRow *rows, ptrdiff_t count, const Draw &draw) {
    for (ptrdiff_t r = 0; r < count; ++r) {
        WalkRow<Runs>(rows[r].pos, rows[r].right, rows[r].p, rows[r].end, draw);
    }
}

// The same for every row of a sprite that needs no left scan, read from its
// row records as the row walker reads them: no batch to fill, and each row's
// record is read just after the row before it, from the cache.
template <class Runs, class Draw>
inline void WalkSprite(const SpriteRows &sprite, const Draw &draw) {
    const uint8_t *data = sprite.data;
    ptrdiff_t start = sprite.start;
    for (int32_t r = 0; r < sprite.rows; ++r) {
        if (r == sprite.rows_before_wrap) start -= sprite.wrap_cells;
        const uint8_t *p = data + 2;
        const uint8_t *end = p + (data[0] | data[1] << 8);
        WalkRow<Runs>(start, start + sprite.span, p, end, draw);
        data = end;
        start += sprite.pitch;
    }
}

// What a kernel walks, walk(draw): the rows left after the row walker's left
// scan, or a whole sprite.
template <class Runs>
struct RowsWalk {
    const PlainRow *rows;
    ptrdiff_t count;
    template <class Draw>
    void operator()(const Draw &draw) const {
        WalkRows<Runs>(rows, count, draw);
    }
};
template <class Runs>
struct SpriteWalk {
    const SpriteRows &sprite;
    template <class Draw>
    void operator()(const Draw &draw) const {
        WalkSprite<Runs>(sprite, draw);
    }
};

}  // namespace
}  // namespace ruvo::simd
