#include "navigation/mark_path.h"

#include <vector>

#include "engine/store_walk.h"
#include "navigation/mark_list.h"
#include "text/cp932.h"
#include "text/value_text.h"

namespace {

const char kValueSeparator[] = "\\\\\\";
constexpr size_t kValueSeparatorLength = sizeof kValueSeparator - 1;
// Grouping keys nest two deep ("!.File Types" \ letter); one more level is slack.
constexpr int kMaxGroupingLevels = 3;

bool isValueReference(ItemIndex reference) {
  return reference != kNoItem && (static_cast<uint32_t>(reference) & kValueItemBit) != 0;
}

ItemIndex valueIndexOf(ItemIndex reference) {
  return static_cast<ItemIndex>(static_cast<uint32_t>(reference) & ~kValueItemBit);
}

const char* valueNameShown(SnapshotStore& store, ItemIndex value) {
  const char* name = store_walk::valueNameOrEmpty(store, value);
  return name[0] == '\0' ? kDefaultValueName : name;
}

}  // namespace

ItemIndex findShownKey(SnapshotStore& store, ItemIndex parent, const char* name, int level) {
  const ItemIndex direct = findChild(store, parent, name, false);
  if (direct >= 0 || parent < 0 || level >= kMaxGroupingLevels) return direct;
  int64_t budget = store.counts.keyCount;
  for (ItemIndex at = keyRecord(store, parent).firstChild;
       store_walk::isKey(store, at) && budget-- > 0; at = keyRecord(store, at).nextSibling) {
    if (!(keyRecord(store, at).summary & SUM_GROUPING_KEY)) continue;
    const ItemIndex found = findShownKey(store, at, name, level + 1);
    if (found >= 0) return found;
  }
  return kNoItem;
}

ItemIndex findShownValue(SnapshotStore& store, ItemIndex key, const std::string& name) {
  ItemIndex found = findChild(store, key, name.c_str(), true);
  if (found == kNoItem && name == kDefaultValueName) found = findChild(store, key, "", true);
  return found;
}

std::string buildMarkPath(SnapshotStore& store, ItemIndex reference) {
  const bool isValue = isValueReference(reference);
  const ItemIndex value = isValue ? valueIndexOf(reference) : kNoItem;
  if (isValue && !store_walk::isValue(store, value)) return std::string();
  const ItemIndex key = isValue ? ownerKeyOfValue(store, value) : reference;
  if (!store_walk::isKey(store, key)) return std::string();

  // Every key has a name of at least one byte, so a chain longer than the path limit
  // cannot be marked; the bound also ends a walk up a damaged parent chain.
  std::vector<ItemIndex> chain;
  for (ItemIndex at = key; store_walk::isKey(store, at); at = keyRecord(store, at).parent) {
    if (chain.size() >= kMarkPathBytes) return std::string();
    chain.push_back(at);
  }
  std::string path;
  for (auto at = chain.rbegin(); at != chain.rend(); ++at) {
    if (keyRecord(store, *at).summary & SUM_GROUPING_KEY) continue;
    if (!path.empty()) path += '\\';
    for (const char* c = store_walk::keyNameOrEmpty(store, *at); *c; ++c) {
      const bool lead = cp932::isLeadByte(*c) && c[1] != '\0';
      path += *c;
      if (lead) {
        path += *++c;
      } else if (*c == '\\') {
        path += '\\';
      }
    }
  }
  if (isValue) path += kValueSeparator + std::string(valueNameShown(store, value));
  return markPathAcceptable(path) ? path : std::string();
}

std::string defaultMarkHeading(SnapshotStore& store, ItemIndex reference) {
  if (isValueReference(reference)) {
    const ItemIndex value = valueIndexOf(reference);
    return store_walk::isValue(store, value) ? valueNameShown(store, value) : "";
  }
  return store_walk::isKey(store, reference) ? store_walk::keyNameOrEmpty(store, reference) : "";
}

ItemIndex resolveMarkPath(SnapshotStore& store, const std::string& path) {
  ItemIndex key = kNoItem;
  std::string component;
  size_t at = 0;
  while (true) {
    const bool end = at >= path.size();
    const bool valueFollows = !end && path.compare(at, kValueSeparatorLength, kValueSeparator) == 0;
    if (!end && !valueFollows && path[at] == '\\' && at + 1 < path.size() &&
        path[at + 1] == '\\') {
      component += '\\';  // a doubled backslash inside a key name
      at += 2;
      continue;
    }
    if (end || valueFollows || path[at] == '\\') {
      if (component.empty()) return kNoItem;
      key = findShownKey(store, key, component.c_str(), 0);
      if (key < 0) return kNoItem;
      if (end) return key;
      if (valueFollows) return findShownValue(store, key, path.substr(at + kValueSeparatorLength));
      component.clear();
      ++at;
      continue;
    }
    const size_t length = cp932::isLeadByte(path[at]) && at + 1 < path.size() ? 2 : 1;
    component.append(path, at, length);
    at += length;
  }
}
