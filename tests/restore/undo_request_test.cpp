#include "restore/undo_request.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/files.h"
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
  }
  void TearDown() override {
    platform::setSharedMemorySeam(nullptr);
    platform::setWindowPostSeam(nullptr);
    TwoStoreTest::TearDown();
  }
  std::unique_ptr<platform::SharedBlock> startTool(uint32_t window) {
    std::unique_ptr<platform::SharedBlock> block =
        shared.create(restore::kSharedBlockName, restore::kSharedBlockSize, nullptr);
    restore::initRestoreBlock(*block, window);
    return block;
  }

  // A folder of the test's own, without an undo list from an earlier test.
  static std::string folder() {
    const std::string at = ::testing::TempDir();
    std::remove((at + "undoList.$$$").c_str());
    return at;
  }

  platform::MemorySharedMemory shared;
  platform::RecordingWindowPost posts;
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
  EXPECT_EQ(block->bytes()[256], 19);
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
  const uint32_t lengths[] = {3837, 0xFFFFFFFFu, 4, 1};
  for (uint32_t length : lengths) {
    std::memcpy(block->bytes() + 260, "abcdefgh", 8);  // no NUL where the length says
    for (int i = 0; i < 4; ++i) block->bytes()[256 + i] = static_cast<uint8_t>(length >> (8 * i));
    EXPECT_FALSE(restore::takeUndoRequest(*block, &path)) << length;
    EXPECT_EQ(block->bytes()[256], 0);
  }
}

TEST_F(UndoRequestTest, TheCommandWritesTheFileBesideTheProgramAndSendsIt) {
  platform::ScopedProgramLocation location(folder() + "regKestrin.exe", folder());
  platform::ScopedMessages messages;
  auto block = startTool(7);
  both("HKEY_USERS\\A");
  value(base(), "HKEY_USERS\\A", "v", sz("1"));
  compare();
  EXPECT_EQ(restore::undoWithRestoreTool(cur(), base(), item("HKEY_USERS\\A", "v")),
            restore::UNDO_SENT);
  const std::string file = platform::programFolder() + "undoList.$$$";
  std::ifstream in(file, std::ios::binary);
  const std::string written((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(written, kStart + text(2, 0, 1, "HKEY_USERS\\A") + text(4, 11, 2, "v") +
                         data(0, 1, sz("1")) + kEnd);
  std::string path;
  ASSERT_TRUE(restore::takeUndoRequest(*block, &path));
  EXPECT_EQ(path, file);
  EXPECT_TRUE(messages.recorder.shown.empty());
}

TEST_F(UndoRequestTest, TooManyValuesWithoutDataAreRefusedAndTheFileDeleted) {
  platform::ScopedProgramLocation location(folder() + "regKestrin.exe", folder());
  platform::ScopedMessages messages;
  auto block = startTool(7);
  both("HKEY_USERS\\A");
  value(base(), "HKEY_USERS\\A", "v", sz("1"), kRegSz, false);
  compare();
  EXPECT_EQ(restore::undoWithRestoreTool(cur(), base(), item("HKEY_USERS\\A", "v")),
            restore::UNDO_REFUSED);
  ASSERT_EQ(messages.recorder.shown.size(), 1u);
  EXPECT_EQ(messages.recorder.shown[0].text, restore::kUndoRefusedText);
  EXPECT_EQ(messages.recorder.shown[0].caption, "ペリムで元に戻す");
  EXPECT_EQ(messages.recorder.shown[0].flags, platform::kMsgIconWarning);
  EXPECT_FALSE(std::ifstream(platform::programFolder() + "undoList.$$$").good());
  EXPECT_TRUE(posts.posted.empty());
}

TEST_F(UndoRequestTest, WithoutTheToolTheFileStaysAndTheSendFails) {
  platform::ScopedProgramLocation location(folder() + "regKestrin.exe", folder());
  both("HKEY_USERS\\A");
  value(base(), "HKEY_USERS\\A", "v", sz("1"));
  compare();
  EXPECT_EQ(restore::undoWithRestoreTool(cur(), base(), item("HKEY_USERS\\A", "v")),
            restore::UNDO_SEND_FAILED);
  EXPECT_TRUE(std::ifstream(platform::programFolder() + "undoList.$$$").good());
  EXPECT_STREQ(restore::undoOutcomeStatusText(restore::UNDO_SEND_FAILED),
               "ペリムへ要求した「元に戻す」が失敗");
}

}  // namespace
