// Damaged snapshot files. Every damage ends either in the load-failure path (the
// messages, the five empty roots, an empty baseline) or in a snapshot that the store
// can use safely; never in a crash, a read outside the file or its pools, a loop, or
// an allocation the file cannot back.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "engine/memory_pool.h"
#include "engine/snapshot_file.h"
#include "fuzz/snapshot_file_exercise.h"
#include "tests/engine/snapshot_file_test_support.h"

namespace snapshot_file_test {
namespace {

const char kTooLarge[] = "読み込めない大きさのファイルです。";

enum class Side { kBaseline, kComparison };

class SnapshotFileCorruptionTest : public SnapshotFileTest {
 protected:
  void SetUp() override {
    SnapshotFileTest::SetUp();
    buildSample();
    image_ = writeImage(current());
    at_ = sectionsOf(image_);
  }

  // Loads `bad`; true when it was refused through the failure path, false when it
  // loaded into a snapshot that passed the exercise (or, with `lightly`, that reads
  // and saves cleanly: the fuzz targets run the whole exercise on every input).
  bool refused(const Bytes& bad, Side side, bool lightly = false) {
    messages_.recorder.shown.clear();
    const SnapshotLoadResult result =
        side == Side::kBaseline ? loadBaseline(bad) : loadComparison(bad);
    if (result.loaded) {
      if (lightly) {
        snapshot_exercise::readEverything(current());
        EXPECT_FALSE(snapshot_exercise::imageOf(current()).empty());
      } else {
        EXPECT_EQ(snapshot_exercise::exerciseLoadedSnapshot(current()), "");
      }
      return false;
    }
    expectLoadFailurePath(side == Side::kBaseline);
    return true;
  }

  // Key, value and entry records of the image by index, for editing.
  size_t keyField(ItemIndex key, size_t offset) const {
    return at_.keys + 48 * static_cast<size_t>(key) + offset;
  }
  size_t valueField(ItemIndex value, size_t offset) const {
    return at_.values + 20 * static_cast<size_t>(value) + offset;
  }
  size_t entryField(ItemIndex entry, size_t offset) const {
    return at_.entries + 16 * static_cast<size_t>(entry) + offset;
  }
  ItemIndex keyNamed(const char* path1, const char* path2 = nullptr) {
    ItemIndex key = findChild(current(), 3, path1, false);
    return path2 ? findChild(current(), key, path2, false) : key;
  }

