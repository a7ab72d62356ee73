// A real host's frame: the demo's calls, recorded once at build time with
// ruvo-trace and replayed here against the shared library as hosts load it.
// Each iteration replays the calls of one recorded frame (scroll, strips of
// tiles and objects, sprites, text, PresentLit), cycling through the frames
// after the first, whose full redraw is set-up rather than a frame.
#if RUVO_BENCH_HAS_TRACE
#include <benchmark/benchmark.h>

#include <cstdio>
#include <vector>

#include "bench/comparisons.h"
#include "tools/trace/replayer.h"

namespace ruvo::bench {
namespace {

struct DemoTrace {
    std::vector<uint8_t> bytes;
    trace::Trace trace;
    trace::Replayer replayer{RUVO_BENCH_LIBRARY};
    std::vector<std::vector<trace::PreparedCall>> frames;  // the calls of frames 2, 3, ...

    DemoTrace() {
        bytes = trace::ReadTraceFile(RUVO_BENCH_DEMO_TRACE);
        trace = trace::ParseTrace(bytes);
        // Replay it all once (the state a frame starts from), preparing the
        // calls of every frame but the first.
        uint32_t frame = 1;
        for (const trace::Event &e : trace.events) {
            if (e.tag == trace::Tag::kFrame) {
                ++frame;
                continue;
            }
            replayer.Apply(trace, e);
            if (e.tag == trace::Tag::kCall && frame >= 2 && frame <= trace.frames) {
                if (frames.size() < frame - 1) frames.emplace_back();
                frames.back().emplace_back();
                replayer.Prepare(trace, e.call, frames.back().back());
            }
        }
    }
};

void BM_DemoTraceFrame(benchmark::State &state) {
    static DemoTrace demo;
    if (demo.frames.empty()) {
        state.SkipWithError("the recorded demo trace holds fewer than two frames");
        return;
    }
    size_t k = 0, calls = 0;
    for (auto _ : state) {
        for (const trace::PreparedCall &c : demo.frames[k]) demo.replayer.Run(c);
        calls += demo.frames[k].size();
        k = (k + 1) % demo.frames.size();
    }
    state.counters["calls"] = benchmark::Counter(double(calls), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_DemoTraceFrame);

// Against a full-frame copy of the same run (framestore_bench.cpp).
const bool registered = Compare("BM_DemoTraceFrame", "BM_MemcpyRows");

}  // namespace
}  // namespace ruvo::bench
#endif
