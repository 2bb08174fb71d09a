// Byte-exact listings over snapshots compared by the real engine: the change list
// with its aligned old data, the key structure list with its reminders, the value
// entry of each kind (kept, digest-only, read live), the search result list.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/registry_reader.h"
#include "platform/memory/recording_messages.h"
#include "platform/memory_registry.h"
#include "tests/text/listing_fixture.h"
#include "text/value_text.h"

namespace {

using listing_test::ListingTest;
using listing_test::text;

const char kApp[] = "HKEY_CURRENT_USER\\Software\\App";
const std::string kDword1("\x01\x00\x00\x00", 4);
const std::string kDword2("\x02\x00\x00\x00", 4);

class ChangeListTest : public ListingTest {
 protected:
  void SetUp() override {
    ListingTest::SetUp();
    value(base(), kApp, "", kRegSz, std::string("d\0", 2));
    value(cur(), kApp, "", kRegSz, std::string("e\0", 2));
    value(base(), kApp, "Big", 3, "aaaa", false);
    value(cur(), kApp, "Big", 3, "bbbb", false);
    value(base(), kApp, "Color", kRegSz, std::string("red\0", 4));
    value(cur(), kApp, "Color", kRegSz, std::string("blue\0", 5));
    value(base(), kApp, "Gone", kRegSz, std::string("x\0", 2));
    value(cur(), kApp, "New", kRegSz, std::string("n\0", 2));
    value(base(), kApp, "Size", kRegDword, kDword1);
    value(cur(), kApp, "Size", kRegDword, kDword2);
    value(base(), std::string(kApp) + "\\Old", "v", kRegSz, std::string("1\0", 2));
    value(cur(), std::string(kApp) + "\\日本語キー", "名前", kRegSz, std::string("値\0", 3));
    both("HKEY_CURRENT_USER\\Software\\Same", "k", kRegSz, std::string("same\0", 5));
    compare();
  }
};

const char kChangeHeader[] =
    "変化分のリスト　（2026年 3月 4日 5時 6分）\r\n"
    "基準データ： before.rsv\r\n"
    "比較データ： after.rsv\r\n";
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

TEST_F(ChangeListTest, AllRootsListEveryChangeWithOldDataAligned) {
  EXPECT_EQ(text(changeList(cur(), base(), -1, context)),
            std::string(kChangeHeader) + "選択キー： 全て\r\n\r\n" + kAppChanges);
}

TEST_F(ChangeListTest, OneKeyListsItsSubtreeOnly) {
  const ItemIndex app = key(cur(), kApp);
  EXPECT_EQ(text(changeList(cur(), base(), app, context)),
            std::string(kChangeHeader) + "選択キー： [" + kApp + "]\r\n\r\n\r\n" + kAppChanges);
}

TEST_F(ChangeListTest, WithoutTwoSidesShownNoOldDataIsWritten) {
  context.viewState = VIEW_STATE_BASELINE_ONLY;
  const std::string listing = text(changeList(cur(), base(), -1, context));
  EXPECT_EQ(listing.find("旧= "), std::string::npos);
  EXPECT_NE(listing.find("変化   Color := blue\r\n削除   Gone"), std::string::npos);
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

// The value entry of each kind of data.
struct EntryCase {
  const char* label;
  uint32_t type;
  std::string data;
  bool keep;
  uint16_t viewState;
  std::string expected;  // after the header, or whole when it starts with '!'
};

class ValueEntryTest : public ListingTest, public ::testing::WithParamInterface<EntryCase> {};

const char kEntryHeader[] =
    "エントリ値　（2026年 3月 4日 5時 6分）\r\n"
    "選択キー： [HKEY_CURRENT_USER\\Software\\App]\r\n"
    "エントリ： 名\r\n\r\n";

TEST_P(ValueEntryTest, RendersTheValueData) {
  const EntryCase& c = GetParam();
  platform::MemoryRegistry reg;
  reg.putValue(kApp, "名", kRegSz, std::string("live\0", 5));
  platform::setRegistrySeam(&reg);
  context.viewState = c.viewState;
  const ItemIndex made = value(cur(), kApp, "名", c.type, c.data, c.keep);
  const std::string listing = text(valueEntryListing(cur(), made, context));
  platform::setRegistrySeam(nullptr);
  if (c.expected[0] == '!') {
    EXPECT_EQ(listing, c.expected.substr(1));
  } else {
    EXPECT_EQ(listing, kEntryHeader + c.expected);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, ValueEntryTest,
    ::testing::Values(
        EntryCase{"text", kRegSz, std::string("テキスト\0junk", 13), true, 3, "!テキスト"},
        EntryCase{"dword", kRegDword, "\xff\xff\xff\xff", true, 3, "0xFFFFFFFF (-1)\n"},
        EntryCase{"multi", kRegMultiSz, std::string("a\0bc\0\0", 6), true, 3, "a\r\nbc\r\n"},
        EntryCase{"binary", 3, std::string(21, 'A'), true, 3,
                  "     0: 41 41 41 41 41 41 41 41 41 41 41 41 41 41 41 41 41 41 41 41   "
                  "AAAAAAAAAAAAAAAAAAAA\r\n"
                  "    20: 41                                                            A\r\n"},
        EntryCase{"digest, file", kRegSz, "xyz", false, 3, "!≪値無し≫"},
        EntryCase{"digest, live", kRegSz, "xyz", false, 5, "!live"}),
    [](const auto& info) {
      std::string name;
      for (const char* at = info.param.label; *at; ++at) {
        if (std::isalnum(static_cast<unsigned char>(*at))) name += *at;
      }
      return name;
    });

TEST_F(ListingTest, ValueEntryOfAFailedLiveReadIsEmpty) {
  platform::MemoryRegistry reg;
  platform::ScopedMessages messages;
  platform::setRegistrySeam(&reg);
  context.viewState = VIEW_STATE_LIVE_COMPARED;
  const ItemIndex made = value(cur(), kApp, "Lost", kRegSz, "xyz", false);
  reg.addKeyPath(kApp);
  reg.failOpen(kApp, 5);
  const ListingText listing = valueEntryListing(cur(), made, context);
  platform::setRegistrySeam(nullptr);
  EXPECT_TRUE(listing.ok());
  EXPECT_EQ(text(listing), "");
}

TEST_F(ListingTest, KeyNameIsThePathOfTheKeyOrValue) {
  const ItemIndex made = value(cur(), kApp, "", kRegSz, "x");
  EXPECT_EQ(text(keyNameText(cur(), key(cur(), kApp))), kApp);
  EXPECT_EQ(text(keyNameText(cur(), static_cast<ItemIndex>(made | kValueItemBit))),
            std::string(kApp) + " : (標準)");
}

TEST_F(ListingTest, KeyStructureListShowsDepthsValuesAndSkipsGhosts) {
  context.showValueItems = true;
  value(cur(), "HKEY_CURRENT_USER\\A\\B", "", kRegDword, kDword1);
  value(cur(), "HKEY_CURRENT_USER\\A\\B", "old", kRegSz, "x");
  valueRecord(cur(), findChild(cur(), key(cur(), "HKEY_CURRENT_USER\\A\\B"), "old", true) &
                         ~static_cast<int32_t>(kValueItemBit))
      .state = STATE_VALUE_DELETED;
  keyRecord(cur(), key(cur(), "HKEY_CURRENT_USER\\A\\Ghost")).state = STATE_DELETED;
  key(cur(), "HKEY_CURRENT_USER\\A\\Ghost\\Below");
  EXPECT_EQ(text(keyStructureList(cur(), key(cur(), "HKEY_CURRENT_USER"), context)),
            "キー構成リスト　（2026年 3月 4日 5時 6分）\r\n"
            "選択キー： [HKEY_CURRENT_USER]\r\n\r\n\r\n"
            " 0  HKEY_CURRENT_USER\r\n"
            " 1  A\r\n"
            " 2 . B\r\n"
            "       (標準) := 0x00000001 (1)\r\n");
}

TEST_F(ListingTest, KeyStructureListRemindsOfThePlaceEveryEightyLines) {
  for (int i = 0; i < 85; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "K%02d", i);
    key(cur(), std::string("HKEY_USERS\\P\\") + name);
  }
  const std::string listing = text(keyStructureList(cur(), key(cur(), "HKEY_USERS"), context));
  // Root, P and K00-K77 make 80 lines; K78 comes after the reminder of its parent.
  EXPECT_NE(listing.find(" 2 . K77\r\n\r\n[HKEY_USERS\\P]\r\n\r\n 2 . K78\r\n"), std::string::npos)
      << listing;
  EXPECT_EQ(listing.find("[HKEY_USERS\\P]", listing.find("K78")), std::string::npos);
}

TEST_F(ListingTest, SearchResultListGroupsHitsByKey) {
  const ItemIndex hitValue = value(cur(), kApp, "Find", kRegSz, std::string("me\0", 3));
  value(cur(), kApp, "Other", kRegSz, "x");
  const ItemIndex hitKey = key(cur(), "HKEY_CURRENT_USER\\Software\\検索");
  for (const char* path : {"HKEY_CURRENT_USER", "HKEY_CURRENT_USER\\Software"}) {
    keyFlags(cur(), key(cur(), path)) = VIEW_HIT_BELOW;
  }
  keyFlags(cur(), key(cur(), kApp)) = VIEW_HIT_BELOW;
  valueFlags(cur(), hitValue) = VIEW_HIT;
  keyFlags(cur(), hitKey) = VIEW_HIT;
  const std::string body =
      " [HKEY_CURRENT_USER\\Software\\App]\r\n"
      "    Find := me\r\n"
      "\r\n"
      "*[HKEY_CURRENT_USER\\Software\\検索]\r\n"
      "\r\n";
  EXPECT_EQ(text(searchResultList(cur(), context, "me", false)),
            "検索結果リスト　（2026年 3月 4日 5時 6分）\r\n検索テキスト： 'me'\r\n\r\n" + body);
  EXPECT_EQ(text(searchResultList(cur(), context, "me", true)),
            "検索結果リスト　（2026年 3月 4日 5時 6分）\r\n不在ファイル検索：\r\n\r\n" + body);
}

// A second pass that comes out longer than the first (the registry changed in
// between) is cut at the measured size instead of overrunning the block.
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
