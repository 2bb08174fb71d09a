// Tree-wide operations of the snapshot store: paths, sizes, counts, summary and
// control marks, exclusion of changed keys, display flags and value-list order.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "engine/snapshot_store.h"
#include "tests/engine/store_tree_builder.h"

namespace {

using store_test::valueNames;
using store_tree::TreeTest;

ItemIndex asValueItem(ItemIndex value) {
  return static_cast<ItemIndex>(static_cast<uint32_t>(value) | kValueItemBit);
}

// ---- Paths -----------------------------------------------------------------------

using ItemPathTest = TreeTest;

TEST_F(ItemPathTest, KeyAndValuePathsInEveryMode) {
  const ItemIndex vendor = key("HKEY_LOCAL_MACHINE\\Software\\Vendor");
  const ItemIndex named = value(vendor, "Path");
  const ItemIndex standard = value(vendor, "");

  EXPECT_EQ(buildItemPath(store(), vendor, 0), "HKEY_LOCAL_MACHINE\\Software\\Vendor");
  EXPECT_EQ(buildItemPath(store(), vendor, -1), " HKEY_LOCAL_MACHINE\\Software\\Vendor");
  EXPECT_EQ(buildItemPath(store(), 3, 0), "HKEY_LOCAL_MACHINE");
  EXPECT_EQ(buildItemPath(store(), asValueItem(named), 1),
            "HKEY_LOCAL_MACHINE\\Software\\Vendor : Path");
  EXPECT_EQ(buildItemPath(store(), asValueItem(standard), 1),
            "HKEY_LOCAL_MACHINE\\Software\\Vendor : (標準)");
  EXPECT_EQ(buildItemPath(store(), asValueItem(standard), 2),
            "HKEY_LOCAL_MACHINE\\Software\\Vendor : ");
  // Only bit 31 makes an item a value: a key index with a value mode stays a key, and
  // a value in a key mode gives its key's path.
  EXPECT_EQ(buildItemPath(store(), vendor, 1), "HKEY_LOCAL_MACHINE\\Software\\Vendor");
  EXPECT_EQ(buildItemPath(store(), asValueItem(named), 0), "HKEY_LOCAL_MACHINE\\Software\\Vendor");

  std::string deep = "HKEY_LOCAL_MACHINE";  // far deeper than a display line holds
  for (int level = 1; level <= 300; ++level) deep += "\\d" + std::to_string(level);
  EXPECT_EQ(buildItemPath(store(), key(deep), 0), deep);
}

// ---- Sizes -----------------------------------------------------------------------

using SizesTest = TreeTest;

TEST_F(SizesTest, SizesCountNamesAndDataAndLeaveGhostsOut) {
  const ItemIndex a = key("HKEY_LOCAL_MACHINE\\A");
  const ItemIndex b = key("HKEY_LOCAL_MACHINE\\A\\B");
  value(a, "v", STATE_DATA, "abc");                       // 2 + 3 bytes, kept
  value(b, "", STATE_DATA, "0123456789", false);          // 1 + 10 bytes, digest only
  value(b, "old", STATE_VALUE_DELETED, "ghost data");     // ghost: not counted
  const ItemIndex ghost = key("HKEY_LOCAL_MACHINE\\A\\Gone", STATE_DELETED);
  value(ghost, "x", STATE_VALUE_DELETED, "x");
  rec(ghost).itemCount = 4321;  // a ghost's link to its baseline key

  using Sizes = std::pair<int32_t, int32_t>;  // items below, bytes
  auto sizes = [&](ItemIndex k) { return Sizes{rec(k).itemCount, rec(k).byteCount}; };
  const ItemTotals totals = recomputeSizes(store(), 0);
  EXPECT_EQ(sizes(b), Sizes(1, 2 + 11));
  EXPECT_EQ(sizes(a), Sizes(1 + 1 + 1, 2 + 5 + 13));
  EXPECT_EQ(sizes(3), Sizes(4, 19 + 20));
  EXPECT_EQ(rec(ghost).itemCount, 4321);
  // The chain's totals: five roots plus everything below them.
  EXPECT_EQ(totals.itemCount, 5 + 4);
  int64_t rootBytes = 0;
  for (int root = 0; root < kRootKeyCount; ++root) rootBytes += rec(root).byteCount;
  EXPECT_EQ(totals.byteCount, rootBytes);
  EXPECT_EQ(countItems(store(), 2), rootBytes);
}

// ---- A compared snapshot ---------------------------------------------------------

// A snapshot as the comparison leaves it: changed, added and deleted items with
// ghosts, and controlled keys of every kind.
class ComparedTreeTest : public TreeTest {
 protected:
  void SetUp() override {
    TreeTest::SetUp();
    soft = key("HKEY_LOCAL_MACHINE\\Soft", STATE_CHANGED_BELOW);
    value(soft, "same");
    value(soft, "chg", STATE_DATA_CHANGED, "new");
    value(soft, "new", STATE_VALUE_ADDED, "n");
    value(soft, "gone", STATE_VALUE_DELETED, "g");
    added = key("HKEY_LOCAL_MACHINE\\Soft\\Added", STATE_ADDED);
    value(added, "a", STATE_VALUE_ADDED, "a");
    gone = key("HKEY_LOCAL_MACHINE\\Soft\\Gone", STATE_DELETED);
    value(gone, "g", STATE_VALUE_DELETED, "g");
    goneSub = key("HKEY_LOCAL_MACHINE\\Soft\\Gone\\Sub", STATE_DELETED);
    skip = key("HKEY_CURRENT_USER\\Skip", STATE_NOT_CHECKED);
    value(skip, "x", STATE_NOT_CHECKED);
    hidden = key("HKEY_CURRENT_USER\\Hidden", STATE_HIDDEN);
    notRead = key("HKEY_CURRENT_USER\\NoRead", STATE_NOT_READ);
    refused = key("HKEY_CURRENT_USER\\Refused", STATE_REFUSED);
    target = key("HKEY_USERS\\Target");
    rec(target).summary |= SUM_AUTOCHECK_TARGET;
    refusedValueKey = key("HKEY_CURRENT_CONFIG\\Odd");
    value(refusedValueKey, "r", STATE_REFUSED);
  }

