// The command dispatcher: every WM_COMMAND that the main window does not handle
// itself goes through dispatchCommand, which drops it while another command runs
// (operationBusy) and passes it along the file, edit, view and settings groups.
//
// The groups write the command's operation-log tag, do the work through the other
// parts, and leave viewState, the labels and the menu states matching the result.
#pragma once

#include <cstdint>

#include "engine/snapshot_file.h"
#include "engine/registry_reader.h"

void dispatchCommand(int id);

// The file-related menu states from viewState and autoCheckOn.
void refreshFileMenu();
// Greys "クリップボードをクリア" once another program owns the clipboard.
void refreshClipboardCommand();
// The commands that need changes: 32812 enabled when `changed`, else 32812 and 32829
// greyed.
void setChangeCommands(bool changed);

// The file group (file_commands.cpp); true when the id was one of its own.
bool runFileCommand(int id);

// Settings the file commands pass to the core, taken from the options.
SnapshotFileOptions currentFileOptions();
ReaderOptions currentReaderOptions();

// Stops the auto-check timer and clears autoCheckOn.
void stopAutoCheck();
