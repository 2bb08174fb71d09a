// Tree-wide changes of marks: summary flags, exclusion of changed keys, ghost
// conversion, display flags, tree handles and the order of value lists.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "engine/snapshot_store.h"
#include "engine/store_walk.h"

using store_walk::forEachValue;
using store_walk::isKey;
using store_walk::walkAllKeys;
using store_walk::walkKeys;

namespace {

ItemControlRecorder gRecorder = nullptr;

void tellRecorder(ItemIndex key) {
  if (gRecorder != nullptr) gRecorder(key, false);
}

// The root above `key`, found through the parent links (bounded, so a damaged chain
// of parents cannot loop).
ItemIndex rootOf(SnapshotStore& store, ItemIndex key) {
  int64_t budget = store.counts.keyCount;
  while (budget-- > 0) {
    const ItemIndex parent = keyRecord(store, key).parent;
    if (!isKey(store, parent)) return key;
    key = parent;
  }
  return key;
}

// Sets the flag bits that a post-order OR over the subtree gives: own(key) for each
// key, ORed with what its subkeys give, is ORed into the key's summary after
// `clearMask` was cleared from it.
template <class Own>
void recomputeSummaryBits(SnapshotStore& store, ItemIndex first, bool wholeChain,
                          uint8_t clearMask, Own&& own) {
  std::vector<uint8_t> frames;
  walkKeys(
      store, first, wholeChain,
      [&](ItemIndex key) {
        KeyRecord& record = keyRecord(store, key);
        record.summary = static_cast<uint8_t>(record.summary & ~clearMask);
        frames.push_back(own(key, record));
        return true;
      },
      [&](ItemIndex key) {
        const uint8_t bits = frames.back();
        frames.pop_back();
        KeyRecord& record = keyRecord(store, key);
        record.summary = static_cast<uint8_t>(record.summary | bits);
        if (!frames.empty()) frames.back() = static_cast<uint8_t>(frames.back() | bits);
      });
}

template <class Visit>
void forEachBlockWord(uint16_t* const* words, int maxBlocks, int32_t count, Visit&& visit) {
  for (int32_t block = 0; block < maxBlocks && block * kSlotsPerBlock < count; ++block) {
    if (words[block] == nullptr) continue;
    for (int slot = 0; slot < kSlotsPerBlock; ++slot) visit(words[block][slot]);
  }
}

}  // namespace

// Clears SUM_DATA_CHANGED and SUM_STRUCTURE_CHANGED in the tree of the key's root (or of
// every root) and sets them again from the states: 0x01 from changed values, 0x04
// from added or deleted keys and values, both passed up to every ancestor.
void recomputeSummary(SnapshotStore& store, ItemIndex key) {
  const bool allRoots = key < 0;
  if (!allRoots && !isKey(store, key)) return;
  const ItemIndex first = allRoots ? 0 : rootOf(store, key);
  recomputeSummaryBits(store, first, allRoots, SUM_DATA_CHANGED | SUM_STRUCTURE_CHANGED,
                       [&](ItemIndex at, KeyRecord& record) {
                         uint8_t bits = 0;
                         if (record.state == STATE_ADDED || record.state == STATE_DELETED) {
                           bits |= SUM_STRUCTURE_CHANGED;
                         }
                         forEachValue(store, at, [&](ItemIndex, ValueRecord& v) {
                           if (v.state == STATE_DATA_CHANGED) bits |= SUM_DATA_CHANGED;
                           if (v.state == STATE_VALUE_ADDED || v.state == STATE_VALUE_DELETED) {
                             bits |= SUM_STRUCTURE_CHANGED;
                           }
                         });
                         return bits;
                       });
}

void recomputeControlled(SnapshotStore& store) {
  recomputeSummaryBits(store, 0, true, SUM_CONTROLLED, [&](ItemIndex at, KeyRecord& record) {
    bool controlled = (record.state >= STATE_NOT_READ && record.state <= STATE_REFUSED) ||
                      (record.summary & SUM_AUTOCHECK_TARGET) != 0;
    forEachValue(store, at, [&](ItemIndex, ValueRecord& v) {
      if (v.state == STATE_NOT_CHECKED || v.state == STATE_REFUSED) controlled = true;
    });
    return static_cast<uint8_t>(controlled ? SUM_CONTROLLED : 0);
  });
}

