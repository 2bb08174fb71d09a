#include "text/reg_export.h"

#include <cstdio>
#include <cstring>

#include "engine/store_walk.h"
#include "text/cp932.h"
#include "text/unicode_text.h"

using store_walk::isEntry;
using store_walk::isKey;
using store_walk::isValue;

namespace {

constexpr uint32_t kRegBinary = 3;
// Hex lists break before a line would pass 80 characters with its backslash.
constexpr size_t kHexLineBreakAt = 75;

std::string valueNameText(const char* name) {
  if (name == nullptr || name[0] == '\0') return "@";
  return regQuoted(name, std::strlen(name));
}

bool isPlainText(const uint8_t* data, uint32_t length) {
  if (length == 0 || data[length - 1] != 0) return false;
  for (uint32_t i = 0; i + 1 < length; ++i) {
    if (data[i] == 0 || data[i] == '\r' || data[i] == '\n') return false;
  }
  return true;
}

void appendHexList(std::string& out, const std::string& bytes, size_t lineStart) {
  char piece[3];
  for (size_t i = 0; i < bytes.size(); ++i) {
    std::snprintf(piece, sizeof piece, "%02x", static_cast<uint8_t>(bytes[i]));
    out += piece;
    if (i + 1 == bytes.size()) break;
    out += ',';
    if (out.size() - lineStart >= kHexLineBreakAt) {
      out += "\\\r\n  ";
      lineStart = out.size() - 2;
    }
  }
}

// A value's data as the snapshot holds them; `available` false when only the length
// and digest were kept (an empty datum needs no bytes and is always available).
struct StoredData {
  bool available = false;
  uint32_t type = 0;
  const uint8_t* bytes = nullptr;
  uint32_t length = 0;
};

StoredData storedData(SnapshotStore& store, ItemIndex value) {
  const ValueRecord& record = valueRecord(store, value);
  StoredData data;
  data.type = valueType(record);
  if ((record.flags & VF_DATA_KEPT) && isEntry(store, record.data)) {
    const DataEntry& entry = dataEntry(store, record.data);
    const char* text = entryText(store, record.data);
    if (text == nullptr || entry.chainOrLength < 0) return data;
    data.available = true;
    data.type = entry.hashOrType;
    data.bytes = reinterpret_cast<const uint8_t*>(text);
    data.length = static_cast<uint32_t>(entry.chainOrLength);
  } else if (!(record.flags & VF_DATA_KEPT) && record.data == 0) {
    data.available = true;
  }
  return data;
}

// Registry path of `key` as an import file names it: root and key names joined by
// backslashes, class-info grouping keys left out.
std::string regKeyPath(SnapshotStore& store, ItemIndex key) {
  std::vector<ItemIndex> chain;
  int64_t budget = store.counts.keyCount;
  for (ItemIndex at = key; isKey(store, at) && budget-- > 0; at = keyRecord(store, at).parent) {
    if (!(keyRecord(store, at).summary & SUM_GROUPING_KEY)) chain.push_back(at);
  }
  std::string path;
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    if (!path.empty()) path += '\\';
    path += store_walk::keyNameOrEmpty(store, *it);
  }
  return path;
}

class RegWriter {
 public:
  RegWriter(SnapshotStore& current, SnapshotStore& baseline, const RegExportOptions& options)
      : cur_(current), base_(baseline), options_(options) {}

  RegExportResult run() {
    text_ = options_.encoding == RegEncoding::kUnicode
                ? "Windows Registry Editor Version 5.00\r\n"
                : "REGEDIT4\r\n";
    store_walk::walkAllKeys(cur_, [&](ItemIndex key) { return enterCurrentKey(key); });
    if (options_.encoding == RegEncoding::kUnicode) {
      result_.bytes = "\xFF\xFE" + cp932ToUtf16leBytes(text_.data(), text_.size());
    } else {
      result_.bytes = std::move(text_);
    }
    return std::move(result_);
  }

 private:
  bool enterCurrentKey(ItemIndex key) {
    const KeyRecord& record = keyRecord(cur_, key);
    const bool redo = options_.direction == RegDirection::kRedo;
    if (record.state == STATE_ADDED) {
      if (!redo) {
        deleteKey(regKeyPath(cur_, key));
        return false;
      }
      writeWholeKey(cur_, key);
      return true;
    }
    if (record.state == STATE_DELETED) {
      if (redo) {
        deleteKey(regKeyPath(cur_, key));
      } else if (isKey(base_, record.itemCount)) {
        writeBaselineSubtree(record.itemCount);
      }
      return false;
    }
    writeValueChanges(key, redo);
    return true;
  }

  void writeValueChanges(ItemIndex key, bool redo) {
    bool headed = false;
    store_walk::forEachValue(cur_, key, [&](ItemIndex value, ValueRecord& v) {
      const bool setsCurrent = redo ? (v.state == STATE_DATA_CHANGED || v.state == STATE_VALUE_ADDED)
                                    : false;
      const bool setsBaseline =
          !redo && (v.state == STATE_DATA_CHANGED || v.state == STATE_VALUE_DELETED);
      const bool deletes = redo ? v.state == STATE_VALUE_DELETED : v.state == STATE_VALUE_ADDED;
      if (!setsCurrent && !setsBaseline && !deletes) return;
      if (!headed) {
        keyHeader(regKeyPath(cur_, key));
        headed = true;
      }
      const char* name = store_walk::valueNameOrEmpty(cur_, value);
      if (deletes) {
        line(regValueDeletion(name));
      } else if (setsCurrent) {
        writeValue(cur_, key, cur_, value);
      } else {
        const ItemIndex link = linkOf(value);
        if (link == kNoItem) {
          notExportable(cur_, key, name);
        } else {
          writeValue(cur_, key, base_, link);
        }
      }
    });
  }

