// The registry tree in the running program: lazy filling through the tree's own open
// notification, placement in store order, texts, revealing, paths, selection by keys
// and mouse, and the binding between records and items.
//
// Each test builds its snapshot directly in the current store (five roots and what
// the test adds), so the tree's rules are checked without reading a registry.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "engine/snapshot_store.h"
#include "resources/command_ids.h"
#include "rules/options.h"
#include "shell/app_state.h"
#include "shell/command_availability.h"
#include "shell/menu_state.h"
#include "shell/tree_view.h"
#include "tests/shell/shell_fixture.h"

namespace {

using namespace shell_test;

constexpr ItemIndex kCurrentUser = 2;
constexpr ItemIndex kLocalMachine = 3;

ItemIndex valueRef(ItemIndex value) {
  return static_cast<ItemIndex>(static_cast<uint32_t>(value) | kValueItemBit);
}

int childButton(HTREEITEM item) { return itemFields(item, TVIF_CHILDREN).cChildren; }

bool expanded(HTREEITEM item) {
  return (SendMessageA(treeWindow, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item),
                       TVIS_EXPANDED) &
          TVIS_EXPANDED) != 0;
}

HTREEITEM selectedItem() {
  return reinterpret_cast<HTREEITEM>(SendMessageA(treeWindow, TVM_GETNEXTITEM, TVGN_CARET, 0));
}

// Ends the right-click menu's own message loop.
void CALLBACK endMenuSoon(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  EndMenu();
}

// The references of the items below `parent`, in tree order.
std::vector<ItemIndex> shownChildren(HTREEITEM parent) {
  std::vector<ItemIndex> references;
  for (HTREEITEM item : childItems(parent)) {
    references.push_back(static_cast<ItemIndex>(itemReference(item)));
  }
  return references;
}

bool bound(ItemIndex reference) {
  const bool isValue = (static_cast<uint32_t>(reference) & kValueItemBit) != 0;
  const uint16_t flags = isValue ? valueFlags(currentStore(), reference & 0x7FFFFFFF)
                                 : keyFlags(currentStore(), reference);
  const bool flagged = (flags & VIEW_IN_TREE) != 0;
  EXPECT_EQ(flagged, itemOf(reference) != nullptr) << "flag and handle disagree";
  return itemOf(reference) != nullptr;
}

class TreeViewTest : public ::testing::Test {
 protected:
  // The selection sets the states of commands still to come as well.
  static void SetUpTestSuite() {
    makeEveryCommandAvailable(true);
    Session::get().start("");
  }
  static void TearDownTestSuite() {
    Session::get().stop();
    makeEveryCommandAvailable(false);
  }

  void SetUp() override {
    ASSERT_TRUE(Session::get().running());
    clearTree();
    resetCurrentStore(true);
    saved_ = programOptions;
    programOptions.entries[OPT_SHOW_VALUES] = 1;
    programOptions.entries[OPT_SHOW_SIZES] = 1;
    viewState = VIEW_BASELINE;
    searchResultsShown = false;
  }
  void TearDown() override {
    clearTree();
    viewState = 0;
    searchResultsShown = false;
    programOptions = saved_;
    resetCurrentStore(true);
  }

  // A subkey of `parent` (added after its existing subkeys' place in name order).
  ItemIndex key(ItemIndex parent, const char* name, uint8_t state = STATE_NORMAL,
                uint8_t summary = 0) {
    const ItemIndex made = addKey(currentStore(), parent, kNoItem, name);
    keyRecord(currentStore(), made).state = state;
    keyRecord(currentStore(), made).summary = summary;
    return made;
  }
  ItemIndex value(ItemIndex owner, const char* name, uint8_t state = STATE_DATA,
                  const std::string& data = "x", uint32_t type = kRegSz) {
    const ItemIndex made = addValue(currentStore(), owner, name);
    assignValueData(currentStore(), made, reinterpret_cast<const uint8_t*>(data.data()),
                    static_cast<uint32_t>(data.size()), type, true);
    valueRecord(currentStore(), made).state = state;
    return made;
  }
  // Opens or closes a key as the user does (arrow keys on the selected item), so the
  // tree sends its open notification every time.
  void userOpens(ItemIndex key) { userPresses(key, VK_RIGHT); }
  void userCloses(ItemIndex key) { userPresses(key, VK_LEFT); }
  void userPresses(ItemIndex key, WPARAM virtualKey) {
    SendMessageA(treeWindow, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(itemOf(key)));
    SendMessageA(treeWindow, WM_KEYDOWN, virtualKey, 0);
    SendMessageA(treeWindow, WM_KEYUP, virtualKey, 0);
  }

