// The search engine on built snapshots: scopes, result ranges, date checks, entry
// types, REG_EXPAND_SZ and REG_MULTI_SZ data, hit marks, find-next order and the
// date texts of the dialog.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/view_state.h"
#include "platform/memory/memory_environment.h"
#include "search/search_dates.h"
#include "search/search_engine.h"
#include "tests/engine/store_tree_builder.h"

namespace {

class RecordingDisplay : public SearchDisplay {
 public:
  void setStatus(const std::string& text) override { status = text; }
  void beep() override { ++beeps; }
  void busy(bool) override {}
  void revealItem(ItemIndex item, bool select) override {
    revealed.push_back(item);
    if (select) selected = item;
  }
  void revealSearchHits() override { ++refreshed; }
  void showItemPath(ItemIndex) override {}
  void setResultCopyEnabled(bool on) override { copyEnabled = on; }
  std::string status;
  int beeps = 0;
  std::vector<ItemIndex> revealed;
  ItemIndex selected = kNoItem;
  int refreshed = 0;
  bool copyEnabled = false;
};

ItemIndex valueItem(ItemIndex value) {
  return static_cast<ItemIndex>(static_cast<uint32_t>(value) | kValueItemBit);
}

class SearchWalkTest : public store_tree::TreeTest {
 protected:
  void SetUp() override {
    TreeTest::SetUp();
    searchSettings() = SearchSettings{};
    searchResultState() = SEARCH_STATE_NONE;
    // HKLM\Soft\App (value Path = C:\App\app.exe), HKLM\Soft\Other, HKCU\App
    soft = key("HKEY_LOCAL_MACHINE\\Soft");
    app = key("HKEY_LOCAL_MACHINE\\Soft\\App");
    other = key("HKEY_LOCAL_MACHINE\\Soft\\Other");
    userApp = key("HKEY_CURRENT_USER\\App");
    path = value(app, "Path", STATE_DATA, std::string("C:\\App\\app.exe\0", 15));
  }

  // Runs a search with `text` and `flags`; returns the hits in walk order.
  std::vector<ItemIndex> search(const char* text, uint16_t flags, ItemIndex selected = kNoItem,
                                uint16_t viewState = VIEW_STATE_FIRST_READ, bool reveal = false, int limit = 0) {
    SearchEntry entry{};
    std::strcpy(entry.text, text);
    entry.flags = flags;
    searchResultState() = SEARCH_STATE_STARTING;
    runSearch(store(), entry, selected, reveal, limit, viewState, display);
    return marked();
  }
  std::vector<ItemIndex> marked() {
    std::vector<ItemIndex> hits;
    for (ItemIndex k : {soft, app, other, userApp}) {
      if (keyFlags(store(), k) & VIEW_HIT) hits.push_back(k);
    }
    for (ItemIndex k : {soft, app, other, userApp}) {
      for (ItemIndex v : store_test::valueIndexes(store(), k)) {
        if (valueFlags(store(), v) & VIEW_HIT) hits.push_back(valueItem(v));
      }
    }
    return hits;
  }
  ItemIndex typed(ItemIndex owner, const char* name, uint32_t type, const std::string& data) {
    const ItemIndex made = addValue(store(), owner, name);
    assignValueData(store(), made, reinterpret_cast<const uint8_t*>(data.data()),
                    static_cast<uint32_t>(data.size()), type, true);
    return made;
  }

