// Block allocator over reserved and committed pages, and the capacity limits that
// end the program.
//
// Every large buffer of the program (snapshot blocks, name pools, read and text
// buffers) comes from allocBlock: zero-filled blocks of up to 8 MiB, sizes rounded up
// to 1024 bytes, carved from reserved regions of 8 MiB: up to 512 (4 GiB) on 64-bit
// builds, where two readings of a large registry with its data kept need well over
// the 768 MiB that 96 regions hold, and 96 on 32-bit builds, whose 2 GiB of address
// space must leave room for the program itself. A freed block keeps
// its address range; the next request of the same (or, failing that, the smallest
// larger) size reuses it. Address space is given back only by releaseMemoryPool.
//
// Single-threaded program-wide singleton: initMemoryPool before the first
// allocBlock, releaseMemoryPool once at exit.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr int kPoolRegionCount = sizeof(void*) >= 8 ? 512 : 96;
constexpr uint32_t kPoolRegionBytes = 0x800000;
constexpr int kPoolSlotCount = 8192;
constexpr uint32_t kMaxBlockBytes = 0x800000;

void initMemoryPool();
// A committed, zero-filled block of at least `size` bytes, or nullptr: above 8 MiB or
// with the address space used up (silently), or with all 8192 slots taken or a refused
// commit (after "Memory Allocation Error." captioned "error").
void* allocBlock(size_t size);
// Returns 1 when `address` started a block in use (now decommitted and spare), else 0.
int freeBlock(void* address);
void releaseMemoryPool();
// Shows the system's text for the last error in a task-modal box without owner.
void reportAllocationFailure(const char* caption);

// Figures for tests and benchmarks.
struct MemoryPoolStats {
  int slotsInUse;
  int regionsReserved;
  uint64_t bytesInUse;  // sum of the sizes of the blocks in use
};
MemoryPoolStats memoryPoolStats();

// The two capacity limits of the snapshot store. Each shows its fixed message
// (captioned "ゾルファン", owned by the main window, OK only) and ends the program
// with exit status 1.
enum class CapacityLimit {
  kItemCount,  // key, value or entry block table full
  kDataSize,   // pool table full
};
[[noreturn]] void stopAtCapacityLimit(CapacityLimit limit);
