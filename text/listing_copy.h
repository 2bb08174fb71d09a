// Putting a finished listing on the clipboard, and the warning shown instead when
// the listing was too large for one block.
//
// The edit commands build a listing (text/listings.h) and hand it here; the texts of
// the warnings and of the status line after each copy live here too, so the window's
// commands and any other front end say the same.
#pragma once

#include "text/listings.h"

// Which warning a listing too large to build gets.
enum class ListingWarning {
  kNone,          // listings that cannot grow large (key name, value entry)
  kKeyStructure,  // "キー構成のコピー"
  kSearchResults,
  kChanges,
};

// Copies `listing` to the clipboard (clipboard failures are silent). When the listing
// could not be built, shows the warning for `warning` (none for kNone) and returns
// false; true when the text was handed to the clipboard.
bool copyListingToClipboard(const ListingText& listing, ListingWarning warning);

// Status texts shown after each copy.
extern const char kKeyNameCopiedStatus[];        // "コピー完了"
extern const char kKeyStructureCopiedStatus[];   // "キー構成のコピー完了"
extern const char kValueCopiedStatus[];          // "値エントリのコピー完了"
extern const char kSearchResultsCopiedStatus[];  // "検索結果のコピー完了"
extern const char kChangesCopiedStatus[];        // "変化分のコピー完了"
extern const char kAllChangesCopiedStatus[];     // "全変化分のコピー完了"
extern const char kClipboardClearedStatus[];     // "クリア完了"
