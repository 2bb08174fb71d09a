#include "text/value_text.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "engine/snapshot_store.h"
#include "text/cp932.h"

// The display kinds are the data-entry kinds of the snapshot store.
static_assert(int{VALUE_KIND_TEXT} == int{ENTRY_DATA_STRING}, "display kind codes are file data");
static_assert(int{VALUE_KIND_MULTI_TEXT} == int{ENTRY_DATA_MULTI}, "display kind codes are file data");
static_assert(int{VALUE_KIND_BYTES} == int{ENTRY_DATA_OTHER}, "display kind codes are file data");
static_assert(int{VALUE_KIND_NUMBER} == int{ENTRY_DATA_DWORD}, "display kind codes are file data");

const char kDefaultValueName[] = "(標準)";
const char kNoValueData[] = "≪値無し≫";

// The end row's name is spelt "Unkown" on purpose: listings, logs and the
// comparisons users keep of them show this text, so it stays as it is.
const ValueTypeName kValueTypeNames[kValueTypeNameRows] = {
    {1, "REG_SZ"},
    {7, "REG_MULTI_SZ"},
    {2, "REG_EXPAND_SZ"},
    {4, "REG_DWORD"},
    {3, "REG_BINARY"},
    {0, "REG_NONE"},
    {5, "REG_DWORD_BIG"},
    {8, "REG_RESOURCE_LIST"},
    {6, "REG_LINK"},
    {9, "REG_FULL_RES_DESC"},
    {10, "REG_RES_REQ_LIST"},
    {-1, "Unkown"},
};

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

const char* const kItemStateNames[] = {
    "正常", "未読", "非表", "未調", "拒否", "　　", "追加", "削除", "Data", "変化", "追加", "削除",
};

// Length of the text at `data` up to its NUL, at most `limit` bytes.
int32_t boundedLength(const uint8_t* data, int32_t limit) {
  if (limit <= 0) return 0;
  const void* nul = std::memchr(data, 0, static_cast<size_t>(limit));
  return nul ? static_cast<int32_t>(static_cast<const uint8_t*>(nul) - data) : limit;
}

// Writes into a fixed room, dropping whatever does not fit; `room` counts the bytes
// before the terminating NUL, which always fits.
struct BoundedText {
  char* dest;
  int32_t room;
  int32_t used;

  void append(const void* bytes, int32_t count) {
    if (count > room - used) count = room - used;
    if (count <= 0) return;
    std::memcpy(dest + used, bytes, static_cast<size_t>(count));
    used += count;
  }
  void appendByte(char c) { append(&c, 1); }
  void appendEllipsis() { append("...", 3); }
  void terminate() { dest[used] = '\0'; }
};

uint32_t littleEndian32(const uint8_t* data, int32_t length) {
  uint32_t v = 0;
  for (int32_t i = 0; i < 4 && i < length; ++i) v |= static_cast<uint32_t>(data[i]) << (8 * i);
  return v;
}

// "0x%08X (%d)" of the first four bytes into at most `size` bytes; returns its length.
int formatNumber(char* dest, size_t size, const uint8_t* data, int32_t length, const char* tail) {
  uint32_t v = littleEndian32(data, length);
  int32_t signedValue = static_cast<int32_t>(v);
  int written = std::snprintf(dest, size, "0x%08X (%d)%s", static_cast<unsigned>(v),
                              static_cast<int>(signedValue), tail);
  if (written < 0) written = 0;
  if (size > 0 && static_cast<size_t>(written) >= size) written = static_cast<int>(size - 1);
  return written;
}

void shortText(BoundedText& out, const uint8_t* data, int32_t length, int width) {
  const int32_t visible = boundedLength(data, length);
  if (width >= length && visible < width) {
    out.append(data, visible);
    return;
  }
  // Too long: the first width - 4 bytes and "...". A NUL among those bytes ends the
  // text there, and then nothing was cut.
  int32_t keep = width - 4;
  if (keep < 0) keep = 0;
  if (visible < keep) {
    out.append(data, visible);
    return;
  }
  out.append(data, keep);
  out.appendEllipsis();
}

void shortMultiText(BoundedText& out, const uint8_t* data, int32_t length, int width) {
  int32_t remainingLength = length;
  int32_t remainingWidth = width;
  int32_t at = 0;
  while (remainingLength > 0) {
    const int32_t n = boundedLength(data + at, remainingLength);
    if (n == 0) break;
    remainingLength -= n + 1;
    if (remainingWidth < n + 5) {
      int32_t keep = remainingWidth - 4;
      if (keep < 0) keep = 0;
      out.append(data + at, keep);
      out.appendEllipsis();
      return;
    }
    out.append(data + at, n);
    out.appendByte(' ');
    remainingWidth -= n + 1;
    at += n + 1;
  }
}

