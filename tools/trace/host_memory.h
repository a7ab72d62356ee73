// What host memory each operation reads or writes, worked out from its
// arguments the way the operation itself walks them: a sprite by its header
// and row records, a font by the glyphs of the string, an image by the rows
// of its rectangle (cut as the operation cuts it), a SurfaceDesc's image by
// its clip rectangle and the sprite's rows.
#pragma once

#include <cstdint>
#include <vector>

#include "ruvodraw1024.h"

namespace ruvo::trace {

struct Region {
    uint8_t arg;     // argument index, or kDescBase
    int64_t lo, hi;  // bytes from the pointer's value, [lo, hi)
};

// Largest region captured; beyond it a call's memory is not recorded.
inline constexpr int64_t kMaxRegionBytes = int64_t(256) << 20;

// Exact byte length of an RleSprite: the header and every row record.
int64_t SpriteBytes(const uint8_t *sprite);

// The regions of a call (args as in a trace call). Reads the sprites, fonts
// and SurfaceDescs it is given, as the operation would.
std::vector<Region> CallRegions(int slot, const uint64_t *args);

// Rows [y, y + height) and columns [x, x + width) of an image with the pitch
// (in elements of elem bytes): the bytes from the first to the last element.
bool ImageSpan(int64_t x, int64_t y, int64_t width, int64_t height, int64_t pitch, int elem,
               Region &out);

}  // namespace ruvo::trace
