// DrawDottedEllipse: the traced outline, every plotted pixel through PutPixel
// and so clipped one by one; the trace and its spacing go on regardless.
#include <cstdint>

#include "framestore/layers.h"
#include "interface/operations.h"
#include "primitives/ellipse_trace.h"

namespace ruvo {

void RUVO_CDECL DrawDottedEllipse(int32_t cx, int32_t cy, int32_t radius, uint32_t colour,
                                  int32_t spacing) {
    const ClipRect clip = LayerClip();
    if (clip.Empty()) return;  // nothing could be plotted
    TraceDottedEllipse(cx, cy, radius, spacing, clip, [colour](int64_t x, int64_t y) {
        // A pixel beyond 32 bits lies outside every clip rectangle.
        if (x < INT32_MIN || x > INT32_MAX || y < INT32_MIN || y > INT32_MAX) return;
        PutPixel(static_cast<int32_t>(x), static_cast<int32_t>(y), colour);
    });
}

}  // namespace ruvo
