// Which backend serves a window, and what the DrawBlock holds for its objects.
#include "platform/display_platform.h"

#include "platform/memory/memory_display.h"
#if RUVO_WITH_DIRECTDRAW
#include "platform/directdraw/directdraw_display.h"
#elif RUVO_WITH_WEB
#include "platform/web/web_display.h"
#elif RUVO_WITH_SDL2
#include "platform/sdl2/sdl2_display.h"
#endif

namespace ruvo::platform {
namespace {

// The objects whose handles the DrawBlock was last given. There is at most one
// display object and one primary surface at a time: OpenDisplay closes the old
// connection first and SetScreenMode releases the old surface first.
DisplayDevice *theDevice = nullptr;
DisplaySurface *theSurface = nullptr;

}  // namespace

Result CreateDisplay(void *window, DisplayDevice **device) {
    if (!window) return memory::CreateMemoryDisplay(device);
#if RUVO_WITH_DIRECTDRAW
    return directdraw::CreateDirectDrawDisplay(device);
#elif RUVO_WITH_WEB
    return web::CreateWebDisplay(window, device);
#elif RUVO_WITH_SDL2
    return sdl2::CreateSdl2Display(window, device);
#else
    return kUnsupported;
#endif
}

void *HandleOf(DisplayDevice *device) {
    theDevice = device;
    return device ? device->Handle() : nullptr;
}

void *HandleOf(DisplaySurface *surface) {
    theSurface = surface;
    return surface ? surface->Handle() : nullptr;
}

DisplayDevice *DeviceOf(void *handle) {
    return handle && theDevice && theDevice->Handle() == handle ? theDevice : nullptr;
}

DisplaySurface *SurfaceOf(void *handle) {
    return handle && theSurface && theSurface->Handle() == handle ? theSurface : nullptr;
}

}  // namespace ruvo::platform
