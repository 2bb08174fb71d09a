// Fixture for the listing and auto-check log tests: a baseline and a current store
// built from paths, compared by the real comparison engine, and a fixed header time.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "engine/comparison.h"
#include "engine/memory_pool.h"
#include "engine/snapshot_store.h"
#include "engine/view_state.h"
#include "text/listings.h"

namespace listing_test {

class ListingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    initMemoryPool();
    for (auto* holder : {&current_, &baseline_}) {
      *holder = std::make_unique<SnapshotStore>();
      initStore(**holder);
      resetStore(**holder, true);
    }
    context.viewState = VIEW_STATE_FILE_COMPARED;
    context.baselineLabel = "before.rsv";
    context.comparisonLabel = "after.rsv";
    context.now = {2026, 3, 4, 5, 6, 7};
  }
  void TearDown() override {
    destroyStore(*current_);
    destroyStore(*baseline_);
  }

  SnapshotStore& cur() { return *current_; }
  SnapshotStore& base() { return *baseline_; }

  // The key of a backslash path in `store`, made where missing.
  static ItemIndex key(SnapshotStore& store, const std::string& path) {
    ItemIndex at = kNoItem;
    size_t start = 0;
    for (;;) {
      const size_t end = path.find('\\', start);
      const std::string name = path.substr(start, end == std::string::npos ? end : end - start);
      ItemIndex found = findChild(store, at, name.c_str(), false);
      if (found < 0) found = addKey(store, at, kNoItem, name.c_str());
      at = found;
      if (end == std::string::npos) return at;
      start = end + 1;
    }
  }
  static ItemIndex value(SnapshotStore& store, const std::string& keyPath, const char* name,
                         uint32_t type, const std::string& data, bool keep = true) {
    const ItemIndex made = addValue(store, key(store, keyPath), name);
    assignValueData(store, made, reinterpret_cast<const uint8_t*>(data.data()),
                    static_cast<uint32_t>(data.size()), type, keep);
    return made;
  }
  // The same value in both stores.
  void both(const std::string& keyPath, const char* name, uint32_t type, const std::string& data) {
    value(base(), keyPath, name, type, data);
    value(cur(), keyPath, name, type, data);
  }
  void compare(bool keysOnly = false) {
    CompareOptions options;
    options.keysOnly = keysOnly;
    compareStores(cur(), base(), -1, options);
  }

  ListingContext context;

 private:
  std::unique_ptr<SnapshotStore> current_;
  std::unique_ptr<SnapshotStore> baseline_;
};

inline std::string text(const ListingText& listing) {
  return std::string(listing.text(), listing.length());
}

}  // namespace listing_test
