// The snapshot store itself: removing keys, names and value data in
// the pools, the two program-wide stores sharing blocks, and the instance hand-over name.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "engine/instance_handover.h"
#include "engine/memory_pool.h"
#include "engine/snapshot_store.h"
#include "tests/engine/store_test_support.h"

namespace {

using store_test::childIndexes;
using store_test::childNames;
using Strings = std::vector<std::string>;

class SnapshotStoreTest : public store_test::StoreTest {};

TEST_F(SnapshotStoreTest, RemovingKeysRelinksSiblingsAndRefusesWhatWouldStrandRecords) {
  addRoots();
  std::vector<ItemIndex> k = addKeys(4, {"a", "b", "c", "d"});
  keyFlags(store(), k[0]) = VIEW_KEY_OPEN;
  EXPECT_EQ(removeKey(store(), k[1]), k[2]);
  EXPECT_EQ(removeKey(store(), k[3]), kNoItem);
  EXPECT_EQ(removeKey(store(), k[0]), k[2]);
  EXPECT_EQ(childIndexes(store(), 4), (std::vector<ItemIndex>{k[2]}));  // links: the model test
  EXPECT_EQ(keyFlags(store(), k[0]), 0);

  // Refusals change nothing.
  EXPECT_EQ(removeKey(store(), k[0]), kNoItem);  // already free
  EXPECT_EQ(removeKey(store(), 2), kNoItem);     // a root
  const ItemIndex child = addKey(store(), k[2], kNoItem, "child");
  EXPECT_EQ(removeKey(store(), k[2]), kNoItem);  // still has a subkey
  const ItemIndex withValue = addKey(store(), 4, k[2], "e");
  addValue(store(), withValue, "v");
  EXPECT_EQ(removeKey(store(), withValue), kNoItem);  // still has a value
  keyRecord(store(), k[2]).childCount = 0;            // parent records no children
  EXPECT_EQ(removeKey(store(), child), kNoItem);
  EXPECT_EQ(keyRecord(store(), k[2]).firstChild, child);
  EXPECT_EQ(childNames(store(), 4), (Strings{"c", "e"}));
}

// ---- Names and value data in the pools -------------------------------------------

std::vector<uint8_t> bytesOf(const char* text, size_t length) {
  return std::vector<uint8_t>(text, text + length);
}

TEST(ValueDigest, MatchesTheKnownVectors) {
  EXPECT_EQ(valueDigest16(reinterpret_cast<const uint8_t*>("abc"), 3), 0x1EE4);
  EXPECT_EQ(valueDigest16(reinterpret_cast<const uint8_t*>("123456789"), 9), 0xBEEF);
  EXPECT_EQ(valueDigest16(nullptr, 0), 0);
  const uint8_t zero = 0;
  EXPECT_EQ(valueDigest16(&zero, 1), 0);
}

using StoreNamesTest = store_test::StoreTest;

TEST_F(StoreNamesTest, NamesFillTheFirstPoolWithRoomAndDataStartsAtTheLastPool) {
  std::string big(200000, 'n');
  internName(store(), big.c_str(), big.size());
  std::string medium(70000, 'm');
  const ItemIndex inSecond = internName(store(), medium.c_str(), medium.size());
  EXPECT_EQ(entryPool(dataEntry(store(), inSecond)), 1);
  const ItemIndex small = internName(store(), "abc", 0);
  EXPECT_EQ(entryPool(dataEntry(store(), small)), 0);  // back-filled
  EXPECT_EQ(dataEntry(store(), small).text, 200001u);

  const uint8_t ten[10] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
  const ItemIndex data = storeValueData(store(), ten, sizeof ten, 3);
  EXPECT_EQ(entryPool(dataEntry(store(), data)), 1);  // pool 0 has room, but data goes last
  EXPECT_EQ(std::memcmp(entryText(store(), data), ten, sizeof ten), 0);
  EXPECT_EQ(entryText(store(), data)[10], 0);

  std::vector<uint8_t> large(kPoolBytes - 1, 0x5A);
  const ItemIndex whole = storeValueData(store(), large.data(), static_cast<uint32_t>(large.size()), 3);
  EXPECT_EQ(entryPool(dataEntry(store(), whole)), 2);  // with its 0 byte it fills a pool
  EXPECT_EQ(store().pools[2].remaining, 0);
  EXPECT_EQ(store().counts.poolCount, 3);
  // Data that cannot fit one pool is refused rather than chasing ever new pools.
  large.push_back(0);
  EXPECT_EQ(storeValueData(store(), large.data(), static_cast<uint32_t>(large.size()), 3), kNoItem);
  EXPECT_EQ(store().counts.poolCount, 3);
  for (int p = 0; p < store().counts.poolCount; ++p) {
    EXPECT_EQ(store().pools[p].used + store().pools[p].remaining, kPoolBytes);
  }
}

// Registry names are far shorter; only damaged input reaches the pool size.
TEST_F(StoreNamesTest, OverlongNamesAreCutToWhatOnePoolHolds) {
  addRoots();
  const std::string huge(kPoolBytes + 10, 'n');
  const ItemIndex key = addKey(store(), 3, kNoItem, huge.c_str());
  EXPECT_EQ(std::strlen(keyName(store(), key)), static_cast<size_t>(kPoolBytes) - 1);
  const ItemIndex entry = internName(store(), huge.c_str(), kPoolBytes);
  EXPECT_EQ(std::strlen(entryText(store(), entry)), static_cast<size_t>(kPoolBytes) - 1);
}

class ValueDataTest : public store_test::StoreTest {
 protected:
  void SetUp() override {
    StoreTest::SetUp();
    addRoots();
    key = addKey(store(), 3, kNoItem, "k");
    value = addValue(store(), key, "v");
  }
  void assign(const std::vector<uint8_t>& bytes, uint32_t type, bool keep) {
    assignValueData(store(), value, bytes.data(), static_cast<uint32_t>(bytes.size()), type, keep);
  }
  const ValueRecord& record() { return valueRecord(store(), value); }

