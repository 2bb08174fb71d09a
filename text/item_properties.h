// What the value and key property dialogs show: the fields of a value (and of its
// baseline counterpart when the comparison changed or deleted it), the counts of a
// key and its subtree (of its baseline copy for a deleted key), the key's last-write
// time from the live registry, and the choice of the text a search button searches.
//
// Pure results over the stores and the platform seams (registry, environment,
// clock); the dialogs only put the texts into their fields.
#pragma once

#include <cstdint>
#include <string>

#include "engine/snapshot_store.h"

// The texts of one side of a value.
struct ValueSide {
  std::string typeName;
  std::string sizeText;  // the byte count right-aligned in 7 characters
  std::string dataText;  // the full rendering, or "≪値無し≫"
  bool hasData = false;
};

struct ValueProperties {
  bool baselineForm = false;  // the dialog with the 基準データ group
  uint8_t state = 0;
  std::string name;     // "(標準)" for the default value
  std::string keyPath;  // the full path of the value's key
  ValueSide current;
  ValueSide baseline;   // only in the baseline form
  bool expanded = false;     // the data is an EXPAND_SZ text: file texts are expanded
  bool fileAllowed = false;  // the name or the (expanded) data begins with a file path
};

// The fields of value `value` (plain index) of `current`. Digest-only data is read
// back from the live registry when `viewState` involves a live reading.
ValueProperties describeValue(SnapshotStore& current, SnapshotStore& baseline, ItemIndex value,
                              uint16_t viewState);
// The value's data read again from the live registry (after the registry editor ran);
// false, leaving `side` alone, when it cannot be read.
bool rereadValueLive(SnapshotStore& current, ItemIndex value, ValueSide& side);
// An EXPAND_SZ text expanded with the environment, cut to 519 bytes.
std::string expandFileText(const char* text);

enum KeyCountField : int {
  KEY_SUBKEYS,
  KEY_VALUES,
  KEY_BYTES,
  KEY_TOTAL_SUBKEYS,
  KEY_TOTAL_VALUES,
  KEY_TOTAL_BYTES,
  KEY_REFUSED,
  KEY_ADDED,
  KEY_DELETED,
  KEY_CHANGED,
  KEY_VALUES_ADDED,
  KEY_VALUES_DELETED,
  KEY_SEARCH_HITS,
  kKeyCountFields
};

struct KeyProperties {
  bool deleted = false;  // a ghost: the title says （削除前）
  std::string title;
  std::string name;
  std::string path;
  std::string counts[kKeyCountFields];  // empty where a count is not shown
  std::string timeText;                 // empty when no time is known
};

// The fields of key `key` of `current`. `keysOnly`: only the key structure is
// compared; `searchShown`: a search result exists. The time is read from the live
// registry only when `viewState` involves a live reading; a failure is reported as the
// reader reports registry errors.
KeyProperties describeKey(SnapshotStore& current, SnapshotStore& baseline, ItemIndex key,
                          uint16_t viewState, bool keysOnly, bool searchShown);

// A local time as the key dialog shows it: "%d年%2d月%2d日 %02d：%02d：%02d".
std::string keyTimeText(int year, int month, int day, int hour, int minute, int second);

// One field of a dialog for the search buttons: its text and the selected bytes.
struct FieldSelection {
  std::string text;
  size_t start = 0;
  size_t end = 0;
};
// The first field whose selection is not empty and ends before byte 4,096 gives the
// selected bytes; else `fallback`. Cut to `limit` bytes, never inside a character.
std::string chooseSelectedText(const FieldSelection* fields, int count,
                               const std::string& fallback, size_t limit);
// `text` cut to at most `limit` bytes, never inside a double-byte character.
std::string cutText(const std::string& text, size_t limit);
