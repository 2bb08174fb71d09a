#include "search/search_engine.h"

#include <cstdio>
#include <cstring>

#include "engine/store_walk.h"
#include "engine/view_state.h"
#include "platform/environment.h"
#include "search/search_expression.h"
#include "search/search_match.h"
#include "text/value_text.h"

SearchSettings& searchSettings() {
  static SearchSettings settings;
  return settings;
}

int& searchResultState() {
  static int state = SEARCH_STATE_NONE;
  return state;
}

namespace {
// The buffer REG_EXPAND_SZ data are expanded into, terminator included.
constexpr size_t kExpandedBytes = 520;
}  // namespace

bool testSearchString(const SearchEntry& entry, const char* text, size_t length) {
  if (entry.flags & SEARCH_FILE_NAME_ONLY) {
    // filePathLength reads up to a NUL: give it a terminated copy when needed.
    if (text[length] == '\0') {
      if (filePathLength(text) == 0) return false;
    } else if (filePathLength(std::string(text, length).c_str()) == 0) {
      return false;
    }
  }
  if (entry.flags & SEARCH_EXPRESSION) return evaluateSearchExpression(text, length);
  const size_t textLength = std::strlen(entry.text);
  const bool partial = (entry.flags & SEARCH_PARTIAL) != 0;
  if (entry.flags & SEARCH_WILDCARD) return matchWildcard(entry.text, textLength, partial, text, length);
  return matchPlainText(entry.text, textLength, partial, text, length);
}

bool testSearchData(const SearchEntry& entry, const uint8_t* data, size_t length, uint32_t type) {
  const char* text = reinterpret_cast<const char*>(data);
  if (type == kRegExpandSz) {
    std::string expanded = platform::expandEnvironment(std::string(text, strnlen(text, length)).c_str());
    if (expanded.size() > kExpandedBytes - 1) expanded.resize(kExpandedBytes - 1);
    return testSearchString(entry, expanded.c_str(), expanded.size());
  }
  if (type == kRegMultiSz) {
    size_t at = 0;
    while (at < length) {
      const size_t n = strnlen(text + at, length - at);
      if (n == 0) break;
      if (at + n < length) {
        if (testSearchString(entry, text + at, n)) return true;
      } else if (testSearchString(entry, std::string(text + at, n).c_str(), n)) {
        return true;  // a last string without its NUL
      }
      at += n + 1;
    }
    return false;
  }
  return testSearchString(entry, text, strnlen(text, length));
}

