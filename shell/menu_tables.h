// The menu-state table, the right-click table and the resources the three menu files
// (menu_state.cpp, toolbar.cpp, right_click_menu.cpp) share. Everything else goes
// through menu_state.h.
//
// The tables are mutable copies of command_tables.h, made by initMenuStates. The
// check-mark bitmaps live from setUpMenus to destroyMenuResources.
#pragma once

#include <windows.h>

#include "resources/command_tables.h"

namespace menu_tables {

extern MenuStateEntry menuStates[kMenuStateCount + 1];
extern RightClickEntry rightClickEntries[kRightClickEntryCount + 1];

// Bitmap 146 (a ticked box, shown when checked) and 147 (a star, when unchecked).
extern HBITMAP checkedBitmap;
extern HBITMAP starBitmap;

// The menu-state entry of `id`, or nullptr when the program does not control it.
MenuStateEntry* findMenuState(int id);
// The item uses the check-box / star bitmaps (in the main menu and the right-click
// menu alike).
bool usesStarBitmaps(int id);

// The right-click menu (right_click_menu.cpp): builds the popup for `kind`
// (RIGHT_CLICK_FOR_KEYS or RIGHT_CLICK_FOR_VALUES) unless it is the one built last.
void prepareRightClickMenu(int kind);
// Destroys the popup and forgets its kind; the next prepare builds anew.
void destroyRightClickMenu();

}  // namespace menu_tables
