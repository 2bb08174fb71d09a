#include "engine/comparison.h"

#include <cstring>
#include <vector>

#include "engine/progress_hooks.h"
#include "engine/store_walk.h"

using store_walk::isEntry;
using store_walk::isGhostKey;
using store_walk::isGhostValue;
using store_walk::isKey;
using store_walk::isValue;

namespace {

constexpr uint8_t kTypeBits = 0xF0;
// Roots are a short sibling chain; a longer one is damage.
constexpr int kMaxRootChain = 64;
// Keys between clock readings of the progress pacer (well under 1 ms of comparing).
constexpr uint32_t kKeysPerClockComparing = 1024;

inline const char* textOf(SnapshotStore& store, ItemIndex entry) {
  if (!isEntry(store, entry)) return "";
  const DataEntry& e = dataEntry(store, entry);
  const int pool = entryPool(e);
  const char* base = pool < kMaxPools ? store.pools[pool].base : nullptr;
  return base != nullptr ? base + e.text : "";
}
inline const char* keyNameOf(SnapshotStore& store, ItemIndex key) {
  return textOf(store, keyRecord(store, key).name);
}
inline const char* valueNameOf(SnapshotStore& store, ItemIndex value) {
  return textOf(store, valueRecord(store, value).name);
}
inline void setLink(SnapshotStore& store, ItemIndex value, ItemIndex link) {
  int32_t* links = store.baselineLinks[value >> kSlotBits];
  if (links != nullptr) links[value & (kSlotsPerBlock - 1)] = link;
}

// The name order of two names met in a merge. Most pairs are the same key or value
// in both snapshots, spelled byte for byte alike: the library's string comparison
// finds that several times faster than the character-wise name order.
inline int mergeOrder(const char* current, const char* baseline) {
  return std::strcmp(current, baseline) == 0 ? 0 : compareNames(current, baseline);
}

bool isControlledKey(const KeyRecord& key) {
  return key.state == STATE_NOT_READ || key.state == STATE_NOT_CHECKED ||
         key.state == STATE_REFUSED;
}

// A baseline key that was not read or was refused holds nothing to compare with: its
// current counterpart's contents would all look added.
bool baselineContentsUnknown(const KeyRecord& key) {
  return key.state == STATE_NOT_READ || key.state == STATE_REFUSED;
}

// Values excluded from checking keep their state whatever the comparison finds.
bool isControlledValue(const ValueRecord& value) {
  return value.state == STATE_NOT_CHECKED || value.state == STATE_REFUSED;
}

ItemIndex nextKey(SnapshotStore& store, ItemIndex key) {
  const ItemIndex next = keyRecord(store, key).nextSibling;
  return isKey(store, next) ? next : kNoItem;
}

ItemIndex firstChild(SnapshotStore& store, ItemIndex key) {
  const ItemIndex child = keyRecord(store, key).firstChild;
  return isKey(store, child) ? child : kNoItem;
}

ItemIndex firstValue(SnapshotStore& store, ItemIndex key) {
  const ItemIndex value = keyRecord(store, key).firstValue;
  return isValue(store, value) ? value : kNoItem;
}

ItemIndex nextValue(SnapshotStore& store, ItemIndex value) {
  const ValueRecord& record = valueRecord(store, value);
  if (record.flags & VF_LAST) return kNoItem;
  return isValue(store, record.next) ? record.next : kNoItem;
}

// One comparison run over two stores. Every step of every merge spends from one
// budget sized by both stores, so a damaged store (a list that loops) ends the run
// instead of hanging it.
class Comparer {
 public:
  Comparer(SnapshotStore& current, SnapshotStore& baseline, const CompareOptions& options)
      : cur_(current),
        base_(baseline),
        options_(options),
        budget_(4 * (static_cast<int64_t>(current.counts.keyCount) + current.counts.valueCount +
                     baseline.counts.keyCount + baseline.counts.valueCount) +
                64) {}

