// Fixture for the listing and auto-check log tests: a baseline and a current store
// built from paths, compared by the real comparison engine, and a fixed header time.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "engine/view_state.h"
#include "tests/engine/two_stores.h"
#include "text/listings.h"

namespace listing_test {

class ListingTest : public two_stores::TwoStoreTest {
 protected:
  void SetUp() override {
    TwoStoreTest::SetUp();
    context = {VIEW_STATE_FILE_COMPARED, false, "before.rsv", "after.rsv", {2026, 3, 4, 5, 6, 7}};
  }
  using TwoStoreTest::value;
  static ItemIndex value(SnapshotStore& store, const std::string& keyPath, const char* name,
                         uint32_t type, const std::string& data, bool keep = true) {
    return TwoStoreTest::value(store, keyPath, name, data, type, keep);
  }
  void compare(bool keysOnly = false) { TwoStoreTest::compare({keysOnly, false}); }

  ListingContext context;
};

inline std::string text(const ListingText& listing) {
  return std::string(listing.text(), listing.length());
}

}  // namespace listing_test
