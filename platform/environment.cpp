#include "platform/environment.h"

#include <cstring>

namespace platform {

EnvironmentSeam& defaultEnvironmentSeam();  // platform/<system>/

namespace {
EnvironmentSeam* installedSeam = nullptr;
}

EnvironmentSeam& environment() { return installedSeam ? *installedSeam : defaultEnvironmentSeam(); }
void setEnvironmentSeam(EnvironmentSeam* seam) { installedSeam = seam; }

std::string expandWithLookup(const char* text,
                             const std::function<bool(const std::string&, std::string&)>& lookup) {
  std::string out;
  if (!text) return out;
  const size_t length = std::strlen(text);
  size_t at = 0;
  while (at < length) {
    if (text[at] != '%') {
      out += text[at++];
      continue;
    }
    const char* close = static_cast<const char*>(std::memchr(text + at + 1, '%', length - at - 1));
    if (!close) {
      out.append(text + at, length - at);
      break;
    }
    const std::string name(text + at + 1, static_cast<size_t>(close - (text + at + 1)));
    std::string value;
    if (!name.empty() && lookup(name, value)) {
      out += value;
      at = static_cast<size_t>(close - text) + 1;
    } else {
      // Not a variable: the first '%' stays, and the closing one may open the next.
      out += '%';
      ++at;
    }
  }
  return out;
}

}  // namespace platform
