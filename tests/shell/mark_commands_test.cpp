// The mark dialogs through the real window on Wine's registry: adding, jumping, deleting,
// the no-update mode, a mark whose key is gone, and the list kept across a restart.
#include <gtest/gtest.h>

#include <deque>
#include <fstream>

#include "navigation/mark_list.h"
#include "resources/command_ids.h"
#include "resources/dialog_ids.h"
#include "rules/options.h"
#include "shell/app_state.h"
#include "shell/tree_view.h"
#include "tests/shell/shell_fixture.h"

namespace {

using namespace shell_test;

const std::string kKey = "HKEY_CURRENT_USER\\Software\\KestrinMarkTest";
const char kList[] = "マーク　リスト";
const char kEdit[] = "マークの追加・変更";

void runMarkDialog(std::deque<DialogStep> steps) {
  driveDialogs([] { runCommand(IDM_MARK); }, std::move(steps));
}
void press(HWND dialog, int id) {
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}
bool enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }
void chooseHeading(HWND dialog, const char* heading, WORD notification = LBN_SELCHANGE) {
  HWND list = GetDlgItem(dialog, IDC_MARK_HEADINGS);
  SendMessageA(list, LB_SETCURSEL, SendMessageA(list, LB_FINDSTRINGEXACT, -1, reinterpret_cast<LPARAM>(heading)), 0);
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_MARK_HEADINGS, notification), reinterpret_cast<LPARAM>(list));
}

void addSelectedAsMark(const char* heading) {  // null: the preset heading kept
  runMarkDialog({{kList, [](HWND d) { press(d, IDC_MARK_ADD); }},
                 {kEdit, [heading](HWND d) {
                    if (heading) SetDlgItemTextA(d, IDC_MARK_HEADING, heading);
                    press(d, IDOK);
                  }},
                 {kList, [](HWND d) { press(d, IDCANCEL); }}});
}
std::string markFile() { return std::string(programOptions.dataFolder) + "\\" + kMarkListFileName; }

TEST(MarkCommands, AddJumpDeleteNoUpdateMissingKeyAndRestart) {
  for (const char* name : {"Alpha", "Beta"}) RegSetKeyValueA(HKEY_CURRENT_USER, kKey.c_str() + 18, name, REG_SZ, "x", 2);
  Session::get().ensureRunning();
  std::remove(markFile().c_str());
  clearMarkList(markList());
  runCommand(IDM_READ_REGISTRY);
  ASSERT_FALSE(menuItemGreyed(IDM_MARK));
  const ItemIndex alpha = openKeyByPath((kKey + " : Alpha").c_str());
  addSelectedAsMark(nullptr);
  const ItemIndex beta = openKeyByPath((kKey + " : Beta").c_str());
  addSelectedAsMark("ベータ値");
  EXPECT_EQ(std::string(markList().marks[0].heading) + "|" + markList().marks[1].path, "Alpha|" + kKey + "\\\\\\Beta");
  openKeyByPath(kKey.c_str());
  runMarkDialog({{kList, [](HWND d) {
                    chooseHeading(d, "Alpha");
                    EXPECT_TRUE(enabled(d, IDOK) && enabled(d, IDC_MARK_DELETE));
                    press(d, IDOK);
                  }}});
  EXPECT_EQ(currentItem, alpha);
  EXPECT_NE(statusText().find("KestrinMarkTest"), std::string::npos) << statusText();
  runMarkDialog({{kList, [](HWND d) { chooseHeading(d, "ベータ値", LBN_DBLCLK); }}});
  EXPECT_EQ(currentItem, beta);
  // Beta, selected, is chosen as the dialog opens; deleted, nothing stands in its place.
  runMarkDialog({{kList, [](HWND d) { press(d, IDC_MARK_DELETE); }},
                 {kList, [](HWND d) { EXPECT_FALSE(enabled(d, IDOK)); press(d, IDCANCEL); }}});
  EXPECT_EQ(std::to_string(markList().count) + markList().marks[0].heading, "1Alpha");
  // No-update mode greys the changes and still jumps; a mark whose key is gone says so.
  addMark(markList(), "gone", kKey + "Gone");
  runMarkDialog({{kList, [](HWND d) {
                    SendMessageA(GetDlgItem(d, IDC_MARK_NO_UPDATE), BM_CLICK, 0, 0);
                    chooseHeading(d, "gone");
                    EXPECT_FALSE(enabled(d, IDC_MARK_ADD) || enabled(d, IDC_MARK_DELETE) || enabled(d, IDC_MARK_RENAME));
                    press(d, IDOK);
                  }}});
  EXPECT_NE(statusText().find("マークの該当項目が見付かりません。"), std::string::npos) << statusText();
  // Written at exit (the marks changed), read at start; unchanged, not written again.
  Session::get().stop();
  ASSERT_TRUE(Session::get().start());
  EXPECT_EQ(std::to_string(markList().count) + std::to_string(markList().noUpdate), "21");
  std::remove(markFile().c_str());
  Session::get().stop();
  EXPECT_FALSE(std::ifstream(markFile()).good());
  RegDeleteTreeA(HKEY_CURRENT_USER, kKey.c_str() + 18);
}

}  // namespace
