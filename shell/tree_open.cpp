// Opening and closing parts of the tree: filling a key's children, the open
// primitives of the view commands, removing items, and revealing search hits.
//
// Every walk over the store is iterative (store_walk), so a snapshot thousands of
// levels deep never exhausts the stack. Children are inserted in list order with the
// previous sibling's item as the insertion point, so a fill costs one message per
// item and nothing is ever re-sorted.
#include <optional>
#include <vector>

#include "engine/progress_hooks.h"
#include "engine/store_walk.h"
#include "rules/options.h"
#include "shell/app_state.h"
#include "shell/feature_hooks.h"
#include "shell/status_line.h"
#include "shell/tree_view.h"
#include "shell/tree_view_internal.h"
#include "text/operation_log.h"
#include "text/tree_item_text.h"

using namespace tree_internal;

namespace {

// Mask bit of fillChildren: only the values are handled.
constexpr int kValuesOnlyMask = 0x8000;
// Fills with more children than this turn drawing off meanwhile.
constexpr int32_t kQuietFillChildren = 64;
constexpr UINT kCollapseWaitMs = 100;
// Keys opened between clock readings of the progress pacer.
constexpr uint32_t kKeysPerClockOpening = 16;

uint8_t summaryMask(int mask) { return static_cast<uint8_t>(mask & 0xFF); }

// Calls visit(child) for each subkey of `key` in list order.
template <class Visit>
void forEachChildKey(ItemIndex key, Visit&& visit) {
  SnapshotStore& s = store();
  int64_t budget = s.counts.keyCount;
  for (ItemIndex at = keyRecord(s, key).firstChild; validKey(at) && budget-- > 0;
       at = keyRecord(s, at).nextSibling) {
    visit(at);
  }
}

HTREEITEM lastChildKeyItem(ItemIndex key) {
  HTREEITEM last = nullptr;
  forEachChildKey(key, [&](ItemIndex child) {
    if (HTREEITEM item = keyItem(child)) last = item;
  });
  return last;
}

// Inserts the values of `key` that `wanted` selects and that have no item, in list
// order, each after the nearest earlier value with an item, else after `afterKeys`
// (the last subkey item; null: first). Values that have an item are handed to
// `existing`.
template <class Wanted, class Existing>
void placeValues(ItemIndex key, HTREEITEM afterKeys, Wanted&& wanted, Existing&& existing) {
  // TVI_LAST: the key had no child items, so every value goes to the end.
  const bool append = afterKeys == TVI_LAST;
  HTREEITEM last = afterKeys;
  store_walk::forEachValue(store(), key, [&](ItemIndex value, const ValueRecord& record) {
    HTREEITEM item = valueItem(value);
    if (item) {
      existing(value, record);
    } else if (wanted(value, record)) {
      item = insertValueItem(value, key, append ? TVI_LAST : last ? last : TVI_FIRST);
    }
    if (item) last = item;
  });
}

// One key's part of fillChildren. Open child keys that mode 0 must refresh in turn
// are appended to `refreshNext`.
void fillKey(ItemIndex key, int mode, int mask, std::vector<ItemIndex>* refreshNext) {
  SnapshotStore& s = store();
  const KeyRecord& record = keyRecord(s, key);
  if (!keyItem(key)) return;
  const TreeFilter filter = currentFilter();
  const uint8_t classes = summaryMask(mask);
  const bool many = record.childCount + record.valueCount > kQuietFillChildren;
  std::optional<RedrawPause> pause;
  if (many) pause.emplace();

  // A key filled for the first time has no child items: every item then goes to the
  // end, which the control takes without looking up an insertion point (looking one
  // up costs a search of all items on some systems, making a large fill quadratic).
  const bool fresh = SendMessageA(treeWindow, TVM_GETNEXTITEM, TVGN_CHILD,
                                  reinterpret_cast<LPARAM>(keyItem(key))) == 0;
  HTREEITEM last = nullptr;
  if (record.firstChild >= 0 && !(mask & kValuesOnlyMask)) {
    forEachChildKey(key, [&](ItemIndex child) {
      const KeyRecord& childRecord = keyRecord(s, child);
      HTREEITEM item = keyItem(child);
      if (childKeyPassesFilter(childRecord, filter, classes)) {
        if (mode == 0) {
          if (item) {
            if (searchResultsShown) refreshKeyItem(child);
            if (refreshNext) refreshNext->push_back(child);
          }
        } else if (!item && (mode == 1 || (childRecord.summary & classes))) {
          item = insertKeyItem(child, fresh ? TVI_LAST : last ? last : TVI_FIRST);
        }
      }
      if (item) last = item;
    });
  } else {
    last = lastChildKeyItem(key);
  }

  if (valuesShown() && record.firstValue >= 0) {
    placeValues(
        key, fresh ? TVI_LAST : last,
        [&](ItemIndex, const ValueRecord& value) {
          if (mode == 0 || !valuePassesFilter(value, filter)) return false;
          return mode == 1 || (valueChangeClass(value.state) & classes) != 0;
        },
        [&](ItemIndex value, const ValueRecord& record) {
          if (mode == 0 && searchResultsShown && valuePassesFilter(record, filter)) {
            refreshValueItem(value);
          }
        });
  }
}

// Expands a key's item and marks it open.
void openKeyItem(ItemIndex key) {
  expandItem(keyItem(key), TVE_EXPAND);
  setKeyOpen(key, true);
}

// Expands filled keys, given parents first, children before their parents: the
// control lays out the visible items again on every expansion of a visible item, so
// expanding top-down costs the square of the depth; an item under a closed parent is
// expanded without that, and the last expansion lays everything out once.
void openDeepestFirst(const std::vector<ItemIndex>& keys) {
  for (auto it = keys.rbegin(); it != keys.rend(); ++it) openKeyItem(*it);
}

// Forgets the items of `key`'s subtree without telling the window (the caller then
// deletes the key's item, which takes the whole subtree with it).
void unbindSubtree(ItemIndex key) {
  store_walk::walkKeys(store(), key, false, [](ItemIndex at) {
    if (!keyItem(at)) return false;
    store_walk::forEachValue(store(), at, [](ItemIndex value, const ValueRecord&) {
      if (valueItem(value)) unbindValue(value);
    });
    unbindKey(at);
    return true;
  });
}

void removeValueItems(ItemIndex key, int keepMask) {
  store_walk::forEachValue(store(), key, [&](ItemIndex value, const ValueRecord& record) {
    if (valueItem(value) && !(valueChangeClass(record.state) & keepMask)) deleteValueItem(value);
  });
}

}  // namespace

