// Commands the program starts by itself: the automatic check (timer 2) and opening a
// file given from outside, named on the command line (timer 5) or handed over by a
// later start of the program (WM_COPYDATA).
//
// Such a command is never dropped: it runs at once while no command runs, otherwise
// as soon as the running command ends (the dispatcher calls runOwedCommands then).
// It is run here directly rather than posted as a WM_COMMAND, because a posted id
// carries no sender: a user's command of the same id could take its place (and its
// file), or be dropped in its place while a command runs.
#pragma once

#include <string>

// The auto-check countdown reached zero.
void requestAutoCheck();
// Opens `path` as the baseline, as if it had been chosen in the open dialog. Of
// several files given while a command runs, the last one is opened.
void requestGivenFileOpen(const std::string& path);
// Runs what is owed, unless a command runs.
void runOwedCommands();
// The automatic check was stopped: a check still owed is dropped with it.
void forgetOwedAutoCheck();
// Start-up and shutdown: nothing is owed.
void forgetOwedCommands();
// True while an automatic check waits for the running command.
bool autoCheckOwed();
