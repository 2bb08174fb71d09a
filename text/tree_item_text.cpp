#include "text/tree_item_text.h"

#include <cstdio>
#include <cstring>

#include "engine/registry_reader.h"
#include "engine/store_walk.h"
#include "resources/tree_images.h"
#include "text/value_text.h"
#include "text/cp932.h"

using store_walk::isEntry;
using store_walk::keyNameOrEmpty;
using store_walk::valueNameOrEmpty;

namespace {

const char kDescriptionMark[] = "◆ ";
const char kValueSeparator[] = " := '";
const char kValueEnd[] = "'";

// Writes into a fixed buffer and never past its end; text that does not fit is cut
// before a whole cp932 character, so no lead byte is left without its trail byte.
class TextBuilder {
 public:
  TextBuilder(char* dest, size_t size) : dest_(dest), size_(size) { dest_[0] = '\0'; }

  // Appends at most `limit` bytes of `text` (and never more than the room left).
  void append(const char* text, size_t limit = static_cast<size_t>(-1)) {
    const size_t room = size_ - 1 - used_;
    if (limit > room) limit = room;
    size_t take = 0;
    while (text[take] != '\0') {
      const size_t step = cp932::isLeadByte(text[take]) && text[take + 1] != '\0' ? 2 : 1;
      if (take + step > limit) break;
      take += step;
    }
    std::memcpy(dest_ + used_, text, take);
    used_ += take;
    dest_[used_] = '\0';
  }

  size_t used() const { return used_; }
  size_t room() const { return size_ - 1 - used_; }

 private:
  char* dest_;
  size_t size_;
  size_t used_ = 0;
};

bool sameDay(const platform::LocalTime& a, const platform::LocalTime& b) {
  return a.year == b.year && a.month == b.month && a.day == b.day;
}

// The data text of a value item (at most kTreeValueDataWidth - 1 bytes).
void formatValueData(char* dest, SnapshotStore& store, ItemIndex value, const ValueRecord& record,
                     const TreeTextOptions& options) {
  if ((record.flags & VF_DATA_KEPT) && isEntry(store, record.data)) {
    const DataEntry& entry = dataEntry(store, record.data);
    formatValueShort(dest, kTreeValueDataWidth,
                     reinterpret_cast<const uint8_t*>(entryText(store, record.data)),
                     entry.chainOrLength, entryKind(entry));
    return;
  }
  if (options.liveValueData && record.state != STATE_VALUE_DELETED) {
    const LiveValue live = readValueLive(store, value, LiveRead::kStoredEmpty);
    if (live.read) {
      formatValueShort(dest, kTreeValueDataWidth, live.data.data(),
                       static_cast<int32_t>(live.data.size()), valueKindOf(live.type));
    } else {
      formatValueShort(dest, kTreeValueDataWidth, nullptr, 0, valueKindOf(kTypeBinary));
    }
    return;
  }
  dest[0] = '\0';
}

}  // namespace

void formatKeyDate(char* dest, size_t size, const platform::LocalTime& when,
                   const platform::LocalTime& today) {
  if (size == 0) return;
  char day[48];
  if (sameDay(when, today)) {
    std::snprintf(day, sizeof day, "      今日");
  } else if (when.year == today.year) {
    std::snprintf(day, sizeof day, "今年 %02d/%02d", when.month, when.day);
  } else {
    std::snprintf(day, sizeof day, "%d/%02d/%02d", when.year, when.month, when.day);
  }
  char text[96];
  std::snprintf(text, sizeof text, "[%s %02d:%02d:%02d] ", day, when.hour, when.minute,
                when.second);
  TextBuilder(dest, size).append(text);
}

char* formatKeyItemText(char* dest, SnapshotStore& store, ItemIndex key,
                        const TreeTextOptions& options) {
  TextBuilder out(dest, kTreeItemTextBytes);
  const KeyRecord& record = keyRecord(store, key);

  if (options.showSizes) {
    // A ghost key's counts describe the baseline key it copies, not itself.
    const bool ghost = record.state == STATE_DELETED;
    char items[kGroupedNumberBytes];
    char bytes[kGroupedNumberBytes];
    formatGroupedNumber(items, sizeof items, ghost ? 0 : record.itemCount, 7);
    formatGroupedNumber(bytes, sizeof bytes, ghost ? 0 : record.byteCount, 10);
    char sizes[96];
    std::snprintf(sizes, sizeof sizes, "(%s個 %s ﾊﾞｲﾄ) ", items, bytes);
    out.append(sizes);
  }
  if (options.showDescriptions && (keyFlags(store, key) & VIEW_HAS_DESCRIPTION)) {
    out.append(kDescriptionMark);
  }
  if (options.showModified && options.liveKeyTimes && record.parent >= 0) {
    platform::LocalTime when{};
    const uint64_t written = keyLastWrite(store, key);
    if (written != 0 && platform::fileTimeToLocal(written, when)) {
      char date[64];
      formatKeyDate(date, sizeof date, when, options.today);
      out.append(date);
    }
  }
  out.append(keyNameOrEmpty(store, key));
  return dest;
}

