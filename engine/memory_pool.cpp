#include "engine/memory_pool.h"

#include <cstdint>

#include "platform/message_box.h"
#include "platform/process_exit.h"
#include "platform/system_error.h"
#include "platform/virtual_memory.h"

namespace {

// A reserved range of address space from which block ranges are carved front to back.
// Carved space never returns to the region; freed blocks keep their range as spares.
struct Region {
  int16_t usedKiB;
  int16_t freeKiB;
  int32_t size;
  char* base;
};

enum SlotState : int16_t { kSlotNeverUsed = 0, kSlotSpare = 1, kSlotInUse = 2 };

struct Slot {
  int16_t link;  // next slot on the in-use or spare list, -1 at the end
  int16_t state;
  int32_t size;  // bytes of the block's range, a multiple of 1024
  char* address;
};

struct MemoryPool {
  Region regions[kPoolRegionCount];
  int regionCount;
  Slot slots[kPoolSlotCount];
  int16_t inUseHead;
  int16_t spareHead;
  int slotsInUse;
  uint32_t pageKiB;
  bool initialised;
};

MemoryPool pool;

constexpr const char* kAllocationErrorText = "Memory Allocation Error.";
constexpr const char* kAllocationErrorCaption = "error";

void showAllocationError() {
  platform::showMessage(kAllocationErrorText, kAllocationErrorCaption, platform::kMsgOk);
}

bool reserveRegion(int index) {
  void* base = platform::reserveAddressSpace(kPoolRegionBytes);
  if (!base) return false;
  Region& region = pool.regions[index];
  region.base = static_cast<char*>(base);
  region.size = static_cast<int32_t>(kPoolRegionBytes);
  region.usedKiB = 0;
  region.freeKiB = static_cast<int16_t>(kPoolRegionBytes / 1024);
  return true;
}

// Carves `bytes` (a multiple of 1024) rounded up to whole pages from the first region
// with room, reserving a new region when none has any. nullptr when out of regions.
char* carveRange(uint32_t bytes) {
  uint32_t kib = (bytes / 1024 + pool.pageKiB - 1) / pool.pageKiB * pool.pageKiB;
  if (kib > kPoolRegionBytes / 1024) return nullptr;
  int chosen = -1;
  for (int i = 0; i < pool.regionCount; ++i) {
    if (static_cast<uint32_t>(pool.regions[i].freeKiB) >= kib) {
      chosen = i;
      break;
    }
  }
  if (chosen < 0) {
    if (pool.regionCount >= kPoolRegionCount || !reserveRegion(pool.regionCount)) return nullptr;
    chosen = pool.regionCount++;
  }
  Region& region = pool.regions[chosen];
  char* start = region.base + static_cast<size_t>(region.usedKiB) * 1024;
  region.usedKiB = static_cast<int16_t>(region.usedKiB + kib);
  region.freeKiB = static_cast<int16_t>(region.freeKiB - kib);
  return start;
}

// Takes `slot` off the spare list when it is on it.
void unlinkSpare(int slot) {
  int16_t* link = &pool.spareHead;
  while (*link >= 0) {
    if (*link == slot) {
      *link = pool.slots[slot].link;
      return;
    }
    link = &pool.slots[*link].link;
  }
}

int findSpareSlot(uint32_t size) {
  int bestLarger = -1;
  for (int i = pool.spareHead; i >= 0; i = pool.slots[i].link) {
    uint32_t spareSize = static_cast<uint32_t>(pool.slots[i].size);
    if (spareSize == size) return i;
    if (spareSize > size && spareSize < kMaxBlockBytes &&
        (bestLarger < 0 || spareSize < static_cast<uint32_t>(pool.slots[bestLarger].size))) {
      bestLarger = i;
    }
  }
  return bestLarger;
}

int findNeverUsedSlot() {
  for (int i = pool.slotsInUse; i < kPoolSlotCount; ++i) {
    if (pool.slots[i].state == kSlotNeverUsed) return i;
  }
  return -1;
}

}  // namespace

