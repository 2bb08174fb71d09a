// What the registry tree shows of a key or value: the text lines with their columns,
// dates and marks, the images of every state, and the display filters.
#include "text/tree_item_text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "engine/snapshot_store.h"
#include "platform/memory/recording_messages.h"
#include "platform/memory_registry.h"
#include "platform/registry.h"
#include "resources/tree_images.h"
#include "tests/engine/store_tree_builder.h"

namespace {

constexpr uint64_t kFileTimeEpochOffsetSeconds = 11644473600ull;
// 2021-06-15 12:00:00 UTC: local time in any zone is still 2021-06-14..16.
constexpr uint64_t kJune2021 = (1623758400ull + kFileTimeEpochOffsetSeconds) * 10000000ull;

const uint8_t kDescribed = VIEW_HAS_DESCRIPTION;

class TreeItemTextTest : public store_tree::TreeTest {
 protected:
  std::string keyText(ItemIndex key) {
    char text[kTreeItemTextBytes];
    return formatKeyItemText(text, store(), key, options);
  }
  std::string valueText(ItemIndex value) {
    char text[kTreeItemTextBytes];
    return formatValueItemText(text, store(), value, options);
  }
  // A value of `type` with its data kept whole (or only its length and digest).
  ItemIndex typedValue(ItemIndex owner, const char* name, uint32_t type, const std::string& data,
                       bool keep = true, uint8_t state = STATE_DATA) {
    const ItemIndex made = addValue(store(), owner, name);
    assignValueData(store(), made, reinterpret_cast<const uint8_t*>(data.data()),
                    static_cast<uint32_t>(data.size()), type, keep);
    val(made).state = state;
    return made;
  }

