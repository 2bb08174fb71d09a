// The auto-check log: exact result blocks (no change, key structure only, details
// with old data), the CR LF bytes on disk, appending only, a log that cannot be
// opened, the size warning at its bound, and the clear and show commands.
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

using listing_test::ListingTest;

const char kStars[] = "★★★★★★★★★★★★★★★★★★★★★★★★★★★★★★";
const char kTarget[] = "HKEY_LOCAL_MACHINE\\Software\\Watch";

std::string readFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
}

void writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

class AutoCheckLogTest : public ListingTest {
 protected:
  void SetUp() override {
    ListingTest::SetUp();
    folder_ = ::testing::TempDir();
    path = autoCheckLogPath(folder_);
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

  std::string folder_;
  std::string path;
  AutoCheckRun run;
};

TEST_F(AutoCheckLogTest, RunWithoutChangesWritesExactlyThreeLines) {
  both(kTarget, "v", kRegSz, std::string("1\0", 2));
  compareAndCount();
  ASSERT_TRUE(appendAutoCheckResult(path, cur(), base(), run));
  EXPECT_EQ(readFile(path), std::string(kStars) +
                                "\r\n自動チェックの結果：　2026.12.07 09:05:03\r\n"
                                "　　　　　　　　　　　変化無し\r\n");
}

TEST_F(AutoCheckLogTest, BlocksAreAppendedWithDetailsAndOldData) {
  writeFile(path, "earlier\r\n");
  value(base(), kTarget, "", kRegSz, std::string("old\0", 4));
  value(cur(), kTarget, "", kRegSz, std::string("new\0", 4));
  value(base(), kTarget, "Lost", kRegSz, "gone", false);
  value(cur(), std::string(kTarget) + "\\子キー", "値", kRegDword, std::string("\x05\0\0\0", 4));
  key(base(), std::string(kTarget) + "\\Removed");
  compareAndCount();
  ASSERT_TRUE(appendAutoCheckResult(path, cur(), base(), run));
  const std::string block = std::string(kStars) +
                            "\r\n自動チェックの結果：　2026.12.07 09:05:03\r\n"
                            "追加key 1, 削除key 1, 不一致 1, 追加 1, 削除 1\r\n"
                            "\r\n"
                            "　　 [HKEY_LOCAL_MACHINE\\Software\\Watch]\r\n"
                            "変化   (標準) := new\r\n"
                            "             旧= old\r\n"
                            "削除   Lost := \r\n"
                            "\r\n"
                            "削除 [HKEY_LOCAL_MACHINE\\Software\\Watch\\Removed]\r\n"
                            "\r\n"
                            "追加 [HKEY_LOCAL_MACHINE\\Software\\Watch\\子キー]\r\n"
                            "追加   値 := 0x00000005 (5)\r\n"
                            "\r\n";
  EXPECT_EQ(readFile(path), "earlier\r\n" + block);
  ASSERT_TRUE(appendAutoCheckResult(path, cur(), base(), run));
  EXPECT_EQ(readFile(path), "earlier\r\n" + block + block);
}

TEST_F(AutoCheckLogTest, KeyStructureOnlyCountsNameOnlyKeys) {
  key(cur(), std::string(kTarget) + "\\New");
  both(kTarget, "v", kRegSz, "1");
  compareAndCount(true);
  const std::string block = autoCheckResultBlock(cur(), base(), run);
  EXPECT_NE(block.find("\n追加key 1, 削除key 0\n\n"), std::string::npos) << block;
}

// Not-checked keys get a line of their own; not-read and refused keys are skipped with
// everything below them, even changed values.
TEST_F(AutoCheckLogTest, ControlledKeysAreWrittenOrSkippedByTheirState) {
  const std::string watch = kTarget;
  for (const char* name : {"\\Unchecked", "\\Unread", "\\Refused"}) {
    value(base(), watch + name, "v", kRegSz, std::string("1\0", 2));
    value(cur(), watch + name, "v", kRegSz, std::string("2\0", 2));
  }
  compareAndCount();
  keyRecord(cur(), key(cur(), watch + "\\Unchecked")).state = STATE_NOT_CHECKED;
  keyRecord(cur(), key(cur(), watch + "\\Unread")).state = STATE_NOT_READ;
  keyRecord(cur(), key(cur(), watch + "\\Refused")).state = STATE_REFUSED;
  const std::string block = autoCheckResultBlock(cur(), base(), run);
  EXPECT_NE(block.find("\n\n未調 [" + watch + "\\Unchecked]\n変化   v := 2\n"),
            std::string::npos)
      << block;
  EXPECT_EQ(block.find("Unread"), std::string::npos);
  EXPECT_EQ(block.find("Refused"), std::string::npos);
}

TEST_F(AutoCheckLogTest, LogThatCannotBeOpenedDropsTheBlock) {
  // A folder in place of the log: the open fails, and the folder is left alone.
  const std::string blocked = folder_ + "blocked_log_dir";
  ASSERT_EQ(std::system(("mkdir -p '" + blocked + "'").c_str()), 0);
  EXPECT_FALSE(appendAutoCheckResult(blocked, cur(), base(), run));
  EXPECT_TRUE(readFile(blocked).empty());
  std::system(("rmdir '" + blocked + "'").c_str());
}

TEST_F(AutoCheckLogTest, SizeWarningStartsAboveOneMillionBytes) {
  platform::ScopedMessages messages;
  EXPECT_FALSE(warnIfLogLarge(path));  // no log at all
  writeFile(path, std::string(1000000, 'x'));
  EXPECT_FALSE(warnIfLogLarge(path));
  writeFile(path, std::string(1000001, 'x'));
  EXPECT_TRUE(warnIfLogLarge(path));
  ASSERT_EQ(messages.recorder.shown.size(), 1u);
  EXPECT_EQ(messages.recorder.shown[0].caption, "自動チェック");
  EXPECT_EQ(messages.recorder.shown[0].flags, platform::kMsgIconInformation);
}

TEST_F(AutoCheckLogTest, ClearAsksFirstAndShowHandsTheLogToTheShell) {
  platform::ScopedMessages messages;
  platform::ScopedShell shell;
  writeFile(path, "log\r\n");
  messages.recorder.answers = {platform::kAnswerNo, platform::kAnswerYes, platform::kAnswerYes};
  EXPECT_FALSE(clearAutoCheckLog(path));
  EXPECT_TRUE(autoCheckLogExists(path));
  EXPECT_TRUE(showAutoCheckLog(path));
  EXPECT_TRUE(clearAutoCheckLog(path));
  EXPECT_FALSE(autoCheckLogExists(path));
  EXPECT_TRUE(clearAutoCheckLog(path));  // already gone: no complaint
  EXPECT_EQ(messages.recorder.shown.size(), 3u);
  EXPECT_EQ(messages.recorder.shown[0].caption, "自動チェックログクリア");
  ASSERT_EQ(shell.shell.requests.size(), 1u);
  EXPECT_EQ(shell.shell.requests[0].verb, "open");
  EXPECT_EQ(shell.shell.requests[0].file, path);
}

TEST(AutoCheckLogPath, SeparatorIsAddedOnlyWhenMissing) {
  EXPECT_EQ(autoCheckLogPath("C:\\data\\"), "C:\\data\\ケストリンログ.txt");
  EXPECT_EQ(autoCheckLogPath("C:\\data"), "C:\\data\\ケストリンログ.txt");
  // "表" is 0x95 0x5C in cp932: its trail byte is no separator.
  EXPECT_EQ(autoCheckLogPath("C:\\表"), "C:\\表\\ケストリンログ.txt");
}

}  // namespace
