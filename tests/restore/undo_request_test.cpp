#include "restore/undo_request.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "platform/memory/program_location.h"
#include "platform/memory/recording_messages.h"
#include "platform/memory_shared_memory.h"
#include "restore/undo_list_format.h"
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
