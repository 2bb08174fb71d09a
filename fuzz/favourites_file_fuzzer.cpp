// Fuzz target: reading faveList.txt and opening its favourites.
//
// The input is the file's contents. The list must keep at most 20 favourites whose
// lines fit the line limit and hold no 0 byte, and every favourite's path walk must
// end with keys of the snapshot, within the match limit. The whole input is also
// walked as one path.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "engine/store_walk.h"
#include "fuzz/navigation_store.h"
#include "navigation/favourite_path.h"
#include "navigation/favourites_file.h"

namespace {

void require(bool condition) {
  if (!condition) std::abort();
}

void requireKeys(const std::string& path) {
  SnapshotStore& store = navigationStore();
  const auto keys = findFavouriteKeys(store, path.c_str());
  require(keys.size() <= kMaxFavouriteMatches);
  for (ItemIndex key : keys) require(store_walk::isKey(store, key));
  for (const FavouriteStep& step : parseFavouritePath(path.c_str())) {
    for (const FavouriteName& name : step) {
      require(!name.text.empty() && name.text.size() <= kMaxFavouriteComponentBytes);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const char* text = reinterpret_cast<const char*>(data);
  const FavouriteList list = parseFavourites(text, size);
  require(list.favouriteCount <= kMaxFavourites);
  int favourites = 0;
  for (const FavouriteLine& line : list.lines) {
    if (line.separator) continue;
    ++favourites;
    require(line.menuText.size() <= kFavouriteLineBytes && line.keyPath.size() <= kFavouriteLineBytes);
    require(!line.menuText.empty() && line.menuText.find('\0') == std::string::npos);
    requireKeys(line.keyPath);
  }
  require(favourites == list.favouriteCount);
  requireKeys(std::string(text, strnlen(text, size)));
  return 0;
}
