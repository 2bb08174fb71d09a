// Fixture for the listing and auto-check log tests: a baseline and a current store
// built from paths, compared by the real comparison engine, and a fixed header time.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "engine/comparison.h"
#include "engine/memory_pool.h"
#include "engine/view_state.h"
#include "text/listings.h"

namespace listing_test {

class ListingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    initMemoryPool();
    for (SnapshotStore* store : {&cur(), &base()}) initStore(*store), resetStore(*store, true);
    context = {VIEW_STATE_FILE_COMPARED, false, "before.rsv", "after.rsv", {2026, 3, 4, 5, 6, 7}};
  }
  void TearDown() override { destroyStore(cur()), destroyStore(base()); }

  SnapshotStore& cur() { return stores_[0]; }
  SnapshotStore& base() { return stores_[1]; }

  // The key of a backslash path in `store`, made where missing.
  static ItemIndex key(SnapshotStore& store, const std::string& path) {
    ItemIndex at = kNoItem;
    for (size_t start = 0, end = 0; end != std::string::npos; start = end + 1) {
      end = path.find('\\', start);
      const std::string name = path.substr(start, end == std::string::npos ? end : end - start);
      const ItemIndex found = findChild(store, at, name.c_str(), false);
      at = found >= 0 ? found : addKey(store, at, kNoItem, name.c_str());
    }
    return at;
  }
  static ItemIndex value(SnapshotStore& store, const std::string& keyPath, const char* name,
                         uint32_t type, const std::string& data, bool keep = true) {
    const ItemIndex made = addValue(store, key(store, keyPath), name);
    assignValueData(store, made, reinterpret_cast<const uint8_t*>(data.data()),
                    static_cast<uint32_t>(data.size()), type, keep);
    return made;
  }
  void compare(bool keysOnly = false) { compareStores(cur(), base(), -1, {keysOnly, false}); }

  ListingContext context;

 private:
  SnapshotStore stores_[2];
};

inline std::string text(const ListingText& listing) {
  return std::string(listing.text(), listing.length());
}

}  // namespace listing_test
