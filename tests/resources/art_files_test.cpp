// The checked-in picture files that the resource script embeds: their sizes and
// formats must match what the shell asks of them (image lists cut strips by width,
// menu check marks must be monochrome), and the strips must hold distinct pictures.
#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "resources/command_tables.h"
#include "resources/tree_images.h"
#include "tests/resources/command_header.h"

namespace {

using resource_tests::readSourceFile;

uint32_t le32(const std::string& bytes, size_t at) {
  if (at + 4 > bytes.size()) return 0;
  return static_cast<uint32_t>(static_cast<unsigned char>(bytes[at])) |
         static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + 1])) << 8 |
         static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + 2])) << 16 |
         static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + 3])) << 24;
}

uint16_t le16(const std::string& bytes, size_t at) {
  if (at + 2 > bytes.size()) return 0;
  return static_cast<uint16_t>(static_cast<unsigned char>(bytes[at]) |
                               static_cast<unsigned char>(bytes[at + 1]) << 8);
}

// A palette BMP decoded into colour numbers, top row first.
struct PaletteBitmap {
  int width = 0;
  int height = 0;
  int bits = 0;
  std::vector<uint32_t> palette;  // 0x00RRGGBB
  std::vector<std::vector<int>> rows;

  uint32_t colour(int x, int y) const { return palette.at(rows.at(y).at(x)); }
};

// Fails the current test (and returns an empty bitmap) when the file is not a plain
// uncompressed bottom-up palette BMP.
PaletteBitmap readBitmap(const char* relative) {
  PaletteBitmap bmp;
  std::string bytes = readSourceFile(relative);
  EXPECT_GE(bytes.size(), 54u) << relative;
  if (bytes.size() < 54 || bytes.compare(0, 2, "BM") != 0) {
    ADD_FAILURE() << relative << " is not a BMP file";
    return bmp;
  }
  EXPECT_EQ(bytes.size(), le32(bytes, 2)) << "file size field";
  uint32_t pixelOffset = le32(bytes, 10);
  EXPECT_EQ(40u, le32(bytes, 14)) << "BITMAPINFOHEADER";
  int width = static_cast<int32_t>(le32(bytes, 18));
  int height = static_cast<int32_t>(le32(bytes, 22));
  int bits = le16(bytes, 28);
  EXPECT_EQ(0u, le32(bytes, 30)) << "uncompressed";
  uint32_t colours = le32(bytes, 46);
  if (colours == 0) colours = 1u << bits;
  if (width <= 0 || height <= 0 || (bits != 1 && bits != 4 && bits != 8) ||
      54 + 4 * colours > pixelOffset) {
    ADD_FAILURE() << relative << ": unexpected layout";
    return bmp;
  }
  for (uint32_t i = 0; i < colours; ++i) {
    uint32_t bgr = le32(bytes, 54 + 4 * i);
    bmp.palette.push_back(((bgr & 0xFF) << 16) | (bgr & 0xFF00) | ((bgr >> 16) & 0xFF));
  }
  size_t rowBytes = ((static_cast<size_t>(width) * bits + 31) / 32) * 4;
  if (pixelOffset + rowBytes * height > bytes.size()) {
    ADD_FAILURE() << relative << ": pixel data cut short";
    return bmp;
  }
  bmp.rows.resize(height);
  for (int y = 0; y < height; ++y) {
    size_t row = pixelOffset + rowBytes * (height - 1 - y);
    for (int x = 0; x < width; ++x) {
      size_t bit = static_cast<size_t>(x) * bits;
      int byte = static_cast<unsigned char>(bytes[row + bit / 8]);
      int shift = 8 - bits - static_cast<int>(bit % 8);
      int number = (byte >> shift) & ((1 << bits) - 1);
      EXPECT_LT(static_cast<uint32_t>(number), colours);
      bmp.rows[y].push_back(number);
    }
  }
  bmp.width = width;
  bmp.height = height;
  bmp.bits = bits;
  return bmp;
}

// The pixels of picture n of a strip, as colours.
std::vector<uint32_t> picture(const PaletteBitmap& strip, int n, int size) {
  std::vector<uint32_t> pixels;
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) pixels.push_back(strip.colour(n * size + x, y));
  }
  return pixels;
}

constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kMagenta = 0xFF00FF;
constexpr uint32_t kButtonFace = 0xC0C0C0;

TEST(ArtFilesTest, TreeStripHoldsFortyFivePicturesInStandardColours) {
  PaletteBitmap strip = readBitmap("resources/art/tree_images.bmp");
  ASSERT_EQ(kTreeImageSize * kTreeImageCount, strip.width);
  ASSERT_EQ(kTreeImageSize, strip.height);
  // A default-colour image list keeps 16 colours; the standard ones survive unchanged.
  EXPECT_EQ(4, strip.bits);
  const std::set<uint32_t> standard = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080,
                                       0x008080, 0xC0C0C0, 0x808080, 0xFF0000, 0x00FF00, 0xFFFF00,
                                       0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
  for (uint32_t colour : strip.palette) EXPECT_EQ(1u, standard.count(colour)) << std::hex << colour;
}

