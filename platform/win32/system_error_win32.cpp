#include <windows.h>

#include "platform/system_error.h"

namespace platform {

std::string lastSystemErrorText(size_t maxChars) {
  DWORD code = GetLastError();
  char buffer[512] = {};
  DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), buffer,
                                sizeof buffer, nullptr);
  std::string text(buffer, length);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  if (text.size() > maxChars) text.resize(maxChars);
  return text;
}

std::string systemErrorText(long code, size_t maxChars) {
  char buffer[512] = {};
  DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                static_cast<DWORD>(code), MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                                buffer, sizeof buffer, nullptr);
  std::string text(buffer, length);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  if (text.size() > maxChars) {
    size_t cut = 0;
    while (cut < maxChars) {
      const size_t step = IsDBCSLeadByte(static_cast<BYTE>(text[cut])) ? 2 : 1;
      if (cut + step > maxChars) break;
      cut += step;
    }
    text.resize(cut);
  }
  return text;
}

}  // namespace platform
