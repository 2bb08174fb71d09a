// Filling a snapshot store the way a registry read does: keys depth-first in
// enumeration order (each subkey list already sorted, the previous sibling as hint),
// values in creation order, data kept as length and digest only. The registry is a
// synthetic one of 700,000 keys and 1,200,000 values with realistic name lengths.
//
// Prints, besides Google Benchmark's table:
//   figure store.ns_per_item <ns> ns      fill time per key or value (median run)
//   figure store.bytes_per_item <B> B     allocator bytes in use per item
//   figure store.total_mb <MB> MB         allocator bytes in use (MiB)
//   figure store.two_readings_peak_mb <MB> MB   allocator bytes in use (MiB) with two
//                                         readings held at once, value data kept whole
//                                         in realistic sizes (most values a number or a
//                                         short text, a few binary blobs of kilobytes)
#include <benchmark/benchmark.h>

#include "benchmarks/bench_main.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "engine/memory_pool.h"
#include "engine/snapshot_store.h"

namespace {

constexpr int kKeyTotal = 700000;  // the five roots included
constexpr int kValueTotal = 1200000;
constexpr uint32_t kDataBytes = 1u << 20;

struct SyntheticValue {
  std::string name;
  uint32_t type;
  uint32_t dataOffset;
  uint32_t dataLength;
};

struct SyntheticKey {
  std::string name;
  std::vector<int> children;  // sorted in name order, as the registry enumerates them
  std::vector<int> values;    // creation order
};

struct SyntheticRegistry {
  std::vector<SyntheticKey> keys;
  std::vector<SyntheticValue> values;
  std::vector<uint8_t> data;
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

std::string guidName(std::mt19937& rng) {
  static const char kHex[] = "0123456789ABCDEF";
  std::uniform_int_distribution<int> digit(0, 15);
  std::string name = "{00000000-0000-0000-0000-000000000000}";
  for (char& c : name) {
    if (c == '0') c = kHex[digit(rng)];
  }
  return name;
}

SyntheticRegistry makeRegistry() {
  SyntheticRegistry reg;
  std::mt19937 rng(20240601);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  reg.keys.resize(kKeyTotal);
  for (int root = 0; root < kRootKeyCount; ++root) reg.keys[root].name = kRootKeyNames[root];

  // Shape: most keys hang below a recently made key (deep, narrow branches), some
  // below a few wide "hub" keys (like CLSID or Interface), the rest anywhere.
  std::vector<int> hubs;
  for (int key = kRootKeyCount; key < kKeyTotal; ++key) {
    int parent;
    const double roll = unit(rng);
    if (key < 200) {
      parent = std::uniform_int_distribution<int>(0, key - 1)(rng);
    } else if (roll < 0.25 && !hubs.empty()) {
      parent = hubs[std::uniform_int_distribution<size_t>(0, hubs.size() - 1)(rng)];
    } else if (roll < 0.85) {
      parent = key - 1 - std::uniform_int_distribution<int>(0, 40)(rng);
    } else {
      parent = std::uniform_int_distribution<int>(0, key - 1)(rng);
    }
    if (key % 50000 == 100) hubs.push_back(key - 50);
    reg.keys[parent].children.push_back(key);
    reg.keys[key].name = unit(rng) < 0.12 ? guidName(rng) : randomName(rng, 8, 40);
  }
  for (SyntheticKey& key : reg.keys) {
    std::sort(key.children.begin(), key.children.end(), [&](int a, int b) {
      return compareNames(reg.keys[a].name.c_str(), reg.keys[b].name.c_str()) < 0;
    });
  }

  // Values: clustered on some keys; names 0-30 bytes; data 0-96 bytes.
  reg.data.resize(kDataBytes);
  for (uint8_t& byte : reg.data) byte = static_cast<uint8_t>(rng());
  reg.values.resize(kValueTotal);
  std::uniform_int_distribution<int> anyKey(kRootKeyCount, kKeyTotal - 1);
  std::uniform_int_distribution<uint32_t> dataLength(0, 96);
  std::uniform_int_distribution<uint32_t> dataOffset(0, kDataBytes - 128);
  static const uint32_t kTypes[] = {kRegSz,    kRegSz, kRegSz,       kRegDword,
                                    kRegDword, 3,      kRegExpandSz, kRegMultiSz};
  for (int v = 0; v < kValueTotal; ++v) {
    int key = anyKey(rng);
    if (unit(rng) < 0.3) key = kRootKeyCount + (key - kRootKeyCount) / 16 * 16;
    SyntheticValue& value = reg.values[v];
    const bool isDefault = reg.keys[key].values.empty() && unit(rng) < 0.2;
    value.name = isDefault          ? std::string()
                 : unit(rng) < 0.05 ? guidName(rng)
                                    : randomName(rng, 1, 30);
    value.type = kTypes[std::uniform_int_distribution<size_t>(0, 7)(rng)];
    value.dataLength = value.type == kRegDword ? 4 : dataLength(rng);
    value.dataOffset = dataOffset(rng);
    reg.keys[key].values.push_back(v);
  }
  return reg;
}

// The read as a flat script in enumeration order, names packed in one buffer, so the
// benchmark measures the store and not scattered look-ups in the synthetic tree.
struct Step {
  int32_t depth;  // keys: the new key's depth; values: the owning key's depth
  uint32_t nameOffset;
  uint32_t type;  // values only; kNoType for keys
  uint32_t dataOffset;
  uint32_t dataLength;
};
constexpr uint32_t kNoType = 0xFFFFFFFFu;

struct Script {
  std::vector<Step> steps;
  std::vector<char> names;
  std::vector<uint8_t> data;
  int maxDepth = 0;
};

uint32_t appendName(Script& script, const std::string& name) {
  const uint32_t offset = static_cast<uint32_t>(script.names.size());
  script.names.insert(script.names.end(), name.begin(), name.end());
  script.names.push_back('\0');
  return offset;
}

Script makeScript(const SyntheticRegistry& reg) {
  Script script;
  script.data = reg.data;
  struct Frame {
    int source;
    size_t next;
  };
  std::vector<Frame> stack;
  auto addValueSteps = [&](int source, int depth) {
    for (int v : reg.keys[source].values) {
      const SyntheticValue& value = reg.values[v];
      script.steps.push_back(
          {depth, appendName(script, value.name), value.type, value.dataOffset, value.dataLength});
    }
  };
  for (int root = 0; root < kRootKeyCount; ++root) {
    script.steps.push_back({0, appendName(script, reg.keys[root].name), kNoType, 0, 0});
    addValueSteps(root, 0);
    stack.push_back({root, 0});
    while (!stack.empty()) {
      Frame& frame = stack.back();
      const std::vector<int>& children = reg.keys[frame.source].children;
      if (frame.next == children.size()) {
        stack.pop_back();
        continue;
      }
      const int child = children[frame.next++];
      const int depth = static_cast<int>(stack.size());
      script.maxDepth = std::max(script.maxDepth, depth);
      script.steps.push_back({depth, appendName(script, reg.keys[child].name), kNoType, 0, 0});
      addValueSteps(child, depth);
      stack.push_back({child, 0});
    }
  }
  return script;
}

// Replays the script: each key under the current key of the depth above, with the
// previously made sibling as hint.
void fillStore(SnapshotStore& store, const Script& script, bool keepData = false) {
  resetStore(store, true);
  std::vector<ItemIndex> keyAt(static_cast<size_t>(script.maxDepth) + 1, kNoItem);
  std::vector<ItemIndex> lastChildAt(static_cast<size_t>(script.maxDepth) + 1, kNoItem);
  ItemIndex nextRoot = 0;
  for (const Step& step : script.steps) {
    const char* name = script.names.data() + step.nameOffset;
    const size_t depth = static_cast<size_t>(step.depth);
    if (step.type != kNoType) {
      const ItemIndex value = addValue(store, keyAt[depth], name);
      assignValueData(store, value, script.data.data() + step.dataOffset, step.dataLength,
                      step.type, keepData);
    } else if (depth == 0) {
      keyAt[0] = nextRoot++;  // the roots come with the reset
      lastChildAt[0] = kNoItem;
    } else {
      const ItemIndex key = addKey(store, keyAt[depth - 1], lastChildAt[depth - 1], name);
      lastChildAt[depth - 1] = key;
      keyAt[depth] = key;
      lastChildAt[depth] = kNoItem;
    }
  }
}

struct Figures {
  std::vector<double> nsPerItem;
  uint64_t bytesInUse = 0;
  int64_t items = 0;
};
Figures figures;

void BM_FillStore(benchmark::State& state) {
  initMemoryPool();
  static const Script script = makeScript(makeRegistry());
  auto store = std::make_unique<SnapshotStore>();
  for (auto _ : state) {
    const uint64_t before = memoryPoolStats().bytesInUse;
    initStore(*store);
    const auto start = std::chrono::steady_clock::now();
    fillStore(*store, script);
    const auto stop = std::chrono::steady_clock::now();
    const double seconds = std::chrono::duration<double>(stop - start).count();
    state.SetIterationTime(seconds);
    figures.items = static_cast<int64_t>(store->counts.keyCount) + store->counts.valueCount;
    figures.bytesInUse = memoryPoolStats().bytesInUse - before;
    figures.nsPerItem.push_back(seconds * 1e9 / static_cast<double>(figures.items));
    destroyStore(*store);
  }
  state.counters["items"] = static_cast<double>(figures.items);
  state.counters["MiB"] = static_cast<double>(figures.bytesInUse) / (1024.0 * 1024.0);
}
BENCHMARK(BM_FillStore)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);

// The script with data lengths as a registry holds them: a third numbers, most of the
// rest short texts, some binary data of a few hundred bytes, one value in 300 a blob
// of kilobytes; about 120 bytes a value on average.
Script withRealisticData(Script script) {
  std::mt19937 rng(20261207);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  constexpr uint32_t kLargest = 32768;
  script.data.resize(kDataBytes + kLargest);
  for (uint8_t& byte : script.data) byte = static_cast<uint8_t>(rng());
  std::uniform_int_distribution<uint32_t> offset(0, kDataBytes - 1);
  for (Step& step : script.steps) {
    if (step.type == kNoType) continue;
    const double roll = unit(rng);
    if (step.type == kRegDword) {
      step.dataLength = 4;
    } else if (roll < 0.0033) {
      step.dataLength = std::uniform_int_distribution<uint32_t>(1024, kLargest)(rng);
    } else if (step.type == kRegSz || step.type == kRegExpandSz || step.type == kRegMultiSz) {
      step.dataLength = std::uniform_int_distribution<uint32_t>(2, 160)(rng);
    } else {
      step.dataLength = std::uniform_int_distribution<uint32_t>(8, 400)(rng);
    }
    step.dataOffset = offset(rng);
  }
  return script;
}

std::vector<double> twoReadingsPeakMb;

// Two readings held at once (the baseline and the current snapshot), data kept.
void BM_TwoReadingsWithData(benchmark::State& state) {
  initMemoryPool();
  static const Script script = withRealisticData(makeScript(makeRegistry()));
  auto first = std::make_unique<SnapshotStore>();
  auto second = std::make_unique<SnapshotStore>();
  for (auto _ : state) {
    const uint64_t before = memoryPoolStats().bytesInUse;
    const auto start = std::chrono::steady_clock::now();
    initStore(*first);
    initStore(*second);
    fillStore(*first, script, true);
    fillStore(*second, script, true);
    state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    twoReadingsPeakMb.push_back(static_cast<double>(memoryPoolStats().bytesInUse - before) / (1024.0 * 1024.0));
    destroyStore(*second);
    destroyStore(*first);
  }
  state.counters["MiB"] = twoReadingsPeakMb.empty() ? 0.0 : twoReadingsPeakMb.back();
}
BENCHMARK(BM_TwoReadingsWithData)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
  if (!bench::runRegisteredBenchmarks(&argc, argv)) return 1;
  if (figures.nsPerItem.empty() || figures.items == 0) return 0;
  std::vector<double> runs = figures.nsPerItem;
  std::sort(runs.begin(), runs.end());
  std::printf("figure store.ns_per_item %.1f ns\n", runs[runs.size() / 2]);
  std::printf("figure store.bytes_per_item %.1f B\n",
              static_cast<double>(figures.bytesInUse) / static_cast<double>(figures.items));
  std::printf("figure store.total_mb %.1f MB\n",
              static_cast<double>(figures.bytesInUse) / (1024.0 * 1024.0));
  if (!twoReadingsPeakMb.empty()) {
    std::printf("figure store.two_readings_peak_mb %.1f MB\n", twoReadingsPeakMb.back());
  }
  return 0;
}