namespace {

void fillWalk(SearchWalk& walk, SnapshotStore& store, const SearchEntry& entry, uint16_t viewState) {
  const SearchSettings& settings = searchSettings();
  walk.store = &store;
  walk.flags = entry.flags;
  walk.range = settings.range;
  // Key times exist only where a live reading is shown.
  const bool live = viewShowsLiveReading(viewState);
  walk.dateAfterOn = live && settings.dateAfterOn;
  walk.dateAfter = settings.dateAfter;
  walk.dateBeforeOn = live && settings.dateBeforeOn;
  walk.dateBefore = settings.dateBefore;
  for (int i = 0; i < kSearchEntryTypes; ++i) walk.entryTypes[i] = settings.entryTypes[i];
  walk.liveRead = live;
  walk.testName = [&entry](const char* text, size_t length) {
    return testSearchString(entry, text, length);
  };
  walk.testData = [&entry](const uint8_t* data, size_t length, uint32_t type) {
    return testSearchData(entry, data, length, type);
  };
}

std::string notFoundText(const SearchEntry& entry) {
  return std::string("「") + entry.text + "」は見付かりませんでした。";
}

// The key that scope 2 confines to: the one chosen, if still a key.
ItemIndex scopeKeyOf(SnapshotStore& store) {
  const SearchSettings& settings = searchSettings();
  if (settings.scope != SEARCH_SCOPE_INSIDE_SELECTED) return kNoItem;
  return store_walk::isKey(store, settings.scopeKey) ? settings.scopeKey : kNoItem;
}

bool runIncremental(SnapshotStore& store, const SearchEntry& entry, ItemIndex selected,
                    uint16_t viewState, SearchDisplay& display) {
  SearchWalk walk;
  fillWalk(walk, store, entry, viewState);
  walk.batch = false;
  if (searchResultState() == SEARCH_STATE_STARTING || selected == kNoItem) {
    walk.active = true;
  } else {
    walk.active = false;
    walk.startItem = selected;
  }
  const ItemIndex scopeKey = scopeKeyOf(store);
  display.busy(true);
  if (scopeKey != kNoItem) {
    walkForHits(walk, scopeKey, false);
  } else {
    walkForHits(walk, 0, true);
  }
  display.busy(false);
  if (walk.hit == kNoItem) {
    if (searchResultState() == SEARCH_STATE_STARTING) searchResultState() = SEARCH_STATE_NONE;
    display.setStatus(notFoundText(entry));
    display.beep();
    return false;
  }
  searchResultState() = SEARCH_STATE_HITS;
  display.revealItem(walk.hit, true);
  display.showItemPath(walk.hit);
  display.setResultCopyEnabled(true);
  return true;
}

bool runBatch(SnapshotStore& store, const SearchEntry& entry, ItemIndex selected,
              bool displayDuringSearch, uint32_t displayLimit, uint16_t viewState,
              SearchDisplay& display) {
  SearchWalk walk;
  fillWalk(walk, store, entry, viewState);
  walk.batch = true;
  const SearchSettings& settings = searchSettings();
  const ItemIndex scopeKey = scopeKeyOf(store);
  if (settings.scope == SEARCH_SCOPE_FROM_SELECTED && scopeKey == kNoItem && selected != kNoItem) {
    walk.active = false;
    walk.startItem = selected;
  }
  bool shown = false;
  uint32_t limit = displayDuringSearch ? displayLimit : 0;
  int64_t counted = 0;
  walk.onHit = [&](ItemIndex item) {
    ++counted;
    display.setStatus(std::to_string(counted) + " 検出");
    if (limit > 0) {
      display.revealItem(item, false);
      --limit;
      shown = true;
    }
  };
  searchResultState() = SEARCH_STATE_HITS;
  display.busy(true);
  const int64_t hits = scopeKey != kNoItem ? walkForHits(walk, scopeKey, false)
                                           : walkForHits(walk, 0, true);
  display.busy(false);
  if (hits == 0) {
    searchResultState() = SEARCH_STATE_NONE;
    display.setStatus(notFoundText(entry));
    display.beep();
    display.setResultCopyEnabled(false);
    return false;
  }
  char status[96];
  std::snprintf(status, sizeof status, "検出件数：%lld 件、%lld 行", static_cast<long long>(hits),
                static_cast<long long>(countMarkedLines(store)));
  display.setStatus(status);
  if (!shown) display.revealSearchHits();
  display.setResultCopyEnabled(true);
  return false;
}

}  // namespace

bool runSearch(SnapshotStore& store, const SearchEntry& entry, ItemIndex selected,
               bool displayDuringSearch, uint32_t displayLimit, uint16_t viewState,
               SearchDisplay& display) {
  if (!holdsKeys(store)) return false;
  if (searchResultState() == SEARCH_STATE_STARTING) {
    clearViewFlags(store, VIEW_HIT | VIEW_HIT_BELOW | VIEW_HIT_IMAGE | VIEW_HIT_BELOW_IMAGE);
  }
  if (entry.flags & SEARCH_BATCH) {
    return runBatch(store, entry, selected, displayDuringSearch, displayLimit, viewState, display);
  }
  return runIncremental(store, entry, selected, viewState, display);
}

bool findNextHit(SnapshotStore& store, ItemIndex selected, uint16_t viewState,
                 SearchDisplay& display) {
  SearchEntry* entry = currentSearchEntry(searchHistory());
  if (!entry || !holdsKeys(store)) return false;
  return runIncremental(store, *entry, selected, viewState, display);
}

void clearSearchMarks(SnapshotStore& store, const std::function<void(ItemIndex)>& changed) {
  constexpr uint16_t kKeyMarks = VIEW_HIT | VIEW_HIT_BELOW | VIEW_HIT_IMAGE | VIEW_HIT_BELOW_IMAGE;
  for (ItemIndex key = 0; key < store.counts.keyCount; ++key) {
    if (!store_walk::isKey(store, key)) {
      key |= kSlotsPerBlock - 1;  // skip a missing block
      continue;
    }
    uint16_t& flags = keyFlags(store, key);
    if (flags & (VIEW_HIT | VIEW_HIT_BELOW)) {
      flags = static_cast<uint16_t>(flags & ~kKeyMarks);
      if (changed) changed(key);
    }
  }
  for (ItemIndex value = 0; value < store.counts.valueCount; ++value) {
    if (!store_walk::isValue(store, value)) {
      value |= kSlotsPerBlock - 1;
      continue;
    }
    uint16_t& flags = valueFlags(store, value);
    if (flags & VIEW_HIT) {
      flags = static_cast<uint16_t>(flags & ~VIEW_HIT);
      if (changed) changed(static_cast<ItemIndex>(static_cast<uint32_t>(value) | kValueItemBit));
    }
  }
}
