#include "tools/assets/synthetic_sprites.h"

#include <algorithm>
#include <random>

namespace ruvo::assets {

SpriteImage SyntheticImage(const SyntheticShape &shape, uint32_t seed) {
    std::mt19937 rng(seed);
    auto below = [&rng](int32_t n) { return n > 0 ? static_cast<int32_t>(rng() % n) : 0; };
    auto random_value = [&]() -> uint16_t {
        switch (shape.coding) {
            case RunCoding::MaskRuns:
                return 0;
            case RunCoding::ColourRuns:
                return below(16) == 0 ? kColourKey : static_cast<uint16_t>(rng());
            default:
                return static_cast<uint16_t>(below(256));
        }
    };
    // Half the transparency in the margins of each row (a silhouette), half
    // in holes inside the body.
    const double share = std::clamp(shape.transparent_share, 0.0, 0.9);
    const auto hole_per_mille = static_cast<int32_t>(1000 * (share / 2) / (1 - share / 2));
    const auto max_margin = static_cast<int32_t>(share * shape.width);

    SpriteImage image(shape.width, shape.height);
    for (int32_t y = 0; y < shape.height; ++y) {
        const int32_t margin = below(max_margin + 1);
        const int32_t left = below(margin + 1);
        const int32_t right = shape.width - (margin - left);
        for (int32_t x = left; x < right;) {
            const int32_t span = std::min(right - x, 1 + below(16));
            const int32_t kind = below(1000);
            if (kind >= hole_per_mille) {
                const bool solid = kind % 3 != 0;  // two thirds fills, one third literals
                const bool blended = shape.coding == RunCoding::BlendRuns && kind % 7 == 0;
                uint16_t value = random_value();
                if (solid && shape.coding == RunCoding::IndexRuns && value == 0) value = 1;
                for (int32_t i = 0; i < span; ++i) {
                    image.Set(x + i, y, solid ? value : random_value(),
                              blended ? Cover::Blended : Cover::Opaque);
                }
            }
            x += span;
        }
    }
    return image;
}

}  // namespace ruvo::assets
