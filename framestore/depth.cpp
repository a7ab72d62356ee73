// The DepthLayer's own operations. A depth value holds the depth number in
// bits 5..15 and flags in bits 0..4; ResetDepth writes the plain view row
// numbers (row x 32, no flags).
#include <algorithm>

#include "framestore/layers.h"
#include "interface/operations.h"

namespace ruvo {

void RUVO_CDECL ResetDepth() {
    const ClipRect clip = LayerClip();
    if (clip.Empty()) return;
    uint16_t *depth = DepthCells();
    auto value = static_cast<uint16_t>(clip.top * 32);
    ForEachRingRow(clip.left, clip.top, clip.Height(), [&](int32_t index) {
        std::fill_n(depth + index, clip.Width(), value);
        value = static_cast<uint16_t>(value + 32);
    });
}

void RUVO_CDECL ClearDepthFlag(int32_t x, int32_t y, int32_t width, int32_t height) {
    const ClipRect r = CutToLayer(x, y, width, height);
    if (r.Empty()) return;
    uint16_t *depth = DepthCells();
    ForEachRingRow(r.left, r.top, r.Height(), [&](int32_t index) {
        uint16_t *cell = depth + index;
        for (int32_t i = 0; i < r.Width(); ++i) cell[i] &= 0xFFFB;
    });
}

}  // namespace ruvo
