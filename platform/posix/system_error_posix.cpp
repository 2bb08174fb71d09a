#include <cerrno>
#include <cstring>

#include "platform/system_error.h"

namespace platform {

std::string lastSystemErrorText(size_t maxChars) {
  std::string text = std::strerror(errno);
  if (text.size() > maxChars) text.resize(maxChars);
  return text;
}

}  // namespace platform
