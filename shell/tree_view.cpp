// The binding of records to tree items, and inserting, refreshing and clearing items.
#include "shell/tree_view.h"

#include <vector>

#include "engine/store_walk.h"
#include "rules/options.h"
#include "shell/app_state.h"
#include "shell/tree_view_internal.h"
#include "text/tree_item_text.h"

ItemIndex currentItem = kNoItem;
int quietExpand = 0;
std::string valueFilePath;

namespace tree_internal {

namespace {

// The text of the item being inserted, one buffer for all.
char itemTextBuffer[kTreeItemTextBytes];
// Set while every item is deleted at once: the per-item notifications are not needed.
bool clearingTree = false;
int redrawPauses = 0;

// The handle table behind the records' treeItem fields (slot 0 unused). A slot also
// names the reference it was given to, so a stale slot number in a record (one that
// shared its block with the other store) never reaches another record's item.
struct Slot {
  HTREEITEM handle;
  ItemIndex reference;
};
std::vector<Slot> slots(1, Slot{nullptr, kNoItem});
std::vector<uint32_t> freeSlots;

uint32_t takeSlot(HTREEITEM handle, ItemIndex reference) {
  if (!freeSlots.empty()) {
    const uint32_t slot = freeSlots.back();
    freeSlots.pop_back();
    slots[slot] = Slot{handle, reference};
    return slot;
  }
  slots.push_back(Slot{handle, reference});
  return static_cast<uint32_t>(slots.size() - 1);
}

void releaseSlot(uint32_t slot) {
  if (slot == 0 || slot >= slots.size() || slots[slot].handle == nullptr) return;
  slots[slot] = Slot{nullptr, kNoItem};
  freeSlots.push_back(slot);
}

HTREEITEM slotHandle(uint32_t slot, ItemIndex reference) {
  if (slot == 0 || slot >= slots.size() || slots[slot].reference != reference) return nullptr;
  return slots[slot].handle;
}

void resetSlots() {
  slots.assign(1, Slot{nullptr, kNoItem});
  freeSlots.clear();
}

void bindKey(ItemIndex key, HTREEITEM item) {
  keyRecord(store(), key).treeItem = takeSlot(item, key);
  keyFlags(store(), key) |= VIEW_IN_TREE;
}

void bindValue(ItemIndex value, HTREEITEM item) {
  valueRecord(store(), value).treeItem = takeSlot(item, valueReferenceOf(value));
  valueFlags(store(), value) |= VIEW_IN_TREE;
}

void unbindKeyRecord(ItemIndex key) {
  KeyRecord& record = keyRecord(store(), key);
  if (slotHandle(record.treeItem, key)) releaseSlot(record.treeItem);
  record.treeItem = 0;
  keyFlags(store(), key) &= static_cast<uint16_t>(~(VIEW_IN_TREE | VIEW_KEY_OPEN));
}

void unbindValueRecord(ItemIndex value) {
  ValueRecord& record = valueRecord(store(), value);
  if (slotHandle(record.treeItem, valueReferenceOf(value))) releaseSlot(record.treeItem);
  record.treeItem = 0;
  valueFlags(store(), value) &= static_cast<uint16_t>(~(VIEW_IN_TREE | VIEW_KEY_OPEN));
}

bool systemKeepsKeyTimes() { return (GetVersion() & 0x80000000u) == 0; }

TreeTextOptions textOptions() {
  TreeTextOptions options;
  options.showSizes = programOptions.entries[OPT_SHOW_SIZES] != 0;
  options.showDescriptions = programOptions.entries[OPT_SHOW_DESCRIPTIONS] != 0;
  options.showModified = programOptions.entries[OPT_SHOW_MODIFIED] != 0 && systemKeepsKeyTimes();
  options.liveKeyTimes =
      viewShowsLiveReading(viewState) || (viewState & VIEW_READING) != 0;
  options.liveValueData = viewShowsLiveReading(viewState);
  if (options.showModified && options.liveKeyTimes) options.today = platform::localTimeNow();
  return options;
}

HTREEITEM sendInsert(HTREEITEM parent, HTREEITEM after, int image, bool button,
                     ItemIndex reference) {
  TVINSERTSTRUCTA insert = {};
  insert.hParent = parent;
  insert.hInsertAfter = after ? after : TVI_FIRST;
  insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM | TVIF_CHILDREN;
  insert.item.pszText = itemTextBuffer;
  insert.item.iImage = image;
  insert.item.iSelectedImage = image;
  insert.item.cChildren = button ? 1 : 0;
  insert.item.lParam = reference;
  return reinterpret_cast<HTREEITEM>(
      SendMessageA(treeWindow, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
}

void setItemImage(HTREEITEM item, int image, int button) {
  TVITEMA change = {};
  change.hItem = item;
  change.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE;
  change.iImage = image;
  change.iSelectedImage = image;
  if (button >= 0) {
    change.mask |= TVIF_CHILDREN;
    change.cChildren = button;
  }
  SendMessageA(treeWindow, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&change));
}

void updateHitDrawing(ItemIndex key) {
  uint16_t& flags = keyFlags(store(), key);
  flags = static_cast<uint16_t>((flags & ~(VIEW_HIT_IMAGE | VIEW_HIT_BELOW_IMAGE)) |
                                keyHitDrawingFlags(flags, searchResultsShown));
}

}  // namespace

SnapshotStore& store() { return currentStore(); }

bool validKey(ItemIndex key) { return store_walk::isKey(store(), key); }
bool validValue(ItemIndex value) { return store_walk::isValue(store(), value); }

ItemIndex keyOfReference(ItemIndex reference) {
  if (!isValueReference(reference)) return validKey(reference) ? reference : kNoItem;
  const ItemIndex value = valueIndexOf(reference);
  if (!validValue(value)) return kNoItem;
  const ItemIndex owner = ownerKeyOfValue(store(), value);
  return validKey(owner) ? owner : kNoItem;
}

HTREEITEM keyItem(ItemIndex key) {
  if (!validKey(key)) return nullptr;
  return slotHandle(keyRecord(store(), key).treeItem, key);
}

HTREEITEM valueItem(ItemIndex value) {
  if (!validValue(value)) return nullptr;
  return slotHandle(valueRecord(store(), value).treeItem, valueReferenceOf(value));
}

HTREEITEM referenceItem(ItemIndex reference) {
  return isValueReference(reference) ? valueItem(valueIndexOf(reference)) : keyItem(reference);
}

ItemIndex referenceOfItem(HTREEITEM item) {
  if (!item || !treeWindow) return kNoItem;
  TVITEMA query = {};
  query.hItem = item;
  query.mask = TVIF_PARAM;
  if (!SendMessageA(treeWindow, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&query))) return kNoItem;
  return static_cast<ItemIndex>(query.lParam);
}

void deleteKeyItem(ItemIndex key) {
  const HTREEITEM item = keyItem(key);
  if (validKey(key)) unbindKeyRecord(key);
  if (item) SendMessageA(treeWindow, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(item));
}

void deleteValueItem(ItemIndex value) {
  const HTREEITEM item = valueItem(value);
  if (validValue(value)) unbindValueRecord(value);
  if (item) SendMessageA(treeWindow, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(item));
}

void unbindKey(ItemIndex key) {
  if (validKey(key)) unbindKeyRecord(key);
}

void unbindValue(ItemIndex value) {
  if (validValue(value)) unbindValueRecord(value);
}

void deleteItemHandle(HTREEITEM item) {
  if (item && treeWindow) SendMessageA(treeWindow, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(item));
}

void forgetDeletedItem(HTREEITEM item, LPARAM lParam) {
  if (clearingTree || !item) return;
  const ItemIndex reference = static_cast<ItemIndex>(lParam);
  if (referenceItem(reference) != item) return;
  if (isValueReference(reference)) {
    unbindValueRecord(valueIndexOf(reference));
  } else {
    unbindKeyRecord(reference);
  }
}

HTREEITEM insertKeyItem(ItemIndex key, HTREEITEM after) {
  if (!treeWindow || !validKey(key)) return nullptr;
  SnapshotStore& s = store();
  const KeyRecord& record = keyRecord(s, key);
  HTREEITEM parent = TVI_ROOT;
  if (record.parent >= 0) {
    parent = keyItem(record.parent);
    if (!parent) return nullptr;
  }
  if (!after) {
    int64_t budget = s.counts.keyCount;
    for (ItemIndex at = record.prevSibling; validKey(at) && budget-- > 0;
         at = keyRecord(s, at).prevSibling) {
      after = keyItem(at);
      if (after) break;
    }
  }
  updateHitDrawing(key);
  formatKeyItemText(itemTextBuffer, s, key, textOptions());
  const HTREEITEM item =
      sendInsert(parent, after, keyImage(record, keyFlags(s, key), searchResultsShown),
                 keyHasChildButton(record, valuesShown()), key);
  if (item) bindKey(key, item);
  return item;
}

HTREEITEM insertValueItem(ItemIndex value, ItemIndex owner, HTREEITEM after) {
  if (!treeWindow || !validValue(value) || !validKey(owner)) return nullptr;
  const HTREEITEM parent = keyItem(owner);
  if (!parent) return nullptr;
  SnapshotStore& s = store();
  if (!after) {
    // The last value before it with an item, else the last subkey with an item.
    bool reached = false;
    store_walk::forEachValue(s, owner, [&](ItemIndex at, const ValueRecord&) {
      if (at == value) reached = true;
      if (reached) return;
      if (HTREEITEM item = valueItem(at)) after = item;
    });
    if (!after) {
      int64_t budget = s.counts.keyCount;
      for (ItemIndex at = keyRecord(s, owner).firstChild; validKey(at) && budget-- > 0;
           at = keyRecord(s, at).nextSibling) {
        if (HTREEITEM item = keyItem(at)) after = item;
      }
    }
  }
  const ValueRecord& record = valueRecord(s, value);
  formatValueItemText(itemTextBuffer, s, value, textOptions());
  const HTREEITEM item = sendInsert(
      parent, after, valueImage(record, valueFlags(s, value), searchResultsShown), false,
      valueReferenceOf(value));
  if (item) bindValue(value, item);
  return item;
}

void refreshKeyItem(ItemIndex key) {
  const HTREEITEM item = keyItem(key);
  if (!item) return;
  const KeyRecord& record = keyRecord(store(), key);
  updateHitDrawing(key);
  const bool hasChildren = keyHasChildButton(record, valuesShown());
  // A hidden key is never opened, so it shows no button.
  if (hasChildren && record.state == STATE_HIDDEN) {
    expandItem(item, TVE_COLLAPSE);
    setKeyOpen(key, false);
  }
  setItemImage(item, keyImage(record, keyFlags(store(), key), searchResultsShown),
               hasChildren && record.state != STATE_HIDDEN ? 1 : 0);
}

void refreshValueItem(ItemIndex value) {
  const HTREEITEM item = valueItem(value);
  if (!item) return;
  setItemImage(item,
               valueImage(valueRecord(store(), value), valueFlags(store(), value),
                          searchResultsShown),
               -1);
}

void expandItem(HTREEITEM item, UINT action) {
  if (!item || !treeWindow) return;
  ++quietExpand;
  SendMessageA(treeWindow, TVM_EXPAND, action, reinterpret_cast<LPARAM>(item));
  --quietExpand;
  if (action == TVE_COLLAPSE) {
    // The control asks before an expansion only while an item has never been
    // expanded; after the program closed a key (and maybe removed its children) the
    // next opening must ask again so that the children are filled in.
    TVITEMA change = {};
    change.hItem = item;
    change.mask = TVIF_STATE;
    change.stateMask = TVIS_EXPANDEDONCE;
    change.state = 0;
    SendMessageA(treeWindow, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&change));
  }
}

