// Keys and values of the snapshot store: sorted lists, links, removal, free lists and
// look-ups.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "engine/snapshot_store.h"
#include "tests/engine/store_test_support.h"

namespace {

using store_test::childIndexes;
using store_test::childNames;
using store_test::valueIndexes;
using store_test::valueNames;
using Strings = std::vector<std::string>;

class SnapshotStoreTest : public store_test::StoreTest {};

TEST_F(SnapshotStoreTest, RemovingKeysRelinksSiblingsAndRefusesWhatWouldStrandRecords) {
  addRoots();
  std::vector<ItemIndex> k = addKeys(4, {"a", "b", "c", "d"});
  keyFlags(store(), k[0]) = VIEW_KEY_OPEN;
  EXPECT_EQ(removeKey(store(), k[1]), k[2]);
  EXPECT_EQ(removeKey(store(), k[3]), kNoItem);
  EXPECT_EQ(removeKey(store(), k[0]), k[2]);
  EXPECT_EQ(childIndexes(store(), 4), (std::vector<ItemIndex>{k[2]}));
  EXPECT_EQ(keyRecord(store(), k[2]).prevSibling, kNoItem);
  EXPECT_EQ(keyRecord(store(), k[2]).nextSibling, kNoItem);
  EXPECT_EQ(keyRecord(store(), 4).childCount, 1);
  EXPECT_EQ(keyFlags(store(), k[0]), 0);

  // Refusals change nothing.
  EXPECT_EQ(removeKey(store(), k[0]), kNoItem);  // already free
  EXPECT_EQ(removeKey(store(), 2), kNoItem);     // a root
  const ItemIndex child = addKey(store(), k[2], kNoItem, "child");
  EXPECT_EQ(removeKey(store(), k[2]), kNoItem);  // still has a subkey
  const ItemIndex withValue = addKey(store(), 4, k[2], "e");
  addValue(store(), withValue, "v");
  EXPECT_EQ(removeKey(store(), withValue), kNoItem);  // still has a value
  keyRecord(store(), k[2]).childCount = 0;            // parent records no children
  EXPECT_EQ(removeKey(store(), child), kNoItem);
  EXPECT_EQ(keyRecord(store(), k[2]).firstChild, child);
  EXPECT_EQ(childNames(store(), 4), (Strings{"c", "e"}));
}

TEST_F(SnapshotStoreTest, GhostSubtreeRemovalFreesEveryRecordAndName) {
  addRoots();
  const ItemIndex before = addKey(store(), 3, kNoItem, "a");
  const ItemIndex ghost = addKey(store(), 3, before, "g");
  const ItemIndex after = addKey(store(), 3, ghost, "z");
  std::vector<ItemIndex> children = addKeys(ghost, {"c1", "c2"});
  addValues(ghost, {"v1", "v2", "v3"});
  addValues(children[0], {"w"});
  addKeys(children[1], {"deep"});
  const int32_t liveEntries = store().counts.entryCount;

  EXPECT_EQ(removeGhostSubtree(store(), ghost), after);
  EXPECT_EQ(childIndexes(store(), 3), (std::vector<ItemIndex>{before, after}));
  EXPECT_EQ(keyRecord(store(), 3).childCount, 2);
  auto keyNext = [&](ItemIndex at) { return keyRecord(store(), at).nextSibling; };
  auto valueNext = [&](ItemIndex at) { return valueRecord(store(), at).next; };
  auto entryNext = [&](ItemIndex at) { return dataEntry(store(), at).owner; };
  EXPECT_EQ(store_test::freeListLength(store().counts.keyFreeHead, keyNext), 4);
  EXPECT_EQ(store_test::freeListLength(store().counts.valueFreeHead, valueNext), 4);
  EXPECT_EQ(store_test::freeListLength(store().counts.entryFreeHead, entryNext), 8);
  EXPECT_EQ(store().counts.entryCount, liveEntries);
  // Removing it again changes nothing and does not hand out a free-list link.
  EXPECT_EQ(removeGhostSubtree(store(), ghost), kNoItem);
  EXPECT_EQ(store_test::freeListLength(store().counts.keyFreeHead, keyNext), 4);
}

}  // namespace
