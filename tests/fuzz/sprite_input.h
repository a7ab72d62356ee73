// The input of the sprite fuzzer: a 24-byte argument block, then the sprite.
//
//     0   int16  x            2  int16  y
//     4   uint32 extra        the depth, flags or weight argument
//     8   4 x uint16          ClipLeft, ClipTop, ClipRight, ClipBottom
//     16  uint16 scroll row   18 uint16 scroll column (both taken modulo the layer)
//     20  uint8  format       21, 22 high bits of ClipLeft, ClipRight; 23 unused
//     24  sprite bytes
#pragma once

#include <cstdint>

namespace ruvo::fuzz {

inline constexpr int kArgumentBytes = 24;

}  // namespace ruvo::fuzz
