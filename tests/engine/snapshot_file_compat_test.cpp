// Files this program did not write: pool bases of a 32-bit process, headers without
// magic, the oldest 24-byte header, the version 0x1102 key layout and other versions,
// with the version questions of both loaders.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/snapshot_file.h"
#include "tests/engine/snapshot_file_test_support.h"

namespace snapshot_file_test {
namespace {

const char kOpenCaption[] = "基準ファイルを開く";
const char kOldVersionQuestion[] =
    "古いバージョンのプログラムで保存したファイルです。\n"
    "32ビット版と64ビット版の間では互換性が無いため、プログラムが異常終了する危険があります。\n"
    "それでも読み込みますか？";
const char kOtherVersionQuestion[] =
    "バージョンが異なるか、或いはビットサイズの異なるプログラムで保存したファイルです。\n"
    "プログラムが異常終了する危険がありますが、それでも読み込みますか？";
const char kComparisonQuestion[] =
    "バージョンの異なるプログラムで保存したファイルです。\n"
    "バージョンアップのお知らせで制限していなければ、読むことが出来ます。\n"
    "読み込みますか？";

// The image with pool p moved to bases[p]: every entry's text address and every
// pool cursor move with their pool, as in a file saved by another process.
Bytes rebase(const Bytes& image, const std::vector<uint32_t>& bases) {
  Bytes out = image;
  const Sections at = sectionsOf(image);
  const uint32_t entries = readU32(image, 12);
  const uint32_t pools = readU32(image, 16);
  EXPECT_EQ(bases.size(), pools);
  auto oldBase = [&](uint32_t pool) { return readU32(image, at.poolTable + 12 * pool); };
  for (uint32_t e = 0; e < entries; ++e) {
    const size_t record = at.entries + 16 * static_cast<size_t>(e);
    const uint32_t pool = static_cast<uint32_t>((image[record] >> 5) << 8 | image[record + 1]);
    writeU32(out, record + 12, readU32(image, record + 12) - oldBase(pool) + bases[pool]);
  }
  for (uint32_t p = 0; p < pools; ++p) {
    const size_t descriptor = at.poolTable + 12 * static_cast<size_t>(p);
    writeU32(out, descriptor, bases[p]);
    writeU32(out, descriptor + 4, readU32(image, descriptor + 4) - oldBase(p) + bases[p]);
  }
  return out;
}

// The image in the version 0x1102 layout: key records of 44 bytes whose child and
// value counts are 16 bits wide.
Bytes toVersion1102(const Bytes& image) {
  const Sections at = sectionsOf(image);
  Bytes out(image.begin(), image.begin() + static_cast<std::ptrdiff_t>(at.keys));
  writeU16(out, 0, 0x1102);
  for (size_t key = at.keys; key < at.values; key += 48) {
    out.insert(out.end(), image.begin() + static_cast<std::ptrdiff_t>(key),
               image.begin() + static_cast<std::ptrdiff_t>(key + 28));
    for (size_t count : {key + 28, key + 32}) {
      const uint32_t wide = readU32(image, count);
      EXPECT_LT(wide, 0x10000u);
      out.push_back(static_cast<uint8_t>(wide));
      out.push_back(static_cast<uint8_t>(wide >> 8));
    }
    out.insert(out.end(), image.begin() + static_cast<std::ptrdiff_t>(key + 36),
               image.begin() + static_cast<std::ptrdiff_t>(key + 48));
  }
  out.insert(out.end(), image.begin() + static_cast<std::ptrdiff_t>(at.values), image.end());
  return out;
}

class SnapshotFileCompatTest : public SnapshotFileTest {
 protected:
  void SetUp() override {
    SnapshotFileTest::SetUp();
    buildSample(true);
    image_ = writeImage(current());
  }

  const std::vector<platform::ShownMessage>& shown() { return messages_.recorder.shown; }
  // The sample as a file without free lists writes it: the freed records stay unused.
  Bytes withoutFreeLists() {
    Bytes image = image_;
    for (size_t head : {0x20, 0x24, 0x28}) writeU32(image, head, static_cast<uint32_t>(kNoItem));
    return image;
  }

