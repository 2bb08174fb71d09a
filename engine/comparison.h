// The comparison engine: compares the current snapshot with the baseline and writes
// the outcome into the current snapshot only.
//
// Every key and value of the current store gets a state code (5 changed below, 6
// added, 9 data changed, 10 added value), summary flags say what changed at or below
// each key, each current value is linked to its baseline counterpart (baselineLink),
// and every baseline key and value that is gone gets a ghost copy (7, 11) inserted
// into the current tree at its sorted place. Nothing is written into the baseline.
//
// Both sides keep their lists in the store's name order, so each level is one linear
// merge. The walks use explicit stacks: a snapshot file may be far deeper than any
// registry. A comparison clears the marks of the roots it compares first, so running
// it again gives the same marks and counts. Single-threaded.
#pragma once

#include <cstdint>

#include "engine/snapshot_store.h"

struct CompareOptions {
  bool keysOnly = false;             // OPT_KEYS_ONLY: values are not compared at all
  bool showDeletedContents = false;  // OPT_KEEP_DELETED_CONTENTS: ghosts copy whole subtrees
};

// Compares root `root` (0-4) or, with -1, every root of the program-wide current store
// with the same-named root of the baseline store. Nothing happens when the baseline
// holds no keys or both stores share their blocks (the snapshot is its own baseline).
// Returns the result bits (SUM_DATA_CHANGED, SUM_CONTROLLED, SUM_STRUCTURE_CHANGED) of
// the last root compared. The caller takes the counts (takeStatusCounts).
uint8_t compareSnapshots(int root, const CompareOptions& options);
// The same on two given stores.
uint8_t compareStores(SnapshotStore& current, SnapshotStore& baseline, int root,
                      const CompareOptions& options);

// Compares current key `c` with baseline key `b` of the same name and everything below
// them; returns the result bits and ORs them into the summaries on the way. A current
// key not read, not checked or refused, or a baseline key not read or refused, is not
// compared: the current key gets SUM_CONTROLLED.
uint8_t compareKey(SnapshotStore& current, SnapshotStore& baseline, ItemIndex c, ItemIndex b,
                   const CompareOptions& options);

// Undoes every comparison mark in the subtree of `key` (a ghost key is removed with
// its subtree); returns the key's next sibling.
ItemIndex clearCompareMarks(SnapshotStore& current, ItemIndex key);
// The same for every root of `current`, sweeping its record blocks in index order
// rather than walking the tree: the outcome is the walk's (ghost keys and values gone,
// every mark undone), only the order in which ghosts are freed differs, so later
// ghosts may take other free record indices.
void clearAllCompareMarks(SnapshotStore& current);

// 1 when the data of current value `w` and baseline value `v` differ, else 0. Values
// of different registry types always differ; when either side kept only its digest,
// the lengths and digests decide; kept data are compared over their effective lengths.
int dataDiffers(SnapshotStore& current, ItemIndex w, SnapshotStore& baseline, ItemIndex v);
