// Filled and half-blended rectangles of the ScreenLayer, cut to the clip
// rectangle and walked row by row with one split at WrapRow.
#include <algorithm>

#include "framestore/layers.h"
#include "framestore/pixel_math.h"
#include "interface/operations.h"
#include "primitives/spans.h"

namespace ruvo {

void RUVO_CDECL FillRect(int32_t x, int32_t y, int32_t width, int32_t height, uint32_t colour) {
    const ClipRect r = ClipRectangle(x, y, width, height);
    if (r.Empty()) return;
    uint16_t *screen = ScreenCells();
    const auto c = static_cast<uint16_t>(colour);
    const int32_t n = r.Width();
    ForEachRingRow(r.left, r.top, r.Height(),
                   [&](int32_t index) { FillCells(screen, index, n, c); });
}

// p' = Halve(p) + Halve(colour): every channel half the old value plus half
// the colour's, each rounded down, with no carry between channels.
void RUVO_CDECL BlendRect(int32_t x, int32_t y, int32_t width, int32_t height, uint32_t colour) {
    const ClipRect r = ClipRectangle(x, y, width, height);
    if (r.Empty()) return;
    uint16_t *screen = ScreenCells();
    const uint16_t not_low = Low16(Block().NotLowBitsMask);
    const uint16_t half = Halve(static_cast<uint16_t>(colour), not_low);
    const int32_t n = r.Width();
    ForEachRingRow(r.left, r.top, r.Height(), [&](int32_t index) {
        uint16_t *cell = screen + index;
        for (int32_t i = 0; i < n; ++i)
            cell[i] = static_cast<uint16_t>(Halve(cell[i], not_low) + half);
    });
}

}  // namespace ruvo
