// ア (83 41) and ヂ (83 61) differ only in a trail byte that looks like 'A' / 'a'.
#include "tests/engine/registry_test_support.h"
#include "tests/engine/snapshot_file_test_support.h"

namespace {

class NameOrderScenarioTest : public registry_test::RegistryReadTest {};

TEST_F(NameOrderScenarioTest, DeletingOneOfTwoSiblingsDeletesExactlyThatOne) {
  const std::string app = "HKEY_CURRENT_USER\\App", a = "\x83\x41", di = "\x83\x61";
  for (bool values : {false, true}) {
    initSnapshotStores();
    reg.removeKeyTree(app);
    EXPECT_TRUE(values ? reg.putValue(app, a, 1, "x") && reg.putValue(app, di, 1, "y")
                       : reg.addKeyPath(app + "\\" + a) && reg.addKeyPath(app + "\\" + di));
    read();
    EXPECT_TRUE(values ? reg.removeValue(app, a) : reg.removeKeyTree(app + "\\" + a));
    EXPECT_EQ(read().counts.changes(), 1);
    ASSERT_NE(findChild(current(), key(app), a.c_str(), values), kNoItem);
    const ItemIndex ghost = findChild(current(), key(app), a.c_str(), values) & 0x7FFFFFFF;
    EXPECT_EQ(values ? val(ghost).state : rec(ghost).state,
              values ? STATE_VALUE_DELETED : STATE_DELETED);
  }
}

class UnorderedFileTest : public snapshot_file_test::SnapshotFileTest {
 protected:
  KeyRecord& rec(ItemIndex key) { return keyRecord(current(), key); }
  snapshot_file_test::Bytes image(std::vector<const char*> names) {  // App's keys in this order
    initSnapshotStores();
    std::vector<ItemIndex> keys{child(2, "App")};
    for (const char* name : names) keys.push_back(child(keys[0], name));
    rec(keys[0]).firstChild = keys[1];
    for (size_t i = 1; i < keys.size(); ++i) {
      rec(keys[i]).prevSibling = i > 1 ? keys[i - 1] : kNoItem;
      rec(keys[i]).nextSibling = i + 1 < keys.size() ? keys[i + 1] : kNoItem;
    }
    return snapshot_file_test::writeImage(current());
  }
};

TEST_F(UnorderedFileTest, LoadersSortTheListsSoTheComparisonMatchesByName) {
  const auto base = image({"\x83\x61", "zeta", "\x83\x41"}), other = image({"\x83\x41", "Zeta"});
  platform::ScopedMessages messages;
  ASSERT_TRUE(snapshot_file_test::loadBaseline(base).loaded);
  ASSERT_TRUE(snapshot_file_test::loadComparison(other).loaded);
  compareStores(currentStore(), baselineStore(), -1, CompareOptions{});
  EXPECT_EQ(takeStatusCounts(current(), false).changes(), 1);
  const ItemIndex app = findChild(current(), 2, "App", false);
  EXPECT_EQ(rec(findChild(current(), app, "\x83\x61", false)).state, STATE_DELETED);
}

}  // namespace
