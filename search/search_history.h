// The search history: the last twenty search texts with their flags, kept across
// runs in "search.dat" in the program folder.
//
// Twenty fixed slots hold two lists threaded through `next`: the history, most recent
// first (its head is the current search, the one find-next repeats), and the free
// list. A new text takes a free slot, or the oldest history slot when none is free,
// so all twenty slots are reused in place. The file is the slots byte for byte after
// a 16-byte header; a damaged file of any kind gives an empty history, never a list
// that loops or loses slots.
//
// The program-wide history is owned here; the search dialog and the property dialogs'
// search buttons change it only through addSearchHistory and chooseSearchHistory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "search/search_flags.h"

struct SearchEntry {
  int16_t next;    // next slot of the list holding this one, -1 at the end
  uint16_t flags;  // SEARCH_* bits; SEARCH_SLOT_UNUSED for a slot never used
  char text[256];  // NUL-terminated, at most kSearchTextMax bytes
};
static_assert(sizeof(SearchEntry) == 260, "SearchEntry is 260 bytes in memory and in search.dat");

constexpr int kSearchHistorySlots = 20;
constexpr size_t kSearchHistoryFileBytes = 16 + kSearchHistorySlots * sizeof(SearchEntry);
static_assert(kSearchHistoryFileBytes == 5216, "search.dat is 5,216 bytes");
constexpr char kSearchHistoryFileName[] = "search.dat";

struct SearchHistory {
  int32_t head;      // most recent slot, -1 when empty
  int32_t freeHead;  // first free slot, -1 when none
  SearchEntry slots[kSearchHistorySlots];
  bool dirty;  // changed since loaded or saved
};

// The program-wide history.
SearchHistory& searchHistory();

// Empty history: every slot free, in slot order.
void resetSearchHistory(SearchHistory& history);

// Records a search: `chosenSlot` is the combo box's selection (-1 for none). When it
// holds exactly `text`, only its flags change and it moves to the head; otherwise
// the text goes into a free (or the oldest) slot at the head. Returns the head slot.
int addSearchHistory(SearchHistory& history, int chosenSlot, const char* text, uint16_t flags);
int addSearchHistory(int chosenSlot, const char* text, uint16_t flags);

// Choosing an entry in the combo box: moves `slot` (a history slot) to the head and
// marks the history dirty. False for a slot not in the history.
bool chooseSearchHistory(SearchHistory& history, int slot);

// The history's slots, most recent first.
std::vector<int> searchHistoryOrder(const SearchHistory& history);

// The current search (the head), or nullptr when the history is empty.
SearchEntry* currentSearchEntry(SearchHistory& history);

// The file image and its decoding. decode returns false, leaving `history` empty,
// for any damage: a short image, a wrong version or count, list heads or links out
// of range, a slot on both lists or on neither, or a text without its terminator.
void encodeSearchHistory(const SearchHistory& history, std::vector<uint8_t>& image);
bool decodeSearchHistory(SearchHistory& history, const uint8_t* data, size_t size);

// Reading and writing a file. Writing goes through "<path>.tmp" and a replace, so a
// failed write leaves the old file whole; it clears `dirty` when it succeeded.
bool loadSearchHistoryFile(SearchHistory& history, const std::string& path);
bool saveSearchHistoryFile(SearchHistory& history, const std::string& path);

// Start-up and exit: search.dat in the program folder; saving writes only a dirty
// history.
void loadSearchHistory();
void saveSearchHistory();
