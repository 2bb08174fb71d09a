// Going to one item: revealing it with its ancestors, hiding it, and finding a key or
// value by the path text that the copy commands and the status line show.
#include <string>

#include "engine/store_walk.h"
#include "navigation/mark_path.h"
#include "shell/app_state.h"
#include "shell/status_line.h"
#include "shell/tree_view.h"
#include "shell/tree_view_internal.h"
#include "text/value_text.h"
#include "text/cp932.h"

using namespace tree_internal;

namespace {

// Ancestor levels revealItem walks at most.
constexpr int kMaxRevealLevels = 64;
constexpr UINT kHideWaitMs = 50;

const char kValueSeparator[] = " : ";
constexpr size_t kValueSeparatorLength = sizeof kValueSeparator - 1;

bool hitDrawingStale(uint16_t flags) {
  return ((flags & VIEW_HIT) && !(flags & VIEW_HIT_IMAGE)) ||
         ((flags & VIEW_HIT_BELOW) && !(flags & VIEW_HIT_BELOW_IMAGE));
}

}  // namespace

void revealItem(ItemIndex reference, int mode) {
  const bool isValue = (mode & 1) || isValueReference(reference);
  const ItemIndex value = isValue ? valueIndexOf(reference) : kNoItem;
  if (isValue && !validValue(value)) return;
  const ItemIndex key = isValue ? ownerKeyOfValue(store(), value) : reference;
  if (!validKey(key)) return;

  SnapshotStore& s = store();
  ItemIndex chain[kMaxRevealLevels];
  int levels = 0;
  for (ItemIndex at = key; validKey(at); at = keyRecord(s, at).parent) {
    if (levels == kMaxRevealLevels) return;
    chain[levels++] = at;
  }

  for (int i = levels - 1; i >= 0; --i) {
    if (!keyItem(chain[i]) || hitDrawingStale(keyFlags(s, chain[i]))) insertItem(chain[i], kNoItem);
  }
  if (isValue) insertItem(valueReferenceOf(value), key);

  // A key is opened only to show what lies below it: a value's own key, a key's parent.
  ++quietExpand;
  for (int i = isValue ? 0 : 1; i < levels; ++i) {
    if (keyIsOpen(chain[i])) continue;
    expandItem(keyItem(chain[i]), TVE_EXPAND);
    setKeyOpen(chain[i], true);
  }
  --quietExpand;
  if (mode == 3) return;
  selectItem(isValue ? valueReferenceOf(value) : key, true);
}

void hideItem(ItemIndex reference) {
  const bool isValue = isValueReference(reference);
  const ItemIndex value = isValue ? valueIndexOf(reference) : kNoItem;
  if (isValue ? !validValue(value) : !validKey(reference)) return;
  const ItemIndex owner =
      isValue ? ownerKeyOfValue(store(), value) : keyRecord(store(), reference).parent;
  if (validKey(owner) && countVisibleChildren(owner) == 1) {
    expandItem(keyItem(owner), TVE_COLLAPSE);
    setKeyOpen(owner, false);
  }
  if (isValue) {
    deleteValueItem(value);
  } else {
    removeSubtree(reference, 0);
  }
  // Keeps the owner's button, which the control drops with its last child item.
  if (validKey(owner)) refreshItemImage(owner, false);
  pumpMessagesFor(kHideWaitMs);
  if (!treeWindow) return;
  const HTREEITEM selected = reinterpret_cast<HTREEITEM>(
      SendMessageA(treeWindow, TVM_GETNEXTITEM, TVGN_CARET, 0));
  const ItemIndex next = referenceOfItem(selected);
  if (next == kNoItem) {
    currentItem = kNoItem;
    return;
  }
  selectItem(next, false);
  showItemPath(next);
}

ItemIndex openKeyByPath(const char* text) {
  if (!text) return kNoItem;
  std::string path(text);
  // Clipboard text may end in a line break; a status-line path starts with a space.
  while (!path.empty() && (path.back() == '\r' || path.back() == '\n')) path.pop_back();
  size_t pos = path.find_first_not_of(' ');
  if (pos == std::string::npos) return kNoItem;

  ItemIndex key = kNoItem;
  ItemIndex found = kNoItem;
  while (pos < path.size()) {
    const size_t start = pos;
    bool valueFollows = false;
    while (pos < path.size()) {
      const unsigned char c = static_cast<unsigned char>(path[pos]);
      if (cp932::isLeadByte(c) && pos + 1 < path.size()) {
        pos += 2;
        continue;
      }
      if (c == '\\') break;
      if (path.compare(pos, kValueSeparatorLength, kValueSeparator) == 0) {
        valueFollows = true;
        break;
      }
      ++pos;
    }
    if (pos > start) {
      const ItemIndex next = findShownKey(store(), key, path.substr(start, pos - start).c_str());
      if (next < 0) break;
      key = next;
      found = key;
    }
    if (valueFollows) {
      if (key >= 0) {
        const ItemIndex named = findShownValue(store(), key, path.substr(pos + kValueSeparatorLength));
        if (named != kNoItem) found = named;
      }
      break;
    }
    ++pos;  // the backslash
  }
  if (found != kNoItem) revealItem(found, isValueReference(found) ? 1 : 0);
  return found;
}
