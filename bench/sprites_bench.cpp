// Every sprite slot on the fixed workload of sprite_workload.h, unclipped and
// with a quarter of the sprites across the layer's edges, in ns per sprite and
// Mpixel/s of drawn pixels. Two per-pixel baselines over the same sprites at
// the same places: LookupLoop looks up every index of the rectangle into a
// 16-bit row (the compiler vectorises it; it draws no transparency), and
// KeyedLoop draws the same picture as the sprite, skipping index 0 pixel by
// pixel. The plain slots are held to LookupLoop and measured against both.
//
// Another blitter is compared by adding a row to kContenders (or registering
// its own benchmarks with RunContender) and a Compare() line.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>

#include "bench/comparisons.h"
#include "bench/sprite_workload.h"
#include "framestore/layers.h"
#include "ruvodraw1024.h"

namespace ruvo::bench {
namespace {

struct Tables {
    uint16_t colours[256];
    uint32_t blend[256];
};

const Tables &TheTables() {
    static const Tables tables = [] {
        Tables t{};
        std::mt19937 rng(5);
        for (int i = 0; i < 256; ++i) {
            t.colours[i] = static_cast<uint16_t>(rng());
            t.blend[i] = (rng() % 32) << 19 | (rng() & 0x39E7);
        }
        return t;
    }();
    return tables;
}

// A fresh record, 5-6-5, a view with WrapRow inside the picture, depth values
// that every key of depth 400 passes and every shadow darkens.
RuvoOperations &Prepare() {
    RuvoDrawBlock *db = RuvoDraw_Init();
    RuvoOperations &op = db->OperationSlot.Op;
    op.AnalysePixelFormat(0xF800, 0x07E0, 0x001F);
    for (auto &palette : db->SpritePalette) std::copy_n(TheTables().colours, 256, palette);
    op.Scroll(24, 300);
    op.ResetDepth();
    std::fill_n(ScreenCells(), kLayerCells, uint16_t{0x39E7});
    std::fill_n(BackCells(), kLayerCells, uint16_t{0x7BEF});
    return op;
}

using DrawFn = void (*)(RuvoOperations &, const Placement &, const uint8_t *, const Tables &);

struct Contender {
    const char *name;
    RunCoding coding;  // of the sprite passed to draw
    DrawFn draw;
    bool plain;  // fills are block stores: held to beat the per-pixel lookup loop
};

constexpr int32_t kDepth = 400;
constexpr uint32_t kFlags = 0x0008;  // not blocking: every shadow darkens again
constexpr int32_t kWeight = 12;
constexpr RunCoding kB = RunCoding::BlendRuns, kI = RunCoding::IndexRuns,
                    kC = RunCoding::ColourRuns, kM = RunCoding::MaskRuns;

#define RUVO_DRAW(call)                                                             \
    [](RuvoOperations &op, const Placement &p, const uint8_t *s, const Tables &t) { \
        (void)t;                                                                    \
        op.call;                                                                    \
    }
const Contender kContenders[] = {
    {"DrawBackSpriteP1", kB, RUVO_DRAW(DrawBackSpriteP1(p.x, p.y, s)), true},
    {"DrawBackSpriteP2", kB, RUVO_DRAW(DrawBackSpriteP2(p.x, p.y, s)), false},
    {"StampBackSpriteP0", kB, RUVO_DRAW(StampBackSpriteP0(p.x, p.y, kDepth, s)), false},
    {"StampBackSprite", kI, RUVO_DRAW(StampBackSprite(p.x, p.y, kDepth, t.colours, s)), false},
    {"StampBackSpritePlain", kB, RUVO_DRAW(StampBackSpritePlain(p.x, p.y, kDepth, t.colours, s)),
     false},
    {"DrawBackSprite", kB, RUVO_DRAW(DrawBackSprite(p.x, p.y, t.colours, s)), true},
    {"CastBackShadow", kM, RUVO_DRAW(CastBackShadow(p.x, p.y, kFlags, s)), false},
    {"DrawScreenSprite", kI, RUVO_DRAW(DrawScreenSprite(p.x, p.y, t.colours, s)), true},
    {"DrawScreenColourSprite", kC, RUVO_DRAW(DrawScreenColourSprite(p.x, p.y, s)), true},
    {"DrawScreenBlendSprite", kB, RUVO_DRAW(DrawScreenBlendSprite(p.x, p.y, t.colours, s)), true},
    {"DrawScreenSpriteTested", kI,
     RUVO_DRAW(DrawScreenSpriteTested(p.x, p.y, kDepth, t.colours, s)), false},
    {"DrawScreenBlendSpriteTested", kB,
     RUVO_DRAW(DrawScreenBlendSpriteTested(p.x, p.y, kDepth, t.colours, s)), false},
    {"DrawScreenBlendSpriteStippled", kB,
     RUVO_DRAW(DrawScreenBlendSpriteStippled(p.x, p.y, kDepth, t.colours, s)), false},
    {"DrawScreenSpriteTranslucent", kI,
     RUVO_DRAW(DrawScreenSpriteTranslucent(p.x, p.y, kDepth, t.blend, s)), false},
    {"CastScreenShadow", kM, RUVO_DRAW(CastScreenShadow(p.x, p.y, kFlags, s)), false},
    {"DrawScreenSpriteAdditive", kI,
     RUVO_DRAW(DrawScreenSpriteAdditive(p.x, p.y, kDepth, t.colours, s)), false},
    {"ApplyScreenLight", kI, RUVO_DRAW(ApplyScreenLight(p.x, p.y, kDepth, s)), false},
    {"DrawScreenSpriteFaded", kI, RUVO_DRAW(DrawScreenSpriteFaded(p.x, p.y, kWeight, t.colours, s)),
     false},
};
#undef RUVO_DRAW

// Shown with SI prefixes: "per_sprite=8.4us", "pixels=490M/s" (drawn pixels per second).
void SetCounters(benchmark::State &state, size_t sprites, int64_t pixels) {
    using benchmark::Counter;
    state.counters["per_sprite"] =
        Counter(double(sprites), Counter::kIsIterationInvariantRate | Counter::kInvert);
    state.counters["pixels"] = Counter(double(pixels), Counter::kIsIterationInvariantRate);
}

const std::vector<Placement> &Placements(bool clipped) {
    return clipped ? Workload().clipped : Workload().unclipped;
}

void RunContender(benchmark::State &state, const Contender &c, bool clipped) {
    RuvoOperations &op = Prepare();
    const SpriteWorkload &w = Workload();
    const Tables &tables = TheTables();
    int64_t drawn = 0;
    for (const Placement &p : Placements(clipped)) drawn += p.drawn[int(c.coding)];
    for (auto _ : state) {
        for (const Placement &p : Placements(clipped)) {
            c.draw(op, p, w.sprites[p.sprite].encoded[int(c.coding)].data(), tables);
        }
        benchmark::ClobberMemory();
    }
    SetCounters(state, Placements(clipped).size(), drawn);
}

// Calls row(dst, src, n) for every row of the placement's rectangle cut to the layer.
template <class RowFn>
void ForEachRectRow(const Placement &p, RowFn &&row) {
    const WorkloadSprite &s = Workload().sprites[p.sprite];
    const int32_t x0 = std::max(p.x, 0), x1 = std::min(p.x + s.image.width, 1024);
    const int32_t y0 = std::max(p.y, 0), y1 = std::min(p.y + s.image.height, 768);
    uint16_t *screen = ScreenCells();
    for (int32_t y = y0; y < y1; ++y) {
        row(screen + RingIndex(x0, y), &s.indices[size_t(y - p.y) * s.image.width + (x0 - p.x)],
            x1 - x0);
    }
}

// Every index of each sprite's rectangle looked up and stored.
void BM_LookupLoop(benchmark::State &state, bool clipped) {
    Prepare();
    const uint16_t *colours = TheTables().colours;
    int64_t pixels = 0;
    for (const Placement &p : Placements(clipped)) pixels += p.covered;
    for (auto _ : state) {
        for (const Placement &p : Placements(clipped)) {
            ForEachRectRow(p, [colours](uint16_t *dst, const uint8_t *src, int32_t n) {
                for (int32_t i = 0; i < n; ++i) dst[i] = colours[src[i]];
            });
        }
        benchmark::ClobberMemory();
    }
    SetCounters(state, Placements(clipped).size(), pixels);
}

// The same picture as the sprite, pixel by pixel: index 0 is transparent.
void BM_KeyedLoop(benchmark::State &state, bool clipped) {
    Prepare();
    const uint16_t *colours = TheTables().colours;
    int64_t pixels = 0;
    for (const Placement &p : Placements(clipped)) pixels += p.drawn[int(RunCoding::IndexRuns)];
    for (auto _ : state) {
        for (const Placement &p : Placements(clipped)) {
            ForEachRectRow(p, [colours](uint16_t *dst, const uint8_t *src, int32_t n) {
                for (int32_t i = 0; i < n; ++i) {
                    if (src[i] != 0) dst[i] = colours[src[i]];
                }
            });
        }
        benchmark::ClobberMemory();
    }
    SetCounters(state, Placements(clipped).size(), pixels);
}

std::string Name(const char *what, bool clipped) {
    return std::string("BM_") + what + (clipped ? "/clipped" : "/unclipped");
}

const bool registered = [] {
    for (bool clipped : {false, true}) {
        const std::string lookup = Name("LookupLoop", clipped), keyed = Name("KeyedLoop", clipped);
        benchmark::RegisterBenchmark(lookup.c_str(), BM_LookupLoop, clipped);
        benchmark::RegisterBenchmark(keyed.c_str(), BM_KeyedLoop, clipped);
        for (const Contender &c : kContenders) {
            const std::string name = Name((std::string("Sprite/") + c.name).c_str(), clipped);
            benchmark::RegisterBenchmark(name.c_str(), RunContender, c, clipped);
            Compare(name, lookup, c.plain ? 1.0 : 0);
            if (c.plain) Compare(name, keyed);
        }
    }
    return true;
}();

}  // namespace
}  // namespace ruvo::bench
