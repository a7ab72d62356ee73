// What the backends whose primary surface is a 16-bit buffer of ours (in
// memory, SDL2, the web canvas) share: the surface description, and the
// lock and unlock of the buffer, with the backend's Show() at each unlock.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "platform/display_platform.h"

namespace ruvo::platform {

// The channel masks of a 16-bit RGB surface.
struct ChannelMasks {
    uint32_t red = 0xF800, green = 0x07E0, blue = 0x001F;  // 5-6-5
};

// Fills desc (but dwSize) for a primary surface of 16-bit RGB pixels.
inline void DescribePrimary16(SurfaceDescription *desc, int32_t width, int32_t height,
                              int32_t pitch, ChannelMasks masks) {
    desc->dwFlags = kDescCaps | kDescHeight | kDescWidth | kDescPitch | kDescPixelFormat;
    desc->dwWidth = static_cast<uint32_t>(width);
    desc->dwHeight = static_cast<uint32_t>(height);
    desc->lPitch = pitch;
    desc->ddsCaps.dwCaps = kCapsPrimarySurface;
    PixelFormatDescription &pf = desc->ddpfPixelFormat;
    pf = {};
    pf.dwSize = sizeof pf;
    pf.dwFlags = kPixelFormatRgb;
    pf.dwRGBBitCount = 16;
    pf.dwRBitMask = masks.red;
    pf.dwGBitMask = masks.green;
    pf.dwBBitMask = masks.blue;
}

// A primary surface of width x height pixels, rows packed, in a buffer the
// backend owns; the buffer is cleared when a surface is created. Unlocking
// shows it (Show()); a lost surface cannot happen.
class BufferSurface : public DisplaySurface {
  public:
    BufferSurface(uint16_t *pixels, size_t capacity) : pixels_(pixels), capacity_(capacity) {}

    Result GetSurfaceDesc(SurfaceDescription *desc) override {
        if (!alive_ || desc->dwSize != sizeof *desc) return kGenericFailure;
        DescribePrimary16(desc, width_, height_, Pitch(), masks_);
        return kOk;
    }

    Result Lock(SurfaceDescription *desc, uint32_t) override {
        if (!alive_ || locked_ || desc->dwSize != sizeof *desc) return kGenericFailure;
        DescribePrimary16(desc, width_, height_, Pitch(), masks_);
        desc->dwFlags |= kDescLpSurface;
        desc->lpSurface = pixels_;
        locked_ = true;
        return kOk;
    }

    Result Unlock() override {
        if (!locked_) return kGenericFailure;
        locked_ = false;
        return Show();
    }

    Result Restore() override { return alive_ ? kOk : kGenericFailure; }

    void Release() override { alive_ = locked_ = false; }

  protected:
    ~BufferSurface() = default;

    // A new surface of the given shape (within the buffer's capacity), cleared.
    void CreateBuffer(int32_t width, int32_t height, ChannelMasks masks) {
        width_ = width;
        height_ = height;
        masks_ = masks;
        alive_ = true;
        locked_ = false;
        std::memset(pixels_, 0, capacity_ * sizeof *pixels_);
    }

    // Puts the buffer on the screen, after every unlock.
    virtual Result Show() = 0;

    int32_t Pitch() const { return 2 * width_; }
    const uint16_t *Pixels() const { return pixels_; }
    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }

  private:
    uint16_t *pixels_;
    size_t capacity_;
    ChannelMasks masks_;
    int32_t width_ = 0, height_ = 0;
    bool alive_ = false, locked_ = false;
};

}  // namespace ruvo::platform
