// The walk over the snapshot that every search shares: keys depth-first in stored
// order (a key's name, then its subkeys, then its values), with the result range,
// the date checks, the entry-type filter and the start item of an incremental search
// applied on the way. What counts as a hit is the caller's: the search text matchers
// (search_engine.h) or the missing-file test (missing_files.h).
//
// Hits are marked in the display flags: VIEW_HIT on the item, VIEW_HIT_BELOW on
// every key above it. The walk keeps its own stack, so a snapshot thousands of
// levels deep is walked without recursion, and a damaged tree (links out of the
// store, cycles) ends it instead of looping.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "engine/snapshot_store.h"
#include "search/search_flags.h"

// The result-range options: which items a search considers at all.
struct SearchRange {
  bool previousHits = false;  // only hits of the previous search (VIEW_PREVIOUS_HIT)
  bool addedDeleted = false;  // added and deleted keys and values
  bool mismatch = false;      // values whose data changed
  bool exceptions = false;    // keys not read, hidden, not checked or refused
  bool any() const { return previousHits || addedDeleted || mismatch || exceptions; }
};

// The entry-type boxes for value data, by registry type.
enum SearchEntryType : int {
  SEARCH_TYPE_SZ = 0,
  SEARCH_TYPE_MULTI_SZ,
  SEARCH_TYPE_EXPAND_SZ,
  SEARCH_TYPE_DWORD,
  SEARCH_TYPE_BINARY,
  SEARCH_TYPE_ETC,
};
constexpr int kSearchEntryTypes = 6;
int searchEntryTypeOf(uint32_t registryType);

struct SearchWalk {
  SnapshotStore* store = nullptr;
  uint16_t flags = 0;  // SEARCH_KEY_NAME, SEARCH_VALUE_NAME, SEARCH_VALUE_DATA are read
  SearchRange range;
  bool dateAfterOn = false;
  uint64_t dateAfter = 0;  // UTC file times
  bool dateBeforeOn = false;
  uint64_t dateBefore = 0;
  bool entryTypes[kSearchEntryTypes] = {true, true, true, true, true, true};
  // Digest-only values are read back from the live registry (a live reading is shown).
  bool liveRead = false;
  // Batch: every hit is counted and the walk goes on. Incremental: the first hit ends it.
  bool batch = true;
  // Until the walk passes `startItem` (a key, or a value with kValueItemBit) no item
  // is tested; `active` false with startItem -1 tests nothing at all.
  ItemIndex startItem = kNoItem;
  bool active = true;

  // Whether a name (key or value) is a hit.
  std::function<bool(const char* text, size_t length)> testName;
  // Whether a value's data is a hit; only called for types whose box is on.
  std::function<bool(const uint8_t* data, size_t length, uint32_t type)> testData;
  // Told about each hit after it is marked (display during search); may be empty.
  std::function<void(ItemIndex item)> onHit;

  int64_t hits = 0;           // counted in batch mode
  ItemIndex hit = kNoItem;    // the incremental hit (values with kValueItemBit)
};

// Walks the key `first` with its subtree, and with `wholeChain` its later siblings
// with theirs. Returns the number of hits (batch) or 1/0 (incremental, `walk.hit`).
int64_t walkForHits(SearchWalk& walk, ItemIndex first, bool wholeChain);

// Marks a hit: VIEW_HIT on the item (a value with kValueItemBit) and VIEW_HIT_BELOW on
// every key above it. `owner` is the key holding a value hit, when the caller knows it:
// otherwise it is found by walking the rest of the key's value list, which for every
// value of a key with many hits adds up to the square of their number.
void markSearchHit(SnapshotStore& store, ItemIndex item, ItemIndex owner = kNoItem);
