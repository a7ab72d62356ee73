// The TileShape: the diamond footprint of one isometric tile, and the layout
// of its TileBytes.
//
// A tile is 63 pixels wide and 32 rows high around its anchor (x, y): x is the
// column of the vertical axis, y the layer row of the top row.
//
//     row r = 0..15       3 + 4r pixels   columns x-1-2r .. x+1+2r    (3, 7, ..., 63)
//     row 16+k, k = 0..15 61 - 4k pixels  columns x-30+2k .. x+30-2k  (61, 57, ..., 1)
//
// The upper half holds 528 pixels, the lower half 496. Row 15 is the widest
// (x-31 .. x+31); row 16 is two pixels narrower, so the two halves meet
// offset by one column, which keeps a checkerboard aligned across them.
//
// TileBytes are 1024 bytes, one per footprint pixel, rows top to bottom and
// each row left to right, no header and no padding: byte 0 is the leftmost
// pixel of row 0, byte 528 the leftmost of row 16, byte 1023 the single pixel
// of row 31. A byte is a palette index or, for coverage, 0 for empty.
#pragma once

#include <cstdint>

namespace ruvo {

inline constexpr int32_t kTileRows = 32;
inline constexpr int32_t kTileHalfRows = 16;
inline constexpr int32_t kTileWidth = 63;
inline constexpr int32_t kTileUpperPixels = 528;
inline constexpr int32_t kTileBytes = 1024;

// One row of the footprint: its first column relative to x, its length, and
// where its pixels start in the TileBytes.
struct TileRowShape {
    int32_t first_column;
    int32_t pixels;
    int32_t first_byte;
};

// Row r (0..31) of the footprint.
constexpr TileRowShape TileRow(int32_t r) {
    if (r < kTileHalfRows) return {-1 - 2 * r, 3 + 4 * r, r * (2 * r + 1)};
    const int32_t k = r - kTileHalfRows;
    return {-30 + 2 * k, 61 - 4 * k, kTileUpperPixels + k * (63 - 2 * k)};
}

static_assert(TileRow(15).pixels == kTileWidth && TileRow(15).first_column == -31);
static_assert(TileRow(16).first_byte == kTileUpperPixels && TileRow(16).pixels == 61);
static_assert(TileRow(31).first_byte + TileRow(31).pixels == kTileBytes);
static_assert(TileRow(31).pixels == 1 && TileRow(31).first_column == 0);

}  // namespace ruvo
