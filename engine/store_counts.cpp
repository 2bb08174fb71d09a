// Subtree sizes and the counts taken over a whole snapshot.
//
// Ghosts (deleted keys in state 7, deleted values in state 11) belong to the
// comparison's display, not to the snapshot: sizes and the key and value totals leave
// them out. A ghost key's itemCount holds the baseline key it copies, so sizes are
// never written into a ghost.
#include <cstdint>
#include <cstring>
#include <vector>

#include "engine/snapshot_store.h"
#include "engine/store_walk.h"

using store_walk::forEachValue;
using store_walk::isGhostKey;
using store_walk::isGhostValue;
using store_walk::walkAllKeys;
using store_walk::walkKeys;

namespace {

// A name's share of a size: its bytes and the 0 byte after it.
int64_t nameBytes(const char* name) { return static_cast<int64_t>(std::strlen(name)) + 1; }

struct SizeFrame {
  int64_t items;
  int64_t bytes;
};

// Sizes of the subtree of `first` (or of its whole sibling chain), returned as the
// parent counts them: 1 + itemCount items and byteCount bytes per non-ghost key.
ItemTotals recomputeSizesFrom(SnapshotStore& store, ItemIndex first, bool wholeChain) {
  std::vector<SizeFrame> frames;
  SizeFrame total{0, 0};
  walkKeys(
      store, first, wholeChain,
      [&](ItemIndex key) {
        KeyRecord& record = keyRecord(store, key);
        if (isGhostKey(record)) {
          frames.push_back(SizeFrame{-1, -1});  // contributes nothing
          return false;
        }
        SizeFrame frame{0, nameBytes(store_walk::keyNameOrEmpty(store, key))};
        forEachValue(store, key, [&](ItemIndex value, ValueRecord& v) {
          if (isGhostValue(v)) return;
          const bool dataMissing = (v.flags & VF_DATA_KEPT) && !store_walk::isEntry(store, v.data);
          const int32_t length = dataMissing ? 0 : valueDataLength(store, value);
          frame.items += 1;
          frame.bytes += nameBytes(store_walk::valueNameOrEmpty(store, value)) +
                         (length > 0 ? length : 0);
        });
        frames.push_back(frame);
        return true;
      },
      [&](ItemIndex key) {
        const SizeFrame done = frames.back();
        frames.pop_back();
        if (done.items < 0) return;
        KeyRecord& record = keyRecord(store, key);
        record.itemCount = clampToInt32(done.items);
        record.byteCount = clampToInt32(done.bytes);
        SizeFrame& parent = frames.empty() ? total : frames.back();
        parent.items += 1 + done.items;
        parent.bytes += done.bytes;
      });
  return ItemTotals{clampToInt32(total.items), clampToInt32(total.bytes)};
}

// One walk over all roots gathers every number the counting functions answer.
struct Tally {
  int64_t keysInState[256];
  int64_t valuesInState[256];
  int64_t autoCheckTargets;
  int64_t rootBytes;
};

// Counting needs no order, so the record blocks are swept instead of walking the tree.
void tallyStore(SnapshotStore& store, Tally& tally) {
  std::memset(&tally, 0, sizeof tally);
  store_walk::forEachLiveRecord(store.keyBlocks, store.counts.keyCount,
                                [&](ItemIndex, const KeyRecord& record) {
                                  tally.keysInState[record.state] += 1;
                                  if (record.summary & SUM_AUTOCHECK_TARGET) {
                                    tally.autoCheckTargets += 1;
                                  }
                                  if (record.parent < 0) tally.rootBytes += record.byteCount;
                                });
  store_walk::forEachLiveRecord(
      store.valueBlocks, store.counts.valueCount,
      [&](ItemIndex, const ValueRecord& v) { tally.valuesInState[v.state] += 1; });
}

int64_t liveKeys(const Tally& tally) {
  int64_t n = 0;
  for (int state = 0; state < 256; ++state) {
    if (state != STATE_DELETED) n += tally.keysInState[state];
  }
  return n;
}

int64_t liveValues(const Tally& tally) {
  int64_t n = 0;
  for (int state = 0; state < 256; ++state) {
    if (state != STATE_VALUE_DELETED) n += tally.valuesInState[state];
  }
  return n;
}

int64_t itemsInState(const Tally& tally, int code) {
  if (code == kAutoCheckTargetCode) return tally.autoCheckTargets;
  if (code < 0 || code > 255) return 0;
  return tally.keysInState[code] + tally.valuesInState[code];
}

}  // namespace

namespace store_walk {

ItemTotals recomputeSubtreeSizes(SnapshotStore& store, ItemIndex key) {
  return recomputeSizesFrom(store, key, false);
}

}  // namespace store_walk

// Returns the totals of the chain as the chain's parent counts them.
ItemTotals recomputeSizes(SnapshotStore& store, ItemIndex firstKey) {
  return recomputeSizesFrom(store, firstKey, true);
}

