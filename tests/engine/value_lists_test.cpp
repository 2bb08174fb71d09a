// Value lists built the fast ways (from a hint, appended then sorted) against a plain
// stable sort of the names, and removal of a ghost subtree deeper than any call stack.
#include <algorithm>
#include <random>

#include "tests/engine/store_test_support.h"

namespace {

class ValueListsTest : public store_test::StoreTest {};

TEST_F(ValueListsTest, EveryWayOfAddingGivesNameOrderWithEqualNamesInInsertionOrder) {
  addRoots();
  // "\x82\xa0" is one double-byte character; letters of both cases make equal names.
  static const char* const kParts[] = {"", "a", "A", "_", "\x82\xa0"};
  for (uint32_t seed = 1; seed <= 40; ++seed) {
    std::mt19937 rng(seed);
    std::vector<std::string> names(1 + rng() % 60);
    for (std::string& name : names) name = std::string(kParts[rng() % 5]) + kParts[rng() % 5];
    const ItemIndex hinted = addKey(store(), 3, kNoItem, "hinted");
    const ItemIndex appended = addKey(store(), 3, kNoItem, "appended");
    std::vector<ItemIndex> made;
    ItemIndex last = kNoItem;
    for (const std::string& name : names) {
      // Any value of the key may be the hint, right or wrong; a stale tail is looked for.
      const ItemIndex hint = made.empty() || rng() % 5 == 0 ? kNoItem : made[rng() % made.size()];
      made.push_back(addValueAfter(store(), hinted, hint, name.c_str()));
      last = appendValue(store(), appended, rng() % 4 == 0 ? kNoItem : last, name.c_str());
    }
    sortValueList(store(), appended);
    std::stable_sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
      return compareNames(a.c_str(), b.c_str()) < 0;
    });
    for (ItemIndex key : {hinted, appended}) {
      ASSERT_EQ(store_test::valueNames(store(), key), names) << "seed " << seed;
      EXPECT_EQ(valueRecord(store(), store_test::valueIndexes(store(), key).back()).next, key);
      removeGhostSubtree(store(), key);
    }
  }
}

TEST_F(ValueListsTest, GhostSubtreeFarDeeperThanTheCallStackIsRemoved) {
  addRoots();
  const ItemIndex top = addKey(store(), 3, kNoItem, "ghost");
  ItemIndex at = top;
  for (int depth = 0; depth < 300000; ++depth) at = addKey(store(), at, kNoItem, "k");
  const ItemIndex after = addKey(store(), 3, top, "z");
  EXPECT_EQ(removeGhostSubtree(store(), top), after);
  EXPECT_EQ(keyRecord(store(), at).name, kNoItem);
}

}  // namespace