void setKeyOpen(ItemIndex key, bool open) {
  uint16_t& flags = keyFlags(store(), key);
  flags = static_cast<uint16_t>(open ? (flags | VIEW_KEY_OPEN) : (flags & ~VIEW_KEY_OPEN));
}

bool keyIsOpen(ItemIndex key) { return (keyFlags(store(), key) & VIEW_KEY_OPEN) != 0; }

bool valuesShown() { return programOptions.entries[OPT_SHOW_VALUES] != 0; }

TreeFilter currentFilter() {
  TreeFilter filter;
  filter.changedOnly = programOptions.entries[OPT_CHANGED_ONLY] != 0;
  filter.uncheckedOnly = programOptions.entries[OPT_UNCHECKED_ONLY] != 0;
  return filter;
}

RedrawPause::RedrawPause() {
  if (redrawPauses++ == 0 && treeWindow) SendMessageA(treeWindow, WM_SETREDRAW, FALSE, 0);
}

RedrawPause::~RedrawPause() {
  if (--redrawPauses == 0 && treeWindow) {
    SendMessageA(treeWindow, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(treeWindow, nullptr, TRUE);
  }
}

}  // namespace tree_internal

using namespace tree_internal;

void insertItem(ItemIndex reference, ItemIndex parentKey) {
  if (isValueReference(reference) || parentKey >= 0) {
    const ItemIndex value = valueIndexOf(reference);
    if (!validValue(value)) return;
    if (valueItem(value)) {
      if (searchResultsShown) refreshValueItem(value);
      return;
    }
    const ItemIndex owner = parentKey >= 0 ? parentKey : ownerKeyOfValue(store(), value);
    insertValueItem(value, owner, nullptr);
    return;
  }
  if (keyItem(reference)) {
    if (searchResultsShown) refreshKeyItem(reference);
    return;
  }
  insertKeyItem(reference, nullptr);
}

