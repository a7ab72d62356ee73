// Rectangle copies between the layers and host images. Pixels move bit for
// bit. Layer rectangles are cut to the layer; host pointers and pitches are
// the host's and trusted.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "framestore/layers.h"
#include "interface/operations.h"

namespace ruvo {
namespace {

// Copies n cells as a front-to-back loop of single cells would, overlap
// included: memmove wherever that gives the same result, which is everywhere
// but a destination that starts inside the source.
void CopyCellsForward(uint16_t *dst, const uint16_t *src, int32_t n) {
    const auto d = reinterpret_cast<uintptr_t>(dst);
    const auto s = reinterpret_cast<uintptr_t>(src);
    if (d > s && d < s + 2 * static_cast<uintptr_t>(n)) {
        for (int32_t i = 0; i < n; ++i) dst[i] = src[i];
    } else {
        std::memmove(dst, src, 2 * static_cast<size_t>(n));
    }
}

// Pixel (x, y) of a host image with the given pitch in pixels.
template <class Cell>
Cell *ImagePixel(Cell *base, int32_t pitch, int64_t x, int64_t y) {
    return base + static_cast<ptrdiff_t>(int64_t{pitch} * y + x);
}

}  // namespace

void RUVO_CDECL CopyBackToScreen(int32_t x, int32_t y, int32_t width, int32_t height) {
    // Whole steps of four pixels, as the copy has always moved them.
    const ClipRect r = CutToLayer(x, y, width / 4 * 4, height);
    if (r.Empty()) return;
    uint16_t *screen = ScreenCells();
    const uint16_t *back = BackCells();
    const size_t row_bytes = 2 * static_cast<size_t>(r.Width());
    if (r.Width() == kLayerWidth) {
        // Full rows follow one another in storage: one copy per side of the
        // wrap instead of one per row takes a full frame from 1.0x to 0.93x
        // the time of a row-by-row memcpy.
        ForEachRingPart(r.left, r.top, r.Height(), [&](int32_t index, int32_t rows) {
            std::memcpy(screen + index, back + index, row_bytes * static_cast<size_t>(rows));
        });
        return;
    }
    ForEachRingRow(r.left, r.top, r.Height(),
                   [&](int32_t index) { std::memcpy(screen + index, back + index, row_bytes); });
}

void RUVO_CDECL ReadScreenRect(int32_t x, int32_t y, int32_t width, int32_t height, int32_t dest_x,
                               int32_t dest_y, int32_t dest_pitch, uint16_t *dest_base) {
    const ClipRect r = CutToLayer(x, y, width, height);
    if (r.Empty()) return;
    // A cut keeps every remaining pixel at its place in the destination.
    uint16_t *dst = ImagePixel(dest_base, dest_pitch, int64_t{dest_x} + (r.left - int64_t{x}),
                               int64_t{dest_y} + (r.top - int64_t{y}));
    const uint16_t *screen = ScreenCells();
    ForEachRingRow(r.left, r.top, r.Height(), [&](int32_t index) {
        CopyCellsForward(dst, screen + index, r.Width());
        dst += dest_pitch;
    });
}

void RUVO_CDECL CopyImageRect(int32_t src_x, int32_t src_y, int32_t src_pitch,
                              const uint16_t *src_base, int32_t dest_x, int32_t dest_y,
                              int32_t dest_pitch, uint16_t *dest_base, int32_t width,
                              int32_t height) {
    if (width <= 0 || height <= 0) return;
    const uint16_t *src = ImagePixel(src_base, src_pitch, src_x, src_y);
    uint16_t *dst = ImagePixel(dest_base, dest_pitch, dest_x, dest_y);
    for (int32_t row = 0; row < height; ++row, src += src_pitch, dst += dest_pitch) {
        CopyCellsForward(dst, src, width);
    }
}

}  // namespace ruvo
