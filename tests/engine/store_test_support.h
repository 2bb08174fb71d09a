// Helpers for tests of the snapshot store: a fixture owning one stand-alone store and
// readers that turn its lists into plain vectors.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/memory_pool.h"
#include "engine/snapshot_store.h"

namespace store_test {

// The key of a path like "HKEY_LOCAL_MACHINE\\A\\B" in `store`, -1 when missing; with
// `make`, missing keys below the root are added.
inline ItemIndex keyAtPath(SnapshotStore& store, const std::string& path, bool make = false) {
  ItemIndex at = kNoItem;
  for (size_t start = 0, end = 0; end != std::string::npos; start = end + 1) {
    end = path.find('\\', start);
    const std::string name = path.substr(start, end == std::string::npos ? end : end - start);
    ItemIndex found = findChild(store, at, name.c_str(), false);
    if (found < 0 && make && at >= 0) found = addKey(store, at, kNoItem, name.c_str());
    if (found < 0) return kNoItem;
    at = found;
  }
  return at;
}

// A value of `key` with its data kept whole (digest only when `keep` is false).
inline ItemIndex addValueWithData(SnapshotStore& store, ItemIndex key, const char* name,
                                  const std::string& data, uint32_t type = kRegSz,
                                  bool keep = true) {
  const ItemIndex made = addValue(store, key, name);
  assignValueData(store, made, reinterpret_cast<const uint8_t*>(data.data()),
                  static_cast<uint32_t>(data.size()), type, keep);
  return made;
}

// Subkey names of `key` (-1: the roots, starting at key 0) in list order.
inline std::vector<std::string> childNames(SnapshotStore& store, ItemIndex key) {
  std::vector<std::string> names;
  ItemIndex at = key >= 0 ? keyRecord(store, key).firstChild : 0;
  for (; at >= 0; at = keyRecord(store, at).nextSibling) names.push_back(keyName(store, at));
  return names;
}

inline std::vector<ItemIndex> valueIndexes(SnapshotStore& store, ItemIndex key) {
  std::vector<ItemIndex> items;
  for (ItemIndex at = keyRecord(store, key).firstValue; at >= 0;) {
    items.push_back(at);
    const ValueRecord& value = valueRecord(store, at);
    if (value.flags & VF_LAST) break;
    at = value.next;
  }
  return items;
}

inline std::vector<std::string> valueNames(SnapshotStore& store, ItemIndex key) {
  std::vector<std::string> names;
  for (ItemIndex value : valueIndexes(store, key)) names.push_back(valueName(store, value));
  return names;
}

// The change counts as one line, for checking all five at once.
inline std::string changeCounts(const StatusCounts& c) {
  auto n = [](int64_t count) { return std::to_string(count); };
  return "keys +" + n(c.addedKeys) + " -" + n(c.deletedKeys) + ", values ~" + n(c.changedValues) +
         " +" + n(c.addedValues) + " -" + n(c.deletedValues);
}

// Length of a free list whose links are read by `next`.
template <typename Next>
int freeListLength(ItemIndex head, Next next) {
  int length = 0;
  for (ItemIndex at = head; at >= 0; at = next(at)) ++length;
  return length;
}

class StoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    initMemoryPool();
    holder_ = std::make_unique<SnapshotStore>();
    initStore(*holder_);
  }
  void TearDown() override { destroyStore(*holder_); }

  SnapshotStore& store() { return *holder_; }
  // A stand-alone store with the five roots.
  void addRoots() { resetStore(store(), true); }

 private:
  std::unique_ptr<SnapshotStore> holder_;
};

}  // namespace store_test
