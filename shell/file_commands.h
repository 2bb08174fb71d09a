// The "ﾌｧｲﾙ(&F)" group: open a baseline or a comparison file, read or compare the
// registry, save, close, make auto-check data and switch the automatic check.
//
// Each command writes its log tag, does its work through the core, and leaves
// viewState, the labels, the title, the status line and the menu states matching
// what the tree now shows.
#pragma once

#include <string>

// Runs `id` when it belongs to the group; false otherwise.
bool runFileCommand(int id);

// Stops the auto-check timer and clears autoCheckOn.
void stopAutoCheck();

// The program's own commands (deferred_commands.h runs them while no command runs):
// the automatic check, a reading marked as started by the timer; and the opening of
// a file given from outside as the baseline, asking first when a comparison is shown.
void runAutomaticCheck();
void openGivenBaseline(const std::string& path);
