// Clipped spans and cell runs shared by the primitives. Every coordinate sum
// that could leave 32 bits is formed in 64, so any arguments are safe.
#pragma once

#include <algorithm>
#include <cstdint>

#include "framestore/layers.h"

namespace ruvo {

// count cells or rows from first; nothing when count is 0.
struct Span {
    int32_t first, count;
};

// The part of start .. start + length - 1 that lies in lo .. hi.
inline Span ClipSpan(int32_t start, int32_t length, int32_t lo, int32_t hi) {
    const int64_t first = std::max<int64_t>(start, lo);
    const int64_t last = std::min<int64_t>(int64_t{start} + length - 1, hi);
    if (first > last) return {0, 0};
    return {static_cast<int32_t>(first), static_cast<int32_t>(last - first + 1)};
}

// The rectangle (x, y, width, height) cut to the clip rectangle; empty when
// nothing is left, also for a width or height of 0 or less.
inline ClipRect ClipRectangle(int32_t x, int32_t y, int32_t width, int32_t height) {
    const ClipRect clip = LayerClip();
    const Span columns = ClipSpan(x, width, clip.left, clip.right);
    const Span rows = ClipSpan(y, height, clip.top, clip.bottom);
    if (columns.count == 0 || rows.count == 0) return {0, 0, -1, -1};
    return {columns.first, rows.first, columns.first + columns.count - 1,
            rows.first + rows.count - 1};
}

// start + size - 1, the far edge of a run, saturated to 32 bits. A saturated
// edge lies outside every clip rectangle, as the exact one would.
inline int32_t LastOf(int32_t start, int32_t size) {
    return static_cast<int32_t>(
        std::clamp<int64_t>(int64_t{start} + size - 1, INT32_MIN, INT32_MAX));
}

// Sets n cells from cells[index] on to the colour.
inline void FillCells(uint16_t *cells, int32_t index, int32_t n, uint16_t colour) {
    std::fill_n(cells + index, n, colour);
}

}  // namespace ruvo
