// Resource identifiers shared by the resource script and the shell. Command ids are
// in command_ids.h, dialog control ids in dialog_ids.h.
#pragma once

// String table.
#define IDS_APP_TITLE 103
#define IDS_WINDOW_CLASS 109

// Icons: the program icon (32 x 32, with a 16 x 16 copy) and the small icon (16 x 16).
#define IDI_PROGRAM 107
#define IDI_PROGRAM_SMALL 108

// Main menu and accelerator table (the same number for both).
#define IDR_MAIN_MENU 109
#define IDR_ACCELERATORS 109

// Bitmaps: tree images (45 of 16 x 16), toolbar images (18 x 18), and the 13 x 13
// monochrome menu marks for checked (a ticked box) and unchecked (a star) items.
#define IDB_TREE_IMAGES 132
#define IDB_TOOLBAR 134
#define IDB_MENU_CHECKED 146
#define IDB_MENU_STAR 147

// Dialogs.
#define IDD_VERSION 103
#define IDD_MARK_LIST 152
#define IDD_MARK_EDIT 153
#define IDD_STATUS_INFORMATION 140
#define IDD_OPTIONS_GENERAL 139
#define IDD_OPTIONS_OTHER 151
#define IDD_SEARCH 148
#define IDD_VALUE_PROPERTIES 143
#define IDD_VALUE_PROPERTIES_BASELINE 144
#define IDD_KEY_PROPERTIES 149
#define IDD_FILE_PROPERTIES 156
// Item description window (modeless, reused): one read-only text.
#define IDD_ITEM_DESCRIPTION 154
