// The SDL2 display object and primary surface, over SDL2 loaded with dlopen.
// The SDL2 headers give the types only; every function is looked up by name.
#include "platform/sdl2/sdl2_display.h"

#include <SDL2/SDL.h>
#include <dlfcn.h>

#include <cstring>
#include <iterator>

#include "platform/buffer_surface.h"

namespace ruvo::platform::sdl2 {
namespace {

constexpr int32_t kMaxWidth = 1024;
constexpr int32_t kMaxHeight = 768;

// The SDL2 functions used, resolved from the loaded library.
struct Sdl2 {
    void *library = nullptr;
    decltype(&SDL_PixelFormatEnumToMasks) PixelFormatEnumToMasks = nullptr;
    decltype(&SDL_GetWindowFlags) GetWindowFlags = nullptr;
    decltype(&SDL_GetWindowSize) GetWindowSize = nullptr;
    decltype(&SDL_SetWindowSize) SetWindowSize = nullptr;
    decltype(&SDL_SetWindowDisplayMode) SetWindowDisplayMode = nullptr;
    decltype(&SDL_SetWindowFullscreen) SetWindowFullscreen = nullptr;
    decltype(&SDL_GetWindowSurface) GetWindowSurface = nullptr;
    decltype(&SDL_UpdateWindowSurface) UpdateWindowSurface = nullptr;
    decltype(&SDL_ConvertPixels) ConvertPixels = nullptr;
    decltype(&SDL_LockSurface) LockSurface = nullptr;
    decltype(&SDL_UnlockSurface) UnlockSurface = nullptr;
};
Sdl2 theSdl;

template <class Fn>
bool Resolve(void *library, const char *name, Fn &fn) {
    void *symbol = dlsym(library, name);
    std::memcpy(&fn, &symbol, sizeof fn);
    return symbol != nullptr;
}

bool LoadSdl2() {
    if (theSdl.library) return true;
    void *library = dlopen("libSDL2-2.0.so.0", RTLD_NOW | RTLD_LOCAL);
    if (!library) return false;
    Sdl2 s;
    s.library = library;
    const bool all = Resolve(library, "SDL_PixelFormatEnumToMasks", s.PixelFormatEnumToMasks) &&
                     Resolve(library, "SDL_GetWindowFlags", s.GetWindowFlags) &&
                     Resolve(library, "SDL_GetWindowSize", s.GetWindowSize) &&
                     Resolve(library, "SDL_SetWindowSize", s.SetWindowSize) &&
                     Resolve(library, "SDL_SetWindowDisplayMode", s.SetWindowDisplayMode) &&
                     Resolve(library, "SDL_SetWindowFullscreen", s.SetWindowFullscreen) &&
                     Resolve(library, "SDL_GetWindowSurface", s.GetWindowSurface) &&
                     Resolve(library, "SDL_UpdateWindowSurface", s.UpdateWindowSurface) &&
                     Resolve(library, "SDL_ConvertPixels", s.ConvertPixels) &&
                     Resolve(library, "SDL_LockSurface", s.LockSurface) &&
                     Resolve(library, "SDL_UnlockSurface", s.UnlockSurface);
    if (!all) {
        dlclose(library);
        return false;
    }
    theSdl = s;
    return true;
}

void UnloadSdl2() {
    if (theSdl.library) dlclose(theSdl.library);
    theSdl = {};
}

// The primary surface's memory.
alignas(64) uint16_t thePixels[kMaxWidth * kMaxHeight];

// The primary surface: a buffer in the format SDL gives an RGB565 texture,
// put into the window at each unlock.
class Sdl2Surface final : public BufferSurface {
  public:
    Sdl2Surface() : BufferSurface(thePixels, std::size(thePixels)) {}

    void Create(SDL_Window *window, int32_t width, int32_t height) {
        window_ = window;
        int bpp = 0;
        Uint32 r = 0, g = 0, b = 0, a = 0;
        theSdl.PixelFormatEnumToMasks(SDL_PIXELFORMAT_RGB565, &bpp, &r, &g, &b, &a);
        CreateBuffer(width, height, {r, g, b});
    }

