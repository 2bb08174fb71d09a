// The undo request handed to the restore program, and the restore plan it carries out.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "platform/memory/program_location.h"
#include "platform/memory/recording_messages.h"
#include "platform/memory_shared_memory.h"
#include "restore/restore_plan.h"
#include "restore/undo_list_format.h"
#include "restore/undo_list_writer.h"
#include "restore/undo_request.h"
#include "tests/restore/undo_test_support.h"

namespace {

using namespace undo_test;

class UndoRequestTest : public TwoStoreTest {
 protected:
  void SetUp() override {
    TwoStoreTest::SetUp();
    platform::setSharedMemorySeam(&shared);
    platform::setWindowPostSeam(&posts);
    std::remove(file.c_str());
    both("HKEY_USERS\\A");
  }
  void TearDown() override {
    platform::setSharedMemorySeam(nullptr);
    platform::setWindowPostSeam(nullptr);
    TwoStoreTest::TearDown();
  }
  std::unique_ptr<platform::SharedBlock> startTool(uint32_t window) {
    auto block = shared.create(restore::kSharedBlockName, restore::kSharedBlockSize, nullptr);
    restore::initRestoreBlock(*block, window);
    return block;
  }
  restore::UndoOutcome undoValue(bool kept) {
    value(base(), "HKEY_USERS\\A", "v", sz("1"), kRegSz, kept);
    compare();
    return restore::undoWithRestoreTool(cur(), base(), item("HKEY_USERS\\A", "v"));
  }

  platform::MemorySharedMemory shared;
  platform::RecordingWindowPost posts;
  const std::string folder = ::testing::TempDir();
  const std::string file = folder + "undoList.$$$";
  platform::ScopedProgramLocation location{folder + "regKestrin.exe", folder};
  platform::ScopedMessages messages;
};

TEST_F(UndoRequestTest, TheHandshakeCarriesThePathOnceAndResetsTheLength) {
  uint32_t window = 0;
  EXPECT_FALSE(restore::isRestoreToolRunning(&window));
  EXPECT_FALSE(restore::sendUndoRequest("C:\\x\\undoList.$$$"));
  auto block = startTool(0x00012345);
  ASSERT_TRUE(restore::isRestoreToolRunning(&window));
  EXPECT_EQ(window, 0x00012345u);
  ASSERT_TRUE(restore::sendUndoRequest("C:\\x\\undoList.$$$"));
  ASSERT_EQ(posts.posted.size(), 1u);
  EXPECT_EQ(posts.posted[0].window, 0x00012345u);
  EXPECT_EQ(posts.posted[0].commandId, 10100u);
  EXPECT_EQ(block->bytes()[256], 18);
  std::string path;
  ASSERT_TRUE(restore::takeUndoRequest(*block, &path));
  EXPECT_EQ(path, "C:\\x\\undoList.$$$");
  EXPECT_FALSE(restore::takeUndoRequest(*block, &path));
  EXPECT_FALSE(restore::sendUndoRequest(std::string(3836, 'p')));
  EXPECT_TRUE(restore::sendUndoRequest(std::string(3835, 'p')));
}

TEST_F(UndoRequestTest, ADamagedBlockGivesNoRequest) {
  auto block = startTool(1);
  std::string path;
  for (uint32_t length : {3837u, 0xFFFFFFFFu, 4u, 1u}) {
    std::memcpy(block->bytes() + 260, "abcdefgh", 8);  // no NUL where the length says
    for (int i = 0; i < 4; ++i) block->bytes()[256 + i] = static_cast<uint8_t>(length >> (8 * i));
    EXPECT_FALSE(restore::takeUndoRequest(*block, &path)) << length;
    EXPECT_EQ(block->bytes()[256], 0);
  }
}

TEST_F(UndoRequestTest, TooManyValuesWithoutDataAreRefusedAndTheFileDeleted) {
  auto block = startTool(7);
  EXPECT_EQ(undoValue(false), restore::UNDO_REFUSED);
  ASSERT_EQ(messages.recorder.shown.size(), 1u);
  EXPECT_EQ(messages.recorder.shown[0].text, restore::kUndoRefusedText);
  EXPECT_EQ(messages.recorder.shown[0].caption, "ペリムで元に戻す");
  EXPECT_EQ(messages.recorder.shown[0].flags, platform::kMsgIconWarning);
  EXPECT_FALSE(std::ifstream(file).good());
  EXPECT_TRUE(posts.posted.empty());
}

}  // namespace

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
