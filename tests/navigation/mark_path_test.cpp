// Mark paths against a built snapshot: every key and value finds itself again (values
// of one key told apart, trail bytes 0x5C, the default value), grouping keys are
// looked through, and paths naming nothing give no item.
#include <gtest/gtest.h>

#include "navigation/mark_path.h"
#include "tests/engine/store_tree_builder.h"

namespace {

ItemIndex ref(ItemIndex value) { return static_cast<ItemIndex>(static_cast<uint32_t>(value) | kValueItemBit); }

class MarkPathTest : public store_tree::TreeTest {};

TEST_F(MarkPathTest, EveryItemResolvesToItselfAndPathsNamingNothingToNoItem) {
  const ItemIndex run = key("HKEY_LOCAL_MACHINE\\Software\\Run");
  const ItemIndex soft = addKey(store(), key("HKEY_CURRENT_USER"), kNoItem, "ソフト");  // trail byte 0x5C
  const ItemIndex sono = addKey(store(), soft, kNoItem, "表示");
  rec(key("HKEY_CLASSES_ROOT\\!.File Types")).summary |= SUM_GROUPING_KEY;
  const ItemIndex items[] = {run, sono, key("HKEY_USERS"), key("HKEY_CLASSES_ROOT\\!.File Types\\txtfile"),
                             ref(value(run, "C:\\a.exe")), ref(value(run, "C:\\b.exe")), ref(value(run, "")),
                             ref(value(sono, "表"))};
  for (ItemIndex item : items) {
    const std::string path = buildMarkPath(store(), item);
    EXPECT_EQ(resolveMarkPath(store(), path), item) << path;
  }
  EXPECT_EQ(buildMarkPath(store(), items[3]), "HKEY_CLASSES_ROOT\\txtfile");
  EXPECT_EQ(buildMarkPath(store(), items[4]), "HKEY_LOCAL_MACHINE\\Software\\Run\\\\\\C:\\a.exe");
  EXPECT_EQ(buildMarkPath(store(), items[6]), "HKEY_LOCAL_MACHINE\\Software\\Run\\\\\\(標準)");
  EXPECT_EQ(defaultMarkHeading(store(), items[5]) + "|" + defaultMarkHeading(store(), run), "C:\\b.exe|Run");
  EXPECT_EQ(resolveMarkPath(store(), "hkey_local_machine\\SOFTWARE\\run"), run);
  // Paths naming nothing give no item; items whose path cannot be a mark have none.
  for (const char* path : {"", "HKEY_NOWHERE", "HKEY_LOCAL_MACHINE\\Software\\Gone", "HKEY_LOCAL_MACHINE\\\\\\",
                           "HKEY_LOCAL_MACHINE\\Software\\Run\\\\\\b", "\\HKEY_LOCAL_MACHINE",
                           "HKEY_LOCAL_MACHINE\\Run",  // Run lies below a key that groups nothing
                           "HKEY_LOCAL_MACHINE\\Software\\Run\\", "\x81"}) {
    EXPECT_EQ(resolveMarkPath(store(), path), kNoItem) << path;
  }
  EXPECT_EQ(buildMarkPath(store(), ref(value(run, "line\nbreak"))) + buildMarkPath(store(), kNoItem), "");
}

}  // namespace
