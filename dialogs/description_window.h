// The item description window (resource 154, "レジストリ項目の説明"): modeless, owned
// by the main window, made on first use and reused until the user closes it.
#pragma once

#include <windows.h>

#include <string>

// Shows `text` under the title `title`. A new window is placed with its top-left
// corner at `anchor` (screen coordinates); an open one keeps its place.
void showDescriptionWindow(const char* title, const std::string& text, POINT anchor);
// The window, or null while none is open.
HWND descriptionWindow();
void destroyDescriptionWindow();
