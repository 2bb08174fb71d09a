// The compiled resource script, linked into this test program, loaded through the
// same calls the shell makes: the main menu, the accelerators and the tree's image
// list. (The favourites submenu, found by its cp932 text, is the shell tests'.)
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "resources/command_tables.h"
#include "resources/resource_ids.h"
#include "resources/tree_images.h"
#include "tests/resources/command_header.h"

namespace {

static_assert(IDM_RIGHT_CLICK_CANCEL == IDCANCEL, "キャンセル is the Cancel id");

HINSTANCE module() { return GetModuleHandleA(nullptr); }

// How often each command id occurs in a menu and its popups.
void collectItems(HMENU menu, std::map<UINT, int>* items) {
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    MENUITEMINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_ID | MIIM_SUBMENU | MIIM_FTYPE;
    ASSERT_TRUE(GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &info));
    if (info.hSubMenu) {
      collectItems(info.hSubMenu, items);
    } else if (!(info.fType & MFT_SEPARATOR)) {
      ++(*items)[info.wID];
    }
  }
}

class MainMenuTest : public ::testing::Test {
 protected:
  void SetUp() override {
    menu_ = LoadMenuA(module(), MAKEINTRESOURCEA(IDR_MAIN_MENU));
    ASSERT_NE(nullptr, menu_);
    collectItems(menu_, &items_);
  }
  void TearDown() override {
    if (menu_) DestroyMenu(menu_);
  }

  HMENU menu_ = nullptr;
  std::map<UINT, int> items_;
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
    EXPECT_EQ(1, items_[id]) << "in the menu twice";
  }
  // Nor does the menu hold an id the header does not name.
  for (const auto& item : items_) EXPECT_EQ(1u, expected.count(item.first)) << item.first;
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

}  // namespace
