#include "text/item_properties.h"

#include <cstdio>
#include <vector>

#include "engine/registry_reader.h"
#include "engine/store_walk.h"
#include "engine/view_state.h"
#include "platform/clock.h"
#include "platform/environment.h"
#include "platform/registry.h"
#include "text/cp932.h"
#include "text/listing_values.h"
#include "text/value_text.h"

namespace {

using store_walk::isKey;
using store_walk::isValue;

// The expansion of an EXPAND_SZ text is cut as the system's 520-byte buffer cuts it.
constexpr size_t kExpandedBytes = 520;
// Selections that end beyond this are too long to search for.
constexpr size_t kSelectionLimit = 4096;
constexpr int kSizeWidth = 7;
constexpr int kCountWidth = 9;

std::string grouped(int64_t value, int width) {
  char text[kGroupedNumberBytes];
  return formatGroupedNumber(text, sizeof text, value, width);
}

void renderSide(ValueSide& side, uint32_t type, int32_t length, const uint8_t* data) {
  side.typeName = valueTypeName(type);
  side.sizeText = grouped(length, kSizeWidth);
  side.hasData = data != nullptr || length == 0;
  side.dataText = side.hasData ? formatValueFull(data, length, type) : kNoValueData;
}

// Renders the kept data of `value`, or its recorded type and size without data.
void renderKept(SnapshotStore& store, ItemIndex value, ValueSide& side) {
  const ValueRecord& record = valueRecord(store, value);
  const uint8_t* data = nullptr;
  int32_t length = 0;
  int kind = 0;
  if ((record.flags & VF_DATA_KEPT) && keptValueData(store, value, data, length, kind)) {
    renderSide(side, valueType(record), length, data);
    return;
  }
  renderSide(side, valueType(record), valueDataLength(store, value), nullptr);
  side.hasData = false;
  side.dataText = kNoValueData;
}

bool beginsWithFilePath(const std::string& text) { return filePathLength(text.c_str()) > 0; }

// Direct counts of a key: subkeys and values that are not ghosts and their bytes.
void directCounts(SnapshotStore& store, ItemIndex key, int64_t& subkeys, int64_t& values,
                  int64_t& bytes) {
  subkeys = values = bytes = 0;
  int64_t budget = store.counts.keyCount;
  for (ItemIndex child = keyRecord(store, key).firstChild; isKey(store, child) && budget-- > 0;
       child = keyRecord(store, child).nextSibling) {
    if (store_walk::isGhostKey(keyRecord(store, child))) continue;
    subkeys += 1;
    bytes += static_cast<int64_t>(std::string(store_walk::keyNameOrEmpty(store, child)).size()) + 1;
  }
  store_walk::forEachValue(store, key, [&](ItemIndex value, ValueRecord& record) {
    if (store_walk::isGhostValue(record)) return;
    values += 1;
    bytes += static_cast<int64_t>(std::string(store_walk::valueNameOrEmpty(store, value)).size()) +
             1 + valueDataLength(store, value);
  });
}

void fillSizeCounts(SnapshotStore& store, ItemIndex key, KeyProperties& p) {
  int64_t subkeys, values, bytes;
  directCounts(store, key, subkeys, values, bytes);
  p.counts[KEY_SUBKEYS] = grouped(subkeys, kCountWidth);
  p.counts[KEY_VALUES] = grouped(values, kCountWidth);
  p.counts[KEY_BYTES] = grouped(bytes, kCountWidth);
  p.counts[KEY_TOTAL_SUBKEYS] = grouped(countSubtreeKeys(store, key, true) - 1, kCountWidth);
  p.counts[KEY_TOTAL_VALUES] = grouped(countSubtreeValues(store, key, true), kCountWidth);
  p.counts[KEY_TOTAL_BYTES] = grouped(keyRecord(store, key).byteCount, kCountWidth);
}

// Keys and values of the subtree (the key included) per state, and the search hits.
struct SubtreeTally {
  int64_t inState[16] = {};
  int64_t hits = 0;
};

SubtreeTally tallySubtree(SnapshotStore& store, ItemIndex key) {
  SubtreeTally t;
  store_walk::walkKeys(store, key, false, [&](ItemIndex at) {
    t.inState[keyRecord(store, at).state & 15] += 1;
    if (keyFlags(store, at) & VIEW_HIT) t.hits += 1;
    store_walk::forEachValue(store, at, [&](ItemIndex value, ValueRecord& record) {
      t.inState[record.state & 15] += 1;
      if (valueFlags(store, value) & VIEW_HIT) t.hits += 1;
    });
    return true;
  });
  return t;
}

// The last-write time of `key` from the live registry, or the empty text.
std::string liveKeyTime(SnapshotStore& store, ItemIndex key) {
  const KeyRecord& record = keyRecord(store, key);
  if (record.parent < 0 || (record.summary & SUM_GROUPING_KEY) ||
      record.state == STATE_NOT_READ || record.state == STATE_REFUSED ||
      record.state == STATE_DELETED) {
    return std::string();
  }
  std::vector<ItemIndex> chain;
  int64_t budget = static_cast<int64_t>(store.counts.keyCount) + 1;
  for (ItemIndex at = key; isKey(store, at) && budget-- > 0; at = keyRecord(store, at).parent) {
    chain.push_back(at);
  }
  const ItemIndex root = chain.back();
  if (root < 0 || root >= kRootKeyCount || keyRecord(store, root).parent >= 0) return std::string();
  std::string path;
  for (size_t i = chain.size() - 1; i-- > 0;) {
    if (keyRecord(store, chain[i]).summary & SUM_GROUPING_KEY) continue;
    if (!path.empty()) path += '\\';
    path += store_walk::keyNameOrEmpty(store, chain[i]);
  }
  platform::RegistrySeam& reg = platform::registry();
  platform::RegKey handle = 0;
  long rc = reg.openKey(kRootKeyHandles[root], path.c_str(), platform::kRegRead, &handle);
  platform::RegKeyInfo info{};
  if (rc == platform::kRegOk) {
    rc = reg.queryInfoKey(handle, &info);
    reg.closeKey(handle);
  }
  if (rc != platform::kRegOk) {
    showRegistryAccessError(rc, store, key);
    showRegistryOptionError(rc, -1);
    return std::string();
  }
  platform::LocalTime t;
  if (!platform::fileTimeToLocal(info.lastWriteTime, t)) return std::string();
  return keyTimeText(t.year, t.month, t.day, t.hour, t.minute, t.second);
}

}  // namespace

