#include "navigation/favourites_file.h"

#include <cstring>
#include <fstream>

const char kFavouritesFileName[] = "faveList.txt";

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// One line without its line break; false when the list is full.
bool addLine(FavouriteList& list, const char* line, size_t length) {
  if (length > 0 && line[length - 1] == '\r') --length;
  if (length > kFavouriteLineBytes || std::memchr(line, '\0', length) != nullptr) {
    ++list.ignoredLines;
    return true;
  }
  size_t end = length;
  while (end > 0 && isBlank(line[end - 1])) --end;
  if (end == 0 || line[0] == '#') return true;
  FavouriteLine entry;
  if (line[0] == '/') {
    entry.separator = true;
    list.lines.push_back(entry);
    return true;
  }
  size_t textEnd = 0;
  while (textEnd < end && !isBlank(line[textEnd])) ++textEnd;
  size_t pathStart = textEnd;
  while (pathStart < end && isBlank(line[pathStart])) ++pathStart;
  entry.keyPath.assign(line + pathStart, end - pathStart);
  // A line that starts with a blank has no menu text of its own: its path stands in,
  // so that the menu never shows an empty item.
  entry.menuText = textEnd > 0 ? std::string(line, textEnd) : entry.keyPath;
  list.lines.push_back(entry);
  return ++list.favouriteCount < kMaxFavourites;
}

// Cuts text into lines as it arrives (a file is read in chunks) and keeps at most
// one byte more of a line than a line may hold, so a huge line costs no memory.
class FavouriteReader {
 public:
  explicit FavouriteReader(FavouriteList& list) : list_(list) {}
  // False once the list is full.
  bool feed(const char* bytes, size_t size) {
    for (size_t i = 0; i < size && open_; ++i) {
      if (bytes[i] == '\n') {
        open_ = addLine(list_, line_.data(), line_.size());
        line_.clear();
      } else if (line_.size() <= kFavouriteLineBytes + 1) {
        line_.push_back(bytes[i]);  // a CR and one byte past it still tell "too long"
      }
    }
    return open_;
  }
  void finish() {
    if (open_ && !line_.empty()) addLine(list_, line_.data(), line_.size());
  }

 private:
  FavouriteList& list_;
  std::string line_;
  bool open_ = true;
};

}  // namespace

FavouriteList parseFavourites(const char* text, size_t size) {
  FavouriteList list;
  FavouriteReader reader(list);
  if (reader.feed(text, size)) reader.finish();
  return list;
}

bool readFavouritesFile(const std::string& path, FavouriteList* list) {
  *list = FavouriteList{};
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  FavouriteReader reader(*list);
  char buffer[4096];
  bool open = true;
  while (open && in.read(buffer, sizeof buffer).gcount() > 0) {
    open = reader.feed(buffer, static_cast<size_t>(in.gcount()));
  }
  if (open) reader.finish();
  return true;
}

const FavouriteLine* favouriteAt(const FavouriteList& list, int index) {
  if (index < 0) return nullptr;
  for (const FavouriteLine& line : list.lines) {
    if (line.separator) continue;
    if (index-- == 0) return &line;
  }
  return nullptr;
}
