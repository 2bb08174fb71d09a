// The clipboard commands and the automatic check's log, driven through the real
// window on Wine's registry: auto-check data of a test key made, saved as .rsa and
// opened (which starts the check), the key changed, timer 2 run twice with a
// shortened tick, both log blocks checked byte for byte, the check stopped; between
// the runs each copy command and what the clipboard holds after it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>

#include "engine/snapshot_store.h"
#include "platform/clipboard.h"
#include "resources/command_ids.h"
#include "rules/options.h"
#include "shell/app_state.h"
#include "shell/auto_check_log_commands.h"
#include "shell/menu_state.h"
#include "shell/tree_view.h"
#include "tests/shell/shell_fixture.h"
#include "text/listings.h"

namespace {

using namespace shell_test;

const char kTestKey[] = "Software\\KestrinListingTest";
const char kTestPath[] = "HKEY_CURRENT_USER\\Software\\KestrinListingTest";
const char kStars[] = "★★★★★★★★★★★★★★★★★★★★★★★★★★★★★★";

void setTestValue(const char* text) { setRegString(kTestKey, "値", text); }

std::string readFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
}

ItemIndex testKey() { return findItem({"HKEY_CURRENT_USER", "Software", "KestrinListingTest"}); }

std::string clipboardText() {
  std::string text;
  return platform::readClipboardText(text) ? text : std::string("(none)");
}

// Lets timer 2 fire at once: one tick left, ticking every 20 ms; then waits until
// the run it starts has appended its block.
void runTimerOnce(const std::string& log) {
  const size_t before = readFile(log).size();
  autoCheckCountdown = 1;
  SetTimer(mainWindow, kAutoCheckTimer, 20, nullptr);
  ASSERT_TRUE(pumpUntil([&] { return readFile(log).size() > before && !operationBusy; }));
}

// The block with its time ("2026.12.07 06:35:00", checked for its shape) fixed.
std::string withFixedTime(std::string block) {
  const std::string lead = "\r\n自動チェックの結果：　";
  const size_t at = block.find(lead) + lead.size();
  if (at < lead.size() || block.size() < at + 19) return block;
  EXPECT_EQ(block.substr(at + 4, 1) + block.substr(at + 13, 1), ".:") << block.substr(at, 19);
  return block.replace(at, 19, "YYYY.MM.DD hh:mm:ss");
}

class ListingCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    session.ensureRunning();
    RegDeleteTreeA(HKEY_CURRENT_USER, kTestKey);
    setTestValue("前");
  }
  void TearDown() override {
    if (autoCheckOn) runCommand(IDM_TOGGLE_AUTOCHECK);
    runCommand(IDM_CLOSE);
    RegDeleteTreeA(HKEY_CURRENT_USER, kTestKey);
  }
  Session& session = Session::get();
};

TEST_F(ListingCommandsTest, TimerRunsAppendTheirBlocksAndCopiesFillTheClipboard) {
  runCommand(IDM_READ_REGISTRY);
  const ItemIndex target = testKey();
  ASSERT_NE(target, kNoItem);
  keyRecord(currentStore(), target).summary |= SUM_AUTOCHECK_TARGET;
  lastCounts.autoCheckTargets = 1;
  setCommandEnabled(IDM_MAKE_AUTOCHECK_DATA, true);
  const std::string data = session.scratchPath("listing.rsa");
  std::remove(data.c_str());
  session.messages.answers.push_back(platform::kAnswerYes);
  session.dialogs.answers.push_back(data);
  runCommand(IDM_MAKE_AUTOCHECK_DATA);
  EXPECT_EQ(session.messages.shown.back().text, "作成した自動チェック用データを保存しますか？");
  EXPECT_EQ(session.dialogs.requests.back().defaultExtension, "rsa");
  EXPECT_EQ(statusText(), " 自動チェック用データ作成完了");

  // Opened, the data start the automatic check at once with the options' interval.
  const std::string log = currentAutoCheckLogPath();
  std::remove(log.c_str());
  session.dialogs.answers.push_back(data);
  runCommand(IDM_OPEN_BASELINE);
  ASSERT_TRUE(autoCheckOn);
  EXPECT_EQ(statusText(), " 自動チェック開始：　チェック間隔 10 分");
  EXPECT_EQ(menuItemText(IDM_TOGGLE_AUTOCHECK), "自動チェック停止(&B)");
  EXPECT_TRUE(menuItemGreyed(IDM_SAVE));

  setTestValue("後");
  setRegString(std::string(kTestKey) + "\\新キー", nullptr, "");
  runTimerOnce(log);
  const std::string first = std::string(kStars) +
                            "\r\n自動チェックの結果：　YYYY.MM.DD hh:mm:ss\r\n"
                            "追加key 1, 削除key 0, 不一致 1, 追加 0, 削除 0\r\n"
                            "\r\n"
                            "　　 [" + kTestPath + "]\r\n"
                            "変化   値 := 後\r\n"
                            "         旧= 前\r\n"
                            "\r\n"
                            "追加 [" + kTestPath + "\\新キー]\r\n"
                            "\r\n";
  EXPECT_EQ(withFixedTime(readFile(log)), first);
  EXPECT_EQ(autoCheckCountdown, 60u);  // the next countdown starts after the run

  // The clipboard after each copy command, on the comparison the first run left.
  currentItem = testKey();
  runCommand(IDM_COPY_KEY_NAME);
  EXPECT_EQ(clipboardText(), kTestPath);
  EXPECT_FALSE(menuItemGreyed(IDM_CLEAR_CLIPBOARD));
  // The listings, after their title line (it holds the minute).
  const ListingContext context{viewState, programOptions.entries[OPT_SHOW_VALUES] != 0,
                               baselineLabel.c_str(), comparisonLabel.c_str(), {}};
  const std::string changes = changeList(currentStore(), baselineStore(), currentItem, context).text();
  const std::string structure = keyStructureList(currentStore(), currentItem, context).text();
  for (const auto& copy : {std::make_pair(IDM_COPY_KEY_CHANGES, changes),
                           std::make_pair(IDM_COPY_KEY_STRUCTURE, structure)}) {
    runCommand(copy.first);
    const std::string text = clipboardText();
    EXPECT_EQ(text.substr(std::min(text.find("\r\n"), text.size())),
              copy.second.substr(copy.second.find("\r\n")));
  }
  const ItemIndex value = findChild(currentStore(), currentItem, "値", true);
  currentItem = value;
  runCommand(IDM_COPY_VALUE);
  EXPECT_EQ(clipboardText(), "後");
  EXPECT_EQ(statusText(), " 値エントリのコピー完了");
  runCommand(IDM_CLEAR_CLIPBOARD);
  EXPECT_EQ(clipboardText(), "(none)");
  EXPECT_TRUE(menuItemGreyed(IDM_CLEAR_CLIPBOARD));

  // Nothing changed since (the first run's reading is now the baseline): the second
  // run appends exactly the three-line block.
  const std::string firstBytes = readFile(log);
  runTimerOnce(log);
  const std::string both = readFile(log);
  EXPECT_EQ(both.substr(0, firstBytes.size()), firstBytes);
  EXPECT_EQ(withFixedTime(both.substr(firstBytes.size())),
            std::string(kStars) +
                "\r\n自動チェックの結果：　YYYY.MM.DD hh:mm:ss\r\n"
                "　　　　　　　　　　　変化無し\r\n");
  runCommand(IDM_TOGGLE_AUTOCHECK);
  EXPECT_FALSE(autoCheckOn);
  EXPECT_EQ(statusText(), " 自動チェック停止");
}

}  // namespace
