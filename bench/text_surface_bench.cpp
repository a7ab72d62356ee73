// Text and the surface blits. A paragraph of text set in a generated font,
// against the same glyph rectangles looked up pixel by pixel with index 0
// transparent; and DrawSpriteToSurface of each kind, BlendSpriteToSurface and
// StampSpriteMask drawing the sprite workload at its placements into a host
// image the size of the layer, against the sprite benchmarks' LookupLoop over
// the same placements.
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "bench/comparisons.h"
#include "bench/sprite_workload.h"
#include "ruvodraw1024.h"
#include "tools/assets/synthetic_sprites.h"

namespace ruvo::bench {
namespace {

// 96 printable glyphs, 5 to 12 pixels wide and 14 high, about a third
// transparent, with advances one more than their width.
struct BenchFont {
    std::vector<uint32_t> words;
    std::vector<assets::SpriteImage> images;  // by code
    const RuvoFont *font() const { return reinterpret_cast<const RuvoFont *>(words.data()); }
};

const BenchFont &TheFont() {
    static const BenchFont f = [] {
        BenchFont font;
        font.images.resize(256, assets::SpriteImage(1, 1));
        std::vector<uint8_t> bytes(sizeof(RuvoFont), 0);
        RuvoFont tables{};
        std::mt19937 rng(11);
        for (int c = 0; c < 256; ++c) {
            assets::SyntheticShape shape;
            shape.width = 5 + int32_t(rng() % 8);
            shape.height = 14;
            shape.transparent_share = 0.35;
            font.images[c] = assets::SyntheticImage(shape, rng());
            const auto sprite =
                assets::EncodeSprite(font.images[c], RunCoding::IndexRuns, assets::Fills::Small);
            tables.GlyphOffset[c] = static_cast<uint32_t>(bytes.size());
            tables.Advance[c][0] = static_cast<uint8_t>(shape.width + 1);
            bytes.insert(bytes.end(), sprite.begin(), sprite.end());
        }
        std::memcpy(bytes.data(), &tables, sizeof tables);
        font.words.resize((bytes.size() + 3) / 4);
        std::memcpy(font.words.data(), bytes.data(), bytes.size());
        return font;
    }();
    return f;
}

// Forty lines of sixty characters down the layer.
const std::vector<std::string> &Paragraph() {
    static const std::vector<std::string> lines = [] {
        std::vector<std::string> l;
        std::mt19937 rng(3);
        for (int i = 0; i < 40; ++i) {
            std::string s;
            for (int j = 0; j < 60; ++j) s += static_cast<char>(' ' + rng() % 95);
            l.push_back(s);
        }
        return l;
    }();
    return lines;
}

uint16_t *Colours() {
    static uint16_t colours[256];
    for (int i = 0; i < 256; ++i) colours[i] = static_cast<uint16_t>(i * 0x0841);
    return colours;
}

RuvoOperations &Prepare() {
    RuvoDrawBlock *db = RuvoDraw_Init();
    db->OperationSlot.Op.AnalysePixelFormat(0xF800, 0x07E0, 0x001F);
    db->OperationSlot.Op.ResetDepth();
    return db->OperationSlot.Op;
}

int64_t ParagraphPixels() {
    int64_t n = 0;
    for (const std::string &line : Paragraph()) {
        for (char ch : line) {
            for (auto c : TheFont().images[static_cast<uint8_t>(ch)].cover)
                n += c != assets::Cover::None;
        }
    }
    return n;
}

void SetTextCounters(benchmark::State &state) {
    using benchmark::Counter;
    state.counters["glyphs"] = Counter(40.0 * 60, Counter::kIsIterationInvariantRate);
    state.counters["pixels"] =
        Counter(double(ParagraphPixels()), Counter::kIsIterationInvariantRate);
}

void BM_DrawText(benchmark::State &state, bool back) {
    RuvoOperations &op = Prepare();
    const RuvoFont *font = TheFont().font();
    for (auto _ : state) {
        int32_t y = 4;
        for (const std::string &line : Paragraph()) {
            if (back) {
                op.DrawBackText(8, y, line.c_str(), font, Colours());
            } else {
                op.DrawText(8, y, line.c_str(), font, Colours());
            }
            y += 18;
        }
        benchmark::ClobberMemory();
    }
    SetTextCounters(state);
}

// The glyph rectangles of the same paragraph, looked up pixel by pixel.
void BM_TextKeyedLoop(benchmark::State &state) {
    Prepare();
    const BenchFont &font = TheFont();
    uint16_t *screen = reinterpret_cast<uint16_t *>(RuvoDraw_Init()->ScreenLayer);
    const uint16_t *colours = Colours();
    for (auto _ : state) {
        int32_t y = 4;
        for (const std::string &line : Paragraph()) {
            int32_t x = 8;
            for (char ch : line) {
                const auto c = static_cast<uint8_t>(ch);
                const assets::SpriteImage &g = font.images[c];
                for (int32_t j = 0; j < g.height; ++j) {
                    uint16_t *row = screen + (y + j) * 1024 + x;
                    const uint16_t *v = &g.values[size_t(j) * g.width];
                    for (int32_t i = 0; i < g.width; ++i) {
                        if (v[i] != 0) row[i] = colours[v[i]];
                    }
                }
                x += font.font()->Advance[c][0] + 2;
            }
            y += 18;
        }
        benchmark::ClobberMemory();
    }
    SetTextCounters(state);
}

// The workload into a host image of 1024 x 768 under its full clip.
struct HostSurface {
    std::vector<uint16_t> image = std::vector<uint16_t>(1024 * 768, 0x39E7);
    std::vector<uint8_t> mask = std::vector<uint8_t>(1024 * 768, 0);
    RuvoSurfaceDesc desc{image.data(), 1024, 0, 0, 1023, 767};
};

enum class SurfaceKind { Index, Blend, Shadow, Translucent, Faded, Mask };

struct KindInfo {
    const char *name;
    RunCoding coding;
    uint8_t kind_byte;
};

KindInfo InfoOf(SurfaceKind k) {
    switch (k) {
        case SurfaceKind::Index:
            return {"DrawSpriteToSurface/index", RunCoding::IndexRuns, 0xA1};
        case SurfaceKind::Blend:
            return {"DrawSpriteToSurface/blend", RunCoding::BlendRuns, 0xA2};
        case SurfaceKind::Shadow:
            return {"DrawSpriteToSurface/shadow", RunCoding::MaskRuns, 0xA3};
        case SurfaceKind::Translucent:
            return {"DrawSpriteToSurface/translucent", RunCoding::IndexRuns, 0xA9};
        case SurfaceKind::Faded:
            return {"BlendSpriteToSurface", RunCoding::IndexRuns, 0xA1};
        case SurfaceKind::Mask:
            return {"StampSpriteMask", RunCoding::IndexRuns, 0xA1};
    }
    return {};
}

void BM_SurfaceBlit(benchmark::State &state, SurfaceKind k) {
    RuvoOperations &op = Prepare();
    const KindInfo info = InfoOf(k);
    const SpriteWorkload &w = Workload();
    std::vector<std::vector<uint8_t>> sprites;
    for (const WorkloadSprite &s : w.sprites) {
        sprites.push_back(s.encoded[int(info.coding)]);
        sprites.back()[8] = info.kind_byte;
    }
    uint32_t blend[256];
    std::mt19937 rng(5);
    for (auto &e : blend) e = (rng() % 32) << 19 | (rng() & 0x39E7);
    HostSurface surface;
    int64_t drawn = 0;
    for (const Placement &p : w.unclipped) drawn += p.drawn;
    for (auto _ : state) {
        for (const Placement &p : w.unclipped) {
            const uint8_t *s = sprites[p.sprite].data();
            switch (k) {
                case SurfaceKind::Translucent:
                    op.DrawSpriteToSurface(p.x, p.y, s, blend, &surface.desc);
                    break;
                case SurfaceKind::Faded:
                    op.BlendSpriteToSurface(p.x, p.y, 12, Colours(), s, &surface.desc);
                    break;
                case SurfaceKind::Mask:
                    op.StampSpriteMask(p.x, p.y, s, 7, &surface.desc, surface.mask.data());
                    break;
                default:
                    op.DrawSpriteToSurface(p.x, p.y, s, Colours(), &surface.desc);
                    break;
            }
        }
        benchmark::ClobberMemory();
    }
    using benchmark::Counter;
    state.counters["per_sprite"] =
        Counter(double(w.unclipped.size()), Counter::kIsIterationInvariantRate | Counter::kInvert);
    state.counters["pixels"] = Counter(double(drawn), Counter::kIsIterationInvariantRate);
}

const bool registered = [] {
    benchmark::RegisterBenchmark("BM_TextKeyedLoop", BM_TextKeyedLoop);
    benchmark::RegisterBenchmark("BM_DrawText", BM_DrawText, false);
    benchmark::RegisterBenchmark("BM_DrawBackText", BM_DrawText, true);
    Compare("BM_DrawText", "BM_TextKeyedLoop");
    Compare("BM_DrawBackText", "BM_TextKeyedLoop");
    for (SurfaceKind k : {SurfaceKind::Index, SurfaceKind::Blend, SurfaceKind::Shadow,
                          SurfaceKind::Translucent, SurfaceKind::Faded, SurfaceKind::Mask}) {
        const std::string name = std::string("BM_") + InfoOf(k).name;
        benchmark::RegisterBenchmark(name.c_str(), BM_SurfaceBlit, k);
        Compare(name, "BM_LookupLoop/unclipped");
    }
    return true;
}();

}  // namespace
}  // namespace ruvo::bench
