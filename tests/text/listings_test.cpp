// Byte-exact listings over snapshots compared by the real engine: the change list
// with its aligned old data, the value entry of each kind, the key structure list
// with its reminders, the search result list, and the limits of the text block.
#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "platform/memory/memory_clipboard.h"
#include "platform/memory/recording_messages.h"
#include "platform/memory_registry.h"
#include "tests/text/listing_fixture.h"
#include "text/listing_copy.h"

namespace {

using listing_test::ListingTest;
using listing_test::text;

const char kApp[] = "HKEY_CURRENT_USER\\Software\\App";

class ChangeListTest : public ListingTest {
 protected:
  void SetUp() override {
    ListingTest::SetUp();
    // name, baseline data, current data ("-" none), type, kept
    const struct { const char* name; std::string old, now; uint32_t type; bool keep; } rows[] = {
        {"", {"d\0", 2}, {"e\0", 2}, kRegSz, true},
        {"Big", "aaaa", "bbbb", 3, false},
        {"Color", {"red\0", 4}, {"blue\0", 5}, kRegSz, true},
        {"Gone", {"x\0", 2}, "-", kRegSz, true},
        {"New", "-", {"n\0", 2}, kRegSz, true},
        {"Size", {"\1\0\0\0", 4}, {"\2\0\0\0", 4}, kRegDword, true},
        {"Same", "s", "s", kRegSz, true}};
    for (const auto& row : rows) {
      if (row.old != "-") value(base(), kApp, row.name, row.type, row.old, row.keep);
      if (row.now != "-") value(cur(), kApp, row.name, row.type, row.now, row.keep);
    }
    value(base(), std::string(kApp) + "\\Old", "v", kRegSz, "1");
    value(cur(), std::string(kApp) + "\\日本語キー", "名前", kRegSz, std::string("値\0", 3));
    compare();
  }
};

const char kChangeHeader[] =
    "変化分のリスト　（2026年 3月 4日 5時 6分）\r\n基準データ： before.rsv\r\n比較データ： after.rsv\r\n";
// A ghost value keeps no data of its own; a changed value whose baseline data was
// not kept (Big) gets no old-data line.
const char kAppChanges[] =
    "　　 [HKEY_CURRENT_USER\\Software\\App]\r\n"
    "変化   (標準) := e\r\n"
    "             旧= d\r\n"
    "変化   Big := \r\n"
    "変化   Color := blue\r\n"
    "            旧= red\r\n"
    "削除   Gone := \r\n"
    "           旧= x\r\n"
    "追加   New := n\r\n"
    "変化   Size := 0x00000002 (2)\r\n"
    "           旧= 0x00000001 (1)\r\n"
    "\r\n"
    "削除 [HKEY_CURRENT_USER\\Software\\App\\Old]\r\n"
    "\r\n"
    "追加 [HKEY_CURRENT_USER\\Software\\App\\日本語キー]\r\n"
    "追加   名前 := 値\r\n"
    "\r\n";

TEST_F(ChangeListTest, AllRootsAndOneKeyListEveryChangeWithOldDataAligned) {
  EXPECT_EQ(text(changeList(cur(), base(), -1, context)),
            std::string(kChangeHeader) + "選択キー： 全て\r\n\r\n" + kAppChanges);
  EXPECT_EQ(text(changeList(cur(), base(), key(cur(), kApp), context)),
            std::string(kChangeHeader) + "選択キー： [" + kApp + "]\r\n\r\n\r\n" + kAppChanges);
}

TEST_F(ChangeListTest, DigestOnlyDataIsReadLiveWhenTheViewShowsTheRegistry) {
  platform::MemoryRegistry reg;
  platform::setRegistrySeam(&reg);
  reg.putValue(kApp, "Big", 3, "\x0a\x0b");
  context.viewState = VIEW_STATE_LIVE_COMPARED;
  const std::string listing = text(changeList(cur(), base(), key(cur(), kApp), context));
  platform::setRegistrySeam(nullptr);
  EXPECT_NE(listing.find("変化   Big := 0A 0B \r\n変化   Color"), std::string::npos) << listing;
}

struct EntryCase {
  const char* label;
  uint32_t type;
  std::string data;
  bool keep;
  uint16_t viewState;
  std::string expected;  // after the header, or the whole text after a leading '!'
};
class ValueEntryTest : public ListingTest, public ::testing::WithParamInterface<EntryCase> {};

TEST_P(ValueEntryTest, RendersTheValueData) {
  const EntryCase& c = GetParam();
  platform::MemoryRegistry reg;  // holds 名 = "live"; "gone" is missing there
  reg.putValue(kApp, "名", kRegSz, std::string("live\0", 5));
  platform::setRegistrySeam(&reg);
  context.viewState = c.viewState;
  const char* name = std::string(c.label) == "gone" ? "gone" : "名";
  const std::string listing =
      text(valueEntryListing(cur(), value(cur(), kApp, name, c.type, c.data, c.keep), context));
  platform::setRegistrySeam(nullptr);
  const std::string header = "エントリ値　（2026年 3月 4日 5時 6分）\r\n選択キー： [" +
                             std::string(kApp) + "]\r\nエントリ： 名\r\n\r\n";
  EXPECT_EQ(listing, c.expected[0] == '!' ? c.expected.substr(1) : header + c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, ValueEntryTest,
    ::testing::Values(
        EntryCase{"text", kRegSz, {"テキスト\0junk", 13}, true, 3, "!テキスト"},
        EntryCase{"dword", kRegDword, "\xff\xff\xff\xff", true, 3, "0xFFFFFFFF (-1)\n"},
        EntryCase{"multi", kRegMultiSz, {"a\0bc\0\0", 6}, true, 3, "a\r\nbc\r\n"},
        EntryCase{"binary", 3, std::string(21, 'A'), true, 3,
                  "     0: 41 41 41 41 41 41 41 41 41 41 41 41 41 41 41 41 41 41 41 41   "
                  "AAAAAAAAAAAAAAAAAAAA\r\n    20: 41 " + std::string(59, ' ') + "A\r\n"},
        EntryCase{"digest", kRegSz, "xyz", false, 3, "!≪値無し≫"},
        EntryCase{"live", kRegSz, "xyz", false, 5, "!live"},
        EntryCase{"gone", kRegSz, "xyz", false, 5, "!"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(ListingTest, KeyStructureListShowsDepthsValuesAndSkipsGhosts) {
  context.showValueItems = true;
  value(cur(), "HKEY_CURRENT_USER\\A\\B", "", kRegDword, {"\1\0\0\0", 4});
  valueRecord(cur(), value(cur(), "HKEY_CURRENT_USER\\A\\B", "old", kRegSz, "x")).state =
      STATE_VALUE_DELETED;
  keyRecord(cur(), key(cur(), "HKEY_CURRENT_USER\\A\\Ghost\\Below")).state = STATE_DELETED;
  keyRecord(cur(), key(cur(), "HKEY_CURRENT_USER\\A\\Ghost")).state = STATE_DELETED;
  EXPECT_EQ(text(keyStructureList(cur(), key(cur(), "HKEY_CURRENT_USER"), context)),
            "キー構成リスト　（2026年 3月 4日 5時 6分）\r\n選択キー： [HKEY_CURRENT_USER]\r\n\r\n\r\n"
            " 0  HKEY_CURRENT_USER\r\n 1  A\r\n 2 . B\r\n       (標準) := 0x00000001 (1)\r\n");
}

TEST_F(ListingTest, KeyStructureListRemindsOfThePlaceEveryEightyLines) {
  for (int i = 0; i < 85; ++i) key(cur(), "HKEY_USERS\\P\\K" + std::to_string(10 + i));
  const std::string listing = text(keyStructureList(cur(), key(cur(), "HKEY_USERS"), context));
  // The root, P and K10-K87 make 80 lines; K88 follows the reminder of its parent.
  EXPECT_NE(listing.find(" 2 . K87\r\n\r\n[HKEY_USERS\\P]\r\n\r\n 2 . K88\r\n"), std::string::npos)
      << listing;
  EXPECT_EQ(listing.find("[HKEY_USERS\\P]", listing.find("K88")), std::string::npos);
}

TEST_F(ListingTest, SearchResultListGroupsHitsByKey) {
  valueFlags(cur(), value(cur(), kApp, "Find", kRegSz, {"me\0", 3})) = VIEW_HIT;
  value(cur(), kApp, "Other", kRegSz, "x");
  keyFlags(cur(), key(cur(), "HKEY_CURRENT_USER\\Software\\検索")) = VIEW_HIT;
  for (const char* path : {"HKEY_CURRENT_USER", "HKEY_CURRENT_USER\\Software", kApp}) {
    keyFlags(cur(), key(cur(), path)) = VIEW_HIT_BELOW;
  }
  const std::string title = "検索結果リスト　（2026年 3月 4日 5時 6分）\r\n";
  const std::string body = " [" + std::string(kApp) + "]\r\n    Find := me\r\n\r\n"
                           "*[HKEY_CURRENT_USER\\Software\\検索]\r\n\r\n";
  EXPECT_EQ(text(searchResultList(cur(), context, "me", false)),
            title + "検索テキスト： 'me'\r\n\r\n" + body);
  EXPECT_EQ(text(searchResultList(cur(), context, "me", true)),
            title + "不在ファイル検索：\r\n\r\n" + body);
}

TEST_F(ListingTest, ListingAboveTheBlockLimitWarnsAndCopiesNothing) {
  platform::ScopedClipboard clipboard;
  platform::ScopedMessages messages;
  context.showValueItems = true;
  // 60,000 value lines of about 150 bytes pass the 8 MiB of one block. Falling names
  // go to the front of the list, so filling stays quick.
  const ItemIndex wide = key(cur(), "HKEY_USERS\\Wide");
  for (int i = 0; i < 60000; ++i) {
    assignValueData(cur(), addValue(cur(), wide, ("v" + std::to_string(199999 - i)).c_str()),
                    reinterpret_cast<const uint8_t*>(std::string(42, 'x').data()), 42, 3, true);
  }
  EXPECT_FALSE(copyListingToClipboard(keyStructureList(cur(), wide, context),
                                      ListingWarning::kKeyStructure));
  EXPECT_EQ(clipboard.board.copies, 0);
  ASSERT_EQ(messages.recorder.shown.size(), 1u);
  EXPECT_EQ(messages.recorder.shown[0].caption, "キー構成のコピー");
}

// A second pass longer than the first (the registry changed in between) is cut at
// the measured size instead of overrunning the block.
TEST(ListingBlock, SecondPassNeverWritesPastTheMeasuredSize) {
  initMemoryPool();
  int pass = 0;
  const ListingText listing = buildListing([&](ListingSink& out) {
    out.put(++pass == 1 ? "short" : "much longer text");
    out.spaces(pass == 1 ? 2 : 100);
  });
  EXPECT_EQ(text(listing), "much lo");
}

}  // namespace
