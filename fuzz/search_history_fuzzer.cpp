// Fuzz target: reading search.dat.
//
// The input is the file's contents. A refused image must leave the empty history; a
// taken one must hold every slot on exactly one finite list with terminated texts, must
// write back to the same 5,216 bytes it was read from (its first 5,216), and must stay
// sound through twenty-one further searches.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "search/search_history.h"

namespace {

void require(bool condition) {
  if (!condition) std::abort();
}

void requireSound(const SearchHistory& history) {
  bool seen[kSearchHistorySlots] = {};
  int count = 0;
  for (int32_t head : {history.head, history.freeHead}) {
    for (int32_t at = head; at != -1; at = history.slots[at].next) {
      require(at >= 0 && at < kSearchHistorySlots && !seen[at]);
      seen[at] = true;
      ++count;
    }
  }
  require(count == kSearchHistorySlots);
  for (const SearchEntry& entry : history.slots) {
    require(std::memchr(entry.text, 0, sizeof entry.text) != nullptr);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  SearchHistory history;
  const bool taken = decodeSearchHistory(history, data, size);
  requireSound(history);
  if (taken) {
    std::vector<uint8_t> image;
    encodeSearchHistory(history, image);
    require(image.size() == kSearchHistoryFileBytes);
    // The version word is written fresh; everything else comes back as read.
    require(std::memcmp(image.data() + 2, data + 2, kSearchHistoryFileBytes - 2) == 0);
  } else {
    require(history.head == -1 && history.freeHead == 0);
  }
  const int chosen = history.head;
  for (int i = 0; i < 21; ++i) {
    const char text[2] = {static_cast<char>('a' + i), 0};
    addSearchHistory(history, i == 0 ? chosen : -1, text, static_cast<uint16_t>(i));
    requireSound(history);
  }
  return 0;
}
