// Saving and opening a snapshot file of a large registry: 700,000 keys and 1,200,000
// values with realistic name lengths, data kept as length and digest only (the
// default), written with writeSnapshotFile and opened as baseline with
// loadBaselineFile (reading, relocation, every check, sorting and summaries).
//
// Prints, besides Google Benchmark's table:
//   figure files.save_s <s> s      writing the file (median run)
//   figure files.load_s <s> s      opening it as baseline (median run)
//   figure files.save_cpu_s <s> s  processor time of the save (median run)
//   figure files.load_cpu_s <s> s  processor time of the load (median run)
//   figure files.size_mb <MB> MB   size of the file (MiB)
#include <benchmark/benchmark.h>

#include "benchmarks/bench_main.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <system_error>
#include <vector>

#include "engine/memory_pool.h"
#include "engine/snapshot_file.h"
#include "engine/snapshot_store.h"
#include "platform/message_box.h"

namespace {

constexpr int kKeyTotal = 700000;  // the five roots included
constexpr int kValueTotal = 1200000;

struct SyntheticKey {
  std::string name;
  std::vector<int> children;  // sorted in name order, as the registry enumerates them
  std::vector<int> values;
};

std::string randomName(std::mt19937& rng, int minLength, int maxLength) {
  static const char kChars[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyzabcdefghijklmnopqrstuvwxyz0123456789 _.-";
  std::uniform_int_distribution<int> length(minLength, maxLength);
  std::uniform_int_distribution<size_t> pick(0, sizeof kChars - 2);
  std::string name(static_cast<size_t>(length(rng)), ' ');
  for (char& c : name) c = kChars[pick(rng)];
  return name;
}

// A registry-shaped tree: mostly deep narrow branches below recent keys, some keys
// below anything; values clustered on some keys, a few of them default values.
std::vector<SyntheticKey> makeRegistry(std::vector<std::string>& valueNames) {
  std::mt19937 rng(20240602);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  std::vector<SyntheticKey> keys(kKeyTotal);
  for (int root = 0; root < kRootKeyCount; ++root) keys[root].name = kRootKeyNames[root];
  for (int key = kRootKeyCount; key < kKeyTotal; ++key) {
    int parent;
    if (key < 200 || unit(rng) >= 0.85) {
      parent = std::uniform_int_distribution<int>(0, key - 1)(rng);
    } else {
      parent = key - 1 - std::uniform_int_distribution<int>(0, std::min(40, key - 1))(rng);
    }
    keys[parent].children.push_back(key);
    keys[key].name = randomName(rng, 8, 40);
  }
  for (SyntheticKey& key : keys) {
    std::sort(key.children.begin(), key.children.end(), [&](int a, int b) {
      return compareNames(keys[a].name.c_str(), keys[b].name.c_str()) < 0;
    });
  }
  valueNames.resize(kValueTotal);
  std::uniform_int_distribution<int> anyKey(kRootKeyCount, kKeyTotal - 1);
  for (int v = 0; v < kValueTotal; ++v) {
    int key = anyKey(rng);
    if (unit(rng) < 0.3) key = kRootKeyCount + (key - kRootKeyCount) / 16 * 16;
    valueNames[v] =
        keys[key].values.empty() && unit(rng) < 0.2 ? std::string() : randomName(rng, 1, 30);
    keys[key].values.push_back(v);
  }
  return keys;
}

// Fills the current store depth-first in enumeration order.
void fillCurrentStore() {
  std::vector<std::string> valueNames;
  const std::vector<SyntheticKey> keys = makeRegistry(valueNames);
  SnapshotStore& store = currentStore();
  resetCurrentStore(true);
  std::mt19937 rng(7);
  uint8_t data[64];
  for (uint8_t& byte : data) byte = static_cast<uint8_t>(rng());
  struct Frame {
    int source;
    ItemIndex key;
    size_t next;
    ItemIndex lastChild;
  };
  std::vector<Frame> stack;
  auto addValues = [&](int source, ItemIndex key) {
    for (int v : keys[source].values) {
      const ItemIndex value = addValue(store, key, valueNames[v].c_str());
      assignValueData(store, value, data, static_cast<uint32_t>(v % 64), kRegSz, false);
    }
  };
  for (int root = 0; root < kRootKeyCount; ++root) {
    addValues(root, root);
    stack.push_back({root, root, 0, kNoItem});
    while (!stack.empty()) {
      Frame& frame = stack.back();
      const std::vector<int>& children = keys[frame.source].children;
      if (frame.next == children.size()) {
        stack.pop_back();
        continue;
      }
      const int child = children[frame.next++];
      const ItemIndex key = addKey(store, frame.key, frame.lastChild, keys[child].name.c_str());
      frame.lastChild = key;
      addValues(child, key);
      stack.push_back({child, key, 0, kNoItem});
    }
  }
  recomputeSizes(store, 0);
}

class SilentMessages : public platform::MessageSeam {
 public:
  int show(const char*, const char*, unsigned) override { return platform::kAnswerOk; }
};

struct Figures {
  std::vector<double> saveSeconds;
  std::vector<double> loadSeconds;
  std::vector<double> saveCpuSeconds;
  std::vector<double> loadCpuSeconds;
  uint64_t fileBytes = 0;
};
Figures figures;

std::string snapshotPath() {
  return (std::filesystem::temp_directory_path() / "kestrin_files_bench.rsv").string();
}

void prepare() {
  static bool ready = false;
  if (ready) return;
  initMemoryPool();
  initSnapshotStores();
  fillCurrentStore();
  ready = true;
}

// Wall seconds of `work`; its processor seconds go to `cpuSeconds`.
template <class Work>
double timed(std::vector<double>& cpuSeconds, Work&& work) {
  const std::clock_t cpuStart = std::clock();
  const auto start = std::chrono::steady_clock::now();
  work();
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  cpuSeconds.push_back(static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC);
  return seconds;
}

void BM_SaveSnapshot(benchmark::State& state) {
  prepare();
  const std::string path = snapshotPath();
  for (auto _ : state) {
    bool written = false;
    const double seconds = timed(figures.saveCpuSeconds, [&] { written = writeSnapshotFile(path.c_str(), 1, {}); });
    if (!written) state.SkipWithError("the snapshot file could not be written");
    state.SetIterationTime(seconds);
    figures.saveSeconds.push_back(seconds);
  }
  std::error_code error;
  figures.fileBytes = std::filesystem::file_size(path, error);
}
BENCHMARK(BM_SaveSnapshot)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);

void BM_LoadSnapshot(benchmark::State& state) {
  prepare();
  SilentMessages messages;
  platform::setMessageSeam(&messages);
  const std::string path = snapshotPath();
  for (auto _ : state) {
    bool loaded = false;
    const double seconds = timed(figures.loadCpuSeconds, [&] { loaded = loadBaselineFile(path.c_str(), {}).loaded; });
    if (!loaded) state.SkipWithError("the snapshot file could not be loaded");
    state.SetIterationTime(seconds);
    figures.loadSeconds.push_back(seconds);
  }
  state.counters["keys"] = static_cast<double>(baselineStore().counts.keyCount);
  state.counters["values"] = static_cast<double>(baselineStore().counts.valueCount);
  platform::setMessageSeam(nullptr);
}
BENCHMARK(BM_LoadSnapshot)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);

using bench::median;

}  // namespace

int main(int argc, char** argv) {
  if (!bench::runRegisteredBenchmarks(&argc, argv)) return 1;
  std::remove(snapshotPath().c_str());
  if (figures.saveSeconds.empty() || figures.loadSeconds.empty()) return 0;
  std::printf("figure files.save_s %.3f s\n", median(figures.saveSeconds));
  std::printf("figure files.load_s %.3f s\n", median(figures.loadSeconds));
  std::printf("figure files.save_cpu_s %.3f s\n", median(figures.saveCpuSeconds));
  std::printf("figure files.load_cpu_s %.3f s\n", median(figures.loadCpuSeconds));
  std::printf("figure files.size_mb %.1f MB\n",
              static_cast<double>(figures.fileBytes) / (1024.0 * 1024.0));
  return 0;
}
