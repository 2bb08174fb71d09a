#include <windows.h>

#include <string>

#include "platform/files.h"

namespace platform {

std::string systemProgramPath() {
  // Long paths need more than MAX_PATH; the buffer grows until the name fits.
  std::string path(MAX_PATH, '\0');
  for (;;) {
    DWORD length = GetModuleFileNameA(nullptr, &path[0], static_cast<DWORD>(path.size()));
    if (length == 0) return std::string();
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    if (path.size() >= 32768) return std::string();
    path.resize(path.size() * 2);
  }
}

std::string systemProgramFolder() {
  // Cut after the last backslash or colon; a trail byte of a double-byte character
  // can equal '\\' and is skipped with its lead byte.
  std::string path = systemProgramPath();
  size_t cut = 0;
  for (size_t i = 0; i < path.size(); ++i) {
    if (IsDBCSLeadByte(static_cast<BYTE>(path[i])) && i + 1 < path.size()) {
      ++i;
      continue;
    }
    if (path[i] == '\\' || path[i] == ':') cut = i + 1;
  }
  return path.substr(0, cut);
}

bool replaceFile(const char* temporary, const char* target) {
  HANDLE file = CreateFileA(temporary, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  BOOL flushed = FlushFileBuffers(file);
  CloseHandle(file);
  if (!flushed) return false;
  return MoveFileExA(temporary, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

}  // namespace platform
