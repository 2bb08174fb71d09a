// The change list of all roots ("変化分の全リストをコピー") of a large comparison:
// 700,000 keys and 1,200,000 values against a second snapshot with 20,000 changes
// (changed, added and deleted values, added and deleted keys), both read from files
// (so every changed value gets its old data line). Keys lie at most 12 levels deep. One run builds the whole listing in
// its two passes, as the command does before the text goes to the clipboard.
//
// Prints, besides Google Benchmark's table:
//   figure listings.all_changes_ms <ms> ms     one change list of all roots (median)
//   figure listings.all_changes_bytes <n> bytes  the length of the listing
//   figure listings.changes <n> items          the changes the comparison found
#include <benchmark/benchmark.h>

#include "benchmarks/bench_main.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <random>
#include <vector>

#include "benchmarks/synthetic_registry.h"
#include "engine/comparison.h"
#include "engine/memory_pool.h"
#include "engine/snapshot_store.h"
#include "engine/view_state.h"
#include "text/listings.h"

namespace {

constexpr synthetic::ChangeMix kTwentyThousand{13000, 2500, 2500, 1000, 1000};
// Registry-like depth: key paths of up to 12 names. (Unlimited, the synthetic branches
// run thousands of levels deep, every path is cut at 50 keys, and 20,000 such paths
// alone pass the 8 MiB a listing may take.)
constexpr int kMaxDepth = 12;

std::vector<double> runMs;
size_t listingBytes = 0;
int64_t changesFound = 0;

void BM_AllChangesList(benchmark::State& state) {
  initMemoryPool();
  auto baseline = std::make_unique<SnapshotStore>();
  auto current = std::make_unique<SnapshotStore>();
  initStore(*baseline);
  initStore(*current);
  {
    std::mt19937 rng(20261207);
    synthetic::SyntheticRegistry reg = synthetic::makeRegistry(rng, kMaxDepth);
    synthetic::fillStore(*baseline, reg);
    synthetic::changeItems(reg, rng, kTwentyThousand);
    synthetic::fillStore(*current, reg);
  }
  compareStores(*current, *baseline, -1, CompareOptions{});
  changesFound = takeStatusCounts(*current, false).changes();

  ListingContext context;
  context.viewState = VIEW_STATE_FILE_COMPARED;
  context.baselineLabel = "before.rsv";
  context.comparisonLabel = "after.rsv";
  context.now = {2026, 12, 7, 6, 0, 0};
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    const ListingText listing = changeList(*current, *baseline, kNoItem, context);
    const auto stop = std::chrono::steady_clock::now();
    if (!listing.ok()) {
      state.SkipWithError("the listing did not fit one block");
      break;
    }
    listingBytes = listing.length();
    const double seconds = std::chrono::duration<double>(stop - start).count();
    state.SetIterationTime(seconds);
    runMs.push_back(seconds * 1000.0);
  }
  destroyStore(*current);
  destroyStore(*baseline);
}
BENCHMARK(BM_AllChangesList)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(7);

}  // namespace

int main(int argc, char** argv) {
  if (!bench::runRegisteredBenchmarks(&argc, argv)) return 1;
  if (runMs.empty()) return 0;
  std::sort(runMs.begin(), runMs.end());
  std::printf("figure listings.all_changes_ms %.1f ms\n", runMs[runMs.size() / 2]);
  std::printf("figure listings.all_changes_bytes %zu bytes\n", listingBytes);
  std::printf("figure listings.changes %lld items\n", static_cast<long long>(changesFound));
  return 0;
}
