// Helpers for the snapshot file tests: a sample snapshot with every kind of record and
// the expected file bytes laid out from the format tables (independently of the
// writer). Once the written bytes follow the tables, a loaded snapshot is compared
// with its source by writing it again: every record, hash bucket and pool byte counts.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "engine/memory_pool.h"
#include "engine/snapshot_file.h"
#include "engine/snapshot_store.h"
#include "platform/memory/recording_messages.h"
#include "tests/engine/store_test_support.h"

namespace snapshot_file_test {

const char kLoadErrorCaption[] = "ファイル読み込みエラー";
const char kBaselineFailure[] = "基準ファイルを読み込むことが出来ませんでした。";
const char kComparisonFailure[] = "比較対象ファイルを読み込むことが出来ませんでした。";

using Bytes = std::vector<uint8_t>;

// ---- File bytes from the format tables ---------------------------------------------

class ImageBuilder {
 public:
  void u8(uint32_t v) { bytes.push_back(static_cast<uint8_t>(v)); }
  void u16(uint32_t v) {
    u8(v & 0xFF);
    u8((v >> 8) & 0xFF);
  }
  void u32(uint32_t v) {
    u16(v & 0xFFFF);
    u16(v >> 16);
  }
  void i32(int32_t v) { u32(static_cast<uint32_t>(v)); }
  void zeros(size_t n) { bytes.insert(bytes.end(), n, 0); }
  void raw(const void* data, size_t n) {
    const uint8_t* p = static_cast<const uint8_t*>(data);
    bytes.insert(bytes.end(), p, p + n);
  }
  Bytes bytes;
};

inline uint32_t readU32(const Bytes& b, size_t at) {
  return static_cast<uint32_t>(b[at]) | static_cast<uint32_t>(b[at + 1]) << 8 |
         static_cast<uint32_t>(b[at + 2]) << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}
inline void writeU32(Bytes& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + static_cast<size_t>(i)] = static_cast<uint8_t>(v >> (8 * i));
}
inline void writeU16(Bytes& b, size_t at, uint32_t v) {
  b[at] = static_cast<uint8_t>(v);
  b[at + 1] = static_cast<uint8_t>(v >> 8);
}

// Pool p of a file written by this program lies at 0x10000000 + p * 0x40000.
inline uint32_t expectedPoolAddress(int pool) {
  return 0x10000000u + static_cast<uint32_t>(pool) * 0x40000u;
}

