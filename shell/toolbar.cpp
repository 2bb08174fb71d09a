// The toolbar: one button per entry of kToolbarButtons, its state mirrored from the
// menu-state table. Without a toolbar (creation failed) every update does nothing.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/message_box.h"
#include "platform/system_error.h"
#include "resources/command_tables.h"
#include "resources/resource_ids.h"
#include "shell/app_state.h"
#include "shell/menu_state.h"

namespace {

constexpr size_t kErrorTextBytes = 512;
// Pixels between the last row of buttons and the tree.
constexpr int kToolbarMargin = 2;

bool hasToolbarButton(int id) {
  if (id <= 0) return false;
  for (const ToolbarEntry& button : kToolbarButtons) {
    if (button.id == id) return true;
  }
  return false;
}

void reportToolbarFailure() {
  const std::string text = platform::lastSystemErrorText(kErrorTextBytes);
  platform::showMessage(text.c_str(), "error", platform::kMsgOk | platform::kMsgNoOwner);
}

}  // namespace

bool createToolbar(HWND owner) {
  toolbarWindow = nullptr;
  toolbarHeight = 0;
  // CreateToolbarEx hands its button size to TB_SETBITMAPSIZE (a quirk Windows keeps
  // and Wine copies): given 19 x 18 it would cut the 18-pixel pictures at 19-pixel
  // steps. So it gets no button size, and the size is set once the pictures are in.
  HWND toolbar = CreateToolbarEx(
      owner, WS_CHILD | WS_VISIBLE | TBSTYLE_TOOLTIPS | TBSTYLE_WRAPABLE, kToolbarId,
      kToolbarImageCount, hInstance, IDB_TOOLBAR, nullptr, 0, 0, 0, kToolbarImageSize,
      kToolbarImageSize, sizeof(TBBUTTON));
  if (!toolbar) {
    reportToolbarFailure();
    return false;
  }
  // The strip is added once more; the buttons take their images from that copy.
  TBADDBITMAP strip = {hInstance, IDB_TOOLBAR};
  const LRESULT base = SendMessageA(toolbar, TB_ADDBITMAP, kToolbarImageCount,
                                    reinterpret_cast<LPARAM>(&strip));
  const int firstImage = base < 0 ? 0 : static_cast<int>(base);
  // The control never makes a button smaller than its picture and border.
  SendMessageA(toolbar, TB_SETBUTTONSIZE, 0,
               MAKELPARAM(kToolbarButtonWidth, kToolbarButtonHeight));

  TBBUTTON buttons[kToolbarEntryCount] = {};
  for (int i = 0; i < kToolbarEntryCount; ++i) {
    const ToolbarEntry& entry = kToolbarButtons[i];
    TBBUTTON& button = buttons[i];
    button.fsState = TBSTATE_ENABLED;
    if (entry.image == TOOLBAR_SEPARATOR) {
      button.iBitmap = 0;
      button.idCommand = 0;
      button.fsStyle = TBSTYLE_SEP;
    } else {
      button.iBitmap = entry.image + firstImage;
      button.idCommand = entry.id;
      button.fsStyle = TBSTYLE_BUTTON;
    }
  }
  if (!SendMessageA(toolbar, TB_ADDBUTTONSA, kToolbarEntryCount,
                    reinterpret_cast<LPARAM>(buttons))) {
    reportToolbarFailure();
    DestroyWindow(toolbar);
    return false;
  }
  toolbarWindow = toolbar;
  measureToolbar();
  return true;
}

void measureToolbar() {
  RECT outer;
  if (!toolbarWindow || !GetWindowRect(toolbarWindow, &outer)) {
    toolbarHeight = 0;
    return;
  }
  int height = outer.bottom - outer.top;
  // A narrow window wraps the buttons into rows, and the control may keep blank space
  // below the last row (the height of wrapped separators); the tree starts just under
  // the last row of buttons and covers that space.
  LONG lowest = 0;
  const int count = static_cast<int>(SendMessageA(toolbarWindow, TB_BUTTONCOUNT, 0, 0));
  for (int index = 0; index < count; ++index) {
    TBBUTTON button = {};
    RECT rect;
    if (!SendMessageA(toolbarWindow, TB_GETBUTTON, index, reinterpret_cast<LPARAM>(&button)) ||
        (button.fsStyle & BTNS_SEP) ||
        !SendMessageA(toolbarWindow, TB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&rect))) {
      continue;
    }
    MapWindowPoints(toolbarWindow, nullptr, reinterpret_cast<POINT*>(&rect), 2);
    if (rect.bottom > lowest) lowest = rect.bottom;
  }
  if (lowest > outer.top) height = std::min<int>(height, lowest - outer.top + kToolbarMargin);
  toolbarHeight = height;
}

void setToolbarButton(int id, bool enabled, bool checked) {
  if (!toolbarWindow || !hasToolbarButton(id)) return;
  BYTE state = TBSTATE_INDETERMINATE;
  if (enabled) state = checked ? (TBSTATE_ENABLED | TBSTATE_CHECKED) : TBSTATE_ENABLED;
  SendMessageA(toolbarWindow, TB_SETSTATE, static_cast<WPARAM>(id), MAKELONG(state, 0));
}

const char* toolTipText(int id) {
  // TTN_NEEDTEXTA copies the text at once; one buffer is enough.
  static char cut[128];
  for (const ToolbarEntry& button : kToolbarButtons) {
    if (id <= 0 || button.id != id) continue;
    if (button.toolTip) return button.toolTip;
    const char* text = commandText(id);
    if (!text) return "";
    // "(" is never a trail byte of cp932, so the byte search cannot cut a character.
    const char* bracket = std::strchr(text, '(');
    size_t length = bracket ? static_cast<size_t>(bracket - text) : std::strlen(text);
    if (length >= sizeof cut) length = sizeof cut - 1;
    std::memcpy(cut, text, length);
    cut[length] = '\0';
    return cut;
  }
  return "";
}
