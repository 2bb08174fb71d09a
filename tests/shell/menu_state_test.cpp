// The menu-state table against the views it drives (main menu, toolbar, right-click
// menu), the status line and title texts, the busy cursor, the message-pumping wait
// and the two small dialogs, all on the real main window.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialogs/status_dialog.h"
#include "resources/command_ids.h"
#include "resources/dialog_ids.h"
#include "rules/options.h"
#include "shell/app_state.h"
#include "shell/command_availability.h"
#include "shell/main_window.h"
#include "shell/menu_state.h"
#include "shell/status_line.h"
#include "shell/tree_view.h"
#include "tests/shell/shell_fixture.h"
#include "text/value_text.h"

namespace {

using shell_test::menuItemChecked;
using shell_test::menuItemGreyed;

// The menu-state rules hold for every command, also those whose work the program does
// not have yet: this suite makes them all available, from a fresh start on.
class MenuStateTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    makeEveryCommandAvailable(true);
    shell_test::Session::get().start();
  }
  static void TearDownTestSuite() {
    shell_test::Session::get().stop();
    makeEveryCommandAvailable(false);
  }
  void SetUp() override {
    shell_test::Session::get().ensureRunning();
    ASSERT_TRUE(mainWindow);
  }
};

LRESULT toolbarState(int id) {
  return SendMessageA(toolbarWindow, TB_GETSTATE, static_cast<WPARAM>(id), 0);
}

// Takes a WM_COMMAND for `id` off the queue without running it.
bool takePostedCommand(int id) {
  MSG message;
  bool found = false;
  while (PeekMessageA(&message, mainWindow, WM_COMMAND, WM_COMMAND, PM_REMOVE)) {
    if (LOWORD(message.wParam) == id) found = true;
  }
  return found;
}

void pressCtrlKey(WPARAM key) {
  shell_test::setKeyDown(VK_CONTROL, true);
  handleShortcutKey(WM_KEYDOWN, key);
  handleShortcutKey(WM_KEYUP, key);
  shell_test::setKeyDown(VK_CONTROL, false);
}

TEST_F(MenuStateTest, StartsWithTheTableStatesInMenuAndToolbar) {
  ASSERT_TRUE(toolbarWindow);
  EXPECT_EQ(32, SendMessageA(toolbarWindow, TB_BUTTONCOUNT, 0, 0));
  // The pictures are cut from the strip at their own width, 18 pixels.
  HIMAGELIST pictures =
      reinterpret_cast<HIMAGELIST>(SendMessageA(toolbarWindow, TB_GETIMAGELIST, 0, 0));
  int width = 0;
  int height = 0;
  ASSERT_TRUE(ImageList_GetIconSize(pictures, &width, &height));
  EXPECT_EQ(18, width);
  EXPECT_EQ(18, height);
  TBBUTTON last = {};
  ASSERT_TRUE(SendMessageA(toolbarWindow, TB_GETBUTTON, 31, reinterpret_cast<LPARAM>(&last)));
  EXPECT_EQ(IDM_AUTOCHECK_TARGET, last.idCommand);
  EXPECT_LT(last.iBitmap, ImageList_GetImageCount(pictures));
  EXPECT_FALSE(menuItemGreyed(IDM_OPEN_BASELINE));
  EXPECT_TRUE(menuItemGreyed(IDM_SAVE));
  // The defaults show sizes and values, and compare more than the key structure.
  EXPECT_TRUE(menuItemChecked(IDM_SHOW_SIZES));
  EXPECT_TRUE(menuItemChecked(IDM_SHOW_VALUES));
  EXPECT_FALSE(menuItemChecked(IDM_KEYS_ONLY));
  EXPECT_EQ(TBSTATE_ENABLED | TBSTATE_CHECKED,
            toolbarState(IDM_SHOW_SIZES) & (TBSTATE_ENABLED | TBSTATE_CHECKED));
  // The selection commands wait for a selection.
  EXPECT_TRUE(menuItemGreyed(IDM_NOT_READ));
  EXPECT_TRUE(menuItemGreyed(IDM_PROPERTIES));
  EXPECT_FALSE(menuItemGreyed(IDM_SHOW_MODIFIED));

  MENUITEMINFOA info = {};
  info.cbSize = sizeof info;
  info.fMask = MIIM_CHECKMARKS;
  ASSERT_TRUE(GetMenuItemInfoA(GetMenu(mainWindow), IDM_CLOSE, FALSE, &info));
  EXPECT_TRUE(info.hbmpChecked != nullptr && info.hbmpUnchecked != nullptr);
  ASSERT_TRUE(GetMenuItemInfoA(GetMenu(mainWindow), IDM_SAVE, FALSE, &info));
  EXPECT_TRUE(info.hbmpChecked == nullptr && info.hbmpUnchecked == nullptr);
}

TEST_F(MenuStateTest, GreyingGreysToolbarButtonAndSilencesShortcut) {
  takePostedCommand(IDM_OPEN_BASELINE);
  setCommandEnabled(IDM_OPEN_BASELINE, false);
  EXPECT_FALSE(isCommandEnabled(IDM_OPEN_BASELINE));
  EXPECT_TRUE(menuItemGreyed(IDM_OPEN_BASELINE));
  EXPECT_EQ(TBSTATE_INDETERMINATE,
            toolbarState(IDM_OPEN_BASELINE) & (TBSTATE_INDETERMINATE | TBSTATE_ENABLED));
  pressCtrlKey('O');
  EXPECT_FALSE(takePostedCommand(IDM_OPEN_BASELINE));

  setCommandEnabled(IDM_OPEN_BASELINE, true);
  EXPECT_FALSE(menuItemGreyed(IDM_OPEN_BASELINE));
  EXPECT_EQ(TBSTATE_ENABLED, toolbarState(IDM_OPEN_BASELINE) &
                                 (TBSTATE_INDETERMINATE | TBSTATE_ENABLED | TBSTATE_CHECKED));
  pressCtrlKey('O');
  EXPECT_TRUE(takePostedCommand(IDM_OPEN_BASELINE));
}

