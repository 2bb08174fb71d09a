// The snapshot store's records: lifecycle of the two program-wide stores, sharing,
// accessors, and creating and removing keys and values. Names, data entries, pools
// and the digest live in store_names.cpp.

#include "engine/snapshot_store.h"

#include <cstring>
#include <vector>

#include "engine/memory_pool.h"
#include "engine/store_blocks.h"
#include "engine/store_walk.h"
#include "platform/process_exit.h"

using namespace store_detail;
using store_walk::isKey;

namespace {

SnapshotStore theCurrentStore;
SnapshotStore theBaselineStore;

void clearCounts(StoreCounts& counts) {
  counts = StoreCounts{};
  counts.keyFreeHead = kNoItem;
  counts.valueFreeHead = kNoItem;
  counts.entryFreeHead = kNoItem;
}

// Drops every block and the name table: freed when the store owns them, only
// forgotten when its twin describes the same blocks (the twin keeps them).
void dropBlocks(SnapshotStore& store) {
  const bool owns = !sharesWithTwin(store);
  auto drop = [owns](void* block) {
    if (owns && block) freeBlock(block);
  };
  for (int b = 0; b < kMaxKeyBlocks; ++b) {
    drop(store.keyBlocks[b]);
    store.keyBlocks[b] = nullptr;
    store.keyFlags[b] = nullptr;
    store.keyTimes[b] = nullptr;
  }
  for (int b = 0; b < kMaxValueBlocks; ++b) {
    drop(store.valueBlocks[b]);
    store.valueBlocks[b] = nullptr;
    store.valueFlags[b] = nullptr;
    store.baselineLinks[b] = nullptr;
  }
  for (int b = 0; b < kMaxEntryBlocks; ++b) {
    drop(store.entryBlocks[b]);
    store.entryBlocks[b] = nullptr;
  }
  for (int p = 0; p < kMaxPools; ++p) {
    drop(store.pools[p].base);
    store.pools[p] = DataPool{nullptr, 0, 0};
  }
  drop(store.nameHash);
  store.nameHash = nullptr;
  clearCounts(store.counts);
}

void makeNameTable(SnapshotStore& store) {
  store.nameHash = reinterpret_cast<int32_t*>(allocStoreBlock(kNameHashBytes));
  for (int i = 0; i < kNameHashBuckets; ++i) store.nameHash[i] = kNoItem;
}

void addRootKeys(SnapshotStore& store) {
  ItemIndex previous = kNoItem;
  for (int i = 0; i < kRootKeyCount; ++i) previous = addKey(store, kNoItem, previous, kRootKeyNames[i]);
}

// Makes sure the block for `key` exists (with its flag words and time table).
void ensureKeyBlock(SnapshotStore& store, ItemIndex key) {
  const int b = blockOf(key);
  if (b >= kMaxKeyBlocks) stopAtCapacityLimit(CapacityLimit::kItemCount);
  if (store.keyBlocks[b]) return;
  const bool shared = sharesWithTwin(store);
  char* block = allocStoreBlock(kKeyBlockBytes);
  store.keyBlocks[b] = reinterpret_cast<KeyRecord*>(block);
  store.keyFlags[b] = reinterpret_cast<uint16_t*>(block + kKeyFlagsOffset);
  store.keyTimes[b] = reinterpret_cast<uint64_t*>(block + kKeyTimesOffset);
  if (store.counts.keyBlockCount < b + 1) store.counts.keyBlockCount = b + 1;
  if (shared) {
    SnapshotStore& twin = *store.twin;
    twin.keyBlocks[b] = store.keyBlocks[b];
    twin.keyFlags[b] = store.keyFlags[b];
    twin.keyTimes[b] = store.keyTimes[b];
    twin.counts = store.counts;
  }
}

void ensureValueBlock(SnapshotStore& store, ItemIndex value) {
  const int b = blockOf(value);
  if (b >= kMaxValueBlocks) stopAtCapacityLimit(CapacityLimit::kItemCount);
  if (store.valueBlocks[b]) return;
  const bool shared = sharesWithTwin(store);
  char* block = allocStoreBlock(kValueBlockBytes);
  store.valueBlocks[b] = reinterpret_cast<ValueRecord*>(block);
  store.valueFlags[b] = reinterpret_cast<uint16_t*>(block + kValueFlagsOffset);
  store.baselineLinks[b] = reinterpret_cast<int32_t*>(block + kValueLinksOffset);
  if (store.counts.valueBlockCount < b + 1) store.counts.valueBlockCount = b + 1;
  if (shared) {
    SnapshotStore& twin = *store.twin;
    twin.valueBlocks[b] = store.valueBlocks[b];
    twin.valueFlags[b] = store.valueFlags[b];
    twin.baselineLinks[b] = store.baselineLinks[b];
    twin.counts = store.counts;
  }
}

// The index a new key or value takes: the free list's head, else the next new one.
ItemIndex nextKeyIndex(const SnapshotStore& store) {
  return store.counts.keyFreeHead >= 0 ? store.counts.keyFreeHead : store.counts.keyCount;
}
ItemIndex nextValueIndex(const SnapshotStore& store) {
  return store.counts.valueFreeHead >= 0 ? store.counts.valueFreeHead : store.counts.valueCount;
}

// Clamps a name to what one pool can hold; registry names are far shorter (255 and
// 16,383 bytes), so only damaged input ever reaches the limit.
size_t storableNameLength(const char* name) {
  size_t length = std::strlen(name);
  const size_t limit = static_cast<size_t>(kPoolBytes) - 1;
  return length < limit ? length : limit;
}

// Inserts `key` after `after` in the sibling list of `parent` (at its head when
// `after` is -1).
void linkKeyAfter(SnapshotStore& store, ItemIndex parent, ItemIndex after, ItemIndex key) {
  KeyRecord& record = keyRecord(store, key);
  ItemIndex next;
  if (after >= 0) {
    KeyRecord& previous = keyRecord(store, after);
    next = previous.nextSibling;
    previous.nextSibling = key;
  } else {
    KeyRecord& owner = keyRecord(store, parent);
    next = owner.firstChild;
    owner.firstChild = key;
  }
  record.prevSibling = after;
  record.nextSibling = next;
  if (next >= 0) keyRecord(store, next).prevSibling = key;
}

// The sibling after which `name` belongs, searched from `hint` (a child of the same
// parent): backwards while the hint sorts after the name, else forwards while the
// next sibling sorts at or before it. -1 means at the head.
ItemIndex placeAmongSiblings(SnapshotStore& store, ItemIndex hint, const char* name) {
  ItemIndex at = hint;
  if (compareNames(name, nameAt(store, keyRecord(store, at).name)) < 0) {
    do {
      at = keyRecord(store, at).prevSibling;
    } while (at >= 0 && compareNames(name, nameAt(store, keyRecord(store, at).name)) < 0);
    return at;
  }
  for (;;) {
    ItemIndex next = keyRecord(store, at).nextSibling;
    if (next < 0 || compareNames(nameAt(store, keyRecord(store, next).name), name) > 0) return at;
    at = next;
  }
}

// Unlinks `value` of `key` whose predecessor in the list is `previous` (-1: it is the
// first) and frees it with its name and kept data. Returns the next value or -1.
ItemIndex unlinkValue(SnapshotStore& store, ItemIndex key, ItemIndex previous, ItemIndex value) {
  KeyRecord& owner = keyRecord(store, key);
  ValueRecord& record = valueRecord(store, value);
  ItemIndex next = kNoItem;
  if (record.flags & VF_LAST) {
    if (previous >= 0) {
      ValueRecord& before = valueRecord(store, previous);
      before.flags |= VF_LAST;
      before.next = key;
    } else {
      owner.firstValue = kNoItem;
    }
  } else {
    next = record.next;
    if (previous >= 0) {
      valueRecord(store, previous).next = next;
    } else {
      owner.firstValue = next;
    }
  }
  if (owner.valueCount > 0) --owner.valueCount;
  freeDataEntry(store, record.name);
  if (record.flags & VF_DATA_KEPT) freeDataEntry(store, record.data);
  record = ValueRecord{};
  record.name = kNoItem;  // marks the record free: removeValue refuses it
  record.next = store.counts.valueFreeHead;
  store.counts.valueFreeHead = value;
  store.valueFlags[blockOf(value)][slotOf(value)] = 0;
  store.baselineLinks[blockOf(value)][slotOf(value)] = kNoItem;
  mirrorCounts(store);
  return next;
}

}  // namespace

