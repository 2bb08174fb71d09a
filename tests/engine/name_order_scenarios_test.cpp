// Names the registry tells apart, and names it takes for one, through a whole read
// and comparison on the in-memory registry; and snapshot files whose lists are not
// in the program's name order.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/snapshot_file.h"
#include "engine/store_walk.h"
#include "tests/engine/registry_test_support.h"
#include "tests/engine/snapshot_file_test_support.h"

namespace {

using registry_test::RegistryReadTest;

const std::string kApp = "HKEY_CURRENT_USER\\Software\\App";
// ア (83 41) and ヂ (83 61) differ only in a trail byte that looks like 'A' / 'a'.
const char kA[] = "\x83\x41";
const char kDi[] = "\x83\x61";

// Every marked item below `top`: "name state" for keys, ": name state" for values.
std::vector<std::string> marksBelow(SnapshotStore& store, ItemIndex top) {
  std::vector<std::string> marks;
  store_walk::walkKeys(store, top, false, [&](ItemIndex key) {
    const uint8_t state = keyRecord(store, key).state;
    if (key != top && state >= STATE_ADDED) {
      marks.push_back(std::string(keyName(store, key)) + " " + std::to_string(state));
    }
    store_walk::forEachValue(store, key, [&](ItemIndex value, ValueRecord& v) {
      if (v.state > STATE_DATA) {
        marks.push_back(": " + std::string(valueName(store, value)) + " " + std::to_string(v.state));
      }
    });
    return true;
  });
  return marks;
}

class NameOrderScenarioTest : public RegistryReadTest {
 protected:
  std::vector<std::string> readChangeAndCompare(void (*change)(platform::MemoryRegistry&)) {
    read();
    change(reg);
    const ReadResult second = read();
    EXPECT_TRUE(second.compared);
    EXPECT_TRUE(shown().empty());
    counts = second.counts;
    return marksBelow(current(), key(kApp));
  }
  StatusCounts counts{};
};

TEST_F(NameOrderScenarioTest, SiblingKeysThatDifferInATrailByte) {
  reg.addKeyPath(kApp + "\\" + kA);
  reg.addKeyPath(kApp + "\\" + kDi);
  const auto marks = readChangeAndCompare(
      [](platform::MemoryRegistry& r) { r.removeKeyTree(kApp + "\\" + kA); });
  EXPECT_EQ(marks, std::vector<std::string>{std::string(kA) + " 7"});
  EXPECT_EQ(counts.deletedKeys, 1);
  EXPECT_EQ(counts.changes(), 1);
}

TEST_F(NameOrderScenarioTest, ValuesThatDifferInATrailByte) {
  reg.putValue(kApp, kA, 1, "a");
  reg.putValue(kApp, kDi, 1, "d");
  const auto marks =
      readChangeAndCompare([](platform::MemoryRegistry& r) { r.removeValue(kApp, kA); });
  EXPECT_EQ(marks, std::vector<std::string>{": " + std::string(kA) + " 11"});
  EXPECT_EQ(counts.deletedValues, 1);
  EXPECT_EQ(counts.changes(), 1);
}

TEST_F(NameOrderScenarioTest, AKeyRenamedByTheCaseOfAFullwidthLetterIsOneKey) {
  // Ａ (82 60) becomes ａ (82 81) with the same content: the registry has one key.
  reg.putValue(kApp + "\\\x82\x60", "v", 1, "same");
  const auto marks = readChangeAndCompare([](platform::MemoryRegistry& r) {
    ASSERT_TRUE(r.renameKey(kApp + "\\\x82\x60", "\x82\x81"));
  });
  EXPECT_EQ(marks, std::vector<std::string>{});
  EXPECT_EQ(counts.changes(), 0);
}

// ---- Snapshot files with lists out of order -------------------------------------

using snapshot_file_test::Bytes;
using snapshot_file_test::SnapshotFileTest;

class UnorderedFileTest : public SnapshotFileTest {
 protected:
  // A snapshot whose key `parent` lists the given children in the given order,
  // whatever the name order says (as a file saved under another order, or made by
  // hand, may).
  Bytes imageWithChildren(const std::vector<const char*>& names) {
    initSnapshotStores();
    const ItemIndex parent = child(2, "App");
    std::vector<ItemIndex> kids;
    for (const char* name : names) kids.push_back(child(parent, name));
    keyRecord(current(), parent).firstChild = kids.front();
    for (size_t i = 0; i < kids.size(); ++i) {
      keyRecord(current(), kids[i]).prevSibling = i > 0 ? kids[i - 1] : kNoItem;
      keyRecord(current(), kids[i]).nextSibling = i + 1 < kids.size() ? kids[i + 1] : kNoItem;
    }
    return snapshot_file_test::writeImage(current());
  }
  std::vector<std::string> childrenOf(SnapshotStore& store) {
    std::vector<std::string> names;
    const ItemIndex app = findChild(store, 2, "App", false);
    for (ItemIndex k = keyRecord(store, app).firstChild; k >= 0; k = keyRecord(store, k).nextSibling) {
      names.push_back(keyName(store, k));
    }
    return names;
  }
  platform::ScopedMessages messages_;
};

TEST_F(UnorderedFileTest, LoadersSortEveryListAndTheComparisonMatchesByName) {
  const Bytes base = imageWithChildren({"zeta", kDi, kA, "Alpha"});
  const Bytes other = imageWithChildren({kDi, "alpha"});
  ASSERT_TRUE(snapshot_file_test::loadBaseline(base).loaded);
  EXPECT_EQ(childrenOf(baselineStore()),
            (std::vector<std::string>{"Alpha", "zeta", kA, kDi}));
  ASSERT_TRUE(snapshot_file_test::loadComparison(other).loaded);
  compareStores(currentStore(), baselineStore(), -1, CompareOptions{});
  const ItemIndex app = findChild(currentStore(), 2, "App", false);
  EXPECT_EQ(marksBelow(currentStore(), app),
            (std::vector<std::string>{"zeta 7", std::string(kA) + " 7"}));
  EXPECT_TRUE(messages_.recorder.shown.empty());
}

}  // namespace
