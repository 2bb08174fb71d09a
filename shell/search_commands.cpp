#include "shell/search_commands.h"

#include <windows.h>

#include "dialogs/search_dialog.h"
#include "platform/clock.h"
#include "resources/command_ids.h"
#include "rules/options.h"
#include "search/missing_files.h"
#include "search/search_engine.h"
#include "shell/app_state.h"
#include "shell/menu_state.h"
#include "shell/status_line.h"
#include "shell/tree_view.h"
#include "text/listing_copy.h"
#include "text/listings.h"
#include "text/operation_log.h"

namespace {

// The search engine's view of the shell: the tree and the status line.
class TreeSearchDisplay : public SearchDisplay {
 public:
  void setStatus(const std::string& text) override { setStatusText("%s", text.c_str()); }
  void beep() override { MessageBeep(MB_OK); }
  void busy(bool on) override {
    if (on) {
      beginBusyCursor();
      ++quietExpand;
    } else {
      --quietExpand;
      endBusyCursor();
    }
  }
  void revealItem(ItemIndex item, bool select) override {
    ::revealItem(item, select ? 0 : 3);
    if (select && item < 0) setCommandEnabled(IDM_SHOW_ALL_IN_KEY, false);
  }
  void revealSearchHits() override { ::revealSearchHits(0, false); }
  void showItemPath(ItemIndex item) override { ::showItemPath(item); }
  void setResultCopyEnabled(bool on) override { setCommandEnabled(IDM_COPY_SEARCH_RESULTS, on); }
};

void closeTopLevelKeys() {
  for (ItemIndex root = 0; root < kRootKeyCount; ++root) {
    if (treeItemOf(root)) openSubtree(root, 0, 0);
  }
}

// After a search that did not select a hit: end-search and the hit form of 32782
// follow whether anything is marked.
void afterBatch() {
  setCommandEnabled(IDM_FIND_NEXT, false);
  if (countMarkedLines(currentStore()) > 0) {
    setCommandEnabled(IDM_END_SEARCH, true);
    setCommandText(IDM_OPEN_ALL_EXCEPTIONS, 1);
  }
}

ItemIndex selectedKeyOf(ItemIndex selected) {
  if (selected == kNoItem) return kNoItem;
  if (selected >= 0) return selected;
  return ownerKeyOfValue(currentStore(), static_cast<ItemIndex>(static_cast<uint32_t>(selected) & ~kValueItemBit));
}

}  // namespace

void endSearchCommand() {
  setCommandEnabled(IDM_FIND_NEXT, false);
  setCommandEnabled(IDM_COPY_SEARCH_RESULTS, false);
  if (searchResultState() == SEARCH_STATE_NONE) return;
  if (viewState == VIEW_STATE_NOTHING) {
    clearSearchMarks(currentStore(), nullptr);
    searchResultState() = SEARCH_STATE_NONE;
    searchResultsShown = false;
    return;
  }
  closeTopLevelKeys();
  setCommandText(IDM_OPEN_ALL_EXCEPTIONS, 0);
  setCommandEnabled(IDM_END_SEARCH, false);
  searchResultState() = SEARCH_STATE_NONE;
  clearSearchMarks(currentStore(), [](ItemIndex item) { refreshItemImage(item, item < 0); });
  searchResultsShown = false;
}

void searchCommand() {
  logOperation(":検索");
  const ItemIndex selected = currentItem;
  if (!showSearchDialog(selected)) return;
  SearchSettings& settings = searchSettings();
  SnapshotStore& store = currentStore();
  if (settings.range.previousHits) rememberHits(store);
  if (settings.resetDisplay) {
    if (searchResultState() != SEARCH_STATE_NONE) {
      endSearchCommand();
    } else {
      closeTopLevelKeys();
    }
  }
  settings.scopeKey = selectedKeyOf(selected);
  searchResultState() = SEARCH_STATE_STARTING;
  searchResultsShown = true;
  TreeSearchDisplay display;
  const SearchEntry* entry = currentSearchEntry(searchHistory());
  if (!entry) return;
  const bool found = runSearch(store, *entry, selected, settings.displayDuringSearch,
                               settings.displayLimit, viewState, display);
  if (found) {
    setCommandEnabled(IDM_FIND_NEXT, true);
    setCommandEnabled(IDM_END_SEARCH, true);
    setCommandText(IDM_OPEN_ALL_EXCEPTIONS, 1);
  } else {
    afterBatch();
  }
}

void findNextCommand() {
  const ItemIndex selected = currentItem;
  logOperation(":次を検索:%x", static_cast<unsigned>(selected));
  POINT cursor;
  const bool haveCursor = GetCursorPos(&cursor) != 0;
  TreeSearchDisplay display;
  findNextHit(currentStore(), selected, viewState, display);
  if (haveCursor) SetCursorPos(cursor.x, cursor.y);
}

void missingFileCommand() {
  logOperation(":ファイル検索");
  searchResultsShown = true;
  TreeSearchDisplay display;
  missingFileSearch(currentStore(), viewState, display);
  afterBatch();
  if (searchResultState() == SEARCH_STATE_NONE) searchResultsShown = false;
}

void copySearchResults() {
  logOperation(":コピー検索:");
  ListingContext context;
  context.viewState = static_cast<uint16_t>(viewState & ~VIEW_READING);
  context.showValueItems = programOptions.entries[OPT_SHOW_VALUES] != 0;
  context.baselineLabel = baselineLabel.c_str();
  context.comparisonLabel = comparisonLabel.c_str();
  context.now = platform::localTimeNow();
  const SearchEntry* entry = currentSearchEntry(searchHistory());
  beginBusyCursor();
  const bool copied = copyListingToClipboard(
      searchResultList(currentStore(), context, entry ? entry->text : "",
                       searchResultState() == SEARCH_STATE_MISSING_FILES),
      ListingWarning::kSearchResults);
  endBusyCursor();
  if (!copied) return;
  setStatusText("%s", kSearchResultsCopiedStatus);
  clipboardOwned = true;
  setCommandEnabled(IDM_CLEAR_CLIPBOARD, true);
}
