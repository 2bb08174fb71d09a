#include "engine/instance_handover.h"

#include <cstring>

#include "text/cp932.h"

std::string singleInstanceName(const std::string& programPath) {
  std::string name = programPath;
  for (size_t i = 0; i < name.size(); ++i) {
    if (cp932::isLeadByte(name[i])) {
      ++i;  // the trail byte belongs to the character, whatever its value
      continue;
    }
    if (name[i] == '\\') name[i] = '/';
  }
  return name;
}

std::string handedFileMessage(const std::string& path) {
  if (path.empty() || path.size() + 1 > kHandedPathBytes) return std::string();
  if (path.find('\0') != std::string::npos) return std::string();
  return std::string(path.c_str(), path.size() + 1);
}

bool readHandedFile(uint32_t tag, const void* data, size_t size, std::string& path) {
  if (tag != kHandedFileTag || data == nullptr || size < 2 || size > kHandedPathBytes) {
    return false;
  }
  const char* bytes = static_cast<const char*>(data);
  // Exactly one NUL, the last byte: no shorter text hides in a longer message.
  if (bytes[size - 1] != '\0' || std::memchr(bytes, '\0', size - 1) != nullptr) return false;
  path.assign(bytes, size - 1);
  return true;
}