void fillChildren(ItemIndex key, int mode, int mask) {
  if (!validKey(key)) return;
  if (mode == 0) {
    // Refresh: the open keys of the subtree, parents first.
    std::vector<ItemIndex> pending{key};
    while (!pending.empty()) {
      const ItemIndex at = pending.back();
      pending.pop_back();
      if (!keyIsOpen(at)) continue;
      fillKey(at, 0, mask, &pending);
      expandItem(keyItem(at), TVE_EXPAND);
    }
    return;
  }
  fillKey(key, mode, mask, nullptr);
  if (keyIsOpen(key)) expandItem(keyItem(key), TVE_EXPAND);
}

void tree_internal::fillChildrenForOpen(ItemIndex key) {
  if (validKey(key)) fillKey(key, 1, 0, nullptr);
}

void showKey(ItemIndex key, int mode) {
  if (!validKey(key)) return;
  const KeyRecord& record = keyRecord(store(), key);
  const TreeFilter filter = currentFilter();
  if (filter.changedOnly && record.state < STATE_CHANGED_BELOW) return;
  if (filter.uncheckedOnly && !(record.summary & SUM_CONTROLLED)) return;
  insertItem(key, kNoItem);
  if (record.firstChild < 0) return;
  if (mode == 1) {
    fillChildren(key, 1, 0);
    openKeyItem(key);
  } else if (mode == 2 && keyIsOpen(key)) {
    fillChildren(key, 0, 0);
    expandItem(keyItem(key), TVE_EXPAND);
  }
}

void showTopLevelKeys(int mode) {
  if (featureHooks.markDescriptions) featureHooks.markDescriptions();
  RedrawPause pause;
  for (ItemIndex root = 0; root < kRootKeyCount; ++root) {
    if (validKey(root) && keyRecord(store(), root).parent < 0) showKey(root, mode);
  }
}

void rebuildTree() {
  // The keys open now, parents before children.
  std::vector<ItemIndex> open;
  if (validKey(0)) {
    store_walk::walkKeys(store(), 0, true, [&](ItemIndex key) {
      if (!keyItem(key)) return false;
      if (keyIsOpen(key)) open.push_back(key);
      return true;
    });
  }
  RedrawPause pause;
  clearTree();
  showTopLevelKeys(0);
  std::vector<ItemIndex> filled;
  for (ItemIndex key : open) {
    if (!keyItem(key)) continue;  // its parent is not shown any more
    fillKey(key, 1, 0, nullptr);
    filled.push_back(key);
  }
  openDeepestFirst(filled);
}

void openSubtree(ItemIndex key, int mode, int mask) {
  if (!validKey(key)) return;
  SnapshotStore& s = store();
  // Opening a large subtree keeps the window answering; the items it inserts are
  // drawn once, at the end.
  ProgressPacer pacer(kKeysPerClockOpening);
  auto keepAlive = [&] {
    if (pacer.due()) keepWindowAlive();
  };
  std::vector<ItemIndex> opened;  // filled keys, parents first
  ++quietExpand;
  {
    RedrawPause pause;
    switch (mode) {
      case 0:
        store_walk::walkKeys(s, key, false, [&](ItemIndex at) {
          const HTREEITEM item = keyItem(at);
          if (at != key && !item) return false;
          expandItem(item, TVE_COLLAPSE);
          setKeyOpen(at, false);
          return true;
        });
        break;
      case 1:
      case 2:
        store_walk::walkKeys(s, key, false, [&](ItemIndex at) {
          if (!keyItem(at)) return false;
          fillKey(at, 1, 0, nullptr);
          opened.push_back(at);
          keepAlive();
          return mode == 1;
        });
        break;
      case 3:
      case 4:
        store_walk::walkKeys(s, key, false, [&](ItemIndex at) {
          if (!keyItem(at) || !(keyRecord(s, at).summary & summaryMask(mask))) return false;
          fillKey(at, mode, mask, nullptr);
          opened.push_back(at);
          keepAlive();
          return mode == 3;
        });
        break;
      default:
        break;
    }
    openDeepestFirst(opened);
  }
  --quietExpand;
}

