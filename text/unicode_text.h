// The program's cp932 text as UTF-8 and as UTF-16LE bytes, for output that asks for
// Unicode (the console's --encoding utf8, Unicode .reg files). The cp932 decoding
// is the platform's (platform/text_encoding.h); the encodings here are plain
// arithmetic. Unpaired surrogates become U+FFFD.
#pragma once

#include <cstddef>
#include <string>

std::string utf16ToUtf8(const std::u16string& text);
std::string cp932ToUtf8(const char* text, size_t length);
inline std::string cp932ToUtf8(const std::string& text) {
  return cp932ToUtf8(text.data(), text.size());
}
// UTF-16LE bytes, without a byte order mark.
std::string cp932ToUtf16leBytes(const char* text, size_t length);
