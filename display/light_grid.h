// The interpolated cells of the light grid, side by side in SIMD lanes.
//
// The dither carry runs serially through the 128 pixels of a cell, but cells
// are independent: a kernel (simd/light_cells.h) puts one cell in each 32-bit
// lane, so that the lanes step through pixel 0, 1, ... 15 of their cells'
// rows together, each lane with its own level, steps and carry.
// light_grid.cpp keeps the scalar cell as the reference and takes the
// kernels of the current path (simd/kernels.h).
#pragma once

#include "simd/kernels.h"
