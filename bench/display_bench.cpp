// Presentation, light-grid shading and colour conversion on the in-memory
// display, against memcpy of the same rows and against PresentRect.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "bench/comparisons.h"
#include "framestore/layers.h"
#include "ruvodraw1024.h"
#include "simd/kernels.h"

namespace ruvo::bench {
namespace {

constexpr int64_t kFrameBytes = 1024 * 768 * 2;
constexpr int64_t kFramePixels = 1024 * 768;

// The library with a full-size in-memory display open, a picture in the
// ScreenLayer and every light-grid corner set to value (or varied when < 0).
RuvoOperations &Display(int light) {
    RuvoDrawBlock *db = RuvoDraw_Init();
    RuvoOperations &op = db->OperationSlot.Op;
    if (!db->PrimarySurface) {
        op.OpenDisplay(nullptr, 0);
        op.SetScreenMode(1024, 768);
    }
    uint16_t *screen = ScreenCells();
    for (int i = 0; i < kLayerCells; ++i) screen[i] = static_cast<uint16_t>(i * 2654435761u >> 7);
    for (int j = 0; j < 97; ++j) {
        for (int i = 0; i < 80; ++i) {
            // Varied corners never give a uniform 0 or 0x80 cell.
            db->LightGrid[j][i] =
                static_cast<uint8_t>(light >= 0 ? light : 0x10 + (i * 7 + j * 5) % 0xC0);
        }
    }
    return op;
}

void BM_MemcpyFrameRows(benchmark::State &state) {
    Display(0x80);
    std::vector<uint16_t> dst(kFramePixels);
    const uint16_t *src = ScreenCells();
    for (auto _ : state) {
        for (int row = 0; row < 768; ++row) {
            std::memcpy(dst.data() + row * 1024, src + row * 1024, 2048);
        }
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * kFrameBytes);
}
BENCHMARK(BM_MemcpyFrameRows);

void BM_PresentRect(benchmark::State &state) {
    RuvoOperations &op = Display(0x80);
    for (auto _ : state) {
        op.PresentRect(0, 0, 1024, 768);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * kFrameBytes);
}
BENCHMARK(BM_PresentRect);

// The kernels forced to one path for the run of a benchmark, where the CPU has it.
class ForcedPath {
  public:
    ForcedPath(benchmark::State &state, SimdPath path) {
        if (!UseSimdPath(path)) state.SkipWithError("this CPU lacks the kernel's instructions");
    }
    ~ForcedPath() { UseSimdPath(SimdPath::Fastest); }
};

template <int kLight, SimdPath kPath = SimdPath::Fastest>
void BM_PresentLit(benchmark::State &state) {
    RuvoOperations &op = Display(kLight);
    const ForcedPath path(state, kPath);
    for (auto _ : state) {
        op.PresentLit(0, 0, 1023, 767);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kFramePixels);
}
BENCHMARK(BM_PresentLit<-1>)->Name("BM_PresentLit/interpolated");
BENCHMARK(BM_PresentLit<-1, SimdPath::Sse2>)->Name("BM_PresentLit/interpolated_sse2");
BENCHMARK(BM_PresentLit<-1, SimdPath::Scalar>)->Name("BM_PresentLit/interpolated_scalar");
BENCHMARK(BM_PresentLit<0x80>)->Name("BM_PresentLit/full_light");
BENCHMARK(BM_PresentLit<0>)->Name("BM_PresentLit/dark");

template <int kLight>
void BM_ApplyLightGrid(benchmark::State &state) {
    RuvoOperations &op = Display(kLight);
    for (auto _ : state) {
        op.ApplyLightGrid(0, 0, 1023, 767);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kFramePixels);
}
BENCHMARK(BM_ApplyLightGrid<-1>)->Name("BM_ApplyLightGrid/interpolated");
BENCHMARK(BM_ApplyLightGrid<0x80>)->Name("BM_ApplyLightGrid/full_light");
BENCHMARK(BM_ApplyLightGrid<0>)->Name("BM_ApplyLightGrid/dark");

void BM_MemcpyColours(benchmark::State &state) {
    std::vector<uint16_t> src(65536), dst(65536);
    for (int i = 0; i < 65536; ++i) src[i] = static_cast<uint16_t>(i);
    for (auto _ : state) {
        std::memcpy(dst.data(), src.data(), 2 * 65536);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * 65536);
}
BENCHMARK(BM_MemcpyColours);

template <SimdPath kPath = SimdPath::Fastest>
void BM_ConvertColours(benchmark::State &state) {
    RuvoOperations &op = RuvoDraw_Init()->OperationSlot.Op;
    const ForcedPath path(state, kPath);
    op.AnalysePixelFormat(0x7C00, 0x03E0, 0x001F);
    std::vector<uint16_t> src(65536), dst(65536);
    for (int i = 0; i < 65536; ++i) src[i] = static_cast<uint16_t>(i);
    for (auto _ : state) {
        op.ConvertColours(src.data(), dst.data(), 65536);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * 65536);
}
BENCHMARK(BM_ConvertColours<>)->Name("BM_ConvertColours");
BENCHMARK(BM_ConvertColours<SimdPath::Sse2>)->Name("BM_ConvertColours/sse2");
BENCHMARK(BM_ConvertColours<SimdPath::Scalar>)->Name("BM_ConvertColours/scalar");

const bool registered = Compare("BM_PresentRect", "BM_MemcpyFrameRows", 1.05) &&
                        Compare("BM_PresentLit/interpolated", "BM_PresentRect", 4.0) &&
                        Compare("BM_PresentLit/interpolated_sse2", "BM_PresentRect") &&
                        Compare("BM_PresentLit/interpolated_scalar", "BM_PresentRect") &&
                        Compare("BM_PresentLit/full_light", "BM_PresentRect", 1.2) &&
                        Compare("BM_PresentLit/dark", "BM_PresentRect") &&
                        Compare("BM_ApplyLightGrid/interpolated", "BM_PresentRect", 4.0) &&
                        Compare("BM_ApplyLightGrid/full_light", "BM_PresentRect", 1.2) &&
                        Compare("BM_ApplyLightGrid/dark", "BM_PresentRect") &&
                        Compare("BM_ConvertColours", "BM_MemcpyColours") &&
                        Compare("BM_ConvertColours/sse2", "BM_MemcpyColours") &&
                        Compare("BM_ConvertColours/scalar", "BM_MemcpyColours");

}  // namespace
}  // namespace ruvo::bench
