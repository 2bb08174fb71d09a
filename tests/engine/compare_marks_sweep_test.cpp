// Clearing the marks of every root by sweeping the record blocks must leave exactly
// what the tree walk leaves, and the counts swept from the blocks must equal counts
// taken along the tree.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "engine/store_walk.h"
#include "tests/engine/two_stores.h"

namespace {

const char* const kNames[] = {"a", "B", "c", "D", "e"};

class CompareMarksSweepTest : public two_stores::TwoStoreTest {
 protected:
  // Random keys three levels deep with values; each side drops or changes some.
  void fillRandom(std::mt19937& rng) {
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<uint32_t>(n)); };
    for (int i = 0; i < 60; ++i) {
      std::string path = "HKEY_CURRENT_USER";
      for (int depth = pick(3); depth >= 0; --depth) path += std::string("\\") + kNames[pick(5)];
      const int side = pick(6);  // 0: baseline only, 1: current only, 2: data differ
      const std::string name = kNames[pick(5)];
      if (side != 1) value(base(), path, name.c_str(), "old");
      if (side != 0) value(cur(), path, name.c_str(), side == 2 ? "new" : "old");
    }
  }
  // Every key and value of the current store with its marks, in tree order.
  std::vector<std::string> dump() {
    std::vector<std::string> lines;
    store_walk::walkAllKeys(cur(), [&](ItemIndex k) {
      const KeyRecord& r = keyRecord(cur(), k);
      lines.push_back(buildItemPath(cur(), k, 0) + " " + std::to_string(r.state) + "/" +
                      std::to_string(r.savedState) + "/" + std::to_string(r.summary) + "/" +
                      std::to_string(r.treeItem));
      store_walk::forEachValue(cur(), k, [&](ItemIndex v, ValueRecord& w) {
        lines.push_back(store_walk::valueNameOrEmpty(cur(), v) + std::string(" ") +
                        std::to_string(w.state) + "/" + std::to_string(w.treeItem));
      });
      return true;
    });
    return lines;
  }
};

TEST_F(CompareMarksSweepTest, SweepLeavesWhatTheWalkLeavesAndCountsMatchTheTree) {
  for (uint32_t seed = 1; seed <= 40; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    TearDown();
    SetUp();
    std::mt19937 rng(seed);
    fillRandom(rng);
    const std::vector<std::string> fresh = dump();
    CompareOptions options;
    options.showDeletedContents = seed % 2 == 0;
    compare(options);

    StatusCounts walked{};
    store_walk::walkAllKeys(cur(), [&](ItemIndex k) {
      walked.addedKeys += keyRecord(cur(), k).state == STATE_ADDED;
      walked.deletedKeys += keyRecord(cur(), k).state == STATE_DELETED;
      store_walk::forEachValue(cur(), k, [&](ItemIndex, ValueRecord& w) {
        walked.changedValues += w.state == STATE_DATA_CHANGED;
        walked.deletedValues += w.state == STATE_VALUE_DELETED;
        walked.values += w.state != STATE_VALUE_DELETED;
      });
      return true;
    });
    const StatusCounts swept = takeStatusCounts(cur(), false);
    EXPECT_EQ(swept.addedKeys, walked.addedKeys);
    EXPECT_EQ(swept.deletedKeys, walked.deletedKeys);
    EXPECT_EQ(swept.changedValues, walked.changedValues);
    EXPECT_EQ(swept.deletedValues, walked.deletedValues);
    EXPECT_EQ(swept.values, walked.values);

    for (ItemIndex k = 0; k < cur().counts.keyCount; ++k) keyRecord(cur(), k).treeItem = 9;
    clearAllCompareMarks(cur());
    EXPECT_EQ(dump(), fresh);
    EXPECT_EQ(takeStatusCounts(cur(), false).changes(), 0);
    if (HasFailure()) return;
  }
}

// A key holding a ghost value without its structure mark (a snapshot saved by another
// writer) still loses the ghost: the sweep falls back to the walk.
TEST_F(CompareMarksSweepTest, GhostValueOfAnUnmarkedKeyIsRemoved) {
  value(base(), "HKEY_CURRENT_USER\\k", "gone", "x");
  value(cur(), "HKEY_CURRENT_USER\\k", "kept", "x");
  value(base(), "HKEY_CURRENT_USER\\k", "kept", "x");
  compare();
  const ItemIndex k = find(cur(), "HKEY_CURRENT_USER\\k");
  ASSERT_EQ(keyRecord(cur(), k).valueCount, 2);
  keyRecord(cur(), k).summary = 0;
  clearAllCompareMarks(cur());
  EXPECT_EQ(keyRecord(cur(), k).valueCount, 1);
  EXPECT_EQ(takeStatusCounts(cur(), false).deletedValues, 0);
}

}  // namespace
