// One key with 100,000 values (shared DLL counters, installer folders and fonts hold
// tens of thousands): reading it from the in-memory registry, where the values come
// in creation order (not name order), and comparing two snapshots of it that differ
// in 15 % of its values (changed, deleted and added, so every merge step and every
// ghost insertion is exercised). Both must grow as n log n, not n * n.
//
// Searching it for a text every value name holds marks 100,000 hits in one key.
//
// Prints, besides Google Benchmark's table:
//   figure reader.values_100000_ms <ms> ms       one read of the whole registry (median)
//   figure reader.values_100000_cpu_ms <ms> ms   its processor time (median)
//   figure compare.values_100000_ms <ms> ms      one comparison of all roots (median)
//   figure compare.values_100000_cpu_ms <ms> ms  its processor time (median)
//   figure search.values_100000_ms <ms> ms       a batch search hitting every value (median)
#include <benchmark/benchmark.h>

#include "benchmarks/bench_main.h"
#include "benchmarks/quiet_search_display.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "engine/comparison.h"
#include "engine/memory_pool.h"
#include "engine/registry_reader.h"
#include "engine/snapshot_store.h"
#include "engine/view_state.h"
#include "platform/memory_registry.h"
#include "platform/message_box.h"
#include "search/search_engine.h"

namespace {

constexpr int kValueTotal = 100000;
const char* const kWideKey = "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";

// Names like the paths of a shared DLL counter key, in a random creation order.
std::vector<std::string> valueNames() {
  std::mt19937 rng(20261207);
  static const char* const kFolders[] = {"C:\\Program Files\\", "C:\\Program Files (x86)\\",
                                         "C:\\Windows\\System32\\", "C:\\Windows\\SysWOW64\\"};
  std::vector<std::string> names;
  names.reserve(kValueTotal);
  for (int i = 0; i < kValueTotal; ++i) {
    names.push_back(std::string(kFolders[rng() % 4]) + "Vendor" + std::to_string(rng() % 500) +
                    "\\lib" + std::to_string(i) + ".dll");
  }
  std::shuffle(names.begin(), names.end(), rng);
  return names;
}

// The same names in the order a snapshot keeps them.
std::vector<std::string> namesInStoreOrder() {
  std::vector<std::string> names = valueNames();
  std::sort(names.begin(), names.end(),
            [](const std::string& a, const std::string& b) { return compareNames(a.c_str(), b.c_str()) < 0; });
  return names;
}

struct Runs {
  std::vector<double> ms;
  std::vector<double> cpuMs;
};
Runs readRuns;
Runs compareRuns;
Runs searchRuns;

template <class Work>
void timeRuns(benchmark::State& state, Runs& runs, Work&& work) {
  for (auto _ : state) {
    const std::clock_t cpuStart = std::clock();
    const auto start = std::chrono::steady_clock::now();
    work();
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    runs.cpuMs.push_back(static_cast<double>(std::clock() - cpuStart) * 1000.0 / CLOCKS_PER_SEC);
    runs.ms.push_back(seconds * 1000.0);
    state.SetIterationTime(seconds);
  }
}

class SilentMessages : public platform::MessageSeam {
 public:
  int show(const char*, const char*, unsigned) override { return platform::kAnswerOk; }
};

void BM_ReadWideKey(benchmark::State& state) {
  initMemoryPool();
  initSnapshotStores();
  platform::MemoryRegistry reg;
  for (const std::string& name : valueNames()) reg.putValue(kWideKey, name, kRegDword, "\x01\x00\x00\x00");
  SilentMessages messages;
  platform::setMessageSeam(&messages);
  platform::setRegistrySeam(&reg);
  const ReaderOptions options;
  int64_t values = 0;
  timeRuns(state, readRuns, [&] {
    clearBaselineStore();  // every run is a first read, not a comparison
    readRegistry(options);
    values = currentStore().counts.valueCount;
  });
  state.counters["values"] = static_cast<double>(values);
  platform::setRegistrySeam(nullptr);
  platform::setMessageSeam(nullptr);
  initSnapshotStores();
}
BENCHMARK(BM_ReadWideKey)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);

