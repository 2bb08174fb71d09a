// Text renderings of registry values shared by the tree view, the listings, the
// auto-check log and the property dialogs: value type names, the one-line summary of
// a value within a fixed width, the full rendering with hex dumps, multi-string
// handling, grouped numbers, item state names, and the recognition of a file path at
// the start of a value's text.
//
// Every routine is a pure function over caller-supplied memory and keeps no state.
// All text is cp932 byte text. Data is never read beyond the length given, and no
// routine writes beyond the room its contract names, whatever the data holds:
// registry data may lack its terminating NUL, and a value can be of any length.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// How a value's data is rendered. The codes are stored as the kind of a data entry
// that keeps a value's data whole and so are part of the snapshot file format.
enum ValueDisplayKind : int {
  VALUE_KIND_TEXT = 3,        // REG_SZ, REG_EXPAND_SZ
  VALUE_KIND_MULTI_TEXT = 4,  // REG_MULTI_SZ
  VALUE_KIND_BYTES = 5,       // every other type; also any unknown kind code
  VALUE_KIND_NUMBER = 6,      // REG_DWORD
};

// Registry value types the renderings tell apart.
constexpr uint32_t kTypeNone = 0;
constexpr uint32_t kTypeSz = 1;
constexpr uint32_t kTypeExpandSz = 2;
constexpr uint32_t kTypeBinary = 3;
constexpr uint32_t kTypeDword = 4;
constexpr uint32_t kTypeMultiSz = 7;

// Name shown for a value whose name is empty (the key's default value).
extern const char kDefaultValueName[];
// Text used when a value's data is neither kept nor readable from the registry.
extern const char kNoValueData[];

// The value type name table: one row per known type, then the end row (type -1,
// "Unkown") that stands for every type not listed.
struct ValueTypeName {
  int32_t type;
  const char* name;
};
constexpr int kValueTypeNameRows = 12;
extern const ValueTypeName kValueTypeNames[kValueTypeNameRows];

// Index of the first row of kValueTypeNames whose type is `type`, else of the end row.
int valueTypeRow(uint32_t type);
// The display name of `type` ("Unkown" for a type not in the table).
const char* valueTypeName(uint32_t type);

ValueDisplayKind valueKindOf(uint32_t type);

// Short name of an item state code (0-11); the empty text for any other code.
const char* itemStateName(int state);

// One-line summary of a value's data in at most width - 1 characters plus the NUL,
// so `dest` needs `width` bytes; nothing is written when width < 1. `kind` is a
// ValueDisplayKind; any other code renders as bytes. Returns `dest`.
//  - text: the text up to its NUL; when width < length, the first width - 4 bytes and
//    "..." (cut by bytes, so a double-byte character may be split);
//  - multi-text: each string followed by a space, or a cut string and "..." when the
//    rest does not fit;
//  - number: "0x%08X (%d)" of the first four bytes (missing bytes count as zero);
//  - bytes: "XX " per byte for as many bytes as fit, then "..." when some are left
//    out (width 128: up to 42 bytes whole, else 41 and "...").
char* formatValueShort(char* dest, int width, const uint8_t* data, int32_t length, int kind);

// The full rendering of a value for the value property dialog: the text, the strings
// one per line, the number, or a hex dump of 10 bytes a line.
std::string formatValueFull(const uint8_t* data, int32_t length, uint32_t type);

// Copies `count` bytes, replacing every byte outside 0x20-0x7E (so also both bytes
// of a double-byte character) with `replacement`. Writes no NUL; returns `count`.
int32_t formatPrintable(char* dest, const uint8_t* source, int32_t count, char replacement);

// For REG_MULTI_SZ: the length up to and including the NUL that closes the list (the
// NUL of the first empty string), at most `length`; data starting with a NUL gives 1.
// For every other type, and for a negative length, `length` unchanged.
int32_t multiStringLength(const uint8_t* data, int32_t length, uint32_t type);
// The number of strings before the first empty string within `length` bytes (a last
// string without its NUL counts).
int32_t multiStringCount(const uint8_t* data, int32_t length);
// Writes every string before the first empty one, each followed by "\r\n", then a
// NUL. `dest` needs multiStringLinesSize(data, length) bytes (at most
// length + 2 x count + 1). Returns the position of the NUL.
char* multiStringToLines(char* dest, const uint8_t* data, int32_t length);
size_t multiStringLinesSize(const uint8_t* data, int32_t length);

// Hex dump of 10 bytes a line: "%5d: ", the bytes as "XX " padded to 32 columns, the
// printable column, "\r\n"; a full line is 51 characters. Ends with a NUL.
char* formatHexDump10(char* dest, const uint8_t* data, int32_t length);
size_t hexDump10Size(int32_t length);
// Hex dump of 20 bytes a line ("%6d: ", 62 columns of bytes, printable column, "\r\n";
// 92 characters a full line), or for kind number the single text "0x%08X (%d)\n".
// Ends with a NUL.
char* formatHexDump20(char* dest, const uint8_t* data, int32_t length, int kind);
size_t hexDump20Size(int32_t length, int kind);

// Room for any 64-bit number with its commas and sign, and the NUL.
constexpr int kGroupedNumberMaxChars = 26;
constexpr size_t kGroupedNumberBytes = kGroupedNumberMaxChars + 1;

// `value` right-aligned in at least `width` characters, with "," between groups of
// three digits and a "-" before a negative one, then a NUL. A number wider than
// `width` widens its field: it is never cut to a different number. `buffer` holds
// `size` bytes; a width or number that does not fit it (never the case for a buffer
// of max(width, kGroupedNumberMaxChars) + 1 bytes) gives "#" characters instead of
// a wrong number. Returns `buffer`.
char* formatGroupedNumber(char* buffer, size_t size, int64_t value, int width);

// 0, or the offset of the first argument after a rundll32 program name at the start
// of `text` (quoted or not, "rundll32" or "rundll32.exe" in any letter case).
int32_t rundllArgumentOffset(const char* text);
// 0, or the length of the file path with which `text` begins: an absolute path (drive
// letter or double backslash), or the argument of a rundll32 command up to and
// including its comma. The length includes a closing double quote of a quoted path.
int32_t filePathLength(const char* text);
