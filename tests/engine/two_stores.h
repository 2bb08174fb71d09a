// Fixture for tests that compare two stand-alone stores (current and baseline, the
// five roots in each) filled from backslash paths with the real comparison engine.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "engine/comparison.h"
#include "engine/memory_pool.h"
#include "engine/snapshot_store.h"

namespace two_stores {

class TwoStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    initMemoryPool();
    for (SnapshotStore* store : {&cur(), &base()}) initStore(*store), resetStore(*store, true);
  }
  void TearDown() override { destroyStore(cur()), destroyStore(base()); }

  SnapshotStore& cur() { return stores_[0]; }
  SnapshotStore& base() { return stores_[1]; }

  // The key of a path in `store`, made where missing; -1 from find() when missing.
  static ItemIndex key(SnapshotStore& store, const std::string& path, uint8_t state = STATE_NORMAL) {
    ItemIndex at = kNoItem;
    for (size_t start = 0, end = 0; end != std::string::npos; start = end + 1) {
      end = path.find('\\', start);
      const std::string name = path.substr(start, end == std::string::npos ? end : end - start);
      const ItemIndex found = findChild(store, at, name.c_str(), false);
      at = found >= 0 ? found : addKey(store, at, kNoItem, name.c_str());
    }
    if (state != STATE_NORMAL) keyRecord(store, at).state = state;
    return at;
  }
  static ItemIndex find(SnapshotStore& store, const std::string& path) {
    ItemIndex at = kNoItem;
    for (size_t start = 0, end = 0; end != std::string::npos; start = end + 1) {
      end = path.find('\\', start);
      at = findChild(store, at, path.substr(start, end == std::string::npos ? end : end - start).c_str(), false);
      if (at < 0) return kNoItem;
    }
    return at;
  }
  static ItemIndex value(SnapshotStore& store, const std::string& keyPath, const char* name,
                         const std::string& data, uint32_t type = kRegSz, bool keep = true) {
    const ItemIndex made = addValue(store, key(store, keyPath), name);
    assignValueData(store, made, reinterpret_cast<const uint8_t*>(data.data()),
                    static_cast<uint32_t>(data.size()), type, keep);
    return made;
  }
  void both(const std::string& path) { key(cur(), path), key(base(), path); }
  uint8_t compare(const CompareOptions& options = {}) { return compareStores(cur(), base(), -1, options); }

 private:
  SnapshotStore stores_[2];
};

}  // namespace two_stores