  TreeTextOptions options;
};

// ---- Keys ---------------------------------------------------------------------------

TEST_F(TreeItemTextTest, KeyColumnsAreGroupedRightAlignedAndFollowTheSizeOption) {
  const ItemIndex k = key("HKEY_LOCAL_MACHINE\\Software", STATE_NORMAL);
  rec(k).itemCount = 12345;
  rec(k).byteCount = 1234567;
  EXPECT_EQ(keyText(k), "( 12,345個  1,234,567 ﾊﾞｲﾄ) Software");

  rec(k).itemCount = 0;
  rec(k).byteCount = 0;
  EXPECT_EQ(keyText(k), "(      0個          0 ﾊﾞｲﾄ) Software");

  options.showSizes = false;
  EXPECT_EQ(keyText(k), "Software");
}

TEST_F(TreeItemTextTest, KeyDateOnlyForLiveViewsOfKeysBelowTheRootsWithATime) {
  const ItemIndex root = key("HKEY_CURRENT_USER");
  const ItemIndex k = key("HKEY_CURRENT_USER\\Console");
  setKeyLastWrite(store(), k, kJune2021);
  setKeyLastWrite(store(), root, kJune2021);
  platform::LocalTime when{};
  ASSERT_TRUE(platform::fileTimeToLocal(kJune2021, when));
  char date[64];

  options.showSizes = false;
  options.showModified = true;
  options.liveKeyTimes = true;
  options.today = when;
  formatKeyDate(date, sizeof date, when, when);
  EXPECT_EQ(keyText(k), std::string(date) + "Console");
  EXPECT_NE(keyText(k).find("今日"), std::string::npos);
  options.today.day = when.day == 1 ? 2 : 1;
  EXPECT_EQ(keyText(k).rfind("[今年 ", 0), 0u);
  options.today.year = 2030;
  EXPECT_EQ(keyText(k).rfind("[2021/06/", 0), 0u);

  // The roots never show a date.
  EXPECT_EQ(keyText(root), "HKEY_CURRENT_USER");
  // Nor does a view without a live reading, nor the option off, nor a key without time.
  options.liveKeyTimes = false;
  EXPECT_EQ(keyText(k), "Console");
  options.liveKeyTimes = true;
  options.showModified = false;
  EXPECT_EQ(keyText(k), "Console");
  options.showModified = true;
  setKeyLastWrite(store(), k, 0);
  EXPECT_EQ(keyText(k), "Console");

  // Mark, then date, then name; after the size columns.
  setKeyLastWrite(store(), k, kJune2021);
  keyFlags(store(), k) = kDescribed;
  rec(k).itemCount = 1;
  rec(k).byteCount = 8;
  options.showSizes = true;
  options.today = when;
  EXPECT_EQ(keyText(k), std::string("(      1個          8 ﾊﾞｲﾄ) ◆ ") + date + "Console");
}

TEST_F(TreeItemTextTest, LongKeyNamesAreCutWithinTheBufferAndBeforeAWholeCharacter) {
  // 0x82 0xA0 is one double-byte character; the cut must not leave a lone lead byte.
  std::string name = "x";
  while (name.size() < 2000) name += "\x82\xA0";
  const ItemIndex k = key("HKEY_USERS\\" + name);
  rec(k).byteCount = 0;
  const std::string text = keyText(k);
  EXPECT_LT(text.size(), static_cast<size_t>(kTreeItemTextBytes));
  EXPECT_GE(text.size(), static_cast<size_t>(kTreeItemTextBytes) - 2);
  const std::string prefix = "(      0個          0 ﾊﾞｲﾄ) ";
  ASSERT_EQ(text.rfind(prefix, 0), 0u);
  EXPECT_EQ((text.size() - prefix.size() - 1) % 2, 0u) << "cut inside a character";
  EXPECT_EQ(text.substr(prefix.size()), name.substr(0, text.size() - prefix.size()));

  const ItemIndex short255 = key("HKEY_USERS\\" + std::string(255, 'n'));
  rec(short255).byteCount = 0;
  EXPECT_EQ(keyText(short255), prefix + std::string(255, 'n'));
}

// ---- Values -------------------------------------------------------------------------

TEST_F(TreeItemTextTest, ValueTextsWithAndWithoutSizes) {
  const ItemIndex k = key("HKEY_CURRENT_USER\\Environment");
  const ItemIndex path = typedValue(k, "Path", kRegSz, std::string("C:\\bin\0", 7));
  const ItemIndex number = typedValue(k, "Count", kRegDword, std::string("\x2A\0\0\0", 4));
  const ItemIndex standard = typedValue(k, "", kRegSz, std::string("x\0", 2));
  const ItemIndex multi = typedValue(k, "List", kRegMultiSz, std::string("A\0B\0\0", 5));
  const ItemIndex bytes = typedValue(k, "Blob", 3, std::string("\x01\xAB", 2));

  EXPECT_EQ(valueText(path), "(      7 ﾊﾞｲﾄ) Path := 'C:\\bin'");
  EXPECT_EQ(valueText(number), "(      4 ﾊﾞｲﾄ) Count := '0x0000002A (42)'");
  EXPECT_EQ(valueText(standard), "(      2 ﾊﾞｲﾄ) (標準) := 'x'");
  EXPECT_EQ(valueText(multi), "(      5 ﾊﾞｲﾄ) List := 'A B '");
  EXPECT_EQ(valueText(bytes), "(      2 ﾊﾞｲﾄ) Blob := '01 AB '");

  options.showSizes = false;
  EXPECT_EQ(valueText(path), "Path := 'C:\\bin'");
  valueFlags(store(), standard) = kDescribed;
  EXPECT_EQ(valueText(standard), "◆ (標準) := 'x'");
  options.showDescriptions = false;
  EXPECT_EQ(valueText(standard), "(標準) := 'x'");
}

TEST_F(TreeItemTextTest, LongValueNameIsCutButTheDataAndClosingQuoteStay) {
  const ItemIndex k = key("HKEY_CURRENT_USER\\Names");
  std::string name;
  while (name.size() < 3000) name += "\x82\xA0";
  const ItemIndex v = typedValue(k, name.c_str(), kRegSz, "data");
  const std::string text = valueText(v);
  EXPECT_LT(text.size(), static_cast<size_t>(kTreeItemTextBytes));
  const std::string tail = " := 'data'";
  ASSERT_GE(text.size(), tail.size());
  EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
  const std::string prefix = "(      4 ﾊﾞｲﾄ) ";
  const size_t cutName = text.size() - prefix.size() - tail.size();
  EXPECT_EQ(cutName % 2, 0u) << "cut inside a character";
  EXPECT_GT(cutName, 800u);
}

class LiveValueTextTest : public TreeItemTextTest {
 protected:
  void SetUp() override {
    TreeItemTextTest::SetUp();
    platform::setRegistrySeam(&registry);
    ASSERT_TRUE(registry.putValue("HKEY_CURRENT_USER\\Live", "kept", kRegSz,
                                  std::string("registry now\0", 13)));
    owner = key("HKEY_CURRENT_USER\\Live");
  }
  void TearDown() override {
    platform::setRegistrySeam(nullptr);
    TreeItemTextTest::TearDown();
  }

