// Command ids: the one list of every command the program knows.
//
// A command reaches the main window as WM_COMMAND carrying one of these ids, whether it
// came from the main menu (resource 109), a toolbar button, the right-click menu of the
// tree, a keyboard shortcut or a timer. The menu and accelerator resources, the
// menu-state, toolbar and right-click tables (command_tables.h) and the tests all take
// their ids from here, so an id is changed in this file or nowhere.
//
// Plain #defines only: the resource compiler reads this file as well as C++.
// Every IDM_ name is one command; no two share a value (the tests check both).
#pragma once

// Handled by the main window itself.
#define IDM_VERSION 104
#define IDM_EXIT 105
#define IDM_HELP 32776

// "ﾌｧｲﾙ(&F)"
#define IDM_OPEN_BASELINE 32771
#define IDM_SAVE 32772
#define IDM_READ_REGISTRY 32777
#define IDM_OPEN_COMPARISON 32781
#define IDM_CLOSE 32798
#define IDM_MAKE_AUTOCHECK_DATA 32814
#define IDM_TOGGLE_AUTOCHECK 32815
#define IDM_CLEAR_AUTOCHECK_LOG 32816
#define IDM_SHOW_AUTOCHECK_LOG 32817

// "編集(&E)"
#define IDM_COPY_KEY_NAME 32799
#define IDM_COPY_KEY_STRUCTURE 32800
#define IDM_COPY_VALUE 32801
#define IDM_CLEAR_CLIPBOARD 32804
#define IDM_SEARCH 32805
#define IDM_FIND_NEXT 32806
#define IDM_COPY_SEARCH_RESULTS 32810
#define IDM_COPY_KEY_CHANGES 32811
#define IDM_COPY_ALL_CHANGES 32812
#define IDM_MARK 32821
#define IDM_END_SEARCH 32825
#define IDM_SEARCH_MISSING_FILES 32827
#define IDM_UNDO_CHANGE 32829

// "表示(&V)"
#define IDM_STATUS_INFORMATION 32778
#define IDM_OPEN_ALL_EXCEPTIONS 32782
#define IDM_CLOSE_ALL 32783
#define IDM_PROPERTIES 32787
#define IDM_SHOW_ALL_IN_KEY 32791
#define IDM_CLOSE_LEVEL 32795
#define IDM_OPEN_ALL_CHANGES 32802
#define IDM_SHOW_VALUES_IN_KEY 32808
#define IDM_OPEN_CHANGES_IN_KEY 32818
#define IDM_OPEN_ADDED_DELETED 32820
#define IDM_DESCRIBE_ITEM 32822
#define IDM_OPEN_DESCRIBED_ITEMS 32824
#define IDM_HIDE_ITEM 32826
#define IDM_OPEN_COPIED_KEY 32830

// "表示設定(&D)"
#define IDM_KEYS_ONLY 32779
#define IDM_COMPARE_AGAIN 32794
#define IDM_SHOW_SIZES 32797
#define IDM_SHOW_VALUES 32803
#define IDM_SHOW_DESCRIPTIONS 32823
#define IDM_SHOW_MODIFIED 32828

// "設定(&S)"
#define IDM_NOT_READ 32784
#define IDM_NOT_CHECKED 32785
#define IDM_NOT_DISPLAYED 32786
#define IDM_UNCHECK_MISMATCHES 32788
#define IDM_CLEAR_ALL_UNCHECKED 32789
#define IDM_OPTIONS 32790
#define IDM_RESET_CONTROLS 32792
#define IDM_COPY_BASELINE_CONTROLS 32807
#define IDM_AUTOCHECK_TARGET 32813
#define IDM_DELETED_TO_VALID 32832
#define IDM_SAVE_USER_CONTROLS 32834
#define IDM_SAME_NAME_NOT_CHECKED 32835
#define IDM_ERASE_USER_CONTROLS 32837

// Commands that are in no menu of resource 109.
// Right-click menu of values only: properties of the file a value names.
#define IDM_FILE_PROPERTIES 32833
// Right-click menu: "キャンセル" (the value of IDCANCEL); only re-checks the clipboard.
#define IDM_RIGHT_CLICK_CANCEL 2
// Ctrl+Shift+D: copy the operation log to the clipboard.
#define IDM_COPY_OPERATION_LOG 10010

// "よく開くキー(&F)" (inside "表示(&V)"): favourite n has the id IDM_FAVOURITE_FIRST + n,
// n < MAX_FAVOURITES. The menu template holds one blank, greyed placeholder item whose
// id names no favourite; it is removed once the first favourite is inserted.
#define MAX_FAVOURITES 20
#define IDM_FAVOURITE_FIRST 11000
#define IDM_FAVOURITE_PLACEHOLDER 11020
