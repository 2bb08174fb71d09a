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

TEST_F(MainMenuTest, PopupsSitAtTheirFixedPositions) {
  requireJapaneseCodePage();
  ASSERT_EQ(kMenuPopupCount, GetMenuItemCount(menu_));
  for (int i = 0; i < kMenuPopupCount; ++i) {
    char text[64] = {};
    GetMenuStringA(menu_, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
    EXPECT_STREQ(kMenuPopupTitles[i], text) << i;
    EXPECT_NE(nullptr, GetSubMenu(menu_, i)) << i;
  }
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

TEST_F(MainMenuTest, ItemsOutsideTheTableAreAlwaysEnabled) {
  for (UINT id : {IDM_VERSION, IDM_EXIT, IDM_HELP, IDM_SAVE_USER_CONTROLS, IDM_ERASE_USER_CONTROLS}) {
    ASSERT_EQ(1u, items_.count(id)) << id;
    EXPECT_EQ(0u, items_[id].state & MFS_GRAYED) << id;
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

TEST_F(MainMenuTest, CheckMarkBitmapsCanBeGivenToStarItems) {
  HBITMAP checked = LoadBitmapA(module(), MAKEINTRESOURCEA(IDB_MENU_CHECKED));
  HBITMAP star = LoadBitmapA(module(), MAKEINTRESOURCEA(IDB_MENU_STAR));
  ASSERT_NE(nullptr, checked);
  ASSERT_NE(nullptr, star);
  for (const MenuStateEntry* e = kInitialMenuStates; e->id != 0; ++e) {
    if (e->star) {
      EXPECT_TRUE(SetMenuItemBitmaps(menu_, e->id, MF_BYCOMMAND, star, checked)) << e->id;
    }
  }
  DestroyMenu(menu_);
  menu_ = nullptr;
  DeleteObject(checked);
  DeleteObject(star);
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

TEST(StringTableTest, TitleAndWindowClass) {
  requireJapaneseCodePage();
  char text[64] = {};
  ASSERT_EQ(20, LoadStringA(module(), IDS_APP_TITLE, text, sizeof text));
  // ゾルファンケストリン in cp932; ゾ's second byte is the ASCII ']'.
  EXPECT_EQ(0, std::memcmp(text, "\x83\x5d\x83\x8b\x83\x74\x83\x40\x83\x93\x83\x50\x83\x58\x83\x67"
                                 "\x83\x8a\x83\x93", 20));
  EXPECT_STREQ("ゾルファンケストリン", text);
  ASSERT_GT(LoadStringA(module(), IDS_WINDOW_CLASS, text, sizeof text), 0);
  EXPECT_STREQ("TARNWICK", text);
}

BITMAP bitmapInfo(int id) {
  BITMAP info = {};
  HBITMAP bitmap = static_cast<HBITMAP>(
      LoadImageA(module(), MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  EXPECT_NE(nullptr, bitmap) << id;
  if (bitmap) {
    GetObjectA(bitmap, sizeof info, &info);
    DeleteObject(bitmap);
  }
  return info;
}

TEST(BitmapTest, SizesAndDepthsFitTheirUse) {
  BITMAP tree = bitmapInfo(IDB_TREE_IMAGES);
  EXPECT_EQ(kTreeImageSize * kTreeImageCount, tree.bmWidth);
  EXPECT_EQ(kTreeImageSize, tree.bmHeight);
  BITMAP toolbar = bitmapInfo(IDB_TOOLBAR);
  EXPECT_EQ(kToolbarImageSize * kToolbarImageCount, toolbar.bmWidth);
  EXPECT_EQ(kToolbarImageSize, toolbar.bmHeight);
  EXPECT_EQ(8, toolbar.bmBitsPixel);
  for (int id : {IDB_MENU_CHECKED, IDB_MENU_STAR}) {
    BITMAP mark = bitmapInfo(id);
    EXPECT_EQ(13, mark.bmWidth) << id;
    EXPECT_EQ(13, mark.bmHeight) << id;
    EXPECT_EQ(1, mark.bmBitsPixel) << id << ": menu check marks must be monochrome";
  }
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

TEST(BitmapTest, ToolbarStripCoversEveryButtonImage) {
  HIMAGELIST list = ImageList_Create(kToolbarImageSize, kToolbarImageSize, ILC_COLOR8 | ILC_MASK, 8, 1);
  ASSERT_NE(nullptr, list);
  HBITMAP strip = LoadBitmapA(module(), MAKEINTRESOURCEA(IDB_TOOLBAR));
  ASSERT_NE(nullptr, strip);
  ImageList_AddMasked(list, strip, RGB(192, 192, 192));
  DeleteObject(strip);
  int images = ImageList_GetImageCount(list);
  for (const ToolbarEntry& button : kToolbarButtons) {
    if (button.image != TOOLBAR_SEPARATOR) {
      EXPECT_LT(button.image, images) << button.id;
    }
  }
  ImageList_Destroy(list);
}

TEST(IconTest, ProgramIconsLoadInBothSizes) {
  struct Case {
    int id;
    int size;
  };
  for (Case c : {Case{IDI_PROGRAM, 32}, Case{IDI_PROGRAM, 16}, Case{IDI_PROGRAM_SMALL, 16}}) {
    SCOPED_TRACE(c.id);
    HICON icon = static_cast<HICON>(
        LoadImageA(module(), MAKEINTRESOURCEA(c.id), IMAGE_ICON, c.size, c.size, 0));
    ASSERT_NE(nullptr, icon);
    ICONINFO info = {};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    BITMAP colour = {};
    GetObjectA(info.hbmColor, sizeof colour, &colour);
    EXPECT_EQ(c.size, colour.bmWidth);
    EXPECT_EQ(c.size, colour.bmHeight);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    DestroyIcon(icon);
  }
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

TEST(DialogTest, VersionDialogShowsTheProgramAndItsSupportButton) {
  requireJapaneseCodePage();
  HWND dialog = createDialog(IDD_VERSION);
  ASSERT_NE(nullptr, dialog) << "no dialog (under Wine a display is needed: run under Xvfb)";
  EXPECT_EQ("ﾊﾞｰｼﾞｮﾝ情報", windowText(dialog));
  EXPECT_NE(nullptr, GetDlgItem(dialog, IDOK));
  EXPECT_NE(nullptr, GetDlgItem(dialog, IDC_VERSION_SUPPORT_PAGE));
  HWND icon = GetDlgItem(dialog, IDC_VERSION_ICON);
  ASSERT_NE(nullptr, icon);
  EXPECT_NE(nullptr, reinterpret_cast<HICON>(SendMessageA(icon, STM_GETICON, 0, 0)));
  // The version line is one of the dialog's static texts.
  bool found = false;
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (windowText(child) == "ゾルファンケストリン　 Version 1.2.05") found = true;
  }
  EXPECT_TRUE(found);
  DestroyWindow(dialog);
}

}  // namespace
