// Store operations that only loading a snapshot file needs: blocks made from file
// contents instead of by adding records, and the current store taking over every
// block of a freshly loaded baseline.
//
// The alloc functions work on a store that owns its blocks (it shares nothing with
// its twin) and fill one table slot that is still empty. They return the zero-filled
// block, or nullptr when the allocator refuses it; unlike the store's own growth, a
// refusal does not end the program, because a file too large for memory is simply
// not loaded. Blocks made here are released like any other by resetStore.
#pragma once

#include "engine/snapshot_store.h"

// A key block of 4096 records and their display-flag words, without a last-write
// time table (keyTimes[block] stays nullptr).
KeyRecord* allocLoadedKeyBlock(SnapshotStore& store, int block);
// A value block of 4096 records, display-flag words and baseline links; the links
// start as -1 (no baseline value).
ValueRecord* allocLoadedValueBlock(SnapshotStore& store, int block);
DataEntry* allocLoadedEntryBlock(SnapshotStore& store, int block);
// A 256 KiB pool area for slot `pool` with `used` bytes taken (the caller fills them);
// the pool count grows to cover the slot.
char* allocLoadedPool(SnapshotStore& store, int pool, int32_t used);

// Makes the current store share every block of the baseline store (counts, free
// heads, key and value blocks with their word tables, entry blocks, name hash, pool
// table); whatever the current store held is dropped first. With an empty baseline
// the current store is simply left empty.
void shareBaselineWithCurrent();
