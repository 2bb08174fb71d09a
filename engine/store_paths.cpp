// Display paths of keys and values.
#include <cstring>
#include <string>
#include <vector>

#include "engine/snapshot_store.h"
#include "engine/store_walk.h"

using store_walk::isKey;
using store_walk::isValue;

namespace {

// The default value's name as every path shows it.
const char kDefaultValueName[] = "(標準)";

}  // namespace

// A value is recognised by bit 31 of `item` alone, so a key index is never read as a
// value index whatever the mode. The value's name is added only in the value modes
// (> 0); in the key modes a value gives its owning key's path. A key with a value mode
// gets its key path (grouping keys kept for mode 2). An item that names nothing in the
// store gives "".
std::string buildItemPath(SnapshotStore& store, ItemIndex item, int mode) {
  const bool isValueItem = (static_cast<uint32_t>(item) & kValueItemBit) != 0;
  ItemIndex value = kNoItem;
  ItemIndex key = item;
  if (isValueItem) {
    value = static_cast<ItemIndex>(static_cast<uint32_t>(item) & ~kValueItemBit);
    if (!isValue(store, value)) return std::string();
    key = ownerKeyOfValue(store, value);
  }
  if (!isKey(store, key)) return std::string();

  // The keys from the item up to its root, every one of them: a path cut short would
  // name another key (the registry editor jump and the listings need the whole path).
  // The count bounds the walk in a store whose parent links were damaged.
  std::vector<ItemIndex> chain;
  int64_t budget = static_cast<int64_t>(store.counts.keyCount) + 1;
  for (ItemIndex at = key; isKey(store, at) && budget-- > 0; at = keyRecord(store, at).parent) {
    chain.push_back(at);
  }
  const int collected = static_cast<int>(chain.size());

  const bool keepGrouping = mode == 2 || mode == -2;
  std::string path;
  if (mode == -1) path += ' ';
  bool first = true;
  for (int i = collected - 1; i >= 0; --i) {
    if (!keepGrouping && (keyRecord(store, chain[i]).summary & SUM_GROUPING_KEY)) continue;
    if (!first) path += '\\';
    path += store_walk::keyNameOrEmpty(store, chain[i]);
    first = false;
  }

  if (isValueItem && mode > 0) {
    const char* name = store_walk::valueNameOrEmpty(store, value);
    path += " : ";
    path += (name[0] == '\0' && mode != 2) ? kDefaultValueName : name;
  }
  return path;
}
