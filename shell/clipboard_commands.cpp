#include "shell/clipboard_commands.h"

#include <windows.h>

#include "engine/snapshot_store.h"
#include "platform/clipboard.h"
#include "platform/clock.h"
#include "resources/command_ids.h"
#include "rules/options.h"
#include "shell/app_state.h"
#include "shell/menu_state.h"
#include "shell/status_line.h"
#include "shell/tree_view.h"
#include "text/listing_copy.h"
#include "text/listings.h"
#include "text/operation_log.h"

namespace {

ListingContext listingContext() {
  ListingContext context;
  context.viewState = static_cast<uint16_t>(viewState & ~VIEW_READING);
  context.showValueItems = programOptions.entries[OPT_SHOW_VALUES] != 0;
  context.baselineLabel = baselineLabel.c_str();
  context.comparisonLabel = comparisonLabel.c_str();
  context.now = platform::localTimeNow();
  return context;
}

bool isValueItem(ItemIndex item) { return (static_cast<uint32_t>(item) & kValueItemBit) != 0; }

ItemIndex valueOf(ItemIndex item) {
  return static_cast<ItemIndex>(static_cast<uint32_t>(item) & ~kValueItemBit);
}

// The text is on the clipboard: it is the program's own until another program
// takes the clipboard (refreshClipboardCommand).
void markCopied(const char* status) {
  setStatusText("%s", status);
  clipboardOwned = true;
  setCommandEnabled(IDM_CLEAR_CLIPBOARD, true);
}

}  // namespace

void copyKeyName() {
  logOperation(":コピーキー:%x", static_cast<unsigned>(currentItem));
  if (currentItem == kNoItem) return;
  copyListingToClipboard(keyNameText(currentStore(), currentItem), ListingWarning::kNone);
  markCopied(kKeyNameCopiedStatus);
  if (viewState != VIEW_STATE_NOTHING && platform::clipboardHasText()) {
    setCommandEnabled(IDM_OPEN_COPIED_KEY, true);
  }
}

void copyKeyStructure() {
  logOperation(":コピー構成:%x", static_cast<unsigned>(currentItem));
  if (currentItem == kNoItem || isValueItem(currentItem)) return;
  beginBusyCursor();
  const bool copied = copyListingToClipboard(
      keyStructureList(currentStore(), currentItem, listingContext()), ListingWarning::kKeyStructure);
  endBusyCursor();
  if (copied) markCopied(kKeyStructureCopiedStatus);
}

void copyValue() {
  logOperation(":コピーデータ:%x", static_cast<unsigned>(currentItem));
  if (currentItem == kNoItem || !isValueItem(currentItem)) return;
  beginBusyCursor();
  copyListingToClipboard(valueEntryListing(currentStore(), valueOf(currentItem), listingContext()),
                         ListingWarning::kNone);
  endBusyCursor();
  markCopied(kValueCopiedStatus);
}

void copyKeyChanges() {
  logOperation(":コピー変化分:%x", static_cast<unsigned>(currentItem));
  if (currentItem == kNoItem || isValueItem(currentItem)) return;
  beginBusyCursor();
  const bool copied =
      copyListingToClipboard(changeList(currentStore(), baselineStore(), currentItem, listingContext()),
                             ListingWarning::kChanges);
  endBusyCursor();
  if (copied) markCopied(kChangesCopiedStatus);
}

void copyAllChanges() {
  logOperation(":コピー全変化分:");
  beginBusyCursor();
  const bool copied =
      copyListingToClipboard(changeList(currentStore(), baselineStore(), kNoItem, listingContext()),
                             ListingWarning::kChanges);
  endBusyCursor();
  if (copied) markCopied(kAllChangesCopiedStatus);
}

void clearClipboard() {
  // Another program's text is left alone.
  if (GetClipboardOwner() == mainWindow && OpenClipboard(mainWindow)) {
    EmptyClipboard();
    CloseClipboard();
  }
  setStatusText("%s", kClipboardClearedStatus);
  clipboardOwned = false;
  setCommandEnabled(IDM_CLEAR_CLIPBOARD, false);
}
