// The program's spine: start-up, the main window procedure, timers, keyboard
// shortcuts, the message loop and the once-only shutdown.
#pragma once

#include <windows.h>

// Start-up steps 1-14: on success the main window is shown and registered as the
// running instance. False when start-up ended early (another instance runs, or a
// window could not be created); the shutdown has then run.
bool startProgram(HINSTANCE instance, const char* commandLine, int showCommand);
// Step 15: the message loop until WM_QUIT, then the shutdown; returns WM_QUIT's code.
int runMessageLoop();
// The entry function's whole work.
int runProgram(HINSTANCE instance, const char* commandLine, int showCommand);

// Writes back what changed and releases everything; runs once however often called.
void shutdownOnce();

// Stops timer 2, and with `minutes` above 0 starts it again with a fresh countdown.
void startAutoCheckTimer(int minutes);

// WM_KEYDOWN / WM_KEYUP from the main window or the tree: the keyboard shortcuts.
void handleShortcutKey(UINT message, WPARAM key);

// The window procedure of the main window class.
LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
