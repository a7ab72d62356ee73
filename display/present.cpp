// Presentation: the primary surface's lock, plain copies of the ScreenLayer or
// a host image onto it at the same place, and the conversion of the host's
// 5-6-5 colours to the surface's format.
//
// The surface is addressed by screen position, SurfacePointer + y * pitch +
// 2 * x, with no ring; the layer side follows the ring rule. Rectangles are
// cut to the layer and to the surface as described, and exactly the pixels
// asked for are copied.
#include <algorithm>
#include <cstring>

#include "display/surface.h"
#include "framestore/layers.h"
#include "interface/operations.h"
#include "simd/kernels.h"

namespace ruvo {
namespace {

using platform::Failed;

// A surface that stays busy or lost would otherwise hold the host for ever;
// a real one is back long before this many tries.
constexpr int32_t kLockTries = 1 << 20;

// (x, y, width, height) cut to 0 .. width_limit - 1 x 0 .. height_limit - 1.
ClipRect CutTo(int32_t x, int32_t y, int32_t width, int32_t height, int32_t width_limit,
               int32_t height_limit) {
    if (width <= 0 || height <= 0 || width_limit <= 0 || height_limit <= 0) return {0, 0, -1, -1};
    auto end = [](int32_t start, int32_t size, int32_t limit) {
        return static_cast<int32_t>(std::min<int64_t>(int64_t{start} + size - 1, limit - 1));
    };
    return {std::max(x, 0), std::max(y, 0), end(x, width, width_limit),
            end(y, height, height_limit)};
}

// Moves the 5-6-5 channels of a colour to the surface's channels. The fields
// are copied out of the DrawBlock first: a 16-bit store through the host's
// pointer could alias them, and reloading them per colour stops the loop from
// being vectorised.
class ToSurfaceFormat {
  public:
    explicit ToSurfaceFormat(const DrawBlock &b)
        : f_{b.RedShift & 31u, b.GreenShift & 31u, b.BlueShift & 31u,
             Low16(b.RedMask), Low16(b.GreenMask), Low16(b.BlueMask)} {}

    uint16_t operator()(uint32_t v) const {
        const uint32_t r = ((v & 0xF800u) >> f_.red_shift) & f_.red;
        const uint32_t g = (((v & 0x07E0u) << 5) >> f_.green_shift) & f_.green;
        const uint32_t b = (((v & 0x001Fu) << 11) >> f_.blue_shift) & f_.blue;
        return static_cast<uint16_t>(r | g | b);
    }
    const ColourFormat &Format() const { return f_; }