  ItemIndex soft, added, gone, goneSub, skip, hidden, notRead, refused, target, refusedValueKey;
};

TEST_F(ComparedTreeTest, StatusCountsHonourKeysOnly) {
  recomputeSizes(store(), 0);
  const StatusCounts all = takeStatusCounts(store(), false);
  EXPECT_EQ(all.keys, countItems(store(), 0));
  EXPECT_EQ(all.values, countItems(store(), 1));
  EXPECT_EQ(all.bytes, countItems(store(), 2));
  EXPECT_GT(all.bytes, 0);
  // Targets, not read, not checked, hidden, refused.
  EXPECT_EQ((std::vector<int64_t>{all.autoCheckTargets, all.notRead, all.notChecked, all.hidden,
                                  all.refused}),
            (std::vector<int64_t>{1, 1, 2, 1, 2}));
  EXPECT_EQ(store_test::changeCounts(all), "keys +1 -2, values ~1 +2 -2");
  EXPECT_EQ(countControlledItems(store()), 4 + 1);

  const StatusCounts keysOnly = takeStatusCounts(store(), true);
  EXPECT_EQ(store_test::changeCounts(keysOnly), "keys +1 -2, values ~0 +0 -0");
  EXPECT_EQ(keysOnly.values, all.values);
}

TEST_F(ComparedTreeTest, SummaryIsRebuiltFromStatesUpToTheRoots) {
  rec(2).summary = SUM_DATA_CHANGED | SUM_STRUCTURE_CHANGED | SUM_CONTROLLED;  // stale
  rec(soft).summary = SUM_USER_RULE;
  const ItemIndex plain = key("HKEY_USERS\\Plain");
  value(plain, "p", STATE_DATA, "p");
  recomputeSummary(store(), kNoItem);
  EXPECT_EQ(rec(plain).summary, 0);

  EXPECT_EQ(rec(soft).summary, SUM_USER_RULE | SUM_DATA_CHANGED | SUM_STRUCTURE_CHANGED);
  EXPECT_EQ(rec(3).summary, SUM_DATA_CHANGED | SUM_STRUCTURE_CHANGED);
  EXPECT_EQ(rec(added).summary, SUM_STRUCTURE_CHANGED);
  EXPECT_EQ(rec(gone).summary, SUM_STRUCTURE_CHANGED);
  EXPECT_EQ(rec(goneSub).summary, SUM_STRUCTURE_CHANGED);
  EXPECT_EQ(rec(2).summary, SUM_CONTROLLED);  // other bits untouched
  EXPECT_EQ(rec(skip).summary, 0);

  // Changed lines: keys with the bit, plus values from state 9 (from 10 for 0x04).
  EXPECT_EQ(countChangedItems(store(), SUM_DATA_CHANGED), 2 + 5);
  EXPECT_EQ(countChangedItems(store(), SUM_STRUCTURE_CHANGED), 5 + 4);
}

// ---- Exclusion of changed keys ---------------------------------------------------

std::vector<ItemIndex> gRecorded;
void recordControl(ItemIndex item, bool isValue) {
  EXPECT_FALSE(isValue);
  gRecorded.push_back(item);
}

class ExcludeChangedTest : public ComparedTreeTest {
 protected:
  void SetUp() override {
    ComparedTreeTest::SetUp();
    gRecorded.clear();
    setItemControlRecorder(&recordControl);
  }
  void TearDown() override {
    setItemControlRecorder(nullptr);
    ComparedTreeTest::TearDown();
  }
};

TEST_F(ExcludeChangedTest, OnSwitchesChangedKeysWithoutEnteringThem) {
  const ItemIndex lone = key("HKEY_USERS\\Target\\Fresh", STATE_ADDED);
  const ItemIndex quiet = key("HKEY_USERS\\Quiet");
  value(quiet, "d", STATE_VALUE_DELETED, "d");
  excludeChangedItems(store(), true);

  EXPECT_EQ(gRecorded, (std::vector<ItemIndex>{soft, quiet, lone}));
  EXPECT_EQ(rec(soft).state, STATE_NOT_CHECKED);
  EXPECT_EQ(rec(soft).savedState, STATE_CHANGED_BELOW);
  EXPECT_EQ(rec(lone).state, STATE_NOT_CHECKED);
  EXPECT_EQ(rec(lone).savedState, STATE_ADDED);
  EXPECT_EQ(rec(added).state, STATE_ADDED);  // below a switched key: left alone
  EXPECT_EQ(rec(gone).state, STATE_DELETED);
  for (ItemIndex k : {soft, ItemIndex{3}, lone, target, ItemIndex{4}, quiet}) {
    EXPECT_TRUE(rec(k).summary & SUM_CONTROLLED) << keyName(store(), k);
  }
  EXPECT_FALSE(rec(0).summary & SUM_CONTROLLED);
}

TEST_F(ComparedTreeTest, DeletedItemsBecomeChangedOnes) {
  deletedToChanged(store());
  EXPECT_EQ(rec(gone).state, STATE_CHANGED_BELOW);
  EXPECT_EQ(rec(goneSub).state, STATE_CHANGED_BELOW);
  EXPECT_EQ(countState(store(), STATE_VALUE_DELETED), 0);
  EXPECT_EQ(countState(store(), STATE_DATA_CHANGED), 3);
  EXPECT_EQ(rec(added).state, STATE_ADDED);
}

TEST_F(ComparedTreeTest, AGhostExcludedFromCheckingStaysValidWhenIncludedAgain) {
  rec(gone).savedState = STATE_DELETED;  // as "不一致項目を非チェックに設定" leaves it
  rec(gone).state = STATE_NOT_CHECKED;
  deletedToChanged(store());
  excludeChangedItems(store(), false);
  EXPECT_EQ(rec(gone).state, STATE_CHANGED_BELOW);
}

// ---- Value-list order ------------------------------------------------------------

using SortValuesTest = TreeTest;

TEST_F(SortValuesTest, StableSortRelinksListAndLastMark) {
  const ItemIndex k = key("HKEY_LOCAL_MACHINE\\K");
  const ItemIndex sub = key("HKEY_LOCAL_MACHINE\\K\\Sub");
  const ItemIndex a = value(k, "a");
  const ItemIndex b = value(k, "b");
  const ItemIndex dup1 = value(k, "Dup");
  const ItemIndex dup2 = value(k, "dup");
  const ItemIndex z = value(sub, "z");
  const ItemIndex y = value(sub, "");
  // As a file from another program might hold them: dup2, b, dup1, a.
  auto link = [&](std::vector<ItemIndex> order, ItemIndex owner) {
    rec(owner).firstValue = order.front();
    for (size_t i = 0; i < order.size(); ++i) {
      ValueRecord& v = val(order[i]);
      const bool last = i + 1 == order.size();
      v.flags = static_cast<uint8_t>(last ? (v.flags | VF_LAST) : (v.flags & ~VF_LAST));
      v.next = last ? owner : order[i + 1];
    }
  };
  link({dup2, b, dup1, a}, k);
  link({z, y}, sub);
  sortValueLists(store(), 0);

  EXPECT_EQ(store_test::valueIndexes(store(), k), (std::vector<ItemIndex>{a, b, dup2, dup1}));
  EXPECT_EQ(store_test::valueIndexes(store(), sub), (std::vector<ItemIndex>{y, z}));
  // The walks stop at the end mark: a misplaced one shows above; the last links its key.
  EXPECT_EQ(val(dup1).next, k);
  EXPECT_EQ(val(z).next, sub);
  // The type bits survive the relinking.
  EXPECT_EQ(valueType(val(dup1)), kRegSz);

  // A list without its end mark is left as it is, not rebuilt from a guess.
  link({z, y}, sub);
  val(y).flags = static_cast<uint8_t>(val(y).flags & ~VF_LAST);
  val(y).next = kNoItem;
  sortValueLists(store(), 0);
  EXPECT_EQ(rec(sub).firstValue, z);
  EXPECT_EQ(val(z).next, y);
}

// ---- Deep and damaged trees ------------------------------------------------------

using DeepTreeTest = TreeTest;

TEST_F(DeepTreeTest, WalksDoNotRecurseThroughDeepTrees) {
  constexpr int kDepth = 200000;
  ItemIndex at = 4;
  for (int i = 0; i < kDepth; ++i) at = addKey(store(), at, kNoItem, "d");
  value(at, "leaf", STATE_VALUE_ADDED, "x");
  rec(at).state = STATE_ADDED;

  recomputeSizes(store(), 0);
  EXPECT_EQ(rec(4).itemCount, kDepth + 1);
  recomputeSummary(store(), at);
  EXPECT_EQ(rec(4).summary & SUM_STRUCTURE_CHANGED, SUM_STRUCTURE_CHANGED);
  EXPECT_EQ(countSubtreeKeys(store(), 4, true), kDepth + 1);
  EXPECT_EQ(countItems(store(), 0), kDepth + 5);
  excludeChangedItems(store(), true);
  EXPECT_EQ(rec(at).state, STATE_NOT_CHECKED);
  EXPECT_TRUE(rec(4).summary & SUM_CONTROLLED);
  excludeChangedItems(store(), false);
  EXPECT_EQ(rec(at).state, STATE_ADDED);
}

}  // namespace
