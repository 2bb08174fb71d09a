// Clearing the previous comparison's marks of a whole store by sweeping its record
// blocks in index order instead of walking the tree.
//
// A store's live records (name entry >= 0) are exactly the records reachable from its
// roots: the store's removal operations free what they unlink and loading frees what
// the roots do not reach. So a pass over every live slot resets the same records as a
// walk over every root, reading memory front to back instead of jumping along links.
// Ghosts still leave through the list operations: ghost keys with their subtrees, and
// ghost values from the keys the comparison marked as structurally changed (the only
// keys a comparison adds ghost values to). When a ghost value is still found after
// that (a store saved with marks this program would not write), the tree walk
// finishes the job, so the outcome is always the walk's.
#include <cstdint>
#include <vector>

#include "engine/comparison.h"
#include "engine/store_walk.h"

using store_walk::isGhostKey;
using store_walk::isGhostValue;
using store_walk::isKey;
using store_walk::forEachLiveRecord;
using store_walk::isValue;

namespace {

// Removes the ghost values of live key `key`.
void removeGhostValues(SnapshotStore& store, ItemIndex key) {
  int64_t budget = static_cast<int64_t>(store.counts.valueCount) + 1;
  ItemIndex previous = kNoItem;
  ItemIndex value = keyRecord(store, key).firstValue;
  while (isValue(store, value) && budget-- > 0) {
    const ValueRecord& v = valueRecord(store, value);
    if (isGhostValue(v)) {
      value = removeValueAfter(store, key, previous, value);
      continue;
    }
    if (v.flags & VF_LAST) break;
    previous = value;
    value = v.next;
  }
}

}  // namespace

void clearAllCompareMarks(SnapshotStore& current) {
  std::vector<ItemIndex> ghostTops;      // ghost keys under a key that stays
  std::vector<ItemIndex> structureKeys;  // keys that may hold ghost values
  forEachLiveRecord(current.keyBlocks, current.counts.keyCount, [&](ItemIndex at, KeyRecord& k) {
    if (isGhostKey(k)) {
      if (!isKey(current, k.parent) || !isGhostKey(keyRecord(current, k.parent))) {
        ghostTops.push_back(at);
      }
      return;
    }
    if ((k.summary & SUM_STRUCTURE_CHANGED) && k.firstValue >= 0) structureKeys.push_back(at);
    k.summary = static_cast<uint8_t>(k.summary & ~(SUM_DATA_CHANGED | SUM_STRUCTURE_CHANGED));
    k.savedState = 0;
    k.treeItem = 0;
    if (k.state > STATE_REFUSED) k.state = STATE_NORMAL;
  });
  bool complete = true;
  for (ItemIndex top : ghostTops) {
    clearCompareMarks(current, top);
    if (keyRecord(current, top).name >= 0) complete = false;  // refused: damaged links
  }
  for (ItemIndex key : structureKeys) removeGhostValues(current, key);

  // Every ghost value is gone by now unless a key held one without being marked.
  forEachLiveRecord(current.valueBlocks, current.counts.valueCount,
                    [&](ItemIndex, ValueRecord& v) {
                      if (isGhostValue(v)) {
                        complete = false;
                        return;
                      }
                      v.treeItem = 0;
                      if (v.state > STATE_DATA) v.state = STATE_DATA;
                    });
  if (complete) return;
  int roots = 0;
  for (ItemIndex root = isKey(current, 0) ? 0 : kNoItem; root != kNoItem && roots < 64; ++roots) {
    root = clearCompareMarks(current, root);
  }
}
