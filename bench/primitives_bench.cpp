// Primitives against plain loops over the same cells: the full-frame fill and
// blend, many short lines, and a solid ellipse against putting its pixels.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <random>
#include <utility>
#include <vector>

#include "bench/comparisons.h"
#include "framestore/layers.h"
#include "primitives/ellipse_trace.h"
#include "ruvodraw1024.h"

namespace ruvo::bench {
namespace {

constexpr int64_t kFramePixels = int64_t{1024} * 768;

RuvoOperations &Ops() { return RuvoDraw_Init()->OperationSlot.Op; }

void SetPixelsProcessed(benchmark::State &state, int64_t per_iteration) {
    state.SetItemsProcessed(state.iterations() * per_iteration);
    state.counters["Mpixel/s"] = benchmark::Counter(
        static_cast<double>(state.iterations() * per_iteration) / 1e6, benchmark::Counter::kIsRate);
}

void BM_FillLoopFrame(benchmark::State &state) {
    uint16_t *screen = ScreenCells();
    for (auto _ : state) {
        for (int row = 0; row < 768; ++row)
            std::fill_n(screen + static_cast<ptrdiff_t>(row) * 1024, 1024, uint16_t{0x1234});
        benchmark::ClobberMemory();
    }
    SetPixelsProcessed(state, kFramePixels);
}
BENCHMARK(BM_FillLoopFrame);

// What the memory system reaches writing the frame's bytes in one call.
void BM_MemsetFrame(benchmark::State &state) {
    uint16_t *screen = ScreenCells();
    for (auto _ : state) {
        std::memset(screen, 0x12, 2 * kFramePixels);
        benchmark::ClobberMemory();
    }
    SetPixelsProcessed(state, kFramePixels);
    state.SetBytesProcessed(state.iterations() * 2 * kFramePixels);
}
BENCHMARK(BM_MemsetFrame);

void BM_FillRect(benchmark::State &state) {
    RuvoOperations &op = Ops();
    for (auto _ : state) {
        op.FillRect(0, 0, 1024, 768, 0x1234);
        benchmark::ClobberMemory();
    }
    SetPixelsProcessed(state, kFramePixels);
    state.SetBytesProcessed(state.iterations() * 2 * kFramePixels);
}
BENCHMARK(BM_FillRect);

void BM_BlendRect(benchmark::State &state) {
    RuvoOperations &op = Ops();
    op.AnalysePixelFormat(0xF800, 0x07E0, 0x001F);
    for (auto _ : state) {
        op.BlendRect(0, 0, 1024, 768, 0x1234);
        benchmark::ClobberMemory();
    }
    SetPixelsProcessed(state, kFramePixels);
}
BENCHMARK(BM_BlendRect);

// 10,000 lines of 1 to 32 pixels at fixed pseudo-random places.
struct ShortLine {
    int32_t x, y, length;
};
const std::vector<ShortLine> &ShortLines() {
    static const std::vector<ShortLine> lines = [] {
        std::mt19937 rng(7);
        std::vector<ShortLine> v(10000);
        for (ShortLine &l : v) {
            l = {static_cast<int32_t>(rng() % 990), static_cast<int32_t>(rng() % 768),
                 static_cast<int32_t>(rng() % 32) + 1};
        }
        return v;
    }();
    return lines;
}
int64_t ShortLinePixels() {
    int64_t n = 0;
    for (const ShortLine &l : ShortLines()) n += l.length;
    return n;
}

// The same spans filled at precomputed cell indices.
void BM_ShortSpansFill(benchmark::State &state) {
    RuvoDraw_Init();
    std::vector<std::pair<int32_t, int32_t>> spans;
    for (const ShortLine &l : ShortLines()) spans.emplace_back(RingIndex(l.x, l.y), l.length);
    uint16_t *screen = ScreenCells();
    for (auto _ : state) {
        for (auto [index, n] : spans) std::fill_n(screen + index, n, uint16_t{0x4321});
        benchmark::ClobberMemory();
    }
    SetPixelsProcessed(state, ShortLinePixels());
}
BENCHMARK(BM_ShortSpansFill);

void BM_DrawHLineShort(benchmark::State &state) {
    RuvoOperations &op = Ops();
    for (auto _ : state) {
        for (const ShortLine &l : ShortLines()) op.DrawHLine(l.x, l.y, l.length, 0x4321);
        benchmark::ClobberMemory();
    }
    SetPixelsProcessed(state, ShortLinePixels());
}
BENCHMARK(BM_DrawHLineShort);

std::vector<std::pair<int32_t, int32_t>> EllipsePixels() {
    std::vector<std::pair<int32_t, int32_t>> pixels;
    TraceDottedEllipse(512, 384, 300, 0, ClipRect{0, 0, 1023, 767}, [&](int64_t x, int64_t y) {
        pixels.emplace_back(static_cast<int32_t>(x), static_cast<int32_t>(y));
    });
    return pixels;
}

// Its pixels through PutPixel, without the tracing.
void BM_PutPixelEllipsePixels(benchmark::State &state) {
    RuvoOperations &op = Ops();
    const auto pixels = EllipsePixels();
    for (auto _ : state) {
        for (auto [x, y] : pixels) op.PutPixel(x, y, 0x5555);
        benchmark::ClobberMemory();
    }
    SetPixelsProcessed(state, static_cast<int64_t>(pixels.size()));
}
BENCHMARK(BM_PutPixelEllipsePixels);

void BM_DrawDottedEllipse300(benchmark::State &state) {
    RuvoOperations &op = Ops();
    const auto pixels = static_cast<int64_t>(EllipsePixels().size());
    for (auto _ : state) {
        op.DrawDottedEllipse(512, 384, 300, 0x5555, 0);
        benchmark::ClobberMemory();
    }
    SetPixelsProcessed(state, pixels);
}
BENCHMARK(BM_DrawDottedEllipse300);

const bool registered =
    Compare("BM_FillRect", "BM_FillLoopFrame", 1.15) && Compare("BM_FillRect", "BM_MemsetFrame") &&
    Compare("BM_BlendRect", "BM_FillRect") && Compare("BM_DrawHLineShort", "BM_ShortSpansFill") &&
    Compare("BM_DrawDottedEllipse300", "BM_PutPixelEllipsePixels");

}  // namespace
}  // namespace ruvo::bench
