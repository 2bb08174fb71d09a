// What every benchmark program shares: running the benchmarks chosen on its command
// line, and the median its `figure` lines print.
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

namespace bench {

// Runs the registered benchmarks; false when the command line holds an argument the
// benchmark library does not know (it has said so).
inline bool runRegisteredBenchmarks(int* argc, char** argv) {
  benchmark::Initialize(argc, argv);
  if (benchmark::ReportUnrecognizedArguments(*argc, argv)) return false;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return true;
}

// The middle run (the upper one of an even count); 0 without runs.
inline double median(std::vector<double> runs) {
  std::sort(runs.begin(), runs.end());
  return runs.empty() ? 0.0 : runs[runs.size() / 2];
}

}  // namespace bench
