// The snapshot store at its table limits and with the allocator exhausted: each ends
// the program (trapped here) with its fixed message and status 1, before the store is
// changed. These take hundreds of MiB, so they run in the limits program, each test on
// a fresh allocator.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/memory_pool.h"
#include "engine/snapshot_store.h"
#include "platform/memory/exit_trap.h"
#include "platform/memory/recording_messages.h"

namespace {

constexpr const char* kCountLimitText =
    "レジストリの個数が制限を越えているため処理できません。実行を終了します。";
constexpr const char* kDataLimitText =
    "レジストリのデータ量が制限を越えているため処理できません。実行を終了します。";

class StoreLimitsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    releaseMemoryPool();
    initMemoryPool();
    store_ = std::make_unique<SnapshotStore>();
  }
  void TearDown() override {
    destroyStore(*store_);
    releaseMemoryPool();
  }
  SnapshotStore& store() { return *store_; }

  // Runs `action`, which must end the program; returns the exit status (-1: it did not).
  template <typename Action>
  int exitStatusOf(Action action) {
    platform::ExitTrap trap;
    try {
      action();
    } catch (const platform::ExitCalled& exit) {
      return exit.status;
    }
    return -1;
  }

 private:
  std::unique_ptr<SnapshotStore> store_;
};

TEST_F(StoreLimitsTest, TheKeyBeyondOneThousandAndTwentyFourBlocksEndsTheProgram) {
  initStore(store());
  resetStore(store(), true);
  const int32_t maxKeys = kMaxKeyBlocks * kSlotsPerBlock;  // 4,194,304
  ItemIndex hint = kNoItem;
  for (int32_t n = store().counts.keyCount; n < maxKeys; ++n) hint = addKey(store(), 3, hint, "k");
  ASSERT_EQ(store().counts.keyCount, maxKeys);
  ASSERT_EQ(store().counts.keyBlockCount, kMaxKeyBlocks);
  const int32_t entries = store().counts.entryCount;

  platform::ScopedMessages messages;
  EXPECT_EQ(exitStatusOf([&] { addKey(store(), 3, hint, "one too many"); }), 1);
  ASSERT_EQ(messages.recorder.shown.size(), 1u);
  EXPECT_EQ(messages.recorder.shown[0].text, kCountLimitText);
  EXPECT_EQ(messages.recorder.shown[0].caption, "ゾルファン");
  // Nothing was half made.
  EXPECT_EQ(store().counts.keyCount, maxKeys);
  EXPECT_EQ(store().counts.entryCount, entries);
  EXPECT_EQ(keyRecord(store(), 3).childCount, maxKeys - kRootKeyCount);
  EXPECT_EQ(keyRecord(store(), hint).nextSibling, kNoItem);

  // A freed key is still handed out at the limit.
  removeKey(store(), hint);
  EXPECT_EQ(addKey(store(), 3, keyRecord(store(), 3).firstChild, "k"), hint);
}

TEST_F(StoreLimitsTest, DataBeyondOneThousandAndTwentyFourPoolsEndsTheProgram) {
  initStore(store());
  // With its 0 byte, each 128 KiB datum leaves too little room for the next one, so
  // every datum takes a pool of its own.
  std::vector<uint8_t> bytes(kMaxKeptDataBytes, 0x44);
  const uint32_t length = static_cast<uint32_t>(bytes.size());
  for (int pool = 0; pool < kMaxPools; ++pool) {
    ASSERT_EQ(entryPool(dataEntry(store(), storeValueData(store(), bytes.data(), length, 3))), pool);
  }
  platform::ScopedMessages messages;
  EXPECT_EQ(exitStatusOf([&] { storeValueData(store(), bytes.data(), length, 3); }), 1);
  ASSERT_EQ(messages.recorder.shown.size(), 1u);
  EXPECT_EQ(messages.recorder.shown[0].text, kDataLimitText);
  EXPECT_EQ(messages.recorder.shown[0].caption, "ゾルファン");
  EXPECT_EQ(store().counts.poolCount, kMaxPools);
  EXPECT_EQ(store().counts.entryCount, kMaxPools);
  // Short names still fit the pools' tails; a name that fits none hits the same limit.
  EXPECT_EQ(exitStatusOf([&] { internName(store(), "name", 0); }), -1);
  const std::string longName(kPoolBytes - kMaxKeptDataBytes, 'n');
  EXPECT_EQ(exitStatusOf([&] { internName(store(), longName.c_str(), longName.size()); }), 1);
  EXPECT_EQ(messages.recorder.shown.back().text, kDataLimitText);
}

TEST_F(StoreLimitsTest, ARefusedBlockIsReportedAndEndsTheProgram) {
  // Take the whole address space, so the next block is refused silently.
  std::vector<void*> taken;
  while (void* block = allocBlock(kMaxBlockBytes)) taken.push_back(block);
  platform::ScopedMessages messages;
  EXPECT_EQ(exitStatusOf([&] { initStore(store()); }), 1);
  ASSERT_EQ(messages.recorder.shown.size(), 1u);
  EXPECT_EQ(messages.recorder.shown[0].caption, "memAlloc");
  EXPECT_EQ(store().nameHash, nullptr);
  for (void* block : taken) freeBlock(block);
}

}  // namespace
