// The system's own text for the calling thread's last error (GetLastError /
// FormatMessageA on Windows, errno / strerror elsewhere).
#pragma once

#include <cstddef>
#include <string>

namespace platform {

// At most `maxChars` bytes of text, trailing line breaks removed.
std::string lastSystemErrorText(size_t maxChars);

}  // namespace platform
