// A small snapshot for the navigation fuzz targets: the five roots and a few keys
// and values laid out as Windows has them (user SIDs, a braced GUID, grouping keys).
#pragma once

#include <string>

#include "engine/memory_pool.h"
#include "engine/snapshot_store.h"

inline SnapshotStore& navigationStore() {
  static SnapshotStore* store = [] {
    initMemoryPool();
    auto* made = new SnapshotStore();
    initStore(*made);
    resetStore(*made, true);
    const char* const paths[] = {
        "4\\S-1-5-21-1-2-3-1001\\Software\\Run", "4\\S-1-5-21-1-2-3-1001\\Software\\RunOnce",
        "4\\S-1-5-18\\Software\\Run",           "4\\S-1-5-21-1-2-3-1001_Classes\\{1-2-3-4-5}",
        "0\\.txt",                              "0\\txtfile\\shell",
        "3\\SOFTWARE\\Microsoft\\Windows",      "2\\Software\\A\\B\\C",
    };
    for (const char* path : paths) {
      ItemIndex at = path[0] - '0';
      std::string rest(path + 2);
      while (!rest.empty()) {
        const size_t cut = rest.find('\\');
        const std::string name = rest.substr(0, cut);
        const ItemIndex found = findChild(*made, at, name.c_str(), false);
        at = found >= 0 ? found : addKey(*made, at, keyRecord(*made, at).firstChild, name.c_str());
        rest = cut == std::string::npos ? "" : rest.substr(cut + 1);
      }
      addValue(*made, at, "Shell");
      addValue(*made, at, "");
    }
    groupClassInfo(*made);
    return made;
  }();
  return *store;
}
