// Shared by the tree view's own files (tree_view.cpp, tree_open.cpp,
// tree_notifications.cpp): the binding between records and tree items, insertion
// with placement, expanding, and the settings the tree reads.
//
// Binding. A record's treeItem field is 32 bits wide in every build, and a tree item
// handle is a pointer, so the field holds a slot number (1-based) into a table of
// handles owned by the tree view; 0 means no item. A record is bound exactly while
// its slot holds its item's handle and its VIEW_IN_TREE flag is set; unbinding
// clears both and VIEW_KEY_OPEN. Deleting an item deletes its descendants too: the
// TVN_DELETEITEM notification unbinds any descendant still bound, so the store never
// keeps the handle of an item that is gone.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "engine/snapshot_store.h"
#include "text/tree_item_text.h"

namespace tree_internal {

// The store the tree shows: always the current store.
SnapshotStore& store();

inline bool isValueReference(ItemIndex reference) {
  return reference != kNoItem && (static_cast<uint32_t>(reference) & kValueItemBit) != 0;
}
inline ItemIndex valueIndexOf(ItemIndex reference) {
  return static_cast<ItemIndex>(static_cast<uint32_t>(reference) & ~kValueItemBit);
}
inline ItemIndex valueReferenceOf(ItemIndex value) {
  return static_cast<ItemIndex>(static_cast<uint32_t>(value) | kValueItemBit);
}

bool validKey(ItemIndex key);
bool validValue(ItemIndex value);
// The key itself, or the owning key of a value reference; -1 when invalid.
ItemIndex keyOfReference(ItemIndex reference);

// Item handles of bound records; null when not in the tree.
HTREEITEM keyItem(ItemIndex key);
HTREEITEM valueItem(ItemIndex value);
HTREEITEM referenceItem(ItemIndex reference);
// The reference an item carries (its lParam); -1 for a null handle.
ItemIndex referenceOfItem(HTREEITEM item);

// Deletes the item of one record and unbinds it (descendant items go with it).
void deleteKeyItem(ItemIndex key);
void deleteValueItem(ItemIndex value);
// Unbinds a record without touching the window (its item is deleted by the caller,
// or went with an ancestor's).
void unbindKey(ItemIndex key);
void unbindValue(ItemIndex value);
void deleteItemHandle(HTREEITEM item);
// Called from TVN_DELETEITEM: unbinds the record of `item` if it is still bound to it.
void forgetDeletedItem(HTREEITEM item, LPARAM reference);

// Inserts a key or value item after `after` (nullptr: the nearest earlier sibling
// with an item, found by walking the store's lists). Returns the item, or null when
// the parent key has no item (the key is not top-level).
HTREEITEM insertKeyItem(ItemIndex key, HTREEITEM after);
HTREEITEM insertValueItem(ItemIndex value, ItemIndex owner, HTREEITEM after);
// Sets image, selected image and (keys) child button of a bound record.
void refreshKeyItem(ItemIndex key);
void refreshValueItem(ItemIndex value);

// fillChildren (key, 1, 0) without the final expand: the open notification, whose
// own expansion follows.
void fillChildrenForOpen(ItemIndex key);

// TVM_EXPAND with quietExpand raised, so the open handler stays out.
void expandItem(HTREEITEM item, UINT action);
void setKeyOpen(ItemIndex key, bool open);
bool keyIsOpen(ItemIndex key);

bool valuesShown();
TreeFilter currentFilter();

// Turns drawing off while many items change; nests.
class RedrawPause {
 public:
  RedrawPause();
  ~RedrawPause();
  RedrawPause(const RedrawPause&) = delete;
  RedrawPause& operator=(const RedrawPause&) = delete;
};

}  // namespace tree_internal
