#include "restore/undo_list_writer.h"

#include <vector>

#include "engine/store_walk.h"
#include "restore/undo_list_format.h"

using store_walk::isKey;
using store_walk::isValue;
using store_walk::isEntry;

namespace restore {

namespace {

constexpr int kMaxLevel = 255;

bool isGroupingKey(SnapshotStore& store, ItemIndex key) {
  return (keyRecord(store, key).summary & SUM_GROUPING_KEY) != 0;
}

class UndoListWriter {
 public:
  UndoListWriter(SnapshotStore& current, SnapshotStore& baseline)
      : cur_(current), base_(baseline) {}

  UndoListBuild take() { return std::move(out_); }

  void header(uint8_t kind, uint8_t detail, int level, uint8_t type, uint32_t length) {
    if (level < 0 || level > kMaxLevel) {
      out_.complete = false;
      level = 0;
    }
    uint8_t bytes[8];
    encodeUndoHeader(UndoRecordHeader{kind, detail, static_cast<uint8_t>(level), type, length},
                     bytes);
    out_.bytes.append(reinterpret_cast<const char*>(bytes), sizeof bytes);
  }

  void text(uint8_t kind, uint8_t detail, int level, const std::string& text) {
    header(kind, detail, level, 0, static_cast<uint32_t>(text.size() + 1));
    out_.bytes.append(text);
    out_.bytes.push_back('\0');
  }

  void mark(uint8_t kind) { header(kind, 1, 0, 0, kUndoListVersion); }

  // The path record of `key`; a grouping key stands for the nearest real key above it,
  // whose level and path the records below it build on.
  void keyPath(SnapshotStore& store, ItemIndex key) {
    int64_t budget = store.counts.keyCount;
    while (isKey(store, key) && isGroupingKey(store, key) && budget-- > 0) {
      key = keyRecord(store, key).parent;
    }
    if (!isKey(store, key)) {
      out_.complete = false;
      return;
    }
    const int level = undoLevelOf(store, key);
    if (level < 0) out_.complete = false;
    text(UNDO_KEY_PATH, 0, level, registryKeyPath(store, key));
  }

  // A value of the current snapshot in state 9, 10 or 11, its key at `keyLevel`.
  void currentValue(ItemIndex value, int keyLevel) {
    const ValueRecord& record = valueRecord(cur_, value);
    const char* name = store_walk::valueNameOrEmpty(cur_, value);
    text(UNDO_VALUE, record.state, keyLevel + 1, name);
    const ItemIndex link = baselineLink(cur_, value);
    const bool linked = isValue(base_, link);
    if (record.state == STATE_VALUE_DELETED) {
      // A ghost's data are the baseline's; its own copy (if any) only stands in when
      // the link is gone.
      data(linked ? base_ : cur_, linked ? link : value, kDataCurrent);
      return;
    }
    data(cur_, value, kDataCurrent);
    if (record.state == STATE_DATA_CHANGED && linked) data(base_, link, kDataOld);
  }

  // A value of the baseline, written as deleted.
  void baselineValue(ItemIndex value, int keyLevel) {
    text(UNDO_VALUE, STATE_VALUE_DELETED, keyLevel + 1,
         store_walk::valueNameOrEmpty(base_, value));
    data(base_, value, kDataCurrent);
  }

  // A data record when `store` holds the data of `value` (or it has none); else the
  // value is counted as lacking data.
  void data(SnapshotStore& store, ItemIndex value, uint8_t which) {
    const ValueRecord& record = valueRecord(store, value);
    const uint32_t type = valueType(record);
    if ((record.flags & VF_DATA_KEPT) && isEntry(store, record.data)) {
      const DataEntry& entry = dataEntry(store, record.data);
      const uint32_t length = entry.chainOrLength > 0 ? static_cast<uint32_t>(entry.chainOrLength) : 0;
      header(UNDO_DATA, which, 0, static_cast<uint8_t>(type), length);
      out_.bytes.append(entryText(store, record.data), length);
      ++out_.valuesWithData;
    } else if (!(record.flags & VF_DATA_KEPT) && record.data == 0) {
      header(UNDO_DATA, which, 0, static_cast<uint8_t>(type), 0);
      ++out_.valuesWithData;
    } else {
      ++out_.valuesLackingData;
    }
  }

  // The whole subtree of baseline key `top` at `level`, every key as deleted.
  // Ghosts in the baseline (a comparison opened as baseline) are no part of it.
  void baselineSubtree(ItemIndex top, int level) {
    std::vector<int> levels;
    store_walk::walkKeys(
        base_, top, false,
        [&](ItemIndex key) {
          const KeyRecord& record = keyRecord(base_, key);
          if (store_walk::isGhostKey(record)) return false;
          const int at = levels.empty() ? level : levels.back();
          const bool grouping = isGroupingKey(base_, key);
          if (!grouping) {
            text(UNDO_KEY, STATE_DELETED, at, store_walk::keyNameOrEmpty(base_, key));
            store_walk::forEachValue(base_, key, [&](ItemIndex value, ValueRecord& v) {
              if (!store_walk::isGhostValue(v)) baselineValue(value, at);
            });
          }
          levels.push_back(grouping ? at : at + 1);
          return true;
        },
        [&](ItemIndex key) {
          if (!store_walk::isGhostKey(keyRecord(base_, key))) levels.pop_back();
        });
  }

