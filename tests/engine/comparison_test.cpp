// The comparison of two stores: controlled keys and values, keys only, added and deleted
// subtrees, data that differ, and clearing the marks again.
#include "engine/comparison.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "engine/store_walk.h"
#include "tests/engine/store_test_support.h"
#include "tests/engine/two_stores.h"

namespace {

using store_test::changeCounts;

const std::string kSoft = "HKEY_LOCAL_MACHINE\\Soft";

class ComparisonTest : public two_stores::TwoStoreTest {
 protected:
  uint8_t compareAll() { return compare(options); }
  KeyRecord& rec(ItemIndex at) { return keyRecord(cur(), at); }
  ValueRecord& val(ItemIndex at) { return valueRecord(cur(), at); }

  CompareOptions options;
};

TEST_F(ComparisonTest, ControlledKeysAreNeitherAddedNorCompared) {
  key(cur(), kSoft + "\\NewRefused", STATE_REFUSED);
  key(cur(), kSoft + "\\Locked", STATE_REFUSED);
  key(base(), kSoft + "\\Locked\\WasInside");
  value(base(), kSoft + "\\Locked", "v", "x");
  // Unknown in the baseline: what is below it now is not "added".
  key(base(), kSoft + "\\WasLocked", STATE_REFUSED);
  key(cur(), kSoft + "\\WasLocked\\Readable");
  compareAll();
  EXPECT_EQ(rec(find(cur(), kSoft + "\\NewRefused")).state, STATE_REFUSED);
  EXPECT_EQ(rec(find(cur(), kSoft + "\\Locked")).firstChild, kNoItem);
  EXPECT_EQ(rec(find(cur(), kSoft + "\\WasLocked\\Readable")).state, STATE_NORMAL);
  const KeyRecord& soft = rec(find(cur(), kSoft));
  EXPECT_EQ(soft.state, STATE_NORMAL);
  EXPECT_EQ(soft.summary, SUM_CONTROLLED);
  EXPECT_EQ(takeStatusCounts(cur(), false).changes(), 0);
}

TEST_F(ComparisonTest, KeysOnlyIgnoresValuesUntilSwitchedOff) {
  value(base(), kSoft, "v", "before");
  const ItemIndex v = value(cur(), kSoft, "v", "after");
  value(cur(), kSoft, "added", "x");
  options.keysOnly = true;
  compareAll();
  EXPECT_EQ(val(v).state, STATE_DATA);
  EXPECT_EQ(rec(find(cur(), kSoft)).state, STATE_NORMAL);
  EXPECT_EQ(takeStatusCounts(cur(), true).changes(), 0);
  options.keysOnly = false;
  compareAll();
  EXPECT_EQ(val(v).state, STATE_DATA_CHANGED);
  EXPECT_EQ(rec(find(cur(), kSoft)).summary & (SUM_DATA_CHANGED | SUM_STRUCTURE_CHANGED),
            SUM_DATA_CHANGED | SUM_STRUCTURE_CHANGED);
}

TEST_F(ComparisonTest, NotCheckedValuesAreLinkedButNeverMarked) {
  const ItemIndex before = value(base(), kSoft, "v", "before");
  const ItemIndex v = value(cur(), kSoft, "v", "after");
  const ItemIndex fresh = value(cur(), kSoft, "w", "new");
  val(v).state = STATE_NOT_CHECKED;
  val(fresh).state = STATE_NOT_CHECKED;
  compareAll();
  EXPECT_EQ(val(v).state, STATE_NOT_CHECKED);
  EXPECT_EQ(baselineLink(cur(), v), before);
  EXPECT_EQ(val(fresh).state, STATE_NOT_CHECKED);
  EXPECT_EQ(baselineLink(cur(), fresh), kNoItem);
  EXPECT_EQ(rec(find(cur(), kSoft)).state, STATE_NORMAL);
}

// A controlled key is not compared itself, but what was added below it still counts.
TEST_F(ComparisonTest, HiddenKeyKeepsItsStateButGetsTheSummary) {
  key(base(), kSoft + "\\Hidden");
  key(cur(), kSoft + "\\Hidden", STATE_HIDDEN);
  key(cur(), kSoft + "\\Hidden\\New");
  compareAll();
  const KeyRecord& hidden = rec(find(cur(), kSoft + "\\Hidden"));
  EXPECT_EQ(hidden.state, STATE_HIDDEN);
  EXPECT_TRUE(hidden.summary & SUM_STRUCTURE_CHANGED);
}

TEST_F(ComparisonTest, AddedSubtreeIsMarkedExceptItsControlledParts) {
  key(base(), kSoft);
  key(cur(), kSoft + "\\New\\Sub");
  key(cur(), kSoft + "\\New\\Skip", STATE_NOT_CHECKED);
  key(cur(), kSoft + "\\New\\Skip\\Below");
  const ItemIndex v = value(cur(), kSoft + "\\New\\Sub", "v", "x");
  const ItemIndex quiet = value(cur(), kSoft + "\\New", "q", "x");
  val(quiet).state = STATE_NOT_CHECKED;
  compareAll();
  EXPECT_EQ(rec(find(cur(), kSoft + "\\New")).state, STATE_ADDED);
  EXPECT_EQ(rec(find(cur(), kSoft + "\\New\\Sub")).savedState, STATE_ADDED);
  EXPECT_EQ(rec(find(cur(), kSoft + "\\New\\Skip")).state, STATE_NOT_CHECKED);
  EXPECT_EQ(rec(find(cur(), kSoft + "\\New\\Skip\\Below")).state, STATE_NORMAL);
  EXPECT_EQ(val(v).state, STATE_VALUE_ADDED);
  EXPECT_EQ(val(quiet).state, STATE_NOT_CHECKED);
  EXPECT_EQ(changeCounts(takeStatusCounts(cur(), false)), "keys +2 -0, values ~0 +1 -0");
}

TEST_F(ComparisonTest, ShowDeletedContentsCopiesTheWholeSubtree) {
  const ItemIndex kept = value(base(), kSoft + "\\Gone", "kept", "whole data");
  value(base(), kSoft + "\\Gone", "digest", "only digest", kRegSz, false);
  key(base(), kSoft + "\\Gone\\Sub");
  value(base(), kSoft, "gonevalue", std::string(20, 'g'));
  key(cur(), kSoft);
  options.showDeletedContents = true;
  compareAll();
  const ItemIndex ghost = find(cur(), kSoft + "\\Gone");
  ASSERT_GE(ghost, 0);
  const ItemIndex sub = find(cur(), kSoft + "\\Gone\\Sub");
  ASSERT_GE(sub, 0);
  EXPECT_EQ(rec(sub).state, STATE_DELETED);
  EXPECT_EQ(rec(sub).itemCount, 0);  // only the top ghost names its baseline key
  ASSERT_EQ(rec(ghost).valueCount, 2);
  const ItemIndex copy = rec(ghost).firstValue;  // "digest" sorts first
  const ItemIndex copyKept = val(copy).next;
  EXPECT_EQ(val(copy).flags & (VF_DIGEST_ONLY | VF_DATA_KEPT), VF_DIGEST_ONLY);
  EXPECT_EQ(val(copy).data, 11);
  ASSERT_TRUE(val(copyKept).flags & VF_DATA_KEPT);
  EXPECT_STREQ(entryText(cur(), val(copyKept).data), "whole data");
  EXPECT_EQ(dataEntry(cur(), val(copyKept).data).owner, copyKept);
  EXPECT_EQ(baselineLink(cur(), copyKept), kept);
  EXPECT_EQ(val(copyKept).state, STATE_VALUE_DELETED);
  // A deleted value of a surviving key: digest only without the option.
  options.showDeletedContents = false;
  compareAll();
  EXPECT_EQ(rec(find(cur(), kSoft + "\\Gone")).firstChild, kNoItem);
  const ItemIndex gone = rec(find(cur(), kSoft)).firstValue;
  EXPECT_EQ(val(gone).state, STATE_VALUE_DELETED);
  EXPECT_EQ(val(gone).flags & (VF_DIGEST_ONLY | VF_DATA_KEPT), VF_DIGEST_ONLY);
  EXPECT_EQ(val(gone).data, 20);
  EXPECT_EQ(changeCounts(takeStatusCounts(cur(), false)), "keys +0 -1, values ~0 +0 -1");
}

TEST_F(ComparisonTest, DataDiffersByTypeEffectiveDataAndLength) {
  const auto pair = [&](const std::string& a, uint32_t ta, bool ka, const std::string& b,
                        uint32_t tb, bool kb) {
    const ItemIndex w = value(cur(), kSoft, "v", a, ta, ka);
    const ItemIndex v = value(base(), kSoft, "v", b, tb, kb);
    const int differs = dataDiffers(cur(), w, base(), v);
    removeValue(cur(), w);
    removeValue(base(), v);
    return differs;
  };
  EXPECT_EQ(pair("same", kRegSz, true, "same", kRegExpandSz, true), 1);
  EXPECT_EQ(pair("same", kRegSz, true, "same", kRegSz, false), 0);
  EXPECT_EQ(pair("same", kRegSz, false, "other", kRegSz, true), 1);
  EXPECT_EQ(pair(std::string(4, '\0'), 3, false, "", 3, false), 1);  // both digests are 0
  EXPECT_EQ(pair(std::string("abc\0", 4), 3, true, "abc", 3, true), 1);  // grown by a 0 byte
  EXPECT_EQ(pair("abc", 3, true, std::string("abc\0", 4), 3, true), 1);
  EXPECT_EQ(pair(std::string("a\0\0x", 4), kRegMultiSz, true, std::string("a\0\0y", 4), kRegMultiSz,
                 true), 0);
  // Kept data longer than its effective length (as an older file may hold them).
  const ItemIndex w = value(cur(), kSoft, "m", std::string("a\0\0", 3), kRegMultiSz, true);
  const ItemIndex v = value(base(), kSoft, "m", "", kRegMultiSz, true);
  ValueRecord& old = valueRecord(base(), v);
  old.data = storeValueData(base(), reinterpret_cast<const uint8_t*>("a\0\0zz"), 5, kRegMultiSz);
  old.flags = static_cast<uint8_t>((old.flags & ~VF_DIGEST_ONLY) | VF_DATA_KEPT);
  EXPECT_EQ(dataDiffers(cur(), w, base(), v), 0);
}

// Clearing all roots' marks, by a block sweep or root by root, restores the snapshot;
// the counts match the tree.
TEST_F(ComparisonTest, ClearingRestoresTheSnapshotAndCountsMatchTheTree) {
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

}  // namespace
