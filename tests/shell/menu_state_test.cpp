// The menu-state table against the views it drives (main menu, toolbar, right-click
// menu), the status line and title texts, the busy cursor, the message-pumping wait
// and the two small dialogs, all on the real main window.
#include <gtest/gtest.h>

#include <string>

#include "dialogs/status_dialog.h"
#include "dialogs/version_dialog.h"
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
using shell_test::menuItemText;

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
  EXPECT_EQ(TBSTATE_INDETERMINATE,
            toolbarState(IDM_SAVE) & (TBSTATE_INDETERMINATE | TBSTATE_ENABLED));
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

TEST_F(MenuStateTest, KeysOnlyOptionChecksTheGreyedItemAtStart) {
  shell_test::Session& session = shell_test::Session::get();
  session.stop();
  const std::string path = session.folder() + "options.dat";
  ProgramOptions saved{};
  setOptionDefaults(saved);
  loadOptionsFile(path, saved);
  ProgramOptions keysOnly = saved;
  keysOnly.entries[OPT_KEYS_ONLY] = 1;
  keysOnly.entries[OPT_SHOW_SIZES] = 0;
  ASSERT_TRUE(saveOptionsFile(path, keysOnly));
  ASSERT_TRUE(session.start());
  EXPECT_TRUE(menuItemChecked(IDM_KEYS_ONLY));
  EXPECT_TRUE(menuItemGreyed(IDM_KEYS_ONLY));
  EXPECT_FALSE(menuItemChecked(IDM_SHOW_SIZES));
  EXPECT_EQ(TBSTATE_ENABLED, toolbarState(IDM_SHOW_SIZES) & (TBSTATE_ENABLED | TBSTATE_CHECKED));

  session.stop();
  ASSERT_TRUE(saveOptionsFile(path, saved));
  ASSERT_TRUE(session.start());
  EXPECT_FALSE(menuItemChecked(IDM_KEYS_ONLY));
}

TEST_F(MenuStateTest, IdsOutsideTheTableCountAsEnabled) {
  setCommandEnabled(IDM_SAVE_USER_CONTROLS, false);
  EXPECT_TRUE(isCommandEnabled(IDM_SAVE_USER_CONTROLS));
  EXPECT_FALSE(menuItemGreyed(IDM_SAVE_USER_CONTROLS));
  EXPECT_TRUE(isCommandEnabled(IDM_COPY_OPERATION_LOG));
}

TEST_F(MenuStateTest, CheckAndGreyStayIndependent) {
  setCommandState(IDM_KEYS_ONLY, false, false);
  setCommandChecked(IDM_KEYS_ONLY, true);
  EXPECT_TRUE(menuItemGreyed(IDM_KEYS_ONLY));
  EXPECT_TRUE(menuItemChecked(IDM_KEYS_ONLY));
  EXPECT_FALSE(isCommandEnabled(IDM_KEYS_ONLY));
  EXPECT_TRUE(isCommandChecked(IDM_KEYS_ONLY));
  setCommandChecked(IDM_KEYS_ONLY, false);
  EXPECT_TRUE(menuItemGreyed(IDM_KEYS_ONLY));

  setCommandChecked(IDM_SHOW_VALUES, true);
  setCommandEnabled(IDM_SHOW_VALUES, false);
  EXPECT_EQ(TBSTATE_INDETERMINATE,
            toolbarState(IDM_SHOW_VALUES) & (TBSTATE_INDETERMINATE | TBSTATE_ENABLED));
  setCommandEnabled(IDM_SHOW_VALUES, true);
  EXPECT_TRUE(menuItemChecked(IDM_SHOW_VALUES));
  EXPECT_FALSE(menuItemGreyed(IDM_SHOW_VALUES));
  EXPECT_EQ(TBSTATE_ENABLED | TBSTATE_CHECKED,
            toolbarState(IDM_SHOW_VALUES) & (TBSTATE_ENABLED | TBSTATE_CHECKED));

  // The display toggles read the menu's own mark before flipping it.
  CheckMenuItem(GetMenu(mainWindow), IDM_SHOW_VALUES, MF_BYCOMMAND | MF_UNCHECKED);
  EXPECT_FALSE(readCommandCheck(IDM_SHOW_VALUES));
  EXPECT_FALSE(isCommandChecked(IDM_SHOW_VALUES));
  setCommandChecked(IDM_SHOW_VALUES, true);
  EXPECT_TRUE(menuItemChecked(IDM_SHOW_VALUES));
}

