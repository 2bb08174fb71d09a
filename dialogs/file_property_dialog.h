// The file property dialog (resource 156, "ファイルのプロパティ"): the folder, name,
// times, size, type, attributes and version strings of the file a registry text
// names. Modeless and single: a later request refills the open dialog (restoring it
// when minimised). Its position and size are remembered while the program runs, and
// it can be made smaller but never larger than its first size.
#pragma once

#include <windows.h>

// Opens (or refills) the dialog for the file named by `text`.
void showFileProperties(const char* text);
// The open dialog, or null.
HWND filePropertiesWindow();