void refreshItemImage(ItemIndex reference, bool isValue) {
  if (isValue || isValueReference(reference)) {
    refreshValueItem(valueIndexOf(reference));
  } else {
    refreshKeyItem(reference);
  }
}

HTREEITEM treeItemOf(ItemIndex reference) { return referenceItem(reference); }

void clearTree() {
  if (treeWindow) {
    ++quietExpand;
    clearingTree = true;
    SendMessageA(treeWindow, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
    clearingTree = false;
    --quietExpand;
  }
  resetSlots();
  // Both stores: a record that shared its block with the other store may carry a
  // slot number and the flags from then.
  for (SnapshotStore* s : {&currentStore(), &baselineStore()}) {
    clearTreeItems(*s);
    clearViewFlags(*s, VIEW_IN_TREE | VIEW_KEY_OPEN);
  }
  currentItem = kNoItem;
}

int countVisibleChildren(ItemIndex key) {
  if (!validKey(key)) return 0;
  SnapshotStore& s = store();
  int count = 0;
  int64_t budget = s.counts.keyCount;
  for (ItemIndex at = keyRecord(s, key).firstChild; validKey(at) && budget-- > 0;
       at = keyRecord(s, at).nextSibling) {
    if (keyItem(at)) ++count;
  }
  store_walk::forEachValue(s, key, [&](ItemIndex value, const ValueRecord&) {
    if (valueItem(value)) ++count;
  });
  return count;
}