  uint8_t compareKey(ItemIndex c, ItemIndex b);

 private:
  struct Frame {
    ItemIndex c;
    ItemIndex b;
    ItemIndex curChild;   // next current child to merge
    ItemIndex baseChild;  // next baseline child to merge
    ItemIndex lastPlaced;  // last current child passed, the hint for trailing ghosts
    uint8_t result;
  };

  bool step() { return --budget_ >= 0; }
  Frame startFrame(ItemIndex c, ItemIndex b) {
    return Frame{c, b, firstChild(cur_, c), firstChild(base_, b), kNoItem, 0};
  }
  ItemIndex liveBaseKey(ItemIndex key);
  ItemIndex liveBaseValue(ItemIndex value);
  bool markAdded(ItemIndex key);
  ItemIndex ghostKey(ItemIndex parent, ItemIndex hint, ItemIndex b);
  void copyGhostContents(ItemIndex ghost, ItemIndex b);
  void ghostValues(ItemIndex ghost, ItemIndex b);
  ItemIndex ghostValue(ItemIndex key, ItemIndex hint, ItemIndex v);
  uint8_t compareValues(ItemIndex c, ItemIndex b);
  void finishFrame(Frame& frame);

  SnapshotStore& cur_;
  SnapshotStore& base_;
  const CompareOptions& options_;
  int64_t budget_;
  ProgressPacer pacer_{kKeysPerClockComparing};
};

// The first baseline key from `key` on that is not a ghost: ghosts in the baseline
// (a comparison result opened as baseline) are no part of it.
ItemIndex Comparer::liveBaseKey(ItemIndex key) {
  while (key != kNoItem && isGhostKey(keyRecord(base_, key)) && step()) key = nextKey(base_, key);
  return key != kNoItem && isGhostKey(keyRecord(base_, key)) ? kNoItem : key;
}

ItemIndex Comparer::liveBaseValue(ItemIndex value) {
  while (value != kNoItem && isGhostValue(valueRecord(base_, value)) && step()) {
    value = nextValue(base_, value);
  }
  return value != kNoItem && isGhostValue(valueRecord(base_, value)) ? kNoItem : value;
}

// Marks a key found only in the current snapshot, and its subtree, as added. Keys not
// checked or refused are not marked, nor is anything below them.
bool Comparer::markAdded(ItemIndex key) {
  const KeyRecord& top = keyRecord(cur_, key);
  if (top.state == STATE_NOT_CHECKED || top.state == STATE_REFUSED) return false;
  store_walk::walkKeys(cur_, key, false, [&](ItemIndex at) {
    KeyRecord& record = keyRecord(cur_, at);
    if (record.state == STATE_NOT_CHECKED || record.state == STATE_REFUSED || isGhostKey(record)) {
      return false;
    }
    record.summary = static_cast<uint8_t>(record.summary | SUM_STRUCTURE_CHANGED);
    record.state = STATE_ADDED;
    record.savedState = STATE_ADDED;
    if (!options_.keysOnly) {
      store_walk::forEachValue(cur_, at, [&](ItemIndex value, ValueRecord& v) {
        if (isControlledValue(v) || isGhostValue(v)) return;
        v.state = STATE_VALUE_ADDED;
        setLink(cur_, value, kNoItem);
      });
    }
    return true;
  });
  return true;
}

// Inserts a ghost of baseline key `b` under current key `parent`, searching its place
// from `hint`.
ItemIndex Comparer::ghostKey(ItemIndex parent, ItemIndex hint, ItemIndex b) {
  const ItemIndex ghost = addKey(cur_, parent, hint, keyNameOf(base_, b));
  KeyRecord& record = keyRecord(cur_, ghost);
  record.state = STATE_DELETED;
  record.savedState = STATE_DELETED;
  record.summary = static_cast<uint8_t>(record.summary | SUM_STRUCTURE_CHANGED);
  record.itemCount = b;
  if (options_.showDeletedContents) copyGhostContents(ghost, b);
  return ghost;
}

// Copies the values and the whole subtree of baseline key `b` into its ghost: ghost
// subkeys (without a baseline index of their own) and ghost values.
void Comparer::copyGhostContents(ItemIndex ghost, ItemIndex b) {
  struct Pending {
    ItemIndex base;
    ItemIndex ghost;
  };
  ghostValues(ghost, b);
  std::vector<Pending> pending{Pending{b, ghost}};
  while (!pending.empty() && step()) {
    const Pending at = pending.back();
    pending.pop_back();
    ItemIndex hint = kNoItem;
    for (ItemIndex child = liveBaseKey(firstChild(base_, at.base)); child != kNoItem && step();
         child = liveBaseKey(nextKey(base_, child))) {
      const ItemIndex copy = addKey(cur_, at.ghost, hint, keyNameOf(base_, child));
      KeyRecord& record = keyRecord(cur_, copy);
      record.state = STATE_DELETED;
      record.savedState = STATE_DELETED;
      record.summary = static_cast<uint8_t>(record.summary | SUM_STRUCTURE_CHANGED);
      hint = copy;
      ghostValues(copy, child);
      pending.push_back(Pending{child, copy});
    }
  }
}

void Comparer::ghostValues(ItemIndex ghost, ItemIndex b) {
  ItemIndex hint = kNoItem;
  for (ItemIndex v = liveBaseValue(firstValue(base_, b)); v != kNoItem && step();
       v = liveBaseValue(nextValue(base_, v))) {
    hint = ghostValue(ghost, hint, v);
  }
}

// Inserts a ghost of baseline value `v` into current key `key`: digest only, or with
// its data copied when deleted contents are shown and the baseline kept them. `hint`
// is the current value right before the ghost's place (-1: none known); returns the
// ghost, the hint for a ghost that follows it.
ItemIndex Comparer::ghostValue(ItemIndex key, ItemIndex hint, ItemIndex v) {
  const ItemIndex ghost = addValueAfter(cur_, key, hint, valueNameOf(base_, v));
  const ValueRecord& source = valueRecord(base_, v);
  const bool sourceKept = (source.flags & VF_DATA_KEPT) && isEntry(base_, source.data);
  uint8_t kind = VF_DIGEST_ONLY;
  int32_t data = sourceKept ? dataEntry(base_, source.data).chainOrLength
                            : ((source.flags & VF_DATA_KEPT) ? 0 : source.data);
  if (options_.showDeletedContents && sourceKept && data >= 0) {
    const DataEntry& entry = dataEntry(base_, source.data);
    const ItemIndex copy =
        storeValueData(cur_, reinterpret_cast<const uint8_t*>(entryText(base_, source.data)),
                       static_cast<uint32_t>(entry.chainOrLength), entry.hashOrType);
    if (copy >= 0) {
      dataEntry(cur_, copy).owner = ghost;
      kind = VF_DATA_KEPT;
      data = copy;
    }
  }
  ValueRecord& record = valueRecord(cur_, ghost);
  record.flags = static_cast<uint8_t>((record.flags & VF_LAST) | (source.flags & kTypeBits) | kind);
  record.digest = source.digest;
  record.data = data;
  record.state = STATE_VALUE_DELETED;
  setLink(cur_, ghost, v);
  return ghost;
}

// Merges the value lists of current key `c` and baseline key `b`.
uint8_t Comparer::compareValues(ItemIndex c, ItemIndex b) {
  uint8_t bits = 0;
  ItemIndex v = liveBaseValue(firstValue(base_, b));
  ItemIndex w = firstValue(cur_, c);
  ItemIndex before = kNoItem;  // the current value before w: where a ghost goes
  while (w != kNoItem && step()) {
    ValueRecord& current = valueRecord(cur_, w);
    if (isGhostValue(current)) {
      before = w;
      w = nextValue(cur_, w);
      continue;
    }
    const int order =
        v == kNoItem ? -1 : mergeOrder(valueNameOf(cur_, w), valueNameOf(base_, v));
    if (order > 0) {
      // The ghost sorts before w, so w's link to its successor stays as it is.
      before = ghostValue(c, before, v);
      bits |= SUM_STRUCTURE_CHANGED;
      v = liveBaseValue(nextValue(base_, v));
      continue;
    }
    if (order < 0) {
      setLink(cur_, w, kNoItem);
      if (!isControlledValue(current)) {
        current.state = STATE_VALUE_ADDED;
        bits |= SUM_STRUCTURE_CHANGED;
      }
    } else {
      setLink(cur_, w, v);
      if (!isControlledValue(current) && dataDiffers(cur_, w, base_, v)) {
        current.state = STATE_DATA_CHANGED;
        bits |= SUM_DATA_CHANGED;
      }
      v = liveBaseValue(nextValue(base_, v));
    }
    before = w;
    w = nextValue(cur_, w);
  }
  for (; v != kNoItem && step(); v = liveBaseValue(nextValue(base_, v))) {
    before = ghostValue(c, before, v);
    bits |= SUM_STRUCTURE_CHANGED;
  }
  return bits;
}

void Comparer::finishFrame(Frame& frame) {
  // Baseline children after the last current one are gone.
  ItemIndex hint = frame.lastPlaced != kNoItem ? frame.lastPlaced : firstChild(cur_, frame.c);
  for (ItemIndex b = liveBaseKey(frame.baseChild); b != kNoItem && step();
       b = liveBaseKey(nextKey(base_, b))) {
    hint = ghostKey(frame.c, hint, b);
    frame.result |= SUM_STRUCTURE_CHANGED;
  }
  frame.baseChild = kNoItem;
  if (!options_.keysOnly) frame.result |= compareValues(frame.c, frame.b);
  KeyRecord& record = keyRecord(cur_, frame.c);
  if (frame.result != 0) {
    record.summary = static_cast<uint8_t>(record.summary | frame.result);
    if ((frame.result & (SUM_DATA_CHANGED | SUM_STRUCTURE_CHANGED)) &&
        record.state != STATE_HIDDEN) {
      record.state = STATE_CHANGED_BELOW;
      record.savedState = STATE_CHANGED_BELOW;
    }
  }
}

uint8_t Comparer::compareKey(ItemIndex c, ItemIndex b) {
  KeyRecord& top = keyRecord(cur_, c);
  if (isControlledKey(top) || baselineContentsUnknown(keyRecord(base_, b))) {
    top.summary = static_cast<uint8_t>(top.summary | SUM_CONTROLLED);
    return SUM_CONTROLLED;
  }
  std::vector<Frame> frames{startFrame(c, b)};
  uint8_t result = 0;
  while (!frames.empty() && step()) {
    // The window stays alive on a large comparison; a quit request is seen by the
    // command once the comparison ends.
    if (pacer_.due()) keepWindowAlive();
    Frame& frame = frames.back();
    bool descended = false;
    while (frame.curChild != kNoItem && step()) {
      const ItemIndex child = frame.curChild;
      KeyRecord& record = keyRecord(cur_, child);
      if (isGhostKey(record)) {
        frame.curChild = nextKey(cur_, child);
        continue;
      }
      frame.baseChild = liveBaseKey(frame.baseChild);
      const int order = frame.baseChild == kNoItem
                            ? -1
                            : mergeOrder(keyNameOf(cur_, child),
                                         keyNameOf(base_, frame.baseChild));
      if (order > 0) {
        // Baseline children sorting before this one are gone; their ghosts go before it.
        ghostKey(frame.c, child, frame.baseChild);
        frame.result |= SUM_STRUCTURE_CHANGED;
        frame.baseChild = nextKey(base_, frame.baseChild);
        continue;
      }
      frame.lastPlaced = child;
      frame.curChild = nextKey(cur_, child);
      if (order < 0) {
        if (markAdded(child)) frame.result |= SUM_STRUCTURE_CHANGED;
        continue;
      }
      const ItemIndex match = frame.baseChild;
      frame.baseChild = nextKey(base_, match);
      if (isControlledKey(record) || baselineContentsUnknown(keyRecord(base_, match))) {
        record.summary = static_cast<uint8_t>(record.summary | SUM_CONTROLLED);
        frame.result |= SUM_CONTROLLED;
        continue;
      }
      frames.push_back(startFrame(child, match));
      descended = true;
      break;
    }
    if (descended) continue;
    finishFrame(frame);
    const uint8_t bits = frame.result;
    frames.pop_back();
    if (frames.empty()) {
      result = bits;
    } else {
      frames.back().result |= bits;
    }
  }
  return result;
}

// Removes a ghost key with its subtree, deepest keys first, without recursion.
void removeGhostTree(SnapshotStore& store, ItemIndex top) {
  std::vector<ItemIndex> pending{top};
  int64_t budget = 2 * static_cast<int64_t>(store.counts.keyCount) + 16;
  while (!pending.empty() && budget-- > 0) {
    const ItemIndex key = pending.back();
    const ItemIndex child = keyRecord(store, key).firstChild;
    if (isKey(store, child)) {
      pending.push_back(child);
      continue;
    }
    pending.pop_back();
    // Without subkeys this removes only the key's values and the key itself.
    removeGhostSubtree(store, key);
    // A key the store refuses to remove (damaged counts) would be met again forever.
    if (keyRecord(store, key).name >= 0) return;
  }
}

// The baseline root of the same name as current root `root`, or -1.
ItemIndex baselineRootFor(SnapshotStore& current, SnapshotStore& baseline, ItemIndex root) {
  const char* name = keyNameOf(current, root);
  int steps = 0;
  for (ItemIndex at = isKey(baseline, 0) ? 0 : kNoItem; at != kNoItem && steps < kMaxRootChain;
       at = nextKey(baseline, at), ++steps) {
    if (compareNames(keyNameOf(baseline, at), name) == 0) return at;
  }
  return kNoItem;
}

}  // namespace

