// Class-info grouping of HKEY_CLASSES_ROOT's subkeys and its undoing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/snapshot_store.h"
#include "tests/engine/store_tree_builder.h"

namespace {

using store_test::childNames;
using store_tree::outline;
using store_tree::TreeTest;

using Names = std::vector<std::string>;

// HKEY_CLASSES_ROOT with names of every kind: extensions, "*", punctuation, digits,
// lower case, bytes above "Z", the fixed names in mixed case, and a real key that
// happens to carry a grouping key's name.
class ClassInfoGroupingTest : public TreeTest {
 protected:
  void SetUp() override {
    TreeTest::SetUp();
    for (const char* name :
         {".txt", ".Doc", ".TXT", "*", "*foo", "!bang", "1x", "_x", "[bracket", "~tilde",
          "\x82\xa0kana", "abc", "AppID", "applications", "CLSID", "clsid", "Mime", "software",
          "TypeLib", "typelibs", "Zeta", "!.File Types"}) {
      addKey(store(), 0, rec(0).firstChild, name);  // equal names side by side
    }
    txtShell = key("HKEY_CLASSES_ROOT\\.txt\\shell\\open");
    value(txtShell, "", STATE_DATA, "notepad");
    ghost = key("HKEY_CLASSES_ROOT\\.gone", STATE_DELETED);
    std::string deep = "HKEY_CLASSES_ROOT\\deepclass";
    for (int i = 0; i < 300; ++i) deep += "\\d";
    deepLeaf = key(deep);
    key("HKEY_LOCAL_MACHINE\\Software\\Classes\\.txt");
    recomputeSizes(store(), 0);
    rec(ghost).itemCount = 2468;  // a ghost's link to its baseline key
  }

  ItemIndex child(ItemIndex parent, const char* name) {
    return findChild(store(), parent, name, false);
  }
  ItemIndex groupingKey(const char* name) {
    for (ItemIndex at = rec(0).firstChild; at >= 0; at = rec(at).nextSibling) {
      if ((rec(at).summary & SUM_GROUPING_KEY) && std::string(keyName(store(), at)) == name) {
        return at;
      }
    }
    return kNoItem;
  }
  ItemIndex letter(const char* name) { return child(groupingKey("!.File Types"), name); }

  ItemIndex txtShell, ghost, deepLeaf;
};

TEST_F(ClassInfoGroupingTest, GroupsExtensionsAndTypesAndKeepsTheFixedNames) {
  groupClassInfo(store());

  const ItemIndex extensions = groupingKey("!.File Extensions");
  const ItemIndex types = groupingKey("!.File Types");
  ASSERT_GE(extensions, 0);
  ASSERT_GE(types, 0);
  EXPECT_EQ(childNames(store(), 0), (Names{"!.File Extensions", "!.File Types", "applications",
                                           "CLSID", "clsid", "Mime", "software", "TypeLib"}));
  EXPECT_EQ(childNames(store(), extensions), (Names{"*", ".Doc", ".gone", ".txt", ".TXT"}));
  Names letters;  // "A" to "Z", each a grouping key
  for (char c = 'A'; c <= 'Z'; ++c) {
    letters.push_back(std::string(1, c));
    EXPECT_TRUE(rec(letter(letters.back().c_str())).summary & SUM_GROUPING_KEY);
  }
  EXPECT_EQ(childNames(store(), types), letters);

  EXPECT_EQ(childNames(store(), letter("A")),
            (Names{"!.File Types", "!bang", "*foo", "1x", "abc", "AppID"}));
  EXPECT_EQ(childNames(store(), letter("D")), (Names{"deepclass"}));
  EXPECT_EQ(childNames(store(), letter("T")), (Names{"typelibs"}));
  EXPECT_EQ(childNames(store(), letter("Z")),
            (Names{"[bracket", "_x", "Zeta", "~tilde", "\x82\xa0kana"}));
  EXPECT_FALSE(rec(child(letter("A"), "!.File Types")).summary & SUM_GROUPING_KEY);

  // Links, counts and depths hold everywhere, also 300 levels down a moved key.
  outline(store(), 0);
  EXPECT_EQ(rec(txtShell).depth, 4);
  EXPECT_EQ(rec(deepLeaf).depth, static_cast<uint8_t>(3 + 300));
  EXPECT_EQ(rec(ghost).itemCount, 2468);
  EXPECT_EQ(buildItemPath(store(), txtShell, 0), "HKEY_CLASSES_ROOT\\.txt\\shell\\open");
  EXPECT_EQ(childNames(store(), key("HKEY_LOCAL_MACHINE\\Software\\Classes")), (Names{".txt"}));
}

TEST_F(ClassInfoGroupingTest, UngroupingRestoresOrderDepthsAndSizes) {
  const Names before = outline(store(), 0);
  const Names rootsBefore = outline(store(), 3);
  const int32_t itemsBefore = rec(0).itemCount;
  const int32_t bytesBefore = rec(0).byteCount;
  const int64_t keysBefore = countItems(store(), 0);

  groupClassInfo(store());
  // The grouping keys count as keys of the snapshot while they exist.
  EXPECT_EQ(rec(0).itemCount, itemsBefore + 28);
  EXPECT_EQ(rec(0).byteCount, bytesBefore + 18 + 13 + 26 * 2);
  EXPECT_EQ(countItems(store(), 0), keysBefore + 28);

  ungroupClassInfo(store());
  EXPECT_EQ(outline(store(), 0), before);
  EXPECT_EQ(outline(store(), 3), rootsBefore);
  EXPECT_EQ(rec(0).itemCount, itemsBefore);
  EXPECT_EQ(rec(0).byteCount, bytesBefore);
  EXPECT_EQ(countItems(store(), 0), keysBefore);
  EXPECT_EQ(rec(ghost).itemCount, 2468);
  EXPECT_EQ(groupingKey("!.File Extensions"), kNoItem);
  EXPECT_EQ(groupingKey("!.File Types"), kNoItem);
  EXPECT_EQ(ownerKeyOfValue(store(), rec(txtShell).firstValue), txtShell);
  // The 28 grouping keys went back to the free list.
  int freed = 0;
  for (ItemIndex at = store().counts.keyFreeHead; at >= 0; at = rec(at).nextSibling) ++freed;
  EXPECT_EQ(freed, 28);
}

}  // namespace