TEST_F(MenuStateTest, ToolbarAsksTheMainWindowForItsToolTips) {
  // The tip of a switching item after a read: file_commands_test.
  NMTTDISPINFOA request = {};
  request.hdr.hwndFrom = toolbarWindow;
  request.hdr.idFrom = IDM_OPEN_BASELINE;
  request.hdr.code = TTN_NEEDTEXTA;
  SendMessageA(mainWindow, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&request));
  ASSERT_TRUE(request.lpszText != nullptr);
  EXPECT_STREQ("基準ファイルを開く", request.lpszText);
}

TEST_F(MenuStateTest, StatusLineTexts) {
  showCounts(StatusCounts{}, false);
  EXPECT_EQ(" 変化なし", shell_test::statusText());
  setStatusTextPlain(nullptr);
  EXPECT_EQ("", shell_test::statusText());
  // An over-long text is cut within 512 bytes and never in half a character.
  std::string wide;
  for (int i = 0; i < 400; ++i) wide += "あ";
  setStatusText("%s", wide.c_str());
  const std::string shown = shell_test::statusText();
  EXPECT_LE(shown.size(), 511u);
  EXPECT_EQ(0u, (shown.size() - 1) % 2);
  EXPECT_EQ(' ', shown[0]);
}

// The message-pumping wait, run inside loops the test controls.
struct WaitProbe {
  bool innerResult = false;
  bool safetyFired = false;
};
WaitProbe waitProbe;
UINT_PTR innerTimer = 0;
UINT_PTR safetyTimer = 0;

void CALLBACK quitDuringWait(HWND, UINT, UINT_PTR, DWORD) {
  KillTimer(nullptr, innerTimer);
  PostQuitMessage(0);
  waitProbe.innerResult = pumpMessagesFor(100);
}

// Ends a loop that would otherwise never end, so a fault fails instead of hanging.
void CALLBACK safetyQuit(HWND, UINT, UINT_PTR, DWORD) {
  KillTimer(nullptr, safetyTimer);
  waitProbe.safetyFired = true;
  PostQuitMessage(0);
}

void swallowQuit() {
  MSG message;
  shell_test::pumpPending();
  while (PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
  }
}

TEST_F(MenuStateTest, QuitDuringWaitEndsTheOuterLoopToo) {
  waitProbe = WaitProbe{};
  innerTimer = SetTimer(nullptr, 0, 10, quitDuringWait);
  safetyTimer = SetTimer(nullptr, 0, 5000, safetyQuit);
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  KillTimer(nullptr, safetyTimer);
  EXPECT_TRUE(waitProbe.innerResult);
  EXPECT_FALSE(waitProbe.safetyFired);
  swallowQuit();
}

// The status dialog's texts, read by a thread timer while it shows.
std::vector<std::string> statusDialogTexts() {
  static const int kControls[] = {
      IDC_STATUS_BASELINE,     IDC_STATUS_COMPARISON,        IDC_STATUS_KEYS,
      IDC_STATUS_VALUES,       IDC_STATUS_KILOBYTES,         IDC_STATUS_NOT_READ,
      IDC_STATUS_NOT_CHECKED,  IDC_STATUS_NOT_DISPLAYED,     IDC_STATUS_REFUSED,
      IDC_STATUS_ADDED_KEYS,   IDC_STATUS_DELETED_KEYS,      IDC_STATUS_MISMATCHED_VALUES,
      IDC_STATUS_ADDED_VALUES, IDC_STATUS_DELETED_VALUES,
  };
  std::vector<std::string> texts;
  shell_test::withDialog(showStatusInformation, [&](HWND dialog) {
    for (int control : kControls) {
      char text[128] = "";
      GetDlgItemTextA(dialog, control, text, sizeof text);
      texts.push_back(text);
    }
  });
  texts.resize(14);
  return texts;
}

TEST_F(MenuStateTest, StatusDialogShowsLabelsAndAlignedCounts) {
  baselineLabel = "base.rsv";
  comparisonLabel = "現在のレジストリ";
  const int32_t keysOnly = programOptions.entries[OPT_KEYS_ONLY];
  programOptions.entries[OPT_KEYS_ONLY] = 0;
  std::vector<std::string> shown = statusDialogTexts();
  EXPECT_EQ("base.rsv", shown[0]);
  EXPECT_EQ("現在のレジストリ", shown[1]);
  const StatusCounts counts = takeStatusCounts(currentStore(), false);
  char expected[kGroupedNumberBytes];
  EXPECT_EQ(formatGroupedNumber(expected, sizeof expected, counts.keys, 9), shown[2]);
  EXPECT_EQ(formatGroupedNumber(expected, sizeof expected, (counts.bytes + 512) / 1024, 9),
            shown[4]);
  for (int i = 2; i < 14; ++i) EXPECT_EQ(9u, shown[i].size()) << i;

  // Comparing keys only leaves the value counts empty.
  programOptions.entries[OPT_KEYS_ONLY] = 1;
  shown = statusDialogTexts();
  EXPECT_EQ(9u, shown[10].size());
  EXPECT_EQ("", shown[11] + shown[12] + shown[13]);
  programOptions.entries[OPT_KEYS_ONLY] = keysOnly;
  baselineLabel.clear();
  comparisonLabel.clear();
}

}  // namespace
