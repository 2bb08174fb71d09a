// The compiled resource script, linked into this test program, loaded through the
// same calls the shell makes: menus, accelerators, strings, bitmaps and image lists,
// icons and dialogs. Texts come back from the A functions as cp932, which needs the
// Japanese ANSI code page (Wine: LANG=ja_JP.UTF-8).
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "resources/command_tables.h"
#include "resources/dialog_ids.h"
#include "resources/resource_ids.h"
#include "resources/tree_images.h"
#include "tests/resources/command_header.h"

namespace {

static_assert(MENU_GREYED == MFS_GRAYED, "menu-state words go to the menu unchanged");
static_assert(MENU_CHECKED == MFS_CHECKED, "menu-state words go to the menu unchanged");
static_assert(IDM_RIGHT_CLICK_CANCEL == IDCANCEL, "キャンセル is the Cancel id");

HINSTANCE module() { return GetModuleHandleA(nullptr); }

void requireJapaneseCodePage() {
  ASSERT_EQ(932u, GetACP()) << "run with the Japanese ANSI code page (LANG=ja_JP.UTF-8 under Wine)";
}

// One command item of a menu: where it sits and how it starts.
struct MenuItem {
  int popup = -1;    // position of its top-level popup
  HMENU parent = nullptr;
  std::string text;  // cp932
  UINT state = 0;
  int count = 0;     // how often the id occurs
};

void collectItems(HMENU menu, int popup, std::map<UINT, MenuItem>* items) {
  int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    char text[256] = {};
    MENUITEMINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_ID | MIIM_STATE | MIIM_SUBMENU | MIIM_FTYPE | MIIM_STRING;
    info.dwTypeData = text;
    info.cch = sizeof text;
    ASSERT_TRUE(GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &info));
    if (info.hSubMenu) {
      collectItems(info.hSubMenu, popup < 0 ? i : popup, items);
      continue;
    }
    if (info.fType & MFT_SEPARATOR) continue;
    MenuItem& item = (*items)[info.wID];
    item.popup = popup;
    item.parent = menu;
    item.text = text;
    item.state = info.fState;
    ++item.count;
  }
}

class MainMenuTest : public ::testing::Test {
 protected:
  void SetUp() override {
    menu_ = LoadMenuA(module(), MAKEINTRESOURCEA(IDR_MAIN_MENU));
    ASSERT_NE(nullptr, menu_);
    collectItems(menu_, -1, &items_);
  }
  void TearDown() override {
    if (menu_) DestroyMenu(menu_);
  }

  HMENU menu_ = nullptr;
  std::map<UINT, MenuItem> items_;
};

TEST_F(MainMenuTest, HoldsEveryMenuCommandOfTheHeaderOnce) {
  std::map<std::string, long> header = resource_tests::commandIdsFromHeader();
  ASSERT_FALSE(header.empty());
  std::set<UINT> expected;
  for (const auto& entry : header) {
    SCOPED_TRACE(entry.first);
    UINT id = static_cast<UINT>(entry.second);
    if (resource_tests::isOutsideMainMenu(entry.first)) {
      EXPECT_EQ(0u, items_.count(id));
      continue;
    }
    expected.insert(id);
    ASSERT_EQ(1u, items_.count(id)) << "missing from the menu";
    EXPECT_EQ(1, items_[id].count) << "in the menu twice";
  }
  // Nor does the menu hold an id the header does not name.
  for (const auto& item : items_) EXPECT_EQ(1u, expected.count(item.first)) << item.first;
}

TEST_F(MainMenuTest, ItemsStartAsTheMenuStateTableSays) {
  requireJapaneseCodePage();
  for (const MenuStateEntry* e = kInitialMenuStates; e->id != 0; ++e) {
    SCOPED_TRACE(e->id);
    ASSERT_EQ(1u, items_.count(e->id));
    const MenuItem& item = items_[e->id];
    // The menu-state operations address the item inside popup `popup`.
    EXPECT_EQ(e->popup, item.popup);
    EXPECT_EQ(GetSubMenu(menu_, e->popup), item.parent);
    EXPECT_EQ(e->greyed != 0, (item.state & MFS_GRAYED) != 0);
    EXPECT_EQ(0u, item.state & MFS_CHECKED);
    if (e->hasAlternatives) {
      EXPECT_EQ(e->texts[e->shownText], item.text);
    }
  }
}

TEST_F(MainMenuTest, TextsArriveAsCp932WithTheirShortcuts) {
  requireJapaneseCodePage();
  // "基準ファイルを開く(&O)...\tCtrl+O" byte for byte: 基 is 0x8A 0xEE in cp932.
  const std::string& open = items_[IDM_OPEN_BASELINE].text;
  ASSERT_GE(open.size(), 2u);
  EXPECT_EQ('\x8A', open[0]);
  EXPECT_EQ('\xEE', open[1]);
  EXPECT_EQ("基準ファイルを開く(&O)...\tCtrl+O", open);
  EXPECT_EQ("保存(&S)...\tCtrl+S", items_[IDM_SAVE].text);
  EXPECT_EQ("この項目を表示しない\tEsc", items_[IDM_HIDE_ITEM].text);
  EXPECT_EQ("コピーしたキー名を開く\tF2", items_[IDM_OPEN_COPIED_KEY].text);
}

