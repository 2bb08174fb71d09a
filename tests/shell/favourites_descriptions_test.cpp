// The favourites menu and the item descriptions through the real window: the menu
// built from faveList.txt (or the missing file's message), a favourite opening every
// key it names, the "◆ " marks, F1's window and "説明付項目を全て開く".
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "dialogs/description_window.h"
#include "resources/command_ids.h"
#include "resources/dialog_ids.h"
#include "shell/app_state.h"
#include "shell/tree_view.h"
#include "tests/shell/shell_fixture.h"

namespace {

using namespace shell_test;

const char* const kUsers[] = {"S-1-5-21-1-2-3-1001", "S-1-5-21-1-2-3-1002", "S-1-5-18"};

// The key of `names` below `at`, made where missing unless `find`; -1 when not found.
ItemIndex path(ItemIndex at, std::initializer_list<const char*> names, bool find = false) {
  for (const char* name : names) {
    const ItemIndex found = findChild(currentStore(), at, name, false);
    at = found >= 0 || find ? found : addKey(currentStore(), at, kNoItem, name);
  }
  return at;
}

// The favourites submenu's item at `position`: "id text", "/" or "none".
std::string favouritesItem(int position) {
  HMENU view = GetSubMenu(GetMenu(mainWindow), 2), menu = GetSubMenu(view, GetMenuItemCount(view) - 1);
  char text[64] = "";
  if (position >= GetMenuItemCount(menu)) return "none";
  if (!GetMenuStringA(menu, static_cast<UINT>(position), text, sizeof text, MF_BYPOSITION)) return "/";
  return std::to_string(GetMenuItemID(menu, position)) + " " + text;
}

class NavigationAidsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    std::ofstream(Session::get().folder() + "faveList.txt", std::ios::binary)  // "ソフト" second
        << "# c\r\n/\r\nUsers\tHKEY_USERS\\\\\\s\\Software\\Run\\\\,RunOnce\r\n\x83\x5C\x83\x74\x83\x67 HKEY_CURRENT_USER\\Soft\r\n";
    std::ofstream(Session::get().folder() + "guide2kXp.txt", std::ios::binary) << "HKEY_CURRENT_USER\\Soft\r\n\tThe\tsoft key.\r\n=v\r\n\tA value.\r\n";
    Session::get().start("");
  }
  static void TearDownTestSuite() {
    for (const char* name : {"faveList.txt", "guide2kXp.txt"}) std::remove((Session::get().folder() + name).c_str());
    Session::get().start("");
  }
  // Opens as baseline the users' Run and RunOnce keys and HKEY_CURRENT_USER\Soft\v.
  void openSnapshot() {
    openBuiltSnapshot(IDM_OPEN_BASELINE, session.scratchPath("navigation.rsv"), [] {
      for (const char* user : kUsers) path(4, {user, "Software", "Run"}), path(4, {user, "Software", "RunOnce"});
      addValue(currentStore(), path(2, {"Soft"}), "v");
    });
  }
  Session& session = Session::get();
};

TEST_F(NavigationAidsTest, MenuFollowsTheFileAndAFavouriteOpensEveryMatch) {
  // The separator came first, so the blank placeholder stays at the end.
  EXPECT_EQ(favouritesItem(0) + favouritesItem(1) + favouritesItem(2) + favouritesItem(3),
            "/11000 Users11001 \x83\x5C\x83\x74\x83\x67" "11020  ");
  openSnapshot();
  runCommand(IDM_FAVOURITE_FIRST);
  // Every match is revealed, the last stays selected (which keys match: favourites_test).
  EXPECT_NE(itemOf(path(4, {kUsers[0], "Software", "Run"}, true)), nullptr);
  EXPECT_EQ(currentItem, path(4, {kUsers[1], "Software", "RunOnce"}, true));
  session.stop();  // without faveList.txt: the message, and the placeholder alone
  const std::string file = session.folder() + "faveList.txt";
  std::rename(file.c_str(), (file + ".away").c_str());
  session.messages.shown.clear();
  ASSERT_TRUE(session.start(""));
  std::rename((file + ".away").c_str(), file.c_str());
  ASSERT_EQ(session.messages.shown.size(), 1u);
  EXPECT_EQ(session.messages.shown[0].caption + session.messages.shown[0].text,
            "ゾルファン「よく開くキー」メニューの定義ファイル(faveList.txt)が見付かりません。");
  EXPECT_EQ(favouritesItem(0) + favouritesItem(1), "11020  none");
  session.start("");
}

TEST_F(NavigationAidsTest, DescriptionsMarkItemsAndF1ShowsThem) {
  openSnapshot();
  const ItemIndex soft = path(2, {"Soft"}, true), value = keyRecord(currentStore(), soft).firstValue | static_cast<ItemIndex>(kValueItemBit);
  runCommand(IDM_FAVOURITE_FIRST + 1);
  ASSERT_EQ(currentItem, soft);
  EXPECT_NE(itemText(itemOf(soft)).find("\x81\x9F Soft"), std::string::npos);  // "◆ Soft"
  runCommand(IDM_DESCRIBE_ITEM);
  HWND window = descriptionWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(windowText(window) + "|" + windowText(GetDlgItem(window, IDC_DESCRIPTION_TEXT)), "Soft| The soft key.\r\n");
  RECT line, placed;  // the window's corner at the bottom-left of the item's line
  TreeView_GetItemRect(treeWindow, itemOf(soft), &line, FALSE);
  MapWindowPoints(treeWindow, nullptr, reinterpret_cast<POINT*>(&line), 2);
  GetWindowRect(window, &placed);
  EXPECT_EQ(placed.left * 10000 + placed.top, line.left * 10000 + line.bottom);

  // "説明付項目を全て開く" shows the value; F1 on it reuses the window.
  runCommand(IDM_OPEN_DESCRIBED_ITEMS);
  selectItem(value, false);
  runCommand(IDM_DESCRIBE_ITEM);
  EXPECT_EQ(descriptionWindow(), window);
  EXPECT_EQ(windowText(window), "v");
  SendMessageA(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(descriptionWindow(), nullptr);  // closed by the user, made anew next time
}

}  // namespace
