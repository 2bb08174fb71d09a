// Byte-level helpers for cp932 (Shift-JIS) text, the encoding of every name, message
// and file text in the program.
//
// A cp932 character is one byte, or a lead byte (0x81-0x9F, 0xE0-0xFC) followed by
// a trail byte. A trail byte may look like ASCII ('\\' is 0x5C, 'A'-'Z' are 0x41-0x5A),
// so any code that looks for a separator or folds letters must step over whole
// characters: test the lead byte first, then skip two bytes.
#pragma once

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

}  // namespace cp932
