// The single-instance name and the hand-over message between two starts.
#include "engine/instance_handover.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The trail byte 0x5C of ソ (83 5C), 表 (95 5C) and 十 (8F 5C) is part of the
// character; only the backslashes between folders become slashes.
TEST(SingleInstanceName, TurnsOnlyRealBackslashesIntoSlashes) {
  ASSERT_EQ(std::string("ソ表十"), "\x83\x5C\x95\x5C\x8F\x5C");
  const struct {
    const char* path;
    const char* name;
  } cases[] = {
      {"C:\\Tools\\regKestrin.exe", "C:/Tools/regKestrin.exe"},
      {"C:\\ソ\\regKestrin.exe", "C:/ソ/regKestrin.exe"},
      {"C:\\表\\regKestrin.exe", "C:/表/regKestrin.exe"},
      {"C:\\十\\ソフト\\a.exe", "C:/十/ソフト/a.exe"},
      {"\\\\server\\共有\\a.exe", "//server/共有/a.exe"},
      {"ｱ\\b", "ｱ/b"},                          // a half-width kana is one byte
      {"C:\\d\\\x83", "C:/d/\x83"},              // a lone lead byte at the end
  };
  for (const auto& c : cases) EXPECT_EQ(singleInstanceName(c.path), c.name) << c.path;
  EXPECT_NE(singleInstanceName("C:\\ソ\\regKestrin.exe"), singleInstanceName("C:\\表\\regKestrin.exe"));
}

TEST(HandedFile, MessageReadsBackAsThePath) {
  for (const std::string& path : {std::string("C:\\表\\base.rsv"), std::string("a"),
                                 std::string(kHandedPathBytes - 1, 'x')}) {
    const std::string message = handedFileMessage(path);
    ASSERT_EQ(message.size(), path.size() + 1);
    std::string read;
    ASSERT_TRUE(readHandedFile(kHandedFileTag, message.data(), message.size(), read));
    EXPECT_EQ(read, path);
  }
  EXPECT_EQ(handedFileMessage(""), "");
  EXPECT_EQ(handedFileMessage(std::string(kHandedPathBytes, 'x')), "");
  EXPECT_EQ(handedFileMessage(std::string("a\0b", 3)), "");
}

// A message from another process may be anything: each wrong shape is refused and
// leaves the path untouched.
TEST(HandedFile, MessagesOfAnotherShapeAreRefused) {
  const std::string good = handedFileMessage("C:\\a.rsv");
  const std::string longest = std::string(kHandedPathBytes - 1, 'x') + '\0';
  const std::string tooLong = std::string(kHandedPathBytes, 'x') + '\0';
  const struct {
    uint32_t tag;
    std::string bytes;
    bool nullData;
    bool accepted;
  } cases[] = {
      {kHandedFileTag, good, false, true},
      {kHandedFileTag, longest, false, true},
      {kHandedFileTag + 1, good, false, false},
      {kHandedFileTag, good, true, false},
      {kHandedFileTag, std::string(1, '\0'), false, false},       // empty path
      {kHandedFileTag, "C:\\a.rsv", false, false},                 // no closing NUL
      {kHandedFileTag, std::string("C:\\a\0.rsv\0", 10), false, false},
      {kHandedFileTag, tooLong, false, false},
      {kHandedFileTag, "", false, false},
  };
  for (const auto& c : cases) {
    std::string path = "untouched";
    const bool accepted = readHandedFile(c.tag, c.nullData ? nullptr : c.bytes.data(),
                                         c.bytes.size(), path);
    EXPECT_EQ(accepted, c.accepted) << c.bytes.size();
    if (!accepted) {
      EXPECT_EQ(path, "untouched");
    }
  }
}

}  // namespace
