// The tiles' dither phase: the one bit of library state that outlives a call
// besides the record and the layers. 0 at load, never reset; DrawShadedTile
// reads it at the start of each drawn row and flips it after that row, and
// all four tile operations flip it once between the two halves of a tile.
#pragma once

#include <cstdint>

namespace ruvo {

// 0 or 1. Tests set it directly; the operations go through the functions below.
extern uint32_t theDitherPhase;

inline uint32_t DitherPhase() { return theDitherPhase; }
inline void FlipDitherPhase() { theDitherPhase ^= 1; }

}  // namespace ruvo
