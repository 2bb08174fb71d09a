// The .reg writer: escaping, every registry type in both encodings, long hex lists,
// and whole files for redo and undo of one comparison.
#include "text/reg_export.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "tests/text/listing_fixture.h"

namespace {

std::string sz(const char* text) { return std::string(text, std::strlen(text) + 1); }

struct QuoteCase {
  std::string in;
  std::string out;
};

TEST(RegQuoted, EscapesBackslashesAndQuotesButNotTrailBytes) {
  const QuoteCase cases[] = {
      {"plain", "\"plain\""},
      {"a\\b", "\"a\\\\b\""},
      {"say \"hi\"", "\"say \\\"hi\\\"\""},
      {"", "\"\""},
      // 表 and ソ end in 0x5C: the trail byte belongs to the character.
      {"表", "\"表\""},
      {"ソ\\", "\"ソ\\\\\""},
      {"C:\\表\\x", "\"C:\\\\表\\\\x\""},
      // A lone lead byte at the end is copied as it is.
      {"a\x95", "\"a\x95\""},
  };
  for (const QuoteCase& c : cases) EXPECT_EQ(regQuoted(c.in), c.out) << c.in;
}

struct SettingCase {
  const char* name;
  uint32_t type;
  std::string data;
  const char* regedit4;
  const char* unicode;
};

TEST(RegValueSetting, EveryTypeInBothEncodings) {
  const SettingCase cases[] = {
      {"v", 1, sz("abc"), "\"v\"=\"abc\"", "\"v\"=\"abc\""},
      {"", 1, sz("x"), "@=\"x\"", "@=\"x\""},
      // Text a quoted string cannot carry goes as hex(1).
      {"v", 1, std::string("ab"), "\"v\"=hex(1):61,62", "\"v\"=hex(1):61,00,62,00"},
      {"v", 1, sz("a\rb"), "\"v\"=hex(1):61,0d,62,00", "\"v\"=hex(1):61,00,0d,00,62,00,00,00"},
      {"v", 1, std::string("a\0b\0", 4), "\"v\"=hex(1):61,00,62,00",
       "\"v\"=hex(1):61,00,00,00,62,00,00,00"},
      {"v", 1, std::string(), "\"v\"=hex(1):", "\"v\"=hex(1):"},
      {"v", 2, sz("%p%"), "\"v\"=hex(2):25,70,25,00", "\"v\"=hex(2):25,00,70,00,25,00,00,00"},
      {"v", 2, sz("表"), "\"v\"=hex(2):95,5c,00", "\"v\"=hex(2):68,88,00,00"},
      {"v", 7, std::string("a\0b\0\0", 5), "\"v\"=hex(7):61,00,62,00,00",
       "\"v\"=hex(7):61,00,00,00,62,00,00,00,00,00"},
      {"v", 3, std::string("\x01\xff", 2), "\"v\"=hex:01,ff", "\"v\"=hex:01,ff"},
      {"v", 4, std::string("\x78\x56\x34\x12", 4), "\"v\"=dword:12345678",
       "\"v\"=dword:12345678"},
      {"v", 4, std::string("\x01\x02\x03", 3), "\"v\"=hex(4):01,02,03", "\"v\"=hex(4):01,02,03"},
      {"v", 5, std::string("\x12\x34\x56\x78", 4), "\"v\"=hex(5):12,34,56,78",
       "\"v\"=hex(5):12,34,56,78"},
      {"v", 11, std::string("\x01\0\0\0\0\0\0\x80", 8), "\"v\"=hex(b):01,00,00,00,00,00,00,80",
       "\"v\"=hex(b):01,00,00,00,00,00,00,80"},
      {"v", 0, std::string(), "\"v\"=hex(0):", "\"v\"=hex(0):"},
  };
  for (const SettingCase& c : cases) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(c.data.data());
    const auto length = static_cast<uint32_t>(c.data.size());
    EXPECT_EQ(regValueSetting(c.name, c.type, bytes, length, RegEncoding::kRegedit4), c.regedit4);
    EXPECT_EQ(regValueSetting(c.name, c.type, bytes, length, RegEncoding::kUnicode), c.unicode);
  }
  EXPECT_EQ(regValueDeletion(""), "@=-");
  EXPECT_EQ(regValueDeletion("a\"b"), "\"a\\\"b\"=-");
}

