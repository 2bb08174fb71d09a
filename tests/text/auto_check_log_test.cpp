// The auto-check log: exact result blocks (no change, key structure only, details
// with old data, controlled keys), CR LF bytes on disk, appending only, a log that
// cannot be opened, the size warning at its bound, and the clear and show commands.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/memory/recording_messages.h"
#include "platform/memory/recording_shell.h"
#include "tests/text/listing_fixture.h"
#include "text/auto_check_log.h"

namespace {

const char kStars[] = "★★★★★★★★★★★★★★★★★★★★★★★★★★★★★★";
const std::string kTarget = "HKEY_LOCAL_MACHINE\\Software\\Watch";

std::string readFile(const std::string& path) {
  std::ostringstream bytes;
  bytes << std::ifstream(path, std::ios::binary).rdbuf();
  return bytes.str();
}

class AutoCheckLogTest : public listing_test::ListingTest {
 protected:
  void SetUp() override {
    ListingTest::SetUp();
    std::remove(path.c_str());
    run.viewState = VIEW_STATE_LIVE_COMPARED;
    run.now = {2026, 12, 7, 9, 5, 3};
  }
  void TearDown() override {
    std::remove(path.c_str());
    ListingTest::TearDown();
  }
  void compareAndCount(bool keysOnly = false) {
    compare(keysOnly);
    run.keysOnly = keysOnly;
    run.counts = takeStatusCounts(cur(), keysOnly);
  }
  void changeValue(const std::string& keyPath, const char* name) {
    value(base(), keyPath, name, kRegSz, std::string("1\0", 2));
    value(cur(), keyPath, name, kRegSz, std::string("2\0", 2));
  }

  std::string path = autoCheckLogPath(::testing::TempDir());
  AutoCheckRun run;
};

TEST_F(AutoCheckLogTest, RunWithoutChangesWritesExactlyThreeLines) {
  value(base(), kTarget, "v", kRegSz, "1");
  value(cur(), kTarget, "v", kRegSz, "1");
  compareAndCount();
  ASSERT_TRUE(appendAutoCheckResult(path, cur(), base(), run));
  EXPECT_EQ(readFile(path), std::string(kStars) +
                                "\r\n自動チェックの結果：　2026.12.07 09:05:03\r\n"
                                "　　　　　　　　　　　変化無し\r\n");
}

TEST_F(AutoCheckLogTest, BlocksAreAppendedWithDetailsAndOldData) {
  std::ofstream(path, std::ios::binary) << "earlier\r\n";
  changeValue(kTarget, "");
  value(base(), kTarget, "Lost", kRegSz, "gone", false);
  value(cur(), kTarget + "\\子キー", "値", kRegDword, std::string("\x05\0\0\0", 4));
  key(base(), kTarget + "\\Removed");
  compareAndCount();
  ASSERT_TRUE(appendAutoCheckResult(path, cur(), base(), run));
  ASSERT_TRUE(appendAutoCheckResult(path, cur(), base(), run));
  const std::string block = std::string(kStars) +
                            "\r\n自動チェックの結果：　2026.12.07 09:05:03\r\n"
                            "追加key 1, 削除key 1, 不一致 1, 追加 1, 削除 1\r\n\r\n"
                            "　　 [" + kTarget + "]\r\n"
                            "変化   (標準) := 2\r\n"
                            "             旧= 1\r\n"
                            "削除   Lost := \r\n\r\n"
                            "削除 [" + kTarget + "\\Removed]\r\n\r\n"
                            "追加 [" + kTarget + "\\子キー]\r\n"
                            "追加   値 := 0x00000005 (5)\r\n\r\n";
  EXPECT_EQ(readFile(path), "earlier\r\n" + block + block);
}

// Not-checked keys get a line of their own; not-read and refused keys are skipped with
// everything below them, even changed values.
TEST_F(AutoCheckLogTest, ControlledKeysAreWrittenOrSkippedByTheirState) {
  const struct { const char* name; uint8_t state; } keys[] = {
      {"\\Unchecked", STATE_NOT_CHECKED}, {"\\Unread", STATE_NOT_READ}, {"\\Refused", STATE_REFUSED}};
  for (const auto& k : keys) changeValue(kTarget + k.name, "v");
  compareAndCount();
  for (const auto& k : keys) keyRecord(cur(), key(cur(), kTarget + k.name)).state = k.state;
  const std::string block = autoCheckResultBlock(cur(), base(), run);
  EXPECT_NE(block.find("\n\n未調 [" + kTarget + "\\Unchecked]\n変化   v := 2\n"), std::string::npos)
      << block;
  EXPECT_EQ(block.find("Unread"), std::string::npos);
  EXPECT_EQ(block.find("Refused"), std::string::npos);
}

TEST_F(AutoCheckLogTest, KeyStructureOnlyCountsNameOnlyKeys) {
  key(cur(), kTarget + "\\New");
  compareAndCount(true);
  EXPECT_NE(autoCheckResultBlock(cur(), base(), run).find("\n追加key 1, 削除key 0\n\n"),
            std::string::npos);
}

TEST_F(AutoCheckLogTest, LogThatCannotBeOpenedDropsTheBlock) {
  // A folder in place of the log: the open fails and the folder is left alone.
  EXPECT_FALSE(appendAutoCheckResult(::testing::TempDir(), cur(), base(), run));
}

TEST_F(AutoCheckLogTest, SizeWarningStartsAboveOneMillionBytes) {
  platform::ScopedMessages messages;
  EXPECT_FALSE(warnIfLogLarge(path));  // no log at all
  std::ofstream(path, std::ios::binary) << std::string(1000000, 'x');
  EXPECT_FALSE(warnIfLogLarge(path));
  std::ofstream(path, std::ios::binary | std::ios::app) << 'x';
  EXPECT_TRUE(warnIfLogLarge(path));
  ASSERT_EQ(messages.recorder.shown.size(), 1u);
  EXPECT_EQ(messages.recorder.shown[0].caption, "自動チェック");
}

TEST_F(AutoCheckLogTest, ClearAsksFirstAndShowHandsTheLogToTheShell) {
  platform::ScopedMessages messages;
  platform::ScopedShell shell;
  std::ofstream(path, std::ios::binary) << "log\r\n";
  messages.recorder.answers = {platform::kAnswerNo, platform::kAnswerYes};
  EXPECT_FALSE(clearAutoCheckLog(path));
  EXPECT_TRUE(showAutoCheckLog(path));
  EXPECT_TRUE(clearAutoCheckLog(path));
  EXPECT_FALSE(autoCheckLogExists(path));
  EXPECT_EQ(messages.recorder.shown[0].caption, "自動チェックログクリア");
  ASSERT_EQ(shell.shell.requests.size(), 1u);
  EXPECT_EQ(shell.shell.requests[0].verb + shell.shell.requests[0].file, "open" + path);
}

TEST(AutoCheckLogPath, SeparatorIsAddedOnlyWhenMissing) {
  EXPECT_EQ(autoCheckLogPath("C:\\data\\"), "C:\\data\\ケストリンログ.txt");
  // "表" is 0x95 0x5C in cp932: its trail byte is no separator.
  EXPECT_EQ(autoCheckLogPath("C:\\表"), "C:\\表\\ケストリンログ.txt");
}

}  // namespace
