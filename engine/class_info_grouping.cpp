// Class-info grouping: the subkeys of HKEY_CLASSES_ROOT shown in groups.
//
// HKEY_CLASSES_ROOT holds thousands of file extensions and file types side by side.
// Grouping moves them under keys that exist only in the snapshot: "!.File Extensions"
// for names that begin with "." (and "*"), and "!.File Types" with one letter key "A"
// to "Z" for the rest, while a few well-known subkeys stay where they are. The grouping
// keys carry SUM_GROUPING_KEY so that paths, the registry editor jump and the key
// property dialog leave them out.
//
// Both directions keep every moved key's subtree intact and only relink it; depths of
// the moved subtrees follow the new level. Whether a store is grouped is decided by the
// presence of the grouping keys under key 0, so grouping a grouped store and
// ungrouping an ungrouped one change nothing.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "engine/snapshot_store.h"
#include "engine/store_walk.h"
#include "text/cp932.h"

using store_walk::isKey;
using store_walk::keyNameOrEmpty;

namespace {

constexpr ItemIndex kClassesRoot = 0;
constexpr int kLetterCount = 26;
constexpr int kMaxUngroupPasses = 16;

const char kExtensionsKeyName[] = "!.File Extensions";
const char kTypesKeyName[] = "!.File Types";

// Subkeys of HKEY_CLASSES_ROOT that stay in place (compared ignoring case).
const char* const kFixedNames[] = {"TypeLib",   "SOFTWARE", "MIME",        "Interface",
                                   "Installer", "CLSID",    "Applications"};

void childrenOf(SnapshotStore& store, ItemIndex key, std::vector<ItemIndex>& out) {
  out.clear();
  int64_t budget = store.counts.keyCount;
  for (ItemIndex child = keyRecord(store, key).firstChild; isKey(store, child) && budget-- > 0;
       child = keyRecord(store, child).nextSibling) {
    out.push_back(child);
  }
}

ItemIndex findGroupingKey(SnapshotStore& store, ItemIndex parent, const char* name) {
  std::vector<ItemIndex> children;
  childrenOf(store, parent, children);
  for (ItemIndex child : children) {
    if ((keyRecord(store, child).summary & SUM_GROUPING_KEY) &&
        compareNames(keyNameOrEmpty(store, child), name) == 0) {
      return child;
    }
  }
  return kNoItem;
}

bool staysInPlace(const char* name) {
  for (const char* fixed : kFixedNames) {
    if (compareNames(name, fixed) == 0) return true;
  }
  return false;
}

bool isExtensionName(const char* name) {
  return name[0] == '.' || (name[0] == '*' && name[1] == '\0');
}

// Letter group 0-25 of a name: its first byte in upper case, bytes below "A" in "A",
// bytes above "Z" in "Z".
int letterGroupOf(const char* name) {
  const int c = cp932::raiseAscii(static_cast<uint8_t>(name[0]));
  if (c < 'A') return 0;
  if (c > 'Z') return kLetterCount - 1;
  return c - 'A';
}

void shiftSubtreeDepth(SnapshotStore& store, ItemIndex key, int delta) {
  if (delta == 0) return;
  store_walk::walkKeys(store, key, false, [&](ItemIndex at) {
    KeyRecord& record = keyRecord(store, at);
    record.depth = static_cast<uint8_t>(record.depth + delta);
    return true;
  });
}

// Makes `keys` the complete child list of `parent`, in this order.
void relinkChildren(SnapshotStore& store, ItemIndex parent, const std::vector<ItemIndex>& keys) {
  KeyRecord& record = keyRecord(store, parent);
  record.firstChild = keys.empty() ? kNoItem : keys.front();
  record.childCount = static_cast<int32_t>(keys.size());
  const int parentDepth = record.depth;
  for (size_t i = 0; i < keys.size(); ++i) {
    KeyRecord& child = keyRecord(store, keys[i]);
    child.prevSibling = i > 0 ? keys[i - 1] : kNoItem;
    child.nextSibling = i + 1 < keys.size() ? keys[i + 1] : kNoItem;
    if (child.parent != parent || child.depth != parentDepth + 1) {
      child.parent = parent;
      shiftSubtreeDepth(store, keys[i], parentDepth + 1 - child.depth);
    }
  }
}

}  // namespace

