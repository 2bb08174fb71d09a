// The data behind the main menu, the toolbar and the right-click menu of the tree.
//
// Three views show command states: the main menu (resource 109), the toolbar and the
// right-click menu. The program keeps one table of menu states and one right-click
// table and drives the views from them; the tables here are their initial contents,
// which the shell copies into its own mutable tables at start-up. The toolbar table is
// fixed for the whole run.
//
// Portable data (no <windows.h>): the state words equal the Win32 MFS_/TBSTYLE_ values
// they stand for, so the shell passes them through unchanged. Texts are cp932 once
// compiled (the project builds with -fexec-charset=CP932). Every id comes from
// command_ids.h; every menu-state id is an item of the popup it names in resource 109,
// which starts greyed exactly when the table says so.
#pragma once

#include <cstdint>

#include "resources/command_ids.h"

// Positions of the popups in the main menu bar.
enum MenuPopup : uint8_t {
  POPUP_FILE = 0,
  POPUP_EDIT = 1,
  POPUP_VIEW = 2,
  POPUP_DISPLAY = 3,
  POPUP_SETTINGS = 4,
  POPUP_HELP = 5,
};
constexpr int kMenuPopupCount = 6;

// Titles of the popups, by position; the texts of resource 109.
inline constexpr const char* kMenuPopupTitles[kMenuPopupCount] = {
    "ﾌｧｲﾙ(&F)", "編集(&E)", "表示(&V)", "表示設定(&D)", "設定(&S)", "ﾍﾙﾌﾟ(&H)",
};
// The favourites submenu inside "表示(&V)", found by this text at start-up.
inline constexpr const char kFavouritesMenuTitle[] = "よく開くキー(&F)";

// Menu item state words; the values of MFS_GRAYED and MFS_CHECKED.
constexpr uint16_t MENU_GREYED = 3;
constexpr uint16_t MENU_CHECKED = 8;

// One main-menu item whose state the program controls. The table ends with id 0.
struct MenuStateEntry {
  uint16_t id;
  uint8_t popup;            // MenuPopup of the item
  uint8_t star;             // 1: the item shows the check-box / star bitmaps (146, 147)
  uint16_t greyed;          // 0 or MENU_GREYED
  uint16_t checked;         // 0 or MENU_CHECKED
  uint16_t hasAlternatives; // 1: the item switches between texts[0] and texts[1]
  uint16_t shownText;       // index of the text shown
  const char* texts[2];     // the two alternative texts, or null
};

constexpr int kMenuStateCount = 53;