  ProgramOptions saved_;
};

TEST_F(TreeViewTest, TopLevelKeysThenChildrenOnlyWhenTheUserOpensAKey) {
  const ItemIndex software = key(kCurrentUser, "Software");
  const ItemIndex console = key(kCurrentUser, "Console");
  const ItemIndex v = value(kCurrentUser, "Zed");
  key(console, "Deeper");
  showTopLevelKeys(0);

  ASSERT_EQ(shownChildren(TVI_ROOT), (std::vector<ItemIndex>{0, 1, 2, 3, 4}));
  EXPECT_EQ(childButton(itemOf(kCurrentUser)), 1);
  EXPECT_EQ(childButton(itemOf(kLocalMachine)), 0);
  EXPECT_FALSE(bound(software));

  userOpens(kCurrentUser);
  EXPECT_EQ(newestLog(), "v:開く:2");
  EXPECT_TRUE(expanded(itemOf(kCurrentUser)));
  EXPECT_TRUE(keyFlags(currentStore(), kCurrentUser) & VIEW_KEY_OPEN);
  // Subkeys in name order, then the values; grandchildren wait for their own opening.
  EXPECT_EQ(shownChildren(itemOf(kCurrentUser)),
            (std::vector<ItemIndex>{console, software, valueRef(v)}));
  EXPECT_EQ(childButton(itemOf(console)), 1);
  EXPECT_TRUE(shownChildren(itemOf(console)).empty());
  EXPECT_EQ(countVisibleChildren(kCurrentUser), 3);

  userCloses(kCurrentUser);
  EXPECT_EQ(newestLog(), "v:閉じる:2");
  EXPECT_FALSE(expanded(itemOf(kCurrentUser)));
  EXPECT_FALSE(keyFlags(currentStore(), kCurrentUser) & VIEW_KEY_OPEN);
}

TEST_F(TreeViewTest, KeysWithoutChildrenOrHiddenKeysNeverFill) {
  const ItemIndex hidden = key(kCurrentUser, "Hidden", STATE_HIDDEN);
  key(hidden, "Inside");
  const ItemIndex onlyValues = key(kCurrentUser, "OnlyValues");
  value(onlyValues, "v");
  showTopLevelKeys(1);

  userOpens(hidden);
  EXPECT_TRUE(shownChildren(itemOf(hidden)).empty());
  EXPECT_FALSE(keyFlags(currentStore(), hidden) & VIEW_KEY_OPEN);
  // A refresh closes the hidden key and takes its button.
  refreshItemImage(hidden, false);
  EXPECT_EQ(childButton(itemOf(hidden)), 0);
  EXPECT_EQ(itemImage(itemOf(hidden)), STATE_HIDDEN);

  // Without value items a key whose only children are values shows no button.
  programOptions.entries[OPT_SHOW_VALUES] = 0;
  rebuildTree();
  EXPECT_EQ(childButton(itemOf(onlyValues)), 0);
  programOptions.entries[OPT_SHOW_VALUES] = 1;
  rebuildTree();
  EXPECT_EQ(childButton(itemOf(onlyValues)), 1);
}

