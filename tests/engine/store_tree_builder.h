// Builder for tests of the tree-wide store operations: a store with the five roots,
// keys made from backslash paths, values with a state and data, and an outline of a
// subtree that also checks every link on the way.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/snapshot_store.h"
#include "tests/engine/store_test_support.h"

namespace store_tree {

class TreeTest : public store_test::StoreTest {
 protected:
  void SetUp() override {
    StoreTest::SetUp();
    addRoots();
  }

  // The key of a path like "HKEY_LOCAL_MACHINE\\A\\B", made where missing.
  ItemIndex key(const std::string& path) {
    const ItemIndex at = store_test::keyAtPath(store(), path, true);
    EXPECT_GE(at, 0) << "unknown root in " << path;
    return at;
  }

  ItemIndex key(const std::string& path, uint8_t state) {
    const ItemIndex made = key(path);
    keyRecord(store(), made).state = state;
    return made;
  }

  // A value with its data kept whole (digest only when `keep` is false).
  ItemIndex value(ItemIndex owner, const char* name, uint8_t state = STATE_DATA,
                  const std::string& data = "", bool keep = true) {
    const ItemIndex made = store_test::addValueWithData(store(), owner, name, data, kRegSz, keep);
    valueRecord(store(), made).state = state;
    return made;
  }

  KeyRecord& rec(ItemIndex at) { return keyRecord(store(), at); }
  ValueRecord& val(ItemIndex at) { return valueRecord(store(), at); }
};

// Pre-order lines "depth name" of the subtree below `key` (the key itself left out).
// Checks on the way that each list is doubly linked, that parents and depths follow
// the tree and that childCount matches the list.
inline std::vector<std::string> outline(SnapshotStore& store, ItemIndex key) {
  std::vector<std::string> lines;
  std::vector<ItemIndex> pending{key};
  while (!pending.empty()) {
    const ItemIndex parent = pending.back();
    pending.pop_back();
    const KeyRecord& owner = keyRecord(store, parent);
    if (parent != key) {
      lines.push_back(std::to_string(owner.depth) + " " + keyName(store, parent));
    }
    std::vector<ItemIndex> children;
    ItemIndex previous = kNoItem;
    for (ItemIndex at = owner.firstChild; at >= 0; at = keyRecord(store, at).nextSibling) {
      const KeyRecord& child = keyRecord(store, at);
      EXPECT_EQ(child.prevSibling, previous) << keyName(store, at);
      EXPECT_EQ(child.parent, parent) << keyName(store, at);
      EXPECT_EQ(child.depth, static_cast<uint8_t>(owner.depth + 1)) << keyName(store, at);
      children.push_back(at);
      previous = at;
    }
    EXPECT_EQ(owner.childCount, static_cast<int32_t>(children.size())) << keyName(store, parent);
    for (auto it = children.rbegin(); it != children.rend(); ++it) pending.push_back(*it);
  }
  return lines;
}

}  // namespace store_tree
