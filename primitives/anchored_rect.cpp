// DrawAnchoredRect: a rectangle outline given by one corner (the anchor) and a
// signed width and height, clipped as a whole.
//
// The rectangle spans |width| columns from the anchor column, rightwards for
// width >= 0 and leftwards otherwise, and |height| rows from the anchor row,
// downwards for height >= 0 and upwards otherwise. Its edges are the near and
// far rows (every column, corners included) and the near and far columns (the
// rows between). Clipping leaves out each edge that lies outside the clip
// rectangle and shortens the rest: a clipped far row is put one row outside
// the clip rectangle, so that the columns run to its border, and a clipped far
// column on the border itself, because the rows include their end columns.
//
// The six working words at the end of the DrawBlock hold, after every call,
// the edges left out, the horizontal and vertical steps in bytes, the vertical
// direction, and the clip rectangle's height and its width less one.
#include <algorithm>
#include <cstdint>

#include "framestore/layers.h"
#include "interface/operations.h"
#include "primitives/spans.h"

namespace ruvo {
namespace {

// The working words, in their order in AnchoredRectWork.
enum WorkWord {
    kLeftOutEdges,
    kStepXBytes,
    kStepYBytes,
    kDirectionY,
    kClipRows,
    kClipColumnsLess1
};

// Bits of the edge set: the edges left out.
enum Edge : uint32_t { kNearRow = 0x1, kFarRow = 0x2, kNearColumn = 0x4, kFarColumn = 0x8 };

// One axis of the rectangle: the anchor's coordinate and the signed size.
// In 64 bits, so that no sum of two arguments overflows.
struct Extent {
    int64_t start, size;
};

// Cuts an extent to lo .. hi. A far edge that is cut lies far_overhang
// beyond the border (1 for rows, 0 for columns). Returns false when nothing
// of the rectangle is left.
bool ClipExtent(Extent &e, int64_t lo, int64_t hi, int64_t far_overhang, uint32_t near_edge,
                uint32_t far_edge, uint32_t &left_out) {
    if (e.start < lo) {
        e.size -= lo - e.start;
        if (e.size <= 0) return false;
        e.start = lo;
        left_out |= near_edge;
    }
    if (e.start > hi) {
        e.size += e.start - hi;
        if (e.size >= 0) return false;
        e.start = hi;
        left_out |= near_edge;
    }
    if (e.start + e.size + 1 < lo) {
        e.size = -(e.start - lo + 1 + far_overhang);
        left_out |= far_edge;
    }
    if (e.start + e.size - 1 > hi) {
        e.size = hi - e.start + 1 + far_overhang;
        left_out |= far_edge;
    }
    return true;
}

void FillRow(int32_t left, int32_t row, int32_t n, uint16_t colour) {
    FillCells(ScreenCells(), RingIndex(left, row), n, colour);
}

void FillColumn(int32_t column, int32_t top, int32_t n, uint16_t colour) {
    uint16_t *screen = ScreenCells();
    ForEachRingRow(column, top, n, [&](int32_t index) { screen[index] = colour; });
}

}  // namespace

void RUVO_CDECL DrawAnchoredRect(int32_t x, int32_t y, int32_t width, int32_t height,
                                 uint32_t colour) {
    DrawBlock &b = Block();
    const ClipRect clip = LayerClip();
    // Steps and directions follow the signs alone: clipping never flips them.
    // Sizes of an empty clip rectangle are kept modulo 2^32.
    const auto pitch = static_cast<uint32_t>(b.LayerPitch);
    int32_t *work = b.AnchoredRectWork;
    work[kLeftOutEdges] = 0;
    work[kStepXBytes] = width >= 0 ? 2 : -2;
    work[kStepYBytes] = static_cast<int32_t>(height >= 0 ? pitch : 0u - pitch);
    work[kDirectionY] = height >= 0 ? 1 : -1;
    work[kClipRows] = static_cast<int32_t>(static_cast<uint32_t>(clip.bottom) -
                                           static_cast<uint32_t>(clip.top) + 1);
    work[kClipColumnsLess1] =
        static_cast<int32_t>(static_cast<uint32_t>(clip.right) - static_cast<uint32_t>(clip.left));

    // A zero size has no rows or no columns: nothing to draw.
    if (width == 0 || height == 0 || clip.Empty()) return;
    uint32_t left_out = 0;
    Extent rows{y, height}, columns{x, width};
    const bool visible =
        ClipExtent(rows, clip.top, clip.bottom, 1, kNearRow, kFarRow, left_out) &&
        ClipExtent(columns, clip.left, clip.right, 0, kNearColumn, kFarColumn, left_out);
    work[kLeftOutEdges] = static_cast<int32_t>(left_out);
    if (!visible) return;

    // Clipped, every value is a coordinate near the clip rectangle.
    const auto c = static_cast<uint16_t>(colour);
    const int32_t x0 = static_cast<int32_t>(columns.start);
    const int32_t dir_x = columns.size >= 0 ? 1 : -1;
    const int32_t n = static_cast<int32_t>(columns.size * dir_x);
    const int32_t x_far = x0 + (n - 1) * dir_x;
    const int32_t left = std::min(x0, x_far);
    const int32_t dir_y = rows.size >= 0 ? 1 : -1;
    int32_t m = static_cast<int32_t>(rows.size * dir_y);
    int32_t row = static_cast<int32_t>(rows.start);

    if (!(left_out & kNearRow)) {
        FillRow(left, row, n, c);
        --m;
        row += dir_y;
    }
    // The columns cover m - 1 rows from the current one in the vertical
    // direction; they are written from their top row, by the ring rule.
    if (m - 1 > 0) {
        const int32_t top = dir_y > 0 ? row : row - (m - 2);
        if (!(left_out & kFarColumn)) FillColumn(x_far, top, m - 1, c);
        if (!(left_out & kNearColumn)) FillColumn(x0, top, m - 1, c);
    }
    if (m == 0 || (left_out & kFarRow)) return;
    FillRow(left, row + (m - 1) * dir_y, n, c);
}

}  // namespace ruvo