// Long lists are cut into lines of at most 80 characters; joined again they are the
// plain list of every byte.
TEST(RegValueSetting, LongHexListsContinueOnShortLines) {
  for (size_t size : {1u, 20u, 21u, 22u, 23u, 24u, 25u, 26u, 100u, 999u}) {
    std::string data;
    std::string plain = "\"a fairly long value name\"=hex:";
    for (size_t i = 0; i < size; ++i) {
      data += static_cast<char>(i * 7);
      char hex[4];
      std::snprintf(hex, sizeof hex, i + 1 < size ? "%02x," : "%02x",
                    static_cast<unsigned>((i * 7) & 0xFF));
      plain += hex;
    }
    const std::string text = regValueSetting(
        "a fairly long value name", 3, reinterpret_cast<const uint8_t*>(data.data()),
        static_cast<uint32_t>(size), RegEncoding::kRegedit4);
    std::string joined;
    for (size_t start = 0, end = 0; end != std::string::npos; start = end + 5) {
      end = text.find("\\\r\n  ", start);
      const std::string line = text.substr(start, end == std::string::npos ? end : end - start);
      EXPECT_LE(line.size() + (start > 0 ? 2 : 0) + (end != std::string::npos), 80u) << size;
      joined += line;
    }
    EXPECT_EQ(joined, plain) << size;
  }
}

class RegExportTest : public listing_test::ListingTest {
 protected:
  // A kept value, a deleted value, a changed one, an added one; a deleted key with a
  // subkey and an added key with a subkey.
  void buildChanges() {
    value(base(), kT + "\\Keep", "a", 1, sz("old"));
    value(base(), kT + "\\Keep", "b", 4, std::string("\x01\0\0\0", 4));
    value(base(), kT + "\\Keep", "same", 1, sz("s"));
    value(base(), kT + "\\Gone", "x", 1, sz("gx"));
    value(base(), kT + "\\Gone\\Deep", "", 3, std::string("\x01\x02", 2));
    value(cur(), kT + "\\Keep", "a", 1, sz("new"));
    value(cur(), kT + "\\Keep", "c", 1, sz("add"));
    value(cur(), kT + "\\Keep", "same", 1, sz("s"));
    value(cur(), kT + "\\New", "n", 2, sz("%p%"));
    key(cur(), kT + "\\New\\Kid");
    compare();
  }
  RegExportResult run(RegDirection direction, RegEncoding encoding = RegEncoding::kRegedit4) {
    RegExportOptions options;
    options.direction = direction;
    options.encoding = encoding;
    options.notExportableLabel = "digest only:";
    return exportRegChanges(cur(), base(), options);
  }
  const std::string kT = "HKEY_CURRENT_USER\\Software\\T";
};

TEST_F(RegExportTest, RedoAppliesTheChanges) {
  buildChanges();
  const RegExportResult result = run(RegDirection::kRedo);
  EXPECT_EQ(result.bytes,
            "REGEDIT4\r\n"
            "\r\n[-HKEY_CURRENT_USER\\Software\\T\\Gone]\r\n"
            "\r\n[HKEY_CURRENT_USER\\Software\\T\\Keep]\r\n"
            "\"a\"=\"new\"\r\n\"b\"=-\r\n\"c\"=\"add\"\r\n"
            "\r\n[HKEY_CURRENT_USER\\Software\\T\\New]\r\n"
            "\"n\"=hex(2):25,70,25,00\r\n"
            "\r\n[HKEY_CURRENT_USER\\Software\\T\\New\\Kid]\r\n");
  EXPECT_EQ(result.keyLines, 4);
  EXPECT_EQ(result.valueLines, 4);
  EXPECT_TRUE(result.notExported.empty());
}

TEST_F(RegExportTest, UndoRevertsThemFromTheBaseline) {
  buildChanges();
  const RegExportResult result = run(RegDirection::kUndo);
  EXPECT_EQ(result.bytes,
            "REGEDIT4\r\n"
            "\r\n[HKEY_CURRENT_USER\\Software\\T\\Gone]\r\n"
            "\"x\"=\"gx\"\r\n"
            "\r\n[HKEY_CURRENT_USER\\Software\\T\\Gone\\Deep]\r\n"
            "@=hex:01,02\r\n"
            "\r\n[HKEY_CURRENT_USER\\Software\\T\\Keep]\r\n"
            "\"a\"=\"old\"\r\n\"b\"=dword:00000001\r\n\"c\"=-\r\n"
            "\r\n[-HKEY_CURRENT_USER\\Software\\T\\New]\r\n");
}

TEST_F(RegExportTest, DigestOnlyDataAreNamedNotWritten) {
  value(base(), kT, "big", 3, std::string(40, 'a'), false);
  value(cur(), kT, "big", 3, std::string(40, 'b'), false);
  value(cur(), kT, "", 3, std::string(10, 'c'), false);
  compare();
  const RegExportResult result = run(RegDirection::kRedo);
  EXPECT_EQ(result.bytes,
            "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\T]\r\n"
            "; digest only: @\r\n; digest only: \"big\"\r\n");
  ASSERT_EQ(result.notExported.size(), 2u);
  EXPECT_EQ(result.notExported[0], kT + " : (標準)");
  EXPECT_EQ(result.notExported[1], kT + " : big");
  EXPECT_EQ(result.valueLines, 0);
  EXPECT_EQ(run(RegDirection::kUndo).notExported.size(), 1u);
}

}  // namespace
