// The registry tree view: one tree item per key and (when value items are shown) per
// value, filled lazily as keys are opened. It always shows the current store.
//
// Each item's lParam holds the reference of its record (a key's item index, or a
// value's with bit 31), and each record holds its item back: its treeItem field names
// the item (a slot of the tree view's handle table, since the field is 32 bits wide
// and a handle is a pointer; use treeItemOf) and its display flag VIEW_IN_TREE is
// set; both are set and cleared together. Items are placed after the nearest
// earlier sibling that has an item, so the tree keeps the store's order (subkeys,
// then values) whatever order they are inserted in.
//
// One thread. The waits inside removeChildren and hideItem pump messages, so their
// callers run under the dispatcher's busy flag.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "engine/snapshot_store.h"

// The reference of the item selected last; -1 before any and after clearTree.
extern ItemIndex currentItem;
// Above 0 while the program itself opens items: the open notification then does
// nothing.
extern int quietExpand;
// The file named by the value right-clicked last (empty when none).
extern std::string valueFilePath;

// Creates the tree (id 10000, "RegTree") at (0, toolbarHeight) with its image list
// (bitmap 132) and font, subclassed, and sets treeWindow. False (and no window) when
// the window or the image list cannot be made.
bool createTreeView(HWND owner);
void destroyTreeResources();  // font and image list

// A key (parentKey -1) or a value (its reference with bit 31, or its plain index with
// parentKey = the owning key): inserted when it has no item and its parent has one
// (or it is top-level); an existing item only gets its image refreshed, and that only
// while search results are shown.
void insertItem(ItemIndex reference, ItemIndex parentKey);
// Image and selected image from the current state; for a key also its child button
// (a hidden key is closed and loses it). Nothing when the item is not in the tree.
void refreshItemImage(ItemIndex reference, bool isValue);
// Inserts or refreshes the children of a key. Mode 0 refreshes the items of open
// keys, recursively; 1 inserts every child that passes the filters; 2 and above only
// children whose summary (keys) or change class (values) meets `mask`. Mask bit
// 0x8000: values only. An open key is expanded afterwards.
void fillChildren(ItemIndex key, int mode, int mask);
// Inserts a key unless the filters skip it; mode 1 also opens it with all its
// children, mode 2 refreshes it when it is open.
void showKey(ItemIndex key, int mode);
// Mode 0 closes the key and every shown key below it; 1 opens the whole subtree; 2
// one level; 3 opens keys whose summary meets `mask` and recurses, 4 without
// recursion.
void openSubtree(ItemIndex key, int mode, int mask);
// openSubtree on every top-level key; mode 3 with the changed-only filter on.
void openAllTopLevel(int mode, int mask);
// The keypad '*' on the selected key: its whole subtree opened in one pass with drawing
// paused (the control's own expansion redraws after every level). False when the
// selection is not a key, so the control may handle the key itself.
bool openSelectedSubtree();
// Closes a key and removes its children's items, except values whose change class
// and keys whose summary meet `keepMask` (0 removes everything).
void removeChildren(ItemIndex key, int keepMask);
// Removes the items of a key's subtree and its own, keeping as removeChildren does.
void removeSubtree(ItemIndex key, int keepMask);
// Inserts (or with `insert` off refreshes) the keys from `firstKey` along its sibling
// chain that are hits or have hits below, with their hit values, opening keys with
// hits below when inserting. Returns the number of hits met.
int revealSearchHits(ItemIndex firstKey, bool insert);
// Inserts and opens the ancestors of an item (mode bit 0: a value) and the item, at
// most 64 levels; then selects it unless mode is 3.
void revealItem(ItemIndex reference, int mode);
// Selects an item (as the first visible one with `scrollToTop`) and updates the
// selection-dependent menu states.
void selectItem(ItemIndex reference, bool scrollToTop);
// Removes an item ("この項目を表示しない"); its parent is closed when it was the only
// child shown. The new selection is taken over.
void hideItem(ItemIndex reference);
// The key or value named by `text` ("ROOT\key\key : value", as the copy commands and
// the status line write it), revealed and selected: the deepest part found, or -1
// when nothing matched.
ItemIndex openKeyByPath(const char* text);
// Deletes every item and clears the handles and the VIEW_IN_TREE / VIEW_KEY_OPEN
// flags in both stores.
void clearTree();
// Inserts the top-level keys again (showKey with `mode` for each root).
void showTopLevelKeys(int mode);
// Deletes every item and shows the top-level keys again, opening once more the keys
// that were open (the display toggles: texts and value items change, the open keys
// stay open).
void rebuildTree();
// The number of children (keys and values) that have an item.
int countVisibleChildren(ItemIndex key);
// The path of the key (of the owning key for a value) in the status line.
void showItemPath(ItemIndex reference);
// The file path a kept REG_SZ / REG_EXPAND_SZ (expanded) / REG_MULTI_SZ value's text
// begins with, else the one its name begins with (each cut to 259 bytes), or the
// empty text.
std::string selectedValueFile(ItemIndex value);
// The item of a key or value reference; null when it has none.
HTREEITEM treeItemOf(ItemIndex reference);

// WM_NOTIFY from control 10000.
LRESULT handleTreeNotification(NMHDR* header);

// The selection-dependent menu states for `reference` (a key or a value).
void updateSelectionCommands(ItemIndex reference);