  private:
    ColourFormat f_;
};

// The colours a SIMD kernel converts from the front, 0 where the scalar loop
// must do all: the kernels read a vector before writing it, which gives what
// the loop gives unless dst starts inside the rest of src.
int32_t ConvertInLanes(const uint16_t *src, uint16_t *dst, int32_t count,
                       const ColourFormat &format) {
    const auto s = reinterpret_cast<uintptr_t>(src), d = reinterpret_cast<uintptr_t>(dst);
    if (d > s && d < s + 2 * static_cast<uintptr_t>(count)) return 0;
    if (const ConvertKernel kernel = Kernels().convert_colours) {
        return kernel(src, dst, count, format);
    }
    return 0;
}

}  // namespace

SurfaceLock theSurfaceLock;

SurfaceLease::SurfaceLease() {
    platform::DisplaySurface *surface = PrimaryObject();
    if (!surface) return;
    if (theSurfaceLock.surface != surface) {
        if (!LockPrimary()) return;
        locked_here_ = true;
    }
    base_ = theSurfaceLock.pointer;
    pitch_ = theSurfaceLock.pitch;
    platform::SurfaceDescription desc{};
    desc.dwSize = sizeof desc;
    constexpr uint32_t kSize = platform::kDescWidth | platform::kDescHeight;
    if (!Failed(surface->GetSurfaceDesc(&desc)) && (desc.dwFlags & kSize) == kSize) {
        width_ = static_cast<int32_t>(std::min<uint32_t>(desc.dwWidth, INT32_MAX));
        height_ = static_cast<int32_t>(std::min<uint32_t>(desc.dwHeight, INT32_MAX));
    }
    held_ = true;
}

uint8_t *SurfaceLease::Pixel(int32_t x, int32_t y) const {
    return base_ + static_cast<ptrdiff_t>(int64_t{y} * pitch_ + 2 * int64_t{x});
}

int32_t SurfaceLease::Finish() {
    if (!locked_here_) return 0;
    locked_here_ = false;
    return UnlockPrimary();
}

int32_t RUVO_CDECL LockPrimary(void) {
    DrawBlock &b = Block();
    platform::DisplaySurface *surface = PrimaryObject();
    if (!surface) return 0;
    platform::SurfaceDescription desc{};
    desc.dwSize = sizeof desc;
    platform::Result r = surface->Lock(&desc, platform::kLockWait);
    for (int32_t tries = 1; Failed(r); ++tries) {
        if (tries >= kLockTries) return 0;
        if (r == platform::kSurfaceLost) {
            if (Failed(surface->Restore())) return 0;
        } else if (r != platform::kSurfaceBusy) {
            return 0;
        }
        desc = {};
        desc.dwSize = sizeof desc;
        r = surface->Lock(&desc, platform::kLockWait);
    }
    b.SurfacePitch = desc.lPitch;
    b.SurfacePointer = desc.lpSurface;
    theSurfaceLock = {surface, static_cast<uint8_t *>(desc.lpSurface), desc.lPitch};
    return 1;
}

int32_t RUVO_CDECL UnlockPrimary(void) {
    DrawBlock &b = Block();
    platform::DisplaySurface *surface = PrimaryObject();
    const platform::Result r = surface ? surface->Unlock() : platform::kGenericFailure;
    b.SurfacePointer = nullptr;
    theSurfaceLock = {};
    return r;
}

int32_t RUVO_CDECL PresentRect(int32_t x, int32_t y, int32_t width, int32_t height) {
    SurfaceLease surface;
    if (!surface.Held()) return 0;
    const ClipRect r = CutTo(x, y, width, height, std::min(surface.Width(), kLayerWidth),
                             std::min(surface.Height(), kLayerHeight));
    if (!r.Empty()) {
        const uint16_t *screen = ScreenCells();
        const size_t bytes = 2 * static_cast<size_t>(r.Width());
        uint8_t *dst = surface.Pixel(r.left, r.top);
        if (r.Width() == kLayerWidth && surface.Pitch() == kLayerPitchBytes) {
            // Full rows on a surface without padding are contiguous on both
            // sides: one copy per side of the wrap takes a full frame from
            // 1.0x to 0.97x the time of a row-by-row memcpy (both bound by
            // the cache for 3 MB of source and destination).
            ForEachRingPart(r.left, r.top, r.Height(), [&](int32_t index, int32_t rows) {
                std::memcpy(dst, screen + index, bytes * static_cast<size_t>(rows));
                dst += bytes * static_cast<size_t>(rows);
            });
        } else {
            ForEachRingRow(r.left, r.top, r.Height(), [&](int32_t index) {
                std::memcpy(dst, screen + index, bytes);
                dst += surface.Pitch();
            });
        }
    }
    return surface.Finish();
}

int32_t RUVO_CDECL PresentImage(int32_t src_x, int32_t src_y, int32_t width, int32_t height,
                                int32_t dest_x, int32_t dest_y, int32_t src_pitch,
                                const uint16_t *src_base) {
    SurfaceLease surface;
    if (!surface.Held()) return 0;
    const ClipRect r = CutTo(dest_x, dest_y, width, height, surface.Width(), surface.Height());
    if (!r.Empty()) {
        // A cut keeps every remaining pixel at its place; the image is the host's.
        const int64_t sx = int64_t{src_x} + (r.left - int64_t{dest_x});
        const int64_t sy = int64_t{src_y} + (r.top - int64_t{dest_y});
        const uint16_t *src = src_base + static_cast<ptrdiff_t>(sy * src_pitch + sx);
        const size_t bytes = 2 * static_cast<size_t>(r.Width());
        uint8_t *dst = surface.Pixel(r.left, r.top);
        for (int32_t row = 0; row < r.Height(); ++row) {
            std::memmove(dst, src, bytes);
            src += src_pitch;
            dst += surface.Pitch();
        }
    }
    return surface.Finish();
}

// Sixteen colours per AVX2 vector take 65,536 colours from 13.4x the time of
// their memcpy to 2.6x (eight per SSE2 vector: 5.0x).
void RUVO_CDECL ConvertColours(const uint16_t *src, uint16_t *dst, int32_t count) {
    if (count <= 0) return;
    const ToSurfaceFormat convert(Block());
    for (int32_t i = ConvertInLanes(src, dst, count, convert.Format()); i < count; ++i) {
        const uint16_t v = src[i];
        dst[i] = v == RUVO_COLOUR_KEY ? v : convert(v);
    }
}

void RUVO_CDECL ConvertAlternateColours(const void *src, void *dst, int32_t count) {
    const ToSurfaceFormat convert(Block());
    const auto *from = static_cast<const uint8_t *>(src);
    auto *to = static_cast<uint8_t *>(dst);
    for (int32_t i = 0; i < count; ++i) {
        uint16_t v;
        std::memcpy(&v, from + 4 * static_cast<size_t>(i), sizeof v);
        v = convert(v);
        std::memcpy(to + 4 * static_cast<size_t>(i), &v, sizeof v);
    }
}

}  // namespace ruvo
