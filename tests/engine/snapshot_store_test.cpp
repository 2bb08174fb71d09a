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

TEST_F(SnapshotStoreTest, RootsAreTheFiveRootKeysInTableOrder) {
  addRoots();
  EXPECT_EQ(store().counts.keyCount, kRootKeyCount);
  EXPECT_EQ(childNames(store(), kNoItem),
            (Strings{"HKEY_CLASSES_ROOT", "HKEY_CURRENT_CONFIG", "HKEY_CURRENT_USER",
                     "HKEY_LOCAL_MACHINE", "HKEY_USERS"}));
  for (ItemIndex root = 0; root < kRootKeyCount; ++root) {
    const KeyRecord& record = keyRecord(store(), root);
    EXPECT_EQ(record.parent, kNoItem);
    EXPECT_EQ(record.depth, 0);
    EXPECT_EQ(record.prevSibling, root - 1);
    EXPECT_EQ(record.nextSibling, root == kRootKeyCount - 1 ? kNoItem : root + 1);
    EXPECT_EQ(record.byteCount, static_cast<int32_t>(std::string(kRootKeyNames[root]).size() + 1));
    EXPECT_EQ(entryKind(dataEntry(store(), record.name)), ENTRY_KEY_NAME);
    EXPECT_EQ(dataEntry(store(), record.name).owner, root);
  }
}

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

TEST_F(SnapshotStoreTest, FindChildMatchesNamesCaseInsensitively) {
  addRoots();
  std::vector<ItemIndex> k = addKeys(3, {"Alpha", "beta", "Beta"});
  std::vector<ItemIndex> v = addValues(k[0], {"", "Value", "value"});
  EXPECT_EQ(findChild(store(), 3, "BETA", false), k[1]);  // the first of equal names
  EXPECT_EQ(findChild(store(), 3, "alpha", false), k[0]);
  EXPECT_EQ(findChild(store(), 3, "alph", false), kNoItem);
  EXPECT_EQ(findChild(store(), kNoItem, "hkey_users", false), 4);
  EXPECT_EQ(findChild(store(), 2, "anything", false), kNoItem);  // no subkeys
  const ItemIndex found = findChild(store(), k[0], "VALUE", true);
  EXPECT_EQ(static_cast<uint32_t>(found), static_cast<uint32_t>(v[1]) | kValueItemBit);
  EXPECT_EQ(findChild(store(), k[0], "", true),
            static_cast<ItemIndex>(static_cast<uint32_t>(v[0]) | kValueItemBit));
  EXPECT_EQ(findChild(store(), k[0], "other", true), kNoItem);
  EXPECT_EQ(findChild(store(), k[1], "", true), kNoItem);  // no values
}

TEST_F(SnapshotStoreTest, RecordsSpanBlocksAndKeepTheirTimes) {
  addRoots();
  const int total = kSlotsPerBlock + 100;
  ItemIndex hint = kNoItem;
  std::vector<ItemIndex> keys;
  for (int n = 0; n < total; ++n) {
    char name[16];
    std::snprintf(name, sizeof name, "k%06d", n);
    hint = addKey(store(), 3, hint, name);
    keys.push_back(hint);
    setKeyLastWrite(store(), hint, 1000u + static_cast<uint64_t>(n));
  }
  EXPECT_EQ(store().counts.keyBlockCount, 2);
  EXPECT_EQ(keyRecord(store(), 3).childCount, total);
  EXPECT_EQ(std::string(keyName(store(), keys.back())), "k004195");
  EXPECT_EQ(keyLastWrite(store(), keys[kSlotsPerBlock]), 1000u + kSlotsPerBlock);
  // A block without a time table (as loaded from a file) reads 0 and ignores writes.
  uint64_t* times = store().keyTimes[1];
  store().keyTimes[1] = nullptr;
  setKeyLastWrite(store(), keys.back(), 7);
  EXPECT_EQ(keyLastWrite(store(), keys.back()), 0u);
  store().keyTimes[1] = times;
  // A reused key forgets the time of the removed one.
  removeKey(store(), keys.back());
  EXPECT_EQ(addKey(store(), 3, keys[0], "again"), keys.back());
  EXPECT_EQ(keyLastWrite(store(), keys.back()), 0u);
}

}  // namespace