// Start-up states. Within each popup the items enabled at start come first, then the
// greyed ones; no item starts checked (the check marks that follow the options are set
// during start-up).
inline constexpr MenuStateEntry kInitialMenuStates[kMenuStateCount + 1] = {
    // ﾌｧｲﾙ(&F)
    {IDM_OPEN_BASELINE, POPUP_FILE, 0, 0, 0, 0, 0, {nullptr, nullptr}},
    {IDM_READ_REGISTRY, POPUP_FILE, 0, 0, 0, 1, 0,
     {"レジストリ情報を取込む(&R)", "現レジストリ情報と比較(&R)"}},
    {IDM_OPEN_COMPARISON, POPUP_FILE, 0, MENU_GREYED, 0, 0, 0, {nullptr, nullptr}},
    {IDM_CLOSE, POPUP_FILE, 1, MENU_GREYED, 0, 0, 0, {nullptr, nullptr}},
    {IDM_SAVE, POPUP_FILE, 0, MENU_GREYED, 0, 0, 0, {nullptr, nullptr}},
    {IDM_MAKE_AUTOCHECK_DATA, POPUP_FILE, 1, MENU_GREYED, 0, 0, 0, {nullptr, nullptr}},
    {IDM_TOGGLE_AUTOCHECK, POPUP_FILE, 1, MENU_GREYED, 0, 1, 0,
     {"自動チェック開始(&B)", "自動チェック停止(&B)"}},
    {IDM_CLEAR_AUTOCHECK_LOG, POPUP_FILE, 1, MENU_GREYED, 0, 0, 0, {nullptr, nullptr}},
    {IDM_SHOW_AUTOCHECK_LOG, POPUP_FILE, 1, MENU_GREYED, 0, 0, 0, {nullptr, nullptr}},
    // 編集(&E)
    {IDM_COPY_KEY_NAME, POPUP_EDIT, 0, MENU_GREYED, 0, 0, 0, {nullptr, nullptr}},
    {IDM_UNDO_CHANGE, POPUP_EDIT, 1, MENU_GREYED, 0, 0, 0, {nullptr, nullptr}},
    {IDM_COPY_KEY_STRUCTURE, POPUP_EDIT, 1, MENU_GREYED, 0, 0, 0, {nullptr, nullptr}},
    {IDM_COPY_VALUE, POPUP_EDIT, 1, MENU_GREYED, 0, 0, 0, {nullptr, nullptr}},
    {IDM_SEARCH, POPUP_EDIT, 0, MENU_GREYED, 0, 0, 0, {nullptr, nullptr}},
    {IDM_FIND_NEXT, POPUP_EDIT, 0, MENU_GREYED, 0, 0, 0, {nullptr, nullptr}},
    {IDM_SEARCH_MISSING_FILES, POPUP_EDIT, 1, MENU_GREYED, 0, 0, 0, {nullptr, nullptr}},
    {IDM_END_SEARCH, POPUP_EDIT, 1, MENU_GREYED, 0, 0, 0, {nullptr, nullptr}},
    {IDM_MARK, POPUP_EDIT, 0, MENU_GREYED, 0, 0, 0, {nullptr, nullptr}},
    {IDM_COPY_SEARCH_RESULTS, POPUP_EDIT, 1, MENU_GREYED, 0, 0, 0, {nullptr, nullptr}},
    {IDM_COPY_ALL_CHANGES, POPUP_EDIT, 1, MENU_GREYED, 0, 0, 0, {nullptr, nullptr}},
    {IDM_COPY_KEY_CHANGES, POPUP_EDIT, 1, MENU_GREYED, 0, 0, 0, {nullptr, nullptr}},
    {IDM_CLEAR_CLIPBOARD, POPUP_EDIT, 1, MENU_GREYED, 0, 0, 0, {nullptr, nullptr}},
    // 表示(&V)
    {IDM_STATUS_INFORMATION, POPUP_VIEW, 0, 0, 0, 0, 0, {nullptr, nullptr}},
    {IDM_DESCRIBE_ITEM, POPUP_VIEW, 1, MENU_GREYED, 0, 0, 0, {nullptr, nullptr}},
    {IDM_OPEN_DESCRIBED_ITEMS, POPUP_VIEW, 1, MENU_GREYED, 0, 0, 0, {nullptr, nullptr}},
    {IDM_OPEN_ALL_CHANGES, POPUP_VIEW, 0, MENU_GREYED, 0, 0, 0, {nullptr, nullptr}},
    {IDM_OPEN_ADDED_DELETED, POPUP_VIEW, 0, MENU_GREYED, 0, 0, 0, {nullptr, nullptr}},
    {IDM_OPEN_ALL_EXCEPTIONS, POPUP_VIEW, 0, MENU_GREYED, 0, 1, 0,
     {"例外状態を全て開く(&O)", "検索結果を全て開く(&O)"}},
    {IDM_SHOW_ALL_IN_KEY, POPUP_VIEW, 0, MENU_GREYED, 0, 0, 0, {nullptr, nullptr}},
    {IDM_OPEN_CHANGES_IN_KEY, POPUP_VIEW, 0, MENU_GREYED, 0, 0, 0, {nullptr, nullptr}},
    {IDM_SHOW_VALUES_IN_KEY, POPUP_VIEW, 0, MENU_GREYED, 0, 0, 0, {nullptr, nullptr}},
    {IDM_HIDE_ITEM, POPUP_VIEW, 0, MENU_GREYED, 0, 0, 0, {nullptr, nullptr}},
    {IDM_CLOSE_LEVEL, POPUP_VIEW, 0, MENU_GREYED, 0, 0, 0, {nullptr, nullptr}},
    {IDM_CLOSE_ALL, POPUP_VIEW, 0, MENU_GREYED, 0, 0, 0, {nullptr, nullptr}},
    {IDM_PROPERTIES, POPUP_VIEW, 0, MENU_GREYED, 0, 0, 0, {nullptr, nullptr}},
    {IDM_OPEN_COPIED_KEY, POPUP_VIEW, 0, MENU_GREYED, 0, 0, 0, {nullptr, nullptr}},
    // 表示設定(&D)
    {IDM_SHOW_SIZES, POPUP_DISPLAY, 0, 0, 0, 0, 0, {nullptr, nullptr}},
    {IDM_SHOW_MODIFIED, POPUP_DISPLAY, 1, 0, 0, 0, 0, {nullptr, nullptr}},
    {IDM_SHOW_VALUES, POPUP_DISPLAY, 0, 0, 0, 0, 0, {nullptr, nullptr}},
    {IDM_SHOW_DESCRIPTIONS, POPUP_DISPLAY, 1, 0, 0, 0, 0, {nullptr, nullptr}},
    {IDM_KEYS_ONLY, POPUP_DISPLAY, 1, MENU_GREYED, 0, 0, 0, {nullptr, nullptr}},
    {IDM_COMPARE_AGAIN, POPUP_DISPLAY, 1, MENU_GREYED, 0, 0, 0, {nullptr, nullptr}},
    // 設定(&S)
    {IDM_RESET_CONTROLS, POPUP_SETTINGS, 1, 0, 0, 0, 0, {nullptr, nullptr}},
    {IDM_OPTIONS, POPUP_SETTINGS, 1, 0, 0, 0, 0, {nullptr, nullptr}},
    {IDM_COPY_BASELINE_CONTROLS, POPUP_SETTINGS, 1, MENU_GREYED, 0, 0, 0, {nullptr, nullptr}},
    {IDM_NOT_READ, POPUP_SETTINGS, 0, MENU_GREYED, 0, 0, 0, {nullptr, nullptr}},
    {IDM_NOT_CHECKED, POPUP_SETTINGS, 0, MENU_GREYED, 0, 0, 0, {nullptr, nullptr}},
    {IDM_NOT_DISPLAYED, POPUP_SETTINGS, 0, MENU_GREYED, 0, 0, 0, {nullptr, nullptr}},
    {IDM_SAME_NAME_NOT_CHECKED, POPUP_SETTINGS, 1, MENU_GREYED, 0, 0, 0, {nullptr, nullptr}},
    {IDM_AUTOCHECK_TARGET, POPUP_SETTINGS, 0, MENU_GREYED, 0, 0, 0, {nullptr, nullptr}},
    {IDM_UNCHECK_MISMATCHES, POPUP_SETTINGS, 1, MENU_GREYED, 0, 0, 0, {nullptr, nullptr}},
    {IDM_CLEAR_ALL_UNCHECKED, POPUP_SETTINGS, 1, MENU_GREYED, 0, 0, 0, {nullptr, nullptr}},
    {IDM_DELETED_TO_VALID, POPUP_SETTINGS, 1, MENU_GREYED, 0, 0, 0, {nullptr, nullptr}},
    {0, 0, 0, 0, 0, 0, 0, {nullptr, nullptr}},
};

