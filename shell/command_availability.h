// Which commands the program can carry out today. A command whose work is not in the
// program yet stays greyed in the menu, the toolbar and the right-click menu whatever
// the other commands ask, so no menu item ever offers something that does nothing.
// Each part of the program that brings a command adds its id here.
#pragma once

bool commandAvailable(int id);

// Tests of the menu-state rules of commands still to come make every command
// available while `on`.
void makeEveryCommandAvailable(bool on);
