// The primary surface as the presentation operations use it: the platform
// objects behind the DrawBlock's opaque fields, and lock-if-needed.
#pragma once

#include <cstdint>

#include "interface/draw_block.h"
#include "platform/display_platform.h"

namespace ruvo {

inline platform::DisplayDevice *DisplayObject() {
    return platform::DeviceOf(Block().DirectDrawObject);
}
inline platform::DisplaySurface *PrimaryObject() {
    return platform::SurfaceOf(Block().PrimarySurface);
}

// The lock the library holds on the primary surface, as the platform gave it.
// LockPrimary sets it and UnlockPrimary clears it, together with the
// DrawBlock's SurfacePointer; presentation decides and writes by this record,
// not by SurfacePointer and SurfacePitch, which a host could overwrite.
struct SurfaceLock {
    platform::DisplaySurface *surface = nullptr;  // null: not locked
    uint8_t *pointer = nullptr;
    int32_t pitch = 0;
};
extern SurfaceLock theSurfaceLock;

// Lock-if-needed. Uses a surface the host has locked (through LockPrimary) and
// leaves it locked; else locks it now and unlocks in Finish. Held() is false
// when there is no primary surface or the lock failed: nothing may be drawn.
class SurfaceLease {
  public:
    SurfaceLease();
    SurfaceLease(const SurfaceLease &) = delete;
    SurfaceLease &operator=(const SurfaceLease &) = delete;

    bool Held() const { return held_; }
    // Surface pixel (x, y); the caller keeps x and y inside Width() x Height().
    uint8_t *Pixel(int32_t x, int32_t y) const;
    int32_t Pitch() const { return pitch_; }
    // The surface's size as the platform describes it.
    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }

    // The presentation result: the unlock's when the lock was taken here, else 0.
    int32_t Finish();

  private:
    bool held_ = false;
    bool locked_here_ = false;
    uint8_t *base_ = nullptr;
    int32_t pitch_ = 0;
    int32_t width_ = 0, height_ = 0;
};

}  // namespace ruvo