  // A key of the current snapshot at `level` with its changes below; ghost keys are
  // written from the baseline.
  void currentSubtree(ItemIndex top, int level) {
    std::vector<int> levels;
    store_walk::walkKeys(
        cur_, top, false,
        [&](ItemIndex key) {
          const int at = levels.empty() ? level : levels.back();
          const KeyRecord& record = keyRecord(cur_, key);
          if (key != top &&
              !(record.summary & (SUM_DATA_CHANGED | SUM_STRUCTURE_CHANGED))) {
            levels.push_back(at);
            return false;
          }
          if (store_walk::isGhostKey(record)) {
            const ItemIndex source = baselineKeyOfGhost(key);
            if (source == kNoItem) {
              out_.complete = false;
            } else {
              baselineSubtree(source, at);
            }
            levels.push_back(at);
            return false;
          }
          const bool grouping = isGroupingKey(cur_, key);
          if (!grouping) {
            text(UNDO_KEY, record.state, at, store_walk::keyNameOrEmpty(cur_, key));
            store_walk::forEachValue(cur_, key, [&](ItemIndex value, ValueRecord& v) {
              if (v.state == STATE_DATA_CHANGED || v.state == STATE_VALUE_ADDED ||
                  v.state == STATE_VALUE_DELETED) {
                currentValue(value, at);
              }
            });
          }
          levels.push_back(grouping ? at : at + 1);
          return true;
        },
        [&](ItemIndex) { levels.pop_back(); });
  }

  // The baseline key a ghost copies: the one its itemCount names when that key has
  // the ghost's name, else (ghosts copied inside a ghost hold no index of their own)
  // the baseline key found by the names of the ghost's ancestors.
  ItemIndex baselineKeyOfGhost(ItemIndex ghost) {
    const char* name = store_walk::keyNameOrEmpty(cur_, ghost);
    const ItemIndex named = keyRecord(cur_, ghost).itemCount;
    if (isKey(base_, named) &&
        compareNames(store_walk::keyNameOrEmpty(base_, named), name) == 0 &&
        !store_walk::isGhostKey(keyRecord(base_, named))) {
      return named;
    }
    std::vector<ItemIndex> chain;
    int64_t budget = cur_.counts.keyCount;
    for (ItemIndex at = ghost; isKey(cur_, at) && budget-- > 0; at = keyRecord(cur_, at).parent) {
      chain.push_back(at);
    }
    ItemIndex found = kNoItem;
    for (size_t i = chain.size(); i-- > 0;) {
      found = findLiveChild(found, store_walk::keyNameOrEmpty(cur_, chain[i]));
      if (found == kNoItem) return kNoItem;
    }
    return found;
  }

  ItemIndex findLiveChild(ItemIndex parent, const char* name) {
    ItemIndex at = parent == kNoItem ? (isKey(base_, 0) ? 0 : kNoItem)
                                     : keyRecord(base_, parent).firstChild;
    int64_t budget = base_.counts.keyCount;
    for (; isKey(base_, at) && budget-- > 0; at = keyRecord(base_, at).nextSibling) {
      if (!store_walk::isGhostKey(keyRecord(base_, at)) &&
          compareNames(store_walk::keyNameOrEmpty(base_, at), name) == 0) {
        return at;
      }
    }
    return kNoItem;
  }

 private:
  SnapshotStore& cur_;
  SnapshotStore& base_;
  UndoListBuild out_;
};

}  // namespace

int undoLevelOf(SnapshotStore& store, ItemIndex key) {
  int level = 0;
  int64_t budget = store.counts.keyCount;
  for (ItemIndex at = keyRecord(store, key).parent; at != kNoItem; at = keyRecord(store, at).parent) {
    if (!isKey(store, at) || budget-- <= 0) return -1;
    if (!isGroupingKey(store, at)) ++level;
  }
  return level;
}

std::string registryKeyPath(SnapshotStore& store, ItemIndex key) {
  std::vector<ItemIndex> chain;
  int64_t budget = store.counts.keyCount;
  for (ItemIndex at = key; isKey(store, at) && budget-- > 0; at = keyRecord(store, at).parent) {
    chain.push_back(at);
  }
  std::string path;
  for (size_t i = chain.size(); i-- > 0;) {
    if (isGroupingKey(store, chain[i])) continue;
    if (!path.empty()) path += '\\';
    path += store_walk::keyNameOrEmpty(store, chain[i]);
  }
  return path;
}

UndoListBuild buildUndoList(SnapshotStore& current, SnapshotStore& baseline, ItemIndex item) {
  UndoListWriter writer(current, baseline);
  writer.mark(UNDO_START);
  const bool isValueItem = (static_cast<uint32_t>(item) & kValueItemBit) != 0;
  const ItemIndex index = static_cast<ItemIndex>(static_cast<uint32_t>(item) & ~kValueItemBit);
  bool known = isValueItem ? isValue(current, index) : isKey(current, index);
  if (known && isValueItem) {
    const ItemIndex key = ownerKeyOfValue(current, index);
    known = isKey(current, key);
    if (known) {
      writer.keyPath(current, key);
      writer.currentValue(index, undoLevelOf(current, key));
    }
  } else if (known) {
    const ItemIndex parent = keyRecord(current, index).parent;
    if (parent != kNoItem) writer.keyPath(current, parent);
    writer.currentSubtree(index, undoLevelOf(current, index));
  }
  writer.mark(UNDO_END);
  UndoListBuild build = writer.take();
  if (!known) build.complete = false;
  return build;
}

}  // namespace restore