int dataDiffers(SnapshotStore& current, ItemIndex w, SnapshotStore& baseline, ItemIndex v) {
  const ValueRecord& now = valueRecord(current, w);
  const ValueRecord& before = valueRecord(baseline, v);
  // A value that changed its type changed, even with the same bytes.
  if (valueType(now) != valueType(before)) return 1;
  const bool nowKept = (now.flags & VF_DATA_KEPT) && isEntry(current, now.data);
  const bool beforeKept = (before.flags & VF_DATA_KEPT) && isEntry(baseline, before.data);
  if (!nowKept || !beforeKept) {
    // Both lengths are known either way, and the digest alone cannot tell data of
    // zeros from empty data (the CRC of any run of zero bytes is 0).
    const int32_t nowLength = nowKept ? dataEntry(current, now.data).chainOrLength : now.data;
    const int32_t beforeLength =
        beforeKept ? dataEntry(baseline, before.data).chainOrLength : before.data;
    return (nowLength != beforeLength || now.digest != before.digest) ? 1 : 0;
  }

  const DataEntry& nowEntry = dataEntry(current, now.data);
  const DataEntry& beforeEntry = dataEntry(baseline, before.data);
  if (nowEntry.chainOrLength < 0 || beforeEntry.chainOrLength < 0) {
    return now.digest != before.digest ? 1 : 0;
  }
  const uint8_t* nowBytes = reinterpret_cast<const uint8_t*>(entryText(current, now.data));
  const uint8_t* beforeBytes = reinterpret_cast<const uint8_t*>(entryText(baseline, before.data));
  const uint32_t nowLength = effectiveDataLength(
      nowBytes, static_cast<uint32_t>(nowEntry.chainOrLength), nowEntry.hashOrType);
  const uint32_t beforeLength = effectiveDataLength(
      beforeBytes, static_cast<uint32_t>(beforeEntry.chainOrLength), beforeEntry.hashOrType);
  if (nowLength != beforeLength) return 1;
  return std::memcmp(nowBytes, beforeBytes, nowLength) != 0 ? 1 : 0;
}

