// The menu-state table and the three views it drives: the main menu (resource 109),
// the toolbar and the right-click menu of the tree.
//
// Commands enable, grey, check and re-label items by command id; the keyboard
// shortcuts ask isCommandEnabled. Until setUpMenus has run, the operations change
// the tables alone. Ids not in the menu-state table are ignored by the menu
// operations (the right-click table is still updated) and count as enabled.
#pragma once

#include <windows.h>

#include "engine/snapshot_store.h"

// Copies the initial tables (command_tables.h); start-up step 4.
void initMenuStates();
// Start-up step 11: check bitmaps 146/147, the initial greyed states, the star
// bitmaps, the check marks that follow the options, the right-click menu for keys
// and the toolbar buttons from the table.
void setUpMenus();
// Shutdown: the right-click menu and the check bitmaps.
void destroyMenuResources();

// Creates the toolbar (CreateToolbarEx, id 999, bitmap 134) and measures
// toolbarHeight. On failure shows the system's text in a box captioned "error"
// (no owner) and leaves toolbarWindow null.
bool createToolbar(HWND owner);
// Re-measures toolbarHeight after a resize.
void measureToolbar();

void setCommandEnabled(int id, bool on);
void setCommandState(int id, bool enabled, bool checked);
void setCommandChecked(int id, bool on);
bool isCommandEnabled(int id);
bool isCommandChecked(int id);
// Reads the menu item's real check state into the table and returns it.
bool readCommandCheck(int id);
// Shows alternative text 0 or 1 of an item that has two.
void setCommandText(int id, int index);
// The text an item shows now (its menu text), or nullptr for an id without texts.
const char* commandText(int id);
void setFavouritesMenuEnabled(bool on);
void setToolbarButton(int id, bool enabled, bool checked);
// Tool tip of a toolbar button: its fixed text, or its current menu text up to "(".
const char* toolTipText(int id);

// Shows the right-click menu for `reference` (a value when bit 31 is set) at screen
// position (x, y), owned by `owner`; the choice arrives as WM_COMMAND. A second call
// while the menu is open returns at once.
void showRightClickMenu(HWND owner, int x, int y, ItemIndex reference);
// True while the right-click menu is open (tests).
bool rightClickMenuShowing();