void shortBytes(BoundedText& out, const uint8_t* data, int32_t length, int width) {
  // As many "XX " as fit in width - 1 characters, keeping three for "..." when some
  // bytes are left out.
  int32_t shown = (width - 1) / 3;
  if (shown < length) {
    shown = (width - 4) / 3;
    if (shown < 0) shown = 0;
  }
  if (shown > length) shown = length;
  for (int32_t i = 0; i < shown; ++i) {
    char pair[3] = {kHexDigits[data[i] >> 4], kHexDigits[data[i] & 0x0F], ' '};
    out.append(pair, 3);
  }
  if (shown < length) out.appendEllipsis();
}

int decimalDigits(int32_t value) {
  int digits = 1;
  while (value >= 10) {
    value /= 10;
    ++digits;
  }
  return digits;
}

// One dump line: offset, the bytes padded to `columns`, the printable column, CR LF.
// Returns the position after it (no NUL written).
char* dumpLine(char* at, const char* offsetFormat, int32_t offset, const uint8_t* run, int32_t count,
               int columns) {
  // The offset field is at least 5 or 6 columns and widens for large offsets.
  at += std::sprintf(at, offsetFormat, static_cast<int>(offset));
  formatValueShort(at, columns, run, count, VALUE_KIND_BYTES);
  size_t bytesWritten = std::strlen(at);
  std::memset(at + bytesWritten, ' ', static_cast<size_t>(columns) - bytesWritten);
  at += columns;
  at += formatPrintable(at, run, count, ' ');
  *at++ = '\r';
  *at++ = '\n';
  return at;
}

size_t dumpSize(int32_t length, int32_t perLine, int offsetColumns, int columns) {
  size_t size = 1;
  for (int32_t offset = 0; offset < length; offset += perLine) {
    int32_t count = length - offset < perLine ? length - offset : perLine;
    int offsetWidth = decimalDigits(offset);
    if (offsetWidth < offsetColumns) offsetWidth = offsetColumns;
    size += static_cast<size_t>(offsetWidth) + 2 + static_cast<size_t>(columns) +
            static_cast<size_t>(count) + 2;
  }
  return size;
}

char* hexDump(char* dest, const uint8_t* data, int32_t length, int32_t perLine,
              const char* offsetFormat, int columns) {
  char* at = dest;
  for (int32_t offset = 0; offset < length; offset += perLine) {
    int32_t count = length - offset < perLine ? length - offset : perLine;
    at = dumpLine(at, offsetFormat, offset, data + offset, count, columns);
  }
  *at = '\0';
  return dest;
}

// The bytes column of the dumps: the bytes of a run in "XX " form (30 or 60
// characters for a full run) padded to these widths.
constexpr int kDump10Columns = 32;
constexpr int kDump20Columns = 62;

bool equalsIgnoringAsciiCase(const char* text, size_t length, const char* lower) {
  if (std::strlen(lower) != length) return false;
  for (size_t i = 0; i < length; ++i) {
    if (cp932::foldAscii(text[i]) != lower[i]) return false;
  }
  return true;
}

bool isAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// The longest path component accepted, in bytes.
constexpr int32_t kMaxComponentBytes = 215;

}  // namespace

int valueTypeRow(uint32_t type) {
  const int endRow = kValueTypeNameRows - 1;
  for (int row = 0; row < endRow; ++row) {
    if (static_cast<uint32_t>(kValueTypeNames[row].type) == type) return row;
  }
  return endRow;
}

const char* valueTypeName(uint32_t type) { return kValueTypeNames[valueTypeRow(type)].name; }

ValueDisplayKind valueKindOf(uint32_t type) {
  switch (type) {
    case kTypeSz:
    case kTypeExpandSz:
      return VALUE_KIND_TEXT;
    case kTypeMultiSz:
      return VALUE_KIND_MULTI_TEXT;
    case kTypeDword:
      return VALUE_KIND_NUMBER;
    default:
      return VALUE_KIND_BYTES;
  }
}

const char* itemStateName(int state) {
  constexpr int count = static_cast<int>(sizeof kItemStateNames / sizeof kItemStateNames[0]);
  return state >= 0 && state < count ? kItemStateNames[state] : "";
}

