// Snapshot files: the written bytes against the format tables, the key block
// boundary, the grouping option the loaders follow, the file-system side (replacing
// the target, display names, the round trip through both loaders), and files whose
// lists are out of name order.
#include "engine/snapshot_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/comparison.h"
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

class SnapshotFileGroupingTest : public SnapshotFileTest {
 protected:
  bool grouped(SnapshotStore& store) {
    return findChild(store, 0, "!.File Extensions", false) >= 0;
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
