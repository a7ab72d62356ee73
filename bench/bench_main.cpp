// Runs every benchmark, then prints each registered comparison as a ratio of
// times measured in this run.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <set>
#include <string>

#include "bench/comparisons.h"
#include "bench/fill_length_bench.h"
#include "simd/kernels.h"

namespace ruvo::bench {
namespace {

std::vector<Comparison> &Registry() {
    static std::vector<Comparison> comparisons;
    return comparisons;
}

// The console report, plus the time of every run kept by name.
class RecordingReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run> &runs) override {
        // A single run's time, or with repetitions the median (which then wins).
        for (const Run &run : runs) {
            const std::string name = run.run_name.str();
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if ((run.run_type == Run::RT_Iteration && !medians.count(name)) || median) {
                times[name] = run.GetAdjustedRealTime();
                auto pixels = run.counters.find("pixels");
                if (pixels != run.counters.end()) rates[name] = pixels->second.value;
                if (median) medians.insert(name);
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> times;
    std::map<std::string, double> rates;  // drawn pixels per second, where counted
    std::set<std::string> medians;
};

// Mpixel/s of a run, or "-" where it counts no pixels.
std::string Rate(const std::map<std::string, double> &rates, const std::string &name) {
    auto r = rates.find(name);
    if (r == rates.end()) return "-";
    char text[32];
    std::snprintf(text, sizeof text, "%.0f", r->second / 1e6);
    return text;
}

// Ratios of times (lower is faster); per-pixel comparisons divide by the
// pixels drawn. Mpixel/s of both sides where counted.
void PrintComparisons(const RecordingReporter &r) {
    std::printf("\n%-48s %-44s %8s %8s %8s %s\n", "operation", "baseline (same run)", "Mpx/s",
                "base", "ratio", "target");
    for (const Comparison &c : Comparisons()) {
        auto op = r.times.find(c.operation), base = r.times.find(c.baseline);
        if (op == r.times.end() || base == r.times.end()) continue;  // filtered out
        double ratio = op->second / base->second;
        if (c.per_pixel) {
            auto op_rate = r.rates.find(c.operation), base_rate = r.rates.find(c.baseline);
            if (op_rate == r.rates.end() || base_rate == r.rates.end()) continue;
            ratio = base_rate->second / op_rate->second;
        }
        char target[32] = "";
        if (c.target > 0) {
            std::snprintf(target, sizeof target, "<=%.2f %s", c.target,
                          ratio <= c.target ? "met" : "MISSED");
        }
        std::printf("%-48s %-44s %8s %8s %8.3f %s\n", c.operation.c_str(), c.baseline.c_str(),
                    Rate(r.rates, c.operation).c_str(), Rate(r.rates, c.baseline).c_str(), ratio,
                    target);
    }
}

}  // namespace

bool Compare(const std::string &operation, const std::string &baseline, double target) {
    Registry().push_back({operation, baseline, target});
    return true;
}

bool ComparePerPixel(const std::string &operation, const std::string &baseline, double target) {
    Registry().push_back({operation, baseline, target, true});
    return true;
}

const std::vector<Comparison> &Comparisons() { return Registry(); }

}  // namespace ruvo::bench

int main(int argc, char **argv) {
    // Our own options, taken out before the benchmark library reads the rest:
    // --fill_sweep adds the sweep of fill lengths (minutes; filter it with
    // --benchmark_filter=Fill); --simd_path=avx2 (sse2, scalar) draws on that
    // path instead of the widest the CPU has.
    for (int i = 1; i < argc;) {
        const char *arg = argv[i];
        if (std::strcmp(arg, "--fill_sweep") == 0) {
            ruvo::bench::RegisterFillLengthSweep();
        } else if (std::strncmp(arg, "--simd_path=", 12) == 0) {
            const std::string name = arg + 12;
            const ruvo::SimdPath path = name == "avx2"     ? ruvo::SimdPath::Avx2
                                        : name == "sse2"   ? ruvo::SimdPath::Sse2
                                        : name == "scalar" ? ruvo::SimdPath::Scalar
                                                           : ruvo::SimdPath::Fastest;
            if (path == ruvo::SimdPath::Fastest || !ruvo::UseSimdPath(path)) {
                std::fprintf(stderr, "--simd_path: %s is not a path this CPU runs\n", arg + 12);
                return 1;
            }
        } else {
            ++i;
            continue;
        }
        for (int j = i; j + 1 < argc; ++j) argv[j] = argv[j + 1];
        --argc;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    // The kernels every benchmark ran on, in the report's header.
    static const char *const kPathNames[] = {"widest", "scalar", "SSE2", "AVX2", "AVX-512"};
    benchmark::AddCustomContext("kernel_path", kPathNames[static_cast<int>(ruvo::Kernels().path)]);
    ruvo::bench::RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    ruvo::bench::PrintComparisons(reporter);
    benchmark::Shutdown();
    return 0;
}
