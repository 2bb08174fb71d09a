#include "text/listing_values.h"

#include "engine/registry_reader.h"
#include "engine/store_walk.h"
#include "engine/view_state.h"
#include "text/value_text.h"

bool keptValueData(SnapshotStore& store, ItemIndex value, const uint8_t*& data, int32_t& length,
                   int& kind) {
  if (!store_walk::isValue(store, value)) return false;
  const ValueRecord& record = valueRecord(store, value);
  if (!(record.flags & VF_DATA_KEPT) || !store_walk::isEntry(store, record.data)) return false;
  const DataEntry& entry = dataEntry(store, record.data);
  data = reinterpret_cast<const uint8_t*>(entryText(store, record.data));
  length = entry.chainOrLength < 0 ? 0 : entry.chainOrLength;
  kind = entryKind(entry);
  return data != nullptr;
}

bool ListingValueReader::shortText(SnapshotStore& store, ItemIndex value,
                                   char (&dest)[kListingDataWidth]) {
  dest[0] = '\0';
  const uint8_t* data = nullptr;
  int32_t length = 0;
  int kind = 0;
  if (keptValueData(store, value, data, length, kind)) {
    formatValueShort(dest, kListingDataWidth, data, length, kind);
    return true;
  }
  if (!viewShowsLiveReading(viewState_) || !store_walk::isValue(store, value) ||
      store_walk::isGhostValue(valueRecord(store, value))) {
    return false;
  }
  auto known = liveRead_.find(value);
  if (known == liveRead_.end()) {
    const LiveValue live = readValueLive(store, value, LiveRead::kStoredEmpty);
    known = liveRead_.emplace(value, live.read).first;
    if (live.read) {
      char text[kListingDataWidth];
      formatValueShort(text, kListingDataWidth, live.data.data(),
                       static_cast<int32_t>(live.data.size()), valueKindOf(live.type));
      live_.emplace(value, text);
    }
  }
  if (!known->second) return false;
  const std::string& text = live_[value];
  text.copy(dest, kListingDataWidth - 1);
  dest[text.size() < kListingDataWidth ? text.size() : kListingDataWidth - 1] = '\0';
  return true;
}

bool baselineShortText(SnapshotStore& current, SnapshotStore& baseline, ItemIndex value,
                       uint16_t viewState, char (&dest)[kListingDataWidth]) {
  dest[0] = '\0';
  if (!(viewState & VIEW_BASELINE) || !viewShowsComparison(viewState)) return false;
  if (!store_walk::isValue(current, value) || current.baselineLinks[value >> kSlotBits] == nullptr) {
    return false;
  }
  const ItemIndex old = baselineLink(current, value);
  const uint8_t* data = nullptr;
  int32_t length = 0;
  int kind = 0;
  if (!keptValueData(baseline, old, data, length, kind)) return false;
  formatValueShort(dest, kListingDataWidth, data, length, kind);
  return true;
}
