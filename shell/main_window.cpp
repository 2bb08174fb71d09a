// The main window procedure: it unpacks each message and hands it to one handler.
// Commands go to the dispatcher, tree notifications to the tree view; the window
// itself keeps only its placement, its timers and the three commands it owns
// (version, exit, help).
#include "shell/main_window.h"

#include <commctrl.h>

#include "dialogs/version_dialog.h"
#include "resources/command_ids.h"
#include "rules/options.h"
#include "platform/clipboard.h"
#include "platform/message_box.h"
#include "shell/app_state.h"
#include "shell/command_dispatcher.h"
#include "shell/deferred_commands.h"
#include "shell/file_handover.h"
#include "shell/help_file.h"
#include "shell/menu_state.h"
#include "shell/status_line.h"
#include "shell/tree_view.h"
#include "text/operation_log.h"

namespace {

constexpr int kMinimumWidth = 320;
constexpr int kMinimumHeight = 240;

void refreshOpenCopiedKeyCommand() {
  setCommandEnabled(IDM_OPEN_COPIED_KEY, viewState != 0 && platform::clipboardHasText());
}

// The window's outer rectangle into the kept placement.
void rememberPlacement(HWND window) {
  RECT outer;
  if (!GetWindowRect(window, &outer)) return;
  const int width = outer.right - outer.left;
  const int height = outer.bottom - outer.top;
  if (programOptions.windowMaximized || programOptions.windowX != outer.left ||
      programOptions.windowY != outer.top || programOptions.windowWidth != width ||
      programOptions.windowHeight != height) {
    programOptions.windowX = outer.left;
    programOptions.windowY = outer.top;
    programOptions.windowWidth = width;
    programOptions.windowHeight = height;
    optionsDirty = true;
  }
  programOptions.windowMaximized = 0;
}

void onMoveOrSize(HWND window, UINT message) {
  if (insideOwnResize || IsIconic(window)) return;
  if (!IsZoomed(window)) {
    rememberPlacement(window);
  } else if (!programOptions.windowMaximized) {
    programOptions.windowMaximized = 1;
    optionsDirty = true;
  }
  if (message != WM_SIZE) return;

  RECT outer;
  GetWindowRect(window, &outer);
  const int width = outer.right - outer.left;
  const int height = outer.bottom - outer.top;
  if (!IsZoomed(window) && (width < kMinimumWidth || height < kMinimumHeight)) {
    insideOwnResize = true;
    SetWindowPos(window, nullptr, 0, 0, width < kMinimumWidth ? kMinimumWidth : width,
                 height < kMinimumHeight ? kMinimumHeight : height, SWP_NOZORDER | SWP_NOMOVE);
    insideOwnResize = false;
    rememberPlacement(window);
  }
  if (toolbarWindow) {
    // WM_SIZE makes the toolbar take the new width; TB_AUTOSIZE then lays the buttons
    // out again for that width, so the height measured is this resize's, not the last.
    SendMessageA(toolbarWindow, WM_SIZE, 0, 0);
    SendMessageA(toolbarWindow, TB_AUTOSIZE, 0, 0);
    measureToolbar();
  }
  if (statusWindow) SendMessageA(statusWindow, WM_SIZE, 0, 0);
  if (treeWindow) SendMessageA(treeWindow, WM_SIZE, 0, 0);
}

void onCreate(HWND window) {
  mainWindow = window;
  platform::setMessageOwner(window);
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_TREEVIEW_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);
  createToolbar(window);
  createStatusLine(window);
}

void onCommand(HWND window, int id) {
  switch (id) {
    case IDM_VERSION:
      logOperation(":バージョン");
      showVersionDialog();
      return;
    case IDM_EXIT:
      shutdownOnce();
      DestroyWindow(window);
      return;
    case IDM_HELP:
      showHelpFile();
      return;
    default:
      dispatchCommand(id);
  }
}

// Timer 2: one ten-second tick of the auto-check countdown.
void onAutoCheckTick() {
  if (autoCheckCountdown == 0) return;
  --autoCheckCountdown;
  if (autoCheckCountdown > 0) {
    setStatusText("次の自動チェックは、%d分%2d秒後", static_cast<int>(autoCheckCountdown / 6),
                  static_cast<int>(autoCheckCountdown % 6) * 10);
    return;
  }
  // Due: the check runs now, or as soon as the running command ends; the reading
  // restarts the countdown.
  requestAutoCheck();
}

void onTimer(HWND window, UINT_PTR timer) {
  switch (timer) {
    case kAutoCheckTimer:
      onAutoCheckTick();
      break;
    case kPumpTimer:
      onPumpTimer();
      break;
    case kStartupFileTimer:
      onGivenFileTimer(window);
      break;
    default:
      break;
  }
}

}  // namespace

void startAutoCheckTimer(int minutes) {
  KillTimer(mainWindow, kAutoCheckTimer);
  if (minutes <= 0) return;
  autoCheckReload = static_cast<uint32_t>(minutes) * 60 / 10;
  autoCheckCountdown = autoCheckReload;
  SetTimer(mainWindow, kAutoCheckTimer, kAutoCheckTickMs, nullptr);
}

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      onCreate(window);
      return 0;
    case WM_MOVE:
    case WM_SIZE:
      onMoveOrSize(window, message);
      return 0;
    case WM_ACTIVATE:
      refreshOpenCopiedKeyCommand();
      break;
    case WM_MENUSELECT:
      if ((HIWORD(wParam) & MF_POPUP) && LOWORD(wParam) == 2) refreshOpenCopiedKeyCommand();
      break;
    case WM_NOTIFY: {
      NMHDR* header = reinterpret_cast<NMHDR*>(lParam);
      if (header->idFrom == static_cast<UINT_PTR>(kTreeViewId)) return handleTreeNotification(header);
      if (header->code == TTN_NEEDTEXTA) {
        NMTTDISPINFOA* info = reinterpret_cast<NMTTDISPINFOA*>(lParam);
        info->lpszText = const_cast<char*>(toolTipText(static_cast<int>(header->idFrom)));
        return 0;
      }
      break;
    }
    case WM_KEYDOWN:
    case WM_KEYUP:
      handleShortcutKey(message, wParam);
      return 0;
    case WM_COMMAND:
      onCommand(window, LOWORD(wParam));
      return 0;
    case WM_TIMER:
      onTimer(window, wParam);
      return 0;
    case WM_COPYDATA:
      return receiveHandedFile(window, reinterpret_cast<const COPYDATASTRUCT*>(lParam));
    case WM_MOUSEWHEEL:
      if (treeWindow) return SendMessageA(treeWindow, message, wParam, lParam);
      break;
    case WM_CLOSE:
      shutdownOnce();
      break;
    case WM_DESTROY:
      platform::setMessageOwner(nullptr);
      PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}
