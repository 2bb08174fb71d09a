// The "ﾌｧｲﾙ(&F)" group: open a baseline or a comparison file, read or compare the
// registry, save, close, make auto-check data and switch the automatic check.
//
// Each command writes its log tag, does its work through the core, and leaves
// viewState, the labels, the title, the status line and the menu states matching
// what the tree now shows.
#pragma once

// Runs `id` when it belongs to the group; false otherwise.
bool runFileCommand(int id);

// Stops the auto-check timer and clears autoCheckOn.
void stopAutoCheck();
