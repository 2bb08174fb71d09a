// The clipboard listings: the text of a key's name, a key's structure, a value's
// full data, the search results and the changes below a key or in the whole
// snapshot, as cp932 text with CR LF line ends.
//
// Each builder reads the current snapshot (and, for old data, the baseline) and
// returns the finished text in a pool block (ListingText), or an empty ListingText
// when the text is too large for one block. The builders know nothing of windows or
// of the shell's state: what the view shows, the labels of the two sides, the value
// display option and the time of the header come in through ListingContext. Data
// kept only as a digest is read again from the registry seam when the view shows a
// live reading.
#pragma once

#include <cstdint>

#include "engine/snapshot_store.h"
#include "platform/clock.h"
#include "text/listing_block.h"

struct ListingContext {
  uint16_t viewState = 0;       // the ViewStateBit set of what the tree shows
  bool showValueItems = false;  // the value-items display option (key structure list)
  const char* baselineLabel = "";
  const char* comparisonLabel = "";
  platform::LocalTime now{};    // the time in the listing header
};

// The path text of `item` (a key, or a value with kValueItemBit: key path, " : ",
// the value's name or "(標準)"), without header.
ListingText keyNameText(SnapshotStore& store, ItemIndex item);

// "キー構成リスト": the key's subtree, one line per key (and per value when
// showValueItems), with the parent's path repeated every 80 lines.
ListingText keyStructureList(SnapshotStore& store, ItemIndex key, const ListingContext& context);

// "エントリ値": the value's data. Text data alone, without header; multi-text one
// string a line, other data as a hex dump of 20 bytes a line (a number as one line
// ending in a lone LF), each after the header; "≪値無し≫" when the data is neither
// kept nor readable, and an empty text when the live read fails.
ListingText valueEntryListing(SnapshotStore& store, ItemIndex value, const ListingContext& context);

// "検索結果リスト": every key and value carrying the hit flag, grouped by key.
// `missingFileSearch`: the last search looked for missing files (`searchText` unused).
ListingText searchResultList(SnapshotStore& store, const ListingContext& context,
                             const char* searchText, bool missingFileSearch);

// "変化分のリスト": the changed, added, deleted and controlled keys and the changed,
// added and deleted values in the subtree of `key`, or of every root when `key` is -1,
// with each changed or deleted value's old data (from `baseline`) aligned under the
// new data.
ListingText changeList(SnapshotStore& store, SnapshotStore& baseline, ItemIndex key,
                       const ListingContext& context);