uint8_t compareKey(SnapshotStore& current, SnapshotStore& baseline, ItemIndex c, ItemIndex b,
                   const CompareOptions& options) {
  if (!isKey(current, c) || !isKey(baseline, b)) return 0;
  Comparer comparer(current, baseline, options);
  return comparer.compareKey(c, b);
}

ItemIndex clearCompareMarks(SnapshotStore& current, ItemIndex key) {
  if (!isKey(current, key)) return kNoItem;
  KeyRecord& top = keyRecord(current, key);
  const ItemIndex next = nextKey(current, key);
  if (isGhostKey(top)) {
    removeGhostTree(current, key);
    return next;
  }
  std::vector<ItemIndex> pending{key};
  int64_t budget = static_cast<int64_t>(current.counts.keyCount) + 16;
  while (!pending.empty() && budget-- > 0) {
    const ItemIndex at = pending.back();
    pending.pop_back();
    KeyRecord& record = keyRecord(current, at);
    record.summary =
        static_cast<uint8_t>(record.summary & ~(SUM_DATA_CHANGED | SUM_STRUCTURE_CHANGED));
    record.savedState = 0;
    record.treeItem = 0;
    if (record.state > STATE_REFUSED) record.state = STATE_NORMAL;

    int64_t valueBudget = static_cast<int64_t>(current.counts.valueCount) + 1;
    ItemIndex previous = kNoItem;
    for (ItemIndex value = firstValue(current, at); value != kNoItem && valueBudget-- > 0;) {
      ValueRecord& v = valueRecord(current, value);
      if (isGhostValue(v)) {
        const ItemIndex after = removeValueAfter(current, at, previous, value);
        value = isValue(current, after) ? after : kNoItem;
        continue;
      }
      v.treeItem = 0;
      if (v.state > STATE_DATA) v.state = STATE_DATA;
      previous = value;
      value = nextValue(current, value);
    }

    int64_t childBudget = static_cast<int64_t>(current.counts.keyCount) + 1;
    for (ItemIndex child = firstChild(current, at); child != kNoItem && childBudget-- > 0;) {
      const ItemIndex after = nextKey(current, child);
      if (isGhostKey(keyRecord(current, child))) {
        removeGhostTree(current, child);
      } else {
        pending.push_back(child);
      }
      child = after;
    }
  }
  return next;
}