namespace store_detail {

char* allocStoreBlock(size_t bytes) {
  void* block = allocBlock(bytes);
  if (!block) {
    reportAllocationFailure("memAlloc");
    platform::exitProgram(1);
  }
  return static_cast<char*>(block);
}

}  // namespace store_detail

const char* const kRootKeyNames[kRootKeyCount] = {
    "HKEY_CLASSES_ROOT", "HKEY_CURRENT_CONFIG", "HKEY_CURRENT_USER",
    "HKEY_LOCAL_MACHINE", "HKEY_USERS",
};
const uint32_t kRootKeyHandles[kRootKeyCount] = {
    0x80000000u, 0x80000005u, 0x80000001u, 0x80000002u, 0x80000003u,
};

// ---- Lifecycle and sharing -------------------------------------------------------

SnapshotStore& currentStore() { return theCurrentStore; }
SnapshotStore& baselineStore() { return theBaselineStore; }

void initSnapshotStores() {
  // Safe to repeat: whatever the stores held before is given back first (the sharing
  // store only forgets, then the owner frees).
  destroyStore(theCurrentStore);
  destroyStore(theBaselineStore);
  theCurrentStore.twin = &theBaselineStore;
  theBaselineStore.twin = &theCurrentStore;
  makeNameTable(theBaselineStore);
  resetStore(theCurrentStore, true);
}

