// Every sprite slot on the fixed workload of sprite_workload.h, unclipped and
// with a quarter of the sprites across the layer's edges, in ns per sprite and
// Mpixel/s of drawn pixels, against the blitters a host would otherwise use
// (bench/peers.h: SDL2's RLE blits, Allegro 4's RLE sprites) drawing the same
// pictures at the same places, and against two per-pixel loops over the same
// sprites: LookupLoop looks up every index of the rectangle into a 16-bit row
// (the compiler vectorises it; it draws no transparency), and KeyedLoop draws
// the same picture as the sprite, skipping index 0 pixel by pixel.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>

#include "bench/comparisons.h"
#include "bench/peer_set.h"
#include "bench/sprite_contenders.h"
#include "bench/sprite_workload.h"
#include "framestore/layers.h"
#include "ruvodraw1024.h"

namespace ruvo::bench {
namespace {

// Shown with SI prefixes: "per_sprite=8.4us", "pixels=490M/s" (drawn pixels per second).
void SetCounters(benchmark::State &state, size_t sprites, int64_t pixels) {
    using benchmark::Counter;
    state.counters["per_sprite"] =
        Counter(double(sprites), Counter::kIsIterationInvariantRate | Counter::kInvert);
    state.counters["pixels"] = Counter(double(pixels), Counter::kIsIterationInvariantRate);
}

// The sprite sets and placements of the three runs of each contender.
enum class Set { Unclipped, Clipped, Small, Dot };

const std::vector<Placement> &PlacementsOf(Set set) {
    const SpriteWorkload &w = Workload();
    switch (set) {
        case Set::Small:
            return w.small_placements;
        case Set::Dot:
            return w.dot_placements;
        case Set::Clipped:
            return w.clipped;
        default:
            return w.unclipped;
    }
}

const std::vector<WorkloadSprite> &SpritesOf(Set set) {
    return set == Set::Small ? Workload().small
           : set == Set::Dot ? Workload().dots
                             : Workload().sprites;
}

const std::vector<Placement> &Placements(bool clipped) {
    return PlacementsOf(clipped ? Set::Clipped : Set::Unclipped);
}

int64_t Drawn(const std::vector<Placement> &placements) {
    int64_t drawn = 0;
    for (const Placement &p : placements) drawn += p.drawn;
    return drawn;
}

// Our slot on the set, in the workload's own encoding or the toolkit's.
void RunContender(benchmark::State &state, const Contender &c, Set set, bool reencoded) {
    RuvoOperations &op = Prepare();
    const std::vector<WorkloadSprite> &sprites = SpritesOf(set);
    const Tables &tables = TheTables();
    for (auto _ : state) {
        for (const Placement &p : PlacementsOf(set)) {
            const WorkloadSprite &s = sprites[p.sprite];
            c.draw(op, p, (reencoded ? s.reencoded : s.encoded)[c.coding].data(), tables);
        }
        benchmark::ClobberMemory();
    }
    SetCounters(state, PlacementsOf(set).size(), Drawn(PlacementsOf(set)));
}

void RunPeer(benchmark::State &state, const std::string &name, peers::Mode mode, Set set) {
    peers::Peer *peer = LoadedPeer(name);
    if (!peer || !peer->Supports(mode)) {
        state.SkipWithError("this blitter is not available");
        return;
    }
    const auto large = int32_t(Workload().sprites.size()), small = int32_t(Workload().small.size());
    const int32_t first = set == Set::Small ? large : set == Set::Dot ? large + small : 0;
    for (auto _ : state) {
        for (const Placement &p : PlacementsOf(set)) peer->Draw(mode, first + p.sprite, p.x, p.y);
        benchmark::ClobberMemory();
    }
    SetCounters(state, PlacementsOf(set).size(), Drawn(PlacementsOf(set)));
}

// Calls row(dst, src, n) for every row of the placement's rectangle cut to the layer.
template <class RowFn>
void ForEachRectRow(const Placement &p, RowFn &&row) {
    const WorkloadSprite &s = Workload().sprites[p.sprite];
    const int32_t x0 = std::max(p.x, 0), x1 = std::min(p.x + s.width, 1024);
    const int32_t y0 = std::max(p.y, 0), y1 = std::min(p.y + s.height, 768);
    uint16_t *screen = ScreenCells();
    for (int32_t y = y0; y < y1; ++y) {
        row(screen + RingIndex(x0, y), &s.indices[size_t(y - p.y) * s.width + (x0 - p.x)], x1 - x0);
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
    for (const Placement &p : Placements(clipped)) pixels += p.drawn;
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

const char *Suffix(Set set) {
    return set == Set::Small     ? "/small32"
           : set == Set::Dot     ? "/dot"
           : set == Set::Clipped ? "/clipped"
                                 : "/unclipped";
}

std::string Name(const std::string &what, Set set) { return "BM_" + what + Suffix(set); }

struct PeerRun {
    const char *peer, *label;
    peers::Mode mode;
};
const PeerRun kPeerRuns[] = {
    {"SDL2", "Plain", peers::Mode::Plain},           {"SDL2", "AlphaMod128", peers::Mode::Half},
    {"SDL2", "ColourMod", peers::Mode::Lit},         {"Allegro4", "Plain", peers::Mode::Plain},
    {"Allegro4", "Trans50", peers::Mode::Half},      {"Allegro4", "Lit", peers::Mode::Lit},
    {"Allegro4", "Additive", peers::Mode::Additive},
};

std::string PeerName(const char *peer, const char *label, Set set) {
    return Name(std::string("Peer/") + peer + "_" + label, set);
}
std::string OurName(const char *slot, Set set) { return Name(std::string("Sprite/") + slot, set); }
std::string Reencoded(const char *slot) { return std::string(slot) + "/reencoded"; }

// Our slot against a peer's blit: by time on the same pixels, the target the
// largest time ratio allowed.
void Versus(const char *slot, const char *peer, const char *label, double target, Set set) {
    Compare(OurName(slot, set), PeerName(peer, label, set), target);
}

const bool registered = [] {
    for (Set set : {Set::Unclipped, Set::Clipped, Set::Small, Set::Dot}) {
        const bool per_sprite = set == Set::Small || set == Set::Dot;
        if (!per_sprite) {
            const bool clipped = set == Set::Clipped;
            const std::string lookup = Name("LookupLoop", set), keyed = Name("KeyedLoop", set);
            benchmark::RegisterBenchmark(lookup.c_str(), BM_LookupLoop, clipped);
            benchmark::RegisterBenchmark(keyed.c_str(), BM_KeyedLoop, clipped);
        }
        for (const Contender &c : kContenders) {
            // Per-sprite cost is measured for the plain screen blits only.
            if (per_sprite && ((c.coding != kI && c.coding != kC) || !c.plain)) continue;
            benchmark::RegisterBenchmark(OurName(c.name, set).c_str(), RunContender, c, set, false);
            // The toolkit's encoding differs where the coding has fills.
            if (!per_sprite && (c.coding == kI || c.coding == kC || c.coding == kB)) {
                benchmark::RegisterBenchmark(OurName(Reencoded(c.name).c_str(), set).c_str(),
                                             RunContender, c, set, true);
            }
        }
        for (const PeerRun &r : kPeerRuns) {
            if (per_sprite && r.mode != peers::Mode::Plain) continue;
            benchmark::RegisterBenchmark(PeerName(r.peer, r.label, set).c_str(), RunPeer,
                                         std::string(r.peer), r.mode, set);
        }
    }
    // The targets, on sprites inside the layer and a quarter clipped.
    for (Set set : {Set::Unclipped, Set::Clipped}) {
        Versus("DrawScreenColourSprite", "SDL2", "Plain", 0.8, set);
        Versus("DrawScreenSprite", "SDL2", "Plain", 1.0, set);
        Versus("DrawScreenColourSprite", "Allegro4", "Plain", 0, set);
        Versus("DrawScreenSprite", "Allegro4", "Plain", 0, set);
        Versus("DrawScreenBlendSprite/blended", "SDL2", "AlphaMod128", 0.35, set);
        Versus("DrawScreenSpriteTranslucent", "SDL2", "AlphaMod128", 0.5, set);
        Versus("DrawScreenBlendSprite/blended", "Allegro4", "Trans50", 0, set);
        Versus("ApplyScreenLight", "Allegro4", "Lit", 0.35, set);
        Versus("DrawScreenSpriteAdditive", "Allegro4", "Additive", 0.2, set);
        const double tested = 1.3;
        Compare(OurName("DrawScreenSpriteTested", set), OurName("DrawScreenSprite", set), tested);
        Compare(OurName("DrawScreenBlendSpriteTested", set), OurName("DrawScreenBlendSprite", set),
                tested);
        Compare(OurName("DrawScreenBlendSpriteStippled", set),
                OurName("DrawScreenBlendSprite", set));
        Compare(OurName("DrawScreenSpriteAdditive", set), OurName("DrawScreenSprite", set));
        Compare(OurName("CastScreenShadow", set), OurName("DrawScreenSpriteTranslucent", set),
                set == Set::Unclipped ? 1.0 : 0);
    }
    // The same pictures as the toolkit encodes them: against SDL2, and what
    // the encoding buys each slot.
    for (Set set : {Set::Unclipped, Set::Clipped}) {
        const std::pair<const char *, double> plain[] = {{"DrawScreenColourSprite", 0.8},
                                                         {"DrawScreenSprite", 1.0}};
        for (const auto &[slot, target] : plain) {
            Compare(OurName(Reencoded(slot).c_str(), set), PeerName("SDL2", "Plain", set), target);
        }
        for (const Contender &c : kContenders) {
            if (c.coding != kI && c.coding != kC && c.coding != kB) continue;
            Compare(OurName(Reencoded(c.name).c_str(), set), OurName(c.name, set));
        }
    }
    // Clipping: drawn Mpixel/s with a quarter clipped at most 10% below.
    for (const Contender &c : kContenders) {
        ComparePerPixel(OurName(c.name, Set::Clipped), OurName(c.name, Set::Unclipped), 1 / 0.9);
    }
    for (const PeerRun &r : kPeerRuns) {
        ComparePerPixel(PeerName(r.peer, r.label, Set::Clipped),
                        PeerName(r.peer, r.label, Set::Unclipped));
    }
    // What a call costs beyond its pixels: one-pixel sprites, within the
    // time of either peer (so of the faster).
    for (const char *slot : {"DrawScreenColourSprite", "DrawScreenSprite"}) {
        for (const char *peer : {"SDL2", "Allegro4"}) {
            Compare(OurName(slot, Set::Dot), PeerName(peer, "Plain", Set::Dot), 1.0);
        }
    }
    // Per-sprite time on 32x32 sprites; colour sprites within SDL2's.
    for (const char *slot : {"DrawScreenColourSprite", "DrawScreenSprite"}) {
        for (const char *peer : {"SDL2", "Allegro4"}) {
            const bool target =
                std::string(slot) == "DrawScreenColourSprite" && std::string(peer) == "SDL2";
            Compare(OurName(slot, Set::Small), PeerName(peer, "Plain", Set::Small),
                    target ? 1.0 : 0);
        }
    }
    // The per-pixel loops.
    for (Set set : {Set::Unclipped, Set::Clipped}) {
        for (const Contender &c : kContenders) {
            if (!c.plain) continue;
            Compare(OurName(c.name, set), Name("LookupLoop", set), 1.0);
            Compare(OurName(c.name, set), Name("KeyedLoop", set));
        }
    }
    return true;
}();

}  // namespace
}  // namespace ruvo::bench
