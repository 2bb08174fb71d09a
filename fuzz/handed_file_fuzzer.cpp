// Fuzz target: the message with which another start of the program hands over its
// file (WM_COPYDATA from any process).
//
// The first four bytes are the tag (little-endian), the rest the data, in an
// exact-size heap copy so the sanitizers catch any read past it. An accepted message
// must give a path that hands over to exactly the same bytes again, and the instance
// name of any path keeps its length and every byte but real backslashes.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "engine/instance_handover.h"

namespace {

void require(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  const uint32_t tag = static_cast<uint32_t>(data[0]) | static_cast<uint32_t>(data[1]) << 8 |
                       static_cast<uint32_t>(data[2]) << 16 | static_cast<uint32_t>(data[3]) << 24;
  const size_t length = size - 4;
  std::unique_ptr<uint8_t[]> bytes(new uint8_t[length == 0 ? 1 : length]);
  if (length != 0) std::memcpy(bytes.get(), data + 4, length);

  std::string path;
  if (readHandedFile(tag, length == 0 ? nullptr : bytes.get(), length, path)) {
    require(!path.empty() && path.size() < kHandedPathBytes);
    const std::string again = handedFileMessage(path);
    require(again.size() == length && std::memcmp(again.data(), bytes.get(), length) == 0);
  }

  const std::string text(reinterpret_cast<const char*>(bytes.get()), length);
  const std::string name = singleInstanceName(text);
  require(name.size() == text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    require(name[i] == text[i] || (text[i] == '\\' && name[i] == '/'));
  }
  return 0;
}
