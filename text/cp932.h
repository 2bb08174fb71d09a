// Byte-level helpers for cp932 (Shift-JIS) text, the encoding of every name, message
// and file text in the program.
//
// A cp932 character is one byte, or a lead byte (0x81-0x9F, 0xE0-0xFC) followed by
// a trail byte. A trail byte may look like ASCII ('\\' is 0x5C, 'A'-'Z' are 0x41-0x5A),
// so any code that looks for a separator or folds letters must step over whole
// characters: test the lead byte first, then skip two bytes.
//
// Names (keys, values, rules, search terms) are compared by one function,
// compareNames below, which follows the registry's own case-insensitive comparison.
#pragma once

#include <cstddef>
#include <cstdint>

namespace cp932 {

// True for the first byte of a double-byte character.
constexpr bool isLeadByte(uint8_t byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}
constexpr bool isLeadByte(char byte) { return isLeadByte(static_cast<uint8_t>(byte)); }

// ASCII A-Z folded to a-z; every other byte unchanged. Apply it to single-byte
// characters only: a trail byte in 0x41-0x5A belongs to a double-byte character.
constexpr uint8_t foldAscii(uint8_t byte) {
  return byte >= 'A' && byte <= 'Z' ? static_cast<uint8_t>(byte - 'A' + 'a') : byte;
}
constexpr char foldAscii(char byte) {
  return static_cast<char>(foldAscii(static_cast<uint8_t>(byte)));
}

// ASCII a-z raised to A-Z; same caution as foldAscii.
constexpr uint8_t raiseAscii(uint8_t byte) {
  return byte >= 'a' && byte <= 'z' ? static_cast<uint8_t>(byte - 'a' + 'A') : byte;
}
constexpr char raiseAscii(char byte) {
  return static_cast<char>(raiseAscii(static_cast<uint8_t>(byte)));
}

// ---- Names compared as the registry compares them -------------------------------
//
// The registry takes two names for one when their UTF-16 forms are equal ignoring
// case. On cp932 text that means: a double-byte character is one unit (its trail byte
// is never folded as a letter); single-byte A-Z fold to a-z; double-byte characters
// fold by the case pairs the system uses (fullwidth Latin, Greek, Cyrillic, Roman
// numerals) and by cp932's second encodings of one character (the NEC and IBM
// extensions). A lead byte right before the end of a name counts as a character of
// its own. The fold tables live in text/cp932.cpp.

// The canonical code of the double-byte character lead, trail (itself when nothing
// folds it).
uint16_t foldedCode(uint8_t lead, uint8_t trail);

// The character at `text` (not at its terminating NUL): its length, 1 or 2, and its
// key in the name order (single bytes: the folded byte in the high byte, low byte 0;
// double-byte characters: the canonical code). Equal keys mean one character.
struct FoldedCharacter {
  uint16_t key;
  uint8_t length;
};
FoldedCharacter foldedCharacter(const char* text);

// The name order of the whole program: characters compared by their keys, a name
// before a longer one it begins. Negative, 0 or positive, like strcmp; 0 exactly when
// the registry takes the two names for one.
int compareNames(const char* a, const char* b);

// Whether the first `length` bytes of `a` and `b` are the same name text, character by
// character (a character cut by `length` counts as its lone lead byte).
bool equalNameBytes(const char* a, const char* b, size_t length);

// Whether byte `offset` of the NUL-terminated `text` begins a character (offset at or
// before the end).
bool isCharacterStart(const char* text, size_t offset);

}  // namespace cp932
