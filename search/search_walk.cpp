#include "search/search_walk.h"

#include <cstring>
#include <vector>

#include "engine/registry_reader.h"
#include "engine/store_walk.h"

int searchEntryTypeOf(uint32_t registryType) {
  switch (registryType) {
    case 1: return SEARCH_TYPE_SZ;
    case 7: return SEARCH_TYPE_MULTI_SZ;
    case 2: return SEARCH_TYPE_EXPAND_SZ;
    case 4: return SEARCH_TYPE_DWORD;
    case 3: return SEARCH_TYPE_BINARY;
    default: return SEARCH_TYPE_ETC;
  }
}

void markSearchHit(SnapshotStore& store, ItemIndex item, ItemIndex owner) {
  ItemIndex key;
  if (item < 0) {
    const ItemIndex value = static_cast<ItemIndex>(static_cast<uint32_t>(item) & ~kValueItemBit);
    if (!store_walk::isValue(store, value)) return;
    valueFlags(store, value) |= VIEW_HIT;
    key = owner != kNoItem ? owner : ownerKeyOfValue(store, value);
  } else {
    if (!store_walk::isKey(store, item)) return;
    keyFlags(store, item) |= VIEW_HIT;
    key = keyRecord(store, item).parent;
  }
  // Marks are set along whole chains and cleared all at once, so a key already
  // marked has its ancestors marked too.
  int64_t budget = store.counts.keyCount;
  while (store_walk::isKey(store, key) && budget-- > 0) {
    uint16_t& flags = keyFlags(store, key);
    if (flags & VIEW_HIT_BELOW) break;
    flags |= VIEW_HIT_BELOW;
    key = keyRecord(store, key).parent;
  }
}

namespace {

bool passesDates(const SearchWalk& walk, ItemIndex key) {
  if (!walk.dateAfterOn && !walk.dateBeforeOn) return true;
  const uint64_t time = keyLastWrite(*walk.store, key);
  if (walk.dateAfterOn && time < walk.dateAfter) return false;
  if (walk.dateBeforeOn && time > walk.dateBefore) return false;
  return true;
}

bool selectsKey(const SearchWalk& walk, ItemIndex key, const KeyRecord& record) {
  if (walk.range.previousHits) return (keyFlags(*walk.store, key) & VIEW_PREVIOUS_HIT) != 0;
  if (!walk.range.any()) return true;
  if (walk.range.addedDeleted && (record.state == STATE_ADDED || record.state == STATE_DELETED)) {
    return true;
  }
  return walk.range.exceptions && record.state >= STATE_NOT_READ && record.state <= STATE_REFUSED;
}

bool selectsValue(const SearchWalk& walk, ItemIndex value, const ValueRecord& record) {
  if (walk.range.previousHits) return (valueFlags(*walk.store, value) & VIEW_PREVIOUS_HIT) != 0;
  if (!walk.range.any()) return true;
  if (walk.range.addedDeleted &&
      (record.state == STATE_VALUE_ADDED || record.state == STATE_VALUE_DELETED)) {
    return true;
  }
  return walk.range.mismatch && record.state == STATE_DATA_CHANGED;
}

// Records a hit (a value's with the key holding it); true when the walk must end
// (incremental).
bool recordHit(SearchWalk& walk, ItemIndex item, ItemIndex owner = kNoItem) {
  markSearchHit(*walk.store, item, owner);
  if (!walk.batch) {
    walk.hit = item;
    return true;
  }
  ++walk.hits;
  if (walk.onHit) walk.onHit(item);
  return false;
}

bool testValueData(SearchWalk& walk, ItemIndex value, const ValueRecord& record) {
  const uint32_t type = valueType(record);
  if (!walk.entryTypes[searchEntryTypeOf(type)]) return false;
  SnapshotStore& store = *walk.store;
  if (record.flags & VF_DATA_KEPT) {
    if (!store_walk::isEntry(store, record.data)) return false;
    const DataEntry& entry = dataEntry(store, record.data);
    const int32_t length = entry.chainOrLength;
    if (length < 0) return false;
    return walk.testData(reinterpret_cast<const uint8_t*>(entryText(store, record.data)),
                         static_cast<size_t>(length), type);
  }
  if ((record.flags & VF_DIGEST_ONLY) && walk.liveRead) {
    LiveValue live = readValueLive(store, value, LiveRead::kStoredEmpty);
    if (!live.read) return false;
    // The testers read a string up to its NUL: one more keeps them inside the data.
    live.data.push_back(0);
    live.data.push_back(0);
    return walk.testData(live.data.data(), live.data.size() - 2, live.type);
  }
  return false;
}

// The values of `key`; true when an incremental hit ends the walk.
bool walkValues(SearchWalk& walk, ItemIndex key) {
  SnapshotStore& store = *walk.store;
  const bool names = (walk.flags & SEARCH_VALUE_NAME) != 0;
  const bool data = (walk.flags & SEARCH_VALUE_DATA) != 0 && walk.testData;
  ItemIndex value = keyRecord(store, key).firstValue;
  int64_t budget = store.counts.valueCount;
  while (store_walk::isValue(store, value) && budget-- > 0) {
    ValueRecord& record = valueRecord(store, value);
    const ItemIndex item = static_cast<ItemIndex>(static_cast<uint32_t>(value) | kValueItemBit);
    bool test = true;
    if (!walk.active) {
      if (item == walk.startItem) walk.active = true;
      test = false;
    }
    if (test && selectsValue(walk, value, record)) {
      bool hit = false;
      if (names) {
        const char* name = store_walk::valueNameOrEmpty(store, value);
        hit = walk.testName(name, std::strlen(name));
      }
      if (!hit && data && !(valueFlags(store, value) & VIEW_HIT)) {
        hit = testValueData(walk, value, record);
      }
      if (hit && recordHit(walk, item, key)) return true;
    }
    if (record.flags & VF_LAST) break;
    value = record.next;
  }
  return false;
}

struct Frame {
  ItemIndex key;
  bool values;  // walk its values on leaving
};

}  // namespace

