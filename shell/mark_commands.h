// The command マーク (F4): the mark list dialog for the tree's selected item, and the
// jump to the mark chosen there, which the tree expands to and selects.
#pragma once

// 32821: opens the dialog; after 表示 jumps to the chosen mark.
void markCommand();
// Reveals and selects the item of mark `index` of the mark list; when it is not in the
// shown snapshot, says so in the status line with a warning beep.
void jumpToMark(int index);