TEST_F(MenuStateTest, ToolTipFollowsTheMenuText) {
  EXPECT_STREQ("基準ファイルを開く", toolTipText(IDM_OPEN_BASELINE));
  setCommandText(IDM_READ_REGISTRY, 0);
  EXPECT_STREQ("レジストリ情報を取込む", toolTipText(IDM_READ_REGISTRY));
  setCommandText(IDM_READ_REGISTRY, 1);
  EXPECT_EQ("現レジストリ情報と比較(&R)", menuItemText(IDM_READ_REGISTRY));
  EXPECT_STREQ("現レジストリ情報と比較(&R)", commandText(IDM_READ_REGISTRY));

  // The main window answers the toolbar's request with the same text.
  NMTTDISPINFOA request = {};
  request.hdr.hwndFrom = toolbarWindow;
  request.hdr.idFrom = IDM_READ_REGISTRY;
  request.hdr.code = TTN_NEEDTEXTA;
  SendMessageA(mainWindow, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&request));
  ASSERT_TRUE(request.lpszText != nullptr);
  EXPECT_STREQ("現レジストリ情報と比較", request.lpszText);

  setCommandText(IDM_READ_REGISTRY, 0);
  EXPECT_EQ("レジストリ情報を取込む(&R)", menuItemText(IDM_READ_REGISTRY));
  EXPECT_EQ(nullptr, commandText(IDM_SAVE));
}

TEST_F(MenuStateTest, FavouritesSubmenuIsGreyedByPosition) {
  HMENU view = GetSubMenu(GetMenu(mainWindow), 2);
  int position = -1;
  char text[64];
  for (int i = 0; i < GetMenuItemCount(view); ++i) {
    if (GetMenuStringA(view, i, text, sizeof text, MF_BYPOSITION) > 0 &&
        std::string(text) == "よく開くキー(&F)") {
      position = i;
    }
  }
  ASSERT_GE(position, 0);
  setFavouritesMenuEnabled(false);
  EXPECT_TRUE(GetMenuState(view, position, MF_BYPOSITION) & MF_GRAYED);
  setFavouritesMenuEnabled(true);
  EXPECT_FALSE(GetMenuState(view, position, MF_BYPOSITION) & MF_GRAYED);
}

// The right-click menu is modal: a thread timer looks at it while it is open.
struct RightClickProbe {
  bool sawShowing = false;
  bool secondCallReturned = false;
  int itemCount = -1;
  bool hasFileProperties = false;
  bool filePropertiesGreyed = false;
  bool hasNotRead = false;
  bool notReadGreyed = false;
  bool cancelEnabled = false;
};
RightClickProbe probe;
UINT_PTR probeTimer = 0;

void CALLBACK probeRightClickMenu(HWND, UINT, UINT_PTR, DWORD) {
  KillTimer(nullptr, probeTimer);
  probe.sawShowing = rightClickMenuShowing();
  showRightClickMenu(mainWindow, 10, 10, 0);  // must return at once
  probe.secondCallReturned = true;
  HWND popup = FindWindowA("#32768", nullptr);
  HMENU menu = popup ? reinterpret_cast<HMENU>(SendMessageA(popup, MN_GETHMENU, 0, 0)) : nullptr;
  if (menu) {
    probe.itemCount = GetMenuItemCount(menu);
    const UINT file = GetMenuState(menu, IDM_FILE_PROPERTIES, MF_BYCOMMAND);
    probe.hasFileProperties = file != static_cast<UINT>(-1);
    probe.filePropertiesGreyed = probe.hasFileProperties && (file & MF_GRAYED);
    const UINT notRead = GetMenuState(menu, IDM_NOT_READ, MF_BYCOMMAND);
    probe.hasNotRead = notRead != static_cast<UINT>(-1);
    probe.notReadGreyed = probe.hasNotRead && (notRead & MF_GRAYED);
    probe.cancelEnabled = !(GetMenuState(menu, IDM_RIGHT_CLICK_CANCEL, MF_BYCOMMAND) & MF_GRAYED);
  }
  EndMenu();
}

RightClickProbe openRightClickMenu(ItemIndex reference) {
  probe = RightClickProbe{};
  probeTimer = SetTimer(nullptr, 0, 50, probeRightClickMenu);
  showRightClickMenu(mainWindow, 100, 100, reference);
  KillTimer(nullptr, probeTimer);
  return probe;
}

