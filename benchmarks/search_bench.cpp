// Timing a batch search over a synthetic snapshot of 700,000 keys and 1,200,000
// values with their data kept (REG_SZ texts, numbers and binary data), searching key
// names, value names and value data.
//
// Prints, besides Google Benchmark's table:
//   figure search.full_walk_ms <ms> ms        plain partial text that finds nothing (median)
//   figure search.expression_walk_ms <ms> ms  a three-term expression that finds nothing
//   figure search.full_walk_cpu_ms, search.expression_walk_cpu_ms: the same in the
//     thread's CPU time, which a busy machine does not inflate
#include <benchmark/benchmark.h>

#include "benchmarks/bench_main.h"
#include "benchmarks/quiet_search_display.h"
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "engine/memory_pool.h"
#include "engine/snapshot_store.h"
#include "engine/view_state.h"
#include "search/search_engine.h"
#include "search/search_expression.h"

namespace {

constexpr int kKeyTotal = 700000;
constexpr int kValueTotal = 1200000;

std::string randomName(std::mt19937& rng, int minLength, int maxLength) {
  static const char kChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789 _.-\\";
  std::uniform_int_distribution<int> length(minLength, maxLength);
  std::string name(static_cast<size_t>(length(rng)), ' ');
  for (char& c : name) c = kChars[rng() % (sizeof kChars - 1)];
  return name;
}

// Keys in three levels below HKEY_LOCAL_MACHINE (each list added in name order, as
// a read adds them), values spread evenly, each with data kept.
void buildStore(SnapshotStore& store) {
  resetStore(store, true);
  std::mt19937 rng(17);
  std::vector<ItemIndex> keys;
  std::vector<ItemIndex> level{3};  // HKEY_LOCAL_MACHINE
  const int fanOut[3] = {100, 100, 70};
  for (int depth = 0; depth < 3; ++depth) {
    std::vector<ItemIndex> next;
    for (ItemIndex parent : level) {
      std::vector<std::string> names;
      for (int i = 0; i < fanOut[depth]; ++i) names.push_back(randomName(rng, 6, 24));
      std::sort(names.begin(), names.end(),
                [](const std::string& a, const std::string& b) { return compareNames(a.c_str(), b.c_str()) < 0; });
      ItemIndex hint = kNoItem;
      for (const std::string& name : names) {
        if (static_cast<int>(keys.size()) + kRootKeyCount >= kKeyTotal) break;
        hint = addKey(store, parent, hint, name.c_str());
        next.push_back(hint);
        keys.push_back(hint);
      }
    }
    level.swap(next);
  }
  for (int v = 0; v < kValueTotal; ++v) {
    const ItemIndex key = keys[static_cast<size_t>(v) % keys.size()];
    const ItemIndex value = addValue(store, key, randomName(rng, 4, 16).c_str());
    const int kind = v % 10;
    if (kind < 7) {
      std::string text = randomName(rng, 8, 60);
      assignValueData(store, value, reinterpret_cast<const uint8_t*>(text.c_str()),
                      static_cast<uint32_t>(text.size() + 1), kRegSz, true);
    } else if (kind < 9) {
      const uint32_t number = rng();
      assignValueData(store, value, reinterpret_cast<const uint8_t*>(&number), 4, kRegDword, true);
    } else {
      uint8_t bytes[24];
      for (uint8_t& b : bytes) b = static_cast<uint8_t>(rng());
      assignValueData(store, value, bytes, sizeof bytes, 3, true);
    }
  }
}

SnapshotStore* benchStore() {
  static std::unique_ptr<SnapshotStore> store = [] {
    initMemoryPool();
    auto made = std::make_unique<SnapshotStore>();
    initStore(*made);
    buildStore(*made);
    return made;
  }();
  return store.get();
}

std::vector<double> fullWalkMs;
std::vector<double> expressionWalkMs;
std::vector<double> fullWalkCpuMs;
std::vector<double> expressionWalkCpuMs;

double threadCpuMs() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) * 1000.0 + static_cast<double>(now.tv_nsec) / 1e6;
}

void timeSearch(benchmark::State& state, const char* text, uint16_t flags, std::vector<double>& runs,
                std::vector<double>& cpuRuns) {
  SnapshotStore& store = *benchStore();
  SearchEntry entry{};
  std::strcpy(entry.text, text);
  entry.flags = flags;
  if (flags & SEARCH_EXPRESSION) compileSearchExpression(entry.text, flags);
  bench::QuietSearchDisplay display;
  for (auto _ : state) {
    searchResultState() = SEARCH_STATE_STARTING;
    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = threadCpuMs();
    runSearch(store, entry, kNoItem, false, 0, VIEW_STATE_BASELINE_ONLY, display);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    state.SetIterationTime(seconds);
    runs.push_back(seconds * 1000.0);
    cpuRuns.push_back(threadCpuMs() - cpuStart);
  }
  state.counters["keys"] = static_cast<double>(store.counts.keyCount);
  state.counters["values"] = static_cast<double>(store.counts.valueCount);
}

constexpr uint16_t kTargets = SEARCH_KEY_NAME | SEARCH_VALUE_NAME | SEARCH_VALUE_DATA | SEARCH_BATCH;

void BM_FullWalk(benchmark::State& state) {
  timeSearch(state, "#nowhere#", kTargets | SEARCH_PARTIAL, fullWalkMs, fullWalkCpuMs);
}
BENCHMARK(BM_FullWalk)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(7);

void BM_ExpressionWalk(benchmark::State& state) {
  timeSearch(state, "#none# | ^#x & $#y", kTargets | SEARCH_PARTIAL | SEARCH_EXPRESSION,
             expressionWalkMs, expressionWalkCpuMs);
}
BENCHMARK(BM_ExpressionWalk)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(7);

using bench::median;

}  // namespace

int main(int argc, char** argv) {
  if (!bench::runRegisteredBenchmarks(&argc, argv)) return 1;
  if (!fullWalkMs.empty()) std::printf("figure search.full_walk_ms %.1f ms\n", median(fullWalkMs));
  if (!expressionWalkMs.empty()) {
    std::printf("figure search.expression_walk_ms %.1f ms\n", median(expressionWalkMs));
  }
  if (!fullWalkCpuMs.empty()) std::printf("figure search.full_walk_cpu_ms %.1f ms\n", median(fullWalkCpuMs));
  if (!expressionWalkCpuMs.empty()) {
    std::printf("figure search.expression_walk_cpu_ms %.1f ms\n", median(expressionWalkCpuMs));
  }
  return 0;
}
