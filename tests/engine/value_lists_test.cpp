// Value lists built the fast ways (from a hint, appended then sorted, removed after a
// known predecessor) against a plain stable sort of the names, and removal of a ghost
// subtree deeper than any call stack.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "engine/snapshot_store.h"
#include "tests/engine/store_test_support.h"

namespace {

using store_test::valueIndexes;
using store_test::valueNames;
using Strings = std::vector<std::string>;

// Names from a small alphabet, so equal names (also differing in case) are common.
Strings randomNames(std::mt19937& rng, int count) {
  static const char kChars[] = "aAbB_\x82\xa0";  // "\x82\xa0" is one double-byte character
  Strings names;
  for (int i = 0; i < count; ++i) {
    std::string name;
    for (int length = static_cast<int>(rng() % 4); length > 0; --length) {
      const size_t at = rng() % (sizeof kChars - 2);
      name += at == 5 ? std::string("\x82\xa0") : std::string(1, kChars[at]);
    }
    names.push_back(name);
  }
  return names;
}

// The list every way of adding must give: name order, equal names in insertion order.
Strings expectedOrder(Strings names) {
  std::stable_sort(names.begin(), names.end(),
                   [](const std::string& a, const std::string& b) { return compareNames(a.c_str(), b.c_str()) < 0; });
  return names;
}

class ValueListsTest : public store_test::StoreTest {
 protected:
  // Checks the list's VF_LAST ending and count as well as its names.
  void expectList(ItemIndex key, const Strings& names) {
    EXPECT_EQ(valueNames(store(), key), names);
    const std::vector<ItemIndex> values = valueIndexes(store(), key);
    ASSERT_EQ(values.size(), names.size());
    EXPECT_EQ(keyRecord(store(), key).valueCount, static_cast<int32_t>(names.size()));
    if (!values.empty()) {
      EXPECT_EQ(valueRecord(store(), values.back()).next, key);
    }
  }
};

TEST_F(ValueListsTest, EveryWayOfAddingGivesTheNameOrder) {
  addRoots();
  for (uint32_t seed = 1; seed <= 40; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 rng(seed);
    const Strings names = randomNames(rng, 1 + static_cast<int>(rng() % 60));
    const ItemIndex plain = addKey(store(), 3, kNoItem, "plain");
    const ItemIndex hinted = addKey(store(), 3, kNoItem, "hinted");
    const ItemIndex appended = addKey(store(), 3, kNoItem, "appended");
    std::vector<ItemIndex> made;
    ItemIndex last = kNoItem;
    for (const std::string& name : names) {
      addValue(store(), plain, name.c_str());
      // Any value of the key is a valid hint, right or wrong about the place.
      const ItemIndex hint = made.empty() || rng() % 5 == 0 ? kNoItem : made[rng() % made.size()];
      made.push_back(addValueAfter(store(), hinted, hint, name.c_str()));
      // A stale tail is looked for.
      last = appendValue(store(), appended, rng() % 4 == 0 ? kNoItem : last, name.c_str());
    }
    sortValueList(store(), appended);
    const Strings expected = expectedOrder(names);
    expectList(plain, expected);
    expectList(hinted, expected);
    expectList(appended, expected);
    for (ItemIndex key : {plain, hinted, appended}) removeGhostSubtree(store(), key);
  }
}

TEST_F(ValueListsTest, RemovalAfterAKnownPredecessorFallsBackWhenItIsWrong) {
  addRoots();
  const ItemIndex key = addKey(store(), 3, kNoItem, "k");
  const std::vector<ItemIndex> v = addValues(key, {"a", "b", "c", "d"});
  EXPECT_EQ(removeValueAfter(store(), key, v[1], v[2]), v[3]);
  EXPECT_EQ(removeValueAfter(store(), key, kNoItem, v[3]), kNoItem);  // wrong: walks the list
  EXPECT_EQ(removeValueAfter(store(), key, kNoItem, v[0]), v[1]);
  EXPECT_EQ(removeValueAfter(store(), key, kNoItem, v[0]), kNoItem);  // already free
  expectList(key, {"b"});
}

TEST_F(ValueListsTest, GhostSubtreeFarDeeperThanTheCallStackIsRemoved) {
  addRoots();
  const ItemIndex top = addKey(store(), 3, kNoItem, "ghost");
  ItemIndex at = top;
  for (int depth = 0; depth < 300000; ++depth) at = addKey(store(), at, kNoItem, "k");
  addValue(store(), at, "v");
  const ItemIndex after = addKey(store(), 3, top, "z");
  EXPECT_EQ(removeGhostSubtree(store(), top), after);
  EXPECT_EQ(keyRecord(store(), 3).firstChild, after);
  EXPECT_EQ(keyRecord(store(), at).name, kNoItem);
  EXPECT_EQ(store().counts.valueFreeHead, 0);
}

}  // namespace
