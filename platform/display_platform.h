// The display platform: the few operations the display code needs from a
// display API, and nothing more.
//
// A display object (DisplayDevice) is created for a window; it takes a
// cooperative level (exclusive full screen or normal), sets and restores a
// 16-bit mode, resizes the window, and creates the primary surface
// (DisplaySurface), which can be described, locked for its memory and pitch,
// unlocked (which is when a backend may show it), restored after a loss and
// released. Results are DirectDraw-style 32-bit codes: negative is failure,
// and the busy and lost codes keep their DirectDraw values, since hosts see
// them pass through UnlockPrimary and the lock loop tests for them.
//
// Which backend serves a window is decided here, in CreateDisplay: a null
// window gets the in-memory display on every system; on Windows a non-null
// window is an HWND served by DirectDraw, in a browser the CSS selector of a
// canvas, elsewhere an SDL_Window the host created. The display code never
// includes a platform header.
//
// The DrawBlock's DirectDrawObject and PrimarySurface hold each object's
// Handle(): the object itself, or, over DirectDraw, the real IDirectDraw and
// IDirectDrawSurface, which hosts may use. DeviceOf and SurfaceOf find the
// object behind such a value again.
//
// Objects are static: a backend has one display object and one primary
// surface, reused from one creation to the next. Nothing is allocated.
#pragma once

#include <cstdint>

#include "ruvodraw1024.h"

namespace ruvo::platform {

using Result = int32_t;

inline constexpr Result kOk = 0;
inline constexpr Result kSurfaceBusy = RUVO_RESULT_SURFACE_BUSY;  // 0x887601AE
inline constexpr Result kSurfaceLost = RUVO_RESULT_SURFACE_LOST;  // 0x887601C2
inline constexpr Result kGenericFailure = static_cast<Result>(0x80004005u);
inline constexpr Result kUnsupported = static_cast<Result>(0x80004001u);

inline bool Failed(Result r) { return r < 0; }

// Cooperative levels.
inline constexpr uint32_t kLevelNormal = 0x08;
inline constexpr uint32_t kLevelExclusiveFullScreen = 0x11;  // exclusive | full screen

// SurfaceDescription::dwFlags: which fields are valid.
inline constexpr uint32_t kDescCaps = 0x0001;
inline constexpr uint32_t kDescHeight = 0x0002;
inline constexpr uint32_t kDescWidth = 0x0004;
inline constexpr uint32_t kDescPitch = 0x0008;
inline constexpr uint32_t kDescPixelFormat = 0x1000;
inline constexpr uint32_t kDescLpSurface = 0x0800;

// ddsCaps.dwCaps of the primary surface.
inline constexpr uint32_t kCapsPrimarySurface = 0x0200;

// Lock flags: wait while the display hardware is busy.
inline constexpr uint32_t kLockWait = 0x0001;

// Pixel-format flags: an RGB format whose masks are valid.
inline constexpr uint32_t kPixelFormatRgb = 0x0040;

struct PixelFormatDescription {
    uint32_t dwSize;
    uint32_t dwFlags;
    uint32_t dwFourCC;
    uint32_t dwRGBBitCount;
    uint32_t dwRBitMask;
    uint32_t dwGBitMask;
    uint32_t dwBBitMask;
    uint32_t dwRGBAlphaBitMask;
};

struct ColourKey {
    uint32_t dwColorSpaceLowValue;
    uint32_t dwColorSpaceHighValue;
};

struct SurfaceCaps {
    uint32_t dwCaps;
};

// A surface description laid out as the platform's own (108 bytes with 4-byte
// pointers), so that a backend over the real API can pass it through.
struct SurfaceDescription {
    uint32_t dwSize;
    uint32_t dwFlags;
    uint32_t dwHeight;
    uint32_t dwWidth;
    int32_t lPitch;
    uint32_t dwBackBufferCount;
    uint32_t dwRefreshRate;
    uint32_t dwAlphaBitDepth;
    uint32_t dwReserved;
    void *lpSurface;
    ColourKey ddckCKDestOverlay;
    ColourKey ddckCKDestBlt;
    ColourKey ddckCKSrcOverlay;
    ColourKey ddckCKSrcBlt;
    PixelFormatDescription ddpfPixelFormat;
    SurfaceCaps ddsCaps;
};

static_assert(sizeof(PixelFormatDescription) == 32);
#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(SurfaceDescription) == 108, "the platform's 108-byte description");
#endif

// The primary surface.
class DisplaySurface {
  public:
    // Fills the description (size, pitch, pixel format); the caller sets dwSize.
    virtual Result GetSurfaceDesc(SurfaceDescription *desc) = 0;
    // Locks the whole surface; on success desc->lpSurface and desc->lPitch are valid.
    virtual Result Lock(SurfaceDescription *desc, uint32_t flags) = 0;
    virtual Result Unlock() = 0;
    // Brings back a lost surface's memory.
    virtual Result Restore() = 0;
    virtual void Release() = 0;
    // What the DrawBlock holds for this surface.
    virtual void *Handle() { return this; }

  protected:
    ~DisplaySurface() = default;
};

// The display object.
class DisplayDevice {
  public:
    virtual Result SetCooperativeLevel(void *window, uint32_t flags) = 0;
    virtual Result SetDisplayMode(int32_t width, int32_t height, int32_t bits_per_pixel) = 0;
    virtual Result RestoreDisplayMode() = 0;
    // Creates the surface that desc asks for (the primary surface).
    virtual Result CreateSurface(SurfaceDescription *desc, DisplaySurface **surface) = 0;
    // Gives the window the size, keeping its place and stacking order.
    virtual void ResizeWindow(void *window, int32_t width, int32_t height) = 0;
    virtual void Release() = 0;
    // What the DrawBlock holds for this object.
    virtual void *Handle() { return this; }

  protected:
    ~DisplayDevice() = default;
};

// Creates the display object that serves the window (null: in memory).
Result CreateDisplay(void *window, DisplayDevice **device);

// The value the DrawBlock keeps for an object, remembering the object.
void *HandleOf(DisplayDevice *device);
void *HandleOf(DisplaySurface *surface);
// The object behind a value that HandleOf gave; null for null or any other value.
DisplayDevice *DeviceOf(void *handle);
DisplaySurface *SurfaceOf(void *handle);

}  // namespace ruvo::platform
