// Runs every benchmark, then prints each registered comparison as a ratio of
// times measured in this run.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <set>

#include "bench/comparisons.h"

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
            if (run.run_type == Run::RT_Iteration && !medians.count(run.run_name.str())) {
                times[run.run_name.str()] = run.GetAdjustedRealTime();
            } else if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
                times[run.run_name.str()] = run.GetAdjustedRealTime();
                medians.insert(run.run_name.str());
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> times;
    std::set<std::string> medians;
};

void PrintComparisons(const std::map<std::string, double> &times) {
    std::printf("\n%-44s %-36s %8s %8s\n", "operation", "baseline (same run)", "ratio", "target");
    for (const Comparison &c : Comparisons()) {
        auto op = times.find(c.operation), base = times.find(c.baseline);
        if (op == times.end() || base == times.end()) continue;  // filtered out
        const double ratio = op->second / base->second;
        char target[32] = "";
        if (c.target > 0) {
            std::snprintf(target, sizeof target, "<=%.2f %s", c.target,
                          ratio <= c.target ? "met" : "MISSED");
        }
        std::printf("%-44s %-36s %8.3f %s\n", c.operation.c_str(), c.baseline.c_str(), ratio,
                    target);
    }
}

}  // namespace

bool Compare(const std::string &operation, const std::string &baseline, double target) {
    Registry().push_back({operation, baseline, target});
    return true;
}

const std::vector<Comparison> &Comparisons() { return Registry(); }

}  // namespace ruvo::bench

int main(int argc, char **argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    ruvo::bench::RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    ruvo::bench::PrintComparisons(reporter.times);
    benchmark::Shutdown();
    return 0;
}
