// The option sheet "オプション" (command "オプション(&O)..."): a modal property sheet
// over the main window with the pages "全般" (dialog 139) and "その他" (dialog 151),
// without an Apply button.
//
// The pages edit a working copy only. Leaving "その他" (another page or OK) checks its
// three numbers and keeps the page open with a warning while one is out of range. On
// OK every page takes its controls into the copy, and the ".rsv" association is set or
// removed when its box was changed; Cancel leaves everything as it was.
#pragma once

#include <windows.h>

#include <cstdint>

#include "rules/options.h"

enum class OptionSheetOutcome {
  kCancelled,
  kUnchanged,  // OK, and every entry and the folder text are as before
  kChanged,    // OK; `options` now holds the edited entries and folder
};

// Shows the sheet over the main window editing a copy of `options`; on kChanged the
// copy has been written back (the placement fields are never touched).
OptionSheetOutcome showOptionsSheet(ProgramOptions& options);

// "参照...": the save dialog used as a folder chooser (title "保存フォルダの設定",
// proposed name "Save-Folder-Path"), owned by `page`. On OK the chosen path up to and
// including its last backslash or colon goes into `edit`; Cancel leaves it unchanged.
void chooseSaveFolder(HWND page, HWND edit);

// A number typed into a combo box of "その他": leading spaces skipped, then decimal
// digits; anything else (or nothing) reads as 0. Values past 2^31 - 1 read as that.
int32_t readTypedNumber(const char* text);
// The three numbers of "その他" are usable: both row counts at least 10, the interval
// at least 1 minute and short enough that its seconds fit the timer's 32 bits.
bool optionNumbersValid(int32_t warnRows, int32_t levelRows, int32_t minutes);
