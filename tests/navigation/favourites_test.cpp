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

// Each line as "/" for a separator, else "text|path".
std::vector<std::string> shown(const FavouriteList& list) {
  std::vector<std::string> out;
  for (const FavouriteLine& line : list.lines) out.push_back(line.separator ? "/" : line.menuText + "|" + line.keyPath);
  return out;
}

TEST(FavouritesFile, LineKinds) {
  const std::string text = std::string("# comment\r\n\r\n/\r\nRun\t \tHKEY_LOCAL_MACHINE\\Run  \r\n") +
                           "   \nA B C\n \tHKEY_USERS\n" + "/ignored text\nLast HKEY_X";
  const FavouriteList list = parseFavourites(text.data(), text.size());
  EXPECT_EQ(shown(list), (std::vector<std::string>{"/", "Run|HKEY_LOCAL_MACHINE\\Run", "A|B C",
                                                   "HKEY_USERS|HKEY_USERS", "/", "Last|HKEY_X"}));
  EXPECT_EQ(list.favouriteCount, 4);
  EXPECT_EQ(favouriteAt(list, 1)->keyPath, "B C");
  EXPECT_EQ(favouriteAt(list, 4), nullptr);
}

TEST(FavouritesFile, DamagedLinesAreIgnoredWhole) {
  const std::string longest = "T " + std::string(257, 'k');  // 259 bytes
  const std::string text = longest + "\r\n" + longest + "k\n" +
                           std::string("Nul\0Line x\n", 11) + std::string(5000, 'y') + "\nOk p";
  const FavouriteList list = parseFavourites(text.data(), text.size());
  EXPECT_EQ(shown(list), (std::vector<std::string>{"T|" + std::string(257, 'k'), "Ok|p"}));
  EXPECT_EQ(list.ignoredLines, 3);
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
  std::remove(path.c_str());
  EXPECT_FALSE(readFavouritesFile(path, &list));
  EXPECT_TRUE(list.lines.empty());
}

TEST(FavouritePath, Components) {
  const std::vector<FavouriteStep> steps = parseFavouritePath("A\\\\\\s\\B\\\\,C\\\\,\\\\*x\\D\\");
  ASSERT_EQ(steps.size(), 4u);
  EXPECT_EQ(steps[1][0].text, "\\s");
  EXPECT_TRUE(steps[1][0].pattern);
  ASSERT_EQ(steps[2].size(), 3u);
  EXPECT_EQ(steps[2][2].text, "\\*x");
  EXPECT_FALSE(steps[2][1].pattern);
  EXPECT_EQ(steps[3][0].text, "D");
  // A trail byte 0x5C (the second byte of "ソ") is no separator; long names are cut.
  EXPECT_EQ(parseFavouritePath("\x83\x5C\\b")[0][0].text, "\x83\x5C");
  EXPECT_EQ(parseFavouritePath(std::string(300, 'n').c_str())[0][0].text.size(), 254u);
}

using FavouriteWalk = navigation_test::LayoutTest;

TEST_F(FavouriteWalk, OpensEveryMatch) {
  const std::string u1 = kUser1, u2 = kUser2;
  const std::string u1Run = u1 + kRunTail, u2Run = u2 + kRunTail;
  struct Case {
    std::string path;
    std::vector<std::string> opened;
  } cases[] = {
      {"HKEY_USERS\\\\\\s\\Software", {u1 + "\\Software", u2 + "\\Software"}},
      {"hkey_users\\\\\\s\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\\\,RunOnce",
       {u1Run, u1Run + "Once", u2Run, u2Run + "Once"}},
      {"HKEY_USERS\\\\\\s_Classes", {u1 + "_Classes"}},
      {"HKEY_USERS\\S-1-5-\\\\*8\\\\,.DEFAULT", {"HKEY_USERS\\S-1-5-18", "HKEY_USERS\\.DEFAULT"}},
      {"HKEY_USERS\\\\\\x", {}},
      {"HKEY_USERS\\\\\\s\\Missing", {}},
      {"HKEY_LOCAL_MACHINE\\Nothing", {}},
      {"", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(paths(findFavouriteKeys(store(), c.path.c_str())), c.opened) << c.path;
}

TEST_F(FavouriteWalk, GroupingKeysArePassedThrough) {
  key("HKEY_CLASSES_ROOT\\.txt");
  key("HKEY_CLASSES_ROOT\\txtfile\\shell\\open");
  groupClassInfo(store());
  EXPECT_EQ(findFavouriteKeys(store(), "HKEY_CLASSES_ROOT\\txtfile\\shell").size(), 1u);
  EXPECT_EQ(findFavouriteKeys(store(), "HKEY_CLASSES_ROOT\\\\\\*file\\\\,.TXT").size(), 2u);
}

TEST_F(FavouriteWalk, StopsAtTheMatchLimit) {
  for (int i = 0; i < 1200; ++i) key("HKEY_CURRENT_USER\\k" + std::to_string(i));
  EXPECT_EQ(findFavouriteKeys(store(), "HKEY_CURRENT_USER\\\\\\*").size(), kMaxFavouriteMatches);
}

}  // namespace