TEST_F(MenuStateTest, RightClickMenuFollowsKindAndTable) {
  const ItemIndex key = 0;
  const ItemIndex value = static_cast<ItemIndex>(0x80000000u);
  RightClickProbe keys = openRightClickMenu(key);
  EXPECT_TRUE(keys.sawShowing);
  EXPECT_TRUE(keys.secondCallReturned);
  EXPECT_FALSE(rightClickMenuShowing());
  EXPECT_EQ(24, keys.itemCount);  // the entries for keys, separators included
  EXPECT_TRUE(keys.hasNotRead);
  EXPECT_TRUE(keys.notReadGreyed);
  EXPECT_FALSE(keys.hasFileProperties);
  EXPECT_TRUE(keys.cancelEnabled);

  valueFilePath = "C:\\windows\\notepad.exe";
  RightClickProbe values = openRightClickMenu(value);
  EXPECT_EQ(15, values.itemCount);
  EXPECT_FALSE(values.hasNotRead);
  EXPECT_TRUE(values.hasFileProperties);
  EXPECT_FALSE(values.filePropertiesGreyed);

  valueFilePath.clear();
  values = openRightClickMenu(value);
  EXPECT_TRUE(values.filePropertiesGreyed);

  // The table's states reach the menu: enabling "取込まない" enables it there.
  setCommandEnabled(IDM_NOT_READ, true);
  keys = openRightClickMenu(key);
  EXPECT_EQ(24, keys.itemCount);
  EXPECT_FALSE(keys.notReadGreyed);
  setCommandEnabled(IDM_NOT_READ, false);
  // Choosing nothing posts nothing.
  EXPECT_FALSE(takePostedCommand(IDM_NOT_READ));
}

TEST_F(MenuStateTest, StatusLineTexts) {
  showCounts(StatusCounts{}, false);
  EXPECT_EQ(" 変化なし", shell_test::statusText());
  StatusCounts counts{};
  counts.addedKeys = 1;
  counts.deletedKeys = 2;
  counts.changedValues = 3;
  counts.addedValues = 4;
  counts.deletedValues = 5;
  showCounts(counts, false);
  EXPECT_EQ(" 追加key 1, 削除key 2, 不一致 3, 追加 4, 削除 5", shell_test::statusText());
  showCounts(counts, true);
  EXPECT_EQ(" 追加key 1, 削除key 2", shell_test::statusText());

  setStatusTextPlain("HKEY_USERS\\.DEFAULT");
  EXPECT_EQ("HKEY_USERS\\.DEFAULT", shell_test::statusText());
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

TEST_F(MenuStateTest, StatusLineKeepsToTheBottom) {
  ASSERT_TRUE(statusWindow);
  EXPECT_TRUE(SendMessageA(statusWindow, WM_GETFONT, 0, 0) != 0);
  EXPECT_GT(statusHeight, 2);
  SetWindowPos(mainWindow, nullptr, 0, 0, 500, 400, SWP_NOZORDER | SWP_NOMOVE);
  RECT client;
  GetClientRect(mainWindow, &client);
  RECT line;
  GetWindowRect(statusWindow, &line);
  MapWindowPoints(nullptr, mainWindow, reinterpret_cast<POINT*>(&line), 2);
  EXPECT_EQ(client.bottom, line.bottom);
  EXPECT_EQ(client.bottom - statusHeight, line.top);
  EXPECT_EQ(client.right, line.right - line.left);
}

TEST_F(MenuStateTest, WindowTitleCompositions) {
  const std::string title = windowTitle;
  setWindowTitle(nullptr, nullptr);
  EXPECT_EQ(title, shell_test::windowText(mainWindow));
  setWindowTitle("base.rsv", "");
  EXPECT_EQ("base.rsv - " + title, shell_test::windowText(mainWindow));
  setWindowTitle("base.rsv", "now.rsv");
  EXPECT_EQ("base.rsv ： now.rsv - " + title, shell_test::windowText(mainWindow));
  setWindowTitle(nullptr, nullptr);
}

TEST_F(MenuStateTest, BusyCursorKeepsTheFirstSavedCursor) {
  HCURSOR arrow = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  HCURSOR wait = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_WAIT));
  SetCursor(arrow);
  SetCursorPos(200, 200);
  beginBusyCursor();
  EXPECT_EQ(wait, GetCursor());
  beginBusyCursor();
  endBusyCursor();
  EXPECT_EQ(arrow, GetCursor());
  POINT pointer;
  ASSERT_TRUE(GetCursorPos(&pointer));
  EXPECT_EQ(202, pointer.x);
  endBusyCursor();  // nothing left to end
  ASSERT_TRUE(GetCursorPos(&pointer));
  EXPECT_EQ(202, pointer.x);
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

