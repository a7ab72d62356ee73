// The DirectDraw display: on Windows, a window handle given to OpenDisplay is
// the host's HWND, and the display object and primary surface are the real
// first-version IDirectDraw and IDirectDrawSurface of the active display
// driver. Their interface pointers are what the DrawBlock holds in
// DirectDrawObject and PrimarySurface, so a host may call them itself.
//
// Every call is passed through unchanged and every DirectDraw result is
// returned as it is: a surface description goes to DirectDraw as the real
// DDSURFACEDESC (the platform layer's description has its layout, checked
// field by field), and ResizeWindow is SetWindowPos with SWP_NOMOVE |
// SWP_NOZORDER. What reaches the screen, and when, is DirectDraw's affair.
#pragma once

#include "platform/display_platform.h"

namespace ruvo::platform::directdraw {

// DirectDrawCreate for the active display driver.
Result CreateDirectDrawDisplay(DisplayDevice **device);

}  // namespace ruvo::platform::directdraw