// Right-click menu of the tree. The table ends with id RIGHT_CLICK_END; id 0 is a
// separator. `mask` says for which kind of item the entry is shown; `state` holds the
// entry's current state, mirrored from the menu-state operations.
constexpr uint16_t RIGHT_CLICK_SEPARATOR = 0;
constexpr uint16_t RIGHT_CLICK_END = 0xFFFF;
constexpr uint8_t RIGHT_CLICK_ENABLED = 1;
constexpr uint8_t RIGHT_CLICK_CHECKED = 2;
constexpr uint8_t RIGHT_CLICK_FOR_KEYS = 1;
constexpr uint8_t RIGHT_CLICK_FOR_VALUES = 2;

struct RightClickEntry {
  uint16_t id;
  uint8_t state;  // RIGHT_CLICK_ENABLED | RIGHT_CLICK_CHECKED
  uint8_t mask;   // RIGHT_CLICK_FOR_KEYS | RIGHT_CLICK_FOR_VALUES
  const char* text;
};

constexpr int kRightClickEntryCount = 26;

namespace command_tables_detail {
constexpr uint8_t kKeys = RIGHT_CLICK_FOR_KEYS;
constexpr uint8_t kValues = RIGHT_CLICK_FOR_VALUES;
constexpr uint8_t kBoth = RIGHT_CLICK_FOR_KEYS | RIGHT_CLICK_FOR_VALUES;
}  // namespace command_tables_detail

inline constexpr RightClickEntry kInitialRightClickMenu[kRightClickEntryCount + 1] = {
    {IDM_NOT_READ, 0, command_tables_detail::kKeys, "取込まない"},
    {IDM_NOT_CHECKED, 0, command_tables_detail::kBoth, "チェックしない"},
    {IDM_NOT_DISPLAYED, 0, command_tables_detail::kKeys, "表示しない"},
    {IDM_SAME_NAME_NOT_CHECKED, 0, command_tables_detail::kKeys, "同名のキーは全てチェックしない"},
    {RIGHT_CLICK_SEPARATOR, 0, command_tables_detail::kBoth, nullptr},
    {IDM_AUTOCHECK_TARGET, 0, command_tables_detail::kKeys, "自動チェック対象に設定"},
    {RIGHT_CLICK_SEPARATOR, 0, command_tables_detail::kKeys, nullptr},
    {IDM_FIND_NEXT, 0, command_tables_detail::kBoth, "次を検索"},
    {IDM_MARK, 0, command_tables_detail::kBoth, "マーク"},
    {IDM_DESCRIBE_ITEM, 0, command_tables_detail::kBoth, "この項目の説明"},
    {IDM_PROPERTIES, 0, command_tables_detail::kBoth, "プロパティ"},
    {IDM_FILE_PROPERTIES, 0, command_tables_detail::kValues, "ファイルのプロパティ"},
    {RIGHT_CLICK_SEPARATOR, 0, command_tables_detail::kKeys, nullptr},
    {IDM_OPEN_CHANGES_IN_KEY, 0, command_tables_detail::kKeys, "キー内の変化分を開く"},
    {IDM_SHOW_ALL_IN_KEY, 0, command_tables_detail::kKeys, "キー項目内を全て表示"},
    {IDM_SHOW_VALUES_IN_KEY, 0, command_tables_detail::kKeys, "キー内の値項目を表示"},
    {RIGHT_CLICK_SEPARATOR, 0, command_tables_detail::kBoth, nullptr},
    {IDM_HIDE_ITEM, 0, command_tables_detail::kBoth, "この項目を表示しない"},
    {IDM_CLOSE_LEVEL, 0, command_tables_detail::kBoth, "この階層を閉じる"},
    {RIGHT_CLICK_SEPARATOR, 0, command_tables_detail::kBoth, nullptr},
    {IDM_COPY_KEY_NAME, 0, command_tables_detail::kBoth, "キー名をコピー"},
    {IDM_COPY_KEY_STRUCTURE, 0, command_tables_detail::kKeys, "キー構成リストをコピー"},
    {IDM_COPY_VALUE, 0, command_tables_detail::kValues, "値をコピー"},
    {IDM_COPY_KEY_CHANGES, 0, command_tables_detail::kKeys, "変化リストをコピー"},
    {RIGHT_CLICK_SEPARATOR, 0, command_tables_detail::kBoth, nullptr},
    {IDM_RIGHT_CLICK_CANCEL, RIGHT_CLICK_ENABLED, command_tables_detail::kBoth, "キャンセル"},
    {RIGHT_CLICK_END, 0, 0, nullptr},
};

