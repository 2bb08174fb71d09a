// The two program-wide stores: start-up state, adopting the current snapshot as
// baseline, mirroring while they share, and resets that must not free shared blocks.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "engine/memory_pool.h"
#include "engine/snapshot_store.h"
#include "tests/engine/store_test_support.h"

namespace {

using store_test::childNames;

bool sameCounts(const StoreCounts& a, const StoreCounts& b) {
  return a.keyCount == b.keyCount && a.keyFreeHead == b.keyFreeHead &&
         a.valueCount == b.valueCount && a.valueFreeHead == b.valueFreeHead &&
         a.entryCount == b.entryCount && a.entryFreeHead == b.entryFreeHead &&
         a.keyBlockCount == b.keyBlockCount && a.valueBlockCount == b.valueBlockCount &&
         a.entryBlockCount == b.entryBlockCount && a.poolCount == b.poolCount;
}

// A fresh store with roots takes four blocks: name hash, one key block, one entry
// block, one pool. (Block counts are exact; byte counts are not, because the
// allocator may hand out a larger spare range.)
constexpr int kFreshStoreBlocks = 4;
int blocksInUse() { return memoryPoolStats().slotsInUse; }

class StoreSharingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    initMemoryPool();
    initSnapshotStores();
  }
  void TearDown() override {
    destroyStore(currentStore());
    destroyStore(baselineStore());
  }
  SnapshotStore& current() { return currentStore(); }
  SnapshotStore& baseline() { return baselineStore(); }

  // A small snapshot in the current store: HKLM\Software\{Alpha, Beta} with values.
  void fillCurrent() {
    software = addKey(current(), 3, kNoItem, "Software");
    alpha = addKey(current(), software, kNoItem, "Alpha");
    beta = addKey(current(), software, alpha, "Beta");
    value = addValue(current(), alpha, "Path");
    const char data[] = "C:\\Program Files";
    assignValueData(current(), value, reinterpret_cast<const uint8_t*>(data), sizeof data, kRegSz,
                    true);
  }

  ItemIndex software = kNoItem, alpha = kNoItem, beta = kNoItem, value = kNoItem;
};

TEST_F(StoreSharingTest, AdoptingSharesEveryBlockAndClearsTheTreeFlags) {
  fillCurrent();
  keyFlags(current(), alpha) = VIEW_KEY_OPEN | VIEW_IN_TREE | VIEW_HIT;
  valueFlags(current(), value) = VIEW_IN_TREE | VIEW_HIT;
  adoptCurrentAsBaseline();

  EXPECT_TRUE(storesShareBlocks(current(), baseline()));
  EXPECT_TRUE(sameCounts(current().counts, baseline().counts));
  EXPECT_EQ(baseline().nameHash, current().nameHash);
  EXPECT_EQ(baseline().entryBlocks[0], current().entryBlocks[0]);
  EXPECT_EQ(baseline().pools[0].base, current().pools[0].base);
  EXPECT_EQ(childNames(baseline(), software), (std::vector<std::string>{"Alpha", "Beta"}));
  EXPECT_EQ(keyFlags(baseline(), alpha), VIEW_HIT);
  EXPECT_EQ(valueFlags(baseline(), value), VIEW_HIT);
}

TEST_F(StoreSharingTest, ChangesThroughEitherStoreAreMirroredWhileSharing) {
  fillCurrent();
  adoptCurrentAsBaseline();

  const ItemIndex gamma = addKey(current(), software, beta, "Gamma");
  EXPECT_TRUE(sameCounts(current().counts, baseline().counts));
  EXPECT_EQ(childNames(baseline(), software), (std::vector<std::string>{"Alpha", "Beta", "Gamma"}));

  // New blocks and pools made through one store appear in the other.
  ItemIndex hint = gamma;
  for (int n = 0; n < kSlotsPerBlock; ++n) {
    char name[24];
    std::snprintf(name, sizeof name, "Key%05d", n);
    hint = addKey(current(), software, hint, name);
  }
  std::string longName(200000, 'x');
  addValue(current(), gamma, longName.c_str());
  addValue(current(), gamma, longName.c_str());
  ASSERT_EQ(current().counts.keyBlockCount, 2);
  EXPECT_EQ(baseline().keyBlocks[1], current().keyBlocks[1]);
  EXPECT_EQ(baseline().keyFlags[1], current().keyFlags[1]);
  EXPECT_EQ(baseline().keyTimes[1], current().keyTimes[1]);
  EXPECT_GE(current().counts.poolCount, 2);
  for (int p = 0; p < current().counts.poolCount; ++p) {
    EXPECT_EQ(baseline().pools[p].base, current().pools[p].base);
    EXPECT_EQ(baseline().pools[p].used, current().pools[p].used);
    EXPECT_EQ(baseline().pools[p].remaining, current().pools[p].remaining);
  }
  EXPECT_TRUE(sameCounts(current().counts, baseline().counts));

  // The other direction, including removals and free lists.
  removeKey(baseline(), gamma + 1);
  removeValue(baseline(), value);
  addValue(baseline(), beta, "Fresh");
  EXPECT_TRUE(sameCounts(current().counts, baseline().counts));
  for (int b = 0; b < current().counts.valueBlockCount; ++b) {
    EXPECT_EQ(baseline().valueBlocks[b], current().valueBlocks[b]);
  }
  for (int b = 0; b < current().counts.entryBlockCount; ++b) {
    EXPECT_EQ(baseline().entryBlocks[b], current().entryBlocks[b]);
  }
}

TEST_F(StoreSharingTest, ResettingTheSharingCurrentStoreKeepsTheBaselineIntact) {
  fillCurrent();
  adoptCurrentAsBaseline();
  const StoreCounts baselineCounts = baseline().counts;
  const MemoryPoolStats shared = memoryPoolStats();

  resetCurrentStore(true);
  EXPECT_FALSE(storesShareBlocks(current(), baseline()));
  // Nothing was freed: the new current store only added its own blocks.
  EXPECT_EQ(blocksInUse(), shared.slotsInUse + kFreshStoreBlocks);
  EXPECT_GT(memoryPoolStats().bytesInUse, shared.bytesInUse);
  EXPECT_TRUE(sameCounts(baseline().counts, baselineCounts));
  EXPECT_STREQ(keyName(baseline(), alpha), "Alpha");
  EXPECT_STREQ(valueName(baseline(), value), "Path");
  EXPECT_STREQ(entryText(baseline(), valueRecord(baseline(), value).data), "C:\\Program Files");
  EXPECT_EQ(childNames(baseline(), software), (std::vector<std::string>{"Alpha", "Beta"}));
  EXPECT_EQ(current().counts.keyCount, kRootKeyCount);

  // Changes to the new current store no longer reach the baseline.
  addKey(current(), 3, kNoItem, "Other");
  EXPECT_TRUE(sameCounts(baseline().counts, baselineCounts));

  // Adopting again frees the old baseline's blocks, now that it owns them.
  adoptCurrentAsBaseline();
  // (The old snapshot had a value block besides the four blocks of a fresh store.)
  EXPECT_EQ(blocksInUse(), shared.slotsInUse + kFreshStoreBlocks - (kFreshStoreBlocks + 1));
  EXPECT_TRUE(storesShareBlocks(current(), baseline()));
}

}  // namespace
