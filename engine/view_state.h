// What the tree currently shows: the bits of the program-wide `viewState`.
//
// The shell owns the variable; the core receives its value where a result depends on
// it (the reader chains automatic checks only after a live comparison, the texts read
// digest-only values again only when a live reading is shown). Both sides use these
// names so that a bit means the same everywhere.
//
// The combinations that occur: 0 nothing shown; 1 a baseline alone (opened, or auto-
// check data made); 3 a baseline and a comparison file; 9 the registry read with
// nothing loaded before (the reading is the baseline); 5 a baseline compared with the
// live registry. VIEW_READING is added while a read runs.
#pragma once

#include <cstdint>

enum ViewStateBit : uint16_t {
  VIEW_BASELINE = 0x0001,            // a baseline is loaded
  VIEW_COMPARISON_FILE = 0x0002,     // a comparison snapshot file is loaded
  VIEW_LIVE_COMPARED = 0x0004,       // the live registry is the comparison side
  VIEW_BASELINE_FROM_LIVE = 0x0008,  // the baseline was read from the live registry
  VIEW_READING = 0x0100,             // the registry is being read
};

// The states that occur, as whole values.
constexpr uint16_t VIEW_STATE_NOTHING = 0;
constexpr uint16_t VIEW_STATE_BASELINE_ONLY = VIEW_BASELINE;
constexpr uint16_t VIEW_STATE_FILE_COMPARED = VIEW_BASELINE | VIEW_COMPARISON_FILE;
constexpr uint16_t VIEW_STATE_LIVE_COMPARED = VIEW_BASELINE | VIEW_LIVE_COMPARED;
constexpr uint16_t VIEW_STATE_FIRST_READ = VIEW_BASELINE | VIEW_BASELINE_FROM_LIVE;

// A second side is compared with the baseline (a file or the live registry).
constexpr bool viewShowsComparison(uint16_t viewState) {
  return (viewState & (VIEW_COMPARISON_FILE | VIEW_LIVE_COMPARED)) != 0;
}

// Some side shown was read from the live registry, so key times are known and
// digest-only values can be read again.
constexpr bool viewShowsLiveReading(uint16_t viewState) {
  return (viewState & (VIEW_LIVE_COMPARED | VIEW_BASELINE_FROM_LIVE)) != 0;
}
