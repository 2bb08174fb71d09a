// A snapshot file given from outside the program: named on the command line (the
// .rsv association passes it), or handed over by a later start of the program that
// found this one running and ends.
//
// A given file is opened as the baseline, as if chosen in the open dialog, through
// timer 5: half a second after start-up for the command-line file, at once for a
// handed one; never inside the message that brought it, since the sender of
// WM_COPYDATA waits for the answer. From there deferred_commands.h runs the open as
// soon as no command runs.
#pragma once

#include <windows.h>

// In a start that found `running` (the running instance's window): hands the
// command-line file, as a full path, over to it. False when there was no file or the
// running instance did not take it.
bool handStartupFileTo(HWND running);

// WM_COPYDATA of the main window: takes a handed file and starts timer 5. TRUE when
// the message was a handed file of the right shape.
LRESULT receiveHandedFile(HWND window, const COPYDATASTRUCT* data);

// Timer 5: the given files are opened (or wait for the running command).
void onGivenFileTimer(HWND window);

// Start-up step 13: a file named on the command line is opened after the delay.
void scheduleStartupFile(HWND window);