void initStore(SnapshotStore& store) {
  std::memset(static_cast<void*>(&store), 0, sizeof store);
  store.twin = nullptr;
  clearCounts(store.counts);
  makeNameTable(store);
}

void destroyStore(SnapshotStore& store) { dropBlocks(store); }

bool storesShareBlocks(const SnapshotStore& a, const SnapshotStore& b) {
  return a.keyBlocks[0] != nullptr && a.keyBlocks[0] == b.keyBlocks[0];
}

void resetStore(SnapshotStore& store, bool withRoots) {
  dropBlocks(store);
  makeNameTable(store);
  if (withRoots) addRootKeys(store);
}

void resetCurrentStore(bool withRoots) { resetStore(theCurrentStore, withRoots); }

void clearBaselineStore() { resetStore(theBaselineStore, false); }

void adoptCurrentAsBaseline() {
  SnapshotStore& current = theCurrentStore;
  SnapshotStore& baseline = theBaselineStore;
  dropBlocks(baseline);
  if (!current.keyBlocks[0]) {
    // Sharing is recognised by the first key block; a store without keys cannot be
    // shared safely, so the baseline simply becomes empty.
    makeNameTable(baseline);
    return;
  }
  copyBlockTables(baseline, current);

  // The tree is rebuilt from the new baseline, so no item is open or shown any more.
  const uint16_t keyMask = static_cast<uint16_t>(~(VIEW_KEY_OPEN | VIEW_IN_TREE));
  const uint16_t valueMask = static_cast<uint16_t>(~VIEW_IN_TREE);
  for (int b = 0; b < current.counts.keyBlockCount; ++b) {
    if (!current.keyFlags[b]) continue;
    for (int s = 0; s < kSlotsPerBlock; ++s) current.keyFlags[b][s] &= keyMask;
  }
  for (int b = 0; b < current.counts.valueBlockCount; ++b) {
    if (!current.valueFlags[b]) continue;
    for (int s = 0; s < kSlotsPerBlock; ++s) current.valueFlags[b][s] &= valueMask;
  }
}

// ---- Accessors -------------------------------------------------------------------

char* entryText(SnapshotStore& store, ItemIndex entry) {
  const DataEntry& e = dataEntry(store, entry);
  return store.pools[entryPool(e)].base + e.text;
}

const char* keyName(SnapshotStore& store, ItemIndex key) {
  return nameAt(store, keyRecord(store, key).name);
}

const char* valueName(SnapshotStore& store, ItemIndex value) {
  return nameAt(store, valueRecord(store, value).name);
}

uint16_t& keyFlags(SnapshotStore& store, ItemIndex key) {
  return store.keyFlags[blockOf(key)][slotOf(key)];
}

uint16_t& valueFlags(SnapshotStore& store, ItemIndex value) {
  return store.valueFlags[blockOf(value)][slotOf(value)];
}

uint64_t keyLastWrite(SnapshotStore& store, ItemIndex key) {
  const uint64_t* times = store.keyTimes[blockOf(key)];
  return times ? times[slotOf(key)] : 0;
}

void setKeyLastWrite(SnapshotStore& store, ItemIndex key, uint64_t fileTime) {
  uint64_t* times = store.keyTimes[blockOf(key)];
  if (times) times[slotOf(key)] = fileTime;
}

int32_t& baselineLink(SnapshotStore& store, ItemIndex value) {
  return store.baselineLinks[blockOf(value)][slotOf(value)];
}

uint32_t valueType(const ValueRecord& value) { return value.flags >> kValueTypeShift; }

