#include "text/operation_log.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/memory_pool.h"
#include "platform/memory/memory_clipboard.h"
#include "platform/memory/recording_messages.h"
#include "text/fault_recovery.h"

namespace {

const char kCopiedText[] = "操作ログをクリップボードへコピーしました。";

class OperationLogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    initMemoryPool();
    ASSERT_TRUE(initOperationLog());
  }
  void TearDown() override { releaseOperationLog(); }

  // The clipboard text after a copy, split into lines; every line must end in CR LF.
  std::vector<std::string> copiedLines() {
    std::vector<std::string> lines;
    if (!copyOperationLogToClipboard()) return lines;
    const std::string& text = clipboard_.board.text;
    size_t at = 0;
    while (at < text.size()) {
      size_t end = text.find("\r\n", at);
      if (end == std::string::npos) {
        ADD_FAILURE() << "last line without CR LF";
        break;
      }
      lines.push_back(text.substr(at, end - at));
      at = end + 2;
    }
    return lines;
  }

  platform::ScopedClipboard clipboard_;
  platform::ScopedMessages messages_;
};

// Entries of varied length (8 to 250 bytes) that name their number.
std::string entryText(int n) {
  std::string text = ":" + std::to_string(n) + ":";
  text.resize(static_cast<size_t>(8 + (n * 37) % 243), static_cast<char>('a' + n % 26));
  return text;
}

TEST_F(OperationLogTest, EntriesAreCutAt255BytesNeverInsideACharacter) {
  logOperation("%s", std::string(300, 'x').c_str());
  logOperation("%s", (std::string(254, 'y') + "あ").c_str());  // the lead byte would be byte 255
  logOperation("%s", (std::string(253, 'z') + "あ").c_str());  // exactly 255 bytes
  std::vector<std::string> lines = copiedLines();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], std::string(255, 'x'));
  EXPECT_EQ(lines[1], std::string(254, 'y'));
  EXPECT_EQ(lines[2], std::string(253, 'z') + "あ");
}

TEST_F(OperationLogTest, AfterWrappingTheCopyHoldsTheNewestEntriesOldestFirst) {
  std::vector<std::string> written;
  // Over four passes around the ring, checked at many points on the way.
  for (int n = 0; n < 1200; ++n) {
    written.push_back(entryText(n));
    logOperation("%s", written.back().c_str());
    if (n % 97 != 96 && n != 1199) continue;
    std::vector<std::string> lines = copiedLines();
    ASSERT_FALSE(lines.empty());
    ASSERT_LE(lines.size(), written.size());
    // Exactly the newest entries, in the order written.
    const size_t first = written.size() - lines.size();
    for (size_t i = 0; i < lines.size(); ++i) ASSERT_EQ(lines[i], written[first + i]) << "after " << n;
    // And no more dropped than the room kept free ahead of the next entry.
    size_t kept = 0;
    for (const std::string& line : lines) kept += line.size() + 1;
    size_t total = 0;
    for (const std::string& entry : written) total += entry.size() + 1;
    if (total >= static_cast<size_t>(kOperationLogBytes)) {
      EXPECT_GE(kept, static_cast<size_t>(kOperationLogBytes - 3 * kOperationLogEntryRoom)) << "after " << n;
      EXPECT_TRUE(operationLog.wrapped);
    }
  }
}

int shutdownRuns = 0;
std::string clipboardAtShutdown;
platform::MemoryClipboard* recoveryClipboard = nullptr;
void recordShutdown() {
  ++shutdownRuns;
  clipboardAtShutdown = recoveryClipboard ? recoveryClipboard->text : "";
}

class FaultRecoveryTest : public OperationLogTest {
 protected:
  void SetUp() override {
    OperationLogTest::SetUp();
    shutdownRuns = 0;
    clipboardAtShutdown.clear();
    recoveryClipboard = &clipboard_.board;
    setFaultShutdownHook(&recordShutdown);
    logOperation(":レジストリの比較");
    logOperation("v:キー選択:%x", 0x2a);
  }
  void TearDown() override {
    setFaultShutdownHook(nullptr);
    recoveryClipboard = nullptr;
    OperationLogTest::TearDown();
  }
};

TEST_F(FaultRecoveryTest, YesCopiesTheLogThenShutsDownAndNoOnlyShutsDown) {
  messages_.recorder.answers = {platform::kAnswerYes, platform::kAnswerNo};
  recoverFromFault();
  ASSERT_EQ(messages_.recorder.shown.size(), 2u);
  const platform::ShownMessage& question = messages_.recorder.shown[0];
  EXPECT_EQ(question.text,
            "プログラムが正常に動作できなくなりました。直ちに終了します。\n"
            "終了する前に、操作のログ情報をクリップボードへコピーしますか？");
  EXPECT_EQ(question.caption, "ゾルファン：異常状態発生");
  EXPECT_EQ(question.flags & 0xF, static_cast<unsigned>(platform::kMsgYesNo));
  EXPECT_TRUE(question.flags & platform::kMsgNoOwner);
  EXPECT_EQ(messages_.recorder.shown[1].text, kCopiedText);
  EXPECT_EQ(shutdownRuns, 1);
  EXPECT_EQ(clipboardAtShutdown, ":レジストリの比較\r\nv:キー選択:2a\r\n");
  recoverFromFault();
  EXPECT_EQ(messages_.recorder.shown.size(), 3u);
  EXPECT_EQ(clipboard_.board.copies, 1);
  EXPECT_EQ(shutdownRuns, 2);
}

}  // namespace
