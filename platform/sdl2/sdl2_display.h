// The SDL2 display: on Linux, a window handle given to OpenDisplay is an
// SDL_Window that the host created.
//
// SDL2 is loaded at run time (libSDL2-2.0.so.0) when such a window is first
// given, so the library itself needs nothing but libc and still loads and
// runs headless on a machine without SDL2. The host's own SDL2 is the one
// found, since a library already loaded is loaded again by name.
//
// The primary surface is a 16-bit buffer of the mode's size in the format SDL
// gives an RGB565 texture. Unlocking shows it in the window: the buffer goes
// into the window surface at (0, 0), converted by SDL only where the window's
// own format is not RGB565 (a 16-bit X screen takes it bit for bit), and the
// window is updated. Exclusive mode puts the window in full screen at the
// mode's size; restoring the mode puts it back in a window.
#pragma once

#include "platform/display_platform.h"

namespace ruvo::platform::sdl2 {

Result CreateSdl2Display(void *window, DisplayDevice **device);

}  // namespace ruvo::platform::sdl2