int32_t valueDataLength(SnapshotStore& store, ItemIndex value) {
  const ValueRecord& record = valueRecord(store, value);
  if (record.flags & VF_DATA_KEPT) return dataEntry(store, record.data).chainOrLength;
  return record.data;
}

// ---- Keys ------------------------------------------------------------------------

ItemIndex addKey(SnapshotStore& store, ItemIndex parent, ItemIndex hint, const char* name) {
  if (!name) name = "";
  // Everything that may end the program happens before the lists change.
  const ItemIndex key = nextKeyIndex(store);
  ensureKeyBlock(store, key);
  const size_t nameLength = storableNameLength(name);
  const ItemIndex nameEntry = internName(store, name, nameLength);

  const int block = blockOf(key);
  const int slot = slotOf(key);
  if (key == store.counts.keyFreeHead) {
    store.counts.keyFreeHead = keyRecord(store, key).nextSibling;
    // A never-used slot is still zero-filled; a reused one forgets its last key.
    store.keyFlags[block][slot] = 0;
    if (store.keyTimes[block]) store.keyTimes[block][slot] = 0;
  } else {
    ++store.counts.keyCount;
  }
  KeyRecord& record = store.keyBlocks[block][slot];
  record = KeyRecord{};
  record.parent = parent;
  record.prevSibling = kNoItem;
  record.nextSibling = kNoItem;
  record.firstChild = kNoItem;
  record.firstValue = kNoItem;
  record.name = nameEntry;
  record.byteCount = static_cast<int32_t>(nameLength + 1);

  DataEntry& entry = dataEntry(store, nameEntry);
  setEntryKind(entry, ENTRY_KEY_NAME);
  entry.owner = key;

  if (parent < 0) {
    // Roots are kept in root-table order: the hint is the previous root.
    if (hint >= 0) linkKeyAfter(store, kNoItem, hint, key);
  } else {
    KeyRecord& owner = keyRecord(store, parent);
    record.depth = static_cast<uint8_t>(owner.depth + 1);
    // A hint must be a child of the same parent; without a usable one the search
    // starts at the first child, so a key is never left outside its parent's list.
    ItemIndex from = hint;
    if (from < 0 || keyRecord(store, from).parent != parent || keyRecord(store, from).name < 0) {
      from = owner.firstChild;
    }
    if (from < 0) {
      owner.firstChild = key;
    } else {
      linkKeyAfter(store, parent, placeAmongSiblings(store, from, name), key);
    }
    ++owner.childCount;
  }
  mirrorCounts(store);
  return key;
}

ItemIndex removeKey(SnapshotStore& store, ItemIndex key) {
  KeyRecord& record = keyRecord(store, key);
  // Roots, freed records and keys that still hold items are refused: removing them
  // would strand records outside every list.
  if (record.parent < 0 || record.name < 0) return kNoItem;
  if (record.firstChild >= 0 || record.firstValue >= 0) return kNoItem;
  KeyRecord& owner = keyRecord(store, record.parent);
  if (owner.childCount <= 0) return kNoItem;

  --owner.childCount;
  const ItemIndex previous = record.prevSibling;
  const ItemIndex next = record.nextSibling;
  if (previous >= 0) {
    keyRecord(store, previous).nextSibling = next;
  } else if (owner.firstChild == key) {
    owner.firstChild = next;
  }
  if (next >= 0) keyRecord(store, next).prevSibling = previous;

  freeDataEntry(store, record.name);
  record = KeyRecord{};
  record.parent = kNoItem;
  record.prevSibling = kNoItem;
  record.firstChild = kNoItem;
  record.firstValue = kNoItem;
  record.name = kNoItem;  // marks the record free
  record.nextSibling = store.counts.keyFreeHead;
  store.counts.keyFreeHead = key;
  store.keyFlags[blockOf(key)][slotOf(key)] = 0;
  mirrorCounts(store);
  return next;
}

