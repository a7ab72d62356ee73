// ResetView: the layer geometry and the default view.
#include "framestore/layers.h"
#include "interface/operations.h"

namespace ruvo {

void RUVO_CDECL ResetView() {
    DrawBlock &b = Block();
    b.ScreenWidth = kLayerWidth;
    b.ScreenHeight = kLayerHeight;
    b.LayerPitch = kLayerPitchBytes;
    b.ScrollOffset = 0;
    b.WrapRow = kLayerHeight;
    b.ClipLeft = 0;
    b.ClipTop = 0;
    b.ClipRight = kLayerWidth - 1;
    b.ClipBottom = kLayerHeight - 1;
}

}  // namespace ruvo
