// The search history: its update rules, search.dat byte by byte, and damaged links
// ending in an empty history.
#include "search/search_history.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

std::vector<std::string> texts(const SearchHistory& h) {
  std::vector<std::string> out;
  for (int slot : searchHistoryOrder(h)) out.push_back(h.slots[slot].text);
  return out;
}

bool isEmptyHistory(const SearchHistory& h) {
  if (h.head != -1 || h.freeHead != 0) return false;
  for (int i = 0; i < kSearchHistorySlots; ++i) {
    if (h.slots[i].next != (i < 19 ? i + 1 : -1) || h.slots[i].flags != SEARCH_SLOT_UNUSED) return false;
  }
  return true;
}

class SearchHistoryTest : public ::testing::Test {
 protected:
  void SetUp() override { resetSearchHistory(h); }
  SearchHistory h;
};

TEST_F(SearchHistoryTest, TwentyOneSearchesDropTheOldestAndReuseSlotsInPlace) {
  for (int i = 0; i < 21; ++i) addSearchHistory(h, -1, ("t" + std::to_string(i)).c_str(), 0x117);
  const std::vector<std::string> order = texts(h);
  ASSERT_EQ(order.size(), 20u);
  EXPECT_EQ(order.front(), "t20");
  EXPECT_EQ(order.back(), "t1");
  EXPECT_EQ(h.head, 0);  // t0's slot was reused for t20
  EXPECT_EQ(h.freeHead, -1);
}

TEST_F(SearchHistoryTest, ChosenEntryWithSameTextOnlyTakesTheNewFlags) {
  const int a = addSearchHistory(h, -1, "alpha", 0x117);
  addSearchHistory(h, -1, "beta", 0x117);
  h.dirty = false;
  EXPECT_EQ(addSearchHistory(h, a, "alpha", 0x017), a);
  EXPECT_EQ(texts(h), (std::vector<std::string>{"alpha", "beta"}));
  EXPECT_EQ(h.slots[a].flags, 0x017);
  EXPECT_TRUE(h.dirty);
  // The head again with the same flags: nothing to write.
  h.dirty = false;
  addSearchHistory(h, a, "alpha", 0x017);
  EXPECT_FALSE(h.dirty);
  // Text differing in letter case is a new entry.
  addSearchHistory(h, a, "ALPHA", 0x017);
  EXPECT_EQ(texts(h), (std::vector<std::string>{"ALPHA", "alpha", "beta"}));
}

TEST_F(SearchHistoryTest, ChoosingMovesToTheHeadAndMarksDirty) {
  const int a = addSearchHistory(h, -1, "a", 1);
  addSearchHistory(h, -1, "b", 1);
  h.dirty = false;
  EXPECT_TRUE(chooseSearchHistory(h, a));
  EXPECT_EQ(texts(h), (std::vector<std::string>{"a", "b"}));
  EXPECT_TRUE(h.dirty);
  EXPECT_FALSE(chooseSearchHistory(h, 7));  // a free slot
}

TEST_F(SearchHistoryTest, FileImageByteByByte) {
  const int slot = addSearchHistory(h, -1, "abc", 0x0117);
  std::vector<uint8_t> image;
  encodeSearchHistory(h, image);
  ASSERT_EQ(image.size(), 5216u);
  const std::vector<uint8_t> header = {0x01, 0x12, 1, 0, 20, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0};
  EXPECT_EQ(std::vector<uint8_t>(image.begin(), image.begin() + 16), header);
  EXPECT_EQ(slot, 0);
  const std::vector<uint8_t> slot0 = {0xFF, 0xFF, 0x17, 0x01, 'a', 'b', 'c', 0};
  EXPECT_EQ(std::vector<uint8_t>(image.begin() + 16, image.begin() + 24), slot0);
  for (int i = 1; i < 20; ++i) {
    const uint8_t* at = &image[16 + 260 * i];
    EXPECT_EQ(at[0] | (at[1] << 8), i < 19 ? i + 1 : 0xFFFF) << i;
    EXPECT_EQ(at[2] | (at[3] << 8), 0x1000) << i;
  }
  SearchHistory back;
  ASSERT_TRUE(decodeSearchHistory(back, image.data(), image.size()));
  std::vector<uint8_t> again;
  encodeSearchHistory(back, again);
  EXPECT_EQ(again, image);
}

// A slot on no list or on both, a loop, or a link or count out of range: refused whole
// (arbitrary bytes are the search_history fuzz target's part).
TEST_F(SearchHistoryTest, DamagedHeaderOrLinksGiveAnEmptyHistory) {
  addSearchHistory(h, -1, "x", 1);
  addSearchHistory(h, -1, "y", 1);
  std::vector<uint8_t> good;
  encodeSearchHistory(h, good);
  struct Damage { size_t offset; uint16_t word; };
  const Damage cases[] = {
      {2, 2},                 // format version
      {4, 21},                // record count
      {8, 20},                // history head out of range
      {12, 0},                // free head = the history's last slot: on both lists
      {16, 0},                // slot 0 links to itself: a loop
      {16 + 260, 0xFFFF},     // the head (slot 1) ends the history: slot 0 on no list
      {16 + 260 * 2, 0x7F},   // free link out of range
  };
  for (const Damage& d : cases) {
    std::vector<uint8_t> image = good;
    image[d.offset] = static_cast<uint8_t>(d.word);
    image[d.offset + 1] = static_cast<uint8_t>(d.word >> 8);
    SearchHistory back;
    EXPECT_FALSE(decodeSearchHistory(back, image.data(), image.size())) << d.offset;
    EXPECT_TRUE(isEmptyHistory(back)) << d.offset;
  }
}

TEST_F(SearchHistoryTest, SavedFileReadsBackAndAMissingFileIsEmpty) {
  const std::string path = ::testing::TempDir() + "kestrin_search.dat";
  std::remove(path.c_str());
  SearchHistory back;
  EXPECT_FALSE(loadSearchHistoryFile(back, path));
  EXPECT_TRUE(isEmptyHistory(back));
  addSearchHistory(h, -1, "値", 0x0117);
  ASSERT_TRUE(saveSearchHistoryFile(h, path));
  EXPECT_FALSE(h.dirty);
  std::ifstream in(path + ".tmp");
  EXPECT_FALSE(in.good());  // replaced, not left beside
  ASSERT_TRUE(loadSearchHistoryFile(back, path));
  EXPECT_EQ(texts(back), texts(h));
  std::remove(path.c_str());
}

}  // namespace