ItemIndex removeGhostSubtree(SnapshotStore& store, ItemIndex key) {
  if (keyRecord(store, key).name < 0) return kNoItem;  // already free: its link belongs to the free list
  const ItemIndex next = keyRecord(store, key).nextSibling;
  // Deepest keys first, on an explicit stack: a loaded snapshot may be far deeper than
  // any call stack. Each key loses its values on the way down and is removed once its
  // last subkey is gone. A subkey that cannot be removed (a damaged link or count)
  // stops the removal there, leaving its ancestors in place, and a budget ends a
  // cycle of child links.
  std::vector<ItemIndex> pending{key};
  int64_t budget = 2 * static_cast<int64_t>(store.counts.keyCount) + 16;
  while (!pending.empty() && budget-- > 0) {
    const ItemIndex at = pending.back();
    KeyRecord& record = keyRecord(store, at);
    while (record.firstValue >= 0) unlinkValue(store, at, kNoItem, record.firstValue);
    const ItemIndex child = record.firstChild;
    if (child >= 0) {
      if (!isKey(store, child) || keyRecord(store, child).name < 0) break;
      pending.push_back(child);
      continue;
    }
    removeKey(store, at);
    if (record.name >= 0) break;  // refused (damaged counts): never met again
    pending.pop_back();
  }
  return next;
}

// ---- Values ----------------------------------------------------------------------

namespace {

// Takes a fresh value record named `name` (not linked into any list yet). Everything
// that may end the program happens here, before any list changes.
ItemIndex makeValueRecord(SnapshotStore& store, const char* name) {
  const ItemIndex value = nextValueIndex(store);
  ensureValueBlock(store, value);
  const ItemIndex nameEntry = internName(store, name, storableNameLength(name));

  const int block = blockOf(value);
  const int slot = slotOf(value);
  if (value == store.counts.valueFreeHead) {
    store.counts.valueFreeHead = valueRecord(store, value).next;
    store.valueFlags[block][slot] = 0;
  } else {
    ++store.counts.valueCount;
  }
  ValueRecord& record = store.valueBlocks[block][slot];
  record = ValueRecord{};
  record.state = STATE_DATA;
  record.name = nameEntry;
  store.baselineLinks[block][slot] = kNoItem;

  DataEntry& entry = dataEntry(store, nameEntry);
  setEntryKind(entry, ENTRY_VALUE_NAME);
  entry.owner = value;
  return value;
}

// Links `value` into the list of `key` right after `after` (-1: at the head).
void linkValueAfter(SnapshotStore& store, ItemIndex key, ItemIndex after, ItemIndex value) {
  ValueRecord& record = valueRecord(store, value);
  KeyRecord& owner = keyRecord(store, key);
  if (after < 0) {
    if (owner.firstValue < 0) {
      record.flags = VF_LAST;
      record.next = key;
    } else {
      record.next = owner.firstValue;
    }
    owner.firstValue = value;
  } else {
    ValueRecord& previous = valueRecord(store, after);
    if (previous.flags & VF_LAST) {
      previous.flags = static_cast<uint8_t>(previous.flags & ~VF_LAST);
      record.flags = VF_LAST;
      record.next = key;
    } else {
      record.next = previous.next;
    }
    previous.next = value;
  }
  ++owner.valueCount;
  mirrorCounts(store);
}

// The value after which `name` belongs in the sorted list that `from` belongs to:
// the last value from `from` on that sorts at or before the name (equal names keep
// their insertion order). `from` itself must sort at or before the name.
ItemIndex lastValueAtOrBefore(SnapshotStore& store, ItemIndex from, const char* name) {
  ItemIndex at = from;
  for (;;) {
    const ValueRecord& current = valueRecord(store, at);
    if (current.flags & VF_LAST) return at;
    if (compareNames(nameAt(store, valueRecord(store, current.next).name), name) > 0) return at;
    at = current.next;
  }
}

}  // namespace

ItemIndex addValue(SnapshotStore& store, ItemIndex key, const char* name) {
  if (!name) name = "";
  const ItemIndex value = makeValueRecord(store, name);
  // After the last value that sorts at or before the name.
  ItemIndex after = kNoItem;
  for (ItemIndex at = keyRecord(store, key).firstValue; at >= 0;) {
    const ValueRecord& current = valueRecord(store, at);
    if (compareNames(nameAt(store, current.name), name) > 0) break;
    after = at;
    if (current.flags & VF_LAST) break;
    at = current.next;
  }
  linkValueAfter(store, key, after, value);
  return value;
}

ItemIndex addValueAfter(SnapshotStore& store, ItemIndex key, ItemIndex hint, const char* name) {
  if (!name) name = "";
  const ItemIndex value = makeValueRecord(store, name);
  const ItemIndex first = keyRecord(store, key).firstValue;
  ItemIndex from = kNoItem;
  if (hint >= 0 && hint != value && compareNames(nameAt(store, valueRecord(store, hint).name), name) <= 0) {
    from = hint;
  } else if (first >= 0 && compareNames(nameAt(store, valueRecord(store, first).name), name) <= 0) {
    from = first;
  }
  linkValueAfter(store, key, from < 0 ? kNoItem : lastValueAtOrBefore(store, from, name), value);
  return value;
}

