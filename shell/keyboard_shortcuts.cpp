// The keyboard shortcuts. Key messages arrive from the main window and from the
// tree view (which normally has the focus); a matched key posts its command, but
// only while the command is not greyed, so a shortcut never reaches a command the
// menu refuses.
//
// Ctrl and Shift are asked of the system as each key arrives, never followed from
// key messages: a modal window (the file dialog of Ctrl+O and Ctrl+S) takes the
// key-up, and a flag of our own would then stay down.
#include <windows.h>

#include "resources/command_ids.h"
#include "shell/app_state.h"
#include "shell/main_window.h"
#include "shell/menu_state.h"

namespace {

struct Shortcut {
  WPARAM key;
  bool ctrl;
  int id;
};

constexpr Shortcut kShortcuts[] = {
    {VK_ESCAPE, false, IDM_HIDE_ITEM},      {VK_F1, false, IDM_DESCRIBE_ITEM},
    {VK_F2, false, IDM_OPEN_COPIED_KEY},    {VK_F3, false, IDM_FIND_NEXT},
    {VK_F4, false, IDM_MARK},               {'C', true, IDM_COPY_KEY_NAME},
    {'F', true, IDM_SEARCH},                {'O', true, IDM_OPEN_BASELINE},
    {'S', true, IDM_SAVE},                  {'Z', true, IDM_UNDO_CHANGE},
};

void postCommand(int id) { PostMessageA(mainWindow, WM_COMMAND, static_cast<WPARAM>(id), 0); }

// The state of a modifier when the key message being handled was made.
bool isKeyDown(int virtualKey) { return (GetKeyState(virtualKey) & 0x8000) != 0; }

}  // namespace

void handleShortcutKey(UINT message, WPARAM key) {
  if (message != WM_KEYDOWN || key == VK_CONTROL || key == VK_SHIFT) return;
  const bool ctrl = isKeyDown(VK_CONTROL);
  if (ctrl && isKeyDown(VK_SHIFT) && key == 'D') {
    postCommand(IDM_COPY_OPERATION_LOG);
    return;
  }
  for (const Shortcut& shortcut : kShortcuts) {
    if (shortcut.key != key || shortcut.ctrl != ctrl) continue;
    if (isCommandEnabled(shortcut.id)) postCommand(shortcut.id);
    return;
  }
}
