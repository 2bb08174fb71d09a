#include "text/listing_copy.h"

#include "platform/clipboard.h"
#include "platform/message_box.h"

const char kKeyNameCopiedStatus[] = "コピー完了";
const char kKeyStructureCopiedStatus[] = "キー構成のコピー完了";
const char kValueCopiedStatus[] = "値エントリのコピー完了";
const char kSearchResultsCopiedStatus[] = "検索結果のコピー完了";
const char kChangesCopiedStatus[] = "変化分のコピー完了";
const char kAllChangesCopiedStatus[] = "全変化分のコピー完了";
const char kClipboardClearedStatus[] = "クリア完了";

namespace {

// The message speaks of four megabytes; the bound that applies is the pool's 8 MiB
// single block.
const char kNarrowerKeyText[] =
    "４メガバイトを超える情報のコピーはしません。\nもっと狭い範囲のキーを選択して下さい。";
const char kNarrowerSearchText[] =
    "４メガバイトを超える情報のコピーは出来ません。\nもっと狭い範囲の検索にして下さい。";

void warn(ListingWarning warning) {
  const char* text = nullptr;
  const char* caption = nullptr;
  switch (warning) {
    case ListingWarning::kKeyStructure:
      text = kNarrowerKeyText;
      caption = "キー構成のコピー";
      break;
    case ListingWarning::kSearchResults:
      text = kNarrowerSearchText;
      caption = "検索結果のコピー";
      break;
    case ListingWarning::kChanges:
      text = kNarrowerKeyText;
      caption = "検索結果のコピー";
      break;
    case ListingWarning::kNone:
      return;
  }
  platform::showMessage(text, caption, platform::kMsgOk | platform::kMsgIconWarning);
}

}  // namespace

bool copyListingToClipboard(const ListingText& listing, ListingWarning warning) {
  if (!listing.ok()) {
    warn(warning);
    return false;
  }
  platform::copyTextToClipboard(listing.text());
  return true;
}
