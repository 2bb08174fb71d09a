#include "shell/favourites_commands.h"

#include <windows.h>

#include <cstring>
#include <vector>

#include "engine/snapshot_store.h"
#include "navigation/favourite_path.h"
#include "navigation/favourites_file.h"
#include "platform/files.h"
#include "platform/message_box.h"
#include "resources/command_ids.h"
#include "shell/app_state.h"
#include "shell/tree_view.h"
#include "text/operation_log.h"

static_assert(kMaxFavourites == MAX_FAVOURITES, "one favourite per menu id");

namespace {

FavouriteList favourites;

// The submenu is found by the first 12 bytes of its text, "よく開くキー" in cp932.
constexpr char kFavouritesMenuText[] = "よく開くキー(&F)";
constexpr size_t kComparedBytes = 12;
constexpr int kViewMenuPosition = 2;

HMENU favouritesMenu() {
  HMENU view = GetSubMenu(GetMenu(mainWindow), kViewMenuPosition);
  const int count = view ? GetMenuItemCount(view) : 0;
  for (int position = 0; position < count; ++position) {
    char text[64] = {};
    GetMenuStringA(view, static_cast<UINT>(position), text, sizeof text, MF_BYPOSITION);
    if (std::strncmp(text, kFavouritesMenuText, kComparedBytes) == 0) {
      return GetSubMenu(view, position);
    }
  }
  return nullptr;
}

}  // namespace

void loadFavourites() {
  if (!readFavouritesFile(platform::programFolder() + kFavouritesFileName, &favourites)) {
    platform::showMessage("「よく開くキー」メニューの定義ファイル(faveList.txt)が見付かりません。",
                          "ゾルファン", platform::kMsgOk);
    return;
  }
  HMENU menu = favouritesMenu();
  if (!menu) return;
  UINT position = 0;
  int number = 0;
  for (const FavouriteLine& line : favourites.lines) {
    if (line.separator) {
      InsertMenuA(menu, position++, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
      continue;
    }
    InsertMenuA(menu, position, MF_BYPOSITION | MF_STRING,
                static_cast<UINT_PTR>(IDM_FAVOURITE_FIRST + number++), line.menuText.c_str());
    // The template's blank placeholder goes once a favourite heads the menu.
    if (position++ == 0) DeleteMenu(menu, 1, MF_BYPOSITION);
  }
}

void freeFavourites() { favourites = FavouriteList{}; }

bool runFavouriteCommand(int id) {
  if (id < IDM_FAVOURITE_FIRST || id > IDM_FAVOURITE_PLACEHOLDER) return false;
  const FavouriteLine* favourite = favouriteAt(favourites, id - IDM_FAVOURITE_FIRST);
  if (!favourite || viewState == VIEW_STATE_NOTHING) return true;
  logOperation(":よく開くキー:%d", id - IDM_FAVOURITE_FIRST);
  const std::vector<ItemIndex> keys = findFavouriteKeys(currentStore(), favourite->keyPath.c_str());
  // Every match is opened and selected in turn; the last one stays selected.
  for (ItemIndex key : keys) revealItem(key, 0);
  if (!keys.empty()) showItemPath(keys.back());
  return true;
}
