// The tile operations over a layer-filling grid of whole tiles, against a
// plain per-pixel table lookup over the same number of pixels.
#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>
#include <random>
#include <vector>

#include "bench/comparisons.h"
#include "ruvodraw1024.h"
#include "tools/assets/tile_codec.h"

namespace ruvo::bench {
namespace {

// 32 columns by 48 rows of tiles spread over the layer, all whole (their
// footprints overlap), each with its own corners and bytes.
constexpr int kColumns = 32, kRows = 48, kTiles = kColumns * kRows;
constexpr int64_t kPixelsPerFrame = int64_t{kTiles} * 1024;

struct PlacedTile {
    int32_t x, y, left, right, top, bottom;
    const uint8_t *bytes;
};

struct Scene {
    std::vector<assets::TileBytes> bytes;
    std::vector<PlacedTile> tiles;
    std::array<uint16_t, 256> palette;
};

const Scene &TheScene() {
    static const Scene scene = [] {
        Scene s;
        std::mt19937 rng(42);
        s.bytes.resize(8);
        for (auto &t : s.bytes) {
            for (auto &b : t) b = static_cast<uint8_t>(rng());
        }
        for (auto &c : s.palette) c = static_cast<uint16_t>(rng());
        for (int j = 0; j < kRows; ++j) {
            for (int i = 0; i < kColumns; ++i) {
                auto corner = [&] { return static_cast<int32_t>(rng() % 32); };
                s.tiles.push_back({31 + 31 * i, 736 * j / (kRows - 1), corner(), corner(), corner(),
                                   corner(), s.bytes[rng() % s.bytes.size()].data()});
            }
        }
        RuvoDrawBlock *db = RuvoDraw_Init();
        db->OperationSlot.Op.AnalysePixelFormat(0xF800, 0x07E0, 0x001F);
        for (uint16_t &e : db->ShadeTable) e = static_cast<uint16_t>(rng());
        return s;
    }();
    return scene;
}

// Tiles per second, and the time per footprint pixel (printed with its unit).
void ReportTiles(benchmark::State &state) {
    state.SetItemsProcessed(state.iterations() * kTiles);
    state.counters["time/pixel"] = benchmark::Counter(
        static_cast<double>(kPixelsPerFrame),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// Each tile's 1024 bytes looked up in a 256-entry table into a row buffer.
void BM_LookupTilePixels(benchmark::State &state) {
    const Scene &s = TheScene();
    std::array<uint16_t, 1024> row;
    for (auto _ : state) {
        for (const PlacedTile &t : s.tiles) {
            for (int k = 0; k < 1024; ++k) row[k] = s.palette[t.bytes[k]];
            benchmark::DoNotOptimize(row.data());
            benchmark::ClobberMemory();
        }
    }
    ReportTiles(state);
}
BENCHMARK(BM_LookupTilePixels);

void BM_DrawShadedTile(benchmark::State &state) {
    const Scene &s = TheScene();
    RuvoOperations &op = RuvoDraw_Init()->OperationSlot.Op;
    for (auto _ : state) {
        for (const PlacedTile &t : s.tiles) {
            op.DrawShadedTile(t.x, t.y, t.left, t.right, t.top, t.bottom, t.bytes);
        }
        benchmark::ClobberMemory();
    }
    ReportTiles(state);
}
BENCHMARK(BM_DrawShadedTile);

void BM_DarkenTile(benchmark::State &state) {
    const Scene &s = TheScene();
    RuvoOperations &op = RuvoDraw_Init()->OperationSlot.Op;
    for (auto _ : state) {
        for (const PlacedTile &t : s.tiles) {
            op.DarkenTile(t.x, t.y, t.left, t.right, t.top, t.bottom);
        }
        benchmark::ClobberMemory();
    }
    ReportTiles(state);
}
BENCHMARK(BM_DarkenTile);

void BM_TintTile(benchmark::State &state) {
    const Scene &s = TheScene();
    RuvoOperations &op = RuvoDraw_Init()->OperationSlot.Op;
    for (auto _ : state) {
        for (const PlacedTile &t : s.tiles) op.TintTile(t.x, t.y, 0x2104);
        benchmark::ClobberMemory();
    }
    ReportTiles(state);
}
BENCHMARK(BM_TintTile);

void BM_BlackenTile(benchmark::State &state) {
    const Scene &s = TheScene();
    RuvoOperations &op = RuvoDraw_Init()->OperationSlot.Op;
    for (auto _ : state) {
        for (const PlacedTile &t : s.tiles) op.BlackenTile(t.x, t.y, 0, 0, 0, 0, t.bytes);
        benchmark::ClobberMemory();
    }
    ReportTiles(state);
}
BENCHMARK(BM_BlackenTile);

const bool registered = Compare("BM_DrawShadedTile", "BM_LookupTilePixels") &&
                        Compare("BM_DarkenTile", "BM_LookupTilePixels") &&
                        Compare("BM_TintTile", "BM_LookupTilePixels") &&
                        Compare("BM_BlackenTile", "BM_LookupTilePixels");

}  // namespace
}  // namespace ruvo::bench
