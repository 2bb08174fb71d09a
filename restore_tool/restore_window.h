// The restore program's one window: it waits for undo requests (command 10100 from
// regKestrin), shows what a request will change as a list (key, value, the data it
// gets back, the data it has now, what is done), and changes the registry only when
// the user presses 元に戻す. Added values and keys are removed only when the user ticks
// the box for them. After the change each row shows its result and the status line
// the counts.
//
// The window owns nothing but its plan; the shared block is the program's (main) and
// must outlive the window. Registry changes go through platform::registry(), messages
// through platform::showMessage, so the tests drive the very window the program shows.
#pragma once

#include <windows.h>

#include "platform/shared_memory.h"

namespace pellim {

// Child control ids.
constexpr int IDC_PELLIM_STATUS = 1001;
constexpr int IDC_PELLIM_LIST = 1002;
constexpr int IDC_PELLIM_REMOVE_ADDED = 1003;
constexpr int IDC_PELLIM_RESTORE = 1004;

// Resource ids.
constexpr int IDI_PELLIM = 1;

extern const char kWindowClassName[];
extern const char kCaption[];  // message box caption

// Registers the window class (once) and creates the window, not yet shown; nullptr on
// failure. `block` is the request block the window reads on command 10100.
HWND createRestoreWindow(HINSTANCE instance, platform::SharedBlock* block);

}  // namespace pellim
