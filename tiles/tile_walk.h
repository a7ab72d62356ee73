// The row walk shared by the four tile operations: coarse test, per-row
// clipping, the dither phase, ring addressing and the light accumulator,
// written once. Each operation supplies only what happens to one pixel.
//
// Light. The accumulator A holds light x 256 in 32-bit two's complement
// (unsigned arithmetic here, so any corner values wrap instead of
// overflowing). With corners left, right, top and bottom:
//
//     pixel step  P = (right - left) * 4          added per pixel, left to right
//     upper rows  U = (left - top) * 16           row 0 starts at top * 256 + U + P
//     lower rows  D = (bottom - left) * 16        row 16 starts at left * 256 + D
//
// Every further row starts one row step after the one above it, and the pixel
// j places from the left end of its row (clipped or not) has A = start + j P.
// Its light level is bits 8..15 of A, which depend on the low 16 bits of A
// alone: the walk hands each pixel those 16 bits, so that the pixel loop can
// run in 16-bit lanes (DarkenTile: 3.3 down to 2.7 times the lookup loop).
//
// Dither. A pixel's dither bit is the phase at the start of its row XOR its
// parity among the row's drawn pixels. An operation that dithers flips the
// phase after each drawn row; every operation flips it once between the
// halves, unless the upper half lies wholly above the clip rectangle.
#pragma once

#include <algorithm>
#include <cstdint>

#include "framestore/layers.h"
#include "tiles/dither_phase.h"
#include "tiles/tile_shape.h"

namespace ruvo {

// The light at the four corners of the diamond, as the host passes it.
struct TileCorners {
    int32_t left, right, top, bottom;
};

// An operation is a small copyable type with
//     static constexpr bool kReadsBytes  the TileBytes are read
//     static constexpr bool kDithers     reads the phase, flips it after every drawn row
//     uint16_t operator()(uint16_t pixel, uint8_t byte, uint16_t light, uint32_t dither) const
// returning the new pixel: byte is 0 unless kReadsBytes, light the low 16 bits
// of A (the level is light >> 8), dither 0 or 1 (always 0 unless kDithers).

template <class Op>
inline uint8_t TileByte(const uint8_t *src, int32_t k) {
    if constexpr (Op::kReadsBytes) return src[k];
    return 0;
}

// One drawn row: n cells from dst, bytes from src, accumulator a at the first.
// op is taken by value so that its fields stay in registers across the stores.
template <class Op>
inline void WalkTileRow(const Op op, uint16_t *dst, const uint8_t *src, int32_t n, uint32_t a,
                        uint32_t step) {
    auto light = [&](int32_t k) {
        return static_cast<uint16_t>(a + static_cast<uint32_t>(k) * step);
    };
    if constexpr (Op::kDithers) {
        // In pairs, so that the dither bit is a constant in each half of the
        // pair: 4.2 down to 2.5 times the plain lookup loop for DrawShadedTile.
        const uint32_t d = DitherPhase();
        int32_t k = 0;
        for (; k + 1 < n; k += 2) {
            dst[k] = op(dst[k], TileByte<Op>(src, k), light(k), d);
            dst[k + 1] = op(dst[k + 1], TileByte<Op>(src, k + 1), light(k + 1), d ^ 1);
        }
        if (k < n) dst[k] = op(dst[k], TileByte<Op>(src, k), light(k), d);
    } else {
        for (int32_t k = 0; k < n; ++k) dst[k] = op(dst[k], TileByte<Op>(src, k), light(k), 0);
    }
}

// Applies op to every footprint pixel of the tile anchored at (x, y) that lies
// inside the clip rectangle cut to the layer, in the given layer's cells.
template <class Op>
void WalkTile(const Op &op, uint16_t *cells, int32_t x, int32_t y, const TileCorners &corners,
              const uint8_t *bytes) {
    const ClipRect clip = LayerClip();
    // Coarse test. clip.left and clip.top are >= 0 and clip.right and
    // clip.bottom <= 1023 and 767, so these bounds cannot overflow, and past
    // them x and y lie within a tile of the layer: nothing below can either.
    if (x < clip.left - 31 || x > clip.right + 34 || y < clip.top - 32 || y > clip.bottom + 1) {
        return;
    }

    auto u = [](int32_t v) { return static_cast<uint32_t>(v); };
    const uint32_t pixel_step = (u(corners.right) - u(corners.left)) * 4;
    const uint32_t upper_step = (u(corners.left) - u(corners.top)) * 16;
    const uint32_t lower_step = (u(corners.bottom) - u(corners.left)) * 16;

    auto walk_row = [&](int32_t r, uint32_t row_light) {
        const int32_t row = y + r;
        if (row < clip.top || row > clip.bottom) return;
        const TileRowShape shape = TileRow(r);
        const int32_t first = x + shape.first_column;
        const int32_t from = std::max(first, clip.left);
        const int32_t to = std::min(first + shape.pixels - 1, clip.right);
        if (from > to) return;
        const int32_t skipped = from - first;
        const uint8_t *src = nullptr;
        if constexpr (Op::kReadsBytes) src = bytes + shape.first_byte + skipped;
        WalkTileRow(op, cells + RingIndex(from, row), src, to - from + 1,
                    row_light + u(skipped) * pixel_step, pixel_step);
        if constexpr (Op::kDithers) FlipDitherPhase();
    };

    // The upper half, unless it lies wholly above the clip rectangle.
    uint32_t row_light = u(corners.top) * 256 + upper_step + pixel_step;
    if (y >= clip.top - kTileHalfRows) {
        for (int32_t r = 0; r < kTileHalfRows; ++r, row_light += upper_step) walk_row(r, row_light);
        FlipDitherPhase();
    }
    row_light = u(corners.left) * 256 + lower_step;
    for (int32_t r = kTileHalfRows; r < kTileRows; ++r, row_light += lower_step) {
        walk_row(r, row_light);
    }
}

}  // namespace ruvo
