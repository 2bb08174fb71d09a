#include "engine/read_log.h"

#include <algorithm>
#include <cstring>

#include "engine/registry_reader.h"
#include "engine/store_walk.h"

using store_walk::isKey;

// One logged item: this header, the name with its terminating NUL, the data, and
// padding to the next multiple of 8 bytes.
struct ReadLog::Record {
  enum Kind : uint8_t { kBeginKey, kKeyOnly, kEndKey, kValue, kRefusedValue };
  uint8_t kind;
  uint8_t state;
  uint16_t word;
  uint32_t nameLength;  // without the NUL
  ItemIndex root;       // keys: the root record, or kNoItem for a new subkey
  uint32_t type;        // values
  uint32_t dataLength;  // values
  uint32_t reserved;
  uint64_t lastWrite;  // kBeginKey
};

namespace {

constexpr size_t kRecordAlign = 8;

// The control code of a control word, when it is one the reader acts on; any other
// code (the rules never give one) counts as none.
uint8_t knownControlCodeOf(uint16_t word) {
  const uint8_t code = static_cast<uint8_t>(word & kControlCodeMask);
  switch (code) {
    case kControlNotRead:
    case kControlHidden:
    case kControlNotChecked:
    case kControlAutoCheckTarget:
      return code;
    default:
      return 0;
  }
}

// Sets SUM_CONTROLLED on `key` and its ancestors. While a store is being read the flag
// is only ever set on whole chains, so the walk stops at the first key carrying it.
void markControlledUp(SnapshotStore& store, ItemIndex key) {
  int64_t budget = static_cast<int64_t>(store.counts.keyCount) + 1;
  for (ItemIndex at = key; isKey(store, at) && budget-- > 0; at = keyRecord(store, at).parent) {
    KeyRecord& record = keyRecord(store, at);
    if (record.summary & SUM_CONTROLLED) break;
    record.summary = static_cast<uint8_t>(record.summary | SUM_CONTROLLED);
  }
}

}  // namespace

size_t ReadLog::recordBytes(uint32_t nameLength, uint32_t dataLength) {
  const size_t bytes = sizeof(Record) + nameLength + 1 + dataLength;
  return (bytes + kRecordAlign - 1) / kRecordAlign * kRecordAlign;
}

ReadLog::ReadLog(SnapshotStore& store, bool keepValueData)
    : store_(store), keepValueData_(keepValueData) {}

void ReadLog::append(const Record& record, const char* name, const uint8_t* data, uint32_t length) {
  const size_t size = recordBytes(record.nameLength, length);
  if (used_ + size > capacity_) {
    // Grown by doubling: a batch of small records settles at kReadLogFlushBytes plus
    // one record; a large datum takes what it needs until the next flush.
    const size_t capacity = std::max({capacity_ * 2, used_ + size, kReadLogFlushBytes + size});
    std::unique_ptr<uint8_t[]> bytes(new uint8_t[capacity]);
    if (used_ > 0) std::memcpy(bytes.get(), bytes_.get(), used_);
    bytes_ = std::move(bytes);
    capacity_ = capacity;
  }
  uint8_t* at = bytes_.get() + used_;
  std::memcpy(at, &record, sizeof record);
  at += sizeof record;
  std::memcpy(at, name, record.nameLength);
  at[record.nameLength] = '\0';
  if (length > 0) std::memcpy(at + record.nameLength + 1, data, length);
  used_ += size;
}

void ReadLog::beginKey(ItemIndex root, const char* name, uint16_t word, uint64_t lastWrite) {
  Record record{};
  record.kind = Record::kBeginKey;
  record.word = word;
  record.nameLength = root == kNoItem ? static_cast<uint32_t>(std::strlen(name)) : 0;
  record.root = root;
  record.lastWrite = lastWrite;
  append(record, name, nullptr, 0);
}

void ReadLog::keyOnly(ItemIndex root, const char* name, uint8_t state, uint16_t word) {
  Record record{};
  record.kind = Record::kKeyOnly;
  record.state = state;
  record.word = word;
  record.nameLength = root == kNoItem ? static_cast<uint32_t>(std::strlen(name)) : 0;
  record.root = root;
  append(record, name, nullptr, 0);
}

void ReadLog::endKey() {
  Record record{};
  record.kind = Record::kEndKey;
  append(record, "", nullptr, 0);
}

