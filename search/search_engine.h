// The search engine: the run-time search settings, the search result state, and the
// searches that the search command, find-next and end-search run over the current
// snapshot store.
//
// A search tests key names, value names and value data against the current history
// entry's text (plain, wildcard or expression), walks with search_walk.h, marks hits
// in the display flags and reports through a SearchDisplay that the shell implements
// with the tree view and status line (tests implement it with a recorder). Single
// threaded; the settings and the state are program-wide and live for the whole run.
#pragma once

#include <cstdint>
#include <string>

#include "engine/snapshot_store.h"
#include "search/search_history.h"
#include "search/search_walk.h"

enum SearchScope : int {
  SEARCH_SCOPE_TOP = 0,            // 先頭から
  SEARCH_SCOPE_FROM_SELECTED = 1,  // 選択キーから
  SEARCH_SCOPE_INSIDE_SELECTED = 2,  // 選択キー内だけ
};

// Settings kept while the program runs (not saved).
struct SearchSettings {
  SearchRange range;
  int scope = SEARCH_SCOPE_TOP;
  // The key whose subtree scope 2 confines the search to, fixed when the dialog's
  // search starts so find-next stays inside it.
  ItemIndex scopeKey = kNoItem;
  bool dateAfterOn = false;
  uint64_t dateAfter = 0;
  bool dateBeforeOn = false;
  uint64_t dateBefore = 0;
  bool datesInitialised = false;  // both times set to "now" when the dialog first opens
  bool displayDuringSearch = false;
  uint32_t displayLimit = 200;
  bool resetDisplay = true;
  bool entryTypes[kSearchEntryTypes] = {true, true, true, true, true, true};
  bool optionsShown = false;
  uint16_t dialogFlags = 0;  // the flags the dialog last used (0: none yet)
};
SearchSettings& searchSettings();

// The search result state: -1 a dialog search is starting (marks are cleared first),
// 0 nothing shown, 1 search hits shown, 2 missing-file hits shown.
constexpr int SEARCH_STATE_STARTING = -1;
constexpr int SEARCH_STATE_NONE = 0;
constexpr int SEARCH_STATE_HITS = 1;
constexpr int SEARCH_STATE_MISSING_FILES = 2;
int& searchResultState();

// What a search shows while and after it runs. The shell's tree and status line.
class SearchDisplay {
 public:
  virtual ~SearchDisplay() = default;
  virtual void setStatus(const std::string& text) = 0;
  virtual void beep() = 0;
  // Wait cursor on, tree open notifications ignored (true), and back (false).
  virtual void busy(bool on) = 0;
  // Shows the item (a value with kValueItemBit) in the tree; `select` also selects it.
  virtual void revealItem(ItemIndex item, bool select) = 0;
  // Refreshes the items already in the tree so they show their marks.
  virtual void revealSearchHits() = 0;
  // The full path of the hit's key in the status line.
  virtual void showItemPath(ItemIndex item) = 0;
  // Command 32810 (copy of the result list).
  virtual void setResultCopyEnabled(bool enabled) = 0;
};

// Whether one string (`length` bytes) is a hit for `entry` under its flags: file-name
// form, expression, wildcard or plain comparison. Expression mode uses the condition
// compiled last (compileSearchExpression).
bool testSearchString(const SearchEntry& entry, const char* text, size_t length);
// Whether a value's data is a hit: REG_EXPAND_SZ expanded (520 bytes at most), each
// string of a REG_MULTI_SZ up to the first empty one, any other type as one string.
bool testSearchData(const SearchEntry& entry, const uint8_t* data, size_t length, uint32_t type);

// Runs a search with `entry` from `selected` (-1: nothing selected; a value carries
// kValueItemBit). Incremental: selects the next hit; returns true when one was found.
// Batch: marks every hit, reports the counts, returns false. `viewState` says whether
// key times and live values are available.
bool runSearch(SnapshotStore& store, const SearchEntry& entry, ItemIndex selected,
               bool displayDuringSearch, uint32_t displayLimit, uint16_t viewState,
               SearchDisplay& display);

// Find-next: an incremental search with the current history entry after `selected`.
bool findNextHit(SnapshotStore& store, ItemIndex selected, uint16_t viewState,
                 SearchDisplay& display);

// Clears the marks of end-search: bits VIEW_HIT..VIEW_HIT_BELOW_IMAGE of every key
// carrying VIEW_HIT or VIEW_HIT_BELOW and VIEW_HIT of every hit value; calls `changed`
// for each item changed (values with kValueItemBit) so their tree items are redrawn.
void clearSearchMarks(SnapshotStore& store, const std::function<void(ItemIndex)>& changed);