void groupClassInfo(SnapshotStore& store) {
  if (!isKey(store, kClassesRoot)) return;
  const ItemIndex firstChild = keyRecord(store, kClassesRoot).firstChild;
  if (!isKey(store, firstChild)) return;
  if (findGroupingKey(store, kClassesRoot, kExtensionsKeyName) != kNoItem ||
      findGroupingKey(store, kClassesRoot, kTypesKeyName) != kNoItem) {
    return;
  }

  const ItemIndex extensions = addKey(store, kClassesRoot, firstChild, kExtensionsKeyName);
  const ItemIndex types = addKey(store, kClassesRoot, extensions, kTypesKeyName);
  ItemIndex letters[kLetterCount];
  ItemIndex previous = kNoItem;
  for (int i = 0; i < kLetterCount; ++i) {
    const char name[2] = {static_cast<char>('A' + i), '\0'};
    letters[i] = addKey(store, types, previous, name);
    previous = letters[i];
  }
  keyRecord(store, extensions).summary |= SUM_GROUPING_KEY;
  keyRecord(store, types).summary |= SUM_GROUPING_KEY;
  for (ItemIndex letter : letters) keyRecord(store, letter).summary |= SUM_GROUPING_KEY;

  // Key 0's list is in name order, so appending each moved key to its group keeps
  // every group in name order.
  std::vector<ItemIndex> children;
  childrenOf(store, kClassesRoot, children);
  std::vector<ItemIndex> staying;
  std::vector<ItemIndex> extensionGroup;
  std::vector<ItemIndex> letterGroups[kLetterCount];
  for (ItemIndex child : children) {
    if (child == extensions || child == types) {
      staying.push_back(child);
      continue;
    }
    const char* name = keyNameOrEmpty(store, child);
    if (isExtensionName(name)) {
      extensionGroup.push_back(child);
    } else if (staysInPlace(name)) {
      staying.push_back(child);
    } else {
      letterGroups[letterGroupOf(name)].push_back(child);
    }
  }
  relinkChildren(store, kClassesRoot, staying);
  relinkChildren(store, extensions, extensionGroup);
  for (int i = 0; i < kLetterCount; ++i) relinkChildren(store, letters[i], letterGroups[i]);
  store_walk::recomputeSubtreeSizes(store, kClassesRoot);
}

namespace {

// Undoes one set of grouping keys; false when key 0 holds none.
bool ungroupOnce(SnapshotStore& store) {
  const ItemIndex extensions = findGroupingKey(store, kClassesRoot, kExtensionsKeyName);
  const ItemIndex types = findGroupingKey(store, kClassesRoot, kTypesKeyName);
  if (extensions == kNoItem && types == kNoItem) return false;

  // Everything below the grouping keys goes back, in group order; a key that sits
  // directly under "!.File Types" without being a letter key goes back as well.
  std::vector<ItemIndex> scratch;
  std::vector<ItemIndex> moved;
  std::vector<ItemIndex> letters;
  if (extensions != kNoItem) {
    childrenOf(store, extensions, scratch);
    moved.insert(moved.end(), scratch.begin(), scratch.end());
  }
  if (types != kNoItem) {
    std::vector<ItemIndex> typeChildren;
    childrenOf(store, types, typeChildren);
    for (ItemIndex child : typeChildren) {
      if (keyRecord(store, child).summary & SUM_GROUPING_KEY) {
        letters.push_back(child);
        childrenOf(store, child, scratch);
        moved.insert(moved.end(), scratch.begin(), scratch.end());
      } else {
        moved.push_back(child);
      }
    }
  }

  // A damaged tree could list a grouping key below itself; it must not go back too.
  moved.erase(std::remove_if(moved.begin(), moved.end(),
                             [&](ItemIndex key) {
                               return key == extensions || key == types || key == kClassesRoot ||
                                      std::find(letters.begin(), letters.end(), key) !=
                                          letters.end();
                             }),
              moved.end());

  std::vector<ItemIndex> staying;
  childrenOf(store, kClassesRoot, scratch);
  for (ItemIndex child : scratch) {
    if (child != extensions && child != types) staying.push_back(child);
  }

  // Each group is in name order, but the groups overlap ("!x" lies in "A" yet sorts
  // before ".txt"), so the moved keys are brought into one order first; equal names
  // always share a group and keep their order. Then one merge with the keys that
  // stayed, which go first among equal names as the older entries.
  auto nameOf = [&](ItemIndex key) { return keyNameOrEmpty(store, key); };
  std::stable_sort(moved.begin(), moved.end(), [&](ItemIndex a, ItemIndex b) {
    return compareNames(nameOf(a), nameOf(b)) < 0;
  });
  std::vector<ItemIndex> merged;
  merged.reserve(staying.size() + moved.size() + 2);
  // The grouping keys stay linked at the head until they are removed below.
  if (extensions != kNoItem) merged.push_back(extensions);
  if (types != kNoItem) merged.push_back(types);
  size_t s = 0;
  size_t m = 0;
  while (s < staying.size() || m < moved.size()) {
    if (m == moved.size() ||
        (s < staying.size() && compareNames(nameOf(staying[s]), nameOf(moved[m])) <= 0)) {
      merged.push_back(staying[s++]);
    } else {
      merged.push_back(moved[m++]);
    }
  }
  relinkChildren(store, kClassesRoot, merged);

  // The grouping keys are now empty; remove them with whatever values they were given.
  const std::vector<ItemIndex> none;
  for (ItemIndex letter : letters) relinkChildren(store, letter, none);
  if (types != kNoItem) {
    relinkChildren(store, types, letters);
    for (ItemIndex letter : letters) removeGhostSubtree(store, letter);
    removeGhostSubtree(store, types);
  }
  if (extensions != kNoItem) {
    relinkChildren(store, extensions, none);
    removeGhostSubtree(store, extensions);
  }
  return true;
}

}  // namespace

// A snapshot grouped twice (the second grouping filed the first set of grouping keys
// under its letter "A") comes back from a pass with the first set under key 0 again,
// so passes repeat until no grouping key is left (each pass removes one set; the
// bound only guards against a damaged tree).
void ungroupClassInfo(SnapshotStore& store) {
  if (!isKey(store, kClassesRoot)) return;
  bool changed = false;
  for (int pass = 0; pass < kMaxUngroupPasses && ungroupOnce(store); ++pass) changed = true;
  if (changed) store_walk::recomputeSubtreeSizes(store, kClassesRoot);
}
