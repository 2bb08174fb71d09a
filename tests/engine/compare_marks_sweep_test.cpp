// Clearing all roots' marks, by a block sweep or root by root, restores the snapshot;
// the counts match the tree.
#include <random>
#include "engine/store_walk.h"
#include "tests/engine/two_stores.h"

using SweepTest = two_stores::TwoStoreTest;
TEST_F(SweepTest, ClearingRestoresTheSnapshotAndCountsMatchTheTree) {
  int64_t ghosts = 0;
  auto dump = [&](SnapshotStore& s) {  // key marks are all 0 in a snapshot without marks
    std::string o;
    store_walk::walkAllKeys(s, [&](ItemIndex k) {
      const KeyRecord& r = keyRecord(s, k);
      o += buildItemPath(s, k, 0) + std::to_string(r.state | r.summary | r.savedState | r.treeItem);
      store_walk::forEachValue(s, k, [&](ItemIndex v, ValueRecord& w) {
        o += store_walk::valueNameOrEmpty(s, v) + std::to_string(w.state);
        ghosts += w.state == STATE_VALUE_DELETED;
      });
      return true;
    });
    return o;
  };
  std::mt19937 rng(7);
  for (int i = 0; i < 400; ++i) {
    std::string path = "HKEY_CURRENT_USER";
    for (int depth = rng() % 4; depth >= 0; --depth) path += std::string("\\") + "aBcDe"[rng() % 5];
    const char name[2] = {"vWxYz"[rng() % 5], 0};
    const unsigned side = rng() % 6;  // 0: baseline only, 1: current only, 2: data differ
    if (side != 1) value(base(), path, name, "old");
    if (side != 0) value(cur(), path, name, side == 2 ? "new" : "old");
  }
  const std::string fresh = dump(cur());
  // 0: the sweep, 1: the sweep with ghost values in keys left unmarked, 2: root by root.
  for (int way = 0; way < 3; ++way) {
    compare(CompareOptions{false, true});
    ghosts = 0, dump(cur());
    EXPECT_EQ(takeStatusCounts(cur(), false).deletedValues, ghosts);
    for (ItemIndex k = 0; k < cur().counts.keyCount; ++k) keyRecord(cur(), k).treeItem = 9;
    for (ItemIndex k = 0; way == 1 && k < cur().counts.keyCount; ++k) keyRecord(cur(), k).summary = 0;
    if (way == 2) {
      for (ItemIndex root = 0; root >= 0;) root = clearCompareMarks(cur(), root);
    } else {
      clearAllCompareMarks(cur());
    }
    EXPECT_EQ(dump(cur()), fresh);
    EXPECT_EQ(takeStatusCounts(cur(), false).changes(), 0);
  }
}
