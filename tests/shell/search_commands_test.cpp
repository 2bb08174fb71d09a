// The search commands through the real window on Wine's registry: the search dialog
// driven with typed text and its options, hits marked in the tree with their images,
// F3 moving through them, end search, and the missing-file search on real files.
#include <gtest/gtest.h>

#include <string>

#include "platform/clipboard.h"
#include "resources/command_ids.h"
#include "resources/dialog_ids.h"
#include "resources/tree_images.h"
#include "search/search_engine.h"
#include "shell/app_state.h"
#include "shell/menu_state.h"
#include "shell/tree_view.h"
#include "tests/shell/shell_fixture.h"

namespace {

using namespace shell_test;

const char kTestKey[] = "Software\\KestrinSearchTest";

void makeTestKey() {
  RegDeleteTreeA(HKEY_CURRENT_USER, kTestKey);
  const std::string key = kTestKey;
  setRegString(key + "\\QuailFirst", nullptr, "");
  setRegString(key + "\\Zeta\\QuailSecond", nullptr, "");
  setRegString(key, "Gone", "C:\\KestrinGone\\x.exe /s");
  setRegString(key, "Here", "%SystemRoot%\\system32\\notepad.exe,0", REG_EXPAND_SZ);
}

ItemIndex testKey(const char* below = nullptr) {
  const ItemIndex at = findItem({"HKEY_CURRENT_USER", "Software", "KestrinSearchTest"});
  return below && at != kNoItem ? findChild(currentStore(), at, below, false) : at;
}

void typeText(HWND dialog, const char* text) {
  HWND combo = GetDlgItem(dialog, IDC_SEARCH_TEXT);
  HWND edit = GetWindow(combo, GW_CHILD);
  SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
  for (const char* c = text; *c; ++c) SendMessageA(edit, WM_CHAR, static_cast<unsigned char>(*c), 0);
}

void click(HWND dialog, int id) { SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

// Types `text` into the search dialog, checks its option rules as they follow the
// clicks (the lower half only for a batch search) and starts the search.
void searchThroughDialog(const char* text, bool incremental) {
  withDialog([] { runCommand(IDM_SEARCH); }, [&](HWND dialog) {
    typeText(dialog, text);
    // Expression mode holds partial matching on; the types need the value data.
    click(dialog, IDC_SEARCH_EXPRESSION);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_SEARCH_PARTIAL)));
    EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_SEARCH_PARTIAL), BST_CHECKED);
    click(dialog, IDC_SEARCH_EXPRESSION);
    click(dialog, IDC_SEARCH_VALUE_DATA);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_SEARCH_TYPE_SZ)));
    click(dialog, IDC_SEARCH_VALUE_DATA);
    if (IsDlgButtonChecked(dialog, IDC_SEARCH_PARTIAL) != BST_CHECKED) click(dialog, IDC_SEARCH_PARTIAL);
    click(dialog, incremental ? IDC_SEARCH_INCREMENTAL : IDC_SEARCH_BATCH);
    if (!incremental) {
      searchSettings().optionsShown = false;
      click(dialog, IDC_SEARCH_OPTIONS);
      RECT window;
      RECT types;
      GetWindowRect(dialog, &window);
      GetWindowRect(GetDlgItem(dialog, IDC_SEARCH_DISPLAY_DURING), &types);
      // The dialog itself may not be shown yet: the control's own style says it is.
      EXPECT_TRUE(GetWindowLongA(GetDlgItem(dialog, IDC_SEARCH_SCOPE_TOP), GWL_STYLE) & WS_VISIBLE);
      EXPECT_LE(types.bottom, window.bottom);
      click(dialog, IDC_SEARCH_OPTIONS);
    }
  });
}

class SearchCommandsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    makeTestKey();
    Session::get().ensureRunning();
    runCommand(IDM_READ_REGISTRY);
  }
  static void TearDownTestSuite() {
    runCommand(IDM_CLOSE);
    RegDeleteTreeA(HKEY_CURRENT_USER, kTestKey);
  }
};

