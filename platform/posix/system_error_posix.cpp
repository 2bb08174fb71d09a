#include <cerrno>
#include <cstring>

#include "platform/system_error.h"

namespace platform {

std::string lastSystemErrorText(size_t maxChars) {
  std::string text = std::strerror(errno);
  if (text.size() > maxChars) text.resize(maxChars);
  return text;
}

// Outside Windows the registry is the in-memory one, whose results are Win32 codes:
// the codes it gives have their Windows texts, any other a neutral one.
std::string systemErrorText(long code, size_t maxChars) {
  std::string text;
  switch (code) {
    case 2:
      text = "The system cannot find the file specified.";
      break;
    case 5:
      text = "Access is denied.";
      break;
    case 6:
      text = "The handle is invalid.";
      break;
    case 122:
      text = "The data area passed to a system call is too small.";
      break;
    case 234:
      text = "More data is available.";
      break;
    case 259:
      text = "No more data is available.";
      break;
    default:
      text = "Error " + std::to_string(code) + ".";
      break;
  }
  if (text.size() > maxChars) text.resize(maxChars);
  return text;
}

}  // namespace platform
