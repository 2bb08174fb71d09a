// The mark heading dialog (resource 153, "マークの追加・変更"): the heading to give a
// mark, with the mark path shown read-only. OK stays greyed while the heading could
// not be kept (empty, or holding a double quote), so what is entered always reads
// back from the mark list file.
#pragma once

#include <windows.h>

#include <string>

// Modal, owned by `owner`. `heading` is the preset (cut to 255 bytes on a character
// boundary) and, after OK, the heading entered. True for OK.
bool editMarkHeading(HWND owner, std::string& heading, const std::string& path);
