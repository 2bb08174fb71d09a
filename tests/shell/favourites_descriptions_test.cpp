// The favourites menu and the item descriptions through the real window: the menu
// built from faveList.txt, a favourite opening every key it names, the missing file's
// message, the "◆ " marks, F1's window and "説明付項目を全て開く".
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "dialogs/description_window.h"
#include "engine/snapshot_file.h"
#include "engine/snapshot_store.h"
#include "resources/command_ids.h"
#include "resources/dialog_ids.h"
#include "shell/app_state.h"
#include "shell/tree_view.h"
#include "tests/shell/shell_fixture.h"

namespace {

using namespace shell_test;

constexpr char kUser1[] = "S-1-5-21-1-2-3-1001";
constexpr char kUser2[] = "S-1-5-21-1-2-3-1002";

// The key of `names` below `at`, made where missing unless `find`; -1 when not found.
ItemIndex path(ItemIndex at, std::initializer_list<const char*> names, bool find = false) {
  for (const char* name : names) {
    const ItemIndex found = findChild(currentStore(), at, name, false);
    at = found >= 0 || find ? found : addKey(currentStore(), at, kNoItem, name);
  }
  return at;
}

void write(const std::string& file, const std::string& text) { std::ofstream(file, std::ios::binary) << text; }

class NavigationAidsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    Session& s = Session::get();
    write(s.folder() + "faveList.txt",
          "# favourites\r\n/\r\nUsers\tHKEY_USERS\\\\\\s\\Software\\Run\\\\,RunOnce\r\n"
          "\x83\x5C\x83\x74\x83\x67 HKEY_CURRENT_USER\\Soft\r\n");
    write(s.folder() + "guide2kXp.txt", "HKEY_CURRENT_USER\\Soft\r\n\tThe\tsoft key.\r\n=v\r\n\tA value.\r\n");
    s.start("");
  }
  static void TearDownTestSuite() {
    Session& s = Session::get();
    std::remove((s.folder() + "faveList.txt").c_str());
    std::remove((s.folder() + "guide2kXp.txt").c_str());
    s.start("");
  }
  // Opens as baseline a snapshot with two users' Run keys, the system account's and
  // HKEY_CURRENT_USER\Soft with its value "v".
  void openSnapshot() {
    runCommand(IDM_CLOSE);
    clearTree();
    resetCurrentStore(true);
    for (const char* user : {kUser1, kUser2, "S-1-5-18"}) {
      path(4, {user, "Software", "Run"});
      path(4, {user, "Software", "RunOnce"});
    }
    addValue(currentStore(), path(2, {"Soft"}), "v");
    recomputeSizes(currentStore(), 0);
    const std::string file = session.scratchPath("navigation.rsv");
    ASSERT_TRUE(writeSnapshotFile(file.c_str(), 1, SnapshotFileOptions{}));
    resetCurrentStore(true);
    session.dialogs.answers.push_back(file);
    runCommand(IDM_OPEN_BASELINE);
    ASSERT_NE(viewState, 0);
  }
  ItemIndex find(std::initializer_list<const char*> names) { return path(4, names, true); }
  Session& session = Session::get();
};

std::string favouritesMenuItem(int position) {
  HMENU view = GetSubMenu(GetMenu(mainWindow), 2);
  HMENU menu = GetSubMenu(view, GetMenuItemCount(view) - 1);
  char text[64] = "";
  MENUITEMINFOA info = {};
  info.cbSize = sizeof info;
  info.fMask = MIIM_ID | MIIM_FTYPE | MIIM_STRING;
  info.dwTypeData = text;
  info.cch = sizeof text;
  if (!GetMenuItemInfoA(menu, static_cast<UINT>(position), TRUE, &info)) return "none";
  if (info.fType & MFT_SEPARATOR) return "/";
  return std::to_string(info.wID) + " " + text;
}

