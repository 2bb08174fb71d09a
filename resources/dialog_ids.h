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