void CALLBACK nestedWait(HWND, UINT, UINT_PTR, DWORD) {
  KillTimer(nullptr, innerTimer);
  waitProbe.innerResult = pumpMessagesFor(30);
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

TEST_F(MenuStateTest, WaitReturnsAfterItsTimeWithoutQuit) {
  const DWORD start = GetTickCount();
  EXPECT_FALSE(pumpMessagesFor(100));
  EXPECT_GE(GetTickCount() - start, 90u);

  // Without the main window (a wait late in the shutdown) it still ends.
  waitProbe = WaitProbe{};
  safetyTimer = SetTimer(nullptr, 0, 5000, safetyQuit);
  HWND window = mainWindow;
  mainWindow = nullptr;
  const bool quit = pumpMessagesFor(30);
  mainWindow = window;
  KillTimer(nullptr, safetyTimer);
  EXPECT_FALSE(quit);
  EXPECT_FALSE(waitProbe.safetyFired);
  if (quit) swallowQuit();
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

TEST_F(MenuStateTest, WaitInsideAWaitLetsTheOuterOneEnd) {
  waitProbe = WaitProbe{};
  innerTimer = SetTimer(nullptr, 0, 10, nestedWait);
  safetyTimer = SetTimer(nullptr, 0, 5000, safetyQuit);
  const DWORD start = GetTickCount();
  const bool quit = pumpMessagesFor(200);
  KillTimer(nullptr, safetyTimer);
  KillTimer(nullptr, innerTimer);
  EXPECT_FALSE(quit);
  EXPECT_FALSE(waitProbe.safetyFired);
  EXPECT_FALSE(waitProbe.innerResult);
  EXPECT_GE(GetTickCount() - start, 180u);
  if (quit) swallowQuit();
}

// The modal dialogs: a thread timer reads the dialog and closes it.
struct DialogProbe {
  std::string texts[16];
  bool iconShown = false;
};
DialogProbe dialogProbe;
UINT_PTR dialogTimer = 0;
const int kStatusControls[] = {
    IDC_STATUS_BASELINE,      IDC_STATUS_COMPARISON,         IDC_STATUS_KEYS,
    IDC_STATUS_VALUES,        IDC_STATUS_KILOBYTES,          IDC_STATUS_NOT_READ,
    IDC_STATUS_NOT_CHECKED,   IDC_STATUS_NOT_DISPLAYED,      IDC_STATUS_REFUSED,
    IDC_STATUS_ADDED_KEYS,    IDC_STATUS_DELETED_KEYS,       IDC_STATUS_MISMATCHED_VALUES,
    IDC_STATUS_ADDED_VALUES,  IDC_STATUS_DELETED_VALUES,
};

void CALLBACK readDialog(HWND, UINT, UINT_PTR, DWORD) {
  HWND dialog = GetLastActivePopup(mainWindow);
  if (!dialog || dialog == mainWindow) return;  // not shown yet: next tick
  KillTimer(nullptr, dialogTimer);
  for (size_t i = 0; i < sizeof kStatusControls / sizeof kStatusControls[0]; ++i) {
    char text[128] = "";
    GetDlgItemTextA(dialog, kStatusControls[i], text, sizeof text);
    dialogProbe.texts[i] = text;
  }
  dialogProbe.iconShown =
      SendDlgItemMessageA(dialog, IDC_VERSION_ICON, STM_GETICON, 0, 0) != 0;
  PostMessageA(dialog, WM_COMMAND, IDOK, 0);
}

DialogProbe runDialog(void (*show)()) {
  dialogProbe = DialogProbe{};
  dialogTimer = SetTimer(nullptr, 0, 30, readDialog);
  show();
  KillTimer(nullptr, dialogTimer);
  return dialogProbe;
}

TEST_F(MenuStateTest, StatusDialogShowsLabelsAndAlignedCounts) {
  baselineLabel = "base.rsv";
  comparisonLabel = "現在のレジストリ";
  const int32_t keysOnly = programOptions.entries[OPT_KEYS_ONLY];
  programOptions.entries[OPT_KEYS_ONLY] = 0;
  DialogProbe shown = runDialog(showStatusInformation);
  EXPECT_EQ("base.rsv", shown.texts[0]);
  EXPECT_EQ("現在のレジストリ", shown.texts[1]);
  const StatusCounts counts = takeStatusCounts(currentStore(), false);
  char expected[kGroupedNumberBytes];
  EXPECT_EQ(formatGroupedNumber(expected, sizeof expected, counts.keys, 9), shown.texts[2]);
  EXPECT_EQ(formatGroupedNumber(expected, sizeof expected, (counts.bytes + 512) / 1024, 9),
            shown.texts[4]);
  for (int i = 2; i < 14; ++i) EXPECT_EQ(9u, shown.texts[i].size()) << i;

  programOptions.entries[OPT_KEYS_ONLY] = 1;
  shown = runDialog(showStatusInformation);
  EXPECT_EQ(9u, shown.texts[10].size());
  EXPECT_EQ("", shown.texts[11]);
  EXPECT_EQ("", shown.texts[12]);
  EXPECT_EQ("", shown.texts[13]);
  programOptions.entries[OPT_KEYS_ONLY] = keysOnly;
  baselineLabel.clear();
  comparisonLabel.clear();
}

TEST_F(MenuStateTest, VersionDialogShowsTheProgramIcon) {
  DialogProbe shown = runDialog(showVersionDialog);
  EXPECT_TRUE(shown.iconShown);
}

}  // namespace
