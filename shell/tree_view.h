// The registry tree view: one tree item per key and (when value items are shown) per
// value, filled lazily as keys are opened.
//
// Each item's lParam holds the reference of its record (a key's item index, or a
// value's with bit 31), and each record holds its item's handle back (treeItem) with
// display flag VIEW_IN_TREE; both are set and cleared together. Items are placed
// after the nearest earlier sibling that has an item, so the tree keeps the store's
// order (subkeys, then values) whatever order they are inserted in.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "engine/snapshot_store.h"

// The reference of the item selected last; -1 before any.
extern ItemIndex currentItem;
// Above 0 while the program itself opens items: the open notification then does
// nothing.
extern int quietExpand;
// The file named by the value right-clicked last (empty when none).
extern std::string valueFilePath;

// Creates the tree (id 10000, "RegTree") with its image list (bitmap 132) and font,
// subclassed. False (and no window) when the image list cannot be attached.
bool createTreeView(HWND owner);
void destroyTreeResources();  // font and image list

void insertItem(ItemIndex reference, ItemIndex parentKey);
void refreshItemImage(ItemIndex reference, bool isValue);
void fillChildren(ItemIndex key, int mode, int mask);
void showKey(ItemIndex key, int mode);
void openSubtree(ItemIndex key, int mode, int mask);
void openAllTopLevel(int mode, int mask);
void removeChildren(ItemIndex key, int keepMask);
void removeSubtree(ItemIndex key, int keepMask);
int revealSearchHits(ItemIndex firstKey, bool insert);
void revealItem(ItemIndex reference, int mode);
void selectItem(ItemIndex reference, bool scrollToTop);
void hideItem(ItemIndex reference);
// The key or value named by `text` ("ROOT\key\key : value"), revealed and selected;
// -1 when nothing matched.
ItemIndex openKeyByPath(const char* text);
// Deletes every item and clears the handles in the store.
void clearTree();
// Inserts the top-level keys again (showKey with `mode` for each root).
void showTopLevelKeys(int mode);
int countVisibleChildren(ItemIndex key);
void showItemPath(ItemIndex reference);
// The file path a value names, or the empty text.
std::string selectedValueFile(ItemIndex value);

// WM_NOTIFY from control 10000.
LRESULT handleTreeNotification(NMHDR* header);

// The selection-dependent menu states for `reference` (a key or a value).
void updateSelectionCommands(ItemIndex reference);
