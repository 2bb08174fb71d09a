#include "restore/undo_list_reader.h"

#include <cstring>
#include <fstream>

#include "engine/snapshot_store.h"
#include "restore/undo_list_format.h"
#include "text/cp932.h"

namespace restore {

namespace {

constexpr int kLevels = 256;

bool sameAsciiFolded(const std::string& a, const char* b) {
  const size_t length = std::strlen(b);
  if (a.size() != length) return false;
  for (size_t i = 0; i < length; ++i) {
    if (cp932::foldAscii(static_cast<uint8_t>(a[i])) != cp932::foldAscii(static_cast<uint8_t>(b[i]))) {
      return false;
    }
  }
  return true;
}

// The next backslash at or after `from` that is a separator, not the trail byte of a
// double-byte character; npos when none.
size_t findSeparator(const std::string& text, size_t from) {
  for (size_t i = from; i < text.size(); ++i) {
    if (cp932::isLeadByte(text[i])) {
      ++i;
    } else if (text[i] == '\\') {
      return i;
    }
  }
  return std::string::npos;
}

class Reader {
 public:
  Reader(const uint8_t* bytes, size_t size, UndoList& out) : p_(bytes), size_(size), out_(out) {
    for (int32_t& at : stack_) at = -1;
  }

  UndoListReadResult read() {
    out_ = UndoList();
    if (size_ < 8) return fail(UNDO_LIST_NO_START);
    const UndoRecordHeader start = decodeUndoHeader(p_);
    if (!isMark(start, UNDO_START)) return fail(UNDO_LIST_NO_START);
    at_ = 8;
    for (;;) {
      if (size_ - at_ < 8) return fail(UNDO_LIST_TRUNCATED);
      const size_t recordAt = at_;
      const UndoRecordHeader h = decodeUndoHeader(p_ + at_);
      at_ += 8;
      if (h.kind == UNDO_END) {
        if (!isMark(h, UNDO_END)) return fail(UNDO_LIST_BAD_RECORD, recordAt);
        if (at_ != size_) return fail(UNDO_LIST_TRAILING);
        return {UNDO_LIST_OK, at_};
      }
      if (h.kind < UNDO_KEY_PATH || h.kind > UNDO_DATA) return fail(UNDO_LIST_BAD_RECORD, recordAt);
      if (h.length > size_ - at_) return fail(UNDO_LIST_TRUNCATED, recordAt);
      const UndoListError error = record(h);
      if (error != UNDO_LIST_OK) return fail(error, recordAt);
      at_ += h.length;
    }
  }

 private:
  static bool isMark(const UndoRecordHeader& h, uint8_t kind) {
    return h.kind == kind && h.detail == 1 && h.level == 0 && h.type == 0 &&
           h.length == kUndoListVersion;
  }

  UndoListReadResult fail(UndoListError error, size_t offset = static_cast<size_t>(-1)) {
    out_ = UndoList();
    return {error, offset == static_cast<size_t>(-1) ? at_ : offset};
  }

  // The text payload of the record at at_: NUL-terminated, no NUL inside.
  bool text(const UndoRecordHeader& h, uint32_t maxBytes, std::string& out) {
    if (h.length == 0 || h.length - 1 > maxBytes) return false;
    const char* begin = reinterpret_cast<const char*>(p_ + at_);
    if (begin[h.length - 1] != '\0' || std::memchr(begin, '\0', h.length - 1) != nullptr) {
      return false;
    }
    out.assign(begin, h.length - 1);
    return true;
  }

  UndoListError record(const UndoRecordHeader& h) {
    switch (h.kind) {
      case UNDO_KEY_PATH: return keyPath(h);
      case UNDO_KEY: return key(h);
      case UNDO_VALUE: return value(h);
      case UNDO_DATA: return data(h);
      default: return UNDO_LIST_BAD_RECORD;
    }
  }

  // A path record sets its level afresh: what was known below it no longer holds.
  void place(int level, int32_t key) {
    stack_[level] = key;
    for (int i = level + 1; i < kLevels; ++i) stack_[i] = -1;
    lastValue_ = -1;
  }

  UndoListError keyPath(const UndoRecordHeader& h) {
    if (h.detail != 0 || h.type != 0) return UNDO_LIST_BAD_RECORD;
    std::string path;
    if (!text(h, kMaxUndoPathBytes, path)) return UNDO_LIST_BAD_TEXT;
    // Root name, then non-empty key names: one component more than the level.
    int components = 0;
    size_t start = 0;
    for (;;) {
      const size_t end = findSeparator(path, start);
      const size_t length = (end == std::string::npos ? path.size() : end) - start;
      if (length == 0 || length > kMaxUndoKeyNameBytes) return UNDO_LIST_BAD_PATH;
      if (components == 0 && undoRootIndex(path.substr(0, length)) < 0) return UNDO_LIST_BAD_PATH;
      ++components;
      if (end == std::string::npos) break;
      start = end + 1;
    }
    if (components != h.level + 1) return UNDO_LIST_BAD_PATH;
    out_.keys.push_back(UndoKey{-1, std::move(path), 0, true});
    place(h.level, static_cast<int32_t>(out_.keys.size() - 1));
    return UNDO_LIST_OK;
  }

  UndoListError key(const UndoRecordHeader& h) {
    if (h.type != 0 || h.detail > STATE_DELETED) return UNDO_LIST_BAD_RECORD;
    std::string name;
    if (!text(h, kMaxUndoKeyNameBytes, name) || name.empty() ||
        findSeparator(name, 0) != std::string::npos) {
      return UNDO_LIST_BAD_TEXT;
    }
    int32_t parent = -1;
    if (h.level == 0) {
      if (undoRootIndex(name) < 0) return UNDO_LIST_BAD_PATH;
    } else {
      parent = stack_[h.level - 1];
      if (parent < 0) return UNDO_LIST_BAD_LEVEL;
    }
    out_.keys.push_back(UndoKey{parent, std::move(name), h.detail, false});
    out_.order.push_back(static_cast<uint32_t>(out_.keys.size() - 1));
    place(h.level, static_cast<int32_t>(out_.keys.size() - 1));
    return UNDO_LIST_OK;
  }

