// Whole frames, ours and the other blitters' on equal work: the background
// copied over the full layer, then the workload's 300 frame placements (a
// quarter across the edges).
//   opaque  every sprite a colour-keyed copy
//   mixed   70% plain, 20% blended 50% with what is there, 10% lit (darkened
//           to half)
// Ours draws with CopyBackToScreen and the sprite slots: plain sprites are
// colour sprites (slot 29), blended ones all blended literals (slot 30), lit
// ones index sprites through a colour table darkened to half (slot 28), as
// this library lights a sprite; "mixed_lightpass" draws the lit ones plain and
// darkens them with a light sprite of level 16 (slot 37) instead. Our frames
// are also measured with PresentRect to the in-memory display and with
// PresentLit (every light-grid cell interpolated) after them.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <string>

#include "bench/comparisons.h"
#include "bench/peer_set.h"
#include "framestore/layers.h"
#include "ruvodraw1024.h"

namespace ruvo::bench {
namespace {

enum class Kind { Plain, Half, Lit };

Kind KindOf(size_t i, bool mixed) {
    if (!mixed) return Kind::Plain;
    const size_t k = i % 10;
    return k < 7 ? Kind::Plain : k < 9 ? Kind::Half : Kind::Lit;
}

// The colour table darkened to half, channel by channel (5-6-5).
const uint16_t *HalfColours() {
    static const std::array<uint16_t, 256> table = [] {
        std::array<uint16_t, 256> t{};
        for (int i = 0; i < 256; ++i) t[i] = static_cast<uint16_t>((Colours()[i] >> 1) & 0x7BEF);
        return t;
    }();
    return table.data();
}

// Light sprites: the frame sprites' shapes with every level 16 (half light).
const std::vector<std::vector<uint8_t>> &HalfLightSprites() {
    static const auto sprites = [] {
        std::vector<std::vector<uint8_t>> out;
        for (const WorkloadSprite &s : Workload().sprites) {
            assets::SpriteImage image(s.width, s.height);
            for (size_t i = 0; i < s.indices.size(); ++i) {
                if (s.indices[i]) image.Set(int32_t(i % s.width), int32_t(i / s.width), 16);
            }
            out.push_back(assets::EncodeSprite(image, RunCoding::IndexRuns, assets::Fills::Small));
        }
        return out;
    }();
    return sprites;
}

enum class Present { None, Rect, Lit };

RuvoOperations &Prepare(Present present) {
    RuvoDrawBlock *db = RuvoDraw_Init();
    RuvoOperations &op = db->OperationSlot.Op;
    if (present != Present::None && !db->PrimarySurface) {
        op.OpenDisplay(nullptr, 0);
        op.SetScreenMode(1024, 768);
    }
    op.AnalysePixelFormat(0xF800, 0x07E0, 0x001F);
    op.Scroll(0, 0);
    op.ResetDepth();
    uint16_t *back = BackCells();
    for (int i = 0; i < kLayerCells; ++i) back[i] = static_cast<uint16_t>(i * 2654435761u >> 9);
    for (int j = 0; j < 97; ++j) {
        for (int i = 0; i < 80; ++i) db->LightGrid[j][i] = uint8_t(0x10 + (i * 7 + j * 5) % 0xC0);
    }
    return op;
}

void BM_OurFrame(benchmark::State &state, bool mixed, bool light_pass, Present present) {
    RuvoOperations &op = Prepare(present);
    const SpriteWorkload &w = Workload();
    for (auto _ : state) {
        op.CopyBackToScreen(0, 0, 1024, 768);
        for (size_t i = 0; i < w.frame.size(); ++i) {
            const Placement &p = w.frame[i];
            const WorkloadSprite &s = w.sprites[p.sprite];
            switch (KindOf(i, mixed)) {
                case Kind::Plain:
                    op.DrawScreenColourSprite(p.x, p.y, s.encoded[kColourRuns].data());
                    break;
                case Kind::Half:
                    op.DrawScreenBlendSprite(p.x, p.y, Colours(), s.encoded[kAllBlended].data());
                    break;
                case Kind::Lit:
                    if (light_pass) {
                        op.DrawScreenColourSprite(p.x, p.y, s.encoded[kColourRuns].data());
                        op.ApplyScreenLight(p.x, p.y, 400, HalfLightSprites()[p.sprite].data());
                    } else {
                        op.DrawScreenSprite(p.x, p.y, HalfColours(), s.encoded[kIndexRuns].data());
                    }
                    break;
            }
        }
        if (present == Present::Rect) op.PresentRect(0, 0, 1024, 768);
        if (present == Present::Lit) op.PresentLit(0, 0, 1023, 767);
        benchmark::ClobberMemory();
    }
}

void BM_PeerFrame(benchmark::State &state, const std::string &name, bool mixed) {
    peers::Peer *peer = LoadedPeer(name);
    if (!peer) {
        state.SkipWithError("this blitter is not available");
        return;
    }
    const SpriteWorkload &w = Workload();
    for (auto _ : state) {
        peer->CopyBackground();
        for (size_t i = 0; i < w.frame.size(); ++i) {
            const Placement &p = w.frame[i];
            const Kind kind = KindOf(i, mixed);
            const peers::Mode mode = kind == Kind::Plain  ? peers::Mode::Plain
                                     : kind == Kind::Half ? peers::Mode::Half
                                                          : peers::Mode::Lit;
            peer->Draw(mode, p.sprite, p.x, p.y);
        }
        benchmark::ClobberMemory();
    }
}

const bool registered = [] {
    using benchmark::RegisterBenchmark;
    RegisterBenchmark("BM_Frame/opaque/ours", BM_OurFrame, false, false, Present::None);
    RegisterBenchmark("BM_Frame/opaque/ours_present", BM_OurFrame, false, false, Present::Rect);
    RegisterBenchmark("BM_Frame/opaque/ours_present_lit", BM_OurFrame, false, false, Present::Lit);
    RegisterBenchmark("BM_Frame/mixed/ours", BM_OurFrame, true, false, Present::None);
    RegisterBenchmark("BM_Frame/mixed/ours_lightpass", BM_OurFrame, true, true, Present::None);
    RegisterBenchmark("BM_Frame/mixed/ours_present", BM_OurFrame, true, false, Present::Rect);
    RegisterBenchmark("BM_Frame/mixed/ours_present_lit", BM_OurFrame, true, false, Present::Lit);
    for (const char *peer : {"SDL2", "Allegro4"}) {
        for (bool mixed : {false, true}) {
            const std::string name =
                std::string("BM_Frame/") + (mixed ? "mixed/" : "opaque/") + peer;
            RegisterBenchmark(name.c_str(), BM_PeerFrame, std::string(peer), mixed);
        }
    }
    // Within 0.6 (opaque) and 0.4 (mixed) of either peer, so of the faster.
    Compare("BM_Frame/opaque/ours", "BM_Frame/opaque/SDL2", 0.6);
    Compare("BM_Frame/opaque/ours", "BM_Frame/opaque/Allegro4", 0.6);
    Compare("BM_Frame/opaque/ours_present", "BM_Frame/opaque/SDL2");
    Compare("BM_Frame/opaque/ours_present_lit", "BM_Frame/opaque/SDL2");
    for (const char *peer : {"SDL2", "Allegro4"}) {
        const std::string base = std::string("BM_Frame/mixed/") + peer;
        Compare("BM_Frame/mixed/ours", base, 0.4);
        Compare("BM_Frame/mixed/ours_lightpass", base, 0.4);
        Compare("BM_Frame/mixed/ours_present", base);
        Compare("BM_Frame/mixed/ours_present_lit", base);
    }
    return true;
}();

}  // namespace
}  // namespace ruvo::bench
