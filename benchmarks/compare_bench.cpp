// Comparing two snapshots of a large registry: 700,000 keys and 1,200,000 values,
// differing in 1 % of their items (changed, added and deleted values, added and
// deleted keys). Value data are kept whole, so changed data are found by comparing
// bytes. One run is what "比較の再実行" does: clear the previous marks, compare every
// root, take the counts.
//
// Prints, besides Google Benchmark's table:
//   figure compare.ms <ms> ms          one comparison of all roots (median run)
//   figure compare.cpu_ms <ms> ms      its processor time (median run): the same on a
//                                      quiet machine, unaffected by a busy one
//   figure compare.changes <n> items   the changes it found
#include <benchmark/benchmark.h>

#include "benchmarks/bench_main.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "benchmarks/synthetic_registry.h"
#include "engine/comparison.h"
#include "engine/memory_pool.h"
#include "engine/snapshot_store.h"

namespace {

constexpr synthetic::ChangeMix kOnePercent{12000, 2500, 2500, 1000, 1000};

std::vector<double> runMs;
std::vector<double> cpuMs;
int64_t changesFound = 0;

void BM_CompareSnapshots(benchmark::State& state) {
  initMemoryPool();
  auto baseline = std::make_unique<SnapshotStore>();
  auto current = std::make_unique<SnapshotStore>();
  initStore(*baseline);
  initStore(*current);
  {
    std::mt19937 rng(20240602);
    synthetic::SyntheticRegistry reg = synthetic::makeRegistry(rng);
    synthetic::fillStore(*baseline, reg);
    synthetic::changeItems(reg, rng, kOnePercent);  // 1 %: 19,000 of 1,900,000
    synthetic::fillStore(*current, reg);
  }
  const CompareOptions options;
  for (auto _ : state) {
    const std::clock_t cpuStart = std::clock();
    const auto start = std::chrono::steady_clock::now();
    compareStores(*current, *baseline, -1, options);
    const StatusCounts counts = takeStatusCounts(*current, options.keysOnly);
    const auto stop = std::chrono::steady_clock::now();
    cpuMs.push_back(static_cast<double>(std::clock() - cpuStart) * 1000.0 / CLOCKS_PER_SEC);
    const double seconds = std::chrono::duration<double>(stop - start).count();
    state.SetIterationTime(seconds);
    runMs.push_back(seconds * 1000.0);
    changesFound = counts.changes();
  }
  state.counters["changes"] = static_cast<double>(changesFound);
  destroyStore(*current);
  destroyStore(*baseline);
}
BENCHMARK(BM_CompareSnapshots)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(7);

}  // namespace

int main(int argc, char** argv) {
  if (!bench::runRegisteredBenchmarks(&argc, argv)) return 1;
  if (runMs.empty()) return 0;
  std::vector<double> runs = runMs;
  std::sort(runs.begin(), runs.end());
  std::printf("figure compare.ms %.1f ms\n", runs[runs.size() / 2]);
  std::sort(cpuMs.begin(), cpuMs.end());
  std::printf("figure compare.cpu_ms %.1f ms\n", cpuMs[cpuMs.size() / 2]);
  std::printf("figure compare.changes %lld items\n", static_cast<long long>(changesFound));
  return 0;
}
