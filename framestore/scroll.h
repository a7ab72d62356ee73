#pragma once

#include <cstdint>

namespace ruvo {

// Adds delta x 32 (mod 65536) to every DepthLayer value of the logical
// rectangle; flags are kept since the step is a multiple of 32. The rectangle
// must lie inside the layer.
void RebaseDepth(int32_t x, int32_t y, int32_t width, int32_t height, int32_t delta);

}  // namespace ruvo