// Toolbar: CreateToolbarEx with 19 x 18 buttons showing 18 x 18 images cut from bitmap
// 134, one button per entry in this order. A separator has image TOOLBAR_SEPARATOR and
// id 0. A null tool tip means the item's current menu text up to its first "(" (the
// buttons whose menu item switches between two texts).
constexpr int16_t TOOLBAR_SEPARATOR = -1;
constexpr int kToolbarButtonWidth = 19;
constexpr int kToolbarButtonHeight = 18;
constexpr int kToolbarImageSize = 18;
// Images in bitmap 134; image 8 is drawn but no button shows it.
constexpr int kToolbarImageCount = 26;

struct ToolbarEntry {
  int16_t image;
  uint16_t id;
  const char* toolTip;
};

constexpr int kToolbarEntryCount = 32;

inline constexpr ToolbarEntry kToolbarButtons[kToolbarEntryCount] = {
    {0, IDM_OPEN_BASELINE, "基準ファイルを開く"},
    {1, IDM_READ_REGISTRY, nullptr},
    {2, IDM_OPEN_COMPARISON, "比較対照ファイルを開く"},
    {3, IDM_SAVE, "保存"},
    {TOOLBAR_SEPARATOR, 0, nullptr},
    {4, IDM_COPY_KEY_NAME, "キー名をコピー"},
    {5, IDM_SEARCH, "検索"},
    {6, IDM_FIND_NEXT, "次を検索"},
    {7, IDM_MARK, "マーク"},
    {TOOLBAR_SEPARATOR, 0, nullptr},
    {9, IDM_SHOW_SIZES, "情報量表示"},
    {10, IDM_SHOW_VALUES, "値項目表示"},
    {TOOLBAR_SEPARATOR, 0, nullptr},
    {11, IDM_OPEN_ALL_CHANGES, "変化分を全て開く"},
    {12, IDM_OPEN_ADDED_DELETED, "追加・削除を全て開く"},
    {13, IDM_OPEN_ALL_EXCEPTIONS, nullptr},
    {TOOLBAR_SEPARATOR, 0, nullptr},
    {14, IDM_OPEN_CHANGES_IN_KEY, "キー内の変化分を開く"},
    {15, IDM_SHOW_ALL_IN_KEY, "キー項目内を全て表示"},
    {16, IDM_SHOW_VALUES_IN_KEY, "キー内の値項目を表示"},
    {25, IDM_OPEN_COPIED_KEY, "コピーしたキー名を開く"},
    {TOOLBAR_SEPARATOR, 0, nullptr},
    {17, IDM_CLOSE_LEVEL, "この階層を閉じる"},
    {18, IDM_CLOSE_ALL, "全て閉じる"},
    {TOOLBAR_SEPARATOR, 0, nullptr},
    {19, IDM_STATUS_INFORMATION, "状況情報"},
    {20, IDM_PROPERTIES, "プロパティ"},
    {TOOLBAR_SEPARATOR, 0, nullptr},
    {21, IDM_NOT_READ, "取込まない"},
    {22, IDM_NOT_CHECKED, "チェックしない"},
    {23, IDM_NOT_DISPLAYED, "表示しない"},
    {24, IDM_AUTOCHECK_TARGET, "自動チェック対象"},
};
