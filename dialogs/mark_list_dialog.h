// The mark list dialog (resource 152, "マーク　リスト"): the headings of the mark
// list, sorted by the list box, with the chosen mark's path. From it the user adds
// the tree's selected item, renames and deletes marks, sets the no-update mode, and
// chooses a mark to jump to (表示, or a double click on a heading).
//
// Changes go to the program-wide mark list as they are made; the dialog owns nothing.
#pragma once

#include <string>

// Modal, owned by the main window. `itemPath` is the mark path of the tree's selected
// item ("" when none is selected or it cannot be marked), `itemHeading` the heading
// offered for it. Returns the table index of the mark to jump to, or -1.
int showMarkListDialog(const std::string& itemPath, const std::string& itemHeading);