std::string expandFileText(const char* text) {
  return cutText(platform::expandEnvironment(text), kExpandedBytes - 1);
}

ValueProperties describeValue(SnapshotStore& current, SnapshotStore& baseline, ItemIndex value,
                              uint16_t viewState) {
  ValueProperties p;
  if (!isValue(current, value)) return p;
  const ValueRecord& record = valueRecord(current, value);
  p.state = record.state;
  const char* name = store_walk::valueNameOrEmpty(current, value);
  p.name = *name ? name : kDefaultValueName;
  p.fileAllowed = filePathLength(name) > 0;
  p.keyPath = buildItemPath(current, ownerKeyOfValue(current, value), 0);

  // A deleted value is no longer in the registry: its ghost shows what it held.
  const bool readLive = (record.flags & VF_DIGEST_ONLY) && viewShowsLiveReading(viewState) &&
                        record.state != STATE_VALUE_DELETED &&
                        rereadValueLive(current, value, p.current);
  if (!readLive) renderKept(current, value, p.current);
  const uint32_t type = valueType(record);
  if (p.current.hasData && valueKindOf(type) == VALUE_KIND_TEXT) {
    if (type == kTypeExpandSz) {
      p.expanded = true;
      if (beginsWithFilePath(expandFileText(p.current.dataText.c_str()))) p.fileAllowed = true;
    } else if (beginsWithFilePath(p.current.dataText)) {
      p.fileAllowed = true;
    }
  } else if (p.current.hasData && type == kTypeMultiSz && beginsWithFilePath(p.current.dataText)) {
    p.fileAllowed = true;
  }

  p.baselineForm = (viewState & VIEW_BASELINE) && viewShowsComparison(viewState) &&
                   (record.state == STATE_DATA_CHANGED || record.state == STATE_VALUE_DELETED);
  if (p.baselineForm) {
    const ItemIndex old = current.baselineLinks[value >> kSlotBits] ? baselineLink(current, value)
                                                                     : kNoItem;
    if (isValue(baseline, old)) {
      renderKept(baseline, old, p.baseline);
    } else {
      p.baseline.dataText = kNoValueData;
    }
  }
  return p;
}