void initMemoryPool() {
  if (pool.initialised) return;
  pool.pageKiB = platform::pageSizeBytes() / 1024;
  if (pool.pageKiB == 0) pool.pageKiB = 4;
  pool.regionCount = reserveRegion(0) ? 1 : 0;
  pool.inUseHead = -1;
  pool.spareHead = -1;
  pool.slotsInUse = 0;
  pool.initialised = true;
}

void* allocBlock(size_t requested) {
  if (!pool.initialised) initMemoryPool();
  if (requested == 0) requested = 1;
  if (requested > kMaxBlockBytes) return nullptr;
  uint32_t size = static_cast<uint32_t>((requested + 1023) / 1024 * 1024);

  int slot = findSpareSlot(size);
  bool reused = slot >= 0;
  if (!reused) {
    slot = findNeverUsedSlot();
    if (slot < 0) {
      showAllocationError();
      return nullptr;
    }
  }

  Slot& entry = pool.slots[slot];
  if (!reused) {
    char* range = carveRange(size);
    if (!range) return nullptr;
    entry.size = static_cast<int32_t>(size);
    entry.address = range;
  }
  if (!platform::commitPages(entry.address, static_cast<size_t>(entry.size))) {
    // A never-used slot keeps its carved range and becomes a spare, so the range is
    // not lost; a spare stays a spare.
    if (!reused) {
      entry.state = kSlotSpare;
      entry.link = pool.spareHead;
      pool.spareHead = static_cast<int16_t>(slot);
    }
    showAllocationError();
    return nullptr;
  }
  if (reused) unlinkSpare(slot);
  entry.link = pool.inUseHead;
  pool.inUseHead = static_cast<int16_t>(slot);
  entry.state = kSlotInUse;
  ++pool.slotsInUse;
  return entry.address;
}

int freeBlock(void* address) {
  if (!address) return 0;
  int16_t* link = &pool.inUseHead;
  while (*link >= 0) {
    Slot& entry = pool.slots[*link];
    if (entry.address == address) {
      int16_t slot = *link;
      *link = entry.link;
      entry.link = pool.spareHead;
      pool.spareHead = slot;
      platform::decommitPages(entry.address, static_cast<size_t>(entry.size));
      entry.state = kSlotSpare;
      --pool.slotsInUse;
      return 1;
    }
    link = &entry.link;
  }
  return 0;
}

void releaseMemoryPool() {
  if (!pool.initialised) return;
  for (int i = pool.inUseHead; i >= 0; i = pool.slots[i].link) {
    platform::decommitPages(pool.slots[i].address, static_cast<size_t>(pool.slots[i].size));
  }
  for (int i = 0; i < pool.regionCount; ++i) {
    platform::releaseAddressSpace(pool.regions[i].base, kPoolRegionBytes);
  }
  pool = MemoryPool{};
}

void reportAllocationFailure(const char* caption) {
  std::string text = platform::lastSystemErrorText(127);
  platform::showMessage(text.c_str(), caption, platform::kMsgOk | platform::kMsgTaskModal |
                                                   platform::kMsgNoOwner);
}

MemoryPoolStats memoryPoolStats() {
  MemoryPoolStats stats{pool.slotsInUse, pool.regionCount, 0};
  for (int i = pool.inUseHead; i >= 0; i = pool.slots[i].link) {
    stats.bytesInUse += static_cast<uint32_t>(pool.slots[i].size);
  }
  return stats;
}

void stopAtCapacityLimit(CapacityLimit limit) {
  const char* text =
      limit == CapacityLimit::kItemCount
          ? "レジストリの個数が制限を越えているため処理できません。実行を終了します。"
          : "レジストリのデータ量が制限を越えているため処理できません。実行を終了します。";
  platform::showMessage(text, "ゾルファン", platform::kMsgOk);
  platform::exitProgram(1);
}
