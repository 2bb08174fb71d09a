// The edit group's clipboard commands: copy the current item's name, the current
// key's structure, the current value, the changes below the current key or in the
// whole snapshot, and clear the clipboard.
//
// Each copy writes its operation-log tag, builds the listing (text/listings.h) from
// the current snapshot with the shell's view state and labels, puts it on the
// clipboard, shows its status text, and marks the clipboard as the program's own so
// that "クリップボードをクリア(&C)" is enabled.
#pragma once

void copyKeyName();
void copyKeyStructure();
void copyValue();
void copyKeyChanges();
void copyAllChanges();
void clearClipboard();
