// Helpers the property dialogs share: the selected part of a read-only edit field in
// the program's cp932 bytes, the fixed-pitch font of the data fields, and handing a
// search text to the search dialog.
#pragma once

#include <windows.h>

#include <string>

#include "text/item_properties.h"

// The text of edit control `id` and its selection, as cp932 bytes (the control counts
// characters; a double-byte character is two bytes here).
FieldSelection editSelection(HWND dialog, int id);

// "ＭＳ ゴシック" for hex dumps and listings; made once, released at exit by the system.
HFONT fixedPitchFont();

// Puts `text` at the head of the search history with the merge request and the three
// targets, so that the search dialog opens with it, and posts the search command.
void startSearchFor(const std::string& text);
