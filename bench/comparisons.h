// Ratios between benchmarks of the same run. Each benchmark file names which
// of its benchmarks is measured against which baseline; bench_main prints the
// table after the run, since only ratios mean anything on a shared machine.
#pragma once

#include <string>
#include <vector>

namespace ruvo::bench {

struct Comparison {
    std::string operation;   // benchmark name
    std::string baseline;    // benchmark name of the baseline in the same run
    double target;           // the ratio operation/baseline (by time) to stay within; 0 for none
    bool per_pixel = false;  // the ratio of times per drawn pixel ("pixels" counters)
};

// Registers a comparison at static-initialisation time; returns true.
bool Compare(const std::string &operation, const std::string &baseline, double target = 0);

// The same by time per drawn pixel: for runs that draw different pixel counts
// (clipped against unclipped). Equal to Compare() for equal work.
bool ComparePerPixel(const std::string &operation, const std::string &baseline, double target = 0);

const std::vector<Comparison> &Comparisons();

}  // namespace ruvo::bench
