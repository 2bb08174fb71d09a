// faveList.txt: the definition of the favourites menu "よく開くキー(&F)", a cp932 text
// file beside the program, read once at start-up.
//
// Each line (LF or CR LF; at most 259 bytes, a longer line is ignored whole) is one
// of: empty or starting with '#' (ignored), starting with '/' (a separator), or a
// favourite: its menu text up to the first blank or tab, then blanks and tabs, then
// the key path (favourite_path.h). Reading stops after the 20th favourite; a line
// holding a 0 byte is ignored, since neither its menu text nor its path could be
// handed on whole.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

extern const char kFavouritesFileName[];  // "faveList.txt"
constexpr int kMaxFavourites = 20;
constexpr size_t kFavouriteLineBytes = 259;

struct FavouriteLine {
  bool separator = false;
  std::string menuText;  // empty for a separator
  std::string keyPath;
};

struct FavouriteList {
  std::vector<FavouriteLine> lines;  // separators and favourites in file order
  int favouriteCount = 0;            // favourite n has the command id base + n
  int ignoredLines = 0;              // over-long lines and lines holding a 0 byte
};

FavouriteList parseFavourites(const char* text, size_t size);
// False (and an empty list) when the file cannot be opened.
bool readFavouritesFile(const std::string& path, FavouriteList* list);
// The key path of favourite `index` (0-based, separators not counted); nullptr when
// there is no such favourite.
const FavouriteLine* favouriteAt(const FavouriteList& list, int index);