TEST_F(MainMenuTest, FavouritesSubmenuIsFoundByItsTextAndHoldsOnlyThePlaceholder) {
  requireJapaneseCodePage();
  HMENU view = GetSubMenu(menu_, POPUP_VIEW);
  ASSERT_NE(nullptr, view);
  HMENU favourites = nullptr;
  for (int i = 0; i < GetMenuItemCount(view); ++i) {
    char text[64] = {};
    GetMenuStringA(view, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
    // The favourites menu is located by the first 12 bytes of its text.
    if (std::strncmp(text, kFavouritesMenuTitle, 12) == 0) favourites = GetSubMenu(view, i);
  }
  ASSERT_NE(nullptr, favourites);
  ASSERT_EQ(1, GetMenuItemCount(favourites));
  UINT placeholder = GetMenuItemID(favourites, 0);
  EXPECT_EQ(static_cast<UINT>(IDM_FAVOURITE_PLACEHOLDER), placeholder);
  EXPECT_FALSE(placeholder >= IDM_FAVOURITE_FIRST && placeholder < IDM_FAVOURITE_FIRST + MAX_FAVOURITES)
      << "the placeholder must not open a favourite";
}

TEST(AcceleratorTest, AltSlashAndAltQuestionMarkOpenTheVersionDialog) {
  HACCEL table = LoadAcceleratorsA(module(), MAKEINTRESOURCEA(IDR_ACCELERATORS));
  ASSERT_NE(nullptr, table);
  ACCEL entries[8] = {};
  int count = CopyAcceleratorTableA(table, entries, 8);
  ASSERT_EQ(2, count);
  std::set<WORD> keys;
  for (int i = 0; i < count; ++i) {
    EXPECT_EQ(IDM_VERSION, entries[i].cmd);
    EXPECT_TRUE(entries[i].fVirt & FALT);
    EXPECT_FALSE(entries[i].fVirt & FVIRTKEY) << "a character, not a key code";
    keys.insert(entries[i].key);
  }
  EXPECT_EQ((std::set<WORD>{'/', '?'}), keys);
  DestroyAcceleratorTable(table);
}

// The colour at (x, y) of image `index` of a list, drawn onto white.
COLORREF imageListPixel(HIMAGELIST list, int index, int x, int y, int size) {
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP target = CreateCompatibleBitmap(screen, size, size);
  HGDIOBJ old = SelectObject(dc, target);
  RECT all = {0, 0, size, size};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  ImageList_Draw(list, index, dc, 0, 0, ILD_NORMAL);
  COLORREF colour = GetPixel(dc, x, y);
  SelectObject(dc, old);
  DeleteObject(target);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  return colour;
}

TEST(BitmapTest, TreeImagesLoadIntoADefaultColourImageList) {
  // As the tree view makes its list: no mask, default colours, cut into 16 x 16.
  HIMAGELIST list = ImageList_Create(kTreeImageSize, kTreeImageSize, ILC_COLOR, 8, 1);
  ASSERT_NE(nullptr, list);
  HBITMAP strip = LoadBitmapA(module(), MAKEINTRESOURCEA(IDB_TREE_IMAGES));
  ASSERT_NE(nullptr, strip);
  EXPECT_EQ(0, ImageList_Add(list, strip, nullptr));
  DeleteObject(strip);
  EXPECT_EQ(kTreeImageCount, ImageList_GetImageCount(list));
  // The grounds survive the reduction to the list's colours.
  EXPECT_EQ(RGB(255, 255, 255), imageListPixel(list, TREE_IMAGE_KEY, 0, 0, kTreeImageSize));
  EXPECT_EQ(RGB(255, 0, 255),
            imageListPixel(list, TREE_IMAGE_KEY + kTreeHitImageOffset, 0, 0, kTreeImageSize));
  EXPECT_EQ(RGB(255, 0, 255),
            imageListPixel(list, TREE_IMAGE_KEY + kTreeHitBelowImageOffset, 0, 0, kTreeImageSize));
  ImageList_Destroy(list);
}

INT_PTR CALLBACK quietDialogProc(HWND, UINT message, WPARAM, LPARAM) {
  return message == WM_INITDIALOG ? TRUE : FALSE;
}

// Creates the dialog hidden (the templates carry no WS_VISIBLE) and returns it.
HWND createDialog(int id) {
  return CreateDialogParamA(module(), MAKEINTRESOURCEA(id), nullptr, quietDialogProc, 0);
}

std::string windowText(HWND window) {
  char text[256] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

TEST(DialogTest, StatusInformationHasAFieldForEveryCount) {
  requireJapaneseCodePage();
  HWND dialog = createDialog(IDD_STATUS_INFORMATION);
  ASSERT_NE(nullptr, dialog) << "no dialog (under Wine a display is needed: run under Xvfb)";
  EXPECT_EQ("状況情報", windowText(dialog));
  for (int id : {IDC_STATUS_BASELINE, IDC_STATUS_COMPARISON, IDC_STATUS_KEYS, IDC_STATUS_VALUES,
                 IDC_STATUS_KILOBYTES, IDC_STATUS_NOT_READ, IDC_STATUS_NOT_CHECKED,
                 IDC_STATUS_NOT_DISPLAYED, IDC_STATUS_REFUSED, IDC_STATUS_ADDED_KEYS,
                 IDC_STATUS_DELETED_KEYS, IDC_STATUS_MISMATCHED_VALUES, IDC_STATUS_ADDED_VALUES,
                 IDC_STATUS_DELETED_VALUES}) {
    HWND field = GetDlgItem(dialog, id);
    ASSERT_NE(nullptr, field) << id;
    EXPECT_EQ("", windowText(field)) << id << " starts empty";
    // The numbers arrive padded to 9 characters; the field must take them.
    EXPECT_TRUE(SetDlgItemTextA(dialog, id, "4,194,304"));
    EXPECT_EQ("4,194,304", windowText(field));
  }
  EXPECT_EQ("閉じる", windowText(GetDlgItem(dialog, IDOK)));
  DestroyWindow(dialog);
}

}  // namespace
