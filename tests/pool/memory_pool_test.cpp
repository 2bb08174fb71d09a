// The block allocator. These tests run in a program of their own: they need the
// allocator to themselves, and exhausting it leaves address space that no later test
// could use (carved ranges never return to their region).
#include "engine/memory_pool.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/memory/recording_messages.h"

namespace {

// Every test starts from a fresh pool: which spare ranges exist decides what
// allocBlock hands out, so no other test may have touched the allocator.
class MemoryPoolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    releaseMemoryPool();
    initMemoryPool();
  }
  void TearDown() override { releaseMemoryPool(); }
  void* take(size_t size) {
    void* block = allocBlock(size);
    if (block) taken_.push_back(block);
    return block;
  }
  void give(void* block) { ASSERT_EQ(freeBlock(block), 1); }
  static bool allZero(const void* block, size_t size) {
    const unsigned char* bytes = static_cast<const unsigned char*>(block);
    for (size_t i = 0; i < size; ++i)
      if (bytes[i] != 0) return false;
    return true;
  }

  std::vector<void*> taken_;
};

TEST_F(MemoryPoolTest, SizesAreRoundedToKibibytesAndPages) {
  uint64_t before = memoryPoolStats().bytesInUse;
  void* empty = take(0);
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(memoryPoolStats().bytesInUse - before, 1024u);
  void* odd = take(1025);
  ASSERT_NE(odd, nullptr);
  EXPECT_EQ(memoryPoolStats().bytesInUse - before, 1024u + 2048u);
  // The whole rounded size is usable and zero.
  EXPECT_TRUE(allZero(odd, 2048));
  std::memset(odd, 0xAB, 2048);
}

TEST_F(MemoryPoolTest, FreedRangeIsReusedForTheSameSizeAndComesBackZeroed) {
  void* first = take(3 * 4096);
  ASSERT_NE(first, nullptr);
  std::memset(first, 0x5A, 3 * 4096);
  give(first);
  void* again = take(3 * 4096);
  EXPECT_EQ(again, first);
  EXPECT_TRUE(allZero(again, 3 * 4096));
}

TEST_F(MemoryPoolTest, SmallestLargerSpareIsTakenWhenNoExactFitExists) {
  // Sizes no other test uses, so the spares are ours.
  void* big = take(96 * 1024);
  void* medium = take(72 * 1024);
  ASSERT_NE(big, nullptr);
  ASSERT_NE(medium, nullptr);
  give(big);
  give(medium);
  uint64_t before = memoryPoolStats().bytesInUse;
  void* reused = take(40 * 1024 + 7);
  EXPECT_EQ(reused, medium);
  // The block keeps its larger size: all of it is committed and counted.
  EXPECT_EQ(memoryPoolStats().bytesInUse - before, 72u * 1024u);
  std::memset(reused, 1, 72 * 1024);
  give(reused);
  EXPECT_EQ(take(72 * 1024), medium);
}

TEST_F(MemoryPoolTest, RequestAboveEightMebibytesFailsSilently) {
  platform::ScopedMessages messages;
  EXPECT_EQ(allocBlock(kMaxBlockBytes + 1), nullptr);
  EXPECT_TRUE(messages.recorder.shown.empty());
  void* largest = take(kMaxBlockBytes);
  ASSERT_NE(largest, nullptr);
  static_cast<char*>(largest)[kMaxBlockBytes - 1] = 1;
}

TEST_F(MemoryPoolTest, FreeingAnythingButABlockStartChangesNothing) {
  char* block = static_cast<char*>(take(4096));
  ASSERT_NE(block, nullptr);
  MemoryPoolStats before = memoryPoolStats();
  EXPECT_EQ(freeBlock(block + 1024), 0);
  EXPECT_EQ(freeBlock(nullptr), 0);
  int local = 0;
  EXPECT_EQ(freeBlock(&local), 0);
  EXPECT_EQ(memoryPoolStats().slotsInUse, before.slotsInUse);
  EXPECT_EQ(memoryPoolStats().bytesInUse, before.bytesInUse);
  block[4095] = 1;  // still committed
}

TEST_F(MemoryPoolTest, AddressSpaceRunsOutSilentlyAfterTheLastRegion) {
  platform::ScopedMessages messages;
  int granted = 0;
  while (take(kMaxBlockBytes)) ++granted;
  EXPECT_EQ(granted, kPoolRegionCount);
  EXPECT_EQ(memoryPoolStats().regionsReserved, kPoolRegionCount);
  EXPECT_TRUE(messages.recorder.shown.empty());
  // A freed whole region is handed out again.
  void* last = taken_.back();
  give(last);
  EXPECT_EQ(take(kMaxBlockBytes), last);
}

TEST_F(MemoryPoolTest, RunningOutOfSlotsShowsTheAllocationError) {
  platform::ScopedMessages messages;
  int granted = 0;
  while (take(1024)) ++granted;
  EXPECT_EQ(granted, kPoolSlotCount);
  EXPECT_EQ(memoryPoolStats().slotsInUse, kPoolSlotCount);
  ASSERT_EQ(messages.recorder.shown.size(), 1u);
  EXPECT_EQ(messages.recorder.shown[0].text, "Memory Allocation Error.");
  EXPECT_EQ(messages.recorder.shown[0].caption, "error");
}

TEST(MemoryPoolReport, AllocationFailureShowsTheSystemTextTaskModalWithoutOwner) {
  platform::ScopedMessages messages;
  reportAllocationFailure("memAlloc");
  ASSERT_EQ(messages.recorder.shown.size(), 1u);
  EXPECT_EQ(messages.recorder.shown[0].caption, "memAlloc");
  EXPECT_FALSE(messages.recorder.shown[0].text.empty());
  EXPECT_LE(messages.recorder.shown[0].text.size(), 127u);
  EXPECT_TRUE(messages.recorder.shown[0].flags & platform::kMsgTaskModal);
  EXPECT_TRUE(messages.recorder.shown[0].flags & platform::kMsgNoOwner);
}

#if GTEST_HAS_DEATH_TEST && !defined(_WIN32)
TEST(CapacityLimitDeathTest, RealExitEndsTheProcessWithStatusOne) {
  EXPECT_EXIT(stopAtCapacityLimit(CapacityLimit::kDataSize), ::testing::ExitedWithCode(1), "");
}
#endif

}  // namespace