TEST(ArtFilesTest, TreeStripSetsDifferOnlyInTheirGround) {
  PaletteBitmap strip = readBitmap("resources/art/tree_images.bmp");
  ASSERT_EQ(kTreeImageSize * kTreeImageCount, strip.width);
  const int size = kTreeImageSize;
  std::set<std::vector<uint32_t>> distinct;
  for (int n = 0; n < kTreeBaseImageCount; ++n) {
    SCOPED_TRACE(n);
    std::vector<uint32_t> base = picture(strip, n, size);
    std::vector<uint32_t> hit = picture(strip, n + kTreeHitImageOffset, size);
    std::vector<uint32_t> below = picture(strip, n + kTreeHitBelowImageOffset, size);
    EXPECT_TRUE(distinct.insert(base).second) << "two states look the same";
    // The tree has no mask: the corners show the window's white, or the hit magenta.
    EXPECT_EQ(kWhite, base[0]);
    EXPECT_EQ(kMagenta, hit[0]);
    for (int i = 0; i < size * size; ++i) {
      int x = i % size;
      int y = i / size;
      bool border = x == 0 || y == 0 || x == size - 1 || y == size - 1;
      if (border) {
        EXPECT_EQ(kMagenta, below[i]) << "frame at " << x << "," << y;
      } else {
        EXPECT_EQ(base[i], below[i]) << x << "," << y;
      }
      // The hit set repaints only the ground.
      if (base[i] == kWhite) {
        EXPECT_TRUE(hit[i] == kMagenta || hit[i] == kWhite);
      } else {
        EXPECT_EQ(base[i], hit[i]) << x << "," << y;
      }
    }
  }
}

TEST(ArtFilesTest, ToolbarStripHoldsOneDistinctPicturePerImage) {
  PaletteBitmap strip = readBitmap("resources/art/toolbar.bmp");
  ASSERT_EQ(kToolbarImageSize * kToolbarImageCount, strip.width);
  ASSERT_EQ(kToolbarImageSize, strip.height);
  EXPECT_EQ(8, strip.bits);
  std::set<std::vector<uint32_t>> distinct;
  for (int n = 0; n < kToolbarImageCount; ++n) {
    SCOPED_TRACE(n);
    std::vector<uint32_t> pixels = picture(strip, n, kToolbarImageSize);
    // The corner is the button face the toolbar makes transparent.
    EXPECT_EQ(kButtonFace, pixels[0]);
    size_t drawn = 0;
    for (uint32_t colour : pixels) drawn += colour != kButtonFace;
    if (n == 8) continue;  // shown by no button
    EXPECT_GT(drawn, 20u) << "picture is (nearly) empty";
    EXPECT_TRUE(distinct.insert(pixels).second) << "two buttons look the same";
  }
}

TEST(ArtFilesTest, MenuMarksAreThirteenPixelMonochromeBitmaps) {
  for (const char* file : {"resources/art/menu_checked.bmp", "resources/art/menu_star.bmp"}) {
    SCOPED_TRACE(file);
    PaletteBitmap mark = readBitmap(file);
    EXPECT_EQ(13, mark.width);
    EXPECT_EQ(13, mark.height);
    EXPECT_EQ(1, mark.bits);
    ASSERT_EQ(2u, mark.palette.size());
    EXPECT_EQ(0x000000u, mark.palette[0]);
    EXPECT_EQ(0xFFFFFFu, mark.palette[1]);
  }
}

// ICONDIR entries: width and height of each image.
std::vector<std::pair<int, int>> iconSizes(const char* relative) {
  std::string bytes = readSourceFile(relative);
  std::vector<std::pair<int, int>> sizes;
  if (bytes.size() < 6 || le16(bytes, 0) != 0 || le16(bytes, 2) != 1) {
    ADD_FAILURE() << relative << " is not an icon file";
    return sizes;
  }
  int count = le16(bytes, 4);
  for (int i = 0; i < count; ++i) {
    size_t entry = 6 + 16 * static_cast<size_t>(i);
    if (entry + 16 > bytes.size()) break;
    uint32_t length = le32(bytes, entry + 8);
    uint32_t offset = le32(bytes, entry + 12);
    EXPECT_LE(static_cast<uint64_t>(offset) + length, bytes.size()) << relative;
    sizes.emplace_back(static_cast<unsigned char>(bytes[entry]),
                       static_cast<unsigned char>(bytes[entry + 1]));
  }
  return sizes;
}

TEST(ArtFilesTest, IconsHoldTheLargeAndSmallSizes) {
  using Sizes = std::vector<std::pair<int, int>>;
  EXPECT_EQ((Sizes{{32, 32}, {16, 16}}), iconSizes("resources/art/program.ico"));
  EXPECT_EQ((Sizes{{16, 16}}), iconSizes("resources/art/program_small.ico"));
}

}  // namespace
