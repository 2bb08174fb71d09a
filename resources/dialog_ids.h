// Control ids of the dialogs in regKestrin.rc. Plain #defines: the resource compiler
// reads this file as well as C++. Static texts that the program never addresses use
// IDC_STATIC (-1).
#pragma once

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

// Version dialog (IDD_VERSION): OK (IDOK) and Cancel close it; the button opens the
// support page in the browser.
#define IDC_VERSION_ICON 1000
#define IDC_VERSION_SUPPORT_PAGE 1001

// Status information dialog (IDD_STATUS_INFORMATION): one read-only field per count,
// filled by the shell. "閉じる" is IDOK; Cancel (Esc) closes it as well.
#define IDC_STATUS_BASELINE 1026
#define IDC_STATUS_COMPARISON 1027
#define IDC_STATUS_KEYS 1006
#define IDC_STATUS_VALUES 1008
#define IDC_STATUS_KILOBYTES 1028
#define IDC_STATUS_NOT_READ 1022
#define IDC_STATUS_NOT_CHECKED 1024
#define IDC_STATUS_NOT_DISPLAYED 1025
#define IDC_STATUS_REFUSED 1010
#define IDC_STATUS_ADDED_KEYS 1012
#define IDC_STATUS_DELETED_KEYS 1014
#define IDC_STATUS_MISMATCHED_VALUES 1016
#define IDC_STATUS_ADDED_VALUES 1018
#define IDC_STATUS_DELETED_VALUES 1020

// Option sheet, page "全般" (IDD_OPTIONS_GENERAL).
#define IDC_OPTIONS_KEEP_VALUE_DATA 1001
#define IDC_OPTIONS_READ_CLASS_INFO 1002
#define IDC_OPTIONS_DATA_FOLDER 1003
#define IDC_OPTIONS_CHOOSE_FOLDER 1004
#define IDC_OPTIONS_SKIP_DUPLICATES 1005
#define IDC_OPTIONS_GROUP_CLASS_INFO 1006
#define IDC_OPTIONS_SKIP_VOLATILE 1007
#define IDC_OPTIONS_DISCARD_REFUSED 1008
#define IDC_OPTIONS_SKIP_HARDWARE 1009
#define IDC_OPTIONS_APPLY_USER_CONTROL 1010
#define IDC_OPTIONS_AUTO_SAVE_DIALOG 1011

// Option sheet, page "その他" (IDD_OPTIONS_OTHER); the three combo boxes take typed
// numbers as well as their lists.
#define IDC_OPTIONS_WARN_ROWS 1050
#define IDC_OPTIONS_LEVEL_ROWS 1051
#define IDC_OPTIONS_AUTOCHECK_MINUTES 1052
#define IDC_OPTIONS_ALLOW_REGEDIT 1054
#define IDC_OPTIONS_ASSOCIATE_RSV 1055
#define IDC_OPTIONS_KEEP_DELETED_CONTENTS 1075
