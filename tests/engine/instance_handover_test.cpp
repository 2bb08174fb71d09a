// ソ is 83 5C: only real backslashes become slashes. Hand-overs of another shape
// (from any process) are refused.
#include "engine/instance_handover.h"

#include <gtest/gtest.h>

TEST(InstanceHandover, NameKeepsTrailBytesAndOddMessagesAreRefused) {
  EXPECT_EQ(singleInstanceName("\\\\pc\\ソ\\\x83"), "//pc/ソ/\x83");
  std::string path;
  for (const std::string& bad : {std::string("a"), std::string("a\0b\0", 4), std::string(1, '\0'),
                                 std::string(kHandedPathBytes, 'x') + '\0'}) {
    EXPECT_FALSE(readHandedFile(kHandedFileTag, bad.data(), bad.size(), path)) << bad.size();
  }
}