  Bytes image_;
  Sections at_;
};

TEST_F(SnapshotFileCorruptionTest, TruncationAtEverySectionBoundaryIsRefused) {
  std::vector<size_t> cuts = {0, 1, 23, 24, 25, 103};
  for (size_t boundary :
       {at_.keys, at_.values, at_.hash, at_.entries, at_.poolTable, at_.poolData, at_.end}) {
    for (size_t cut : {boundary - 1, boundary, boundary + 1}) {
      if (cut < image_.size()) cuts.push_back(cut);
    }
  }
  for (size_t cut : cuts) {
    SCOPED_TRACE(cut);
    const Bytes cutImage(image_.begin(), image_.begin() + static_cast<std::ptrdiff_t>(cut));
    EXPECT_TRUE(refused(cutImage, Side::kBaseline));
    EXPECT_TRUE(refused(cutImage, Side::kComparison));
  }
}

TEST_F(SnapshotFileCorruptionTest, ByteFlipsInEverySectionEndInRefusalOrASoundSnapshot) {
  struct Range {
    const char* name;
    size_t begin, end, step;
    int refusals = 0, loads = 0;
  };
  std::vector<Range> ranges = {
      {"header", 0, at_.keys, 1},
      {"keys", at_.keys, at_.values, 1},
      {"values", at_.values, at_.hash, 1},
      {"name hash", at_.hash, at_.entries, 31},
      {"entries", at_.entries, at_.poolTable, 1},
      {"pool table", at_.poolTable, at_.poolData, 1},
      {"pool data", at_.poolData, at_.end, 1},
  };
  // One flip per byte; the mask and the loader change from byte to byte, so each
  // field sees low, high and whole-byte damage through both loaders. Every fourth
  // loaded snapshot goes through the whole exercise.
  const uint8_t masks[] = {0x01, 0x80, 0xFF, 0x10, 0x40};
  int run = 0;
  for (Range& range : ranges) {
    for (size_t at = range.begin; at < range.end; at += range.step, ++run) {
      const uint8_t mask = masks[run % 5];
      SCOPED_TRACE(std::string(range.name) + " byte " + std::to_string(at) + " mask " +
                   std::to_string(mask));
      Bytes bad = image_;
      bad[at] = static_cast<uint8_t>(bad[at] ^ mask);
      const bool wasRefused =
          refused(bad, run % 2 ? Side::kBaseline : Side::kComparison, run % 4 != 0);
      ++(wasRefused ? range.refusals : range.loads);
      if (::testing::Test::HasFailure()) return;
    }
  }
  for (const Range& range : ranges) {
    // Every section has bytes whose damage the checks must catch.
    EXPECT_GT(range.refusals, 0) << range.name;
  }
}

TEST_F(SnapshotFileCorruptionTest, BrokenLinksListsAndTextsAreRefused) {
  const ItemIndex software = keyNamed("SOFTWARE");
  const ItemIndex vendor = keyNamed("SOFTWARE", "Vendor");
  const ItemIndex added = keyNamed("SOFTWARE", "Added");
  const ItemIndex system = keyNamed("SYSTEM");
  const KeyRecord& vendorKey = keyRecord(current(), vendor);
  const ItemIndex firstValue = vendorKey.firstValue;
  const ItemIndex secondValue = valueRecord(current(), firstValue).next;
  const ItemIndex thirdValue = valueRecord(current(), secondValue).next;
  ASSERT_TRUE(valueRecord(current(), thirdValue).flags & VF_DATA_KEPT);
  std::vector<ItemIndex> digestOnly;
  for (ItemIndex v = 0; v < current().counts.valueCount; ++v) {
    if (valueRecord(current(), v).flags & VF_DIGEST_ONLY) digestOnly.push_back(v);
  }
  ASSERT_FALSE(digestOnly.empty());
  const ItemIndex freeEntry = current().counts.entryFreeHead;
  const ItemIndex lastOfAdded = keyRecord(current(), added).firstValue;
  const uint32_t used = 262144 - readU32(image_, at_.poolTable + 8);
  const ItemIndex vendorName = vendorKey.name;
  const ItemIndex keptData = valueRecord(current(), firstValue).data;
  const ItemIndex freeKey = current().counts.keyFreeHead;
  const ItemIndex freeValue = current().counts.valueFreeHead;
  ASSERT_GT(freeKey, 0);
  ASSERT_GT(freeValue, 0);
  ASSERT_TRUE(valueRecord(current(), firstValue).flags & VF_DATA_KEPT);
  const int bucket = dataEntry(current(), vendorName).hashOrType & 0xFFF;

  using Edit = std::function<void(Bytes&)>;
  auto i32 = [](size_t at, int32_t v) {
    return Edit([=](Bytes& b) { writeU32(b, at, static_cast<uint32_t>(v)); });
  };
  const std::vector<std::pair<const char*, Edit>> damages = {
      {"sibling list loops", i32(keyField(vendor, 12), added)},
      {"child list enters a root", i32(keyField(vendor, 16), 2)},
      {"child of another parent", i32(keyField(system, 16), vendor)},
      {"prevSibling disagrees", i32(keyField(vendor, 8), kNoItem)},
      {"root chain broken", i32(keyField(1, 12), 3)},
      {"childCount off by one", i32(keyField(software, 28), 3)},
      {"valueCount off by one", i32(keyField(vendor, 32), 4)},
      {"valueCount one beyond the list", i32(keyField(vendor, 32), vendorKey.valueCount + 1)},
      {"key index past the count", i32(keyField(vendor, 16), 4096)},
      {"value list loops", i32(valueField(secondValue, 8), firstValue)},
      {"value list without its last value", Edit([&](Bytes& b) {
         b[valueField(secondValue, 0)] = 0;
         writeU32(b, valueField(secondValue, 8), static_cast<uint32_t>(kNoItem));
       })},
      {"last value points at another key", i32(valueField(lastOfAdded, 8), vendor)},
      {"two values share one datum", i32(valueField(thirdValue, 4), keptData)},
      {"digest-only length negative", i32(valueField(digestOnly.front(), 4), -16)},
      {"kept data and digest only", Edit([&](Bytes& b) { b[valueField(firstValue, 0)] |= VF_DIGEST_ONLY; })},
      {"key name is a value name",
       i32(keyField(vendor, 24), valueRecord(current(), firstValue).name)},
      {"name owned by another key", i32(entryField(vendorName, 8), software)},
      {"state code unknown", Edit([&](Bytes& b) { b[keyField(vendor, 1)] = 12; })},
      {"saved state code unknown", Edit([&](Bytes& b) { b[keyField(vendor, 3)] = 12; })},
      {"pool number past the pool table",
       Edit([&](Bytes& b) { b[entryField(vendorName, 1)] = 1; })},
      {"text before its pool", i32(entryField(vendorName, 12), 0x0FFFFFFF)},
      {"text past the used bytes",
       i32(entryField(vendorName, 12), static_cast<int32_t>(0x10000000u + used))},
      {"text further past the used bytes",
       i32(entryField(vendorName, 12), static_cast<int32_t>(0x10000000u + used + 1))},
      {"datum reaching the used end without its 0 byte",
       i32(entryField(keptData, 4),
           static_cast<int32_t>(used - dataEntry(current(), keptData).text))},
      {"name without its 0 byte", Edit([&](Bytes& b) {
         for (size_t i = b.size() - 3; i < b.size(); ++i) b[i] = 'x';
         writeU32(b, entryField(vendorName, 12), 0x10000000u + used - 3);
       })},
      {"datum longer than its pool", i32(entryField(keptData, 4), 0x3FFFF)},
      {"datum without its 0 byte", Edit([&](Bytes& b) {
         const DataEntry& datum = dataEntry(current(), keptData);
         b[at_.poolData + datum.text + static_cast<uint32_t>(datum.chainOrLength)] = 'x';
       })},
      {"unknown entry kind", Edit([&](Bytes& b) {
         b[entryField(vendorName, 0)] =
             static_cast<uint8_t>((b[entryField(vendorName, 0)] & 0xF0) | 9);
       })},
      {"hash chain loops", i32(entryField(vendorName, 4), vendorName)},
      {"hash chain in the wrong bucket",
       i32(at_.hash + 4 * static_cast<size_t>((bucket + 1) & 0xFFF), vendorName)},
      {"names left off the hash chains", i32(at_.hash + 4 * static_cast<size_t>(bucket), kNoItem)},
      {"hash chain through a datum", i32(at_.hash + 4 * static_cast<size_t>(bucket), keptData)},
      {"key free list holds a live key", i32(0x20, software)},
      {"key free list loops", i32(keyField(freeKey, 12), freeKey)},
      {"value free list holds a live value", i32(0x24, firstValue)},
      {"entry free list holds a name", i32(0x28, vendorName)},
      {"free entry buffer past its pool", i32(entryField(freeEntry, 4), 0x40000)},
      {"pool remaining negative", i32(at_.poolTable + 8, -1)},
      {"pool remaining beyond a pool", i32(at_.poolTable + 8, 262145)},
      {"no roots", i32(4, 4)},
      // "HkEY_USErS": bytes 1 and 8 share a shift of the name hash, so flipping the
      // same bit in both keeps every hash check quiet; only the root check can tell.
      {"root named otherwise", Edit([](Bytes& b) {
         const std::string users("HKEY_USERS");
         const auto at = std::search(b.begin(), b.end(), users.begin(), users.end());
         ASSERT_NE(at, b.end());
         *(at + 1) ^= 0x20;
         *(at + 8) ^= 0x20;
       })},
      {"negative count", i32(8, -1)},
  };
  for (const auto& damage : damages) {
    SCOPED_TRACE(damage.first);
    Bytes bad = image_;
    damage.second(bad);
    ASSERT_FALSE(bad == image_);
    EXPECT_TRUE(refused(bad, Side::kBaseline));
    EXPECT_TRUE(refused(bad, Side::kComparison));
  }
}

TEST_F(SnapshotFileCorruptionTest, CountsBeyondTheBlockTablesAreTooLargeAndAllocateNothing) {
  const struct {
    size_t field;
    uint32_t value;
  } counts[] = {{4, 1024u * 4096 + 1}, {8, 1024u * 4096 + 1}, {12, 2048u * 4096 + 1}, {16, 1025}};
  for (const auto& count : counts) {
    SCOPED_TRACE(count.field);
    Bytes bad = image_;
    writeU32(bad, count.field, count.value);
    ASSERT_TRUE(refused(bad, Side::kBaseline));
    ASSERT_EQ(messages_.recorder.shown.size(), 2u);
    EXPECT_EQ(messages_.recorder.shown[0].text, kTooLarge);
    EXPECT_EQ(messages_.recorder.shown[0].caption, kLoadErrorCaption);
  }
  // Counts within the tables but beyond the file: refused before any block is made.
  // A 4,194,304-key file would need 200 MiB of key blocks: none may be made.
  refused(Bytes(image_.begin(), image_.begin() + 200), Side::kBaseline);
  const MemoryPoolStats before = memoryPoolStats();
  for (size_t field : {size_t{4}, size_t{8}, size_t{12}, size_t{16}}) {
    Bytes bad = image_;
    writeU32(bad, field, field == 16 ? 1024 : 1024u * 4096);
    EXPECT_TRUE(refused(bad, Side::kBaseline));
    ASSERT_EQ(messages_.recorder.shown.size(), 1u);
    EXPECT_EQ(memoryPoolStats().bytesInUse, before.bytesInUse);
    EXPECT_EQ(memoryPoolStats().regionsReserved, before.regionsReserved);
  }
}

TEST_F(SnapshotFileCorruptionTest, TreesDeeperThanAnyRegistryAreRefused) {
  for (int depth : {kMaxLoadedKeyDepth, kMaxLoadedKeyDepth + 1}) {
    SCOPED_TRACE(depth);
    initSnapshotStores();
    ItemIndex key = 3;
    for (int level = 0; level < depth; ++level) key = addKey(current(), key, kNoItem, "d");
    const Bytes deep = writeImage(current());
    EXPECT_EQ(refused(deep, Side::kBaseline), depth > kMaxLoadedKeyDepth);
  }
}

}  // namespace
}  // namespace snapshot_file_test
