// Driving the program from code in its own thread: the GUI tests, the screenshot tour
// and the tree timing start the program in-process and then wait for it by handling
// its messages until a condition holds, never by sleeping a fixed time.
//
// The program never uses these itself; they live in the shell library so that every
// driver pumps messages exactly as the program's own loop does.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>

namespace program_driver {

// Handles whatever is queued now as the main loop would. A WM_QUIT is left in the
// queue: only the driver ends the program.
void pumpPending();
// Pumps messages until `condition` holds; false when `timeoutMs` passed first.
bool pumpUntil(const std::function<bool()>& condition, DWORD timeoutMs);
// The number of items directly below `parent` in the tree (TVI_ROOT: the top level).
int childItemCount(HTREEITEM parent);
// A fresh folder "<system temporary folder><name>_<process id>\" (created), for the
// program's settings files and snapshot files of one run.
std::string makeScratchFolder(const char* name);
// Deletes the files of a scratch folder and the folder.
void removeScratchFolder(const std::string& folder);

}  // namespace program_driver
