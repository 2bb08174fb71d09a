// The system's own text for the calling thread's last error (GetLastError /
// FormatMessageA on Windows, errno / strerror elsewhere).
#pragma once

#include <cstddef>
#include <string>

namespace platform {

// At most `maxChars` bytes of text, trailing line breaks removed.
std::string lastSystemErrorText(size_t maxChars);
// The system's text for the Win32 error `code` (a registry function's result), at
// most `maxChars` bytes, never ending inside a double-byte character.
std::string systemErrorText(long code, size_t maxChars);

}  // namespace platform
