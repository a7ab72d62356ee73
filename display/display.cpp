// The display connection: the display object for the host's window, the
// 16-bit mode, and the primary surface whose format the layers take.
//
//   Closed       no object, no surface          load, CloseDisplay, ReleaseDisplay
//   Object only  object, no cooperative level   OpenDisplay failing at the level
//   Open         object and level, no surface   OpenDisplay, ReleasePrimary
//   Ready        primary surface, not locked    SetScreenMode, UnlockPrimary
//   Locked       SurfacePointer set             LockPrimary
//
// All platform work goes through platform/display_platform.h.
#include "display/surface.h"
#include "framestore/layers.h"
#include "interface/operations.h"

namespace ruvo {

using platform::Failed;

int32_t RUVO_CDECL OpenDisplay(void *window, int32_t exclusive) {
    CloseDisplay();
    DrawBlock &b = Block();
    platform::DisplayDevice *device = nullptr;
    if (Failed(platform::CreateDisplay(window, &device)) || !device) return 0;
    b.DirectDrawObject = platform::HandleOf(device);
    const uint32_t level = exclusive ? platform::kLevelExclusiveFullScreen : platform::kLevelNormal;
    if (Failed(device->SetCooperativeLevel(window, level))) return 0;
    b.ExclusiveMode = exclusive;
    b.DisplayWindow = window;
    return 1;
}

void RUVO_CDECL ReleasePrimary(void) {
    DrawBlock &b = Block();
    if (platform::DisplaySurface *surface = PrimaryObject()) {
        // Released while locked: unlock first, so that no later presentation
        // takes the stale lock for a lock of the next surface.
        if (theSurfaceLock.surface == surface || b.SurfacePointer) UnlockPrimary();
        surface->Release();
        b.PrimarySurface = nullptr;
    }
    // A lock on a surface the DrawBlock no longer names goes with it.
    theSurfaceLock = {};
}

void RUVO_CDECL CloseDisplay(void) {
    ReleasePrimary();
    DrawBlock &b = Block();
    if (platform::DisplayDevice *device = DisplayObject()) {
        if (b.ExclusiveMode) device->RestoreDisplayMode();
        device->Release();
        b.DirectDrawObject = nullptr;
    }
}

void RUVO_CDECL ReleaseDisplay(void) {
    ReleasePrimary();
    DrawBlock &b = Block();
    if (platform::DisplayDevice *device = DisplayObject()) {
        device->Release();
        b.DirectDrawObject = nullptr;
    }
}

int32_t RUVO_CDECL SetScreenMode(int32_t width, int32_t height) {
    DrawBlock &b = Block();
    platform::DisplayDevice *device = DisplayObject();
    // The clip rectangle set below must lie inside the layers.
    if (!device || width < 1 || width > kLayerWidth || height < 1 || height > kLayerHeight) {
        return 0;
    }
    ReleasePrimary();
    if (b.ExclusiveMode && Failed(device->SetDisplayMode(width, height, 16))) return 0;
    device->ResizeWindow(b.DisplayWindow, width, height);

    platform::SurfaceDescription desc{};
    desc.dwSize = sizeof desc;
    desc.dwFlags = platform::kDescCaps;
    desc.ddsCaps.dwCaps = platform::kCapsPrimarySurface;
    platform::DisplaySurface *surface = nullptr;
    if (Failed(device->CreateSurface(&desc, &surface)) || !surface) return 0;
    b.PrimarySurface = platform::HandleOf(surface);

    desc.dwSize = sizeof desc;
    surface->GetSurfaceDesc(&desc);
    AnalysePixelFormat(desc.ddpfPixelFormat.dwRBitMask, desc.ddpfPixelFormat.dwGBitMask,
                       desc.ddpfPixelFormat.dwBBitMask);
    // Through the slot, so that a host's replacement runs; an empty slot
    // runs the library's own.
    RuvoResetViewFn reset = b.OperationSlot.Op.ResetView;
    (reset ? reset : ResetView)();
    b.ClipRight = width - 1;
    b.ClipBottom = height - 1;
    b.ClipLeft = 0;
    b.ClipTop = 0;
    return 1;
}

}  // namespace ruvo
