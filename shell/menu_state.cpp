// The menu-state table and the main menu it drives. Every change goes to the table
// first; once setUpMenus has run it is also applied to the menu item in its popup and
// to the toolbar button, so the three views never disagree with the table.
#include "shell/menu_state.h"

#include <cstring>

#include "resources/resource_ids.h"
#include "rules/options.h"
#include "shell/app_state.h"
#include "shell/command_availability.h"
#include "shell/menu_tables.h"

namespace menu_tables {

MenuStateEntry menuStates[kMenuStateCount + 1];
RightClickEntry rightClickEntries[kRightClickEntryCount + 1];
HBITMAP checkedBitmap = nullptr;
HBITMAP starBitmap = nullptr;

MenuStateEntry* findMenuState(int id) {
  if (id <= 0) return nullptr;
  for (MenuStateEntry* entry = menuStates; entry->id != 0; ++entry) {
    if (entry->id == id) return entry;
  }
  return nullptr;
}

bool usesStarBitmaps(int id) {
  if (id == IDM_FILE_PROPERTIES) return true;
  const MenuStateEntry* entry = findMenuState(id);
  return entry && entry->star;
}

}  // namespace menu_tables

using menu_tables::findMenuState;
using menu_tables::menuStates;
using menu_tables::rightClickEntries;

namespace {

// The menu operations reach the real menu only after setUpMenus.
bool menusSetUp = false;
// Position of "よく開くキー(&F)" inside "表示(&V)"; -1 until found.
int favouritesPosition = -1;

// The right-click table keeps the same states; `Keep` leaves one of them as it is.
enum class Mirror { Off, On, Keep };

uint8_t mirrored(uint8_t state, uint8_t bit, Mirror how) {
  if (how == Mirror::Keep) return state;
  return static_cast<uint8_t>(how == Mirror::On ? (state | bit) : (state & ~bit));
}

Mirror mirrorOf(bool on) { return on ? Mirror::On : Mirror::Off; }

void mirrorIntoRightClickTable(int id, Mirror enabled, Mirror checked) {
  if (id == RIGHT_CLICK_SEPARATOR) return;
  for (RightClickEntry* entry = rightClickEntries; entry->id != RIGHT_CLICK_END; ++entry) {
    if (entry->id != id) continue;
    entry->state = mirrored(entry->state, RIGHT_CLICK_ENABLED, enabled);
    entry->state = mirrored(entry->state, RIGHT_CLICK_CHECKED, checked);
  }
}

HMENU popupOf(const MenuStateEntry& entry) {
  if (!mainWindow) return nullptr;
  HMENU bar = GetMenu(mainWindow);
  return bar ? GetSubMenu(bar, entry.popup) : nullptr;
}

// The item's state in its popup: the recorded greyed state with the recorded check.
void applyStateToMenu(const MenuStateEntry& entry) {
  HMENU popup = popupOf(entry);
  if (!popup) return;
  MENUITEMINFOA info = {};
  info.cbSize = sizeof info;
  info.fMask = MIIM_STATE;
  info.fState = static_cast<UINT>(entry.greyed | entry.checked);
  SetMenuItemInfoA(popup, entry.id, FALSE, &info);
}

void applyTextToMenu(const MenuStateEntry& entry) {
  HMENU popup = popupOf(entry);
  const char* text = entry.texts[entry.shownText];
  if (!popup || !text) return;
  MENUITEMINFOA info = {};
  info.cbSize = sizeof info;
  info.fMask = MIIM_STRING;
  info.dwTypeData = const_cast<char*>(text);
  SetMenuItemInfoA(popup, entry.id, FALSE, &info);
}

void redrawMenuBar() {
  if (mainWindow) DrawMenuBar(mainWindow);
}

// Menu item, menu bar and toolbar button after a state change of `entry`.
void showEntry(const MenuStateEntry& entry) {
  if (!menusSetUp) return;
  applyStateToMenu(entry);
  redrawMenuBar();
  setToolbarButton(entry.id, entry.greyed == 0, entry.checked != 0);
}

int findFavouritesPosition() {
  if (!mainWindow) return -1;
  HMENU bar = GetMenu(mainWindow);
  HMENU view = bar ? GetSubMenu(bar, POPUP_VIEW) : nullptr;
  if (!view) return -1;
  const int count = GetMenuItemCount(view);
  char text[64];
  for (int position = 0; position < count; ++position) {
    if (GetMenuStringA(view, static_cast<UINT>(position), text, sizeof text, MF_BYPOSITION) > 0 &&
        std::strcmp(text, kFavouritesMenuTitle) == 0) {
      return position;
    }
  }
  return -1;
}

void loadCheckBitmaps() {
  if (menu_tables::checkedBitmap) DeleteObject(menu_tables::checkedBitmap);
  if (menu_tables::starBitmap) DeleteObject(menu_tables::starBitmap);
  menu_tables::checkedBitmap = LoadBitmapA(hInstance, MAKEINTRESOURCEA(IDB_MENU_CHECKED));
  menu_tables::starBitmap = LoadBitmapA(hInstance, MAKEINTRESOURCEA(IDB_MENU_STAR));
}

// Greys every item of `menu` and its popups whose command the program cannot carry
// out yet (command_availability.h).
void greyUnavailableItems(HMENU menu) {
  if (!menu) return;
  const int count = GetMenuItemCount(menu);
  for (int position = 0; position < count; ++position) {
    MENUITEMINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_ID | MIIM_SUBMENU | MIIM_FTYPE;
    if (!GetMenuItemInfoA(menu, static_cast<UINT>(position), TRUE, &info)) continue;
    if (info.hSubMenu) {
      greyUnavailableItems(info.hSubMenu);
    } else if (!(info.fType & MFT_SEPARATOR) && !commandAvailable(static_cast<int>(info.wID))) {
      EnableMenuItem(menu, static_cast<UINT>(position), MF_BYPOSITION | MF_GRAYED);
    }
  }
}

}  // namespace

