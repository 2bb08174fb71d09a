// The mark list through the real window on Wine's registry: marks added for two values
// of one key through the dialogs, jumps by 表示 and by double click, the preselected
// mark deleted, the no-update mode, a mark whose key is gone, and the file written at
// exit and read at start.
#include <gtest/gtest.h>

#include <deque>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "navigation/mark_list.h"
#include "resources/command_ids.h"
#include "resources/dialog_ids.h"
#include "rules/options.h"
#include "shell/app_state.h"
#include "shell/tree_view.h"
#include "tests/shell/shell_fixture.h"

namespace {

using namespace shell_test;

const char kKey[] = "HKEY_CURRENT_USER\\Software\\KestrinMarkTest";
const char kListTitle[] = "マーク　リスト";
const char kEditTitle[] = "マークの追加・変更";

// What the timer does to the dialogs, one step each time the dialog of `title` is up.
struct Step {
  const char* title;
  std::function<void(HWND)> act;
};
std::deque<Step> steps;
int idleTicks = 0;

void CALLBACK driveSteps(HWND, UINT, UINT_PTR, DWORD) {
  HWND dialog = steps.empty() ? nullptr : FindWindowA("#32770", steps.front().title);
  if (!dialog) {
    // A step that can never happen must not leave the test in a modal loop.
    if (++idleTicks < 300) return;
    for (const char* title : {kEditTitle, kListTitle}) {
      if (HWND open = FindWindowA("#32770", title)) PostMessageA(open, WM_COMMAND, IDCANCEL, 0);
    }
    return;
  }
  idleTicks = 0;
  Step step = std::move(steps.front());
  steps.pop_front();
  step.act(dialog);
}

void runMarkDialog(std::deque<Step> script) {
  steps = std::move(script);
  idleTicks = 0;
  const UINT_PTR timer = SetTimer(nullptr, 0, 30, driveSteps);
  runCommand(IDM_MARK);
  KillTimer(nullptr, timer);
  EXPECT_TRUE(steps.empty()) << steps.size() << " steps left, next on " << steps.front().title;
}

void press(HWND dialog, int id) {
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}
bool enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }

void chooseHeading(HWND dialog, const char* heading, WORD notification = LBN_SELCHANGE) {
  HWND list = GetDlgItem(dialog, IDC_MARK_HEADINGS);
  const LRESULT position = SendMessageA(list, LB_FINDSTRINGEXACT, -1, reinterpret_cast<LPARAM>(heading));
  SendMessageA(list, LB_SETCURSEL, position, 0);
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_MARK_HEADINGS, notification), reinterpret_cast<LPARAM>(list));
}

// Adds the selected item as a mark, typing `heading` unless it is null (the preset kept).
void addSelectedAsMark(const char* heading) {
  runMarkDialog({{kListTitle, [](HWND d) { press(d, IDC_MARK_ADD); }},
                 {kEditTitle,
                  [heading](HWND d) {
                    if (heading) SetDlgItemTextA(d, IDC_MARK_HEADING, heading);
                    press(d, IDOK);
                  }},
                 {kListTitle, [](HWND d) { press(d, IDCANCEL); }}});
}

std::string markFile() {
  std::string folder = programOptions.dataFolder;
  if (folder.back() != '\\') folder += '\\';
  return folder + kMarkListFileName;
}

class MarkCommandsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    HKEY key;
    RegCreateKeyExA(HKEY_CURRENT_USER, kKey + 18, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    for (const char* name : {"Alpha", "Beta"}) RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>("x"), 2);
    RegCloseKey(key);
    Session::get().start();
    std::remove(markFile().c_str());
    Session::get().start();
    runCommand(IDM_READ_REGISTRY);
  }
  static void TearDownTestSuite() {
    Session::get().stop();
    std::remove(markFile().c_str());
    RegDeleteTreeA(HKEY_CURRENT_USER, kKey + 18);
  }
};

