// Walking the key tree and value lists of a snapshot store without recursion.
//
// A snapshot loaded from a file may be thousands of levels deep, so tree-wide
// operations never recurse: walkKeys keeps the keys entered and not yet left on an
// explicit stack and reports each key twice, on entering (pre-order) and on leaving
// (after its subtree). Callers that sum up a subtree keep their own stack in step with
// these two calls.
//
// The walks also stay finite on a damaged tree: links that point outside the
// store end a list, and no walk visits more keys (or values of one key) than the
// store has ever handed out, so a cycle ends the walk instead of looping forever.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/snapshot_store.h"

namespace store_walk {

inline bool isKey(const SnapshotStore& store, ItemIndex key) {
  return key >= 0 && key < store.counts.keyCount && store.keyBlocks[key >> kSlotBits] != nullptr;
}

inline bool isValue(const SnapshotStore& store, ItemIndex value) {
  return value >= 0 && value < store.counts.valueCount &&
         store.valueBlocks[value >> kSlotBits] != nullptr;
}

inline bool isEntry(const SnapshotStore& store, ItemIndex entry) {
  return entry >= 0 && entry < store.counts.entryCount &&
         store.entryBlocks[entry >> kSlotBits] != nullptr;
}

// Name of a key or value, "" when its name entry is missing.
inline const char* keyNameOrEmpty(SnapshotStore& store, ItemIndex key) {
  if (!isEntry(store, keyRecord(store, key).name)) return "";
  const char* name = keyName(store, key);
  return name != nullptr ? name : "";
}

inline const char* valueNameOrEmpty(SnapshotStore& store, ItemIndex value) {
  if (!isEntry(store, valueRecord(store, value).name)) return "";
  const char* name = valueName(store, value);
  return name != nullptr ? name : "";
}

inline bool isGhostKey(const KeyRecord& key) { return key.state == STATE_DELETED; }
inline bool isGhostValue(const ValueRecord& value) { return value.state == STATE_VALUE_DELETED; }

// Calls visit(value, record) for each value of `key` in list order.
template <class Visit>
void forEachValue(SnapshotStore& store, ItemIndex key, Visit&& visit) {
  ItemIndex value = keyRecord(store, key).firstValue;
  int64_t budget = store.counts.valueCount;
  while (isValue(store, value) && budget-- > 0) {
    ValueRecord& record = valueRecord(store, value);
    visit(value, record);
    if (record.flags & VF_LAST) break;
    value = record.next;
  }
}

// Calls visit(index, record) for every live record (name entry >= 0) of a block table
// holding `count` slots (keyBlocks with keyCount, valueBlocks with valueCount), in index
// order. Live records are exactly those reachable from the roots (removal frees what it
// unlinks, loading frees what the roots do not reach), so where the order does not
// matter this visits what a walk visits, reading memory front to back.
template <class Record, class Visit>
void forEachLiveRecord(Record* const* blocks, int32_t count, Visit&& visit) {
  for (int32_t base = 0; base < count; base += kSlotsPerBlock) {
    Record* block = blocks[base >> kSlotBits];
    if (block == nullptr) continue;
    const int32_t slots = count - base < kSlotsPerBlock ? count - base : kSlotsPerBlock;
    for (int32_t slot = 0; slot < slots; ++slot) {
      if (block[slot].name >= 0) visit(base + slot, block[slot]);
    }
  }
}

// Pre-order walk of the subtree of `first` (wholeChain false) or of `first` and all
// its following siblings with their subtrees (wholeChain true). enter(key) returns
// whether to walk the key's subkeys; leave(key) follows once they are done. Every
// entered key is left, also when a damaged tree cuts the walk short. The callbacks
// may change anything but the sibling and child links, except that enter(key) may
// relink the subkeys of `key` (the walk reads them only after it returns).
template <class Enter, class Leave>
void walkKeys(SnapshotStore& store, ItemIndex first, bool wholeChain, Enter&& enter,
              Leave&& leave) {
  if (!isKey(store, first)) return;
  std::vector<ItemIndex> entered;
  int64_t budget = store.counts.keyCount;
  ItemIndex key = first;
  for (;;) {
    if (budget-- <= 0) {
      while (!entered.empty()) {
        leave(entered.back());
        entered.pop_back();
      }
      return;
    }
    const bool descend = enter(key);
    entered.push_back(key);
    const ItemIndex child = descend ? keyRecord(store, key).firstChild : kNoItem;
    if (isKey(store, child)) {
      key = child;
      continue;
    }
    for (;;) {
      const ItemIndex done = entered.back();
      entered.pop_back();
      leave(done);
      if (entered.empty() && !wholeChain) return;
      const ItemIndex next = keyRecord(store, done).nextSibling;
      if (isKey(store, next)) {
        key = next;
        break;
      }
      if (entered.empty()) return;
    }
  }
}

// Pre-order walk without a leave step.
template <class Enter>
void walkKeys(SnapshotStore& store, ItemIndex first, bool wholeChain, Enter&& enter) {
  walkKeys(store, first, wholeChain, enter, [](ItemIndex) {});
}

// Walk of all roots: the sibling chain that starts at key 0.
template <class Enter, class Leave>
void walkAllKeys(SnapshotStore& store, Enter&& enter, Leave&& leave) {
  walkKeys(store, 0, true, enter, leave);
}

template <class Enter>
void walkAllKeys(SnapshotStore& store, Enter&& enter) {
  walkKeys(store, 0, true, enter);
}

// Recomputes itemCount and byteCount of one key's subtree (the key included) and
// returns what the key's parent counts for it (0 and 0 for a ghost).
ItemTotals recomputeSubtreeSizes(SnapshotStore& store, ItemIndex key);

}  // namespace store_walk
