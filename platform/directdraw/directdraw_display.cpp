// The DirectDraw display object and primary surface: thin holders of the real
// interfaces. One of each, static; each holds its interface from creation to
// Release.
#include "platform/directdraw/directdraw_display.h"

#include <windows.h>
// windows.h first: ddraw.h relies on its types.
#include <ddraw.h>

#include <cstddef>
#include <cstring>

namespace ruvo::platform::directdraw {
namespace {

// The platform layer's names are DirectDraw's values.
static_assert(kLevelNormal == DDSCL_NORMAL);
static_assert(kLevelExclusiveFullScreen == (DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN));
static_assert(kDescCaps == DDSD_CAPS && kDescHeight == DDSD_HEIGHT && kDescWidth == DDSD_WIDTH);
static_assert(kDescPitch == DDSD_PITCH && kDescPixelFormat == DDSD_PIXELFORMAT);
static_assert(kDescLpSurface == DDSD_LPSURFACE);
static_assert(kCapsPrimarySurface == DDSCAPS_PRIMARYSURFACE);
static_assert(kLockWait == DDLOCK_WAIT);
static_assert(kPixelFormatRgb == DDPF_RGB);
static_assert(kSurfaceBusy == DDERR_SURFACEBUSY && kSurfaceLost == DDERR_SURFACELOST);
static_assert(kGenericFailure == DDERR_GENERIC && kUnsupported == DDERR_UNSUPPORTED);

// The description is passed to DirectDraw as its own: same size, every field
// at the same offset.
#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(DDSURFACEDESC) == 108, "the first-version 108-byte surface description");
#endif
static_assert(sizeof(SurfaceDescription) == sizeof(DDSURFACEDESC));
static_assert(sizeof(PixelFormatDescription) == sizeof(DDPIXELFORMAT));
#define RUVO_SAME_FIELD(ours, theirs) \
    static_assert(offsetof(SurfaceDescription, ours) == offsetof(DDSURFACEDESC, theirs), #ours)
RUVO_SAME_FIELD(dwSize, dwSize);
RUVO_SAME_FIELD(dwFlags, dwFlags);
RUVO_SAME_FIELD(dwHeight, dwHeight);
RUVO_SAME_FIELD(dwWidth, dwWidth);
RUVO_SAME_FIELD(lPitch, lPitch);
RUVO_SAME_FIELD(dwBackBufferCount, dwBackBufferCount);
RUVO_SAME_FIELD(dwRefreshRate, dwRefreshRate);
RUVO_SAME_FIELD(dwAlphaBitDepth, dwAlphaBitDepth);
RUVO_SAME_FIELD(dwReserved, dwReserved);
RUVO_SAME_FIELD(lpSurface, lpSurface);
RUVO_SAME_FIELD(ddckCKDestOverlay, ddckCKDestOverlay);
RUVO_SAME_FIELD(ddckCKDestBlt, ddckCKDestBlt);
RUVO_SAME_FIELD(ddckCKSrcOverlay, ddckCKSrcOverlay);
RUVO_SAME_FIELD(ddckCKSrcBlt, ddckCKSrcBlt);
RUVO_SAME_FIELD(ddpfPixelFormat, ddpfPixelFormat);
RUVO_SAME_FIELD(ddpfPixelFormat.dwSize, ddpfPixelFormat.dwSize);
RUVO_SAME_FIELD(ddpfPixelFormat.dwFlags, ddpfPixelFormat.dwFlags);
RUVO_SAME_FIELD(ddpfPixelFormat.dwFourCC, ddpfPixelFormat.dwFourCC);
RUVO_SAME_FIELD(ddpfPixelFormat.dwRGBBitCount, ddpfPixelFormat.dwRGBBitCount);
RUVO_SAME_FIELD(ddpfPixelFormat.dwRBitMask, ddpfPixelFormat.dwRBitMask);
RUVO_SAME_FIELD(ddpfPixelFormat.dwGBitMask, ddpfPixelFormat.dwGBitMask);
RUVO_SAME_FIELD(ddpfPixelFormat.dwBBitMask, ddpfPixelFormat.dwBBitMask);
RUVO_SAME_FIELD(ddpfPixelFormat.dwRGBAlphaBitMask, ddpfPixelFormat.dwRGBAlphaBitMask);
RUVO_SAME_FIELD(ddsCaps, ddsCaps);
#undef RUVO_SAME_FIELD

// A description handed to DirectDraw and its answer copied back.
class RealDescription {
  public:
    explicit RealDescription(SurfaceDescription *ours) : ours_(ours) {
        std::memcpy(&real_, ours, sizeof real_);
    }
    ~RealDescription() { std::memcpy(ours_, &real_, sizeof real_); }
    RealDescription(const RealDescription &) = delete;
    RealDescription &operator=(const RealDescription &) = delete;

    DDSURFACEDESC *get() { return &real_; }

  private:
    SurfaceDescription *ours_;
    DDSURFACEDESC real_;
};

class DirectDrawSurface final : public DisplaySurface {
  public:
    void Hold(IDirectDrawSurface *surface) { surface_ = surface; }

    Result GetSurfaceDesc(SurfaceDescription *desc) override {
        if (!surface_) return DDERR_INVALIDOBJECT;
        RealDescription real(desc);
        return surface_->GetSurfaceDesc(real.get());
    }

    Result Lock(SurfaceDescription *desc, uint32_t flags) override {
        if (!surface_) return DDERR_INVALIDOBJECT;
        RealDescription real(desc);
        return surface_->Lock(nullptr, real.get(), flags, nullptr);
    }

    Result Unlock() override { return surface_ ? surface_->Unlock(nullptr) : DDERR_INVALIDOBJECT; }
    Result Restore() override { return surface_ ? surface_->Restore() : DDERR_INVALIDOBJECT; }

    void Release() override {
        if (surface_) surface_->Release();
        surface_ = nullptr;
    }

    void *Handle() override { return surface_; }

  private:
    IDirectDrawSurface *surface_ = nullptr;
};
DirectDrawSurface theSurface;

class DirectDrawDevice final : public DisplayDevice {
  public:
    void Hold(IDirectDraw *ddraw) { ddraw_ = ddraw; }

    Result SetCooperativeLevel(void *window, uint32_t flags) override {
        if (!ddraw_) return DDERR_INVALIDOBJECT;
        return ddraw_->SetCooperativeLevel(static_cast<HWND>(window), flags);
    }

    Result SetDisplayMode(int32_t width, int32_t height, int32_t bits_per_pixel) override {
        if (!ddraw_) return DDERR_INVALIDOBJECT;
        return ddraw_->SetDisplayMode(static_cast<DWORD>(width), static_cast<DWORD>(height),
                                      static_cast<DWORD>(bits_per_pixel));
    }

    Result RestoreDisplayMode() override {
        return ddraw_ ? ddraw_->RestoreDisplayMode() : DDERR_INVALIDOBJECT;
    }

    Result CreateSurface(SurfaceDescription *desc, DisplaySurface **surface) override {
        if (!ddraw_) return DDERR_INVALIDOBJECT;
        // A surface still held here is one the DrawBlock no longer names (the
        // display code releases its primary before asking for the next).
        theSurface.Release();
        IDirectDrawSurface *created = nullptr;
        Result r;
        {
            RealDescription real(desc);
            r = ddraw_->CreateSurface(real.get(), &created, nullptr);
        }
        if (r < 0) return r;
        if (!created) return DDERR_GENERIC;
        theSurface.Hold(created);
        *surface = &theSurface;
        return r;
    }

    void ResizeWindow(void *window, int32_t width, int32_t height) override {
        SetWindowPos(static_cast<HWND>(window), nullptr, 0, 0, width, height,
                     SWP_NOMOVE | SWP_NOZORDER);
    }

    void Release() override {
        // Surfaces go before the object that made them.
        theSurface.Release();
        if (ddraw_) ddraw_->Release();
        ddraw_ = nullptr;
    }

    void *Handle() override { return ddraw_; }

  private:
    IDirectDraw *ddraw_ = nullptr;
};
DirectDrawDevice theDevice;

}  // namespace

Result CreateDirectDrawDisplay(DisplayDevice **device) {
    // An object still held here is one the DrawBlock no longer names (the
    // display code closes its connection before opening the next).
    theDevice.Release();
    IDirectDraw *ddraw = nullptr;
    const Result r = DirectDrawCreate(nullptr, &ddraw, nullptr);
    if (r < 0) return r;
    if (!ddraw) return DDERR_GENERIC;
    theDevice.Hold(ddraw);
    *device = &theDevice;
    return r;
}

}  // namespace ruvo::platform::directdraw