int64_t countItems(SnapshotStore& store, int what) {
  if (what == 2) {
    int64_t bytes = 0;
    int64_t budget = store.counts.keyCount;
    for (ItemIndex root = 0; store_walk::isKey(store, root) && budget-- > 0;
         root = keyRecord(store, root).nextSibling) {
      bytes += keyRecord(store, root).byteCount;
    }
    return bytes;
  }
  int64_t n = 0;
  walkAllKeys(store, [&](ItemIndex key) {
    if (what == 0) {
      if (!isGhostKey(keyRecord(store, key))) n += 1;
    } else if (what == 1) {
      forEachValue(store, key, [&](ItemIndex, ValueRecord& v) {
        if (!isGhostValue(v)) n += 1;
      });
    }
    return true;
  });
  return n;
}

int64_t countState(SnapshotStore& store, int code) {
  Tally tally;
  tallyStore(store, tally);
  return itemsInState(tally, code);
}

int64_t countChangedItems(SnapshotStore& store, uint8_t summaryMask) {
  const int lowestValueState = summaryMask == SUM_STRUCTURE_CHANGED ? STATE_VALUE_ADDED
                                                                     : STATE_DATA_CHANGED;
  int64_t n = 0;
  walkAllKeys(store, [&](ItemIndex key) {
    if (keyRecord(store, key).summary & summaryMask) n += 1;
    forEachValue(store, key, [&](ItemIndex, ValueRecord& v) {
      if (v.state >= lowestValueState) n += 1;
    });
    return true;
  });
  return n;
}

int64_t countControlledItems(SnapshotStore& store) {
  int64_t n = 0;
  walkAllKeys(store, [&](ItemIndex key) {
    const uint8_t state = keyRecord(store, key).state;
    if (state >= STATE_NOT_READ && state <= STATE_REFUSED) n += 1;
    forEachValue(store, key, [&](ItemIndex, ValueRecord& v) {
      if (v.state == STATE_NOT_CHECKED) n += 1;
    });
    return true;
  });
  return n;
}

int64_t countMarkedLines(SnapshotStore& store) {
  int64_t n = 0;
  walkAllKeys(store, [&](ItemIndex key) {
    if (keyFlags(store, key) & (VIEW_HIT | VIEW_HIT_BELOW)) n += 1;
    forEachValue(store, key, [&](ItemIndex value, ValueRecord&) {
      if (valueFlags(store, value) & VIEW_HIT) n += 1;
    });
    return true;
  });
  return n;
}

int64_t countTreeLines(SnapshotStore& store, ItemIndex key, bool valuesShown) {
  int64_t n = 0;
  walkKeys(store, key, false, [&](ItemIndex at) {
    n += 1;
    if (valuesShown) {
      const int32_t values = keyRecord(store, at).valueCount;
      if (values > 0) n += values;
    }
    return true;
  });
  return n;
}

int64_t countSubtreeKeys(SnapshotStore& store, ItemIndex key, bool excludeGhosts) {
  int64_t n = 0;
  walkKeys(store, key, false, [&](ItemIndex at) {
    if (excludeGhosts && isGhostKey(keyRecord(store, at))) return false;
    n += 1;
    return true;
  });
  return n;
}

int64_t countSubtreeValues(SnapshotStore& store, ItemIndex key, bool excludeGhosts) {
  int64_t n = 0;
  walkKeys(store, key, false, [&](ItemIndex at) {
    if (excludeGhosts && isGhostKey(keyRecord(store, at))) return false;
    forEachValue(store, at, [&](ItemIndex, ValueRecord& v) {
      if (!(excludeGhosts && isGhostValue(v))) n += 1;
    });
    return true;
  });
  return n;
}

StatusCounts takeStatusCounts(SnapshotStore& store, bool keysOnly) {
  Tally tally;
  tallyStore(store, tally);
  StatusCounts counts{};
  counts.keys = liveKeys(tally);
  counts.values = liveValues(tally);
  counts.bytes = tally.rootBytes;
  counts.autoCheckTargets = tally.autoCheckTargets;
  counts.notRead = itemsInState(tally, STATE_NOT_READ);
  counts.notChecked = itemsInState(tally, STATE_NOT_CHECKED);
  counts.hidden = itemsInState(tally, STATE_HIDDEN);
  counts.refused = itemsInState(tally, STATE_REFUSED);
  counts.addedKeys = itemsInState(tally, STATE_ADDED);
  counts.deletedKeys = itemsInState(tally, STATE_DELETED);
  if (!keysOnly) {
    counts.changedValues = itemsInState(tally, STATE_DATA_CHANGED);
    counts.addedValues = itemsInState(tally, STATE_VALUE_ADDED);
    counts.deletedValues = itemsInState(tally, STATE_VALUE_DELETED);
  }
  return counts;
}
