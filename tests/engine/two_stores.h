// Fixture for tests that compare two stand-alone stores (current and baseline, the
// five roots in each) filled from backslash paths with the real comparison engine.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "engine/comparison.h"
#include "engine/memory_pool.h"
#include "engine/snapshot_store.h"
#include "tests/engine/store_test_support.h"

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
    const ItemIndex at = store_test::keyAtPath(store, path, true);
    if (state != STATE_NORMAL) keyRecord(store, at).state = state;
    return at;
  }
  static ItemIndex find(SnapshotStore& store, const std::string& path) {
    return store_test::keyAtPath(store, path);
  }
  static ItemIndex value(SnapshotStore& store, const std::string& keyPath, const char* name,
                         const std::string& data, uint32_t type = kRegSz, bool keep = true) {
    return store_test::addValueWithData(store, key(store, keyPath), name, data, type, keep);
  }
  void both(const std::string& path) { key(cur(), path), key(base(), path); }
  uint8_t compare(const CompareOptions& options = {}) { return compareStores(cur(), base(), -1, options); }

 private:
  SnapshotStore stores_[2];
};

}  // namespace two_stores
