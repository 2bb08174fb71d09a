// Building the undo list for one item of the compared tree: everything the restore
// program needs to put a changed, deleted or added key or value back as the baseline
// had it.
//
// The list is built in memory from the current store (the comparison result) and
// the baseline store, both only read. Key levels leave out the class-info grouping
// keys, which do not exist in the registry; grouping keys get no record of their own.
// Deleted keys are written from the baseline, whole; keys of the current snapshot only
// with their changed values and the subkeys that have changes below them. Paths are
// the registry's own (no grouping keys), never shortened, so the restore program can
// open exactly the key meant.
#pragma once

#include <cstdint>
#include <string>

#include "engine/snapshot_store.h"

namespace restore {

struct UndoListBuild {
  std::string bytes;               // the whole file, start record to end record
  int32_t valuesWithData = 0;      // values written with a data record
  int32_t valuesLackingData = 0;   // values whose data the snapshot does not hold
  // False when the item cannot be described: a level beyond 255 (the level byte) or a
  // link that names nothing. Such a list must not be sent.
  bool complete = true;
};

// The undo list of `item`: a key index, or a value index with kValueItemBit.
UndoListBuild buildUndoList(SnapshotStore& current, SnapshotStore& baseline, ItemIndex item);

// True when too many values lack their data for the undo to be worth doing: twice the
// values without data is more than the values with data (4 of 11 refused, 4 of 12 not).
inline bool undoListRefused(const UndoListBuild& build) {
  return 2 * static_cast<int64_t>(build.valuesLackingData) >
         static_cast<int64_t>(build.valuesWithData);
}

// The registry path of `key` (root name and key names joined by backslashes, grouping
// keys left out), however deep.
std::string registryKeyPath(SnapshotStore& store, ItemIndex key);
// The level of `key` in the undo list: its ancestors that are not grouping keys;
// -1 when the parent chain is damaged.
int undoLevelOf(SnapshotStore& store, ItemIndex key);

}  // namespace restore
