// cp932 to UTF-16 through MultiByteToWideChar, which replaces what it cannot decode.
#include <windows.h>

#include "platform/text_encoding.h"

namespace platform {

std::u16string cp932ToUtf16(const char* text, size_t length) {
  if (length == 0) return std::u16string();
  const int size = MultiByteToWideChar(932, 0, text, static_cast<int>(length), nullptr, 0);
  if (size <= 0) return std::u16string();
  std::wstring wide(static_cast<size_t>(size), L'\0');
  MultiByteToWideChar(932, 0, text, static_cast<int>(length), &wide[0], size);
  return std::u16string(wide.begin(), wide.end());
}

}  // namespace platform