char* formatValueShort(char* dest, int width, const uint8_t* data, int32_t length, int kind) {
  if (width < 1) return dest;
  if (!data || length < 0) length = 0;
  BoundedText out{dest, width - 1, 0};
  switch (kind) {
    case VALUE_KIND_TEXT:
      shortText(out, data, length, width);
      break;
    case VALUE_KIND_MULTI_TEXT:
      shortMultiText(out, data, length, width);
      break;
    case VALUE_KIND_NUMBER:
      out.used = formatNumber(dest, static_cast<size_t>(width), data, length, "");
      break;
    default:
      shortBytes(out, data, length, width);
      break;
  }
  out.terminate();
  return dest;
}

std::string formatValueFull(const uint8_t* data, int32_t length, uint32_t type) {
  if (!data || length < 0) length = 0;
  std::string text;
  switch (valueKindOf(type)) {
    case VALUE_KIND_TEXT:
      text.assign(reinterpret_cast<const char*>(data), static_cast<size_t>(boundedLength(data, length)));
      break;
    case VALUE_KIND_MULTI_TEXT: {
      text.resize(multiStringLinesSize(data, length));
      char* end = multiStringToLines(&text[0], data, length);
      text.resize(static_cast<size_t>(end - text.data()));
      break;
    }
    case VALUE_KIND_NUMBER: {
      char number[32];
      int n = formatNumber(number, sizeof number, data, length, "");
      text.assign(number, static_cast<size_t>(n));
      break;
    }
    default:
      text.resize(hexDump10Size(length));
      formatHexDump10(&text[0], data, length);
      text.resize(text.size() - 1);
      break;
  }
  return text;
}

int32_t formatPrintable(char* dest, const uint8_t* source, int32_t count, char replacement) {
  for (int32_t i = 0; i < count; ++i) {
    uint8_t byte = source[i];
    dest[i] = byte >= 0x20 && byte <= 0x7E ? static_cast<char>(byte) : replacement;
  }
  return count > 0 ? count : 0;
}

int32_t multiStringLength(const uint8_t* data, int32_t length, uint32_t type) {
  if (type != kTypeMultiSz || !data || length <= 0) return length;
  int32_t at = 0;
  while (at < length) {
    int32_t n = boundedLength(data + at, length - at);
    if (n == 0) return at + 1;
    at += n + 1;
  }
  return length;
}

int32_t multiStringCount(const uint8_t* data, int32_t length) {
  if (!data) return 0;
  int32_t count = 0;
  int32_t at = 0;
  while (at < length) {
    int32_t n = boundedLength(data + at, length - at);
    if (n == 0) break;
    ++count;
    at += n + 1;
  }
  return count;
}

size_t multiStringLinesSize(const uint8_t* data, int32_t length) {
  if (!data || length < 0) return 1;
  size_t size = 1;
  int32_t at = 0;
  while (at < length) {
    int32_t n = boundedLength(data + at, length - at);
    if (n == 0) break;
    size += static_cast<size_t>(n) + 2;
    at += n + 1;
  }
  return size;
}

char* multiStringToLines(char* dest, const uint8_t* data, int32_t length) {
  char* at = dest;
  int32_t from = 0;
  while (data && from < length) {
    int32_t n = boundedLength(data + from, length - from);
    if (n == 0) break;
    std::memcpy(at, data + from, static_cast<size_t>(n));
    at += n;
    *at++ = '\r';
    *at++ = '\n';
    from += n + 1;
  }
  *at = '\0';
  return at;
}

size_t hexDump10Size(int32_t length) { return dumpSize(length, 10, 5, kDump10Columns); }

char* formatHexDump10(char* dest, const uint8_t* data, int32_t length) {
  if (!data) length = 0;
  return hexDump(dest, data, length, 10, "%5d: ", kDump10Columns);
}

size_t hexDump20Size(int32_t length, int kind) {
  if (kind == VALUE_KIND_NUMBER) return 32;
  return dumpSize(length, 20, 6, kDump20Columns);
}

char* formatHexDump20(char* dest, const uint8_t* data, int32_t length, int kind) {
  if (!data || length < 0) length = 0;
  if (kind == VALUE_KIND_NUMBER) {
    formatNumber(dest, hexDump20Size(length, kind), data, length, "\n");
    return dest;
  }
  return hexDump(dest, data, length, 20, "%6d: ", kDump20Columns);
}

