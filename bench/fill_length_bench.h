// The sweep of the shortest fill length (fill_length_bench.cpp), registered
// only when asked for, since it takes minutes.
#pragma once

namespace ruvo::bench {

void RegisterFillLengthSweep();

}  // namespace ruvo::bench
