// Relocation and checks of a snapshot read from a file (see snapshot_file_checks.h).
//
// Every check is a linear pass or a walk that marks what it reaches, so a damaged
// file costs no more than a sound one of the same size and no walk can loop: a list
// that comes back to a marked record is refused. The marks are one byte per key,
// value and entry, allocated for the counts of a file whose size was already checked
// against them.
#include "engine/snapshot_file_checks.h"

#include <cstring>
#include <vector>

namespace {

enum RecordMark : uint8_t {
  kLive = 0x01,        // reached from the roots
  kFreeListed = 0x02,  // on its table's free list
};

enum EntryMark : uint8_t {
  kEntryUsed = 0x01,     // the name or data of a live key or value
  kEntryChained = 0x02,  // reached by a name hash chain
  kEntryFree = 0x04,     // on the entry free list
};

constexpr int kHighestStateCode = STATE_VALUE_DELETED;

bool isNameKind(int kind) {
  return kind == ENTRY_KEY_NAME || kind == ENTRY_VALUE_NAME || kind == ENTRY_NEW_NAME;
}

bool isDataKind(int kind) { return kind >= ENTRY_DATA_STRING && kind <= ENTRY_DATA_DWORD; }

class SnapshotChecker {
 public:
  SnapshotChecker(SnapshotStore& store, const SavedPoolDescriptor* savedPools)
      : store_(store),
        savedPools_(savedPools),
        keyCount_(store.counts.keyCount),
        valueCount_(store.counts.valueCount),
        entryCount_(store.counts.entryCount),
        poolCount_(store.counts.poolCount),
        keyMarks_(static_cast<size_t>(keyCount_), 0),
        valueMarks_(static_cast<size_t>(valueCount_), 0),
        entryMarks_(static_cast<size_t>(entryCount_), 0) {}

  bool run() {
    if (!relocateEntries() || !checkNameHash() || !checkRoots() || !checkTree() ||
        !checkKeyFreeList() || !checkValueFreeList() || !checkEntryFreeList()) {
      return false;
    }
    markUnusedRecordsFree();
    return true;
  }

 private:
  KeyRecord& key(ItemIndex at) { return keyRecord(store_, at); }
  ValueRecord& value(ItemIndex at) { return valueRecord(store_, at); }
  DataEntry& entry(ItemIndex at) { return dataEntry(store_, at); }
  bool isKeyIndex(ItemIndex at) const { return at >= 0 && at < keyCount_; }
  bool isValueIndex(ItemIndex at) const { return at >= 0 && at < valueCount_; }
  bool isEntryIndex(ItemIndex at) const { return at >= 0 && at < entryCount_; }

  // Turns each entry's file address into an offset in its pool and checks that the
  // text (or a freed entry's buffer) lies in the pool's used bytes.
  bool relocateEntries() {
    for (ItemIndex at = 0; at < entryCount_; ++at) {
      DataEntry& e = entry(at);
      const int pool = entryPool(e);
      if (pool >= poolCount_) return false;
      const uint32_t offset = e.text - savedPools_[pool].base;
      const DataPool& p = store_.pools[pool];
      const uint32_t used = static_cast<uint32_t>(p.used);
      if (offset > used) return false;
      const uint32_t room = used - offset;  // bytes from the text to the end of the used part
      const int kind = entryKind(e);
      if (kind == ENTRY_FREE) {
        // A freed entry is reused for a name of exactly its capacity.
        if (e.chainOrLength < 0 || static_cast<uint32_t>(e.chainOrLength) > room) return false;
      } else if (isNameKind(kind)) {
        if (std::memchr(p.base + offset, 0, room) == nullptr) return false;
      } else if (isDataKind(kind)) {
        if (e.chainOrLength < 0 || static_cast<uint32_t>(e.chainOrLength) >= room) return false;
        if (p.base[offset + static_cast<uint32_t>(e.chainOrLength)] != 0) return false;
      } else {
        return false;
      }
      e.text = offset;
    }
    return true;
  }