void openAllTopLevel(int mode, int mask) {
  quietExpand = 0;
  const int32_t savedChangedOnly = programOptions.entries[OPT_CHANGED_ONLY];
  if (mode == 3) programOptions.entries[OPT_CHANGED_ONLY] = 1;
  {
    RedrawPause pause;
    for (ItemIndex root = 0; root < kRootKeyCount; ++root) {
      if (validKey(root) && keyRecord(store(), root).parent < 0) openSubtree(root, mode, mask);
    }
  }
  programOptions.entries[OPT_CHANGED_ONLY] = savedChangedOnly;
  quietExpand = 0;
}

void removeChildren(ItemIndex key, int keepMask) {
  if (!validKey(key)) return;
  expandItem(keyItem(key), TVE_COLLAPSE);
  pumpMessagesFor(kCollapseWaitMs);
  if (!validKey(key)) return;
  setKeyOpen(key, false);
  RedrawPause pause;
  forEachChildKey(key, [&](ItemIndex child) { removeSubtree(child, keepMask); });
  removeValueItems(key, keepMask);
  // The control drops the button of an item whose last child went; the key still
  // has its children in the store and can be opened again.
  refreshKeyItem(key);
}

void removeSubtree(ItemIndex key, int keepMask) {
  if (!validKey(key)) return;
  SnapshotStore& s = store();
  RedrawPause pause;
  // A key that goes takes its whole subtree with it in one deletion; a key that stays
  // keeps the children that stay and loses the values that do not.
  store_walk::walkKeys(
      s, key, false,
      [&](ItemIndex at) {
        if (!keyItem(at)) return false;
        const bool keep = keepMask != 0 && (keyRecord(s, at).summary & keepMask) != 0;
        if (keep) return true;
        const HTREEITEM item = keyItem(at);
        unbindSubtree(at);
        deleteItemHandle(item);
        return false;
      },
      [&](ItemIndex at) {
        if (!keyItem(at)) return;
        removeValueItems(at, keepMask);
        refreshKeyItem(at);
      });
}

int revealSearchHits(ItemIndex firstKey, bool insert) {
  if (!validKey(firstKey)) return 0;
  SnapshotStore& s = store();
  struct Frame {
    bool hitPath;  // the key is a hit or has one below it
    int hitsBelow;
  };
  std::vector<Frame> frames;
  int total = 0;
  RedrawPause pause;
  store_walk::walkKeys(
      s, firstKey, true,
      [&](ItemIndex key) {
        const bool hitPath = (keyFlags(s, key) & (VIEW_HIT | VIEW_HIT_BELOW)) != 0;
        frames.push_back(Frame{hitPath, 0});
        if (!hitPath) return false;
        if (insert) {
          insertItem(key, kNoItem);
        } else {
          refreshKeyItem(key);
        }
        return keyRecord(s, key).firstChild >= 0 && keyItem(key) != nullptr;
      },
      [&](ItemIndex key) {
        const Frame frame = frames.back();
        frames.pop_back();
        if (!frame.hitPath) return;
        int hits = frame.hitsBelow;
        const bool shown = keyItem(key) != nullptr;
        placeValues(
            key, shown ? lastChildKeyItem(key) : nullptr,
            [&](ItemIndex value, const ValueRecord&) {
              const bool hit = (valueFlags(s, value) & VIEW_HIT) != 0;
              hits += hit ? 1 : 0;
              return insert && shown && hit;
            },
            [&](ItemIndex value, const ValueRecord&) {
              if (!(valueFlags(s, value) & VIEW_HIT)) return;
              ++hits;
              refreshValueItem(value);
            });
        if (insert && hits > 0 && shown) openKeyItem(key);
        hits += (keyFlags(s, key) & VIEW_HIT) ? 1 : 0;
        if (frames.empty()) {
          total += hits;
        } else {
          frames.back().hitsBelow += hits;
        }
      });
  return total;
}

bool openSelectedSubtree() {
  const auto selected = reinterpret_cast<HTREEITEM>(
      SendMessageA(treeWindow, TVM_GETNEXTITEM, TVGN_CARET, 0));
  const ItemIndex reference = referenceOfItem(selected);
  if (viewState == 0 || reference == kNoItem || isValueReference(reference) ||
      !validKey(reference)) {
    return false;
  }
  // Another command pumping messages: the key is swallowed, as its commands would be.
  if (operationBusy) return true;
  operationBusy = true;
  logOperation("v:全て開く:%x", static_cast<unsigned>(reference));
  beginBusyCursor();
  openSubtree(reference, 1, 0);
  endBusyCursor();
  operationBusy = false;
  return true;
}