uint8_t compareStores(SnapshotStore& current, SnapshotStore& baseline, int root,
                      const CompareOptions& options) {
  if (!holdsKeys(baseline) || !holdsKeys(current) || storesShareBlocks(current, baseline)) return 0;
  if (root >= 0) {
    if (!isKey(current, root)) return 0;
    clearCompareMarks(current, root);
    const ItemIndex match = baselineRootFor(current, baseline, root);
    return match == kNoItem ? 0 : compareKey(current, baseline, root, match, options);
  }
  std::vector<ItemIndex> roots;
  ItemIndex at = 0;
  for (; at != kNoItem && roots.size() < static_cast<size_t>(kMaxRootChain);
       at = nextKey(current, at)) {
    roots.push_back(at);
  }
  if (at == kNoItem) {
    clearAllCompareMarks(current);  // every root: one pass over the record blocks
  } else {
    for (ItemIndex root : roots) clearCompareMarks(current, root);
  }
  uint8_t result = 0;
  for (ItemIndex root : roots) {
    const ItemIndex match = baselineRootFor(current, baseline, root);
    if (match != kNoItem) result = compareKey(current, baseline, root, match, options);
  }
  return result;
}

uint8_t compareSnapshots(int root, const CompareOptions& options) {
  return compareStores(currentStore(), baselineStore(), root, options);
}
