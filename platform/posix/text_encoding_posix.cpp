// cp932 to UTF-16 through the C library's iconv, one undecodable byte at a time
// replaced by U+FFFD.
#include <iconv.h>

#include <cerrno>
#include <cstdint>

#include "platform/text_encoding.h"

namespace platform {

std::u16string cp932ToUtf16(const char* text, size_t length) {
  std::u16string result;
  iconv_t converter = iconv_open("UTF-16LE", "CP932");
  if (converter == reinterpret_cast<iconv_t>(-1)) {
    for (size_t i = 0; i < length; ++i) {
      const auto byte = static_cast<uint8_t>(text[i]);
      result.push_back(byte < 0x80 ? static_cast<char16_t>(byte) : u'\uFFFD');
    }
    return result;
  }
  char* in = const_cast<char*>(text);
  size_t inLeft = length;
  char buffer[512];
  while (inLeft > 0) {
    char* out = buffer;
    size_t outLeft = sizeof buffer;
    const size_t done = iconv(converter, &in, &inLeft, &out, &outLeft);
    const int error = errno;
    for (char* at = buffer; at + 1 < out; at += 2) {
      result.push_back(static_cast<char16_t>(static_cast<uint8_t>(at[0]) |
                                             (static_cast<uint8_t>(at[1]) << 8)));
    }
    if (done == static_cast<size_t>(-1) && error != E2BIG) {
      // EILSEQ or EINVAL (a lead byte at the end): replace one byte and go on.
      result.push_back(u'\uFFFD');
      ++in;
      --inLeft;
    }
  }
  iconv_close(converter);
  return result;
}

}  // namespace platform
