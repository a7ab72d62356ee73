// Seeded synthetic sprite images with the mix of runs real art has: spans of
// transparency, solid spans (fills), noisy spans (literals) and, for
// BlendRuns, blended edges. The same seed gives the same image everywhere.
#pragma once

#include <cstdint>

#include "tools/assets/sprite_codec.h"

namespace ruvo::assets {

struct SyntheticShape {
    int32_t width = 64, height = 64;
    double transparent_share = 0.4;  // about this share of the pixels is not drawn
    RunCoding coding = RunCoding::IndexRuns;
};

// Values are indices 0..255 (0 only in literals, where it is drawn), 16-bit
// colours (the colour key included) or, for MaskRuns, 0.
SpriteImage SyntheticImage(const SyntheticShape &shape, uint32_t seed);

}  // namespace ruvo::assets
