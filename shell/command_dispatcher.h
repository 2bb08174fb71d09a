// The command dispatcher: every WM_COMMAND that the main window does not handle
// itself goes through dispatchCommand, which drops it while another command runs
// (operationBusy) and passes it along the groups: file, edit, view, settings, then
// the favourites menu. The first group that knows the id runs it.
//
// The groups (…_commands.h) write the command's operation-log tag, do the work
// through the other parts, and leave viewState, the labels and the menu states
// matching the result (menu_enabling.h).
#pragma once

void dispatchCommand(int id);