  platform::MemoryRegistry registry;
  platform::ScopedMessages messages;
  ItemIndex owner = kNoItem;
};

TEST_F(LiveValueTextTest, DataThatWereNotKeptComeFromTheRegistryOnlyInLiveViews) {
  // Stored as length and digest only: 11 bytes when it was read.
  const ItemIndex v = typedValue(owner, "kept", kRegSz, std::string("snapshot 1\0", 11), false);
  EXPECT_EQ(valueText(v), "(     11 ﾊﾞｲﾄ) kept := ''");
  options.liveValueData = true;
  // The size column keeps the stored size; the data is the registry's present one.
  EXPECT_EQ(valueText(v), "(     11 ﾊﾞｲﾄ) kept := 'registry now'");

  // A deleted value is never looked up.
  val(v).state = STATE_VALUE_DELETED;
  EXPECT_EQ(valueText(v), "(     11 ﾊﾞｲﾄ) kept := ''");
}

TEST_F(LiveValueTextTest, AValueGoneFromTheRegistryShowsEmptyData) {
  const ItemIndex v = typedValue(owner, "vanished", kRegSz, std::string("old text\0", 9), false);
  options.liveValueData = true;
  options.showSizes = false;
  EXPECT_EQ(valueText(v), "vanished := ''");
  EXPECT_TRUE(messages.recorder.shown.empty());
}

// ---- Images -------------------------------------------------------------------------

TEST(TreeImages, ValueImagesForEveryState) {
  ValueRecord value{};
  for (uint8_t state = STATE_DATA; state <= STATE_VALUE_DELETED; ++state) {
    value.state = state;
    EXPECT_EQ(valueImage(value, 0, false), state);
  }
  value.state = STATE_NOT_CHECKED;
  EXPECT_EQ(valueImage(value, 0, false), TREE_IMAGE_VALUE_NOT_CHECKED);
  value.state = 99;
  EXPECT_EQ(valueImage(value, 0, false), TREE_IMAGE_VALUE);
}

TEST(TreeImages, SearchHitsAreDrawnOnlyWhileResultsAreShown) {
  KeyRecord key{};
  key.state = STATE_ADDED;
  EXPECT_EQ(keyImage(key, VIEW_HIT, true), STATE_ADDED + 15);
  EXPECT_EQ(keyImage(key, VIEW_HIT_BELOW, true), STATE_ADDED + 30);
  // A hit itself wins over a hit below it.
  EXPECT_EQ(keyImage(key, VIEW_HIT | VIEW_HIT_BELOW, true), STATE_ADDED + 15);
  EXPECT_EQ(keyImage(key, VIEW_HIT | VIEW_HIT_BELOW, false), STATE_ADDED);
  key.state = STATE_CHANGED_BELOW;
  key.summary = SUM_AUTOCHECK_TARGET;
  EXPECT_EQ(keyImage(key, VIEW_HIT_BELOW, true), 14 + 30);
  EXPECT_EQ(keyImage(key, VIEW_HIT, true), 14 + 15);

  EXPECT_EQ(keyHitDrawingFlags(VIEW_HIT | VIEW_HIT_BELOW, true), VIEW_HIT_IMAGE);
  EXPECT_EQ(keyHitDrawingFlags(VIEW_HIT_BELOW, true), VIEW_HIT_BELOW_IMAGE);
  EXPECT_EQ(keyHitDrawingFlags(VIEW_HIT, false), 0);

  ValueRecord value{};
  value.state = STATE_NOT_CHECKED;
  EXPECT_EQ(valueImage(value, VIEW_HIT, true), 12 + 15);
  // A value has no "hit below" picture.
  EXPECT_EQ(valueImage(value, VIEW_HIT_BELOW, true), 12);
  value.state = STATE_VALUE_DELETED;
  EXPECT_EQ(valueImage(value, VIEW_HIT, true), 11 + 15);
  EXPECT_LT(valueImage(value, VIEW_HIT, true), kTreeImageCount);
}

// ---- Classes and filters ------------------------------------------------------------

TEST(TreeFilters, ChildKeysByFilterAndMask) {
  KeyRecord plain{};
  KeyRecord changed{};
  changed.summary = SUM_DATA_CHANGED;
  KeyRecord structure{};
  structure.summary = SUM_STRUCTURE_CHANGED;
  KeyRecord controlled{};
  controlled.summary = SUM_CONTROLLED;

  const TreeFilter none{};
  EXPECT_TRUE(childKeyPassesFilter(plain, none, 0));
  EXPECT_TRUE(childKeyPassesFilter(changed, none, 4));

  const TreeFilter changedOnly{true, false};
  EXPECT_FALSE(childKeyPassesFilter(plain, changedOnly, 5));
  EXPECT_TRUE(childKeyPassesFilter(changed, changedOnly, 5));
  EXPECT_FALSE(childKeyPassesFilter(changed, changedOnly, 4));
  EXPECT_TRUE(childKeyPassesFilter(structure, changedOnly, 4));
  EXPECT_FALSE(childKeyPassesFilter(controlled, changedOnly, 5));

  const TreeFilter uncheckedOnly{false, true};
  EXPECT_FALSE(childKeyPassesFilter(changed, uncheckedOnly, 5));
  EXPECT_TRUE(childKeyPassesFilter(controlled, uncheckedOnly, 0));

  const TreeFilter both{true, true};
  EXPECT_TRUE(childKeyPassesFilter(controlled, both, 5));
  EXPECT_TRUE(childKeyPassesFilter(changed, both, 1));
  EXPECT_FALSE(childKeyPassesFilter(plain, both, 5));
}

TEST(TreeFilters, ValuesByFilter) {
  auto value = [](uint8_t state) {
    ValueRecord v{};
    v.state = state;
    return v;
  };
  const TreeFilter none{};
  const TreeFilter changedOnly{true, false};
  const TreeFilter uncheckedOnly{false, true};
  const TreeFilter both{true, true};
  EXPECT_TRUE(valuePassesFilter(value(STATE_DATA), none));
  EXPECT_FALSE(valuePassesFilter(value(STATE_DATA), changedOnly));
  for (uint8_t state : {STATE_DATA_CHANGED, STATE_VALUE_ADDED, STATE_VALUE_DELETED}) {
    EXPECT_TRUE(valuePassesFilter(value(state), changedOnly));
    EXPECT_FALSE(valuePassesFilter(value(state), uncheckedOnly));
  }
  EXPECT_FALSE(valuePassesFilter(value(STATE_NOT_CHECKED), changedOnly));
  EXPECT_TRUE(valuePassesFilter(value(STATE_NOT_CHECKED), both));
  EXPECT_TRUE(valuePassesFilter(value(STATE_NOT_CHECKED), uncheckedOnly));
  EXPECT_FALSE(valuePassesFilter(value(STATE_DATA), uncheckedOnly));
}

}  // namespace
