// Snapshot files: the written bytes against the format tables, the key block
// boundary, round trips through both loaders, the options the loaders follow, and
// the file-system side (replacing the target, unopenable paths, display names), and
// files whose lists are out of name order.
#include "engine/snapshot_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/comparison.h"
#include "engine/store_walk.h"
#include "tests/engine/snapshot_file_test_support.h"

namespace snapshot_file_test {
namespace {

namespace fs = std::filesystem;

class SnapshotFileFormatTest : public SnapshotFileTest {};

TEST_F(SnapshotFileFormatTest, WrittenBytesFollowTheFormatTables) {
  for (bool bigData : {false, true}) {
    SCOPED_TRACE(bigData ? "three pools" : "one pool");
    initSnapshotStores();
    buildSample(bigData);
    const Bytes image = writeImage(current(), SNAPSHOT_KIND_AUTOCHECK, true);
    const Bytes expected = expectedImage(current(), SNAPSHOT_KIND_AUTOCHECK, true);
    ASSERT_EQ(image.size(), expected.size());
    EXPECT_TRUE(image == expected);

    // A few fields spelled out: version, kind, magic, grouping flag, the first
    // name (HKEY_CLASSES_ROOT) at the start of pool 0, the next one after its 0 byte.
    const Bytes head(image.begin(), image.begin() + 4);
    EXPECT_EQ(head, (Bytes{0x01, 0x12, 0x02, 0x00}));
    EXPECT_EQ(readU32(image, 0x18), 0x19490706u);
    EXPECT_EQ(readU32(image, 0x1C), 1u);
    const Sections at = sectionsOf(image);
    EXPECT_EQ(readU32(image, at.entries + 12), 0x10000000u);
    EXPECT_EQ(readU32(image, at.entries + 16 + 12), 0x10000000u + 18);
    EXPECT_EQ(readU32(image, at.poolTable), 0x10000000u);
    const int32_t pools = static_cast<int32_t>(readU32(image, 0x10));
    EXPECT_EQ(pools, bigData ? 3 : 1);
    EXPECT_EQ(at.end - at.poolData,
              static_cast<size_t>(pools - 1) * 262144 + (262144 - readU32(image, at.poolData - 4)));
  }
}

TEST_F(SnapshotFileFormatTest, KeyBlocksSplitAt4096Records) {
  for (int keys : {4096, 4097}) {
    SCOPED_TRACE(keys);
    initSnapshotStores();
    ItemIndex hint = kNoItem;
    char name[16];
    for (int i = kRootKeyCount; i < keys; ++i) {
      std::snprintf(name, sizeof name, "k%05d", i);
      hint = addKey(current(), 3, hint, name);
    }
    const Bytes image = writeImage(current());
    const Sections at = sectionsOf(image);
    EXPECT_EQ(at.values - at.keys, 48u * static_cast<size_t>(keys));

    ASSERT_TRUE(loadBaseline(image).loaded);
    SnapshotStore& base = baselineStore();
    EXPECT_EQ(base.counts.keyCount, keys);
    EXPECT_EQ(base.counts.keyBlockCount, keys == 4096 ? 1 : 2);
    EXPECT_NE(base.keyBlocks[0], nullptr);
    EXPECT_EQ(base.keyBlocks[1] != nullptr, keys == 4097);
    EXPECT_EQ(base.keyBlocks[2], nullptr);
    std::snprintf(name, sizeof name, "k%05d", keys - 1);
    EXPECT_STREQ(keyName(base, keys - 1), name);
    EXPECT_EQ(keyRecord(base, 3).childCount, keys - kRootKeyCount);
  }
}

TEST_F(SnapshotFileFormatTest, BaselineRoundTripKeepsEveryRecordAndSharesTheBlocks) {
  buildSample(true);
  const ItemIndex freeKey = current().counts.keyFreeHead;
  const ItemIndex freeValue = current().counts.valueFreeHead;
  const Bytes image = writeImage(current());

  const SnapshotLoadResult result = loadBaseline(image);
  ASSERT_TRUE(result.loaded);
  EXPECT_TRUE(messages_.recorder.shown.empty());
  EXPECT_EQ(result.kind, SNAPSHOT_KIND_SNAPSHOT);
  EXPECT_FALSE(result.autoCheckOn);
  EXPECT_EQ(result.displayName, "base.rsv");
  EXPECT_TRUE(storesShareBlocks(currentStore(), baselineStore()));
  for (int b = 0; b < baselineStore().counts.keyBlockCount; ++b) {
    EXPECT_EQ(baselineStore().keyTimes[b], nullptr) << "loaded blocks have no time table";
  }
  // A loaded snapshot is written back byte for byte.
  EXPECT_TRUE(writeImage(baselineStore()) == image);

  // The store goes on working on loaded blocks: the free lists are reused.
  EXPECT_EQ(addKey(current(), 3, kNoItem, "Later"), freeKey);
  EXPECT_EQ(keyLastWrite(current(), freeKey), 0u);
  EXPECT_EQ(addValue(current(), freeKey, "v"), freeValue);
}

TEST_F(SnapshotFileFormatTest, ReusedNameEntriesChainUpwardsAndStillLoad) {
  buildSample();
  // Free an early name entry, give its hash bucket a newer head, then let a name of
  // the same length reuse the early entry: its chain link points to a higher index.
  const ItemIndex early = findChild(current(), 0, "txtfile", false);
  const ItemIndex earlyName = keyRecord(current(), early).name;
  removeKey(current(), early);
  const char reuser[] = "abcdefg";  // as long as "txtfile"
  const uint32_t bucket = nameHash12(reuser, 7);
  std::string newer;
  for (int i = 0; newer.empty() && i < 1000000; ++i) {
    std::string candidate = "n";  // eight bytes: no freed entry fits it
    for (int digit = i, n = 0; n < 7; ++n, digit /= 26)
      candidate += static_cast<char>('a' + digit % 26);
    if (nameHash12(candidate.data(), candidate.size()) == bucket) newer = candidate;
  }
  ASSERT_FALSE(newer.empty());
  addKey(current(), 4, kNoItem, newer.c_str());
  const ItemIndex reused = keyRecord(current(), addKey(current(), 3, kNoItem, reuser)).name;
  ASSERT_EQ(reused, earlyName);
  ASSERT_GT(dataEntry(current(), reused).chainOrLength, reused);
  const Bytes image = writeImage(current());

  ASSERT_TRUE(loadBaseline(image).loaded);
  EXPECT_TRUE(writeImage(baselineStore()) == image);
  ASSERT_TRUE(loadComparison(image).loaded);
  EXPECT_TRUE(writeImage(current()) == image);
}

TEST_F(SnapshotFileFormatTest, ComparisonRoundTripLeavesTheBaselineAlone) {
  buildSample();
  const Bytes baselineImage = writeImage(current());
  ItemIndex extra = addKey(current(), 4, kNoItem, "Extra");
  addValue(current(), extra, "x");
  const Bytes comparisonImage = writeImage(current());

  ASSERT_TRUE(loadBaseline(baselineImage).loaded);
  const SnapshotLoadResult result = loadComparison(comparisonImage);
  ASSERT_TRUE(result.loaded);
  EXPECT_EQ(result.displayName, "other.rsv");
  EXPECT_FALSE(result.autoCheckOn);
  EXPECT_FALSE(storesShareBlocks(currentStore(), baselineStore()));
  EXPECT_TRUE(writeImage(currentStore()) == comparisonImage);
  EXPECT_TRUE(writeImage(baselineStore()) == baselineImage);
  for (ItemIndex v = 0; v < current().counts.valueCount; ++v) {
    EXPECT_EQ(baselineLink(current(), v), kNoItem);
  }
}

class SnapshotFileGroupingTest : public SnapshotFileTest {
 protected:
  bool grouped(SnapshotStore& store) {
    return findChild(store, 0, "!.File Extensions", false) >= 0;
  }
  size_t classesChildren(SnapshotStore& store) {
    size_t n = 0;
    store_walk::walkKeys(store, keyRecord(store, 0).firstChild, true, [&](ItemIndex) {
      ++n;
      return false;
    });
    return n;
  }
};

TEST_F(SnapshotFileGroupingTest, LoadersRegroupWhenTheFileDiffersFromTheOption) {
  buildSample();
  const Bytes flat = writeImage(current(), SNAPSHOT_KIND_SNAPSHOT, false);
  groupClassInfo(current());
  const Bytes groupedImage = writeImage(current(), SNAPSHOT_KIND_SNAPSHOT, true);

  SnapshotFileOptions groupingOn;
  groupingOn.classInfoGrouping = true;
  SnapshotFileOptions groupingOff;

  ASSERT_TRUE(loadBaseline(flat, groupingOn).loaded);
  EXPECT_TRUE(grouped(baselineStore()));
  EXPECT_TRUE(storesShareBlocks(currentStore(), baselineStore()));
  ASSERT_TRUE(loadBaseline(groupedImage, groupingOff).loaded);
  EXPECT_FALSE(grouped(current()));
  EXPECT_GE(findChild(current(), 0, ".txt", false), 0);
  ASSERT_TRUE(loadComparison(flat, groupingOn).loaded);
  EXPECT_TRUE(grouped(current()));
  ASSERT_TRUE(loadComparison(groupedImage, groupingOff).loaded);
  EXPECT_FALSE(grouped(current()));
  ASSERT_TRUE(loadComparison(groupedImage, groupingOn).loaded);
  EXPECT_TRUE(grouped(current()));
}

TEST_F(SnapshotFileGroupingTest, ClassInfoOffRegroupsWithoutDoublingTheGroups) {
  buildSample();
  groupClassInfo(current());
  const size_t groupedChildren = classesChildren(current());
  const Bytes image = writeImage(current(), SNAPSHOT_KIND_SNAPSHOT, true);
  SnapshotFileOptions options;
  options.classInfoGrouping = true;
  options.importClassInfo = false;
  ASSERT_TRUE(loadBaseline(image, options).loaded);
  EXPECT_EQ(classesChildren(current()), groupedChildren);
}

class SnapshotFilePathTest : public SnapshotFileTest {
 protected:
  void SetUp() override {
    SnapshotFileTest::SetUp();
    folder_ = fs::temp_directory_path() /
              ("kestrin_files_" + std::to_string(reinterpret_cast<uintptr_t>(this)));
    fs::create_directories(folder_);
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
    SnapshotFileTest::TearDown();
  }
  std::string path(const char* name) { return (folder_ / name).string(); }

