// What the registry tree shows of one key or value: its text line, its image, and
// whether the display filters let it through.
//
// Pure functions over a snapshot store and the display settings, so that the tree
// view's rules are tested without a window (the one exception: a value whose data
// were not kept may be read from the live registry, through the registry seam). Text
// is cp932 and written into a caller-supplied buffer of kTreeItemTextBytes (the tree
// view reuses one buffer for every item it inserts); whatever the names hold, a text
// never passes that size and is cut before a whole double-byte character.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/snapshot_store.h"
#include "platform/clock.h"

// Room for an item text: sizes, mark and date (about 60 bytes), a name of up to 255
// bytes and the 128-character data text.
constexpr int kTreeItemTextBytes = 1024;
// The data text of a value item is at most this wide (with its NUL).
constexpr int kTreeValueDataWidth = 128;

// The settings an item text depends on.
struct TreeTextOptions {
  bool showSizes = true;          // OPT_SHOW_SIZES
  bool showDescriptions = true;   // OPT_SHOW_DESCRIPTIONS: "◆ " before described items
  bool showModified = false;      // OPT_SHOW_MODIFIED, on a system that keeps key times
  // A live registry reading is shown or running (viewShowsLiveReading or
  // VIEW_READING): key dates are known.
  bool liveKeyTimes = false;
  // viewShowsLiveReading: value data that were not kept are read from the registry.
  bool liveValueData = false;
  platform::LocalTime today{};    // the date that counts as "今日"
};

// The date part of a key's text for `when` seen on `today`: "[      今日 hh:mm:ss] ",
// "[今年 mm/dd hh:mm:ss] " or "[yyyy/mm/dd hh:mm:ss] ".
void formatKeyDate(char* dest, size_t size, const platform::LocalTime& when,
                   const platform::LocalTime& today);

// The text of key `key`: "(%7s個 %10s ﾊﾞｲﾄ) " with grouped item and byte counts
// (both "0" for a deleted key, whose counts describe the baseline key) when sizes are
// shown, the description mark, the date (only for a key below the roots with a
// recorded time, when showModified and liveKeyTimes), the name. Returns `dest`.
char* formatKeyItemText(char* dest, SnapshotStore& store, ItemIndex key,
                        const TreeTextOptions& options);
// The text of value `value`: "(%7s ﾊﾞｲﾄ) " with its stored size when sizes are shown,
// the mark, its name or "(標準)", " := '", the data text, "'". The data text is the
// kept data rendered in kTreeValueDataWidth; for data that were not kept and a value
// that is not deleted, the live registry's data when liveValueData (an unreadable
// value shows as empty bytes); otherwise empty. A name too long for the buffer is cut
// so that the data text and the closing quote stay. Returns `dest`.
char* formatValueItemText(char* dest, SnapshotStore& store, ItemIndex value,
                          const TreeTextOptions& options);

// Whether a key's item gets a child button: it has subkeys, or values while value
// items are shown.
bool keyHasChildButton(const KeyRecord& key, bool valuesShown);

// Image of an item (tree_images.h). `hitsShown`: search results are shown; the key's
// or value's display flags decide hit drawing. A key's image is its state, 13/14 for
// auto-check targets; a value's its state, 12 for state 3; +15 for a hit, +30 for a
// key with a hit below.
int keyImage(const KeyRecord& key, uint16_t displayFlags, bool hitsShown);
int valueImage(const ValueRecord& value, uint16_t displayFlags, bool hitsShown);
// The display-flag bits (VIEW_HIT_IMAGE / VIEW_HIT_BELOW_IMAGE) that go with the
// image keyImage chose.
uint16_t keyHitDrawingFlags(uint16_t displayFlags, bool hitsShown);

// A value's change class for the keep and fill masks: 1 for state 9, 4 for states
// 10 and 11, 2 for state 3, 0 otherwise.
int valueChangeClass(uint8_t state);

// The temporary display filters of the open commands.
struct TreeFilter {
  bool changedOnly = false;    // OPT_CHANGED_ONLY
  bool uncheckedOnly = false;  // OPT_UNCHECKED_ONLY
};
// A child key passes: with changedOnly, when (summary AND mask) is non-zero or
// uncheckedOnly is on and it carries SUM_CONTROLLED; without, when uncheckedOnly is off
// or it carries SUM_CONTROLLED.
bool childKeyPassesFilter(const KeyRecord& key, const TreeFilter& filter, uint8_t mask);
// A value passes: with changedOnly, when its state is above 8 or uncheckedOnly is on
// and its state is 3; without, when uncheckedOnly is off or its state is 3.
bool valuePassesFilter(const ValueRecord& value, const TreeFilter& filter);
