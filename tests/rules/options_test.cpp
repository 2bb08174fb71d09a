#include "rules/options.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/rules/rule_test_support.h"

namespace {

namespace fs = std::filesystem;

// options.dat laid out byte by byte, independently of the writer.
class OptionsImage {
 public:
  OptionsImage() : bytes_(444, 0) {
    put16(0, 0x1201);
    put16(2, 1);
  }
  OptionsImage& put16(size_t at, uint16_t v) {
    bytes_.at(at) = static_cast<uint8_t>(v & 0xFF);
    bytes_.at(at + 1) = static_cast<uint8_t>(v >> 8);
    return *this;
  }
  OptionsImage& put32(size_t at, uint32_t v) {
    for (size_t i = 0; i < 4; ++i) bytes_.at(at + i) = static_cast<uint8_t>(v >> (8 * i));
    return *this;
  }
  OptionsImage& entry(int index, int32_t v) { return put32(24 + 4 * static_cast<size_t>(index), static_cast<uint32_t>(v)); }
  OptionsImage& folder(const std::string& text) {
    std::memcpy(&bytes_.at(184), text.data(), text.size());
    return *this;
  }
  std::vector<uint8_t>& bytes() { return bytes_; }

 private:
  std::vector<uint8_t> bytes_;
};

ProgramOptions sampleOptions() {
  ProgramOptions o{};
  setOptionDefaults(o);
  for (int i = 0; i < kOptionCount; ++i) o.entries[i] += 100 + i;
  o.entries[OPT_NO_CLASS_INFO] = 0;  // so that entry 17 survives a reload
  o.windowMaximized = 1;
  o.windowX = -8;
  o.windowY = 100;
  o.windowWidth = 1280;
  o.windowHeight = 0x01020304;
  std::strcpy(o.dataFolder, "D:\\データ\\");
  return o;
}

bool sameOptions(const ProgramOptions& a, const ProgramOptions& b) {
  return std::memcmp(a.entries, b.entries, sizeof a.entries) == 0 && a.windowMaximized == b.windowMaximized &&
         a.windowX == b.windowX && a.windowY == b.windowY && a.windowWidth == b.windowWidth &&
         a.windowHeight == b.windowHeight && std::strcmp(a.dataFolder, b.dataFolder) == 0;
}

void writeBytes(const fs::path& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

TEST(OptionsFileLayout, WrittenImageMatchesTheRecordByteForByte) {
  ProgramOptions o = sampleOptions();
  o.entries[OPT_CHANGED_ONLY] = 1;
  o.entries[OPT_UNCHECKED_ONLY] = 1;
  uint8_t image[kOptionsFileBytes];
  std::memset(image, 0xEE, sizeof image);
  encodeOptionsFile(o, image);

  OptionsImage expected;
  expected.put16(4, 1).put32(8, 0xFFFFFFF8u).put32(12, 100).put32(16, 1280).put32(20, 0x01020304);
  for (int i = 0; i < kOptionCount; ++i) expected.entry(i, o.entries[i]);
  expected.entry(0, 0).entry(5, 0);  // the temporary filters are never kept
  expected.folder("D:\\データ\\");
  EXPECT_EQ(std::vector<uint8_t>(image, image + sizeof image), expected.bytes());
}

TEST(OptionsFileDecode, OldFileGetsTheThreeNumericSettings) {
  OptionsImage image;
  image.entry(openWarnRows, 0).entry(openLevelRows, 7).entry(OPT_AUTOCHECK_MINUTES, 3);
  ProgramOptions o{};
  ASSERT_TRUE(decodeOptionsFile(image.bytes().data(), image.bytes().size(), o));
  EXPECT_EQ(o.entries[openWarnRows], 1000);
  EXPECT_EQ(o.entries[openLevelRows], 200);
  EXPECT_EQ(o.entries[OPT_AUTOCHECK_MINUTES], 10);
}

TEST(OptionsFileDecode, UnusableImagesLeaveEverySettingAlone) {
  const ProgramOptions before = sampleOptions();
  auto rejected = [&before](const std::vector<uint8_t>& bytes, size_t size) {
    ProgramOptions o = before;
    bool taken = decodeOptionsFile(bytes.data(), size, o);
    return !taken && sameOptions(o, before);
  };
  OptionsImage good;
  good.entry(openWarnRows, 5);
  EXPECT_TRUE(rejected(good.bytes(), 443));
  EXPECT_TRUE(rejected(good.bytes(), 0));
  OptionsImage notInUse = good;
  notInUse.put16(2, 0);
  EXPECT_TRUE(rejected(notInUse.bytes(), 444));
  notInUse.put16(2, 2);
  EXPECT_TRUE(rejected(notInUse.bytes(), 444));
  OptionsImage otherVersion = good;
  otherVersion.put16(0, 0x1202);
  EXPECT_TRUE(rejected(otherVersion.bytes(), 444));
  ProgramOptions o = before;
  EXPECT_FALSE(decodeOptionsFile(nullptr, 444, o));
  // A longer file is taken: only its first 444 bytes count.
  std::vector<uint8_t> longer = good.bytes();
  longer.resize(1000, 0xFF);
  EXPECT_TRUE(decodeOptionsFile(longer.data(), longer.size(), o));
  EXPECT_EQ(o.entries[openWarnRows], 5);
}

class OptionsFileTest : public ::testing::Test {
 protected:
  std::vector<std::string> folderEntries() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder_)) names.push_back(entry.path().filename().string());
    return names;
  }

  rule_test::TempFolder temp_;
  const fs::path& folder_ = temp_.path;
  const fs::path path_ = folder_ / "options.dat";
};

TEST_F(OptionsFileTest, SavingReplacesTheOldFileAndATemporaryAndReadsBack) {
  writeBytes(path_, std::vector<uint8_t>(1000, 0x11));
  writeBytes(folder_ / "options.dat.tmp", std::vector<uint8_t>(10, 0x22));  // an earlier crash
  ProgramOptions saved = sampleOptions();
  saved.entries[OPT_CHANGED_ONLY] = 1;
  saved.entries[OPT_UNCHECKED_ONLY] = 1;
  ASSERT_TRUE(saveOptionsFile(path_.string(), saved));
  uint8_t image[kOptionsFileBytes];
  encodeOptionsFile(saved, image);
  EXPECT_EQ(rule_test::fileBytes(path_), std::vector<uint8_t>(image, image + sizeof image));
  EXPECT_EQ(folderEntries(), std::vector<std::string>{"options.dat"});  // no temporary left

  ProgramOptions loaded{};
  ASSERT_TRUE(loadOptionsFile(path_.string(), loaded));
  saved.entries[OPT_CHANGED_ONLY] = 0;
  saved.entries[OPT_UNCHECKED_ONLY] = 0;
  EXPECT_TRUE(sameOptions(loaded, saved));
}

#if defined(__linux__)
TEST_F(OptionsFileTest, FullDiskLeavesTheOldFile) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  std::vector<uint8_t> old(444, 0x44);
  writeBytes(path_, old);
  // Every write to /dev/full fails with "no space left on device".
  fs::create_symlink("/dev/full", folder_ / "options.dat.tmp");
  EXPECT_FALSE(saveOptionsFile(path_.string(), sampleOptions()));
  EXPECT_EQ(rule_test::fileBytes(path_), old);
  EXPECT_EQ(folderEntries(), std::vector<std::string>{"options.dat"});
}
#endif

}  // namespace
