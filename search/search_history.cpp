#include "search/search_history.h"

#include <cstdio>
#include <cstring>
#include <fstream>

#include "platform/files.h"

namespace {

constexpr uint16_t kVersionWord = 0x1201;
constexpr uint16_t kFormatVersion = 1;

void putU16(uint8_t* at, uint16_t v) {
  at[0] = static_cast<uint8_t>(v);
  at[1] = static_cast<uint8_t>(v >> 8);
}
void putU32(uint8_t* at, uint32_t v) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(v >> (8 * i));
}
uint16_t getU16(const uint8_t* at) { return static_cast<uint16_t>(at[0] | (at[1] << 8)); }
uint32_t getU32(const uint8_t* at) {
  return static_cast<uint32_t>(at[0]) | (static_cast<uint32_t>(at[1]) << 8) |
         (static_cast<uint32_t>(at[2]) << 16) | (static_cast<uint32_t>(at[3]) << 24);
}

bool validSlot(int32_t slot) { return slot >= 0 && slot < kSearchHistorySlots; }

// Walks a list from `head`, marking its slots in `seen`; false when a link leaves
// the slot range or a slot is met twice (a loop, or a slot on both lists).
bool markList(const SearchHistory& history, int32_t head, bool (&seen)[kSearchHistorySlots]) {
  for (int32_t at = head; at != -1; at = history.slots[at].next) {
    if (!validSlot(at) || seen[at]) return false;
    seen[at] = true;
  }
  return true;
}

// Unlinks `slot` from the history list; false when it is not on it.
bool unlinkFromHistory(SearchHistory& history, int slot) {
  int32_t previous = -1;
  int guard = kSearchHistorySlots;
  for (int32_t at = history.head; at != -1 && guard-- > 0; at = history.slots[at].next) {
    if (at == slot) {
      if (previous == -1) {
        history.head = history.slots[at].next;
      } else {
        history.slots[previous].next = history.slots[at].next;
      }
      history.slots[at].next = -1;
      return true;
    }
    previous = at;
  }
  return false;
}

void linkAtHead(SearchHistory& history, int slot) {
  history.slots[slot].next = static_cast<int16_t>(history.head);
  history.head = slot;
}

// A slot for a new text: the first free one, or the oldest of the history.
int takeSlot(SearchHistory& history) {
  if (history.freeHead != -1) {
    const int slot = history.freeHead;
    history.freeHead = history.slots[slot].next;
    history.slots[slot].next = -1;
    return slot;
  }
  int32_t last = history.head;
  int guard = kSearchHistorySlots;
  while (history.slots[last].next != -1 && guard-- > 0) last = history.slots[last].next;
  unlinkFromHistory(history, last);
  return last;
}

}  // namespace

SearchHistory& searchHistory() {
  static SearchHistory history = [] {
    SearchHistory made;
    resetSearchHistory(made);
    return made;
  }();
  return history;
}

void resetSearchHistory(SearchHistory& history) {
  std::memset(&history, 0, sizeof history);
  history.head = -1;
  history.freeHead = 0;
  for (int i = 0; i < kSearchHistorySlots; ++i) {
    history.slots[i].next = static_cast<int16_t>(i + 1 < kSearchHistorySlots ? i + 1 : -1);
    history.slots[i].flags = SEARCH_SLOT_UNUSED;
  }
  history.dirty = false;
}

int addSearchHistory(SearchHistory& history, int chosenSlot, const char* text, uint16_t flags) {
  if (!text) text = "";
  if (validSlot(chosenSlot) && std::strcmp(history.slots[chosenSlot].text, text) == 0) {
    const bool wasHead = history.head == chosenSlot;
    if (wasHead || unlinkFromHistory(history, chosenSlot)) {
      SearchEntry& entry = history.slots[chosenSlot];
      if (entry.flags != flags || !wasHead) history.dirty = true;
      entry.flags = flags;
      if (!wasHead) linkAtHead(history, chosenSlot);
      return chosenSlot;
    }
  }
  const int slot = takeSlot(history);
  SearchEntry& entry = history.slots[slot];
  std::memset(entry.text, 0, sizeof entry.text);
  std::strncpy(entry.text, text, kSearchTextMax);
  entry.flags = flags;
  linkAtHead(history, slot);
  history.dirty = true;
  return slot;
}

