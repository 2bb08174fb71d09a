#include "text/item_properties.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "engine/view_state.h"
#include "platform/clock.h"
#include "platform/memory/memory_environment.h"
#include "platform/memory/recording_messages.h"
#include "platform/memory_registry.h"
#include "tests/engine/two_stores.h"

namespace {

const std::string kKey = "HKEY_LOCAL_MACHINE\\S\\K";

// A baseline and a current store compared: K lost subkey B and value "gone", gained
// subkey C and value "add", and its value "chg" changed.
class ItemPropertiesTest : public two_stores::TwoStoreTest {
 protected:
  void SetUp() override {
    TwoStoreTest::SetUp();
    for (SnapshotStore* s : {&cur(), &base()}) {
      key(*s, kKey + "\\A");
      value(*s, kKey, "n", "1");
    }
    value(base(), kKey + "\\B", "v", "x");
    value(base(), kKey, "chg", "old");
    value(base(), kKey, "gone", "g");
    key(cur(), kKey + "\\C");
    chg_ = value(cur(), kKey, "chg", "new");
    value(cur(), kKey, "add", "a");
    big_ = value(cur(), kKey, "big", std::string(300, 'z'), kRegSz, false);
    for (SnapshotStore* s : {&cur(), &base()}) recomputeSizes(*s, 0);
    compare();
    platform::setRegistrySeam(&registry_);
  }
  void TearDown() override {
    platform::setRegistrySeam(nullptr);
    TwoStoreTest::TearDown();
  }
  ItemIndex valueOf(const char* name) {
    return static_cast<ItemIndex>(findChild(cur(), key(cur(), kKey), name, true) & ~kValueItemBit);
  }

