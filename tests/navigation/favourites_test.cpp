// faveList.txt lines and the walk of a favourite's path through a snapshot.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "navigation/favourite_path.h"
#include "navigation/favourites_file.h"
#include "tests/navigation/navigation_test_support.h"

namespace {

using navigation_test::kRunTail;
using navigation_test::kUser1;
using navigation_test::kUser2;
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
  EXPECT_EQ(list.favouriteCount, kMaxFavourites);
  EXPECT_EQ(list.lines.size(), 40u);  // the separator after the 20th is not read
  EXPECT_EQ(favouriteAt(list, 19)->menuText, "F19");
  EXPECT_EQ(favouriteAt(list, 20), nullptr);
  std::remove(path.c_str());
  EXPECT_FALSE(readFavouritesFile(path, &list));
  EXPECT_TRUE(list.lines.empty());
}

using FavouriteWalk = navigation_test::LayoutTest;

TEST_F(FavouriteWalk, OpensEveryMatch) {
  const std::string u1 = kUser1, u2 = kUser2, u1Run = u1 + kRunTail, u2Run = u2 + kRunTail;
  // "ソ" (its trail byte is 0x5C) and a name of 254 bytes below it.
  addKey(store(), addKey(store(), 2, -1, "\x83\x5C"), -1, std::string(254, 'n').c_str());
  const struct {
    std::string path;
    Lines opened;
  } cases[] = {
      {"HKEY_USERS\\\\\\s\\Software", {u1 + "\\Software", u2 + "\\Software"}},
      {"hkey_users\\\\\\s\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\\\,RunOnce\\",
       {u1Run, u1Run + "Once", u2Run, u2Run + "Once"}},
      {"HKEY_USERS\\\\\\s_Classes", {u1 + "_Classes"}},
      {"HKEY_USERS\\S-1-5-\\\\*8\\\\,.DEFAULT", {"HKEY_USERS\\S-1-5-18", "HKEY_USERS\\.DEFAULT"}},
      {"HKEY_CURRENT_USER\\\x83\x5C\\" + std::string(300, 'n'),
       {"HKEY_CURRENT_USER\\\x83\x5C\\" + std::string(254, 'n')}},  // the name cut at 254 bytes
      {"HKEY_USERS\\\\\\x", {}},
      {"HKEY_USERS\\\\\\s\\Missing", {}},
      {"", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(paths(findFavouriteKeys(store(), c.path.c_str())), c.opened) << c.path;
  for (int i = 0; i < 1200; ++i) key("HKEY_CURRENT_CONFIG\\k" + std::to_string(i));
  EXPECT_EQ(findFavouriteKeys(store(), "HKEY_CURRENT_CONFIG\\\\\\*").size(), kMaxFavouriteMatches);
}

TEST_F(FavouriteWalk, GroupingKeysArePassedThrough) {
  key("HKEY_CLASSES_ROOT\\.txt");
  key("HKEY_CLASSES_ROOT\\txtfile\\shell\\open");
  groupClassInfo(store());
  EXPECT_EQ(findFavouriteKeys(store(), "HKEY_CLASSES_ROOT\\txtfile\\shell").size(), 1u);
  EXPECT_EQ(findFavouriteKeys(store(), "HKEY_CLASSES_ROOT\\\\\\*file\\\\,.TXT").size(), 2u);
}

}  // namespace
