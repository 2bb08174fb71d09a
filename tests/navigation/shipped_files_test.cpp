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

// The keys the shipped favourites name, as a Windows 10/11 installation has them; the
// user keys stand for every full user SID under HKEY_USERS.
const char* const kWindowsKeys[] = {
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run",
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce",
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall",
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System",
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved",
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ShellIconOverlayIdentifiers",
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Run",
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall",
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon",
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Image File Execution Options",
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Policies\\Microsoft",
    "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\EventLog",
    "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment",
    "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run",
    "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts",
    "HKEY_CLASSES_ROOT\\*\\shellex\\ContextMenuHandlers",
    "HKEY_CLASSES_ROOT\\Directory\\shellex\\ContextMenuHandlers",
};
const char* const kUserKeys[] = {
    "\\Software\\Microsoft\\Windows\\CurrentVersion\\Run",
    "\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall",
    "\\Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer",
    "\\Environment",
};

using ShippedFavourites = navigation_test::LayoutTest;

TEST_F(ShippedFavourites, EveryLineParsesAndEveryPathOpensAKey) {
  for (const char* path : kWindowsKeys) key(path);
  for (const char* tail : kUserKeys) {
    key(std::string(navigation_test::kUser1) + tail);
    key(std::string(navigation_test::kUser2) + tail);
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
    if (entry.descPos != 0) ++described;
    // Every described entry has text; no entry starts a sixth top level.
    if (entry.descPos != 0) EXPECT_FALSE(readDescriptionText(static_cast<uint16_t>(node)).empty());
    if (entry.depth == 0) EXPECT_LT(node, kRootKeyCount) << descriptionNodeName(static_cast<uint16_t>(node));
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
    if (first == '\t') EXPECT_TRUE(inEntry) << number;
    if (first == '#') continue;
    EXPECT_TRUE(first == '\t' || first == '=' || line.compare(0, 5, "HKEY_") == 0) << number;
    inEntry = true;
  }
}

}  // namespace