  fs::path folder_;
};

TEST_F(SnapshotFilePathTest, SavingReplacesTheTargetAndLoadsBack) {
  const std::string target = path("snap.rsv");
  { std::ofstream(target, std::ios::binary) << "an older file"; }
  buildSample();
  const Bytes image = writeImage(current());
  ASSERT_TRUE(writeSnapshotFile(target.c_str(), SNAPSHOT_KIND_SNAPSHOT, {}));
  EXPECT_EQ(fs::file_size(target), image.size());
  EXPECT_FALSE(fs::exists(target + ".tmp"));

  EXPECT_EQ(loadBaselineFile(target.c_str(), {}).displayName, "snap.rsv");
  ASSERT_TRUE(loadComparisonFile(target.c_str(), {}).loaded);
  EXPECT_TRUE(writeImage(current()) == image);
}

TEST_F(SnapshotFilePathTest, FailedSavesAndMissingFilesChangeNothingVisible) {
  buildSample();
  EXPECT_FALSE(writeSnapshotFile(path("no\\such/folder/x.rsv").c_str(), 1, {}));
  EXPECT_FALSE(writeSnapshotFile(path("kind.rsv").c_str(), 3, {}));
  EXPECT_FALSE(fs::exists(path("kind.rsv")));

  ASSERT_TRUE(loadBaseline(writeImage(current())).loaded);
  const SnapshotLoadResult missing = loadBaselineFile(path("missing.rsv").c_str(), {});
  EXPECT_FALSE(missing.loaded);
  EXPECT_TRUE(messages_.recorder.shown.empty()) << "a file that cannot be opened is not reported";
  EXPECT_EQ(current().counts.keyCount, kRootKeyCount);
  EXPECT_EQ(baselineStore().keyBlocks[0], nullptr);
  EXPECT_FALSE(loadComparisonFile(path("missing.rsv").c_str(), {}).loaded);
  EXPECT_TRUE(messages_.recorder.shown.empty());
  EXPECT_EQ(current().counts.keyCount, kRootKeyCount);
}


// ア (83 41) and ヂ (83 61) differ only in a trail byte that looks like 'A' / 'a'.
class UnorderedFileTest : public SnapshotFileTest {
 protected:
  KeyRecord& rec(ItemIndex key) { return keyRecord(current(), key); }
  Bytes image(std::vector<const char*> names) {  // App's keys in this order
    initSnapshotStores();
    std::vector<ItemIndex> keys{child(2, "App")};
    for (const char* name : names) keys.push_back(child(keys[0], name));
    rec(keys[0]).firstChild = keys[1];
    for (size_t i = 1; i < keys.size(); ++i) {
      rec(keys[i]).prevSibling = i > 1 ? keys[i - 1] : kNoItem;
      rec(keys[i]).nextSibling = i + 1 < keys.size() ? keys[i + 1] : kNoItem;
    }
    return writeImage(current());
  }
};

TEST_F(UnorderedFileTest, LoadersSortTheListsSoTheComparisonMatchesByName) {
  const auto base = image({"\x83\x61", "zeta", "\x83\x41"}), other = image({"\x83\x41", "Zeta"});
  ASSERT_TRUE(loadBaseline(base).loaded);
  ASSERT_TRUE(loadComparison(other).loaded);
  compareStores(currentStore(), baselineStore(), -1, CompareOptions{});
  EXPECT_EQ(takeStatusCounts(current(), false).changes(), 1);
  const ItemIndex app = findChild(current(), 2, "App", false);
  EXPECT_EQ(rec(findChild(current(), app, "\x83\x61", false)).state, STATE_DELETED);
}

}  // namespace
}  // namespace snapshot_file_test
