// The faveList.txt and guide2kXp.txt shipped beside the program, read from the source
// tree as the program reads them.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "navigation/description_store.h"
#include "navigation/favourite_path.h"
#include "navigation/favourites_file.h"
#include "tests/navigation/navigation_test_support.h"

namespace {

const std::string kResources = std::string(KESTRIN_SOURCE_DIR) + "/resources/";

// The keys the shipped favourites name, as a Windows 10/11 installation has them (the
// user keys below every full user SID): each entry is a prefix number and a path.
const std::string kPrefixes[] = {
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\",
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\",
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\", "HKEY_LOCAL_MACHINE\\",
    "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\", "HKEY_CLASSES_ROOT\\"};
const std::pair<int, const char*> kWindowsKeys[] = {
    {0, "Run"}, {0, "RunOnce"}, {0, "Uninstall"}, {0, "Policies\\System"}, {0, "Shell Extensions\\Approved"},
    {0, "Explorer\\ShellIconOverlayIdentifiers"}, {1, "Run"}, {1, "Uninstall"}, {2, "Winlogon"},
    {2, "Image File Execution Options"}, {3, "SOFTWARE\\Policies\\Microsoft"},
    {3, "SYSTEM\\CurrentControlSet\\Services\\EventLog"},
    {3, "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment"}, {4, "Run"},
    {4, "Explorer\\FileExts"}, {5, "*\\shellex\\ContextMenuHandlers"},
    {5, "Directory\\shellex\\ContextMenuHandlers"}};
const char* const kUserKeys[] = {"Run", "Uninstall", "Policies\\Explorer"};

using ShippedFavourites = navigation_test::LayoutTest;

TEST_F(ShippedFavourites, EveryLineParsesAndEveryPathOpensAKey) {
  for (const auto& [prefix, path] : kWindowsKeys) key(kPrefixes[prefix] + path);
  for (const char* user : {navigation_test::kUser1, navigation_test::kUser2}) {
    for (const char* tail : kUserKeys) key(std::string(user) + "\\Software\\Microsoft\\Windows\\CurrentVersion\\" + tail);
    key(std::string(user) + "\\Environment");
  }
  groupClassInfo(store());
  FavouriteList list;
  ASSERT_TRUE(readFavouritesFile(kResources + kFavouritesFileName, &list));
  EXPECT_EQ(list.ignoredLines, 0);
  EXPECT_EQ(list.favouriteCount, kMaxFavourites);
  for (const FavouriteLine& line : list.lines) {
    if (line.separator) continue;
    const size_t opened = findFavouriteKeys(store(), line.keyPath.c_str()).size();
    // A pattern over the user SIDs opens the key of both users.
    const size_t expected = line.keyPath.find("HKEY_USERS\\\\\\s") == 0 ? 2 : 1;
    EXPECT_GE(opened, expected) << line.menuText << " " << line.keyPath;
  }
}

TEST(ShippedGuide, EveryLineIsAnEntryOrItsDescription) {
  const std::string path = kResources + kGuideFileNameNt;
  DescriptionLoadReport report;
  ASSERT_TRUE(loadDescriptions(path, &report));
  EXPECT_EQ(report.ignoredLines, 0);
  EXPECT_EQ(report.droppedEntries, 0);
  int described = 0;
  for (int32_t node = 0; node < descriptionNodeCount(); ++node) {
    const DescriptionNode& entry = descriptionNode(static_cast<uint16_t>(node));
    // Every described entry has text; no entry starts a sixth top level.
    if (entry.descPos != 0) described += !readDescriptionText(static_cast<uint16_t>(node)).empty();
    EXPECT_TRUE(entry.depth > 0 || node < kRootKeyCount) << descriptionNodeName(static_cast<uint16_t>(node));
  }
  EXPECT_GE(described, 150);
  releaseDescriptions();
  // Lines are comments, entries, descriptions or empty; each description line follows
  // an entry or another description line.
  std::ifstream in(path, std::ios::binary);
  std::string line;
  bool inEntry = false;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    ASSERT_FALSE(line.empty()) << number;
    ASSERT_EQ(line.back(), '\r') << number;
    const char first = line[0];
    EXPECT_TRUE(first != '\t' || inEntry) << number;
    if (first == '#') continue;
    EXPECT_TRUE(first == '\t' || first == '=' || line.compare(0, 5, "HKEY_") == 0) << number;
    inEntry = true;
  }
}

}  // namespace
