#include "text/value_text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

std::vector<uint8_t> bytesOf(const std::string& text) { return std::vector<uint8_t>(text.begin(), text.end()); }

// Renders into a heap buffer of exactly `width` bytes, so the sanitizers catch any
// write past the width.
std::string shortForm(int width, const std::vector<uint8_t>& data, int kind) {
  std::unique_ptr<char[]> dest(new char[static_cast<size_t>(width)]);
  formatValueShort(dest.get(), width, data.data(), static_cast<int32_t>(data.size()), kind);
  return std::string(dest.get());
}

std::string hexPairs(int count, int first = 0) {
  static const char digits[] = "0123456789ABCDEF";
  std::string text;
  for (int i = 0; i < count; ++i) {
    int b = (first + i) & 0xFF;
    text += digits[b >> 4];
    text += digits[b & 15];
    text += ' ';
  }
  return text;
}

std::vector<uint8_t> counting(int count) {
  std::vector<uint8_t> data(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) data[static_cast<size_t>(i)] = static_cast<uint8_t>(i);
  return data;
}

TEST(ValueTypeNames, DisplayKindsAndStateNames) {
  EXPECT_EQ(valueKindOf(1), VALUE_KIND_TEXT);
  EXPECT_EQ(valueKindOf(2), VALUE_KIND_TEXT);
  EXPECT_EQ(valueKindOf(7), VALUE_KIND_MULTI_TEXT);
  EXPECT_EQ(valueKindOf(4), VALUE_KIND_NUMBER);
  EXPECT_EQ(valueKindOf(5), VALUE_KIND_BYTES);  // big-endian DWORD is shown as bytes
  EXPECT_EQ(valueKindOf(11), VALUE_KIND_BYTES);
  EXPECT_STREQ(itemStateName(0), "正常");
  EXPECT_STREQ(itemStateName(8), "Data");
  EXPECT_STREQ(itemStateName(11), "削除");
  EXPECT_STREQ(itemStateName(5), "\x81\x40\x81\x40");  // two full-width spaces in cp932
  EXPECT_STREQ(itemStateName(12), "");
  EXPECT_STREQ(itemStateName(-1), "");
}

TEST(FormatValueShort, EveryKindAtItsCuts) {
  const std::vector<uint8_t> list = bytesOf(std::string("abcdef\0ghijkl\0\0", 15));
  const std::vector<uint8_t> allBits = {0xFF, 0xFF, 0xFF, 0xFF};
  const struct {
    int width;
    std::vector<uint8_t> data;
    int kind;
    std::string shown;
  } cases[] = {
      // Registry text without its NUL, exactly as long as the width: it cannot be shown
      // whole in width - 1 characters.
      {30, bytesOf(std::string(30, 'x')), VALUE_KIND_TEXT, std::string(26, 'x') + "..."},
      // Shorter unterminated text is shown whole, and nothing after it is read.
      {30, bytesOf("abc"), VALUE_KIND_TEXT, "abc"},
      // Long data whose text ends early: the text ends at its NUL.
      {128, bytesOf(std::string("short\0", 6) + std::string(194, 'z')), VALUE_KIND_TEXT, "short"},
      {128, {}, VALUE_KIND_TEXT, ""},
      // Width 10: "abcdef" needs 6 + 5; it is cut to 10 - 4 bytes and "...".
      {10, list, VALUE_KIND_MULTI_TEXT, "abcdef..."},
      // Width 19: the second string needs 6 + 5 but only 12 remain.
      {19, list, VALUE_KIND_MULTI_TEXT, "abcdef ghijkl "},
      {18, list, VALUE_KIND_MULTI_TEXT, "abcdef ghijkl "},
      // Width 17: 10 remain for "ghijkl", below 6 + 5, so it is cut at 10 - 4 bytes (all
      // of it) and "..." follows.
      {17, list, VALUE_KIND_MULTI_TEXT, "abcdef ghijkl..."},
      {16, list, VALUE_KIND_MULTI_TEXT, "abcdef ghijk..."},
      // A last string without its NUL ends the list.
      {128, bytesOf(std::string("one\0two", 7)), VALUE_KIND_MULTI_TEXT, "one two "},
      {128, allBits, VALUE_KIND_NUMBER, "0xFFFFFFFF (-1)"},
      {128, {0x78, 0x56, 0x34, 0x12, 0x99}, VALUE_KIND_NUMBER, "0x12345678 (305419896)"},
      // Fewer than four bytes: the missing ones count as zero and are not read.
      {128, {0x34, 0x12}, VALUE_KIND_NUMBER, "0x00001234 (4660)"},
      {8, allBits, VALUE_KIND_NUMBER, "0xFFFFF"},
      {128, counting(42), VALUE_KIND_BYTES, hexPairs(42)},
      {128, counting(43), VALUE_KIND_BYTES, hexPairs(41) + "..."},
      {128, counting(300), VALUE_KIND_BYTES, hexPairs(41) + "..."},
      {128, {}, VALUE_KIND_BYTES, ""},
      // Unknown kind codes render as bytes.
      {128, {0xAB, 0x01}, 0, "AB 01 "},
      {128, {0xAB, 0x01}, 99, "AB 01 "},
      // Width 31 holds ten pairs in its 30 characters; width 30 holds only 29, so eight
      // pairs and the ellipsis.
      {31, counting(10), VALUE_KIND_BYTES, hexPairs(10)},
      {30, counting(10), VALUE_KIND_BYTES, hexPairs(8) + "..."},
      {3, {0xAB}, VALUE_KIND_BYTES, ".."},  // no room for a pair: the mark
  };
  for (const auto& c : cases) {
    EXPECT_EQ(shortForm(c.width, c.data, c.kind), c.shown) << "width " << c.width << " kind " << c.kind;
  }
}