  platform::MemoryRegistry registry_;
  ItemIndex chg_ = kNoItem;
  ItemIndex big_ = kNoItem;
};

// Every count field without its leading blanks, joined by '|' (empty where not shown):
// subkeys, values, bytes, the three totals, refused, added, deleted, changed, values
// added, values deleted, search hits.
std::string counts(const KeyProperties& p) {
  std::string joined;
  for (const std::string& field : p.counts) {
    joined += (joined.empty() ? "" : "|") + field.substr(std::min(field.find_first_not_of(' '), field.size()));
  }
  return joined;
}

TEST_F(ItemPropertiesTest, KeyCountsLeaveGhostsOutAndShowChangesOnlyBesideABaseline) {
  const ItemIndex k = key(cur(), kKey);
  KeyProperties p = describeKey(cur(), base(), k, VIEW_STATE_FILE_COMPARED, false, false);
  EXPECT_EQ("        2", p.counts[KEY_SUBKEYS]);  // A and C; the ghost B is not counted
  // Values n, chg, add, big; names and data: A and C 2 each; n 1+1+1, chg 3+1+3,
  // add 3+1+1, big 3+1+300; added C, deleted B, changed chg; values added add and big.
  EXPECT_EQ("2|4|323|2|4|325|0|1|1|1|2|1|", counts(p));
  keyFlags(cur(), k) |= VIEW_HIT;
  valueFlags(cur(), chg_) |= VIEW_HIT;
  // Only the key structure compared: no value changes; two search hits.
  EXPECT_EQ("2|4|323|2|4|325|0|1|1||||2", counts(describeKey(cur(), base(), k, VIEW_STATE_FILE_COMPARED, true, true)));
  EXPECT_EQ("2|4|323|2|4|325|0||||||", counts(describeKey(cur(), base(), k, VIEW_STATE_BASELINE_ONLY, false, false)));
}

TEST_F(ItemPropertiesTest, DeletedKeyShowsItsBaselineCopyOrNothingKnown) {
  const ItemIndex ghost = key(cur(), kKey + "\\B");
  ASSERT_EQ(STATE_DELETED, keyRecord(cur(), ghost).state);
  KeyProperties p = describeKey(cur(), base(), ghost, VIEW_STATE_FILE_COMPARED, false, true);
  EXPECT_EQ("キーのプロパティ（削除前）", p.title);
  EXPECT_EQ("0|1|3|0|1|5|||||||", counts(p));
  EXPECT_EQ("全て不明||||||||||||", counts(describeKey(cur(), base(), ghost, VIEW_STATE_BASELINE_ONLY, false, false)));
}

TEST_F(ItemPropertiesTest, KeyTimeComesFromTheLiveRegistryOrItsErrorIsReported) {
  registry_.addKeyPath(kKey);
  const uint64_t written = 133500000000000000ull;
  registry_.setLastWriteTime(kKey, written);
  platform::LocalTime t;
  ASSERT_TRUE(platform::fileTimeToLocal(written, t));
  KeyProperties p = describeKey(cur(), base(), key(cur(), kKey), VIEW_STATE_LIVE_COMPARED, false, false);
  EXPECT_EQ(keyTimeText(t.year, t.month, t.day, t.hour, t.minute, t.second), p.timeText);
  EXPECT_EQ("", describeKey(cur(), base(), 3, VIEW_STATE_LIVE_COMPARED, false, false).timeText);

  platform::ScopedMessages messages;
  registry_.failOpen(kKey, platform::kRegAccessDenied);
  p = describeKey(cur(), base(), key(cur(), kKey), VIEW_STATE_LIVE_COMPARED, false, false);
  EXPECT_EQ("", p.timeText);
  EXPECT_FALSE(messages.recorder.shown.empty());
  EXPECT_EQ("2026年 1月 5日 09：03：07", keyTimeText(2026, 1, 5, 9, 3, 7));
}

TEST_F(ItemPropertiesTest, DigestOnlyDataIsReadLiveOnlyWhenALiveReadingIsShown) {
  registry_.putValue(kKey, "big", kRegSz, "live text");
  ValueProperties p = describeValue(cur(), base(), big_, VIEW_STATE_FILE_COMPARED);
  EXPECT_EQ("≪値無し≫", p.current.dataText);
  EXPECT_EQ("    300", p.current.sizeText);
  p = describeValue(cur(), base(), big_, VIEW_STATE_LIVE_COMPARED);
  EXPECT_EQ("live text", p.current.dataText.substr(0, 9));
  registry_.removeValue(kKey, "big");
  EXPECT_FALSE(rereadValueLive(cur(), big_, p.current));
  // A deleted value is shown from its ghost and its baseline, never asked for live.
  platform::ScopedMessages messages;
  p = describeValue(cur(), base(), valueOf("gone"), VIEW_STATE_LIVE_COMPARED);
  EXPECT_EQ("g", p.baseline.dataText);
  EXPECT_TRUE(p.baselineForm && messages.recorder.shown.empty());
  EXPECT_FALSE(describeValue(cur(), base(), valueOf("add"), VIEW_STATE_FILE_COMPARED).baselineForm);
}

TEST_F(ItemPropertiesTest, FileButtonFollowsNamesAndExpandedTexts) {
  platform::ScopedEnvironment env;
  env.env.set("SystemRoot", "C:\\Windows");
  const ItemIndex expand = value(cur(), kKey, "e", "%SystemRoot%\\x.dll", kRegExpandSz);
  const ItemIndex plain = value(cur(), kKey, "p", "%SystemRoot%\\x.dll");
  const ItemIndex named = value(cur(), kKey, "C:\\App\\a.exe", std::string("\x01\0\0\0", 4), kRegDword);
  ValueProperties p = describeValue(cur(), base(), expand, VIEW_STATE_FIRST_READ);
  EXPECT_TRUE(p.expanded && p.fileAllowed);
  EXPECT_EQ("%SystemRoot%\\x.dll", p.current.dataText);
  EXPECT_FALSE(describeValue(cur(), base(), plain, VIEW_STATE_FIRST_READ).fileAllowed);
  EXPECT_TRUE(describeValue(cur(), base(), named, VIEW_STATE_FIRST_READ).fileAllowed);
  EXPECT_EQ("C:\\Windows\\x.dll", expandFileText("%SystemRoot%\\x.dll"));
}

TEST(SelectedTextTest, FirstUsableSelectionElseTheFallbackCutWhole) {
  const std::string kanji = "漢字漢字";
  struct Case {
    FieldSelection fields[2];
    std::string expected;
  } cases[] = {
      {{{"abcdef", 2, 2}, {"xyz", 0, 2}}, "xy"},           // empty selection skipped
      {{{std::string(5000, 'a'), 4090, 4096}, {"", 0, 0}}, "name"},  // ends too far
      {{{"", 0, 0}, {kanji, 0, 8}}, "漢字漢"},              // cut before a split character
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.expected, chooseSelectedText(c.fields, 2, "name", 7));
  }
}

}  // namespace
