// Checks of a snapshot just read from a file, before any store operation sees it.
//
// Private to the snapshot file loaders. The store passed in holds the file's records
// and pool bytes as read (counts, free heads and blocks set; data entries still hold
// the file's text addresses). checkLoadedSnapshot relocates every data entry's text to
// an offset in its pool and accepts the snapshot only when the store's invariants
// hold, so that every store operation can trust it:
//
// - every data entry names a pool of the file and lies in that pool's used bytes:
//   names end in a 0 byte there, kept data have their length and a 0 byte after it,
//   freed entries keep a buffer of their recorded capacity;
// - the five roots are linked in root-table order; from them, every subkey list is
//   doubly linked with the right parent, as long as its parent's childCount, and
//   every value list ends in a VF_LAST value pointing back at its key, as long as
//   valueCount; no key, value or entry is reached twice (so no list loops), and the
//   tree is at most kMaxLoadedKeyDepth levels deep;
// - names are entries of the right kind owned by their record, kept data entries of
//   a data kind owned by their value; digest-only lengths are not negative; states
//   are known state codes;
// - the name hash chains hold only name entries of their bucket, each at most once;
// - the three free lists hold only records that nothing else uses, each once, and
//   freed entries only.
//
// On the way it also normalises what files may spell differently, so that a loaded
// store always says "none" as -1 and saves again to the same bytes: every negative
// link of a live key, hash bucket head and hash chain becomes -1, a free-list link of
// 0 or below ends its list (-1), and every key and value record outside the tree is
// marked free (name -1), so that no operation mistakes it for a live record. Tree-item
// handles of all records are cleared.
#pragma once

#include "engine/snapshot_file.h"
#include "engine/snapshot_file_format.h"
#include "engine/snapshot_store.h"

// `savedPools` holds the file's pool table (store.counts.poolCount descriptors).
bool checkLoadedSnapshot(SnapshotStore& store, const SavedPoolDescriptor* savedPools);
