// What the display shows: the primary surface's pixels, read while locked.
#pragma once

#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

#include "ruvodraw1024.h"
#include "tools/trace/trace_file.h"

namespace ruvo::trace {

// Reads width x height pixels of the primary surface through the record's
// own slots, locking it unless the host holds it locked. False when there is
// no surface to lock.
inline bool ReadDisplay(RuvoDrawBlock *db, int32_t width, int32_t height,
                        std::vector<uint16_t> &pixels) {
    const bool locked = db->SurfacePointer != nullptr;
    if (!locked && db->OperationSlot.Op.LockPrimary() != 1) return false;
    pixels.resize(size_t(width) * height);
    const auto *base = static_cast<const uint8_t *>(db->SurfacePointer);
    for (int32_t y = 0; y < height; ++y) {
        std::memcpy(&pixels[size_t(y) * width], base + ptrdiff_t(y) * db->SurfacePitch,
                    size_t(width) * 2);
    }
    if (!locked) db->OperationSlot.Op.UnlockPrimary();
    return true;
}

// The frame hash: FNV-1a over the pixels, each low byte first.
inline uint64_t FrameHash(const std::vector<uint16_t> &pixels) {
    uint64_t h = 0xCBF29CE484222325ull;
    for (uint16_t p : pixels) {
        h = (h ^ (p & 0xFF)) * 0x100000001B3ull;
        h = (h ^ (p >> 8)) * 0x100000001B3ull;
    }
    return h;
}

inline bool IsPresentation(int slot) {
    return slot == RUVO_SLOT_PresentLit || slot == RUVO_SLOT_PresentRect ||
           slot == RUVO_SLOT_PresentImage;
}

}  // namespace ruvo::trace