void setItemControlRecorder(ItemControlRecorder recorder) { gRecorder = recorder; }

// On: each key that was added or deleted, or that owns a changed, added or deleted
// value, is switched to "not checked" (its state kept in savedState) and its subtree
// is passed over. Off: every key not checked gets its saved state back and loses the
// same-name mark; SUM_CONTROLLED is then recomputed, since the switched keys and their
// ancestors may no longer hold anything controlled.
void excludeChangedItems(SnapshotStore& store, bool on) {
  if (!on) {
    walkAllKeys(store, [&](ItemIndex key) {
      KeyRecord& record = keyRecord(store, key);
      if (record.state == STATE_NOT_CHECKED) {
        record.state = record.savedState;
        record.summary = static_cast<uint8_t>(record.summary & ~SUM_SAME_NAME);
        tellRecorder(key);
      }
      return true;
    });
    recomputeControlled(store);
    return;
  }

  // The keys entered and not yet left; the first `flagged` of them already carry
  // SUM_CONTROLLED set by this pass, so each ancestor is flagged once.
  std::vector<ItemIndex> path;
  size_t flagged = 0;
  walkAllKeys(
      store,
      [&](ItemIndex key) {
        path.push_back(key);
        KeyRecord& record = keyRecord(store, key);
        bool changed = record.state > STATE_CHANGED_BELOW;
        if (!changed) {
          forEachValue(store, key, [&](ItemIndex, ValueRecord& v) {
            if (v.state >= STATE_DATA_CHANGED && v.state <= STATE_VALUE_DELETED) changed = true;
          });
        }
        if (!changed) return true;
        record.savedState = record.state;
        record.state = STATE_NOT_CHECKED;
        for (size_t i = flagged; i < path.size(); ++i) {
          KeyRecord& above = keyRecord(store, path[i]);
          above.summary = static_cast<uint8_t>(above.summary | SUM_CONTROLLED);
        }
        flagged = path.size();
        tellRecorder(key);
        return false;
      },
      [&](ItemIndex) {
        path.pop_back();
        if (flagged > path.size()) flagged = path.size();
      });
}

void deletedToChanged(SnapshotStore& store) {
  walkAllKeys(store, [&](ItemIndex key) {
    KeyRecord& record = keyRecord(store, key);
    if (record.state == STATE_DELETED) record.state = STATE_CHANGED_BELOW;
    // A ghost that was excluded from checking keeps its mark in savedState: it is made
    // valid too, or clearing the exclusion would bring the deletion back.
    if (record.savedState == STATE_DELETED) record.savedState = STATE_CHANGED_BELOW;
    forEachValue(store, key, [&](ItemIndex, ValueRecord& v) {
      if (v.state == STATE_VALUE_DELETED) v.state = STATE_DATA_CHANGED;
    });
    return true;
  });
}

// Display flags, tree handles: every record of every block, in the tree or free.
void clearViewFlags(SnapshotStore& store, uint16_t mask) {
  const uint16_t keep = static_cast<uint16_t>(~mask);
  auto clear = [keep](uint16_t& word) { word = static_cast<uint16_t>(word & keep); };
  forEachBlockWord(store.keyFlags, kMaxKeyBlocks, store.counts.keyCount, clear);
  forEachBlockWord(store.valueFlags, kMaxValueBlocks, store.counts.valueCount, clear);
}

void rememberHits(SnapshotStore& store) {
  auto copy = [](uint16_t& word) {
    word = static_cast<uint16_t>((word & ~VIEW_PREVIOUS_HIT) |
                                 ((word & VIEW_HIT) ? VIEW_PREVIOUS_HIT : 0));
  };
  forEachBlockWord(store.keyFlags, kMaxKeyBlocks, store.counts.keyCount, copy);
  forEachBlockWord(store.valueFlags, kMaxValueBlocks, store.counts.valueCount, copy);
}

