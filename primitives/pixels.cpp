// Single pixels of the ScreenLayer and the BackLayer, clipped one by one.
#include "framestore/layers.h"
#include "interface/operations.h"

namespace ruvo {
namespace {

// Stores the colour's low half at (x, y) of a layer, if (x, y) is inside the clip rectangle.
inline void PutLayerPixel(uint16_t *cells, int32_t x, int32_t y, uint32_t colour) {
    const ClipRect clip = LayerClip();
    if (x < clip.left || y < clip.top || x > clip.right || y > clip.bottom) return;
    cells[RingIndex(x, y)] = static_cast<uint16_t>(colour);
}

}  // namespace

void RUVO_CDECL PutPixel(int32_t x, int32_t y, uint32_t colour) {
    PutLayerPixel(ScreenCells(), x, y, colour);
}

void RUVO_CDECL PutBackPixel(int32_t x, int32_t y, uint32_t colour) {
    PutLayerPixel(BackCells(), x, y, colour);
}

}  // namespace ruvo