  // The name hash: every chain starts at a bucket head, holds only name entries of
  // that bucket and ends in -1, and every name entry lies on exactly one chain.
  //
  // Walking the 4096 chains one after the other would jump across the whole entry
  // table at every step. Instead one pass runs down the table: entries are mostly
  // linked to the previous name of their bucket, a few thousand entries lower, so
  // the pass meets a reached entry before its successor and follows each link while
  // its target is still in the cache. A link upwards (a freed entry reused for a
  // later name) is followed at once, down to the first entry the pass has not passed
  // yet. Every entry is reached at most once, or the chains are refused: so a chain
  // can neither loop nor merge into another, and the work stays linear.
  bool checkNameHash() {
    int32_t* buckets = store_.nameHash;
    for (int bucket = 0; bucket < kNameHashBuckets; ++bucket) {
      if (buckets[bucket] < 0) {
        buckets[bucket] = kNoItem;
      } else if (!reachChained(buckets[bucket], bucket)) {
        return false;
      }
    }
    for (ItemIndex at = entryCount_ - 1; at >= 0; --at) {
      DataEntry& e = entry(at);
      if (!isNameKind(entryKind(e))) continue;
      if (!(entryMarks_[at] & kEntryChained)) {
        // Not reached yet: it may still be reached through a link upwards, from an
        // entry further down. Whether every name was reached is checked at the end.
        continue;
      }
      if (!followChain(at, at)) return false;
    }
    for (ItemIndex at = 0; at < entryCount_; ++at) {
      if (isNameKind(entryKind(entry(at))) && !(entryMarks_[at] & kEntryChained)) return false;
    }
    return true;
  }

  // Follows the chain link of the reached entry `from` while its targets lie above
  // `pass` (already passed by the downward pass).
  bool followChain(ItemIndex from, ItemIndex pass) {
    for (;;) {
      DataEntry& e = entry(from);
      if (e.chainOrLength < 0) {
        e.chainOrLength = kNoItem;
        return true;
      }
      const ItemIndex next = e.chainOrLength;
      if (!reachChained(next, e.hashOrType & (kNameHashBuckets - 1))) return false;
      if (next < pass) return true;  // the pass goes on from there
      from = next;
    }
  }

  // Marks `at` as reached by a chain of `bucket`; false when it cannot be on one.
  bool reachChained(ItemIndex at, int bucket) {
    if (!isEntryIndex(at) || (entryMarks_[at] & kEntryChained)) return false;
    const DataEntry& e = entry(at);
    if (!isNameKind(entryKind(e)) || (e.hashOrType & (kNameHashBuckets - 1)) != bucket) {
      return false;
    }
    entryMarks_[at] |= kEntryChained;
    return true;
  }

  // The name entry of a live key or value: used once, of the right kind, owned by it.
  bool claimName(ItemIndex at, int kind, ItemIndex owner) {
    if (!isEntryIndex(at) || (entryMarks_[at] & kEntryUsed)) return false;
    const DataEntry& e = entry(at);
    if (entryKind(e) != kind || e.owner != owner) return false;
    entryMarks_[at] |= kEntryUsed;
    return true;
  }

  bool claimData(ItemIndex at, ItemIndex owner) {
    if (!isEntryIndex(at) || (entryMarks_[at] & kEntryUsed)) return false;
    const DataEntry& e = entry(at);
    if (!isDataKind(entryKind(e)) || e.owner != owner) return false;
    entryMarks_[at] |= kEntryUsed;
    return true;
  }

  // Keys 0-4 are the roots, linked in root-table order.
  bool isRootName(ItemIndex name, const char* expected) {
    if (!isEntryIndex(name) || entryKind(entry(name)) != ENTRY_KEY_NAME) return false;
    const DataEntry& e = entry(name);
    return std::strcmp(store_.pools[entryPool(e)].base + e.text, expected) == 0;
  }

  bool checkRoots() {
    if (keyCount_ < kRootKeyCount) return false;
    for (ItemIndex root = 0; root < kRootKeyCount; ++root) {
      const KeyRecord& k = key(root);
      const bool first = root == 0;
      const bool last = root == kRootKeyCount - 1;
      if (k.parent >= 0) return false;
      if (first ? k.prevSibling >= 0 : k.prevSibling != root - 1) return false;
      if (last ? k.nextSibling >= 0 : k.nextSibling != root + 1) return false;
      // Readers find the roots by position (the restricted read of auto-check data,
      // the comparison), so a file whose roots are named otherwise is damaged.
      if (!isRootName(k.name, kRootKeyNames[root])) return false;
      keyMarks_[root] |= kLive;
    }
    return true;
  }

