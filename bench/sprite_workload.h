// The fixed sprite workload of the sprite and frame benchmarks: 64 generated
// sprites from 32x32 to 128x128, about 40% transparent, encoded in every
// coding from one picture (every repeat of three or more values a fill, as
// hosts may encode; beside it as the toolkit encodes for speed), and the
// placements they are drawn at. Every
// contender (the slots, the baselines and the other blitters) draws the same
// picture at the same placements.
//
// The picture has the runs of drawn art: each row a silhouette (transparent
// margins, anti-aliased by a blended pixel at each edge in BlendRuns), with
// the odd hole inside, a body of textured spans (literals, 4 to 40 pixels) and
// flat spans (fills, 3 to 24 pixels). Runs of 1 to 16 pixels, as random noise
// gives, would make every blitter measure its per-run overhead only.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <random>
#include <vector>

#include "sprites/rle_sprite.h"
#include "tools/assets/sprite_codec.h"

namespace ruvo::bench {

// The encodings of one picture: the four codings, and BlendRuns with every
// drawn pixel blended (blended literals only).
enum Encoding { kBlendRuns, kIndexRuns, kColourRuns, kMaskRuns, kAllBlended, kEncodings };

struct WorkloadSprite {
    int32_t width = 0, height = 0;
    std::vector<uint8_t> indices;   // row-major; 0 where transparent, 1..255 drawn
    std::vector<uint16_t> colours;  // the indices through Colours(), kColourKey where transparent
    std::array<std::vector<uint8_t>, kEncodings> encoded;  // every repeat of 3 or more a fill
    // The same pictures as the toolkit encodes them by default (Fills::Fast),
    // which hosts draw when they pack with it.
    std::array<std::vector<uint8_t>, kEncodings> reencoded;
};

struct Placement {
    int32_t sprite;  // index into the set
    int32_t x, y;
    int64_t drawn;    // pixels drawn inside the layer
    int64_t covered;  // pixels of the sprite's rectangle inside the layer
};

struct SpriteWorkload {
    std::vector<WorkloadSprite> sprites;  // 64, 32x32 to 128x128
    std::vector<WorkloadSprite> small;    // 16, all 32x32
    std::vector<WorkloadSprite> dots;     // 1, a single drawn pixel
    // unclipped: all inside the layer; clipped: the same with every fourth
    // across an edge (each edge in turn); frame: 300 placements, a quarter
    // clipped; small_placements: of the 32x32 set, all inside; dot_placements:
    // the dot, 256 times inside (what a call costs beyond its pixels).
    std::vector<Placement> unclipped, clipped, frame, small_placements, dot_placements;
};

// The colour table every index sprite draws through; it never holds the
// colour key, so the colour sprites and the other blitters' pictures match.
inline const uint16_t *Colours() {
    static const std::array<uint16_t, 256> table = [] {
        std::array<uint16_t, 256> t{};
        std::mt19937 rng(5);
        for (auto &c : t) {
            c = static_cast<uint16_t>(rng());
            if (c == kColourKey) c ^= 1;
        }
        return t;
    }();
    return table.data();
}

inline WorkloadSprite MakeSprite(int32_t width, int32_t height, std::mt19937 &rng) {
    auto between = [&rng](int32_t lo, int32_t hi) { return lo + int32_t(rng() % (hi - lo + 1)); };
    WorkloadSprite s;
    s.width = width;
    s.height = height;
    s.indices.assign(size_t(width) * height, 0);
    std::vector<bool> edge(s.indices.size(), false);
    // An outline whose margins wander slowly from row to row, most of the
    // 40% left out of the rectangle; holes the rest.
    int32_t left = width / 5, right = width / 5;
    for (int32_t y = 0; y < height; ++y) {
        left = std::clamp(left + between(-2, 2), 0, width / 3);
        right = std::clamp(right + between(-2, 2), 0, width / 3);
        uint8_t *row = &s.indices[size_t(y) * width];
        for (int32_t x = left; x < width - right;) {
            const int32_t kind = between(0, 99);
            int32_t span;
            if (kind < 14) {  // a hole
                span = between(3, 12);
                x += span;
                continue;
            }
            if (kind < 55) {  // texture
                span = between(4, 40);
                for (int32_t i = 0; i < span && x + i < width - right; ++i) {
                    row[x + i] = uint8_t(between(1, 255));
                }
            } else {  // flat colour
                span = between(3, 24);
                const auto value = uint8_t(between(1, 255));
                for (int32_t i = 0; i < span && x + i < width - right; ++i) row[x + i] = value;
            }
            x += span;
        }
        if (left < width - right) {
            edge[size_t(y) * width + left] = true;
            edge[size_t(y) * width + width - right - 1] = true;
        }
    }
    s.colours.resize(s.indices.size());
    for (size_t i = 0; i < s.indices.size(); ++i) {
        s.colours[i] = s.indices[i] ? Colours()[s.indices[i]] : kColourKey;
    }
    for (int e = 0; e < kEncodings; ++e) {
        assets::SpriteImage image(width, height);
        for (int32_t y = 0; y < height; ++y) {
            for (int32_t x = 0; x < width; ++x) {
                const size_t i = size_t(y) * width + x;
                if (!s.indices[i]) continue;
                const bool blended = e == kAllBlended || (e == kBlendRuns && edge[i]);
                image.Set(x, y,
                          e == kColourRuns ? s.colours[i]
                          : e == kMaskRuns ? 0
                                           : s.indices[i],
                          blended ? assets::Cover::Blended : assets::Cover::Opaque);
            }
        }
        const RunCoding coding = e == kAllBlended ? RunCoding::BlendRuns : RunCoding(e);
        s.encoded[e] = assets::EncodeSprite(image, coding, assets::Fills::Small);
        s.reencoded[e] = assets::EncodeSprite(image, coding, assets::Fills::Fast);
    }
    return s;
}

inline Placement Place(const std::vector<WorkloadSprite> &set, int32_t s, int32_t x, int32_t y) {
    const WorkloadSprite &sprite = set[s];
    Placement p{s, x, y, 0, 0};
    for (int32_t j = 0; j < sprite.height; ++j) {
        for (int32_t i = 0; i < sprite.width; ++i) {
            const int32_t px = x + i, py = y + j;
            p.drawn += sprite.indices[size_t(j) * sprite.width + i] != 0 && px >= 0 && px < 1024 &&
                       py >= 0 && py < 768;
        }
    }
    const int32_t cols = std::min(x + sprite.width, 1024) - std::max(x, 0);
    const int32_t rows = std::min(y + sprite.height, 768) - std::max(y, 0);
    p.covered = int64_t{std::max(cols, 0)} * std::max(rows, 0);
    return p;
}

// count placements of the set; with clipped, every fourth across an edge.
inline std::vector<Placement> Placements(const std::vector<WorkloadSprite> &set, int count,
                                         bool clipped, std::mt19937 &rng) {
    std::vector<Placement> out;
    for (int i = 0; i < count; ++i) {
        const auto s = int32_t(i % set.size());
        const int32_t width = set[s].width, height = set[s].height;
        const int32_t x = int32_t(rng() % (1024 - width)), y = int32_t(rng() % (768 - height));
        const int32_t edge_x[] = {-width / 2, 1024 - width / 2, x, x};
        const int32_t edge_y[] = {y, y, -height / 2, 768 - height / 2};
        const int32_t edge = (i / 4) % 4;
        out.push_back(clipped && i % 4 == 0 ? Place(set, s, edge_x[edge], edge_y[edge])
                                            : Place(set, s, x, y));
    }
    return out;
}

inline const SpriteWorkload &Workload() {
    static const SpriteWorkload workload = [] {
        SpriteWorkload w;
        std::mt19937 rng(1024768);
        for (int s = 0; s < 64; ++s) {
            const int32_t width = 32 + int32_t(rng() % 97), height = 32 + int32_t(rng() % 97);
            w.sprites.push_back(MakeSprite(width, height, rng));
        }
        for (int s = 0; s < 16; ++s) w.small.push_back(MakeSprite(32, 32, rng));
        // The same positions unclipped and clipped: one generator state each.
        std::mt19937 at = rng;
        w.unclipped = Placements(w.sprites, 192, false, at);
        at = rng;
        w.clipped = Placements(w.sprites, 192, true, at);
        w.frame = Placements(w.sprites, 300, true, rng);
        w.small_placements = Placements(w.small, 256, false, rng);
        WorkloadSprite dot = MakeSprite(1, 1, rng);
        dot.indices = {7};
        dot.colours = {Colours()[7]};
        for (int e = 0; e < kEncodings; ++e) {
            assets::SpriteImage image(1, 1);
            const bool blended = e == kAllBlended;
            image.Set(0, 0,
                      e == kColourRuns ? Colours()[7]
                      : e == kMaskRuns ? 0
                                       : 7,
                      blended ? assets::Cover::Blended : assets::Cover::Opaque);
            const RunCoding coding = e == kAllBlended ? RunCoding::BlendRuns : RunCoding(e);
            dot.encoded[e] = assets::EncodeSprite(image, coding, assets::Fills::Small);
            dot.reencoded[e] = dot.encoded[e];
        }
        w.dots.push_back(std::move(dot));
        w.dot_placements = Placements(w.dots, 256, false, rng);
        return w;
    }();
    return workload;
}

}  // namespace ruvo::bench