  private:
    // Puts the buffer into the window at (0, 0) and updates the window.
    Result Show() override {
        SDL_Surface *target = theSdl.GetWindowSurface(window_);
        if (!target) return kGenericFailure;
        const int w = target->w < Width() ? target->w : Width();
        const int h = target->h < Height() ? target->h : Height();
        const bool must_lock = SDL_MUSTLOCK(target);
        if (must_lock && theSdl.LockSurface(target) < 0) return kGenericFailure;
        const int converted =
            theSdl.ConvertPixels(w, h, SDL_PIXELFORMAT_RGB565, Pixels(), Pitch(),
                                 target->format->format, target->pixels, target->pitch);
        if (must_lock) theSdl.UnlockSurface(target);
        if (converted < 0 || theSdl.UpdateWindowSurface(window_) < 0) return kGenericFailure;
        return kOk;
    }

    SDL_Window *window_ = nullptr;
};
Sdl2Surface theSurface;

class Sdl2Device final : public DisplayDevice {
  public:
    void Create(SDL_Window *window) {
        window_ = window;
        level_set_ = exclusive_ = false;
        // A window left in full screen (ReleaseDisplay keeps the mode) stays so.
        fullscreen_ = (theSdl.GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN) != 0;
        width_ = kMaxWidth;
        height_ = kMaxHeight;
    }

    Result SetCooperativeLevel(void *window, uint32_t flags) override {
        if (window != window_) return kGenericFailure;
        if (flags != kLevelNormal && flags != kLevelExclusiveFullScreen) return kUnsupported;
        level_set_ = true;
        exclusive_ = flags == kLevelExclusiveFullScreen;
        return kOk;
    }

    Result SetDisplayMode(int32_t width, int32_t height, int32_t bits_per_pixel) override {
        if (!exclusive_) return kGenericFailure;
        if (bits_per_pixel != 16 || !ValidSize(width, height)) return kUnsupported;
        SDL_DisplayMode mode{};
        mode.format = SDL_PIXELFORMAT_RGB565;
        mode.w = width;
        mode.h = height;
        if (theSdl.SetWindowDisplayMode(window_, &mode) < 0) return kGenericFailure;
        if (!fullscreen_) {
            // The window's size in a window, for when the mode is restored.
            int old_width = 0, old_height = 0;
            theSdl.GetWindowSize(window_, &old_width, &old_height);
            theSdl.SetWindowSize(window_, width, height);
            if (theSdl.SetWindowFullscreen(window_, SDL_WINDOW_FULLSCREEN) < 0) {
                theSdl.SetWindowSize(window_, old_width, old_height);
                return kGenericFailure;
            }
            fullscreen_ = true;
        }
        width_ = width;
        height_ = height;
        return kOk;
    }

    Result RestoreDisplayMode() override {
        if (!fullscreen_) return kOk;
        if (theSdl.SetWindowFullscreen(window_, 0) < 0) return kGenericFailure;
        fullscreen_ = false;
        return kOk;
    }

    Result CreateSurface(SurfaceDescription *desc, DisplaySurface **surface) override {
        if (!level_set_) return kGenericFailure;
        if (desc->dwSize != sizeof *desc || !(desc->dwFlags & kDescCaps) ||
            desc->ddsCaps.dwCaps != kCapsPrimarySurface) {
            return kUnsupported;
        }
        theSurface.Create(window_, width_, height_);
        *surface = &theSurface;
        return kOk;
    }

    // Only the window this display was opened for is ever touched. In full
    // screen the display mode gives the window its size; resizing it then
    // would put the X window and SDL's idea of it at odds.
    void ResizeWindow(void *window, int32_t width, int32_t height) override {
        if (window != window_ || !ValidSize(width, height)) return;
        if (!fullscreen_) theSdl.SetWindowSize(window_, width, height);
        width_ = width;
        height_ = height;
    }

    void Release() override {
        window_ = nullptr;
        level_set_ = exclusive_ = fullscreen_ = false;
        UnloadSdl2();
    }

  private:
    static bool ValidSize(int32_t width, int32_t height) {
        return width >= 1 && width <= kMaxWidth && height >= 1 && height <= kMaxHeight;
    }

    SDL_Window *window_ = nullptr;
    int32_t width_ = kMaxWidth, height_ = kMaxHeight;
    bool level_set_ = false, exclusive_ = false;
    bool fullscreen_ = false;  // in full screen: the mode sizes the window
};
Sdl2Device theDevice;

}  // namespace

Result CreateSdl2Display(void *window, DisplayDevice **device) {
    if (!window || !LoadSdl2()) return kGenericFailure;
    theDevice.Create(static_cast<SDL_Window *>(window));
    *device = &theDevice;
    return kOk;
}

}  // namespace ruvo::platform::sdl2