int addSearchHistory(int chosenSlot, const char* text, uint16_t flags) {
  return addSearchHistory(searchHistory(), chosenSlot, text, flags);
}

bool chooseSearchHistory(SearchHistory& history, int slot) {
  if (!validSlot(slot)) return false;
  if (history.head == slot) return true;
  if (!unlinkFromHistory(history, slot)) return false;
  linkAtHead(history, slot);
  history.dirty = true;
  return true;
}

std::vector<int> searchHistoryOrder(const SearchHistory& history) {
  std::vector<int> order;
  for (int32_t at = history.head; validSlot(at) && order.size() < kSearchHistorySlots;
       at = history.slots[at].next) {
    order.push_back(at);
  }
  return order;
}

SearchEntry* currentSearchEntry(SearchHistory& history) {
  return validSlot(history.head) ? &history.slots[history.head] : nullptr;
}

void encodeSearchHistory(const SearchHistory& history, std::vector<uint8_t>& image) {
  image.assign(kSearchHistoryFileBytes, 0);
  putU16(&image[0], kVersionWord);
  putU16(&image[2], kFormatVersion);
  putU32(&image[4], kSearchHistorySlots);
  putU32(&image[8], static_cast<uint32_t>(history.head));
  putU32(&image[12], static_cast<uint32_t>(history.freeHead));
  for (int i = 0; i < kSearchHistorySlots; ++i) {
    uint8_t* at = &image[16 + i * sizeof(SearchEntry)];
    putU16(at, static_cast<uint16_t>(history.slots[i].next));
    putU16(at + 2, history.slots[i].flags);
    std::memcpy(at + 4, history.slots[i].text, sizeof history.slots[i].text);
  }
}

bool decodeSearchHistory(SearchHistory& history, const uint8_t* data, size_t size) {
  resetSearchHistory(history);
  if (!data || size < kSearchHistoryFileBytes) return false;
  // The version word at offset 0 is not checked: the format version is.
  if (getU16(data + 2) != kFormatVersion || getU32(data + 4) != kSearchHistorySlots) return false;
  SearchHistory read;
  read.head = static_cast<int32_t>(getU32(data + 8));
  read.freeHead = static_cast<int32_t>(getU32(data + 12));
  read.dirty = false;
  for (int i = 0; i < kSearchHistorySlots; ++i) {
    const uint8_t* at = data + 16 + i * sizeof(SearchEntry);
    read.slots[i].next = static_cast<int16_t>(getU16(at));
    read.slots[i].flags = getU16(at + 2);
    std::memcpy(read.slots[i].text, at + 4, sizeof read.slots[i].text);
    if (std::memchr(read.slots[i].text, 0, kSearchTextMax + 1) == nullptr) return false;
  }
  if ((read.head != -1 && !validSlot(read.head)) ||
      (read.freeHead != -1 && !validSlot(read.freeHead))) {
    return false;
  }
  // Every slot on exactly one list, each list finite.
  bool seen[kSearchHistorySlots] = {};
  if (!markList(read, read.head, seen) || !markList(read, read.freeHead, seen)) return false;
  for (bool slotSeen : seen) {
    if (!slotSeen) return false;
  }
  history = read;
  return true;
}

bool loadSearchHistoryFile(SearchHistory& history, const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    resetSearchHistory(history);
    return false;
  }
  std::vector<uint8_t> image(kSearchHistoryFileBytes);
  in.read(reinterpret_cast<char*>(image.data()), static_cast<std::streamsize>(image.size()));
  return decodeSearchHistory(history, image.data(), static_cast<size_t>(in.gcount()));
}

bool saveSearchHistoryFile(SearchHistory& history, const std::string& path) {
  std::vector<uint8_t> image;
  encodeSearchHistory(history, image);
  const std::string temporary = path + ".tmp";
  bool written;
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
    out.close();
    written = !out.fail();
  }
  if (written && platform::replaceFile(temporary.c_str(), path.c_str())) {
    history.dirty = false;
    return true;
  }
  std::remove(temporary.c_str());
  return false;
}

void loadSearchHistory() {
  loadSearchHistoryFile(searchHistory(), platform::programFolder() + kSearchHistoryFileName);
}

void saveSearchHistory() {
  if (!searchHistory().dirty) return;
  saveSearchHistoryFile(searchHistory(), platform::programFolder() + kSearchHistoryFileName);
}