  static constexpr uint16_t kAll = SEARCH_KEY_NAME | SEARCH_VALUE_NAME | SEARCH_VALUE_DATA;
  static constexpr uint16_t kBatch = kAll | SEARCH_PARTIAL | SEARCH_BATCH;
  RecordingDisplay display;
  ItemIndex soft, app, other, userApp, path;
};

TEST_F(SearchWalkTest, BatchMarksHitsAndTheKeysAboveThem) {
  EXPECT_EQ(search("app", kBatch), (std::vector<ItemIndex>{app, userApp, valueItem(path)}));
  EXPECT_TRUE(keyFlags(store(), soft) & VIEW_HIT_BELOW);
  EXPECT_TRUE(keyFlags(store(), app) & VIEW_HIT_BELOW);  // its value is a hit
  EXPECT_FALSE(keyFlags(store(), other) & VIEW_HIT_BELOW);
  EXPECT_EQ(display.status, "検出件数：3 件、6 行");
  EXPECT_EQ(searchResultState(), SEARCH_STATE_HITS);
  EXPECT_EQ(display.refreshed, 1);
}

TEST_F(SearchWalkTest, TargetsAndWholeOrPartialMatching) {
  EXPECT_EQ(search("APP", SEARCH_KEY_NAME | SEARCH_BATCH), (std::vector<ItemIndex>{app, userApp}));
  EXPECT_TRUE(search("ap", SEARCH_KEY_NAME | SEARCH_BATCH).empty());
  EXPECT_EQ(search("path", SEARCH_VALUE_NAME | SEARCH_BATCH), (std::vector<ItemIndex>{valueItem(path)}));
  EXPECT_EQ(search("c:\\app\\*.EXE", SEARCH_VALUE_DATA | SEARCH_WILDCARD | SEARCH_BATCH),
            (std::vector<ItemIndex>{valueItem(path)}));
  EXPECT_EQ(search("App", SEARCH_VALUE_DATA | SEARCH_FILE_NAME_ONLY | SEARCH_PARTIAL | SEARCH_BATCH),
            (std::vector<ItemIndex>{valueItem(path)}));
  EXPECT_TRUE(search("App", SEARCH_KEY_NAME | SEARCH_FILE_NAME_ONLY | SEARCH_PARTIAL | SEARCH_BATCH).empty());
}

TEST_F(SearchWalkTest, Scopes) {
  searchSettings().scope = SEARCH_SCOPE_INSIDE_SELECTED;
  searchSettings().scopeKey = soft;
  EXPECT_EQ(search("app", kBatch, soft), (std::vector<ItemIndex>{app, valueItem(path)}));
  searchSettings().scope = SEARCH_SCOPE_FROM_SELECTED;
  EXPECT_EQ(search("app", kBatch, userApp), (std::vector<ItemIndex>{app, valueItem(path)}));
  searchSettings().scope = SEARCH_SCOPE_TOP;
  EXPECT_EQ(search("app", kBatch, app).size(), 3u);
}

TEST_F(SearchWalkTest, ResultRanges) {
  keyRecord(store(), other).state = STATE_ADDED;
  keyRecord(store(), userApp).state = STATE_REFUSED;
  const ItemIndex changed = value(other, "Changed", STATE_DATA_CHANGED, "x");
  const ItemIndex added = value(other, "Added", STATE_VALUE_ADDED, "x");
  const uint16_t flags = kBatch;
  searchSettings().range.addedDeleted = true;
  EXPECT_EQ(search("", flags), (std::vector<ItemIndex>{other, valueItem(added)}));
  searchSettings().range = SearchRange{};
  searchSettings().range.mismatch = true;
  EXPECT_EQ(search("", flags), (std::vector<ItemIndex>{valueItem(changed)}));
  searchSettings().range = SearchRange{};
  searchSettings().range.exceptions = true;  // selects keys only
  EXPECT_EQ(search("", flags), (std::vector<ItemIndex>{userApp}));
  // Search results only: a new search tests only the previous hits.
  searchSettings().range = SearchRange{};
  search("app", kBatch);
  rememberHits(store());
  searchSettings().range.previousHits = true;
  EXPECT_TRUE(search("other", kBatch).empty());
  EXPECT_EQ(search("exe", kBatch), (std::vector<ItemIndex>{valueItem(path)}));
}

TEST_F(SearchWalkTest, HiddenKeysAreSkippedWithTheirSubtree) {
  keyRecord(store(), soft).state = STATE_HIDDEN;
  EXPECT_EQ(search("app", kBatch), (std::vector<ItemIndex>{userApp}));
}

TEST_F(SearchWalkTest, DateChecksSkipAKeyButNotItsSubkeys) {
  setKeyLastWrite(store(), soft, 100);
  setKeyLastWrite(store(), app, 500);
  setKeyLastWrite(store(), other, 300);
  setKeyLastWrite(store(), userApp, 900);
  searchSettings().dateAfterOn = true;
  searchSettings().dateAfter = 200;
  searchSettings().dateBeforeOn = true;
  searchSettings().dateBefore = 600;
  EXPECT_EQ(search("", kBatch, kNoItem, VIEW_STATE_LIVE_COMPARED),
            (std::vector<ItemIndex>{app, other, valueItem(path)}));
  // Without a live reading there are no key times: the boxes do not apply.
  EXPECT_EQ(search("app", kBatch, kNoItem, VIEW_STATE_BASELINE_ONLY).size(), 3u);
}

TEST_F(SearchWalkTest, EntryTypesExpandedAndMultiStrings) {
  platform::ScopedEnvironment env;
  env.env.set("SystemRoot", "C:\\Windows");
  const ItemIndex expand = typed(other, "E", kRegExpandSz, std::string("%SystemRoot%\\x.dll\0", 19));
  const ItemIndex plain = typed(other, "S", kRegSz, std::string("%SystemRoot%\\y.dll\0", 19));
  const ItemIndex multi = typed(other, "M", kRegMultiSz, std::string("one\0two\0\0three\0\0", 17));
  const ItemIndex dword = typed(other, "D", kRegDword, std::string("abcd", 4));
  const uint16_t data = SEARCH_VALUE_DATA | SEARCH_PARTIAL | SEARCH_BATCH;
  EXPECT_EQ(search("windows", data), (std::vector<ItemIndex>{valueItem(expand)}));
  EXPECT_EQ(search("%systemroot%", data), (std::vector<ItemIndex>{valueItem(plain)}));
  EXPECT_EQ(search("two", data), (std::vector<ItemIndex>{valueItem(multi)}));
  EXPECT_TRUE(search("three", data).empty());  // after the first empty string
  EXPECT_EQ(display.beeps, 1);  // nothing found
  EXPECT_EQ(search("abcd", data), (std::vector<ItemIndex>{valueItem(dword)}));
  searchSettings().entryTypes[SEARCH_TYPE_MULTI_SZ] = false;
  EXPECT_TRUE(search("two", data).empty());
  searchSettings().entryTypes[SEARCH_TYPE_DWORD] = false;
  EXPECT_TRUE(search("abcd", data).empty());
}

TEST_F(SearchWalkTest, ValueNameHitIsNotTestedAgainForData) {
  value(other, "twin", STATE_DATA, "twin");
  search("twin", kBatch);
  EXPECT_NE(display.status.find("1 件"), std::string::npos);
}

TEST_F(SearchWalkTest, IncrementalAndFindNextWalkInTreeOrder) {
  SearchHistory& history = searchHistory();
  resetSearchHistory(history);
  addSearchHistory(history, -1, "app", kAll | SEARCH_PARTIAL);
  const SearchEntry& entry = *currentSearchEntry(history);
  searchResultState() = SEARCH_STATE_STARTING;
  ASSERT_TRUE(runSearch(store(), entry, app, false, 0, VIEW_STATE_FIRST_READ, display));
  EXPECT_EQ(display.selected, userApp);  // a dialog search starts from the first root
  std::vector<ItemIndex> order{display.selected};
  while (findNextHit(store(), display.selected, VIEW_STATE_FIRST_READ, display)) {
    order.push_back(display.selected);
  }
  // The roots in order (HKEY_CURRENT_USER before HKEY_LOCAL_MACHINE); a key's name,
  // its subkeys, then its values.
  EXPECT_EQ(order, (std::vector<ItemIndex>{userApp, app, valueItem(path)}));
  EXPECT_EQ(display.status, "「app」は見付かりませんでした。");
}

TEST_F(SearchWalkTest, DisplayDuringSearchRevealsUpToTheLimit) {
  search("app", kBatch, kNoItem, VIEW_STATE_FIRST_READ, true, 2);
  EXPECT_EQ(display.revealed.size(), 2u);
  EXPECT_EQ(display.refreshed, 0);
  display = RecordingDisplay{};
  search("app", kBatch, kNoItem, VIEW_STATE_FIRST_READ, true, 0);
  EXPECT_TRUE(display.revealed.empty());
}

TEST(SearchDates, ParsesTheDialogFormsAndRefusesOthers) {
  struct Case { const char* text; bool ok; };
  const Case cases[] = {
      {"20261207 0537", true}, {"2026/12/7 5:37", true}, {"2026/1/1", true}, {"2026/0/0", true},
      {"2024/2/29", true},     {"2023/2/29", false},     {"2026/13/1", false}, {"2026/1/1 24:00", false},
      {"2026/1/1x", false},    {"20a6/1/1", false},      {"1600/1/1", false},  {"", false},
  };
  for (const Case& c : cases) {
    uint64_t time = 0;
    EXPECT_EQ(parseSearchDate(c.text, time), c.ok) << c.text;
  }
  uint64_t a = 0;
  uint64_t b = 0;
  ASSERT_TRUE(parseSearchDate("2026/12/7 5:37", a));
  ASSERT_TRUE(parseSearchDate(formatSearchDate(a).c_str(), b));
  EXPECT_EQ(formatSearchDate(a), "20261207 0537");
  EXPECT_EQ(a, b);
}

}  // namespace
