// Fuzz target: recognising a file path at the start of a value's text.
//
// The input, cut at its first NUL, is the text (an exact-size heap copy with its
// terminator, so the sanitizers catch any read past it). filePathLength and
// rundllArgumentOffset must stay within the text, and a recognised path, cut at the
// result as the missing-file search cuts it, must be recognised again whole, unless
// the cut leaves only the prefix (in "C:\ D:\x" the path ends at the space, and
// "C:\" alone names no file).
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "text/value_text.h"

namespace {

void require(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const void* nul = std::memchr(data, 0, size);
  const size_t length = nul ? static_cast<size_t>(static_cast<const uint8_t*>(nul) - data) : size;
  std::unique_ptr<char[]> text(new char[length + 1]);
  if (length != 0) std::memcpy(text.get(), data, length);
  text[length] = '\0';

  const int32_t offset = rundllArgumentOffset(text.get());
  require(offset >= 0 && static_cast<size_t>(offset) <= length);
  require(offset == 0 || length >= 8);

  const int32_t pathLength = filePathLength(text.get());
  require(pathLength >= 0 && static_cast<size_t>(pathLength) <= length);
  require(pathLength == 0 || length >= 3);
  if (pathLength > 0) {
    std::unique_ptr<char[]> cut(new char[static_cast<size_t>(pathLength) + 1]);
    std::memcpy(cut.get(), text.get(), static_cast<size_t>(pathLength));
    cut[pathLength] = '\0';
    const int32_t again = filePathLength(cut.get());
    require(again == pathLength || again == 0);
  }
  return 0;
}