ItemIndex appendValue(SnapshotStore& store, ItemIndex key, ItemIndex last, const char* name) {
  if (!name) name = "";
  const ItemIndex value = makeValueRecord(store, name);
  ItemIndex after = keyRecord(store, key).firstValue;
  const bool lastHolds =
      last >= 0 && last != value && (valueRecord(store, last).flags & VF_LAST) && valueRecord(store, last).next == key;
  if (lastHolds) {
    after = last;
  } else if (after >= 0) {
    // No usable tail given: find it (a properly ended list ends at VF_LAST).
    int64_t budget = store.counts.valueCount;
    while (!(valueRecord(store, after).flags & VF_LAST) && budget-- > 0) after = valueRecord(store, after).next;
  }
  linkValueAfter(store, key, after, value);
  return value;
}

ItemIndex ownerKeyOfValue(SnapshotStore& store, ItemIndex value) {
  for (;;) {
    const ValueRecord& record = valueRecord(store, value);
    if (record.flags & VF_LAST) return record.next;
    if (record.next < 0) return kNoItem;  // freed or damaged record
    value = record.next;
  }
}

ItemIndex removeValue(SnapshotStore& store, ItemIndex value) {
  if (valueRecord(store, value).name < 0) return kNoItem;  // already free
  const ItemIndex key = ownerKeyOfValue(store, value);
  if (key < 0) return kNoItem;
  ItemIndex previous = kNoItem;
  ItemIndex at = keyRecord(store, key).firstValue;
  while (at >= 0 && at != value) {
    const ValueRecord& record = valueRecord(store, at);
    if (record.flags & VF_LAST) return kNoItem;  // not in its owner's list
    previous = at;
    at = record.next;
  }
  if (at != value) return kNoItem;
  return unlinkValue(store, key, previous, value);
}

ItemIndex removeValueAfter(SnapshotStore& store, ItemIndex key, ItemIndex previous, ItemIndex value) {
  if (valueRecord(store, value).name < 0) return kNoItem;  // already free
  const bool linked = previous >= 0 ? (!(valueRecord(store, previous).flags & VF_LAST) &&
                                       valueRecord(store, previous).next == value)
                                    : keyRecord(store, key).firstValue == value;
  if (!linked) return removeValue(store, value);
  return unlinkValue(store, key, previous, value);
}

ItemIndex findChild(SnapshotStore& store, ItemIndex key, const char* name, bool inValues) {
  if (!name) name = "";
  if (inValues) {
    if (key < 0) return kNoItem;
    for (ItemIndex at = keyRecord(store, key).firstValue; at >= 0;) {
      const ValueRecord& record = valueRecord(store, at);
      if (compareNames(nameAt(store, record.name), name) == 0) {
        return static_cast<ItemIndex>(static_cast<uint32_t>(at) | kValueItemBit);
      }
      if (record.flags & VF_LAST) break;
      at = record.next;
    }
    return kNoItem;
  }
  ItemIndex at;
  if (key >= 0) {
    at = keyRecord(store, key).firstChild;
  } else {
    at = store.counts.keyCount > 0 && store.keyBlocks[0] ? 0 : kNoItem;
  }
  for (; at >= 0; at = keyRecord(store, at).nextSibling) {
    if (compareNames(nameAt(store, keyRecord(store, at).name), name) == 0) return at;
  }
  return kNoItem;
}

void copyBlockTables(SnapshotStore& target, const SnapshotStore& source) {
  std::memcpy(target.keyBlocks, source.keyBlocks, sizeof source.keyBlocks);
  std::memcpy(target.keyFlags, source.keyFlags, sizeof source.keyFlags);
  std::memcpy(target.keyTimes, source.keyTimes, sizeof source.keyTimes);
  std::memcpy(target.valueBlocks, source.valueBlocks, sizeof source.valueBlocks);
  std::memcpy(target.valueFlags, source.valueFlags, sizeof source.valueFlags);
  std::memcpy(target.baselineLinks, source.baselineLinks, sizeof source.baselineLinks);
  std::memcpy(target.entryBlocks, source.entryBlocks, sizeof source.entryBlocks);
  std::memcpy(target.pools, source.pools, sizeof source.pools);
  target.nameHash = source.nameHash;
  target.counts = source.counts;
}
