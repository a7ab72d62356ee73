// The three layers and the ring rule that maps logical pixels to their cells.
//
// Storage is one static area: ScreenLayer, GuardRow, BackLayer, GuardRow,
// DepthLayer, GuardRow. Each layer is 768 rows of 1024 16-bit cells; each
// GuardRow is 2048 + 36 bytes, so a cell of one layer lies exactly
// kLayerSpacingBytes after the same cell of the layer before it. The first
// 2048 bytes of a GuardRow are the layer's OverflowRow.
//
// Ring rule. With S = ScrollOffset (bytes) and W = WrapRow = 768 - S / 2048,
// logical pixel (x, y) is the cell at pixel index
//
//     x + S / 2 + 1024 * y,   less 0xC0000 (one layer) when y >= W.
//
// The test looks at the row only, so every logical row is 1024 contiguous
// cells: row W - 1 reaches C = (S / 2) mod 1024 cells into the OverflowRow,
// row W starts at storage row 0, column C. Indices here are always relative
// to a layer's first cell.
#pragma once

#include <algorithm>
#include <cstdint>

#include "interface/draw_block.h"

namespace ruvo {

inline constexpr int32_t kLayerWidth = 1024;
inline constexpr int32_t kLayerHeight = 768;
inline constexpr int32_t kLayerPitchBytes = 2048;
inline constexpr int32_t kLayerBytes = 0x180000;
inline constexpr int32_t kLayerCells = kLayerBytes / 2;  // 0xC0000, the wrap correction
inline constexpr int32_t kOverflowRowBytes = 2048;
inline constexpr int32_t kGuardRowBytes = 0x824;
inline constexpr int32_t kLayerSpacingBytes = kLayerBytes + kGuardRowBytes;  // 0x180824
inline constexpr int32_t kLayerSpacingCells = kLayerSpacingBytes / 2;
inline constexpr int32_t kStorageBytes = 3 * kLayerSpacingBytes;

static_assert(kLayerSpacingBytes == RUVO_LAYER_SPACING);

// The layer area. Zero at load; never cleared by the library as a whole.
struct LayerStorage {
    alignas(64) uint8_t bytes[kStorageBytes];
};
extern LayerStorage theLayers;

inline uint16_t *ScreenCells() { return reinterpret_cast<uint16_t *>(theLayers.bytes); }
inline uint16_t *BackCells() {
    return reinterpret_cast<uint16_t *>(theLayers.bytes + kLayerSpacingBytes);
}
inline uint16_t *DepthCells() {
    return reinterpret_cast<uint16_t *>(theLayers.bytes + 2 * kLayerSpacingBytes);
}

// The view every operation addresses the layers by, taken from ScrollOffset
// alone: the offset, read unsigned, clamped to the last even offset in the
// layer and halved, and the wrap row that belongs to it. The DrawBlock's
// WrapRow is never read for addressing, so no value a host writes into either
// field can take a cell index outside a layer and its OverflowRow. Within the
// documented ranges (S even, below 0x180000, WrapRow = 768 - S / 2048) this
// is exactly the view the fields give. A clamp rather than a modulo costs
// about what the signed halving it replaces did, one instruction per sprite.
struct RingView {
    int32_t origin;    // S / 2: the pixel index of logical (0, 0)
    int32_t wrap_row;  // 768 - S / 2048, 1 .. 768
};

inline RingView View() {
    const uint32_t s = std::min(static_cast<uint32_t>(Block().ScrollOffset),
                                static_cast<uint32_t>(kLayerBytes - 2));
    return {static_cast<int32_t>(s >> 1), kLayerHeight - static_cast<int32_t>(s >> 11)};
}

// Pixel index of logical (x, y) by the ring rule; 0 <= x < 1024, 0 <= y < 768.
inline int32_t RingIndex(int32_t x, int32_t y) {
    const RingView v = View();
    int32_t index = x + v.origin + kLayerWidth * y;
    if (y >= v.wrap_row) index -= kLayerCells;
    return index;
}

// Walks logical rows y0 .. y0 + rows - 1 as at most two parts split at
// WrapRow, the rows of each part one storage row after the other: calls
// part(index, count) with the pixel index of column x in the part's first row
// and its number of rows. Needs 0 <= y0, rows >= 0 and y0 + rows <= 768.
// Rows of full width form one contiguous run of cells per part.
template <class PartFn>
inline void ForEachRingPart(int32_t x, int32_t y0, int32_t rows, PartFn &&part) {
    const RingView v = View();
    const int32_t index = x + v.origin + kLayerWidth * y0;
    const int32_t before = std::clamp(v.wrap_row - y0, 0, rows);
    if (before > 0) part(index, before);
    if (rows > before) part(index + kLayerWidth * before - kLayerCells, rows - before);
}

// The same rows one by one: row(index) with the pixel index of column x.
template <class RowFn>
inline void ForEachRingRow(int32_t x, int32_t y0, int32_t rows, RowFn &&row) {
    ForEachRingPart(x, y0, rows, [&](int32_t index, int32_t count) {
        for (int32_t r = 0; r < count; ++r, index += kLayerWidth) row(index);
    });
}

// An inclusive rectangle of logical pixels.
struct ClipRect {
    int32_t left, top, right, bottom;
    bool Empty() const { return left > right || top > bottom; }
    int32_t Width() const { return right - left + 1; }
    int32_t Height() const { return bottom - top + 1; }
};

// The clip rectangle of the DrawBlock cut to the layer, so that no clip
// rectangle a host writes can reach outside it. Unchanged when in range.
inline ClipRect LayerClip() {
    const DrawBlock &b = Block();
    return {std::max(b.ClipLeft, 0), std::max(b.ClipTop, 0), std::min(b.ClipRight, kLayerWidth - 1),
            std::min(b.ClipBottom, kLayerHeight - 1)};
}

// The same for the operations that read each clip field as its low 16 bits, unsigned.
inline ClipRect LayerClip16() {
    const DrawBlock &b = Block();
    auto low = [](int32_t v) { return static_cast<int32_t>(static_cast<uint16_t>(v)); };
    return {low(b.ClipLeft), low(b.ClipTop), std::min(low(b.ClipRight), kLayerWidth - 1),
            std::min(low(b.ClipBottom), kLayerHeight - 1)};
}

// A host rectangle (x, y, width, height) cut to the layer; empty when nothing is left.
inline ClipRect CutToLayer(int32_t x, int32_t y, int32_t width, int32_t height) {
    auto end = [](int32_t start, int32_t size, int32_t limit) {
        return static_cast<int32_t>(std::min<int64_t>(int64_t{start} + size - 1, limit));
    };
    if (width <= 0 || height <= 0) return {0, 0, -1, -1};
    return {std::max(x, 0), std::max(y, 0), end(x, width, kLayerWidth - 1),
            end(y, height, kLayerHeight - 1)};
}

}  // namespace ruvo
