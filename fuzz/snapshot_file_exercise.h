// Uses a snapshot that a loader accepted the way the rest of the program does, so
// that the sanitizers catch any record, link or text the loader's checks let through
// unsafely. Shared by the loader fuzz targets and the corruption tests.
//
// After reading every name and datum through the tree and taking the counts, sizes
// and paths, it saves the snapshot and loads the image again as the comparison side
// (a loaded snapshot must always be loadable, and must then save to the same bytes),
// and finally changes it as a comparison does (ghosts removed, keys and values added
// on the loaded free lists, class info grouped and ungrouped) and saves and loads it
// once more. Returns "" when every property held, else what failed.
#pragma once

#include <cstdint>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "engine/snapshot_file.h"
#include "engine/snapshot_store.h"
#include "engine/store_walk.h"

namespace snapshot_exercise {

inline std::string imageOf(SnapshotStore& store) {
  std::ostringstream out(std::ios::binary);
  if (!writeSnapshotImage(out, store, SNAPSHOT_KIND_SNAPSHOT, false)) return std::string();
  return out.str();
}

// Reads everything reachable and returns a sum, so the reads cannot be left out.
inline uint64_t readEverything(SnapshotStore& store) {
  uint64_t sum = 0;
  int paths = 0;
  store_walk::walkAllKeys(store, [&](ItemIndex key) {
    sum += std::strlen(keyName(store, key));
    if (paths < 256) {
      sum += buildItemPath(store, key, 2).size();
      ++paths;
    }
    store_walk::forEachValue(store, key, [&](ItemIndex value, ValueRecord& record) {
      sum += std::strlen(valueName(store, value));
      const int32_t length = valueDataLength(store, value);
      if (record.flags & VF_DATA_KEPT) {
        const char* data = entryText(store, record.data);
        for (int32_t i = 0; i <= length; ++i) sum += static_cast<uint8_t>(data[i]);
      }
      if (paths < 256) {
        sum += buildItemPath(
                   store, static_cast<ItemIndex>(static_cast<uint32_t>(value) | kValueItemBit), 1)
                   .size();
        ++paths;
      }
    });
    return true;
  });
  const StatusCounts counts = takeStatusCounts(store, false);
  sum += static_cast<uint64_t>(counts.keys + counts.values + counts.changes());
  sum += static_cast<uint64_t>(countItems(store, 2));
  const ItemTotals totals = recomputeSizes(store, 0);
  sum += static_cast<uint64_t>(totals.itemCount);
  return sum;
}

// Removes ghosts and adds records, as a comparison and a later read would.
inline void changeLikeAComparison(SnapshotStore& store) {
  std::vector<ItemIndex> ghostKeys;
  std::vector<ItemIndex> ghostValues;
  store_walk::walkAllKeys(store, [&](ItemIndex key) {
    if (keyRecord(store, key).state == STATE_DELETED) {
      ghostKeys.push_back(key);
      return false;
    }
    store_walk::forEachValue(store, key, [&](ItemIndex value, ValueRecord& record) {
      if (record.state == STATE_VALUE_DELETED) ghostValues.push_back(value);
    });
    return true;
  });
  for (ItemIndex value : ghostValues) removeValue(store, value);
  for (ItemIndex key : ghostKeys) {
    if (keyRecord(store, key).parent >= 0) removeGhostSubtree(store, key);
  }
  const ItemIndex key = addKey(store, 3, keyRecord(store, 3).firstChild, "Added by the exercise");
  const ItemIndex value = addValue(store, key, "v");
  const uint8_t data[] = {'d', 'a', 't', 'a', 0};
  assignValueData(store, value, data, sizeof data, kRegSz, true);
  addValue(store, 0, "");
  groupClassInfo(store);
  ungroupClassInfo(store);
  groupClassInfo(store);
}

inline std::string exerciseLoadedSnapshot(SnapshotStore& store) {
  if (readEverything(store) == 0) return "a loaded snapshot reads as empty";
  const std::string first = imageOf(store);
  if (first.empty()) return "the loaded snapshot could not be saved";
  if (!loadComparisonImage(first.data(), first.size(), "again.rsv", {}).loaded) {
    return "a saved loaded snapshot was refused";
  }
  SnapshotStore& again = currentStore();
  if (imageOf(again) != first) return "a loaded snapshot saved differently the second time";
  readEverything(again);
  changeLikeAComparison(again);
  readEverything(again);
  const std::string changed = imageOf(again);
  if (!loadComparisonImage(changed.data(), changed.size(), "changed.rsv", {}).loaded) {
    return "a changed loaded snapshot was refused";
  }
  readEverything(currentStore());
  return std::string();
}

}  // namespace snapshot_exercise
