// What the tree tells the program (open, close, selection, right click, double
// click, deletion) and the selection-dependent states of the menus.
//
// The tree is created with the ANSI class functions, so its notifications come with
// the A codes; the W codes of the same notifications are accepted too (the fields
// read here lie at the same places in both structures).
#include <cstring>
#include <string>

#include "engine/store_walk.h"
#include "resources/command_ids.h"
#include "restore/undo_request.h"
#include "rules/options.h"
#include "shell/app_state.h"
#include "shell/feature_hooks.h"
#include "shell/menu_state.h"
#include "shell/status_line.h"
#include "shell/tree_view.h"
#include "shell/tree_view_internal.h"
#include "text/operation_log.h"
#include "text/value_text.h"
#include "text/cp932.h"

using namespace tree_internal;

namespace {

// Room for an expanded REG_EXPAND_SZ text, and the longest file path taken.
constexpr DWORD kExpandedBytes = 520;
constexpr size_t kMaxFilePathBytes = 259;

DWORD lastOpenTick = 0;

bool restoreToolRunning() { return restore::isRestoreToolRunning(); }

bool comparisonShown() { return viewShowsComparison(viewState); }

// `text` cut to at most `limit` bytes, never inside a double-byte character.
std::string cutText(const char* text, size_t limit) {
  size_t take = 0;
  while (text[take] != '\0') {
    const size_t step =
        cp932::isLeadByte(static_cast<unsigned char>(text[take])) && text[take + 1] != '\0' ? 2 : 1;
    if (take + step > limit) break;
    take += step;
  }
  return std::string(text, take);
}

std::string filePathIn(const char* text) {
  const std::string cut = cutText(text, kMaxFilePathBytes);
  return filePathLength(cut.c_str()) > 0 ? cut : std::string();
}

void updateValueCommands(ItemIndex value) {
  SnapshotStore& s = store();
  const ValueRecord& record = valueRecord(s, value);
  const uint8_t state = record.state;
  setCommandEnabled(IDM_COPY_KEY_NAME, true);
  setCommandEnabled(IDM_COPY_KEY_STRUCTURE, false);
  setCommandEnabled(IDM_COPY_VALUE, true);
  setCommandEnabled(IDM_COPY_KEY_CHANGES, false);
  setCommandEnabled(IDM_DESCRIBE_ITEM, (valueFlags(s, value) & VIEW_HAS_DESCRIPTION) != 0);
  setCommandEnabled(IDM_PROPERTIES, true);
  setCommandEnabled(IDM_UNDO_CHANGE, state >= STATE_DATA_CHANGED && state <= STATE_VALUE_DELETED &&
                                         comparisonShown() && restoreToolRunning());
  setCommandState(IDM_SHOW_ALL_IN_KEY, false, false);
  setCommandEnabled(IDM_SHOW_VALUES_IN_KEY, false);
  setCommandEnabled(IDM_OPEN_CHANGES_IN_KEY, false);
  setCommandEnabled(IDM_HIDE_ITEM, true);
  setCommandEnabled(IDM_CLOSE_LEVEL, true);
  setCommandState(IDM_NOT_CHECKED, true, state == STATE_NOT_CHECKED);
  setCommandState(IDM_SAME_NAME_NOT_CHECKED, false, false);
  setCommandState(IDM_NOT_READ, false, false);
  setCommandState(IDM_NOT_DISPLAYED, false, false);
  setCommandState(IDM_AUTOCHECK_TARGET, false, false);
}

// The five item commands that selectItem keeps for a key.
void updateKeyItemCommands(ItemIndex key) {
  const KeyRecord& record = keyRecord(store(), key);
  const bool values = record.firstValue >= 0;
  const bool topLevel = record.parent < 0;
  setCommandState(IDM_SHOW_ALL_IN_KEY, record.firstChild >= 0 || (values && valuesShown()), false);
  setCommandEnabled(IDM_SHOW_VALUES_IN_KEY, values && !valuesShown());
  setCommandEnabled(IDM_OPEN_CHANGES_IN_KEY,
                    (record.summary & (SUM_DATA_CHANGED | SUM_STRUCTURE_CHANGED)) != 0);
  setCommandEnabled(IDM_HIDE_ITEM, !topLevel);
  setCommandEnabled(IDM_CLOSE_LEVEL, !topLevel);
}

void updateKeyCommands(ItemIndex key) {
  SnapshotStore& s = store();
  const KeyRecord& record = keyRecord(s, key);
  const uint8_t summary = record.summary;
  const uint8_t state = record.state;
  setCommandEnabled(IDM_COPY_KEY_NAME, true);
  setCommandEnabled(IDM_COPY_KEY_STRUCTURE, true);
  setCommandEnabled(IDM_COPY_VALUE, false);
  setCommandEnabled(IDM_COPY_KEY_CHANGES,
                    (summary & (SUM_DATA_CHANGED | SUM_CONTROLLED | SUM_STRUCTURE_CHANGED)) != 0);
  setCommandEnabled(IDM_DESCRIBE_ITEM, (keyFlags(s, key) & VIEW_HAS_DESCRIPTION) != 0);
  setCommandEnabled(IDM_PROPERTIES, true);
  setCommandEnabled(IDM_UNDO_CHANGE, (summary & (SUM_DATA_CHANGED | SUM_STRUCTURE_CHANGED)) &&
                                         comparisonShown() && restoreToolRunning());
  updateKeyItemCommands(key);

  const bool target = (summary & SUM_AUTOCHECK_TARGET) != 0;
  const bool fixed = state == STATE_REFUSED || target;
  const bool sameName = (summary & SUM_SAME_NAME) != 0;
  setCommandState(IDM_NOT_CHECKED, !fixed, !fixed && state == STATE_NOT_CHECKED && !sameName);
  setCommandState(IDM_SAME_NAME_NOT_CHECKED, !fixed,
                  !fixed && state == STATE_NOT_CHECKED && sameName);
  setCommandState(IDM_NOT_READ, !fixed, !fixed && state == STATE_NOT_READ);
  setCommandState(IDM_NOT_DISPLAYED, !fixed, !fixed && state == STATE_HIDDEN);
  setCommandState(IDM_AUTOCHECK_TARGET, state == STATE_NORMAL || state == STATE_CHANGED_BELOW,
                  target);
}

HTREEITEM treeItemUnderMouse() {
  POINT point;
  GetCursorPos(&point);
  ScreenToClient(treeWindow, &point);
  TVHITTESTINFO hit = {};
  hit.pt = point;
  SendMessageA(treeWindow, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
  return (hit.flags & TVHT_ONITEM) ? hit.hItem : nullptr;
}

// The drop-highlighted item, else (a control that does not highlight on a right
// click) the item under the mouse, else the selected one.
HTREEITEM clickedItem(bool underMouse) {
  HTREEITEM item = reinterpret_cast<HTREEITEM>(
      SendMessageA(treeWindow, TVM_GETNEXTITEM, TVGN_DROPHILITE, 0));
  if (!item && underMouse) item = treeItemUnderMouse();
  if (!item) {
    item = reinterpret_cast<HTREEITEM>(SendMessageA(treeWindow, TVM_GETNEXTITEM, TVGN_CARET, 0));
  }
  return item;
}

LRESULT onItemExpanding(const NMTREEVIEWA& info) {
  if (quietExpand > 0) return 0;
  lastOpenTick = GetTickCount();
  const ItemIndex reference = static_cast<ItemIndex>(info.itemNew.lParam);
  if (info.action & TVE_EXPAND) {
    logOperation("v:開く:%x", static_cast<unsigned>(reference));
    if (isValueReference(reference) || !validKey(reference)) return 0;
    const KeyRecord& record = keyRecord(store(), reference);
    if (record.state == STATE_HIDDEN || (record.firstChild < 0 && record.firstValue < 0)) return 0;
    setKeyOpen(reference, true);
    fillChildrenForOpen(reference);
  } else {
    logOperation("v:閉じる:%x", static_cast<unsigned>(reference));
    if (!isValueReference(reference) && validKey(reference)) setKeyOpen(reference, false);
  }
  return 0;
}

void onSelectionChanged(const NMTREEVIEWA& info) {
  if (info.action == TVC_UNKNOWN) return;
  const ItemIndex reference = static_cast<ItemIndex>(info.itemNew.lParam);
  currentItem = reference;
  if (isValueReference(reference)) {
    logOperation("v:値選択:%x", static_cast<unsigned>(valueIndexOf(reference)));
  } else {
    logOperation("v:キー選択:%x", static_cast<unsigned>(reference));
  }
  updateSelectionCommands(reference);
  // A top-level key shows its own name too, so the path of the item selected before
  // never stays in the status line.
  if (!isValueReference(reference)) showItemPath(reference);
}

LRESULT onRightClick() {
  const HTREEITEM item = clickedItem(true);
  const ItemIndex reference = referenceOfItem(item);
  if (reference == kNoItem) {
    logOperation("v:右クリック");
    return 1;
  }
  SendMessageA(treeWindow, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
  currentItem = reference;
  logOperation("v:右クリック:%x", static_cast<unsigned>(reference));
  showItemPath(reference);
  updateSelectionCommands(reference);
  valueFilePath = isValueReference(reference) ? selectedValueFile(reference) : std::string();

  POINT point;
  GetCursorPos(&point);
  ScreenToClient(mainWindow, &point);
  point.y -= toolbarHeight;
  ClientToScreen(treeWindow, &point);
  showRightClickMenu(mainWindow, point.x, point.y, reference);
  return 1;
}

LRESULT onDoubleClick() {
  if (GetTickCount() - lastOpenTick < GetDoubleClickTime()) return 0;
  logOperation("v:ダブルクリック:%x", static_cast<unsigned>(currentItem));
  const ItemIndex reference = referenceOfItem(clickedItem(false));
  if (reference == kNoItem) {
    logOperation("v:ダブルクリック");
    return 0;
  }
  currentItem = reference;
  // A key is opened by the tree itself.
  if (isValueReference(reference) && featureHooks.showItemProperties) {
    featureHooks.showItemProperties(reference);
  }
  return 0;
}

}  // namespace

LRESULT handleTreeNotification(NMHDR* header) {
  if (!header || !treeWindow) return 0;
  switch (header->code) {
    case TVN_DELETEITEMA:
    case TVN_DELETEITEMW: {
      // After the shutdown began the stores may be gone; the window's own end
      // deletes every item then.
      if (!initialised) return 0;
      const NMTREEVIEWA& info = *reinterpret_cast<NMTREEVIEWA*>(header);
      forgetDeletedItem(info.itemOld.hItem, info.itemOld.lParam);
      return 0;
    }
    default:
      break;
  }
  if (viewState == 0) return 0;
  switch (header->code) {
    case TVN_ITEMEXPANDINGA:
    case TVN_ITEMEXPANDINGW:
      return onItemExpanding(*reinterpret_cast<NMTREEVIEWA*>(header));
    case TVN_SELCHANGEDA:
    case TVN_SELCHANGEDW:
      onSelectionChanged(*reinterpret_cast<NMTREEVIEWA*>(header));
      return 0;
    case NM_RCLICK:
      return onRightClick();
    case NM_DBLCLK:
      return onDoubleClick();
    default:
      return 0;
  }
}

void updateSelectionCommands(ItemIndex reference) {
  if (isValueReference(reference)) {
    if (validValue(valueIndexOf(reference))) updateValueCommands(valueIndexOf(reference));
  } else if (validKey(reference)) {
    updateKeyCommands(reference);
  }
}

void selectItem(ItemIndex reference, bool scrollToTop) {
  currentItem = reference;
  const HTREEITEM item = referenceItem(reference);
  if (item && treeWindow) {
    if (scrollToTop) {
      SendMessageA(treeWindow, TVM_SELECTITEM, TVGN_FIRSTVISIBLE, reinterpret_cast<LPARAM>(item));
    }
    SendMessageA(treeWindow, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
  }
  updateSelectionCommands(reference);
}

void showItemPath(ItemIndex reference) {
  const ItemIndex key = keyOfReference(reference);
  if (key < 0) return;
  setStatusTextPlain(buildItemPath(store(), key, 0).c_str());
}

std::string selectedValueFile(ItemIndex value) {
  value = valueIndexOf(value);
  if (!validValue(value)) return std::string();
  SnapshotStore& s = store();
  const ValueRecord& record = valueRecord(s, value);
  if (!(record.flags & VF_DATA_KEPT) || !store_walk::isEntry(s, record.data)) return std::string();
  const uint32_t type = valueType(record);
  if (type == kTypeSz || type == kTypeExpandSz || type == kTypeMultiSz) {
    // Kept data are followed by a 0 byte in their pool, so the text is terminated.
    const char* data = entryText(s, record.data);
    std::string path;
    if (type == kTypeExpandSz) {
      char expanded[kExpandedBytes];
      const DWORD needed = ExpandEnvironmentStringsA(data, expanded, kExpandedBytes);
      path = filePathIn(needed > 0 && needed <= kExpandedBytes ? expanded : data);
    } else {
      path = filePathIn(data);
    }
    if (!path.empty()) return path;
  }
  return filePathIn(store_walk::valueNameOrEmpty(s, value));
}
