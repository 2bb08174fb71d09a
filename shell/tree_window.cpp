// The tree window: creation with its font and image list, and the subclass procedure
// that places it between the toolbar and the status line and hands its keys to the
// keyboard shortcuts.
#include "resources/resource_ids.h"
#include "resources/tree_images.h"
#include "shell/app_state.h"
#include "shell/main_window.h"
#include "shell/tree_view.h"

namespace {

const char kTreeWindowName[] = "RegTree";
const char kTreeFontName[] = "ＭＳ ゴシック";
constexpr int kTreeFontHeight = 14;
constexpr int kTreeFontWeight = 500;
constexpr UINT kScrollTimeMs = 20;

HFONT treeFont = nullptr;
HIMAGELIST treeImages = nullptr;
WNDPROC previousTreeProc = nullptr;
// Where the subclass procedure placed the tree last.
RECT lastPlacement = {-1, -1, -1, -1};

// Places the tree between the toolbar and the status line when the main window's
// client area (or the toolbar's height) changed since the last placement.
void placeTree(HWND tree) {
  static bool placing = false;
  if (placing || !mainWindow) return;
  RECT client;
  GetClientRect(mainWindow, &client);
  int height = client.bottom - statusHeight - toolbarHeight;
  if (height < 0) height = 0;
  const RECT wanted = {0, toolbarHeight, client.right, toolbarHeight + height};
  if (EqualRect(&wanted, &lastPlacement)) return;
  placing = true;
  lastPlacement = wanted;
  SetWindowPos(tree, nullptr, 0, toolbarHeight, client.right, height,
               SWP_NOZORDER | SWP_NOACTIVATE);
  if (toolbarWindow) {
    SetWindowPos(toolbarWindow, tree, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  placing = false;
}

LRESULT CALLBACK treeSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SIZE:
      placeTree(window);
      break;
    case WM_KEYDOWN:
      if (wParam == VK_MULTIPLY && openSelectedSubtree()) return 0;
      handleShortcutKey(message, wParam);
      break;
    case WM_KEYUP:
      handleShortcutKey(message, wParam);
      break;
    default:
      break;
  }
  return CallWindowProcA(previousTreeProc, window, message, wParam, lParam);
}

}  // namespace

bool createTreeView(HWND owner) {
  RECT client = {};
  GetClientRect(owner, &client);
  HWND tree = CreateWindowExA(
      WS_EX_CLIENTEDGE, WC_TREEVIEWA, kTreeWindowName,
      WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES |
          TVS_LINESATROOT | TVS_SHOWSELALWAYS,
      0, toolbarHeight, client.right, client.bottom, owner,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(kTreeViewId)), hInstance, nullptr);
  if (!tree) return false;

  treeImages = ImageList_Create(kTreeImageSize, kTreeImageSize, ILC_COLOR, 8, 1);
  HBITMAP strip = LoadBitmapA(hInstance, MAKEINTRESOURCEA(IDB_TREE_IMAGES));
  if (treeImages && strip) ImageList_Add(treeImages, strip, nullptr);
  if (strip) DeleteObject(strip);
  if (treeImages && ImageList_GetImageCount(treeImages) > 0) {
    SendMessageA(tree, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(treeImages));
  }
  if (!treeImages ||
      reinterpret_cast<HIMAGELIST>(SendMessageA(tree, TVM_GETIMAGELIST, TVSIL_NORMAL, 0)) !=
          treeImages) {
    DestroyWindow(tree);
    if (treeImages) ImageList_Destroy(treeImages);
    treeImages = nullptr;
    return false;
  }

  treeFont = CreateFontA(kTreeFontHeight, 0, 0, 0, kTreeFontWeight, FALSE, FALSE, FALSE,
                         DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                         DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, kTreeFontName);
  if (treeFont) SendMessageA(tree, WM_SETFONT, reinterpret_cast<WPARAM>(treeFont), FALSE);

  previousTreeProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(tree, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(treeSubclassProc)));
  SetWindowLongPtrA(tree, GWLP_ID, kTreeViewId);
  SendMessageA(tree, TVM_SETSCROLLTIME, kScrollTimeMs, 0);
  lastPlacement = RECT{-1, -1, -1, -1};
  treeWindow = tree;
  return true;
}

void destroyTreeResources() {
  if (treeWindow && IsWindow(treeWindow)) {
    SendMessageA(treeWindow, TVM_SETIMAGELIST, TVSIL_NORMAL, 0);
    SendMessageA(treeWindow, WM_SETFONT, 0, FALSE);
  }
  if (treeImages) ImageList_Destroy(treeImages);
  treeImages = nullptr;
  if (treeFont) DeleteObject(treeFont);
  treeFont = nullptr;
}