char* formatGroupedNumber(char* buffer, size_t size, int64_t value, int width) {
  if (buffer == nullptr || size == 0) return buffer;
  if (width < 0) width = 0;
  // The digits from the right end of a scratch field, commas between the groups.
  char digits[kGroupedNumberMaxChars];
  int at = kGroupedNumberMaxChars;
  const bool negative = value < 0;
  uint64_t rest = negative ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  int count = 0;
  do {
    if (count > 0 && count % 3 == 0) digits[--at] = ',';
    digits[--at] = static_cast<char>('0' + rest % 10);
    rest /= 10;
    ++count;
  } while (rest != 0);
  if (negative) digits[--at] = '-';
  const int length = kGroupedNumberMaxChars - at;
  const int field = std::max(width, length);
  if (static_cast<size_t>(field) >= size) {
    // Too small a buffer: say so visibly rather than show another number.
    std::memset(buffer, '#', size - 1);
    buffer[size - 1] = '\0';
    return buffer;
  }
  std::memset(buffer, ' ', static_cast<size_t>(field - length));
  std::memcpy(buffer + (field - length), digits + at, static_cast<size_t>(length));
  buffer[field] = '\0';
  return buffer;
}

int32_t rundllArgumentOffset(const char* text) {
  if (!text) return 0;
  const size_t length = std::strlen(text);
  if (length < 8) return 0;
  size_t at = 0;
  const bool quoted = text[0] == '"';
  if (quoted) at = 1;
  size_t fileNameStart = at;
  bool tildeSeen = false;
  bool endedByQuote = false;
  while (at < length) {
    const char c = text[at];
    // A double-byte character is taken whole: its trail byte may be '\\' or '~'.
    if (cp932::isLeadByte(static_cast<uint8_t>(c)) && at + 1 < length) {
      at += 2;
      continue;
    }
    if (c == '"') {
      endedByQuote = true;
      break;
    }
    if (c == ' ' && (!quoted || tildeSeen)) break;
    if (c == '~') tildeSeen = true;
    if (c == '\\') fileNameStart = at + 1;
    ++at;
  }
  const char* fileName = text + fileNameStart;
  const size_t fileNameLength = at - fileNameStart;
  if (!equalsIgnoringAsciiCase(fileName, fileNameLength, "rundll32.exe") &&
      !equalsIgnoringAsciiCase(fileName, fileNameLength, "rundll32")) {
    return 0;
  }
  if (endedByQuote) ++at;
  while (text[at] == ' ') ++at;
  return static_cast<int32_t>(at);
}

int32_t filePathLength(const char* text) {
  if (!text) return 0;
  const size_t length = std::strlen(text);
  if (length < 3) return 0;
  size_t at = static_cast<size_t>(rundllArgumentOffset(text));
  const bool rundll = at > 0;
  bool quoted = false;
  if (text[at] == '"') {
    quoted = true;
    ++at;
  }
  // Each test reads a further byte only when the ones before it matched, so none
  // reads past the terminating NUL.
  bool absolute = false;
  if (isAsciiLetter(text[at]) && text[at + 1] == ':') {
    at += 2;
    if (text[at] == '\\') ++at;
    absolute = true;
  } else if (text[at] == '\\' && text[at + 1] == '\\') {
    at += 2;
    absolute = true;
  } else if (text[at] == '.' && text[at + 1] == '.' && text[at + 2] == '\\') {
    at += 3;
  } else if (text[at] == '.' && text[at + 1] == '\\') {
    at += 2;
  }
  if (text[at] == '\0' || (!absolute && !rundll)) return 0;

  size_t componentStart = at;
  for (;;) {
    const char c = text[at];
    if (c == '\0') return static_cast<int32_t>(length);
    if (at == componentStart && c == '.') return 0;
    if (cp932::isLeadByte(static_cast<uint8_t>(c)) && text[at + 1] != '\0') {
      at += 2;
    } else {
      switch (c) {
        case ',':
          if (rundll) return static_cast<int32_t>(at + 1);
          break;
        case '\\':
          if (at == componentStart) return 0;
          componentStart = at + 1;
          break;
        case '"':
          if (quoted) return static_cast<int32_t>(at + 1);
          break;
        case '/':
          return at >= 1 && text[at - 1] == ' ' ? static_cast<int32_t>(at - 1) : 0;
        case ':':
          return at >= 2 && text[at - 2] == ' ' ? static_cast<int32_t>(at - 2) : 0;
        case '*':
        case '<':
        case '>':
        case '|':
          return 0;
        default:
          break;
      }
      ++at;
    }
    if (static_cast<int32_t>(at - componentStart) > kMaxComponentBytes) return 0;
  }
}
