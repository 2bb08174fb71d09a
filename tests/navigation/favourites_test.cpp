// faveList.txt lines, the walk of a favourite's path through a snapshot, and the file
// shipped beside the program (read from the source tree).
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "navigation/favourite_path.h"
#include "navigation/favourites_file.h"
#include "tests/navigation/navigation_test_support.h"

namespace {

using namespace navigation_test;
using Lines = std::vector<std::string>;

// Each line as "/" for a separator, else "text|path".
Lines shown(const std::string& text) {
  Lines out;
  for (const FavouriteLine& line : parseFavourites(text.data(), text.size()).lines) {
    out.push_back(line.separator ? "/" : line.menuText + "|" + line.keyPath);
  }
  return out;
}

TEST(FavouritesFile, LinesAndDamage) {
  EXPECT_EQ(shown("# c\r\n\r\n/\r\nRun\t \tHKEY_LOCAL_MACHINE\\Run  \r\n   \nA B C\n \tHKEY_USERS\n/x\nLast"),
            (Lines{"/", "Run|HKEY_LOCAL_MACHINE\\Run", "A|B C", "HKEY_USERS|HKEY_USERS", "/", "Last|"}));
  // Lines over 259 bytes and lines holding a 0 byte are left out whole.
  const std::string longest = "T " + std::string(257, 'k');
  EXPECT_EQ(shown(longest + "\r\n" + longest + "k\n" + std::string("N\0 x\n", 5) + std::string(5000, 'y') + "\nOk p"),
            (Lines{"T|" + std::string(257, 'k'), "Ok|p"}));
}

TEST(FavouritesFile, StopsAfterTwentyFavouritesAndReadsFromDisk) {
  std::string text;
  for (int i = 0; i < 25; ++i) text += "/\nF" + std::to_string(i) + " HKEY_USERS\n";
  const std::string path = ::testing::TempDir() + "faveList_test.txt";
  std::ofstream(path, std::ios::binary) << text;
  FavouriteList list;
  ASSERT_TRUE(readFavouritesFile(path, &list));
  // The separator after the 20th favourite is not read.
  EXPECT_EQ(list.lines.size() * 100 + list.favouriteCount, 4000u + kMaxFavourites);
  EXPECT_FALSE(std::remove(path.c_str()) || readFavouritesFile(path, &list) || !list.lines.empty());
}

using FavouriteWalk = LayoutTest;
TEST_F(FavouriteWalk, OpensEveryMatch) {
  const std::string u1 = kUser1, u2 = kUser2, u1Run = u1 + kRunTail, u2Run = u2 + kRunTail;
  // "ソ" (its trail byte is 0x5C) and a name of 254 bytes below it.
  addKey(store(), addKey(store(), 2, -1, "\x83\x5C"), -1, std::string(254, 'n').c_str());
  const struct { std::string path; Lines opened; } cases[] = {
      {"HKEY_USERS\\\\\\s\\Software", {u1 + "\\Software", u2 + "\\Software"}},
      {"hkey_users\\\\\\s\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\\\,RunOnce\\",
       {u1Run, u1Run + "Once", u2Run, u2Run + "Once"}},
      {"HKEY_USERS\\\\\\s_Classes", {u1 + "_Classes"}},
      {"HKEY_USERS\\S-1-5-\\\\*8\\\\,.DEFAULT", {"HKEY_USERS\\S-1-5-18", "HKEY_USERS\\.DEFAULT"}},
      {"HKEY_CURRENT_USER\\\x83\x5C\\" + std::string(300, 'n'),
       {"HKEY_CURRENT_USER\\\x83\x5C\\" + std::string(254, 'n')}},  // the name cut at 254 bytes
      {"HKEY_USERS\\\\\\x", {}},
      {"HKEY_USERS\\\\\\s\\Missing", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(paths(findFavouriteKeys(store(), c.path.c_str())), c.opened) << c.path;
  for (int i = 0; i < 1200; ++i) key("HKEY_CURRENT_CONFIG\\k" + std::to_string(i));
  EXPECT_EQ(findFavouriteKeys(store(), "HKEY_CURRENT_CONFIG\\\\\\*").size(), kMaxFavouriteMatches);
}

// The keys the shipped favourites name, as a Windows 10/11 installation has them: each
// entry is a prefix's number and a path.
const char kLayout[] =
    "0Run|0RunOnce|0Uninstall|0Policies\\System|0Shell Extensions\\Approved|1Run|1Uninstall|"
    "0Explorer\\ShellIconOverlayIdentifiers|2Winlogon|2Image File Execution Options|4Run|4Explorer\\FileExts|"
    "3SOFTWARE\\Policies\\Microsoft|3SYSTEM\\CurrentControlSet\\Services\\EventLog|"
    "3SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment|"
    "5*\\shellex\\ContextMenuHandlers|5Directory\\shellex\\ContextMenuHandlers|6Run|6Uninstall|"
    "6Policies\\Explorer|7Environment";
const std::string kPrefixes[] = {
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\",
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\",
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\", "HKEY_LOCAL_MACHINE\\",
    "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\", "HKEY_CLASSES_ROOT\\",
    "\\Software\\Microsoft\\Windows\\CurrentVersion\\", "\\"};  // 6 and 7 follow each user's key

TEST_F(FavouriteWalk, ShippedFileParsesAndEveryPathOpensAKey) {
  std::istringstream layout(kLayout);
  for (std::string e; std::getline(layout, e, '|');) {
    for (std::string user : {kUser1, kUser2}) key((e[0] < '6' ? "" : user) + kPrefixes[e[0] - '0'] + e.substr(1));
  }
  groupClassInfo(store());
  FavouriteList list;
  ASSERT_TRUE(readFavouritesFile(std::string(KESTRIN_SOURCE_DIR) + "/resources/" + kFavouritesFileName, &list));
  EXPECT_EQ(list.ignoredLines * 100 + list.favouriteCount, kMaxFavourites);
  for (const FavouriteLine& line : list.lines) {
    // A pattern over the user SIDs opens the key of both users.
    const size_t expected = line.separator ? 0 : line.keyPath.find("HKEY_USERS\\\\\\s") == 0 ? 2 : 1;
    EXPECT_GE(findFavouriteKeys(store(), line.keyPath.c_str()).size(), expected) << line.keyPath;
  }
}

}  // namespace
