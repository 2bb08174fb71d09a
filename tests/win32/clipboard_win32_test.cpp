// The clipboard seam on the system clipboard (run under Wine).
#include <gtest/gtest.h>

#include <string>

#include "platform/clipboard.h"

namespace {

TEST(Win32Clipboard, TextRoundTripsThroughTheSystemClipboard) {
  const std::string text = "HKEY_CURRENT_USER\\Software\\ケストリン\r\n二行目\r\n";
  ASSERT_TRUE(platform::copyTextToClipboard(text.c_str()));
  EXPECT_TRUE(platform::clipboardHasText());
  std::string read;
  ASSERT_TRUE(platform::readClipboardText(read));
  EXPECT_EQ(read, text);

  ASSERT_TRUE(platform::copyTextToClipboard(""));
  ASSERT_TRUE(platform::readClipboardText(read));
  EXPECT_EQ(read, "");
}

}  // namespace