void initMenuStates() {
  std::memcpy(menuStates, kInitialMenuStates, sizeof menuStates);
  std::memcpy(rightClickEntries, kInitialRightClickMenu, sizeof rightClickEntries);
  menusSetUp = false;
  favouritesPosition = -1;
}

void setUpMenus() {
  // A right-click menu from an earlier set-up would keep the old bitmaps.
  menu_tables::destroyRightClickMenu();
  loadCheckBitmaps();
  // The commands that act on a selected item wait for one.
  for (int id : {IDM_NOT_READ, IDM_NOT_CHECKED, IDM_NOT_DISPLAYED, IDM_SAME_NAME_NOT_CHECKED,
                 IDM_PROPERTIES}) {
    if (MenuStateEntry* entry = findMenuState(id)) {
      entry->greyed = MENU_GREYED;
      entry->checked = 0;
    }
    mirrorIntoRightClickTable(id, Mirror::Off, Mirror::Off);
  }
  // Commands whose work the program does not have yet never start enabled.
  for (RightClickEntry* entry = rightClickEntries; entry->id != RIGHT_CLICK_END; ++entry) {
    if (entry->id != RIGHT_CLICK_SEPARATOR && !commandAvailable(entry->id)) {
      entry->state = static_cast<uint8_t>(entry->state & ~RIGHT_CLICK_ENABLED);
    }
  }
  for (MenuStateEntry* entry = menuStates; entry->id != 0; ++entry) {
    if (!commandAvailable(entry->id)) entry->greyed = MENU_GREYED;
    applyStateToMenu(*entry);
    if (entry->hasAlternatives) applyTextToMenu(*entry);
    HMENU popup = popupOf(*entry);
    if (entry->star && popup) {
      SetMenuItemBitmaps(popup, entry->id, MF_BYCOMMAND, menu_tables::starBitmap,
                         menu_tables::checkedBitmap);
    }
  }
  // Items outside the table are greyed too when their work is not in the program yet:
  // no item is ever drawn enabled and does nothing.
  if (mainWindow) greyUnavailableItems(GetMenu(mainWindow));
  redrawMenuBar();
  menusSetUp = true;
  favouritesPosition = findFavouritesPosition();

  const int32_t* options = programOptions.entries;
  setCommandChecked(IDM_KEYS_ONLY, options[OPT_KEYS_ONLY] != 0);
  setCommandChecked(IDM_SHOW_SIZES, options[OPT_SHOW_SIZES] != 0);
  setCommandChecked(IDM_SHOW_VALUES, options[OPT_SHOW_VALUES] != 0);
  setCommandChecked(IDM_SHOW_DESCRIPTIONS, options[OPT_SHOW_DESCRIPTIONS] != 0);
  setCommandChecked(IDM_SHOW_MODIFIED, options[OPT_SHOW_MODIFIED] != 0);

  menu_tables::prepareRightClickMenu(RIGHT_CLICK_FOR_KEYS);

  for (const ToolbarEntry& button : kToolbarButtons) {
    if (button.id == 0) continue;
    const MenuStateEntry* entry = findMenuState(button.id);
    setToolbarButton(button.id, !entry || entry->greyed == 0, entry && entry->checked != 0);
  }
}