TEST_F(SearchCommandsTest, BatchSearchMarksHitsThenF3WalksThemAndEndSearchClears) {
  ASSERT_NE(testKey(), kNoItem);
  ASSERT_FALSE(menuItemGreyed(IDM_SEARCH));
  searchThroughDialog("kestrinsearchtest", false);
  // HKEY_CURRENT_USER is also seen under HKEY_USERS: two hits.
  EXPECT_EQ(statusText().find("検出件数：2 件"), 1u) << statusText();
  EXPECT_TRUE(keyFlags(currentStore(), testKey()) & VIEW_HIT);
  EXPECT_FALSE(menuItemGreyed(IDM_END_SEARCH));
  EXPECT_TRUE(menuItemGreyed(IDM_FIND_NEXT));
  EXPECT_EQ(menuItemText(IDM_OPEN_ALL_EXCEPTIONS), "検索結果を全て開く(&O)");
  ASSERT_FALSE(menuItemGreyed(IDM_COPY_SEARCH_RESULTS));
  runCommand(IDM_COPY_SEARCH_RESULTS);
  std::string listing;
  ASSERT_TRUE(platform::readClipboardText(listing));
  EXPECT_NE(listing.find("検索テキスト： 'kestrinsearchtest'"), std::string::npos) << listing;
  EXPECT_NE(listing.find("KestrinSearchTest"), std::string::npos);

  // Incremental: the first hit selected and drawn as a hit; F3 goes on in tree order.
  searchThroughDialog("quail", true);
  const ItemIndex first = testKey("QuailFirst");
  ASSERT_NE(first, kNoItem);
  EXPECT_EQ(currentItem, first);
  const int hitImage = itemImage(itemOf(first));
  EXPECT_TRUE(hitImage >= kTreeHitImageOffset && hitImage < kTreeHitBelowImageOffset) << hitImage;
  EXPECT_FALSE(menuItemGreyed(IDM_FIND_NEXT));
  POINT before;
  GetCursorPos(&before);
  runCommand(IDM_FIND_NEXT);
  const ItemIndex second = findChild(currentStore(), testKey("Zeta"), "QuailSecond", false);
  EXPECT_EQ(currentItem, second);
  POINT after;
  GetCursorPos(&after);
  EXPECT_EQ(before.x, after.x);
  EXPECT_EQ(before.y, after.y);
  EXPECT_GE(itemImage(itemOf(testKey("Zeta"))), kTreeHitBelowImageOffset);
  // On through the same keys under HKEY_USERS, then nothing more.
  std::string names;
  for (int i = 0; i < 4; ++i) {
    const ItemIndex before = currentItem;
    runCommand(IDM_FIND_NEXT);
    if (currentItem == before) break;
    names += std::string(keyName(currentStore(), currentItem)) + " ";
  }
  EXPECT_EQ(names, "QuailFirst QuailSecond ");
  EXPECT_EQ(statusText(), " 「quail」は見付かりませんでした。");

  runCommand(IDM_END_SEARCH);
  EXPECT_EQ(searchResultState(), SEARCH_STATE_NONE);
  EXPECT_FALSE(keyFlags(currentStore(), first) & VIEW_HIT);
  EXPECT_TRUE(menuItemGreyed(IDM_FIND_NEXT));
  EXPECT_TRUE(menuItemGreyed(IDM_END_SEARCH));
  EXPECT_EQ(menuItemText(IDM_OPEN_ALL_EXCEPTIONS), "例外状態を全て開く(&O)");
}

TEST_F(SearchCommandsTest, MissingFileSearchFindsTheGoneFileOnly) {
  const UINT errorMode = GetErrorMode();
  runCommand(IDM_SEARCH_MISSING_FILES);
  const ItemIndex gone = findChild(currentStore(), testKey(), "Gone", true) & ~kValueItemBit;
  const ItemIndex here = findChild(currentStore(), testKey(), "Here", true) & ~kValueItemBit;
  EXPECT_TRUE(valueFlags(currentStore(), gone) & VIEW_HIT);
  EXPECT_FALSE(valueFlags(currentStore(), here) & VIEW_HIT);
  EXPECT_EQ(statusText().find("不在ファイル検出件数："), 1u) << statusText();
  EXPECT_EQ(searchResultState(), SEARCH_STATE_MISSING_FILES);
  EXPECT_EQ(GetErrorMode(), errorMode);  // the normal error mode is back
  runCommand(IDM_END_SEARCH);
}

}  // namespace
