// Program-wide state of the application shell: the window handles, the titles and
// folders found at start-up, and the flags the commands share (what the tree shows,
// the busy flag, the automatic check, the labels of the two sides).
//
// One thread touches these; the shell's files read and write them directly.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "engine/snapshot_store.h"
#include "engine/view_state.h"

// Control ids of the main window's children.
constexpr int kToolbarId = 999;
constexpr int kTreeViewId = 10000;
constexpr int kStatusLineId = 10002;

// Timers of the main window.
constexpr UINT_PTR kAutoCheckTimer = 2;   // 10 s ticks of the auto-check countdown
constexpr UINT_PTR kPumpTimer = 4;        // ends a pumpMessagesFor wait
constexpr UINT_PTR kStartupFileTimer = 5; // opens a file given from outside
constexpr UINT kAutoCheckTickMs = 10000;
constexpr UINT kStartupFileDelayMs = 500;

extern HINSTANCE hInstance;
extern HWND mainWindow;
extern HWND toolbarWindow;  // null when the toolbar could not be created
extern HWND treeWindow;
extern HWND statusWindow;
// The open modeless dialog (the file properties), whose keys the message loops hand
// to it as a dialog's; null when none.
extern HWND modelessDialog;
// Accelerator table 109, used by the main loop and by every message-pumping wait.
extern HACCEL acceleratorTable;

extern char windowTitle[64];       // string 103
extern char windowClassName[64];   // string 109
extern std::string helpFilePath;

extern int toolbarHeight;
extern int statusHeight;

extern uint32_t autoCheckCountdown;  // ten-second ticks left until the next check
extern uint32_t autoCheckReload;     // ticks per check interval
extern bool autoCheckTriggered;      // the timer started the current read

extern bool initialised;      // start-up got far enough for the shutdown to run
extern bool insideOwnResize;  // the window procedure is resizing its own window

// Shared by the command groups (see command_dispatcher.h).
extern uint16_t viewState;
extern bool operationBusy;
extern bool autoCheckOn;
extern bool clipboardOwned;
extern std::string baselineLabel;    // status dialog and listings
extern std::string comparisonLabel;
extern std::string titleLabel;       // the baseline's name in the window title
// Search results are shown (hit drawing in the tree); set by the search commands.
extern bool searchResultsShown;
// The counts of the last read, comparison or load (status line, menu states).
extern StatusCounts lastCounts;