void destroyMenuResources() {
  menu_tables::destroyRightClickMenu();
  // The main menu may outlive the bitmaps (the window is destroyed after the
  // shutdown): take them off its items first.
  if (menusSetUp) {
    for (MenuStateEntry* entry = menuStates; entry->id != 0; ++entry) {
      HMENU popup = entry->star ? popupOf(*entry) : nullptr;
      if (popup) SetMenuItemBitmaps(popup, entry->id, MF_BYCOMMAND, nullptr, nullptr);
    }
  }
  menusSetUp = false;
  if (menu_tables::checkedBitmap) DeleteObject(menu_tables::checkedBitmap);
  if (menu_tables::starBitmap) DeleteObject(menu_tables::starBitmap);
  menu_tables::checkedBitmap = nullptr;
  menu_tables::starBitmap = nullptr;
}

void setCommandEnabled(int id, bool on) {
  on = on && commandAvailable(id);
  mirrorIntoRightClickTable(id, mirrorOf(on), Mirror::Keep);
  MenuStateEntry* entry = findMenuState(id);
  if (!entry) return;
  const uint16_t greyed = on ? 0 : MENU_GREYED;
  if (entry->greyed == greyed) return;
  entry->greyed = greyed;
  showEntry(*entry);
}

void setCommandState(int id, bool enabled, bool checked) {
  enabled = enabled && commandAvailable(id);
  mirrorIntoRightClickTable(id, mirrorOf(enabled), mirrorOf(checked));
  MenuStateEntry* entry = findMenuState(id);
  if (!entry) return;
  entry->greyed = enabled ? 0 : MENU_GREYED;
  entry->checked = checked ? MENU_CHECKED : 0;
  showEntry(*entry);
}

void setCommandChecked(int id, bool on) {
  mirrorIntoRightClickTable(id, Mirror::Keep, mirrorOf(on));
  MenuStateEntry* entry = findMenuState(id);
  if (!entry) return;
  const uint16_t checked = on ? MENU_CHECKED : 0;
  if (entry->checked == checked) return;
  entry->checked = checked;
  showEntry(*entry);
}

bool isCommandEnabled(int id) {
  const MenuStateEntry* entry = findMenuState(id);
  return !entry || entry->greyed == 0;
}

bool isCommandChecked(int id) {
  const MenuStateEntry* entry = findMenuState(id);
  return entry && entry->checked != 0;
}

bool readCommandCheck(int id) {
  MenuStateEntry* entry = findMenuState(id);
  if (!entry) return false;
  HMENU popup = menusSetUp ? popupOf(*entry) : nullptr;
  if (popup) {
    MENUITEMINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STATE;
    if (GetMenuItemInfoA(popup, entry->id, FALSE, &info)) {
      entry->checked = (info.fState & MFS_CHECKED) ? MENU_CHECKED : 0;
      mirrorIntoRightClickTable(id, Mirror::Keep, mirrorOf(entry->checked != 0));
    }
  }
  return entry->checked != 0;
}

void setCommandText(int id, int index) {
  MenuStateEntry* entry = findMenuState(id);
  if (!entry || !entry->hasAlternatives) return;
  entry->shownText = index ? 1 : 0;
  if (!menusSetUp) return;
  applyTextToMenu(*entry);
  redrawMenuBar();
}

const char* commandText(int id) {
  const MenuStateEntry* entry = findMenuState(id);
  if (!entry || !entry->hasAlternatives) return nullptr;
  return entry->texts[entry->shownText];
}

void setFavouritesMenuEnabled(bool on) {
  if (!mainWindow) return;
  if (favouritesPosition < 0) favouritesPosition = findFavouritesPosition();
  if (favouritesPosition < 0) return;
  HMENU bar = GetMenu(mainWindow);
  HMENU view = bar ? GetSubMenu(bar, POPUP_VIEW) : nullptr;
  if (!view) return;
  EnableMenuItem(view, static_cast<UINT>(favouritesPosition),
                 MF_BYPOSITION | (on ? MF_ENABLED : MF_GRAYED));
  redrawMenuBar();
}
