// Fuzz target: the value renderings on arbitrary data.
//
// The first input byte picks a width (1-160), the second a kind code; the rest is
// the value's data (an exact-size heap copy without terminator, as registry data
// may come). Every rendering goes into a heap buffer of exactly the size its
// contract names, so the sanitizers catch a write past it; the results must also
// keep their documented lengths.
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

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* input, size_t size) {
  if (size < 2) return 0;
  const int width = 1 + input[0] % 160;
  const int kind = input[1] % 8;
  const int32_t length = static_cast<int32_t>(size - 2);
  std::unique_ptr<uint8_t[]> data(new uint8_t[size - 2 == 0 ? 1 : size - 2]);
  if (length != 0) std::memcpy(data.get(), input + 2, static_cast<size_t>(length));

  std::unique_ptr<char[]> shortText(new char[static_cast<size_t>(width)]);
  formatValueShort(shortText.get(), width, data.get(), length, kind);
  require(std::strlen(shortText.get()) <= static_cast<size_t>(width - 1));

  const int32_t multiLength = multiStringLength(data.get(), length, kTypeMultiSz);
  require(multiLength >= 0 && multiLength <= length);
  const int32_t count = multiStringCount(data.get(), length);
  const size_t linesSize = multiStringLinesSize(data.get(), length);
  require(linesSize <= static_cast<size_t>(length) + 2 * static_cast<size_t>(count) + 1);
  std::unique_ptr<char[]> lines(new char[linesSize]);
  char* end = multiStringToLines(lines.get(), data.get(), length);
  require(static_cast<size_t>(end - lines.get()) == linesSize - 1);

  const size_t dump10Size = hexDump10Size(length);
  std::unique_ptr<char[]> dump10(new char[dump10Size]);
  formatHexDump10(dump10.get(), data.get(), length);
  require(std::strlen(dump10.get()) == dump10Size - 1);
  const size_t dump20Size = hexDump20Size(length, kind);
  std::unique_ptr<char[]> dump20(new char[dump20Size]);
  formatHexDump20(dump20.get(), data.get(), length, kind);
  require(std::strlen(dump20.get()) < dump20Size);

  const uint32_t types[] = {kTypeSz, kTypeMultiSz, kTypeDword, kTypeBinary};
  for (uint32_t type : types) formatValueFull(data.get(), length, type);

  int64_t number = 0;
  for (int32_t i = 0; i < length && i < 8; ++i) number = (number << 8) | data[i];
  const int groupWidth = width % 16;
  char grouped[kGroupedNumberBytes];
  formatGroupedNumber(grouped, sizeof grouped, number, groupWidth);
  require(std::strlen(grouped) >= static_cast<size_t>(groupWidth));
  require(std::strchr(grouped, '#') == nullptr);
  return 0;
}