  UndoListError value(const UndoRecordHeader& h) {
    if (h.type != 0 || h.detail < STATE_DATA_CHANGED || h.detail > STATE_VALUE_DELETED) {
      return UNDO_LIST_BAD_RECORD;
    }
    std::string name;
    if (!text(h, kMaxUndoValueNameBytes, name)) return UNDO_LIST_BAD_TEXT;
    if (h.level == 0 || stack_[h.level - 1] < 0) return UNDO_LIST_BAD_LEVEL;
    out_.values.push_back(UndoValue{stack_[h.level - 1], std::move(name), h.detail, {}, {}});
    lastValue_ = static_cast<int32_t>(out_.values.size() - 1);
    out_.order.push_back(static_cast<uint32_t>(lastValue_) | kUndoValueBit);
    return UNDO_LIST_OK;
  }

  // Data records follow their value: the value's data first, then a changed value's
  // old data, each at most once.
  UndoListError data(const UndoRecordHeader& h) {
    if (h.level != 0 || h.detail > kDataOld) return UNDO_LIST_BAD_RECORD;
    if (h.length > kMaxUndoDataBytes) return UNDO_LIST_TOO_LARGE;
    if (lastValue_ < 0) return UNDO_LIST_MISPLACED_DATA;
    UndoValue& owner = out_.values[static_cast<size_t>(lastValue_)];
    UndoData* slot = &owner.data;
    if (h.detail == kDataOld) {
      if (owner.state != STATE_DATA_CHANGED || owner.old.present) return UNDO_LIST_MISPLACED_DATA;
      slot = &owner.old;
    } else if (owner.data.present || owner.old.present) {
      return UNDO_LIST_MISPLACED_DATA;
    }
    slot->present = true;
    slot->type = h.type;
    slot->bytes.assign(reinterpret_cast<const char*>(p_ + at_), h.length);
    return UNDO_LIST_OK;
  }

  const uint8_t* p_;
  size_t size_;
  size_t at_ = 0;
  UndoList& out_;
  int32_t stack_[kLevels];
  int32_t lastValue_ = -1;
};

}  // namespace

std::vector<std::string> splitUndoPath(const std::string& path) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    const size_t end = findSeparator(path, start);
    parts.push_back(path.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) return parts;
    start = end + 1;
  }
}

int undoRootIndex(const std::string& name) {
  for (int i = 0; i < kRootKeyCount; ++i) {
    if (sameAsciiFolded(name, kRootKeyNames[i])) return i;
  }
  return -1;
}

UndoListReadResult readUndoList(const uint8_t* bytes, size_t size, UndoList& out) {
  if (size > kMaxUndoListBytes) {
    out = UndoList();
    return {UNDO_LIST_TOO_LARGE, 0};
  }
  return Reader(bytes, size, out).read();
}

UndoListReadResult readUndoListFile(const std::string& path, UndoList& out) {
  out = UndoList();
  std::ifstream file(path, std::ios::binary);
  if (!file) return {UNDO_LIST_UNREADABLE, 0};
  std::string bytes;
  char buffer[65536];
  while (file.read(buffer, sizeof buffer) || file.gcount() > 0) {
    bytes.append(buffer, static_cast<size_t>(file.gcount()));
    if (bytes.size() > kMaxUndoListBytes) return {UNDO_LIST_TOO_LARGE, 0};
  }
  if (file.bad()) return {UNDO_LIST_UNREADABLE, 0};
  return readUndoList(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), out);
}

const char* undoListErrorText(UndoListError error) {
  switch (error) {
    case UNDO_LIST_OK: return "";
    case UNDO_LIST_UNREADABLE: return "元に戻すリストのファイルを読めません。";
    case UNDO_LIST_TOO_LARGE: return "元に戻すリストが大きすぎます。";
    case UNDO_LIST_NO_START: return "元に戻すリストではないか、形式が違います。";
    case UNDO_LIST_TRUNCATED: return "元に戻すリストが途中で切れています。";
    case UNDO_LIST_BAD_RECORD: return "元に戻すリストに不正なレコードがあります。";
    case UNDO_LIST_BAD_TEXT: return "元に戻すリストに不正な名前があります。";
    case UNDO_LIST_BAD_LEVEL: return "元に戻すリストの階層が壊れています。";
    case UNDO_LIST_BAD_PATH: return "元に戻すリストに不正なキーのパスがあります。";
    case UNDO_LIST_MISPLACED_DATA: return "元に戻すリストのデータの位置が不正です。";
    case UNDO_LIST_TRAILING: return "元に戻すリストの終わりの後に余分なデータがあります。";
  }
  return "元に戻すリストが壊れています。";
}

std::string undoKeyPath(const UndoList& list, int32_t key) {
  std::vector<const std::string*> names;
  for (int32_t at = key; at >= 0 && static_cast<size_t>(at) < list.keys.size();
       at = list.keys[static_cast<size_t>(at)].parent) {
    names.push_back(&list.keys[static_cast<size_t>(at)].name);
    // Parents always come before their children, so the chain ends.
    if (list.keys[static_cast<size_t>(at)].parent >= at) break;
  }
  std::string path;
  for (size_t i = names.size(); i-- > 0;) {
    if (!path.empty()) path += '\\';
    path += *names[i];
  }
  return path;
}

}  // namespace restore