  Bytes image_;
};

TEST_F(SnapshotFileCompatTest, PoolBasesOfAnotherProcessAreRelocated) {
  // Descending, unaligned and high (3 GiB user space) bases, one so high that the
  // texts of its pool wrap around 2^32.
  const std::vector<std::vector<uint32_t>> layouts = {
      {0x7FFE0000u, 0x00A40010u, 0x00010000u},
      {0xBFF00000u, 0xFFFF0000u, 0x02000001u},
  };
  for (const std::vector<uint32_t>& bases : layouts) {
    const Bytes foreign = rebase(image_, bases);
    ASSERT_FALSE(foreign == image_);
    ASSERT_TRUE(loadBaseline(foreign).loaded);
    EXPECT_TRUE(writeImage(baselineStore()) == image_) << "saved again under this program's bases";
    ASSERT_TRUE(loadComparison(foreign).loaded);
    EXPECT_TRUE(writeImage(current()) == image_);
  }
  EXPECT_TRUE(shown().empty());
}

TEST_F(SnapshotFileCompatTest, WithoutMagicTheGroupingFlagAndFreeListsAreZero) {
  // Saved with the grouping flag set although the store is not grouped: with the
  // magic the flag is believed (no regrouping), without it the flag counts as 0 and
  // the grouping option regroups.
  Bytes flagged = writeImage(current(), SNAPSHOT_KIND_SNAPSHOT, true);
  SnapshotFileOptions grouping;
  grouping.classInfoGrouping = true;
  ASSERT_TRUE(loadBaseline(flagged, grouping).loaded);
  EXPECT_LT(findChild(current(), 0, "!.File Extensions", false), 0);

  writeU32(flagged, 0x18, 0);
  ASSERT_TRUE(loadBaseline(flagged, grouping).loaded);
  EXPECT_GE(findChild(current(), 0, "!.File Extensions", false), 0);

  ASSERT_TRUE(loadBaseline(flagged).loaded);
  EXPECT_TRUE(writeImage(baselineStore()) == withoutFreeLists());
  // New records take new indexes.
  EXPECT_EQ(addKey(current(), 3, kNoItem, "New"), static_cast<ItemIndex>(readU32(image_, 4)));
  EXPECT_TRUE(shown().empty());
}

TEST_F(SnapshotFileCompatTest, TheOldest24ByteHeaderStartsTheRecordsAtOffset24) {
  Bytes oldest(image_.begin(), image_.begin() + 24);
  oldest.insert(oldest.end(), image_.begin() + 104, image_.end());
  writeU16(oldest, 2, 0);  // no kind word yet
  const SnapshotLoadResult result = loadBaseline(oldest);
  ASSERT_TRUE(result.loaded);
  EXPECT_EQ(result.kind, 0);
  EXPECT_FALSE(result.autoCheckOn);
  EXPECT_TRUE(writeImage(baselineStore()) == withoutFreeLists());
  EXPECT_TRUE(shown().empty());
}

// Version 0x1102 is widened to the current key layout, other versions are read with it;
// both loaders ask first, with their own question.
TEST_F(SnapshotFileCompatTest, OlderAndOtherVersionsAreReadByBothLoadersAfterTheQuestion) {
  Bytes other = image_;
  writeU16(other, 0, 0x1200);
  const Bytes old = toVersion1102(image_);
  ASSERT_EQ(old.size(), image_.size() - 4 * static_cast<size_t>(readU32(image_, 4)));
  for (const auto& [file, question] :
       {std::pair(old, kOldVersionQuestion), std::pair(other, kOtherVersionQuestion)}) {
    SCOPED_TRACE(question);
    for (bool baseline : {true, false}) {
      messages_.recorder.shown.clear();
      ASSERT_TRUE((baseline ? loadBaseline(file) : loadComparison(file)).loaded);
      ASSERT_EQ(shown().size(), 1u);
      EXPECT_EQ(shown()[0].text, baseline ? question : kComparisonQuestion);
      EXPECT_EQ(shown()[0].caption, kOpenCaption);
      EXPECT_EQ(shown()[0].flags & 0xF, platform::kMsgOkCancel);
      EXPECT_TRUE(writeImage(current()) == image_);
    }
  }
}

TEST_F(SnapshotFileCompatTest, CancelAtTheVersionQuestionLeavesTheFiveRoots) {
  ASSERT_TRUE(loadBaseline(image_).loaded);
  messages_.recorder.answers = {platform::kAnswerCancel};
  const SnapshotLoadResult result = loadBaseline(toVersion1102(image_));
  EXPECT_FALSE(result.loaded);
  EXPECT_FALSE(result.autoCheckOn);
  EXPECT_EQ(shown().size(), 2u);
  expectLoadFailurePath(true);
}

}  // namespace
}  // namespace snapshot_file_test