TEST_F(TreeViewTest, ItemsKeepTheStoreOrderWhateverTheInsertOrder) {
  const ItemIndex a = key(kLocalMachine, "A");
  const ItemIndex b = key(kLocalMachine, "B");
  const ItemIndex c = key(kLocalMachine, "C");
  const ItemIndex v1 = value(kLocalMachine, "one");
  const ItemIndex v2 = value(kLocalMachine, "two");
  showTopLevelKeys(0);

  insertItem(valueRef(v2), kLocalMachine);
  insertItem(c, kNoItem);
  insertItem(v1, kLocalMachine);  // a plain value index with its owner
  insertItem(a, kNoItem);
  insertItem(b, kNoItem);
  insertItem(b, kNoItem);  // already there: nothing doubles
  EXPECT_EQ(shownChildren(itemOf(kLocalMachine)),
            (std::vector<ItemIndex>{a, b, c, valueRef(v1), valueRef(v2)}));

  // A child of a key that has no item is not inserted at the top level.
  const ItemIndex deep = key(a, "Deep");
  const ItemIndex deeper = key(deep, "Deeper");
  insertItem(deeper, kNoItem);
  EXPECT_FALSE(bound(deeper));
}

TEST_F(TreeViewTest, PathsFindKeysAndValues) {
  const ItemIndex software = key(kCurrentUser, "Software");
  // "表" is 0x95 0x5C: its second byte is a backslash and must not split the name.
  const ItemIndex display = key(software, "表示");
  const ItemIndex named = value(display, "Name");
  const ItemIndex standard = value(display, "");
  showTopLevelKeys(0);

  EXPECT_EQ(openKeyByPath("HKEY_CURRENT_USER\\Software\\表示"), display);
  EXPECT_EQ(currentItem, display);
  EXPECT_EQ(selectedItem(), itemOf(display));
  EXPECT_TRUE(expanded(itemOf(software)));

  EXPECT_EQ(openKeyByPath("HKEY_CURRENT_USER\\software\\表示 : name"), valueRef(named));
  EXPECT_EQ(selectedItem(), itemOf(valueRef(named)));
  EXPECT_TRUE(expanded(itemOf(display)));
  EXPECT_EQ(openKeyByPath(" HKEY_CURRENT_USER\\Software\\表示 : (標準)\r\n"), valueRef(standard));

  // The deepest part found; nothing for an unknown root.
  EXPECT_EQ(openKeyByPath("HKEY_CURRENT_USER\\Software\\Missing\\More"), software);
  EXPECT_EQ(openKeyByPath("HKEY_CURRENT_USER\\Software\\表示 : missing"), display);
  EXPECT_EQ(openKeyByPath("HKEY_NOWHERE\\Software"), kNoItem);
  EXPECT_EQ(openKeyByPath(""), kNoItem);
}

TEST_F(TreeViewTest, RevealingOpensTheAncestorsAndStopsAtSixtyFourLevels) {
  ItemIndex at = kLocalMachine;
  std::vector<ItemIndex> chain;
  for (int level = 0; level < 70; ++level) {
    at = key(at, ("L" + std::to_string(level)).c_str());
    chain.push_back(at);
  }
  showTopLevelKeys(0);
  revealItem(chain[10], 0);
  EXPECT_EQ(selectedItem(), itemOf(chain[10]));
  EXPECT_TRUE(expanded(itemOf(chain[9])));
  EXPECT_FALSE(bound(chain[11]));

  // Mode 3 shows a value without selecting it.
  const ItemIndex v = value(chain[20], "v");
  revealItem(v, 3);
  EXPECT_TRUE(bound(valueRef(v)));
  EXPECT_TRUE(expanded(itemOf(chain[20])));
  EXPECT_EQ(selectedItem(), itemOf(chain[10]));

  revealItem(chain[69], 0);
  EXPECT_FALSE(bound(chain[69]));
}

TEST_F(TreeViewTest, KeyboardSelectionIsLoggedAndShowsThePath) {
  const ItemIndex first = key(kCurrentUser, "First");
  const ItemIndex second = key(kCurrentUser, "Second");
  showTopLevelKeys(1);
  userPresses(first, VK_DOWN);
  EXPECT_EQ(currentItem, second);
  EXPECT_EQ(newestLog(), "v:キー選択:" + hexOf(second));
  EXPECT_EQ(statusText(), "HKEY_CURRENT_USER\\Second");
  // Up to a top-level key: its path replaces the one of the item before.
  userPresses(first, VK_UP);
  EXPECT_EQ(currentItem, kCurrentUser);
  EXPECT_EQ(statusText(), "HKEY_CURRENT_USER");
}