  // Checks one live key: its name, its value list and its subkey list. The subkeys
  // are marked live here, so the walk can later step along their links safely.
  bool checkKey(ItemIndex at) {
    KeyRecord& k = key(at);
    if (k.state > kHighestStateCode || k.savedState > kHighestStateCode) return false;
    for (ItemIndex* link :
         {&k.parent, &k.prevSibling, &k.nextSibling, &k.firstChild, &k.firstValue}) {
      if (*link < 0) *link = kNoItem;
    }
    if (!claimName(k.name, ENTRY_KEY_NAME, at)) return false;

    int32_t values = 0;
    for (ItemIndex v = k.firstValue; v >= 0;) {
      if (!isValueIndex(v) || (valueMarks_[v] & kLive)) return false;
      valueMarks_[v] |= kLive;
      const ValueRecord& record = value(v);
      if (record.state > kHighestStateCode) return false;
      if (!claimName(record.name, ENTRY_VALUE_NAME, v)) return false;
      // Kept data and digest only exclude each other: which one `data` is must be clear.
      if ((record.flags & VF_DATA_KEPT) && (record.flags & VF_DIGEST_ONLY)) return false;
      if (record.flags & VF_DATA_KEPT) {
        if (!claimData(record.data, v)) return false;
      } else if (record.data < 0) {
        return false;
      }
      ++values;
      if (record.flags & VF_LAST) {
        if (record.next != at) return false;
        break;
      }
      v = record.next;
      if (v < 0) return false;  // the list ends without its VF_LAST value
    }
    if (values != k.valueCount) return false;

    int32_t children = 0;
    ItemIndex previous = kNoItem;
    for (ItemIndex child = k.firstChild; child >= 0; child = key(child).nextSibling) {
      if (!isKeyIndex(child) || (keyMarks_[child] & kLive)) return false;
      keyMarks_[child] |= kLive;
      const KeyRecord& c = key(child);
      if (c.parent != at) return false;
      if (previous < 0 ? c.prevSibling >= 0 : c.prevSibling != previous) return false;
      previous = child;
      ++children;
    }
    return children == k.childCount;
  }

  // Pre-order walk over the checked links: down to the first subkey, along to the
  // next sibling, back up through the parent. Every key is checked when reached.
  bool checkTree() {
    ItemIndex at = 0;
    int depth = 0;
    for (;;) {
      if (!checkKey(at)) return false;
      const ItemIndex child = key(at).firstChild;
      if (child >= 0) {
        if (++depth > kMaxLoadedKeyDepth) return false;
        at = child;
        continue;
      }
      for (;;) {
        const ItemIndex next = key(at).nextSibling;
        if (next >= 0) {
          at = next;
          break;
        }
        if (depth == 0) return true;  // past the last root
        at = key(at).parent;
        --depth;
      }
    }
  }

  // A link of 0 or below ends a free list: index 0 is a root key and the first entry
  // (its name), and files mark an empty list with 0 as well as -1.
  static bool endsFreeList(ItemIndex link) { return link <= 0; }

  bool checkKeyFreeList() {
    ItemIndex* link = &store_.counts.keyFreeHead;
    while (!endsFreeList(*link)) {
      const ItemIndex at = *link;
      if (!isKeyIndex(at) || keyMarks_[at] != 0) return false;
      keyMarks_[at] |= kFreeListed;
      link = &key(at).nextSibling;
    }
    *link = kNoItem;
    return true;
  }

  bool checkValueFreeList() {
    ItemIndex* link = &store_.counts.valueFreeHead;
    while (!endsFreeList(*link)) {
      const ItemIndex at = *link;
      if (!isValueIndex(at) || valueMarks_[at] != 0) return false;
      valueMarks_[at] |= kFreeListed;
      link = &value(at).next;
    }
    *link = kNoItem;
    return true;
  }

  bool checkEntryFreeList() {
    ItemIndex* link = &store_.counts.entryFreeHead;
    while (!endsFreeList(*link)) {
      const ItemIndex at = *link;
      // A freed entry is of kind 0, so it is neither used nor on a hash chain.
      if (!isEntryIndex(at) || (entryMarks_[at] & kEntryFree)) return false;
      if (entryKind(entry(at)) != ENTRY_FREE) return false;
      entryMarks_[at] |= kEntryFree;
      link = &entry(at).owner;
    }
    *link = kNoItem;
    return true;
  }

  // Records outside the tree read as free (name -1): the store's removal operations
  // refuse them and names of stray references read as empty. The same pass clears
  // the tree-item handles, which name windows of the program that saved the file.
  void markUnusedRecordsFree() {
    for (ItemIndex at = 0; at < keyCount_; ++at) {
      KeyRecord& k = key(at);
      k.treeItem = 0;
      if (!(keyMarks_[at] & kLive)) k.name = kNoItem;
    }
    for (ItemIndex at = 0; at < valueCount_; ++at) {
      ValueRecord& v = value(at);
      v.treeItem = 0;
      if (!(valueMarks_[at] & kLive)) v.name = kNoItem;
    }
  }

  SnapshotStore& store_;
  const SavedPoolDescriptor* savedPools_;
  const int32_t keyCount_;
  const int32_t valueCount_;
  const int32_t entryCount_;
  const int32_t poolCount_;
  std::vector<uint8_t> keyMarks_;
  std::vector<uint8_t> valueMarks_;
  std::vector<uint8_t> entryMarks_;
};

}  // namespace

bool checkLoadedSnapshot(SnapshotStore& store, const SavedPoolDescriptor* savedPools) {
  SnapshotChecker checker(store, savedPools);
  return checker.run();
}