TEST(FormatPrintable, OnlyPrintableAsciiSurvives) {
  const uint8_t source[] = {0x1F, 0x20, 'A', 0x7E, 0x7F, 0x80, 0x82, 0xA0, 0xFF};
  char dest[10];
  std::memset(dest, '#', sizeof dest);
  EXPECT_EQ(formatPrintable(dest, source, 9, '.'), 9);
  EXPECT_EQ(std::string(dest, 9), ". A~.....");
  EXPECT_EQ(dest[9], '#');  // no NUL written
}

TEST(MultiString, LengthStopsAtTheClosingDoubleNul) {
  const char list[] = "ab\0c\0\0garbage\0\0";
  std::vector<uint8_t> data(list, list + sizeof list - 1);
  const int32_t size = static_cast<int32_t>(data.size());
  EXPECT_EQ(multiStringLength(data.data(), size, kTypeMultiSz), 6);
  EXPECT_EQ(multiStringLength(data.data(), size, kTypeSz), size);
  EXPECT_EQ(multiStringLength(data.data(), 4, kTypeMultiSz), 4);  // never more than given
  const uint8_t empty[] = {0, 0, 'x'};
  EXPECT_EQ(multiStringLength(empty, 3, kTypeMultiSz), 1);
  const uint8_t unterminated[] = {'a', 0, 'b'};
  EXPECT_EQ(multiStringLength(unterminated, 3, kTypeMultiSz), 3);
  EXPECT_EQ(multiStringLength(unterminated, 0, kTypeMultiSz), 0);
  EXPECT_EQ(multiStringCount(data.data(), size), 2);
  EXPECT_EQ(multiStringCount(unterminated, 3), 2);
  EXPECT_EQ(multiStringCount(empty, 3), 0);
}

TEST(MultiString, LinesEachEndedByCrLf) {
  const char list[] = "ab\0c\0\0garbage\0\0";
  std::vector<uint8_t> data(list, list + sizeof list - 1);
  const int32_t size = static_cast<int32_t>(data.size());
  const size_t needed = multiStringLinesSize(data.data(), size);
  EXPECT_LE(needed, static_cast<size_t>(size + 2 * multiStringCount(data.data(), size) + 1));
  std::unique_ptr<char[]> dest(new char[needed]);
  char* end = multiStringToLines(dest.get(), data.data(), size);
  EXPECT_STREQ(dest.get(), "ab\r\nc\r\n");
  EXPECT_EQ(end, dest.get() + 7);
  EXPECT_EQ(needed, 8u);

  // An unterminated last string still fits its measured size.
  const uint8_t open[] = {'x', 'y'};
  std::unique_ptr<char[]> small(new char[multiStringLinesSize(open, 2)]);
  multiStringToLines(small.get(), open, 2);
  EXPECT_STREQ(small.get(), "xy\r\n");
}

TEST(HexDump10, LinesOfFiftyOneCharactersAndTheLeadByteAsSpace) {
  std::vector<uint8_t> data = counting(25);
  data[0] = 0x82;  // a Shift-JIS lead byte
  data[1] = 'A';
  std::vector<char> dest(hexDump10Size(25));
  formatHexDump10(dest.data(), data.data(), 25);
  std::string dump(dest.data());
  ASSERT_EQ(dump.size() + 1, dest.size());
  std::string first = dump.substr(0, 51);
  EXPECT_EQ(first, "    0: 82 41 02 03 04 05 06 07 08 09   " + std::string(" A        ") + "\r\n");
  EXPECT_EQ(dump.substr(51, 7), "   10: ");
  EXPECT_EQ(dump.substr(102), "   20: " + hexPairs(5, 20) + std::string(32 - 15, ' ') + "     \r\n");
}

