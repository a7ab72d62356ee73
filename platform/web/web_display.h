// The web display: in a browser (WebAssembly), a window handle given to
// OpenDisplay is a C string, the CSS selector of the canvas to draw into
// ("#screen"). OpenDisplay fails when it names no canvas.
//
// The primary surface is a 16-bit 5-6-5 buffer of the mode's size in the
// library's own memory, locked and written as on any display. Unlocking shows
// it: the buffer is expanded to 8-bit RGBA (each channel's top bits repeated
// into its low bits, so the 5-6-5 value can be read back exactly) and put
// into the canvas at (0, 0) with putImageData, straight from the module's
// memory. The canvas takes the size of the mode (its drawing buffer; the
// page's style decides how large it looks). Exclusive mode lays the canvas
// over the whole page, scaled to fit; restoring the mode puts its style back.
#pragma once

#include <cstdint>

#include "platform/display_platform.h"

namespace ruvo::platform::web {

Result CreateWebDisplay(void *window, DisplayDevice **device);

// Expands n 5-6-5 pixels to RGBA bytes (R, G, B, 255 in memory order).
void ExpandToRgba(const uint16_t *pixels, uint32_t *rgba, int32_t n);

}  // namespace ruvo::platform::web
