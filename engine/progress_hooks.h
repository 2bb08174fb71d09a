// How long operations of the core (reading the registry, comparing, loading) show
// their progress: a status-line text and a message pump between their steps.
//
// The shell installs both hooks when its window exists; until then, and in tests that
// install nothing, the texts go nowhere and the pump reports that the program goes on.
#pragma once

// Shows `text` (cp932) in the status line.
using StatusTextHook = void (*)(const char* text);
// Lets the window handle pending messages; returns true when the program was asked to
// quit meanwhile, so the operation stops at the next point where it may.
using MessagePumpHook = bool (*)();

void setStatusTextHook(StatusTextHook hook);
void setMessagePumpHook(MessagePumpHook hook);

void showStatusText(const char* text);
// True when the program is quitting.
bool pumpPendingMessages();