void ReadLog::value(const char* name, uint32_t type, const uint8_t* data, uint32_t length,
                    uint16_t word) {
  Record record{};
  record.kind = Record::kValue;
  record.word = word;
  record.nameLength = static_cast<uint32_t>(std::strlen(name));
  record.type = type;
  record.dataLength = length;
  append(record, name, data, length);
}

void ReadLog::refusedValue(const char* name) {
  Record record{};
  record.kind = Record::kRefusedValue;
  record.nameLength = static_cast<uint32_t>(std::strlen(name));
  append(record, name, nullptr, 0);
}

void ReadLog::flush() {
  size_t at = 0;
  while (at < used_) {
    Record record;
    std::memcpy(&record, bytes_.get() + at, sizeof record);
    const char* name = reinterpret_cast<const char*>(bytes_.get() + at + sizeof record);
    const uint8_t* data = bytes_.get() + at + sizeof record + record.nameLength + 1;
    switch (record.kind) {
      case Record::kBeginKey:
      case Record::kKeyOnly:
        lastKey_ = storeKey(record, name);
        break;
      case Record::kEndKey:
        storeEnd();
        break;
      default:
        storeValue(record, name, data);
        break;
    }
    at += recordBytes(record.nameLength, record.dataLength);
  }
  used_ = 0;
}

ItemIndex ReadLog::storeKey(const Record& record, const char* name) {
  ItemIndex key = record.root;
  if (key == kNoItem) {
    OpenKey& parent = open_.back();
    key = addKey(store_, parent.key, parent.lastChild, name);
    parent.lastChild = key;
  }
  const uint8_t code = knownControlCodeOf(record.word);
  KeyRecord& stored = keyRecord(store_, key);
  if (record.word & kControlSameName) stored.summary = static_cast<uint8_t>(stored.summary | SUM_SAME_NAME);
  if (record.word & kControlUserRule) stored.summary = static_cast<uint8_t>(stored.summary | SUM_USER_RULE);
  if (code == kControlAutoCheckTarget) {
    stored.summary = static_cast<uint8_t>(stored.summary | SUM_AUTOCHECK_TARGET);
  } else if (code != 0) {
    stored.state = code;
  }
  if (record.state != 0) stored.state = record.state;
  if (code != 0 || record.state != 0) markControlledUp(store_, key);
  if (record.kind == Record::kKeyOnly) {
    countInParent(key);
  } else {
    setKeyLastWrite(store_, key, record.lastWrite);
    open_.push_back(OpenKey{key, kNoItem, kNoItem, keyRecord(store_, key).firstValue < 0, 0, 0});
  }
  return key;
}

// Values come in creation order: each is appended, and the list is sorted once when
// the key ends, so a key with n values costs n log n name comparisons, not n*n/2.
void ReadLog::storeValue(const Record& record, const char* name, const uint8_t* data) {
  OpenKey& key = open_.back();
  const ItemIndex value = appendValue(store_, key.key, key.lastValue, name);
  if (key.valuesInOrder && key.lastValue != kNoItem &&
      compareNames(valueName(store_, key.lastValue), name) > 0) {
    key.valuesInOrder = false;
  }
  key.lastValue = value;
  key.items += 1;
  key.bytes += static_cast<int64_t>(record.nameLength) + 1;
  if (record.kind == Record::kRefusedValue) {
    assignValueData(store_, value, nullptr, 0, 0, false);
    valueRecord(store_, value).state = STATE_REFUSED;
    markControlledUp(store_, key.key);
    return;
  }
  assignValueData(store_, value, data, record.dataLength, record.type, keepValueData_);
  const uint8_t code = knownControlCodeOf(record.word);
  if (code == kControlNotChecked) valueRecord(store_, value).state = STATE_NOT_CHECKED;
  if (code != 0) markControlledUp(store_, key.key);
  key.bytes += valueDataLength(store_, value);
}

void ReadLog::storeEnd() {
  const OpenKey key = open_.back();
  open_.pop_back();
  if (!key.valuesInOrder) sortValueList(store_, key.key);
  KeyRecord& record = keyRecord(store_, key.key);
  record.itemCount = clampToInt32(key.items);
  record.byteCount = clampToInt32(static_cast<int64_t>(record.byteCount) + key.bytes);
  countInParent(key.key);
}

// Adds a finished key's sizes to its parent's (none for a root).
void ReadLog::countInParent(ItemIndex key) {
  if (open_.empty()) return;
  const KeyRecord& record = keyRecord(store_, key);
  open_.back().items += 1 + static_cast<int64_t>(record.itemCount);
  open_.back().bytes += record.byteCount;
}