char* formatValueItemText(char* dest, SnapshotStore& store, ItemIndex value,
                          const TreeTextOptions& options) {
  TextBuilder out(dest, kTreeItemTextBytes);
  const ValueRecord& record = valueRecord(store, value);

  char data[kTreeValueDataWidth];
  formatValueData(data, store, value, record, options);

  if (options.showSizes) {
    char size[kGroupedNumberBytes];
    formatGroupedNumber(size, sizeof size, valueDataLength(store, value), 7);
    char column[48];
    std::snprintf(column, sizeof column, "(%s ﾊﾞｲﾄ) ", size);
    out.append(column);
  }
  if (options.showDescriptions && (valueFlags(store, value) & VIEW_HAS_DESCRIPTION)) {
    out.append(kDescriptionMark);
  }
  const char* name = valueNameOrEmpty(store, value);
  if (name[0] == '\0') name = kDefaultValueName;
  // A very long name is cut so that the data text and the closing quote still fit.
  const size_t tail = std::strlen(kValueSeparator) + std::strlen(data) + std::strlen(kValueEnd);
  out.append(name, out.room() > tail ? out.room() - tail : 0);
  out.append(kValueSeparator);
  out.append(data);
  out.append(kValueEnd);
  return dest;
}

bool keyHasChildButton(const KeyRecord& key, bool valuesShown) {
  return key.firstChild >= 0 || (valuesShown && key.firstValue >= 0);
}

int keyImage(const KeyRecord& key, uint16_t displayFlags, bool hitsShown) {
  // State codes end at 11; a damaged code still gives a picture of the strip.
  int image = key.state <= STATE_DELETED ? static_cast<int>(key.state) : TREE_IMAGE_KEY;
  if (key.summary & SUM_AUTOCHECK_TARGET) {
    image = key.state == STATE_NORMAL ? TREE_IMAGE_AUTOCHECK_TARGET
                                      : TREE_IMAGE_AUTOCHECK_TARGET_CHANGED;
  }
  if (hitsShown) {
    if (displayFlags & VIEW_HIT) return image + kTreeHitImageOffset;
    if (displayFlags & VIEW_HIT_BELOW) return image + kTreeHitBelowImageOffset;
  }
  return image;
}

int valueImage(const ValueRecord& value, uint16_t displayFlags, bool hitsShown) {
  int image =
      value.state <= STATE_VALUE_DELETED ? static_cast<int>(value.state) : TREE_IMAGE_VALUE;
  if (value.state == STATE_NOT_CHECKED) image = TREE_IMAGE_VALUE_NOT_CHECKED;
  if (hitsShown && (displayFlags & VIEW_HIT)) image += kTreeHitImageOffset;
  return image;
}

uint16_t keyHitDrawingFlags(uint16_t displayFlags, bool hitsShown) {
  if (!hitsShown) return 0;
  if (displayFlags & VIEW_HIT) return VIEW_HIT_IMAGE;
  if (displayFlags & VIEW_HIT_BELOW) return VIEW_HIT_BELOW_IMAGE;
  return 0;
}

int valueChangeClass(uint8_t state) {
  switch (state) {
    case STATE_DATA_CHANGED:
      return 1;
    case STATE_VALUE_ADDED:
    case STATE_VALUE_DELETED:
      return 4;
    case STATE_NOT_CHECKED:
      return 2;
    default:
      return 0;
  }
}

bool childKeyPassesFilter(const KeyRecord& key, const TreeFilter& filter, uint8_t mask) {
  const bool controlled = (key.summary & SUM_CONTROLLED) != 0;
  if (filter.changedOnly) return (key.summary & mask) != 0 || (filter.uncheckedOnly && controlled);
  return !filter.uncheckedOnly || controlled;
}

bool valuePassesFilter(const ValueRecord& value, const TreeFilter& filter) {
  const bool unchecked = value.state == STATE_NOT_CHECKED;
  if (filter.changedOnly) return value.state > STATE_DATA || (filter.uncheckedOnly && unchecked);
  return !filter.uncheckedOnly || unchecked;
}
