// The interpolated cells of the light grid, side by side in SIMD lanes.
//
// The dither carry runs serially through the 128 pixels of a cell, but cells
// are independent: a kernel puts one cell in each 32-bit lane, so that the
// lanes step through pixel 0, 1, ... 15 of their cells' rows together, each
// lane with its own level, steps and carry. light_grid.cpp keeps the scalar
// cell as the reference and chooses a kernel per call (display/simd_path.h).
#pragma once

#include <cstdint>

namespace ruvo {

inline constexpr int32_t kLightCellWidth = 16;
inline constexpr int32_t kLightCellHeight = 8;

// The rows of one band: where each row's first pixel is read and written.
struct LightBand {
    const uint16_t *src[kLightCellHeight];
    uint16_t *dst[kLightCellHeight];
    int32_t rows;   // rows to do, 8 unless cut at the bottom of the layer or surface
    int32_t split;  // first row below the wrap when the wrap splits the band, else 8
};

// An interpolated cell's level at its first pixel and its three steps.
struct LightCellSteps {
    int32_t level;       // 32 (TL + 127)
    int32_t pixel_step;  // 2 (TR - TL), the step along the first row
    int32_t row_step;    // 4 (BL - TL), the step of a row's first pixel
    int32_t e;           // (TL + BR - TR - BL) >> 2, the change of pixel_step per row
};

// Shades the interpolated cells at columns x, x + 16, ... of the band, one
// cell per lane (4 for SSE2, 8 for AVX2), steps[k] for the cell at x + 16 k.
// may_keep: some pixel of these cells may have m = 32. Returns the carry the
// last cell ends with.
uint32_t InterpolateCellsSse2(const LightBand &band, int32_t x, const LightCellSteps *steps,
                              uint32_t spread, bool may_keep);
uint32_t InterpolateCellsAvx2(const LightBand &band, int32_t x, const LightCellSteps *steps,
                              uint32_t spread, bool may_keep);
inline constexpr int32_t kSse2Lanes = 4;
inline constexpr int32_t kAvx2Lanes = 8;

}  // namespace ruvo