// The file of a value: from its text (expanded), else from its name, else none.
TEST_F(TreeViewTest, RightClickSelectsTheClickedValueAndFindsItsFile) {
  const ItemIndex v = value(kCurrentUser, "cmd", STATE_DATA, std::string("C:\\Tools\\run.exe /q\0", 20));
  const ItemIndex expand =
      value(kCurrentUser, "e", STATE_DATA, std::string("%WINDIR%\\notepad.exe\0", 21), kRegExpandSz);
  const ItemIndex byName = value(kCurrentUser, "C:\\named.txt", STATE_DATA, "no path");
  const ItemIndex none = value(kCurrentUser, "plain", STATE_DATA, "relative\\x.exe");
  showTopLevelKeys(0);
  openSubtree(kCurrentUser, 2, 0);
  SendMessageA(treeWindow, TVM_SELECTITEM, TVGN_DROPHILITE,
               reinterpret_cast<LPARAM>(itemOf(valueRef(v))));
  // The menu's own loop runs until a timer ends it.
  SetTimer(nullptr, 0, 200, endMenuSoon);
  NMHDR header = {treeWindow, static_cast<UINT_PTR>(kTreeViewId), static_cast<UINT>(NM_RCLICK)};
  SendMessageA(mainWindow, WM_NOTIFY, kTreeViewId, reinterpret_cast<LPARAM>(&header));
  SendMessageA(treeWindow, TVM_SELECTITEM, TVGN_DROPHILITE, 0);

  EXPECT_EQ(currentItem, valueRef(v));
  EXPECT_EQ(selectedItem(), itemOf(valueRef(v)));
  EXPECT_EQ(valueFilePath, "C:\\Tools\\run.exe /q");
  EXPECT_EQ(statusText(), "HKEY_CURRENT_USER");
  EXPECT_FALSE(rightClickMenuShowing());
  char windows[MAX_PATH];
  ExpandEnvironmentStringsA("%WINDIR%\\notepad.exe", windows, sizeof windows);
  EXPECT_EQ(selectedValueFile(valueRef(expand)), windows);
  EXPECT_EQ(selectedValueFile(valueRef(byName)), "C:\\named.txt");
  EXPECT_EQ(selectedValueFile(valueRef(none)), "");
}

TEST_F(TreeViewTest, DoubleClickRightAfterOpeningIsNotACommand) {
  const ItemIndex parent = key(kCurrentUser, "Parent");
  key(parent, "Child");
  showTopLevelKeys(0);
  // A generous double-click time, so a loaded machine cannot stretch "right after".
  const UINT doubleClickTime = GetDoubleClickTime();
  SetDoubleClickTime(20000);
  userOpens(kCurrentUser);
  const std::string opened = newestLog();
  selectItem(parent, false);
  NMHDR header = {treeWindow, static_cast<UINT_PTR>(kTreeViewId), static_cast<UINT>(NM_DBLCLK)};
  SendMessageA(mainWindow, WM_NOTIFY, kTreeViewId, reinterpret_cast<LPARAM>(&header));
  SetDoubleClickTime(doubleClickTime);
  EXPECT_EQ(newestLog(), opened);
}

TEST_F(TreeViewTest, KeypadStarOpensTheWholeSubtreeOfADeepChain) {
  ItemIndex at = kLocalMachine;
  std::vector<ItemIndex> chain;
  for (int depth = 0; depth < 300; ++depth) {
    at = key(at, depth % 2 ? "奇数" : "even");
    chain.push_back(at);
  }
  value(at, "leaf");
  showTopLevelKeys(0);
  const DWORD start = GetTickCount();
  userPresses(kLocalMachine, VK_MULTIPLY);
  std::printf("[ figure   ] keypad * on a 300-level chain: %lu ms\n",
              static_cast<unsigned long>(GetTickCount() - start));
  for (ItemIndex k : chain) {
    ASSERT_TRUE(bound(k));
    EXPECT_TRUE(keyFlags(currentStore(), k) & VIEW_KEY_OPEN);
  }
  EXPECT_EQ(childItems(itemOf(chain.back())).size(), 1u);
  EXPECT_FALSE(operationBusy);
}

}  // namespace