  ItemIndex key = kNoItem;
  ItemIndex value = kNoItem;
};

TEST_F(ValueDataTest, MultiStringKeepsAndDigestsOnlyItsEffectiveBytes) {
  assign(bytesOf("a\0\0xyz", 6), kRegMultiSz, true);
  // Kept, and the list flags survive.
  ASSERT_EQ(record().flags & (VF_DATA_KEPT | VF_DIGEST_ONLY | VF_LAST), VF_DATA_KEPT | VF_LAST);
  EXPECT_EQ(valueType(record()), kRegMultiSz);
  EXPECT_EQ(valueDataLength(store(), value), 3);
  EXPECT_EQ(record().digest, valueDigest16(reinterpret_cast<const uint8_t*>("a\0\0"), 3));
  const DataEntry& entry = dataEntry(store(), record().data);
  EXPECT_EQ(entryKind(entry), ENTRY_DATA_MULTI);
  EXPECT_EQ(entry.owner, value);
  EXPECT_EQ(entry.hashOrType, kRegMultiSz);
  EXPECT_EQ(std::memcmp(entryText(store(), record().data), "a\0\0\0", 4), 0);

  assign(bytesOf("a\0\0xyz", 6), kRegMultiSz, false);
  EXPECT_EQ(record().flags & (VF_DATA_KEPT | VF_DIGEST_ONLY), VF_DIGEST_ONLY);
  EXPECT_EQ(record().data, 3);
  EXPECT_EQ(record().digest, valueDigest16(reinterpret_cast<const uint8_t*>("a\0\0"), 3));
}

TEST_F(ValueDataTest, DataUpTo128KiBIsKeptWholeAndEmptyDataNever) {
  std::vector<uint8_t> limit(kMaxKeptDataBytes, 0x11);
  assign(limit, 3, true);
  EXPECT_TRUE(record().flags & VF_DATA_KEPT);
  EXPECT_EQ(valueDataLength(store(), value), static_cast<int32_t>(kMaxKeptDataBytes));

  limit.push_back(0x22);
  assign(limit, 3, true);
  EXPECT_EQ(record().flags & (VF_DATA_KEPT | VF_DIGEST_ONLY), VF_DIGEST_ONLY);
  EXPECT_EQ(record().data, static_cast<int32_t>(kMaxKeptDataBytes + 1));
  EXPECT_EQ(valueDataLength(store(), value), static_cast<int32_t>(kMaxKeptDataBytes + 1));
  EXPECT_EQ(record().digest, valueDigest16(limit.data(), limit.size()));

  assign({}, kRegSz, true);
  EXPECT_EQ(record().flags & (VF_DATA_KEPT | VF_DIGEST_ONLY), VF_DIGEST_ONLY);
  EXPECT_EQ(record().data, 0);
  EXPECT_EQ(record().digest, 0);
  assignValueData(store(), value, nullptr, 5, kRegSz, true);  // no bytes: treated as empty
  EXPECT_EQ(record().data, 0);
}

// ---- The two program-wide stores sharing blocks -----------------------------------

bool sameCounts(const StoreCounts& a, const StoreCounts& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;  // ten int32_t fields, no padding
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

// ソ is 83 5C: only real backslashes become slashes. Hand-overs of another shape
// (from any process) are refused.

TEST(InstanceHandover, NameKeepsTrailBytesAndOddMessagesAreRefused) {
  EXPECT_EQ(singleInstanceName("\\\\pc\\ソ\\\x83"), "//pc/ソ/\x83");
  std::string path;
  for (const std::string& bad : {std::string("a"), std::string("a\0b\0", 4), std::string(1, '\0'),
                                 std::string(kHandedPathBytes, 'x') + '\0'}) {
    EXPECT_FALSE(readHandedFile(kHandedFileTag, bad.data(), bad.size(), path)) << bad.size();
  }
}
