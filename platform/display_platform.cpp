// Which backend serves a window.
#include "platform/display_platform.h"

#include "platform/memory/memory_display.h"
#if RUVO_WITH_SDL2
#include "platform/sdl2/sdl2_display.h"
#endif

namespace ruvo::platform {

Result CreateDisplay(void *window, DisplayDevice **device) {
    if (!window) return memory::CreateMemoryDisplay(device);
#if RUVO_WITH_SDL2
    return sdl2::CreateSdl2Display(window, device);
#else
    return kUnsupported;
#endif
}

}  // namespace ruvo::platform