// The snapshot file of `s` as the format tables describe it, field by field.
inline Bytes expectedImage(SnapshotStore& s, uint16_t kind, bool grouped) {
  ImageBuilder out;
  const StoreCounts& c = s.counts;
  const int32_t lastRemaining = c.poolCount > 0 ? s.pools[c.poolCount - 1].remaining : 0;
  out.u16(0x1201);
  out.u16(kind);
  out.i32(c.keyCount);
  out.i32(c.valueCount);
  out.i32(c.entryCount);
  out.i32(c.poolCount);
  out.i32(c.poolCount > 0 ? c.poolCount * 262144 - lastRemaining : 0);
  out.u32(0x19490706);
  out.i32(grouped ? 1 : 0);
  out.i32(c.keyFreeHead);
  out.i32(c.valueFreeHead);
  out.i32(c.entryFreeHead);
  out.zeros(60);
  EXPECT_EQ(out.bytes.size(), 104u);
  for (ItemIndex i = 0; i < c.keyCount; ++i) {
    const KeyRecord& k = keyRecord(s, i);
    out.u8(k.depth);
    out.u8(k.state);
    out.u8(k.summary);
    out.u8(k.savedState);
    for (int32_t field : {k.parent, k.prevSibling, k.nextSibling, k.firstChild, k.firstValue,
                          k.name, k.childCount, k.valueCount, k.itemCount, k.byteCount}) {
      out.i32(field);
    }
    out.u32(0);  // tree item
  }
  for (ItemIndex i = 0; i < c.valueCount; ++i) {
    const ValueRecord& v = valueRecord(s, i);
    out.u8(v.flags);
    out.u8(v.state);
    out.u16(v.digest);
    out.i32(v.data);
    out.i32(v.next);
    out.i32(v.name);
    out.u32(0);
  }
  for (int b = 0; b < kNameHashBuckets; ++b) out.i32(s.nameHash[b]);
  for (ItemIndex i = 0; i < c.entryCount; ++i) {
    const DataEntry& e = dataEntry(s, i);
    const int kindBits = e.kindAndPoolHigh & 0x0F;
    const int pool = ((e.kindAndPoolHigh >> 5) << 8) | e.poolLow;
    out.u8(static_cast<uint32_t>(kindBits | ((pool >> 8) << 5)));
    out.u8(static_cast<uint32_t>(pool & 0xFF));
    out.u16(e.hashOrType);
    out.i32(e.chainOrLength);
    out.i32(e.owner);
    out.u32(expectedPoolAddress(pool) + e.text);
  }
  for (int p = 0; p < c.poolCount; ++p) {
    out.u32(expectedPoolAddress(p));
    out.u32(expectedPoolAddress(p) + static_cast<uint32_t>(262144 - s.pools[p].remaining));
    out.i32(s.pools[p].remaining);
  }
  for (int p = 0; p < c.poolCount; ++p) {
    const size_t n =
        p + 1 < c.poolCount ? 262144u : static_cast<size_t>(262144 - s.pools[p].remaining);
    out.raw(s.pools[p].base, n);
  }
  return out.bytes;
}

// Offsets of the sections of a current-layout image, from its header.
struct Sections {
  size_t keys, values, hash, entries, poolTable, poolData, end;
};

inline Sections sectionsOf(const Bytes& image) {
  Sections s;
  const uint32_t k = readU32(image, 4), v = readU32(image, 8), e = readU32(image, 12),
                 p = readU32(image, 16);
  s.keys = 104;
  s.values = s.keys + 48 * static_cast<size_t>(k);
  s.hash = s.values + 20 * static_cast<size_t>(v);
  s.entries = s.hash + 16384;
  s.poolTable = s.entries + 16 * static_cast<size_t>(e);
  s.poolData = s.poolTable + 12 * static_cast<size_t>(p);
  s.end = image.size();
  return s;
}

// ---- Writing and loading through memory --------------------------------------------

inline Bytes writeImage(SnapshotStore& store, int kind = SNAPSHOT_KIND_SNAPSHOT,
                        bool grouped = false) {
  std::ostringstream out(std::ios::binary);
  EXPECT_TRUE(writeSnapshotImage(out, store, kind, grouped));
  const std::string text = out.str();
  return Bytes(text.begin(), text.end());
}

inline SnapshotLoadResult loadBaseline(const Bytes& image,
                                       const SnapshotFileOptions& options = {}) {
  return loadBaselineImage(image.data(), image.size(), "C:\\data\\base.rsv", options);
}

inline SnapshotLoadResult loadComparison(const Bytes& image,
                                         const SnapshotFileOptions& options = {}) {
  return loadComparisonImage(image.data(), image.size(), "C:\\data\\other.rsv", options);
}

// ---- The sample snapshot -----------------------------------------------------------

class SnapshotFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    initMemoryPool();
    initSnapshotStores();
  }
  void TearDown() override { initSnapshotStores(); }

  SnapshotStore& current() { return currentStore(); }

  ItemIndex child(ItemIndex parent, const char* name, uint8_t state = STATE_NORMAL) {
    const ItemIndex key = addKey(current(), parent, keyRecord(current(), parent).firstChild, name);
    keyRecord(current(), key).state = state;
    keyRecord(current(), key).savedState = state >= STATE_CHANGED_BELOW ? state : 0;
    return key;
  }

  ItemIndex value(ItemIndex key, const char* name, uint32_t type, const std::string& data,
                  bool keep, uint8_t state = STATE_DATA) {
    const ItemIndex made = store_test::addValueWithData(current(), key, name, data, type, keep);
    valueRecord(current(), made).state = state;
    return made;
  }

  // A compared snapshot in the current store: keys in states 0-7 (a ghost subtree
  // among them), values in states 3 and 8-11, kept data of several types, digest-only
  // data, a grouping-free HKEY_CLASSES_ROOT, and one freed key, value and name on the
  // free lists. `bigData` adds three 128 KiB values, which spread the data over three
  // pools.
  void buildSample(bool bigData = false) {
    const ItemIndex classes = 0, config = 1, user = 2, machine = 3, users = 4;
    const ItemIndex txt = child(classes, ".txt");
    value(txt, "", kRegSz, std::string("txtfile\0", 8), true);
    child(classes, "txtfile");
    child(config, "Hidden", STATE_HIDDEN);
    child(users, "S-1-5-18", STATE_NOT_READ);
    const ItemIndex software = child(machine, "SOFTWARE", STATE_CHANGED_BELOW);
    const ItemIndex vendor = child(software, "Vendor", STATE_CHANGED_BELOW);
    value(vendor, "", kRegSz, std::string("default\0", 8), true);
    value(vendor, "Count", kRegDword, std::string("\x2a\0\0\0", 4), true, STATE_DATA_CHANGED);
    value(vendor, "Blob", 3, std::string(300, '\x5a'), false, STATE_VALUE_ADDED);
    value(vendor, "Gone", kRegSz, std::string("old\0", 4), true, STATE_VALUE_DELETED);
    value(vendor, "List", kRegMultiSz, std::string("a\0b\0\0", 5), true);
    const ItemIndex added = child(software, "Added", STATE_ADDED);
    value(added, "New", kRegExpandSz, std::string("%TEMP%\0", 7), true, STATE_VALUE_ADDED);
    const ItemIndex system = child(machine, "SYSTEM", STATE_NOT_CHECKED);
    value(system, "Skip", kRegDword, std::string("\1\0\0\0", 4), true, STATE_NOT_CHECKED);
    child(machine, "SAM", STATE_REFUSED);
    const ItemIndex ghost = child(user, "Deleted", STATE_DELETED);
    keyRecord(current(), ghost).itemCount = 1234;  // the baseline key it copies
    child(ghost, "Inner", STATE_DELETED);
    keyRecord(current(), user).summary |= SUM_AUTOCHECK_TARGET;
    if (bigData) {
      for (const char* name : {"Big1", "Big2", "Big3"}) {
        value(vendor, name, 3, std::string(kMaxKeptDataBytes, name[3]), true);
      }
    }
    // One freed record of each table, none of them index 0.
    const ItemIndex temp = child(machine, "Temp");
    const ItemIndex tempValue = value(vendor, "Tmp", kRegSz, std::string("x\0", 2), true);
    removeValue(current(), tempValue);
    removeKey(current(), temp);
    recomputeSizes(current(), 0);
    recomputeSummary(current(), kNoItem);
  }

  // After a refused load: the failure message last, the five empty roots, no baseline.
  void expectLoadFailurePath(bool baseline) {
    const auto& shown = messages_.recorder.shown;
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.back().text, baseline ? kBaselineFailure : kComparisonFailure);
    EXPECT_EQ(shown.back().caption, kLoadErrorCaption);
    EXPECT_EQ(current().counts.keyCount, kRootKeyCount);
    EXPECT_EQ(current().counts.valueCount, 0);
    for (ItemIndex root = 0; root < kRootKeyCount; ++root) {
      EXPECT_STREQ(keyName(current(), root), kRootKeyNames[root]);
      EXPECT_EQ(keyRecord(current(), root).firstChild, kNoItem);
    }
    if (baseline) {
      EXPECT_EQ(baselineStore().keyBlocks[0], nullptr);
    }
  }

  platform::ScopedMessages messages_;
};

}  // namespace snapshot_file_test
