// Where the listings and the auto-check log find the data of a value they show.
//
// Data kept whole in the snapshot is rendered from there. A value whose snapshot kept
// only length and digest is read again from the live registry when the view shows a
// live reading and the value is not a deleted ghost; otherwise no data is shown. Each
// value is read live at most once per reader, so both passes of a listing see the
// same text and a failing read is reported once.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>

#include "engine/snapshot_store.h"

// Width of a value's data in a listing line (formatValueShort, 127 bytes and the NUL).
constexpr int kListingDataWidth = 128;

class ListingValueReader {
 public:
  explicit ListingValueReader(uint16_t viewState) : viewState_(viewState) {}

  // The one-line data text of value `value` of `store` into `dest`; false (and an
  // empty text) when no data can be shown.
  bool shortText(SnapshotStore& store, ItemIndex value, char (&dest)[kListingDataWidth]);

 private:
  uint16_t viewState_;
  std::unordered_map<ItemIndex, std::string> live_;  // "" with no entry: read failed
  std::unordered_map<ItemIndex, bool> liveRead_;
};

// The one-line text of the baseline data of a changed or deleted value `value` of
// `current`: false when the view compares no two sides, the value has no baseline
// counterpart, or the counterpart's data was not kept.
bool baselineShortText(SnapshotStore& current, SnapshotStore& baseline, ItemIndex value,
                       uint16_t viewState, char (&dest)[kListingDataWidth]);

// The data of a value kept whole in `store`: pointer, length and display kind; false
// when the value kept only its digest (or its entry is damaged).
bool keptValueData(SnapshotStore& store, ItemIndex value, const uint8_t*& data, int32_t& length,
                   int& kind);
