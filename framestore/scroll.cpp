// Scroll: moves the view of all three layers without moving pixels.
//
// The view is the ring offset S (ScrollOffset) and WrapRow. A scroll changes
// S; only when the horizontal part C = (S / 2) mod 1024 wraps past 0 or 1024
// do the first 2048 bytes of storage row 0 and the OverflowRow swap roles, and
// one row per layer is copied. Depth values count view rows, so the part of
// the DepthLayer that stays in view is re-based by -32 x dy.
#include "framestore/scroll.h"

#include <algorithm>
#include <cstring>

#include "framestore/layers.h"
#include "interface/operations.h"

namespace ruvo {
namespace {

void CopyRowZeroToOverflow(uint16_t *layer) {
    std::memcpy(layer + kLayerCells, layer, kOverflowRowBytes);
}

void CopyOverflowToRowZero(uint16_t *layer) {
    std::memcpy(layer, layer + kLayerCells, kOverflowRowBytes);
}

}  // namespace

void RebaseDepth(int32_t x, int32_t y, int32_t width, int32_t height, int32_t delta) {
    const uint32_t magnitude = delta < 0 ? 0u - static_cast<uint32_t>(delta) : delta;
    uint16_t k = static_cast<uint16_t>(magnitude * 32u);
    if (delta < 0) k = static_cast<uint16_t>(0u - k);  // subtracting k mod 65536
    uint16_t *depth = DepthCells();
    ForEachRingRow(x, y, height, [&](int32_t index) {
        uint16_t *cell = depth + index;
        for (int32_t i = 0; i < width; ++i) cell[i] = static_cast<uint16_t>(cell[i] + k);
    });
}

void RUVO_CDECL Scroll(int32_t dx, int32_t dy) {
    DrawBlock &b = Block();
    // From the view as the layers are addressed, whatever the fields hold;
    // formed in 64 bits so that no step, however large, overflows.
    const RingView view = View();
    int64_t offset =
        (2 * int64_t{view.origin} + 2048 * int64_t{dy} + 2 * int64_t{dx}) % kLayerBytes;
    if (offset < 0) offset += kLayerBytes;

    // The layers are our own fixed storage (the DrawBlock pointers name the same cells).
    const int64_t column = view.origin % kLayerWidth + int64_t{dx};
    uint16_t *layers[] = {BackCells(), ScreenCells(), DepthCells()};
    if (column < 0) {
        for (uint16_t *layer : layers) CopyRowZeroToOverflow(layer);
    } else if (column >= kLayerWidth) {
        for (uint16_t *layer : layers) CopyOverflowToRowZero(layer);
    }

    b.ScrollOffset = static_cast<int32_t>(offset);
    b.WrapRow = kLayerHeight - b.ScrollOffset / kLayerPitchBytes;
    if (dy == 0) return;

    // The rectangle that stays in view, in the new view's coordinates.
    const int64_t kept_top = dy > 0 ? 0 : -int64_t{dy};
    const int64_t kept_rows = kLayerHeight - (dy > 0 ? int64_t{dy} : -int64_t{dy});
    const int64_t kept_left = dx > 0 ? 0 : -int64_t{dx};
    const int64_t kept_columns = kLayerWidth - (dx > 0 ? int64_t{dx} : -int64_t{dx});
    if (kept_rows <= 0 || kept_columns <= 0) return;  // a step beyond the view keeps nothing
    RebaseDepth(static_cast<int32_t>(kept_left), static_cast<int32_t>(kept_top),
                static_cast<int32_t>(kept_columns), static_cast<int32_t>(kept_rows), -dy);
}

}  // namespace ruvo