bool rereadValueLive(SnapshotStore& current, ItemIndex value, ValueSide& side) {
  if (!isValue(current, value)) return false;
  const LiveValue live = readValueLive(current, value, LiveRead::kAlways);
  if (!live.read) return false;
  renderSide(side, live.type, static_cast<int32_t>(live.data.size()), live.data.data());
  return true;
}

KeyProperties describeKey(SnapshotStore& current, SnapshotStore& baseline, ItemIndex key,
                          uint16_t viewState, bool keysOnly, bool searchShown) {
  KeyProperties p;
  p.title = "キーのプロパティ";
  if (!isKey(current, key)) return p;
  const KeyRecord& record = keyRecord(current, key);
  p.name = store_walk::keyNameOrEmpty(current, key);
  p.path = buildItemPath(current, key, 0);
  if (record.state == STATE_DELETED) {
    p.deleted = true;
    p.title = "キーのプロパティ（削除前）";
    if (viewShowsComparison(viewState) && isKey(baseline, record.itemCount)) {
      fillSizeCounts(baseline, record.itemCount, p);
    } else {
      p.counts[KEY_SUBKEYS] = "全て不明";
    }
    return p;
  }
  fillSizeCounts(current, key, p);
  const SubtreeTally t = tallySubtree(current, key);
  p.counts[KEY_REFUSED] = grouped(t.inState[STATE_REFUSED], kCountWidth);
  if ((viewState & VIEW_BASELINE) && viewShowsComparison(viewState)) {
    p.counts[KEY_ADDED] = grouped(t.inState[STATE_ADDED], kCountWidth);
    p.counts[KEY_DELETED] = grouped(t.inState[STATE_DELETED], kCountWidth);
    if (!keysOnly) {
      p.counts[KEY_CHANGED] = grouped(t.inState[STATE_DATA_CHANGED], kCountWidth);
      p.counts[KEY_VALUES_ADDED] = grouped(t.inState[STATE_VALUE_ADDED], kCountWidth);
      p.counts[KEY_VALUES_DELETED] = grouped(t.inState[STATE_VALUE_DELETED], kCountWidth);
    }
  }
  if (searchShown) p.counts[KEY_SEARCH_HITS] = grouped(t.hits, kCountWidth);
  if (viewShowsLiveReading(viewState)) p.timeText = liveKeyTime(current, key);
  return p;
}

std::string keyTimeText(int year, int month, int day, int hour, int minute, int second) {
  char text[64];
  std::snprintf(text, sizeof text, "%d年%2d月%2d日 %02d：%02d：%02d", year, month, day, hour,
                minute, second);
  return text;
}

std::string cutText(const std::string& text, size_t limit) {
  if (text.size() <= limit) return text;
  size_t end = 0;
  while (end < limit) {
    const size_t step = cp932::isLeadByte(text[end]) ? 2 : 1;
    if (end + step > limit) break;
    end += step;
  }
  return text.substr(0, end);
}

std::string chooseSelectedText(const FieldSelection* fields, int count,
                               const std::string& fallback, size_t limit) {
  for (int i = 0; i < count; ++i) {
    const FieldSelection& f = fields[i];
    if (f.start < f.end && f.end < kSelectionLimit && f.end <= f.text.size()) {
      return cutText(f.text.substr(f.start, f.end - f.start), limit);
    }
  }
  return cutText(fallback, limit);
}
