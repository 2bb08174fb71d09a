// The snapshot store itself: removing keys, the value digest, names and value data in
// the pools, and the instance hand-over name.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/instance_handover.h"
#include "engine/snapshot_store.h"
#include "tests/engine/store_test_support.h"

namespace {

using SnapshotStoreTest = store_test::StoreTest;

TEST_F(SnapshotStoreTest, RemovingKeysClearsTheirFlagsAndRefusesWhatWouldStrandRecords) {
  addRoots();
  const ItemIndex a = addKey(store(), 4, kNoItem, "a");
  const ItemIndex b = addKey(store(), 4, a, "b");
  keyFlags(store(), a) = VIEW_KEY_OPEN;
  EXPECT_EQ(removeKey(store(), a), b);
  EXPECT_EQ(keyFlags(store(), a), 0);

  // Refusals change nothing.
  EXPECT_EQ(removeKey(store(), a), kNoItem);  // already free
  EXPECT_EQ(removeKey(store(), 2), kNoItem);  // a root
  const ItemIndex child = addKey(store(), b, kNoItem, "child");
  EXPECT_EQ(removeKey(store(), b), kNoItem);  // still has a subkey
  const ItemIndex withValue = addKey(store(), 4, b, "e");
  addValue(store(), withValue, "v");
  EXPECT_EQ(removeKey(store(), withValue), kNoItem);  // still has a value
  keyRecord(store(), b).childCount = 0;               // parent records no children
  EXPECT_EQ(removeKey(store(), child), kNoItem);
  EXPECT_EQ(keyRecord(store(), b).firstChild, child);
  EXPECT_EQ(store_test::childNames(store(), 4), (std::vector<std::string>{"b", "e"}));
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
