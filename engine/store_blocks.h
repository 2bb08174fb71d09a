// Private helpers of the snapshot store: block layout, block allocation with the
// capacity checks, and the mirroring of changes into a sharing twin.
//
// Only engine/snapshot_store.cpp and engine/store_names.cpp include this. Every
// helper that may end the program (capacity limit, refused allocation) does so before
// it changes anything that the store's readers could see, so a store is never left
// with a half-made record.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/snapshot_store.h"

namespace store_detail {

// One key block: records, display-flag words, last-write times.
constexpr size_t kKeyFlagsOffset = sizeof(KeyRecord) * kSlotsPerBlock;
constexpr size_t kKeyTimesOffset = kKeyFlagsOffset + sizeof(uint16_t) * kSlotsPerBlock;
constexpr size_t kKeyBlockBytes = kKeyTimesOffset + sizeof(uint64_t) * kSlotsPerBlock;
// One value block: records, display-flag words, baseline links.
constexpr size_t kValueFlagsOffset = sizeof(ValueRecord) * kSlotsPerBlock;
constexpr size_t kValueLinksOffset = kValueFlagsOffset + sizeof(uint16_t) * kSlotsPerBlock;
constexpr size_t kValueBlockBytes = kValueLinksOffset + sizeof(int32_t) * kSlotsPerBlock;
constexpr size_t kEntryBlockBytes = sizeof(DataEntry) * kSlotsPerBlock;
constexpr size_t kNameHashBytes = sizeof(int32_t) * kNameHashBuckets;
static_assert(kKeyTimesOffset % 8 == 0, "last-write times are 8-byte aligned");
static_assert(kValueLinksOffset % 4 == 0, "baseline links are 4-byte aligned");

inline int blockOf(ItemIndex index) { return index >> kSlotBits; }
inline int slotOf(ItemIndex index) { return index & (kSlotsPerBlock - 1); }

inline const char* textAt(SnapshotStore& store, ItemIndex entry) {
  const DataEntry& e = dataEntry(store, entry);
  return store.pools[entryPool(e)].base + e.text;
}
// Names of records whose name entry is missing (never in a well-formed store) read
// as empty rather than from a wild address.
inline const char* nameAt(SnapshotStore& store, ItemIndex entry) {
  return entry >= 0 ? textAt(store, entry) : "";
}

// The twin describes the same blocks: equal, non-null first key blocks.
inline bool sharesWithTwin(const SnapshotStore& store) {
  return store.twin != nullptr && store.keyBlocks[0] != nullptr &&
         store.keyBlocks[0] == store.twin->keyBlocks[0];
}
inline void mirrorCounts(SnapshotStore& store) {
  if (sharesWithTwin(store)) store.twin->counts = store.counts;
}
inline void mirrorPool(SnapshotStore& store, int pool) {
  if (sharesWithTwin(store)) store.twin->pools[pool] = store.pools[pool];
}

// A zero-filled block from the allocator; a refusal is reported ("memAlloc") and ends
// the program, so callers never see a missing block.
char* allocStoreBlock(size_t bytes);

// Make sure the block holding the next new index exists, checking the table limit
// first. Counts are not advanced here.
void ensureEntryBlock(SnapshotStore& store, ItemIndex entry);
// The first pool, from `firstPool` upwards, with at least `bytes` free; pools without
// an area get one. Ends the program at the pool-table limit.
int poolWithRoom(SnapshotStore& store, int firstPool, uint32_t bytes);
// Takes `bytes` at the pool's cursor and returns their offset.
uint32_t takePoolSpace(SnapshotStore& store, int pool, uint32_t bytes);

}  // namespace store_detail
