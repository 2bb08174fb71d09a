// The status line, the window title, the busy cursor and the message-pumping wait
// that keeps the window alive during long work.
#pragma once

#include <windows.h>

#include <string>

#include "engine/snapshot_store.h"

// Creates the status line ("Static", id 10002, "ＭＳ ゴシック" 12) at the bottom of the
// main window's client area, measures statusHeight and subclasses it so that it
// follows the window's size. False when it could not be created.
bool createStatusLine(HWND owner);
void destroyStatusLineFont();

// Formats like printf into 512 bytes and shows it with one space in front.
#if defined(__GNUC__)
__attribute__((format(printf, 1, 2)))
#endif
void setStatusText(const char* format, ...);
// Shows `text` as it is (item paths); nullptr or "" clears the line.
void setStatusTextPlain(const char* text);
// The status line's current text (tests, screenshots).
std::string statusLineText();

// The counts line of a comparison: "変化なし", "追加key %d, 削除key %d" with key
// structure only, else "追加key %d, 削除key %d, 不一致 %d, 追加 %d, 削除 %d".
void showCounts(const StatusCounts& counts, bool keysOnly);

// The window title: the program title alone, "%s - %s" with one label, or
// "%s ： %s - %s" with two. Null or empty labels count as absent.
void setWindowTitle(const char* label, const char* secondLabel);

// The wait cursor while long work runs; nested calls keep the first saved cursor.
void beginBusyCursor();
void endBusyCursor();

// One message handled as the main loop handles it: the accelerators of the main
// window first, then translated and dispatched.
void dispatchWindowMessage(MSG& message);

// Runs the message loop for `milliseconds` (timer 4 ends the wait). True when
// WM_QUIT arrived meanwhile; WM_QUIT is then posted again so the main loop ends too.
bool pumpMessagesFor(UINT milliseconds);
// Timer 4 ticked: ends the running wait.
void onPumpTimer();
// Handles the messages pending now, without waiting (the keep-alive pump of long
// operations). True when WM_QUIT arrived; it is posted again for the main loop.
bool pumpPendingWindowMessages();
