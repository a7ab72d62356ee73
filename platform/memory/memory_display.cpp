// The in-memory display object and primary surface, with the failures and
// records its control asks for.
#include "platform/memory/memory_display.h"

#include <cstring>

#include "platform/buffer_surface.h"

namespace ruvo::platform::memory {
namespace {

MemoryDisplayControl theControl;

// The surface memory: the largest mode with the widest padding.
alignas(64) uint16_t theSurfacePixels[(kMaxWidth + kMaxPitchPadding / 2) * kMaxHeight];

struct SurfaceShape {
    int32_t width = kMaxWidth, height = kMaxHeight, pitch = 2 * kMaxWidth;
    uint32_t red_mask = 0xF800, green_mask = 0x07E0, blue_mask = 0x001F;
};
SurfaceShape theShape;

// The size the next surface gets: the last mode or window size set.
int32_t theNextWidth = kMaxWidth, theNextHeight = kMaxHeight;

void Describe(SurfaceDescription *desc) {
    DescribePrimary16(desc, theShape.width, theShape.height, theShape.pitch,
                      {theShape.red_mask, theShape.green_mask, theShape.blue_mask});
}

class MemorySurface final : public DisplaySurface {
  public:
    Result GetSurfaceDesc(SurfaceDescription *desc) override {
        ++theControl.calls.get_desc;
        if (!theControl.surface_alive || desc->dwSize != sizeof *desc) return kGenericFailure;
        Describe(desc);
        return kOk;
    }

    Result Lock(SurfaceDescription *desc, uint32_t flags) override {
        MemoryDisplayControl &c = theControl;
        ++c.calls.lock;
        c.lock_flags = flags;
        c.lock_desc_size = desc->dwSize;
        if (!c.surface_alive || c.locked || desc->dwSize != sizeof *desc) return kGenericFailure;
        if (c.lock_failure != kOk) return c.lock_failure;
        if (c.lock_busy_count > 0) {
            --c.lock_busy_count;
            return kSurfaceBusy;
        }
        if (!c.lost && c.lock_lost_count > 0) {
            --c.lock_lost_count;
            c.lost = true;
        }
        if (c.lost) return kSurfaceLost;
        Describe(desc);
        desc->dwFlags |= kDescLpSurface;
        desc->lpSurface = theSurfacePixels;
        c.locked = true;
        return kOk;
    }

    Result Unlock() override {
        ++theControl.calls.unlock;
        if (!theControl.locked) return kGenericFailure;
        theControl.locked = false;
        return theControl.unlock_result;
    }

    Result Restore() override {
        ++theControl.calls.restore;
        if (!theControl.surface_alive || theControl.fail_restore) return kGenericFailure;
        theControl.lost = false;
        return kOk;
    }

    void Release() override {
        ++theControl.calls.release_surface;
        theControl.surface_alive = false;
        theControl.locked = false;
        theControl.lost = false;
    }
};
MemorySurface theSurface;

bool ValidSize(int32_t width, int32_t height) {
    return width >= 1 && width <= kMaxWidth && height >= 1 && height <= kMaxHeight;
}

class MemoryDevice final : public DisplayDevice {
  public:
    Result SetCooperativeLevel(void *window, uint32_t flags) override {
        MemoryDisplayControl &c = theControl;
        ++c.calls.cooperative_level;
        c.level_window = window;
        c.level_flags = flags;
        if (!c.device_alive || c.fail_cooperative_level) return kGenericFailure;
        if (flags != kLevelNormal && flags != kLevelExclusiveFullScreen) return kUnsupported;
        c.level_set = true;
        c.exclusive = flags == kLevelExclusiveFullScreen;
        return kOk;
    }

    Result SetDisplayMode(int32_t width, int32_t height, int32_t bits_per_pixel) override {
        MemoryDisplayControl &c = theControl;
        ++c.calls.set_mode;
        c.mode_width = width;
        c.mode_height = height;
        c.mode_bits = bits_per_pixel;
        // Only an exclusive owner may change the mode.
        if (!c.device_alive || !c.exclusive || c.fail_set_mode) return kGenericFailure;
        if (bits_per_pixel != 16 || !ValidSize(width, height)) return kUnsupported;
        c.mode_set = true;
        theNextWidth = width;
        theNextHeight = height;
        return kOk;
    }

    Result RestoreDisplayMode() override {
        ++theControl.calls.restore_mode;
        theControl.mode_set = false;
        return kOk;
    }

    Result CreateSurface(SurfaceDescription *desc, DisplaySurface **surface) override {
        MemoryDisplayControl &c = theControl;
        ++c.calls.create_surface;
        c.surface_request = *desc;
        if (!c.device_alive || !c.level_set || c.fail_create_surface) return kGenericFailure;
        if (desc->dwSize != sizeof *desc || !(desc->dwFlags & kDescCaps) ||
            desc->ddsCaps.dwCaps != kCapsPrimarySurface || c.surface_alive) {
            return kUnsupported;
        }
        const int32_t padding = c.pitch_padding < 0                  ? 0
                                : c.pitch_padding > kMaxPitchPadding ? kMaxPitchPadding
                                                                     : c.pitch_padding / 2 * 2;
        theShape = {theNextWidth, theNextHeight, 2 * theNextWidth + padding,
                    c.red_mask,   c.green_mask,  c.blue_mask};
        std::memset(theSurfacePixels, 0, sizeof theSurfacePixels);
        c.surface_alive = true;
        c.locked = false;
        c.lost = false;
        *surface = &theSurface;
        return kOk;
    }

    void ResizeWindow(void *window, int32_t width, int32_t height) override {
        MemoryDisplayControl &c = theControl;
        ++c.calls.resize_window;
        c.resized_window = window;
        c.window_width = width;
        c.window_height = height;
        if (ValidSize(width, height)) {
            theNextWidth = width;
            theNextHeight = height;
        }
    }

    void Release() override {
        ++theControl.calls.release_device;
        theControl.device_alive = false;
        theControl.level_set = false;
        theControl.exclusive = false;
    }
};
MemoryDevice theDevice;

}  // namespace

MemoryDisplayControl &Control() { return theControl; }

void ResetControl() {
    theControl = {};
    theShape = {};
    theNextWidth = kMaxWidth;
    theNextHeight = kMaxHeight;
}

uint16_t SurfaceView::At(int32_t x, int32_t y) const {
    uint16_t v;
    std::memcpy(&v, bytes + static_cast<int64_t>(y) * pitch + 2 * x, sizeof v);
    return v;
}

SurfaceView Surface() {
    return {reinterpret_cast<const uint8_t *>(theSurfacePixels), theShape.pitch, theShape.width,
            theShape.height};
}

Result CreateMemoryDisplay(DisplayDevice **device) {
    MemoryDisplayControl &c = theControl;
    ++c.calls.create;
    if (c.fail_create) return kGenericFailure;
    c.device_alive = true;
    c.level_set = false;
    c.exclusive = false;
    theNextWidth = kMaxWidth;
    theNextHeight = kMaxHeight;
    *device = &theDevice;
    return kOk;
}

}  // namespace ruvo::platform::memory
