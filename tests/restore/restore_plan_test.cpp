#include "restore/restore_plan.h"

#include <gtest/gtest.h>

#include <string>

#include "restore/undo_list_writer.h"
#include "tests/restore/undo_test_support.h"

namespace {

using namespace undo_test;

const std::string kApp = "HKEY_CURRENT_USER\\Software\\App";

// The registry after the change: App's "changed" and "added" values, no "deleted"
// value, no "Old" key. The baseline snapshot says how it was.
class RestorePlanTest : public TwoStoreTest {
 protected:
  void SetUp() override {
    TwoStoreTest::SetUp();
    both(kApp);
    value(base(), kApp, "changed", sz("before"));
    value(cur(), kApp, "changed", "\x07\x00\x00\x00", kRegDword);
    value(base(), kApp, "deleted", sz("kept"));
    value(cur(), kApp, "added", sz("new"));
    value(base(), kApp + "\\Old", "inner", "\x01\x02", 3);
    key(base(), kApp + "\\Old\\Leaf");
    key(cur(), kApp + "\\New\\Sub");
    value(cur(), kApp + "\\New\\Sub", "x", sz("1"));
    compare();
    registry.putValue(kApp, "changed", kRegDword, std::string("\x07\x00\x00\x00", 4));
    registry.putValue(kApp, "added", kRegSz, sz("new"));
    registry.putValue(kApp + "\\New\\Sub", "x", kRegSz, sz("1"));
  }

  restore::RestoreReport undo(ItemIndex item, bool removeAdded) {
    const restore::UndoListBuild build = restore::buildUndoList(cur(), base(), item);
    const restore::UndoListReadResult read = restore::readUndoList(
        reinterpret_cast<const uint8_t*>(build.bytes.data()), build.bytes.size(), list);
    EXPECT_EQ(read.error, restore::UNDO_LIST_OK);
    plan = restore::planRestore(list);
    return restore::applyRestorePlan(registry, list, plan, removeAdded);
  }

  platform::MemoryRegistry registry;
  restore::UndoList list;
  restore::RestorePlan plan;
};

TEST_F(RestorePlanTest, PutsBackWhatTheBaselineHadAndKeepsAdditionsUnlessAsked) {
  const restore::RestoreReport report = undo(item(kApp), false);
  uint32_t type = 0;
  EXPECT_EQ(valueOf(registry, kApp, "changed", &type), sz("before"));
  EXPECT_EQ(type, kRegSz);
  EXPECT_EQ(valueOf(registry, kApp, "deleted"), sz("kept"));
  EXPECT_EQ(valueOf(registry, kApp + "\\Old", "inner", &type), "\x01\x02");
  EXPECT_EQ(type, 3u);
  EXPECT_TRUE(registry.keyExists(kApp + "\\Old\\Leaf"));
  EXPECT_EQ(valueOf(registry, kApp, "added"), sz("new"));
  EXPECT_TRUE(registry.keyExists(kApp + "\\New\\Sub"));
  EXPECT_EQ(report.failed, 0);
  EXPECT_EQ(report.leftAlone, 4);  // "added", New, Sub, Sub's "x"
  EXPECT_EQ(registry.openHandleCount(), 0);
}

TEST_F(RestorePlanTest, RemovesAddedValuesAndTheAddedKeysTheyLeaveEmpty) {
  const restore::RestoreReport report = undo(item(kApp), true);
  EXPECT_EQ(valueOf(registry, kApp, "added"), "<no value>");
  EXPECT_FALSE(registry.keyExists(kApp + "\\New"));
  EXPECT_EQ(report.failed, 0);
  EXPECT_EQ(report.leftAlone, 0);
}

TEST_F(RestorePlanTest, AnAddedKeyWithContentTheListDoesNotNameStays) {
  registry.putValue(kApp + "\\New", "appeared later", kRegSz, sz("y"));
  undo(item(kApp), true);
  EXPECT_FALSE(registry.keyExists(kApp + "\\New\\Sub"));
  EXPECT_EQ(valueOf(registry, kApp + "\\New", "appeared later"), sz("y"));
}

}  // namespace