  ItemIndex linkOf(ItemIndex value) {
    const int32_t* links = cur_.baselineLinks[value >> kSlotBits];
    if (links == nullptr) return kNoItem;
    const ItemIndex link = links[value & (kSlotsPerBlock - 1)];
    return isValue(base_, link) ? link : kNoItem;
  }

  // The key and every value it has (ghosts and values not checked left out).
  void writeWholeKey(SnapshotStore& store, ItemIndex key) {
    keyHeader(regKeyPath(store, key));
    store_walk::forEachValue(store, key, [&](ItemIndex value, ValueRecord& v) {
      if (v.state == STATE_VALUE_DELETED || v.state == STATE_NOT_CHECKED ||
          v.state == STATE_REFUSED) {
        return;
      }
      writeValue(store, key, store, value);
    });
  }

  // A deleted key written back from the baseline with its subtree. Keys the baseline
  // did not read are named empty, with a comment saying so.
  void writeBaselineSubtree(ItemIndex top) {
    store_walk::walkKeys(base_, top, false, [&](ItemIndex key) {
      const KeyRecord& record = keyRecord(base_, key);
      if (record.state == STATE_DELETED) return false;
      if (record.state == STATE_NOT_READ || record.state == STATE_REFUSED) {
        keyHeader(regKeyPath(base_, key));
        line("; " + std::string(options_.notExportableLabel) + " *");
        result_.notExported.push_back(regKeyPath(base_, key) + "\\*");
        return false;
      }
      writeWholeKey(base_, key);
      return true;
    });
  }

  // Value `value` of `dataStore` under key `key` of `keyStore` (a changed value's
  // baseline data are written under the current key).
  void writeValue(SnapshotStore& keyStore, ItemIndex key, SnapshotStore& dataStore,
                  ItemIndex value) {
    const char* name = store_walk::valueNameOrEmpty(dataStore, value);
    const StoredData data = storedData(dataStore, value);
    if (!data.available) {
      notExportable(keyStore, key, name);
      return;
    }
    line(regValueSetting(name, data.type, data.bytes, data.length, options_.encoding));
  }

  void notExportable(SnapshotStore& store, ItemIndex key, const char* name) {
    line("; " + std::string(options_.notExportableLabel) + " " + valueNameText(name));
    result_.notExported.push_back(regKeyPath(store, key) + " : " +
                                  (name[0] != '\0' ? std::string(name) : std::string("(標準)")));
  }

  void keyHeader(const std::string& path) {
    text_ += "\r\n[" + path + "]\r\n";
    ++result_.keyLines;
  }
  void deleteKey(const std::string& path) {
    text_ += "\r\n[-" + path + "]\r\n";
    ++result_.keyLines;
  }
  void line(const std::string& text) {
    text_ += text;
    text_ += "\r\n";
    if (text[0] != ';') ++result_.valueLines;
  }

  SnapshotStore& cur_;
  SnapshotStore& base_;
  const RegExportOptions& options_;
  std::string text_;
  RegExportResult result_;
};

}  // namespace

std::string regQuoted(const char* text, size_t length) {
  std::string out = "\"";
  for (size_t i = 0; i < length; ++i) {
    const char c = text[i];
    if (cp932::isLeadByte(c) && i + 1 < length) {
      out += c;
      out += text[++i];
    } else {
      if (c == '\\' || c == '"') out += '\\';
      out += c;
    }
  }
  out += '"';
  return out;
}

std::string regValueDeletion(const char* name) { return valueNameText(name) + "=-"; }

std::string regValueSetting(const char* name, uint32_t type, const uint8_t* data,
                            uint32_t length, RegEncoding encoding) {
  std::string out = valueNameText(name) + "=";
  if (type == kRegSz && isPlainText(data, length)) {
    return out + regQuoted(reinterpret_cast<const char*>(data), length - 1);
  }
  if (type == kRegDword && length == 4) {
    char number[16];
    std::snprintf(number, sizeof number, "dword:%08x",
                  static_cast<unsigned>(data[0] | (data[1] << 8) | (data[2] << 16) |
                                        (static_cast<uint32_t>(data[3]) << 24)));
    return out + number;
  }
  if (type == kRegBinary) {
    out += "hex:";
  } else {
    char prefix[16];
    std::snprintf(prefix, sizeof prefix, "hex(%x):", static_cast<unsigned>(type));
    out += prefix;
  }
  std::string bytes(reinterpret_cast<const char*>(data), length);
  const bool textType = type == kRegSz || type == kRegExpandSz || type == kRegMultiSz;
  if (textType && encoding == RegEncoding::kUnicode) {
    bytes = cp932ToUtf16leBytes(bytes.data(), bytes.size());
  }
  appendHexList(out, bytes, 0);
  return out;
}

RegExportResult exportRegChanges(SnapshotStore& current, SnapshotStore& baseline,
                                 const RegExportOptions& options) {
  return RegWriter(current, baseline, options).run();
}
