// Converting the program's cp932 text to Unicode, for files and terminals that want
// UTF-16 or UTF-8.
//
// A byte sequence that is no cp932 character becomes U+FFFD and the conversion goes
// on with the next byte, so the result never loses the text after a damaged name.
// NUL bytes are converted like any other character (multi-string data keep their
// separators).
#pragma once

#include <cstddef>
#include <string>

namespace platform {

std::u16string cp932ToUtf16(const char* text, size_t length);

}  // namespace platform
