// The right-click menu of the tree: one popup for keys or one for values, built from
// the right-click table and rebuilt only when the kind changes. Its item states come
// from the table each time it is shown.
#include <windows.h>

#include "shell/app_state.h"
#include "shell/menu_state.h"
#include "shell/menu_tables.h"
#include "shell/tree_view.h"

namespace {

HMENU popupMenu = nullptr;
int popupKind = 0;  // RIGHT_CLICK_FOR_KEYS / _VALUES of popupMenu; 0 for none
bool showing = false;

HMENU buildPopup(int kind) {
  HMENU menu = CreatePopupMenu();
  if (!menu) return nullptr;
  for (const RightClickEntry* entry = menu_tables::rightClickEntries;
       entry->id != RIGHT_CLICK_END; ++entry) {
    if (!(entry->mask & kind)) continue;
    if (entry->id == RIGHT_CLICK_SEPARATOR) {
      AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
      continue;
    }
    AppendMenuA(menu, MF_STRING, entry->id, entry->text);
    if (menu_tables::usesStarBitmaps(entry->id)) {
      SetMenuItemBitmaps(menu, entry->id, MF_BYCOMMAND, menu_tables::starBitmap,
                         menu_tables::checkedBitmap);
    }
  }
  return menu;
}

void applyTableStates(HMENU menu, int kind) {
  for (const RightClickEntry* entry = menu_tables::rightClickEntries;
       entry->id != RIGHT_CLICK_END; ++entry) {
    if (!(entry->mask & kind) || entry->id == RIGHT_CLICK_SEPARATOR) continue;
    MENUITEMINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STATE;
    info.fState = ((entry->state & RIGHT_CLICK_ENABLED) ? 0u : static_cast<UINT>(MFS_GRAYED)) |
                  ((entry->state & RIGHT_CLICK_CHECKED) ? static_cast<UINT>(MFS_CHECKED) : 0u);
    SetMenuItemInfoA(menu, entry->id, FALSE, &info);
  }
}

}  // namespace

namespace menu_tables {

void prepareRightClickMenu(int kind) {
  if (popupMenu && popupKind == kind) return;
  destroyRightClickMenu();
  popupMenu = buildPopup(kind);
  popupKind = popupMenu ? kind : 0;
}

void destroyRightClickMenu() {
  if (popupMenu) DestroyMenu(popupMenu);
  popupMenu = nullptr;
  popupKind = 0;
}

}  // namespace menu_tables

void showRightClickMenu(HWND owner, int x, int y, ItemIndex reference) {
  if (showing) return;
  const bool isValue = reference != kNoItem && (static_cast<uint32_t>(reference) & 0x80000000u);
  const int kind = isValue ? RIGHT_CLICK_FOR_VALUES : RIGHT_CLICK_FOR_KEYS;
  if (isValue) setCommandEnabled(IDM_FILE_PROPERTIES, !valueFilePath.empty());
  menu_tables::prepareRightClickMenu(kind);
  if (!popupMenu) return;
  applyTableStates(popupMenu, kind);

  // The choice must reach the command dispatcher, which listens at the main window.
  HWND target = mainWindow ? mainWindow : owner;
  showing = true;
  TrackPopupMenu(popupMenu, TPM_LEFTBUTTON, x, y, 0, target, nullptr);
  showing = false;
}

bool rightClickMenuShowing() { return showing; }