void clearTreeItems(SnapshotStore& store) {
  for (int32_t block = 0; block * kSlotsPerBlock < store.counts.keyCount && block < kMaxKeyBlocks;
       ++block) {
    KeyRecord* keys = store.keyBlocks[block];
    if (keys == nullptr) continue;
    for (int slot = 0; slot < kSlotsPerBlock; ++slot) keys[slot].treeItem = 0;
  }
  for (int32_t block = 0;
       block * kSlotsPerBlock < store.counts.valueCount && block < kMaxValueBlocks; ++block) {
    ValueRecord* values = store.valueBlocks[block];
    if (values == nullptr) continue;
    for (int slot = 0; slot < kSlotsPerBlock; ++slot) values[slot].treeItem = 0;
  }
}

// Brings every subkey list below the chain's keys into name order, equal names keeping
// their order. enter(key) relinks the subkeys of `key` before the walk reads them.
void sortKeyLists(SnapshotStore& store, ItemIndex firstKey) {
  struct Named {
    ItemIndex key;
    const char* name;
  };
  std::vector<Named> list;
  walkKeys(store, firstKey, true, [&](ItemIndex key) {
    list.clear();
    int64_t budget = store.counts.keyCount;
    for (ItemIndex child = keyRecord(store, key).firstChild; isKey(store, child) && budget-- > 0;
         child = keyRecord(store, child).nextSibling) {
      list.push_back(Named{child, store_walk::keyNameOrEmpty(store, child)});
    }
    if (list.size() < 2) return true;
    auto before = [](const Named& a, const Named& b) { return compareNames(a.name, b.name) < 0; };
    if (std::is_sorted(list.begin(), list.end(), before)) return true;
    std::stable_sort(list.begin(), list.end(), before);
    keyRecord(store, key).firstChild = list.front().key;
    for (size_t i = 0; i < list.size(); ++i) {
      KeyRecord& record = keyRecord(store, list[i].key);
      record.prevSibling = i > 0 ? list[i - 1].key : kNoItem;
      record.nextSibling = i + 1 < list.size() ? list[i + 1].key : kNoItem;
    }
    return true;
  });
}

namespace {

struct NamedValue {
  ItemIndex value;
  const char* name;
};

// Brings the value list of `key` into name order; `list` is scratch space.
void sortOneValueList(SnapshotStore& store, ItemIndex key, std::vector<NamedValue>& list) {
  list.clear();
  bool ended = false;
  forEachValue(store, key, [&](ItemIndex value, ValueRecord& v) {
    list.push_back(NamedValue{value, store_walk::valueNameOrEmpty(store, value)});
    if ((v.flags & VF_LAST) && v.next == key) ended = true;
  });
  if (!ended || list.size() < 2) return;
  auto before = [](const NamedValue& a, const NamedValue& b) { return compareNames(a.name, b.name) < 0; };
  if (std::is_sorted(list.begin(), list.end(), before)) return;
  std::stable_sort(list.begin(), list.end(), before);
  keyRecord(store, key).firstValue = list.front().value;
  for (size_t i = 0; i < list.size(); ++i) {
    ValueRecord& v = valueRecord(store, list[i].value);
    if (i + 1 < list.size()) {
      v.flags = static_cast<uint8_t>(v.flags & ~VF_LAST);
      v.next = list[i + 1].value;
    } else {
      v.flags = static_cast<uint8_t>(v.flags | VF_LAST);
      v.next = key;
    }
  }
}

}  // namespace

// Brings every value list of the chain's trees into name order, equal names keeping
// their order. A list that does not end properly (VF_LAST missing within the store's
// values) is left as it is rather than rebuilt from a guess.
void sortValueLists(SnapshotStore& store, ItemIndex firstKey) {
  std::vector<NamedValue> list;
  walkKeys(store, firstKey, true, [&](ItemIndex key) {
    sortOneValueList(store, key, list);
    return true;
  });
}

void sortValueList(SnapshotStore& store, ItemIndex key) {
  if (!store_walk::isKey(store, key)) return;
  std::vector<NamedValue> list;
  sortOneValueList(store, key, list);
}
