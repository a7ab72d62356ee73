// The in-memory display: a display object and a primary surface that live in
// the library's own memory and show nothing. It serves OpenDisplay with a null
// window (servers, tools, tests).
//
// Its surface has the size of the last mode or window size set (1024 x 768
// before either), a 5-6-5 format and a pitch of two bytes per pixel, and is
// zero when created. The control record below lets tests choose another
// format or pitch, inject every failure the display code handles, and read
// what was asked of the platform; it is reachable from the static library
// only (nothing here is exported from the shared one).
#pragma once

#include <cstdint>

#include "platform/display_platform.h"

namespace ruvo::platform::memory {

inline constexpr int32_t kMaxWidth = 1024;
inline constexpr int32_t kMaxHeight = 768;
inline constexpr int32_t kMaxPitchPadding = 64;  // bytes a test may add to each row

struct MemoryDisplayCalls {
    int32_t create = 0;
    int32_t cooperative_level = 0;
    int32_t set_mode = 0;
    int32_t restore_mode = 0;
    int32_t resize_window = 0;
    int32_t create_surface = 0;
    int32_t release_device = 0;
    int32_t get_desc = 0;
    int32_t lock = 0;
    int32_t unlock = 0;
    int32_t restore = 0;
    int32_t release_surface = 0;
};

struct MemoryDisplayControl {
    // Format and layout of the next surface created.
    uint32_t red_mask = 0xF800;
    uint32_t green_mask = 0x07E0;
    uint32_t blue_mask = 0x001F;
    int32_t pitch_padding = 0;  // extra bytes per row, 0 .. kMaxPitchPadding

    // Injected failures. Each fail_* makes that call fail every time; the
    // counts make the next n locks report busy, or the surface lost n times
    // (a lost surface answers every lock with the lost code until restored).
    bool fail_create = false;
    bool fail_cooperative_level = false;
    bool fail_set_mode = false;
    bool fail_create_surface = false;
    bool fail_restore = false;
    int64_t lock_busy_count = 0;
    int64_t lock_lost_count = 0;
    Result lock_failure = kOk;   // non-zero: every lock returns it
    Result unlock_result = kOk;  // what a valid unlock returns

    // What was asked, last call of each kind.
    MemoryDisplayCalls calls;
    void *level_window = nullptr;
    uint32_t level_flags = 0;
    int32_t mode_width = 0, mode_height = 0, mode_bits = 0;
    void *resized_window = nullptr;
    int32_t window_width = 0, window_height = 0;
    SurfaceDescription surface_request{};  // the description CreateSurface got
    uint32_t lock_flags = 0;
    uint32_t lock_desc_size = 0;

    // The objects' states.
    bool device_alive = false;
    bool level_set = false;
    bool exclusive = false;
    bool mode_set = false;  // a display mode is in force (not restored)
    bool surface_alive = false;
    bool locked = false;
    bool lost = false;
};

// The live control record.
MemoryDisplayControl &Control();

// Back to the defaults: 5-6-5, no faults, no calls counted, no objects alive.
void ResetControl();

// The surface memory as the display would show it.
struct SurfaceView {
    const uint8_t *bytes;
    int32_t pitch;  // bytes per row
    int32_t width, height;
    uint16_t At(int32_t x, int32_t y) const;
};
SurfaceView Surface();

// The display object of the in-memory backend.
Result CreateMemoryDisplay(DisplayDevice **device);

}  // namespace ruvo::platform::memory
