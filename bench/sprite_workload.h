// The fixed sprite workload of the sprite benchmarks: a generated set of
// sprites from 32x32 to 128x128, 30 to 50% transparent, with fills, literals
// and (for BlendRuns) blended runs, encoded in every coding, and the
// placements they are drawn at. Every contender (the slots, the baselines,
// and any other blitter compared with them) draws the same placements.
#pragma once

#include <array>
#include <cstdint>
#include <random>
#include <vector>

#include "sprites/rle_sprite.h"
#include "tools/assets/sprite_codec.h"
#include "tools/assets/synthetic_sprites.h"

namespace ruvo::bench {

struct WorkloadSprite {
    assets::SpriteImage image;                    // the IndexRuns image (0 where transparent)
    std::vector<uint8_t> indices;                 // its values as bytes, for per-pixel baselines
    std::array<std::vector<uint8_t>, 4> encoded;  // by RunCoding
};

struct Placement {
    int32_t sprite;  // index into the set
    int32_t x, y;
    int64_t drawn[4];  // pixels drawn inside the layer, by RunCoding
    int64_t covered;   // pixels of the sprite's rectangle inside the layer
};

struct SpriteWorkload {
    std::vector<WorkloadSprite> sprites;
    std::vector<Placement> unclipped, clipped;  // clipped: a quarter across the layer's edges
};

inline int64_t DrawnInside(const assets::SpriteImage &image, int32_t x, int32_t y) {
    int64_t n = 0;
    for (int32_t j = 0; j < image.height; ++j) {
        for (int32_t i = 0; i < image.width; ++i) {
            const int32_t px = x + i, py = y + j;
            n += image.CoverAt(i, j) != assets::Cover::None && px >= 0 && px < 1024 && py >= 0 &&
                 py < 768;
        }
    }
    return n;
}

inline const SpriteWorkload &Workload() {
    static const SpriteWorkload workload = [] {
        SpriteWorkload w;
        std::mt19937 rng(1024768);
        constexpr int kSprites = 24;
        for (int s = 0; s < kSprites; ++s) {
            assets::SyntheticSpec spec;
            spec.width = 32 + int32_t(rng() % 97);
            spec.height = 32 + int32_t(rng() % 97);
            spec.transparent_share = 0.3 + (rng() % 21) / 100.0;
            const uint32_t seed = rng();
            WorkloadSprite sprite;
            for (int c = 0; c < 4; ++c) {
                spec.coding = static_cast<RunCoding>(c);
                const assets::SpriteImage image = assets::SyntheticImage(spec, seed);
                sprite.encoded[c] = assets::EncodeSprite(image, spec.coding);
                if (spec.coding == RunCoding::IndexRuns) sprite.image = image;
            }
            for (size_t i = 0; i < sprite.image.values.size(); ++i) {
                sprite.indices.push_back(static_cast<uint8_t>(sprite.image.values[i]));
            }
            w.sprites.push_back(std::move(sprite));
        }
        auto place = [&w](int32_t s, int32_t x, int32_t y) {
            Placement p{s, x, y, {}, 0};
            const auto &sprite = w.sprites[s];
            for (int c = 0; c < 4; ++c) {
                const auto image = assets::DecodeSprite(sprite.encoded[c], RunCoding(c));
                p.drawn[c] = DrawnInside(image, x, y);
            }
            const int32_t cols = std::min(x + sprite.image.width, 1024) - std::max(x, 0);
            const int32_t rows = std::min(y + sprite.image.height, 768) - std::max(y, 0);
            p.covered = int64_t{std::max(cols, 0)} * std::max(rows, 0);
            return p;
        };
        for (int i = 0; i < 96; ++i) {
            const int32_t s = i % kSprites;
            const int32_t width = w.sprites[s].image.width, height = w.sprites[s].image.height;
            const int32_t x = int32_t(rng() % (1024 - width)), y = int32_t(rng() % (768 - height));
            w.unclipped.push_back(place(s, x, y));
            // A quarter across the layer's edges, each edge in turn.
            const int32_t edge_x[] = {-width / 2, 1024 - width / 2, x, x};
            const int32_t edge_y[] = {y, y, -height / 2, 768 - height / 2};
            const int32_t edge = (i / 4) % 4;
            w.clipped.push_back(i % 4 == 0 ? place(s, edge_x[edge], edge_y[edge]) : place(s, x, y));
        }
        return w;
    }();
    return workload;
}

}  // namespace ruvo::bench