// Fills `store` with the roots and one key below HKEY_LOCAL_MACHINE holding `names`
// (with data `dataOf(i)`), in name order, each after the one before.
template <class DataOf>
void fillWideKey(SnapshotStore& store, const std::vector<std::string>& names, DataOf&& dataOf) {
  resetStore(store, true);
  const ItemIndex key = addKey(store, 3, kNoItem, "SharedDLLs");
  ItemIndex previous = kNoItem;
  for (size_t i = 0; i < names.size(); ++i) {
    const uint32_t data = dataOf(i);
    const ItemIndex value = addValueAfter(store, key, previous, names[i].c_str());
    previous = value;
    assignValueData(store, value, reinterpret_cast<const uint8_t*>(&data), 4, kRegDword, true);
  }
}

void BM_CompareWideKey(benchmark::State& state) {
  initMemoryPool();
  auto baseline = std::make_unique<SnapshotStore>();
  auto current = std::make_unique<SnapshotStore>();
  initStore(*baseline);
  initStore(*current);
  const std::vector<std::string> names = namesInStoreOrder();
  fillWideKey(*baseline, names, [](size_t) { return 1u; });
  // Every 20th value deleted, every 20th (another) changed, 5,000 added between the rest.
  std::vector<std::string> now;
  std::vector<uint32_t> nowData;
  for (size_t i = 0; i < names.size(); ++i) {
    if (i % 20 == 3) continue;
    now.push_back(names[i]);
    nowData.push_back(i % 20 == 7 ? 2u : 1u);
    if (i % 20 == 11) {
      now.push_back(names[i] + ".new");
      nowData.push_back(1u);
    }
  }
  fillWideKey(*current, now, [&](size_t i) { return nowData[i]; });
  const CompareOptions options;
  int64_t changes = 0;
  timeRuns(state, compareRuns, [&] {
    compareStores(*current, *baseline, -1, options);
    changes = takeStatusCounts(*current, options.keysOnly).changes();
  });
  state.counters["changes"] = static_cast<double>(changes);
  destroyStore(*current);
  destroyStore(*baseline);
}
BENCHMARK(BM_CompareWideKey)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(7);

void BM_SearchWideKey(benchmark::State& state) {
  initMemoryPool();
  auto store = std::make_unique<SnapshotStore>();
  initStore(*store);
  const std::vector<std::string> names = namesInStoreOrder();
  fillWideKey(*store, names, [](size_t) { return 1u; });
  SearchEntry entry{};
  std::strcpy(entry.text, ".dll");
  entry.flags = SEARCH_VALUE_NAME | SEARCH_PARTIAL | SEARCH_BATCH;
  bench::QuietSearchDisplay display;
  int64_t hits = 0;
  timeRuns(state, searchRuns, [&] {
    searchResultState() = SEARCH_STATE_STARTING;
    runSearch(*store, entry, kNoItem, false, 0, VIEW_STATE_BASELINE_ONLY, display);
    hits = countMarkedLines(*store);
  });
  state.counters["lines"] = static_cast<double>(hits);
  destroyStore(*store);
}
BENCHMARK(BM_SearchWideKey)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);

using bench::median;

}  // namespace

int main(int argc, char** argv) {
  if (!bench::runRegisteredBenchmarks(&argc, argv)) return 1;
  if (!readRuns.ms.empty()) {
    std::printf("figure reader.values_100000_ms %.1f ms\n", median(readRuns.ms));
    std::printf("figure reader.values_100000_cpu_ms %.1f ms\n", median(readRuns.cpuMs));
  }
  if (!compareRuns.ms.empty()) {
    std::printf("figure compare.values_100000_ms %.1f ms\n", median(compareRuns.ms));
    std::printf("figure compare.values_100000_cpu_ms %.1f ms\n", median(compareRuns.cpuMs));
  }
  if (!searchRuns.ms.empty()) {
    std::printf("figure search.values_100000_ms %.1f ms\n", median(searchRuns.ms));
    std::printf("figure search.values_100000_cpu_ms %.1f ms\n", median(searchRuns.cpuMs));
  }
  return 0;
}