int64_t walkForHits(SearchWalk& walk, ItemIndex first, bool wholeChain) {
  SnapshotStore& store = *walk.store;
  walk.hits = 0;
  walk.hit = kNoItem;
  if (!store_walk::isKey(store, first)) return 0;
  const bool keyNames = (walk.flags & SEARCH_KEY_NAME) != 0 && walk.testName;
  const bool valueTargets =
      (walk.flags & (SEARCH_VALUE_NAME | SEARCH_VALUE_DATA)) != 0 && walk.testName;
  std::vector<Frame> stack;
  int64_t budget = store.counts.keyCount;
  ItemIndex key = first;
  for (;;) {
    if (budget-- <= 0) break;
    const KeyRecord& record = keyRecord(store, key);
    const bool dated = passesDates(walk, key);
    bool test = true;
    if (!walk.active) {
      if (key == walk.startItem) walk.active = true;
      test = false;
    }
    bool descend = false;
    if (record.state != STATE_HIDDEN) {
      if (test && keyNames && dated && selectsKey(walk, key, record)) {
        const char* name = store_walk::keyNameOrEmpty(store, key);
        if (walk.testName(name, std::strlen(name)) && recordHit(walk, key)) return 1;
      }
      descend = true;
    }
    stack.push_back(Frame{key, descend && dated && valueTargets && record.firstValue >= 0});
    const ItemIndex child = descend ? record.firstChild : kNoItem;
    if (store_walk::isKey(store, child)) {
      key = child;
      continue;
    }
    bool next = false;
    while (!stack.empty()) {
      const Frame done = stack.back();
      stack.pop_back();
      if (done.values && walkValues(walk, done.key)) return 1;
      if (stack.empty() && !wholeChain) break;
      const ItemIndex sibling = keyRecord(store, done.key).nextSibling;
      if (store_walk::isKey(store, sibling)) {
        key = sibling;
        next = true;
        break;
      }
    }
    if (!next) break;
  }
  return walk.batch ? walk.hits : 0;
}
