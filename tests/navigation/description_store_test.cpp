// The guide file's store: reading (and damage), marking a snapshot's items through
// patterns, the text the description window shows, and the guide2kXp.txt shipped
// beside the program (read from the source tree).
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>

#include "navigation/description_store.h"
#include "tests/navigation/navigation_test_support.h"

namespace {

using namespace navigation_test;

class DescriptionTest : public LayoutTest {
 protected:
  void TearDown() override {
    releaseDescriptions();
    std::remove(path_.c_str());
    LayoutTest::TearDown();
  }
  DescriptionLoadReport load(const std::string& text) {
    DescriptionLoadReport report;
    std::ofstream(path_, std::ios::binary) << text;
    EXPECT_TRUE(loadDescriptions(path_, &report));
    return report;
  }
  std::string textOf(ItemIndex item) { return readDescriptionText(findDescriptionNode(store(), item)); }
  bool marked(ItemIndex k) { return (keyFlags(store(), k) & VIEW_HAS_DESCRIPTION) != 0; }
  bool markedValue(ItemIndex v) { return (valueFlags(store(), v) & VIEW_HAS_DESCRIPTION) != 0; }
  ItemIndex valueRef(ItemIndex v) { return v | static_cast<ItemIndex>(kValueItemBit); }
  // A name of this run's own: two test programs running at once must not share it.
  std::string path_ = ::testing::TempDir() + "guide_test_" +
                      std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()) + ".txt";
};

TEST_F(DescriptionTest, KeysValuesAndTheirText) {
  const std::string run = std::string("HKEY_USERS\\\\\\s") + kRunTail;
  load("# comment\r\n" + run + "\r\n=Shell\r\n\tStarted at sign-in.\r\n  Second line\r\n"
       "end\r\n\tnot read\r\n" + run + "\r\n=\r\n\tDefault value.\r\n"
       "HKEY_LOCAL_MACHINE\\SOFTWARE\r\n# between\r\n\tThe software key.\r\n"
       "hkey_local_machine\\software\\Empty\r\nHKEY_CURRENT_USER\\A\r\n=Shell\r\n\tfirst\r\n=shell\r\n\tsecond\r\n");
  const ItemIndex runKey1 = key(std::string(kUser1) + kRunTail), shell1 = value(runKey1, "SHELL");
  const ItemIndex shell2 = value(key(std::string(kUser2) + kRunTail), "Shell");
  const ItemIndex systemShell = value(key(std::string("HKEY_USERS\\S-1-5-18") + kRunTail), "Shell");
  const ItemIndex software = key("HKEY_LOCAL_MACHINE\\Software"), empty = key("HKEY_LOCAL_MACHINE\\Software\\Empty");
  const ItemIndex a = key("HKEY_CURRENT_USER\\A"), aShell = value(a, "shell");

  EXPECT_EQ(markDescribedItems(store()), 4);
  EXPECT_TRUE(markedValue(shell1) && markedValue(shell2) && marked(software));
  EXPECT_FALSE(markedValue(systemShell));  // S-1-5-18 has too few groups for a user SID
  EXPECT_FALSE(marked(runKey1));           // its line is followed by a value line
  EXPECT_FALSE(marked(empty) || marked(a));  // no description lines of their own
  EXPECT_EQ(textOf(valueRef(shell2)), " Started at sign-in.\r\n  Second line\r\n");
  EXPECT_EQ(textOf(software), " The software key.\r\n");
  EXPECT_EQ(textOf(valueRef(aShell)), " first\r\n");  // the first of two spellings
  EXPECT_EQ(findDescriptionNode(store(), runKey1), kNoDescriptionNode);
  releaseDescriptions();
  EXPECT_TRUE(markDescribedItems(store()) == 0 && !marked(software));
}

TEST_F(DescriptionTest, DamagedAndOversizedInput) {
  const DescriptionLoadReport report =
      load("=Orphan\n\tx\nHKEY_CURRENT_USER\\A\n\tkept\n\t" + std::string(300, 'z') + "\n\tafter\n" +
           std::string("HKEY_CURRENT_USER\\B\n\tb\0c\n\tafter\n", 32) + "HKEY_CURRENT_USER\\" + std::string(256, 'n') +
           "\n\tx\nHKEY_CURRENT_USER\\C\n\tlast line without break");
  EXPECT_EQ(report.ignoredLines, 4);
  EXPECT_EQ(textOf(key("HKEY_CURRENT_USER\\A")), " kept\r\n");
  EXPECT_EQ(findDescriptionNode(store(), key("HKEY_CURRENT_USER\\B")), kNoDescriptionNode);
  EXPECT_EQ(textOf(key("HKEY_CURRENT_USER\\C")), " last line without break\r\n");

  // A text over 4096 bytes is cut before the character that byte 4096 would split.
  std::string text = "HKEY_CURRENT_USER\\A", line = "\n\t";
  for (int i = 0; i < 61; ++i) line += "\x82\xA0";  // shown as 125 bytes with CR LF
  for (int i = 0; i < 40; ++i) text += line;
  load(text);
  const std::string shown = textOf(key("HKEY_CURRENT_USER\\A"));
  EXPECT_EQ(shown.size(), kMaxDescriptionBytes - 1);
  EXPECT_EQ(shown.substr(shown.size() - 2), "\x82\xA0");

  text.clear();
  for (int i = 0; i < 70000; ++i) text += "HKEY_CURRENT_USER\\k" + std::to_string(i) + "\n\td\n";
  EXPECT_GT(load(text).droppedEntries, 0);
  EXPECT_EQ(descriptionNodeCount(), kMaxDescriptionNodes);
  EXPECT_FALSE(loadDescriptions(path_ + ".none"));  // a missing file describes nothing
  EXPECT_EQ(markDescribedItems(store()), 0);
}

TEST(ShippedGuide, EveryLineIsAnEntryOrItsDescription) {
  const std::string path = std::string(KESTRIN_SOURCE_DIR) + "/resources/" + kGuideFileNameNt;
  DescriptionLoadReport report;
  ASSERT_TRUE(loadDescriptions(path, &report));
  EXPECT_EQ(report.ignoredLines + report.droppedEntries, 0);
  int described = 0;
  for (int32_t node = 0; node < descriptionNodeCount(); ++node) {
    const DescriptionNode& entry = descriptionNode(static_cast<uint16_t>(node));
    // Every described entry has text; no entry starts a sixth top level.
    if (entry.descPos != 0) described += !readDescriptionText(static_cast<uint16_t>(node)).empty();
    EXPECT_TRUE(entry.depth > 0 || node < kRootKeyCount) << descriptionNodeName(static_cast<uint16_t>(node));
  }
  EXPECT_GE(described, 150);
  releaseDescriptions();
  // Every line is a comment, an entry or a description line, and ends in CR LF.
  std::ifstream in(path, std::ios::binary);
  for (std::string line; std::getline(in, line);) {
    EXPECT_TRUE(line.size() > 1 && line.back() == '\r' && std::strchr("#\t=H", line[0])) << line;
  }
}

}  // namespace