TEST_F(NavigationAidsTest, MenuFollowsTheFileAndAFavouriteOpensEveryMatch) {
  EXPECT_EQ(favouritesMenuItem(0), "/");
  EXPECT_EQ(favouritesMenuItem(1), "11000 Users");
  EXPECT_EQ(favouritesMenuItem(2), "11001 \x83\x5C\x83\x74\x83\x67");
  // The separator came first, so the blank placeholder stays at the end.
  EXPECT_EQ(favouritesMenuItem(3), "11020  ");
  EXPECT_FALSE(menuItemGreyed(IDM_FAVOURITE_FIRST));

  openSnapshot();
  runCommand(IDM_FAVOURITE_FIRST);
  for (const char* user : {kUser1, kUser2}) {
    EXPECT_NE(itemOf(find({user, "Software", "Run"})), nullptr) << user;
    EXPECT_NE(itemOf(find({user, "Software", "RunOnce"})), nullptr) << user;
  }
  EXPECT_EQ(itemOf(find({"S-1-5-18", "Software"})), nullptr);  // not a full user SID
  EXPECT_EQ(currentItem, find({kUser2, "Software", "RunOnce"}));
  EXPECT_EQ(logCount(":よく開くキー:0"), 1);
}

TEST_F(NavigationAidsTest, DescriptionsMarkItemsAndF1ShowsThem) {
  openSnapshot();
  const ItemIndex soft = path(2, {"Soft"}, true);
  const ItemIndex value = keyRecord(currentStore(), soft).firstValue | static_cast<ItemIndex>(kValueItemBit);
  runCommand(IDM_FAVOURITE_FIRST + 1);
  ASSERT_EQ(currentItem, soft);
  EXPECT_NE(itemText(itemOf(soft)).find("\x81\x9F Soft"), std::string::npos);  // "◆ Soft"
  EXPECT_FALSE(menuItemGreyed(IDM_DESCRIBE_ITEM));
  runCommand(IDM_DESCRIBE_ITEM);
  HWND window = descriptionWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(windowText(window), "Soft");
  EXPECT_EQ(windowText(GetDlgItem(window, IDC_DESCRIPTION_TEXT)), " The soft key.\r\n");
  RECT line, placed;
  TreeView_GetItemRect(treeWindow, itemOf(soft), &line, FALSE);
  MapWindowPoints(treeWindow, nullptr, reinterpret_cast<POINT*>(&line), 2);
  GetWindowRect(window, &placed);
  EXPECT_EQ(placed.left * 10000 + placed.top, line.left * 10000 + line.bottom);

  // "説明付項目を全て開く" shows the value; F1 on it reuses the window where it is.
  runCommand(IDM_OPEN_DESCRIBED_ITEMS);
  ASSERT_NE(itemOf(value), nullptr);
  selectItem(value, false);
  runCommand(IDM_DESCRIBE_ITEM);
  EXPECT_EQ(descriptionWindow(), window);
  EXPECT_EQ(windowText(window), "v");
  GetWindowRect(window, &line);
  EXPECT_EQ(line.left, placed.left);
  SendMessageA(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(descriptionWindow(), nullptr);

  // Switched off: the marks go and F1 is greyed.
  runCommand(IDM_SHOW_DESCRIPTIONS);
  EXPECT_FALSE(keyFlags(currentStore(), soft) & VIEW_HAS_DESCRIPTION);
  selectItem(soft, false);
  EXPECT_TRUE(menuItemGreyed(IDM_DESCRIBE_ITEM));
  runCommand(IDM_SHOW_DESCRIPTIONS);
  EXPECT_TRUE(keyFlags(currentStore(), soft) & VIEW_HAS_DESCRIPTION);
}

TEST_F(NavigationAidsTest, MissingFileIsReportedAndLeavesThePlaceholder) {
  session.stop();
  const std::string file = session.folder() + "faveList.txt";
  std::rename(file.c_str(), (file + ".away").c_str());
  session.messages.shown.clear();
  ASSERT_TRUE(session.start(""));
  std::rename((file + ".away").c_str(), file.c_str());
  ASSERT_EQ(session.messages.shown.size(), 1u);
  EXPECT_EQ(session.messages.shown[0].text,
            "「よく開くキー」メニューの定義ファイル(faveList.txt)が見付かりません。");
  EXPECT_EQ(session.messages.shown[0].caption, "ゾルファン");
  EXPECT_EQ(favouritesMenuItem(0), "11020  ");
  EXPECT_EQ(favouritesMenuItem(1), "none");
  session.start("");
}

}  // namespace
