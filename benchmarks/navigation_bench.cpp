// The item descriptions and the favourites on a large registry: the synthetic
// 700,000-key registry with a Windows layout added (three user SIDs, 3,000 uninstall
// entries, 1,500 services, 20,000 CLSIDs), marked with the shipped guide2kXp.txt and
// walked by every shipped favourite. Marking runs after every read, load and
// comparison, so it must stay small beside them.
//
// Prints, besides Google Benchmark's table:
//   figure navigation.guide_load_ms <ms> ms    loading the shipped guide file (median run)
//   figure navigation.mark_ms <ms> ms          marking the described items (median run)
//   figure navigation.marked <n> items         the items it marked
//   figure navigation.favourites_ms <ms> ms    opening all twenty shipped favourites' keys
#include <benchmark/benchmark.h>

#include "benchmarks/bench_main.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "benchmarks/synthetic_registry.h"
#include "engine/memory_pool.h"
#include "navigation/description_store.h"
#include "navigation/favourite_path.h"
#include "navigation/favourites_file.h"

namespace {

const std::string kResources = std::string(KESTRIN_SOURCE_DIR) + "/resources/";

std::vector<double> loadMs, markMs, favouriteMs;
int64_t marked = 0;

double since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

ItemIndex makePath(SnapshotStore& store, ItemIndex at, const std::string& path) {
  for (size_t start = 0; start <= path.size();) {
    const size_t end = std::min(path.find('\\', start), path.size());
    const std::string name = path.substr(start, end - start);
    const ItemIndex found = findChild(store, at, name.c_str(), false);
    at = found >= 0 ? found : addKey(store, at, kNoItem, name.c_str());
    start = end + 1;
  }
  return at;
}

void addWindowsLayout(SnapshotStore& store) {
  const std::string cv = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\";
  for (int i = 0; i < 3000; ++i) addValue(store, makePath(store, 3, cv + "Uninstall\\App" + std::to_string(i)), "DisplayName");
  for (int i = 0; i < 1500; ++i) addValue(store, makePath(store, 3, "SYSTEM\\CurrentControlSet\\Services\\Svc" + std::to_string(i)), "Start");
  for (int i = 0; i < 20000; ++i) {
    char guid[80];
    std::snprintf(guid, sizeof guid, "CLSID\\{%08X-0000-0000-0000-000000000000}\\InprocServer32", i);
    addValue(store, makePath(store, 0, guid), "");
  }
  for (int user = 1001; user <= 1003; ++user) {
    const std::string sid = "S-1-5-21-1-2-3-" + std::to_string(user);
    addValue(store, makePath(store, 4, sid + "\\Software\\Microsoft\\Windows\\CurrentVersion\\Run"), "App");
    makePath(store, 4, sid + "\\Environment");
  }
}

void BM_Navigation(benchmark::State& state) {
  initMemoryPool();
  auto store = std::make_unique<SnapshotStore>();
  initStore(*store);
  {
    std::mt19937 rng(20240602);
    synthetic::fillStore(*store, synthetic::makeRegistry(rng));
  }
  addWindowsLayout(*store);
  FavouriteList favourites;
  readFavouritesFile(kResources + kFavouritesFileName, &favourites);
  for (auto _ : state) {
    auto start = std::chrono::steady_clock::now();
    loadDescriptions(kResources + kGuideFileNameNt);
    loadMs.push_back(since(start));
    start = std::chrono::steady_clock::now();
    marked = markDescribedItems(*store);
    markMs.push_back(since(start));
    state.SetIterationTime(markMs.back() / 1000.0);
    start = std::chrono::steady_clock::now();
    for (const FavouriteLine& line : favourites.lines) findFavouriteKeys(*store, line.keyPath.c_str());
    favouriteMs.push_back(since(start));
  }
  releaseDescriptions();
  destroyStore(*store);
}
BENCHMARK(BM_Navigation)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(7);

using bench::median;

}  // namespace

int main(int argc, char** argv) {
  if (!bench::runRegisteredBenchmarks(&argc, argv)) return 1;
  if (markMs.empty()) return 0;
  std::printf("figure navigation.guide_load_ms %.2f ms\n", median(loadMs));
  std::printf("figure navigation.mark_ms %.1f ms\n", median(markMs));
  std::printf("figure navigation.marked %lld items\n", static_cast<long long>(marked));
  std::printf("figure navigation.favourites_ms %.2f ms\n", median(favouriteMs));
  return 0;
}
