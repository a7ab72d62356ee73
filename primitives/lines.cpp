// Horizontal and vertical lines of the ScreenLayer, and the rectangle outline
// made of four of them. Each line is cut to the clip rectangle on its own.
#include "framestore/layers.h"
#include "interface/operations.h"
#include "primitives/spans.h"

namespace ruvo {

void RUVO_CDECL DrawHLine(int32_t x, int32_t y, int32_t length, uint32_t colour) {
    const ClipRect clip = LayerClip();
    if (y < clip.top || y > clip.bottom) return;
    const Span columns = ClipSpan(x, length, clip.left, clip.right);
    if (columns.count == 0) return;
    // A logical row is contiguous in storage, its tail in the OverflowRow included.
    FillCells(ScreenCells(), RingIndex(columns.first, y), columns.count,
              static_cast<uint16_t>(colour));
}

void RUVO_CDECL DrawVLine(int32_t x, int32_t y, int32_t length, uint32_t colour) {
    const ClipRect clip = LayerClip();
    if (x < clip.left || x > clip.right) return;
    const Span rows = ClipSpan(y, length, clip.top, clip.bottom);
    if (rows.count == 0) return;
    uint16_t *screen = ScreenCells();
    const auto c = static_cast<uint16_t>(colour);
    ForEachRingRow(x, rows.first, rows.count, [&](int32_t index) { screen[index] = c; });
}

// Top, bottom, left, right: four independently clipped lines, corners drawn twice.
void RUVO_CDECL DrawRect(int32_t x, int32_t y, int32_t width, int32_t height, uint32_t colour) {
    DrawHLine(x, y, width, colour);
    DrawHLine(x, LastOf(y, height), width, colour);
    DrawVLine(x, y, height, colour);
    DrawVLine(LastOf(x, width), y, height, colour);
}

}  // namespace ruvo