TEST_F(MarkCommandsTest, MarksTwoValuesOfOneKeyJumpsToEachAndDeletesThePreselectedOne) {
  ASSERT_FALSE(menuItemGreyed(IDM_MARK));
  const ItemIndex alpha = openKeyByPath((std::string(kKey) + " : Alpha").c_str());
  addSelectedAsMark(nullptr);
  const ItemIndex beta = openKeyByPath((std::string(kKey) + " : Beta").c_str());
  addSelectedAsMark("ベータ値");
  ASSERT_EQ(markList().count, 2);
  EXPECT_EQ(std::string(markList().marks[0].heading) + "|" + markList().marks[1].heading, "Alpha|ベータ値");
  EXPECT_EQ(std::string(markList().marks[1].path), std::string(kKey) + "\\\\\\Beta");

  openKeyByPath(kKey);
  runMarkDialog({{kListTitle, [](HWND d) {
                    EXPECT_FALSE(enabled(d, IDOK));
                    chooseHeading(d, "Alpha");
                    EXPECT_TRUE(enabled(d, IDOK) && enabled(d, IDC_MARK_DELETE));
                    press(d, IDOK);
                  }}});
  EXPECT_EQ(currentItem, alpha);
  EXPECT_NE(statusText().find("KestrinMarkTest"), std::string::npos) << statusText();
  runMarkDialog({{kListTitle, [](HWND d) { chooseHeading(d, "ベータ値", LBN_DBLCLK); }}});
  EXPECT_EQ(currentItem, beta);

  // Beta is selected: its mark is chosen when the dialog opens.
  std::string shownPath;
  runMarkDialog({{kListTitle, [&shownPath](HWND d) {
                    char text[600] = "";
                    GetDlgItemTextA(d, IDC_MARK_PATH, text, sizeof text);
                    shownPath = text;
                    press(d, IDC_MARK_DELETE);
                  }},
                 {kListTitle, [](HWND d) {
                    EXPECT_EQ(SendDlgItemMessageA(d, IDC_MARK_HEADINGS, LB_GETCOUNT, 0, 0), 1);
                    EXPECT_FALSE(enabled(d, IDOK));  // nothing stands where Beta stood
                    press(d, IDCANCEL);
                  }}});
  EXPECT_EQ(shownPath, std::string(kKey) + "\\\\\\Beta");
  ASSERT_EQ(markList().count, 1);
  EXPECT_STREQ(markList().marks[0].heading, "Alpha");
}

TEST_F(MarkCommandsTest, NoUpdateModeStillJumpsAndAMarkWhoseKeyIsGoneIsReported) {
  addMark(markList(), "gone", std::string(kKey) + "Gone");
  runMarkDialog({{kListTitle, [](HWND d) {
                    SendMessageA(GetDlgItem(d, IDC_MARK_NO_UPDATE), BM_CLICK, 0, 0);
                    chooseHeading(d, "gone");
                    EXPECT_FALSE(enabled(d, IDC_MARK_ADD) || enabled(d, IDC_MARK_DELETE) ||
                                 enabled(d, IDC_MARK_RENAME));
                    press(d, IDOK);
                  }}});
  EXPECT_EQ(markList().noUpdate, 1);
  EXPECT_NE(statusText().find("マークの該当項目が見付かりません。"), std::string::npos) << statusText();
  setMarkNoUpdate(markList(), false);
}

TEST_F(MarkCommandsTest, TheListIsWrittenAtExitWhenChangedAndReadAtStart) {
  clearMarkList(markList());
  addMark(markList(), "見出し", std::string(kKey) + "\\\\\\Alpha");
  Session::get().stop();
  std::ifstream in(markFile(), std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  EXPECT_EQ(text.str(), "更新抑制:0\r\n\"見出し\"\t" + std::string(kKey) + "\\\\\\Alpha\r\n");
  in.close();
  // Read at start; unchanged, not written at exit (the removed file stays away).
  ASSERT_TRUE(Session::get().start());
  ASSERT_EQ(markList().count, 1);
  EXPECT_STREQ(markList().marks[0].heading, "見出し");
  std::remove(markFile().c_str());
  Session::get().stop();
  EXPECT_FALSE(std::ifstream(markFile()).good());
  ASSERT_TRUE(Session::get().start());
  EXPECT_EQ(markList().count, 0);
}

}  // namespace
