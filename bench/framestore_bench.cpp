// Layer transfers, depth operations and scrolling against plain loops over
// the same bytes.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "bench/comparisons.h"
#include "framestore/layers.h"
#include "ruvodraw1024.h"

namespace ruvo::bench {
namespace {

constexpr int64_t kFrameBytes = 1024 * 768 * 2;

RuvoOperations &Ops() { return RuvoDraw_Init()->OperationSlot.Op; }

// A picture in the BackLayer. Never-written storage reads as the kernel's
// one zero page, which stays in L1 and would make every copy from it look
// as fast as a fill.
void PaintBackLayer() {
    uint16_t *back = BackCells();
    for (int i = 0; i < kLayerCells; ++i) back[i] = static_cast<uint16_t>(i * 2654435761u >> 7);
}

void BM_MemcpyRows(benchmark::State &state) {
    PaintBackLayer();
    uint16_t *dst = ScreenCells();
    const uint16_t *src = BackCells();
    for (auto _ : state) {
        for (int row = 0; row < 768; ++row) std::memcpy(dst + row * 1024, src + row * 1024, 2048);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * kFrameBytes);
}
BENCHMARK(BM_MemcpyRows);

void BM_CopyBackToScreen(benchmark::State &state) {
    RuvoOperations &op = Ops();
    PaintBackLayer();
    for (auto _ : state) {
        op.CopyBackToScreen(0, 0, 1024, 768);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * kFrameBytes);
}
BENCHMARK(BM_CopyBackToScreen);

void BM_ReadScreenRect(benchmark::State &state) {
    RuvoOperations &op = Ops();
    std::vector<uint16_t> image(1024 * 768);
    for (auto _ : state) {
        op.ReadScreenRect(0, 0, 1024, 768, 0, 0, 1024, image.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * kFrameBytes);
}
BENCHMARK(BM_ReadScreenRect);

void BM_FillLoopDepth(benchmark::State &state) {
    uint16_t *depth = DepthCells();
    for (auto _ : state) {
        for (int row = 0; row < 768; ++row)
            std::fill_n(depth + row * 1024, 1024, uint16_t(row * 32));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * kFrameBytes);
}
BENCHMARK(BM_FillLoopDepth);

void BM_ResetDepth(benchmark::State &state) {
    RuvoOperations &op = Ops();
    for (auto _ : state) {
        op.ResetDepth();
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * kFrameBytes);
}
BENCHMARK(BM_ResetDepth);

// A read-modify-write of every depth cell, as plain as it gets.
void BM_AddLoopDepth(benchmark::State &state) {
    uint16_t *depth = DepthCells();
    for (auto _ : state) {
        for (int i = 0; i < 1024 * 768; ++i) depth[i] = static_cast<uint16_t>(depth[i] - 32);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * kFrameBytes);
}
BENCHMARK(BM_AddLoopDepth);

void BM_ScrollOneRow(benchmark::State &state) {
    RuvoOperations &op = Ops();
    for (auto _ : state) {
        op.Scroll(0, 1);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * 1024 * 767 * 2);
}
BENCHMARK(BM_ScrollOneRow);

const bool registered = Compare("BM_CopyBackToScreen", "BM_MemcpyRows", 1.05) &&
                        Compare("BM_ReadScreenRect", "BM_MemcpyRows") &&
                        Compare("BM_ResetDepth", "BM_FillLoopDepth") &&
                        Compare("BM_ScrollOneRow", "BM_AddLoopDepth", 1.5);

}  // namespace
}  // namespace ruvo::bench
