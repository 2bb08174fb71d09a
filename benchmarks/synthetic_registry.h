// A synthetic registry of 700,000 keys and 1,200,000 values for the benchmarks, a
// second version of it with a chosen number of changes, and filling a store from
// either in enumeration order. The same seed gives the same registry on every run.
#pragma once

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "engine/snapshot_store.h"

namespace synthetic {

constexpr int kKeyTotal = 700000;  // the five roots included
constexpr int kValueTotal = 1200000;
constexpr uint32_t kDataBytes = 1u << 20;

// How many items a second snapshot changes.
struct ChangeMix {
  int changedValues;
  int deletedValues;
  int addedValues;
  int deletedKeys;
  int addedKeys;
};

struct SyntheticValue {
  std::string name;
  uint32_t type;
  uint32_t dataOffset;
  uint32_t dataLength;
};

struct SyntheticKey {
  std::string name;
  std::vector<int> children;  // in name order
  std::vector<int> values;    // creation order
};

struct SyntheticRegistry {
  std::vector<SyntheticKey> keys;
  std::vector<SyntheticValue> values;
  std::vector<uint8_t> data;
};

inline std::string randomName(std::mt19937& rng, int minLength, int maxLength) {
  static const char kChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789 _.-";
  std::uniform_int_distribution<int> length(minLength, maxLength);
  std::uniform_int_distribution<size_t> pick(0, sizeof kChars - 2);
  std::string name(static_cast<size_t>(length(rng)), ' ');
  for (char& c : name) c = kChars[pick(rng)];
  return name;
}

inline void sortChildren(SyntheticRegistry& reg, SyntheticKey& key) {
  std::sort(key.children.begin(), key.children.end(), [&](int a, int b) {
    return compareNames(reg.keys[static_cast<size_t>(a)].name.c_str(),
                        reg.keys[static_cast<size_t>(b)].name.c_str()) < 0;
  });
}

// Names carry their key's number, so siblings never share a name.
// `maxDepth` 0 lets branches grow as deep as they come (thousands of levels); a
// registry-like depth limit moves a key that would lie deeper up to the deepest
// allowed ancestor of its drawn parent.
inline SyntheticRegistry makeRegistry(std::mt19937& rng, int maxDepth = 0) {
  SyntheticRegistry reg;
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  reg.keys.resize(kKeyTotal);
  std::vector<int> parentOf(kKeyTotal, -1);
  std::vector<int> depthOf(kKeyTotal, 0);
  for (int root = 0; root < kRootKeyCount; ++root) reg.keys[static_cast<size_t>(root)].name = kRootKeyNames[root];
  for (int key = kRootKeyCount; key < kKeyTotal; ++key) {
    // Mostly below a recent key (narrow branches), sometimes anywhere (wide keys).
    int parent = unit(rng) < 0.8 ? key - 1 - std::uniform_int_distribution<int>(0, std::min(key - 1, 40))(rng)
                                 : std::uniform_int_distribution<int>(0, key - 1)(rng);
    while (maxDepth > 0 && depthOf[static_cast<size_t>(parent)] >= maxDepth) {
      parent = parentOf[static_cast<size_t>(parent)];
    }
    parentOf[static_cast<size_t>(key)] = parent;
    depthOf[static_cast<size_t>(key)] = depthOf[static_cast<size_t>(parent)] + 1;
    reg.keys[static_cast<size_t>(parent)].children.push_back(key);
    reg.keys[static_cast<size_t>(key)].name = randomName(rng, 4, 30) + std::to_string(key);
  }
  for (SyntheticKey& key : reg.keys) sortChildren(reg, key);

  reg.data.resize(kDataBytes);
  for (uint8_t& byte : reg.data) byte = static_cast<uint8_t>(rng());
  reg.values.resize(kValueTotal);
  static const uint32_t kTypes[] = {kRegSz, kRegSz, kRegSz, kRegDword, kRegDword, 3, kRegExpandSz, kRegMultiSz};
  for (int v = 0; v < kValueTotal; ++v) {
    const int key = std::uniform_int_distribution<int>(kRootKeyCount, kKeyTotal - 1)(rng);
    SyntheticValue& value = reg.values[static_cast<size_t>(v)];
    value.name = randomName(rng, 1, 24) + std::to_string(v);
    value.type = kTypes[std::uniform_int_distribution<size_t>(0, 7)(rng)];
    value.dataLength = value.type == kRegDword ? 4 : std::uniform_int_distribution<uint32_t>(1, 96)(rng);
    value.dataOffset = std::uniform_int_distribution<uint32_t>(0, kDataBytes - 128)(rng);
    reg.keys[static_cast<size_t>(key)].values.push_back(v);
  }
  return reg;
}

// Changes the items of `mix`, picked at random.
inline void changeItems(SyntheticRegistry& reg, std::mt19937& rng, const ChangeMix& mix) {
  std::uniform_int_distribution<int> anyKey(kRootKeyCount, kKeyTotal - 1);
  auto anyValueOf = [&](int* key) {
    for (;;) {
      *key = anyKey(rng);
      const auto& values = reg.keys[static_cast<size_t>(*key)].values;
      if (!values.empty()) return std::uniform_int_distribution<size_t>(0, values.size() - 1)(rng);
    }
  };
  for (int i = 0; i < mix.changedValues; ++i) {
    int key = 0;
    const size_t at = anyValueOf(&key);
    reg.values[static_cast<size_t>(reg.keys[static_cast<size_t>(key)].values[at])].dataOffset += 1;
  }
  for (int i = 0; i < mix.deletedValues; ++i) {
    int key = 0;
    const size_t at = anyValueOf(&key);
    auto& values = reg.keys[static_cast<size_t>(key)].values;
    values.erase(values.begin() + static_cast<std::ptrdiff_t>(at));
  }
  for (int i = 0; i < mix.addedValues; ++i) {
    reg.values.push_back(SyntheticValue{"added value " + std::to_string(i), kRegSz, 0, 16});
    reg.keys[static_cast<size_t>(anyKey(rng))].values.push_back(static_cast<int>(reg.values.size() - 1));
  }
  for (int i = 0; i < mix.deletedKeys;) {
    SyntheticKey& parent = reg.keys[static_cast<size_t>(anyKey(rng))];
    if (parent.children.empty()) continue;
    const size_t at = std::uniform_int_distribution<size_t>(0, parent.children.size() - 1)(rng);
    if (!reg.keys[static_cast<size_t>(parent.children[at])].children.empty()) continue;
    parent.children.erase(parent.children.begin() + static_cast<std::ptrdiff_t>(at));
    ++i;
  }
  for (int i = 0; i < mix.addedKeys; ++i) {
    reg.keys.push_back(SyntheticKey{"added key " + std::to_string(i), {}, {}});
    SyntheticKey& parent = reg.keys[static_cast<size_t>(anyKey(rng))];
    parent.children.push_back(static_cast<int>(reg.keys.size() - 1));
    sortChildren(reg, parent);
  }
}

// Fills a store depth-first in enumeration order, the previous sibling as hint.
inline void fillStore(SnapshotStore& store, const SyntheticRegistry& reg) {
  resetStore(store, true);
  struct Frame {
    int source;
    ItemIndex key;
    size_t next;
    ItemIndex lastChild;
  };
  auto addValues = [&](int source, ItemIndex key) {
    for (int v : reg.keys[static_cast<size_t>(source)].values) {
      const SyntheticValue& value = reg.values[static_cast<size_t>(v)];
      const ItemIndex made = addValue(store, key, value.name.c_str());
      assignValueData(store, made, reg.data.data() + value.dataOffset, value.dataLength, value.type,
                      true);
    }
  };
  std::vector<Frame> stack;
  for (int root = 0; root < kRootKeyCount; ++root) {
    addValues(root, root);
    stack.push_back({root, root, 0, kNoItem});
    while (!stack.empty()) {
      Frame& frame = stack.back();
      const std::vector<int>& children = reg.keys[static_cast<size_t>(frame.source)].children;
      if (frame.next == children.size()) {
        stack.pop_back();
        continue;
      }
      const int child = children[frame.next++];
      const ItemIndex key = addKey(store, frame.key, frame.lastChild, reg.keys[static_cast<size_t>(child)].name.c_str());
      frame.lastChild = key;
      addValues(child, key);
      stack.push_back({child, key, 0, kNoItem});
    }
  }
}

}  // namespace synthetic
