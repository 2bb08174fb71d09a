// Names and value data of the snapshot store: name order, hash, digest, effective
// length, data entries, the entry free list and the pools.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/snapshot_store.h"
#include "tests/engine/store_test_support.h"

namespace {

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

TEST(EffectiveLength, MultiStringEndsAtItsFirstEmptyString) {
  auto multi = [](const char* text, size_t length) {
    std::vector<uint8_t> bytes = bytesOf(text, length);
    return effectiveDataLength(bytes.data(), static_cast<uint32_t>(length), kRegMultiSz);
  };
  EXPECT_EQ(multi("a\0\0xyz", 6), 3u);
  EXPECT_EQ(multi("ab\0cd\0\0", 7), 7u);
  EXPECT_EQ(multi("ab\0cd\0\0\0\0", 9), 7u);
  EXPECT_EQ(multi("\0abc", 4), 1u);  // empty list
  EXPECT_EQ(multi("abc", 3), 3u);    // unterminated
  EXPECT_EQ(multi("ab\0cd", 5), 5u); // last string unterminated
  EXPECT_EQ(multi("a\0", 2), 2u);    // list end missing
  EXPECT_EQ(multi("a", 1), 1u);
  EXPECT_EQ(effectiveDataLength(nullptr, 0, kRegMultiSz), 0u);
  // Other types count whole.
  std::vector<uint8_t> bytes = bytesOf("a\0\0xyz", 6);
  EXPECT_EQ(effectiveDataLength(bytes.data(), 6, kRegSz), 6u);
  EXPECT_EQ(effectiveDataLength(bytes.data(), 6, 3), 6u);
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
  ASSERT_TRUE(record().flags & VF_DATA_KEPT);
  EXPECT_FALSE(record().flags & VF_DIGEST_ONLY);
  EXPECT_TRUE(record().flags & VF_LAST);  // list flags survive
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

}  // namespace