TEST(HexDumps, MeasuredSizeIsExactForEveryLengthAndWideOffsets) {
  for (int32_t length : {0, 1, 9, 10, 11, 19, 20, 21, 99, 100, 100005, 200000}) {
    std::vector<uint8_t> data(static_cast<size_t>(length), 0x41);
    std::vector<char> dump10(hexDump10Size(length));
    formatHexDump10(dump10.data(), data.data(), length);
    EXPECT_EQ(std::strlen(dump10.data()) + 1, dump10.size()) << length;
    std::vector<char> dump20(hexDump20Size(length, VALUE_KIND_BYTES));
    formatHexDump20(dump20.data(), data.data(), length, VALUE_KIND_BYTES);
    EXPECT_EQ(std::strlen(dump20.data()) + 1, dump20.size()) << length;
  }
  // Offsets of six digits widen the offset field instead of overrunning the buffer.
  std::vector<uint8_t> data(100010, 0);
  std::vector<char> dump(hexDump10Size(100010));
  formatHexDump10(dump.data(), data.data(), 100010);
  EXPECT_NE(std::string(dump.data()).find("\r\n100000: 00 "), std::string::npos);
}

TEST(FormatGroupedNumber, ATooSmallBufferShowsMarksNotAnotherNumber) {
  char small[6];
  EXPECT_STREQ(formatGroupedNumber(small, sizeof small, 1234567, 3), "#####");
  EXPECT_STREQ(formatGroupedNumber(small, sizeof small, 12, 3), " 12");
}

TEST(RundllArgumentOffset, ProgramNameFormsAndOtherCommands) {
  const struct {
    const char* command;
    int32_t offset;
  } cases[] = {
      {"rundll32.exe shell32.dll,Control_RunDLL", 13},
      {"C:\\WINDOWS\\system32\\RUNDLL32.EXE  x.dll,Entry", 34},
      {"\"C:\\Program Files\\rundll32.exe\" a.dll,b", 32},
      // Quoted, but a '~' was seen: a space ends the name.
      {"\"C:\\PROGRA~1\\rundll32.exe a.dll,b", 26},
      {"rundll32", 8},  // the offset of the end
      {"rundll3", 0},
      {"notrundll32.exe x", 0},
      {"rundll32.exe.bak x", 0},
      {"C:\\rundll32\\app.exe x", 0},
      // The trail byte of "表" (0x95 0x5C) is not a folder separator.
      {"C:\\\x95\x5Crundll32.exe a.dll,b", 0},
  };
  for (const auto& c : cases) EXPECT_EQ(rundllArgumentOffset(c.command), c.offset) << c.command;
  EXPECT_EQ(rundllArgumentOffset(nullptr), 0);
}

TEST(FilePathLength, PathsAndWhereTheyEnd) {
  const struct {
    const char* text;
    int32_t length;
  } cases[] = {
      {"\"C:\\Program Files\\App\\app.exe\" /S", 30},  // up to the closing quote
      {"C:\\Program Files\\App\\app.exe /S", 28},
      {"C:\\a\\b.exe D:\\c", 10},  // a second drive path after a space
      {"C:\\a b\\c d.txt", 14},    // spaces are path characters
      {"\\\\server\\share\\f.txt", 20},
      {"c:file.txt", 10},
      {"app.exe", 0},  // no drive, no double backslash
      {"..\\x\\app.exe", 0},
      {"C:\\dir\\.hidden", 0},  // component starting with a dot
      {"C:\\dir\\\\file", 0},   // empty component
      {"C:\\", 0},
      {"C:\\a/b", 0},
      {"C:\\a:b", 0},
      {"C:\\a*b", 0},
      {"C:\\a|b", 0},
      // "ソ" is 0x83 0x5C: its trail byte is not a backslash.
      {"C:\\\x83\x5C\\b", 7},
      {"C:\\\xE0\x5C\\b", 7},  // the first lead byte of the upper range
      {"C:\\\x83\x7C.txt", 9},   // a trail byte that looks like '|'
      {"C:\\a \x81\x2F", 7},     // a lead byte takes any non-NUL byte after it
      {"C:\\a\x83", 5},           // a lead byte at the very end is a single byte
  };
  for (const auto& c : cases) EXPECT_EQ(filePathLength(c.text), c.length) << c.text;
  EXPECT_EQ(filePathLength(nullptr), 0);
}

TEST(FilePathLength, ComponentLengthLimit) {
  std::string ok = "C:\\" + std::string(215, 'a');
  EXPECT_EQ(filePathLength(ok.c_str()), static_cast<int32_t>(ok.size()));
  EXPECT_EQ(filePathLength((ok + "a").c_str()), 0);
  // Double-byte characters count two bytes each.
  std::string wide = "C:\\";
  for (int i = 0; i < 107; ++i) wide += "\x88\xA0";
  EXPECT_EQ(filePathLength((wide + "a").c_str()), static_cast<int32_t>(wide.size() + 1));
  EXPECT_EQ(filePathLength((wide + "\x88\xA0").c_str()), 0);
  // The limit is per component.
  std::string two = ok + "\\" + std::string(215, 'b');
  EXPECT_EQ(filePathLength(two.c_str()), static_cast<int32_t>(two.size()));
}

}  // namespace
