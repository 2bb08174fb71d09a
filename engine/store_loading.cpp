// Blocks of a store made from a snapshot file, and the current store sharing a
// loaded baseline.
//
// Every block keeps its records at its start: resetStore frees a block through the
// address in the record table, so the word tables after the records go with it.
#include "engine/store_loading.h"


#include "engine/memory_pool.h"

namespace {

constexpr size_t kKeyRecordsBytes = sizeof(KeyRecord) * kSlotsPerBlock;
constexpr size_t kLoadedKeyBlockBytes = kKeyRecordsBytes + sizeof(uint16_t) * kSlotsPerBlock;
constexpr size_t kValueRecordsBytes = sizeof(ValueRecord) * kSlotsPerBlock;
constexpr size_t kValueFlagsBytes = sizeof(uint16_t) * kSlotsPerBlock;
constexpr size_t kLoadedValueBlockBytes =
    kValueRecordsBytes + kValueFlagsBytes + sizeof(int32_t) * kSlotsPerBlock;
constexpr size_t kLoadedEntryBlockBytes = sizeof(DataEntry) * kSlotsPerBlock;
static_assert((kValueRecordsBytes + kValueFlagsBytes) % alignof(int32_t) == 0,
              "baseline links are aligned");

char* allocZeroed(size_t bytes) { return static_cast<char*>(allocBlock(bytes)); }

}  // namespace

KeyRecord* allocLoadedKeyBlock(SnapshotStore& store, int block) {
  char* memory = allocZeroed(kLoadedKeyBlockBytes);
  if (memory == nullptr) return nullptr;
  store.keyBlocks[block] = reinterpret_cast<KeyRecord*>(memory);
  store.keyFlags[block] = reinterpret_cast<uint16_t*>(memory + kKeyRecordsBytes);
  store.keyTimes[block] = nullptr;
  if (store.counts.keyBlockCount < block + 1) store.counts.keyBlockCount = block + 1;
  return store.keyBlocks[block];
}

ValueRecord* allocLoadedValueBlock(SnapshotStore& store, int block) {
  char* memory = allocZeroed(kLoadedValueBlockBytes);
  if (memory == nullptr) return nullptr;
  store.valueBlocks[block] = reinterpret_cast<ValueRecord*>(memory);
  store.valueFlags[block] = reinterpret_cast<uint16_t*>(memory + kValueRecordsBytes);
  int32_t* links = reinterpret_cast<int32_t*>(memory + kValueRecordsBytes + kValueFlagsBytes);
  for (int slot = 0; slot < kSlotsPerBlock; ++slot) links[slot] = kNoItem;
  store.baselineLinks[block] = links;
  if (store.counts.valueBlockCount < block + 1) store.counts.valueBlockCount = block + 1;
  return store.valueBlocks[block];
}

DataEntry* allocLoadedEntryBlock(SnapshotStore& store, int block) {
  char* memory = allocZeroed(kLoadedEntryBlockBytes);
  if (memory == nullptr) return nullptr;
  store.entryBlocks[block] = reinterpret_cast<DataEntry*>(memory);
  if (store.counts.entryBlockCount < block + 1) store.counts.entryBlockCount = block + 1;
  return store.entryBlocks[block];
}

char* allocLoadedPool(SnapshotStore& store, int pool, int32_t used) {
  char* memory = allocZeroed(static_cast<size_t>(kPoolBytes));
  if (memory == nullptr) return nullptr;
  store.pools[pool] = DataPool{memory, used, kPoolBytes - used};
  if (store.counts.poolCount < pool + 1) store.counts.poolCount = pool + 1;
  return memory;
}

void shareBaselineWithCurrent() {
  SnapshotStore& current = currentStore();
  SnapshotStore& baseline = baselineStore();
  resetCurrentStore(false);
  // Sharing is recognised by the first key block; without one there is nothing to
  // share and the current store keeps the empty name table the reset gave it.
  if (baseline.keyBlocks[0] == nullptr) return;
  freeBlock(current.nameHash);  // fresh from the reset and owned: no sharing yet
  copyBlockTables(current, baseline);
}
