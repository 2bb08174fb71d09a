// Fuzz target: reading options.dat.
//
// The input is the file's contents (an exact-size copy, so reads past it are
// caught). An image that is taken must leave settings the program can use: the
// temporary filters cleared, the warning row count set, no grouping without class
// information, a terminated data folder; and writing the settings back and reading
// them again must give the same settings. An image that is not taken must change
// nothing.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "rules/options.h"

namespace {

void require(bool condition) {
  if (!condition) std::abort();
}

bool sameOptions(const ProgramOptions& a, const ProgramOptions& b) {
  return std::memcmp(a.entries, b.entries, sizeof a.entries) == 0 && a.windowMaximized == b.windowMaximized &&
         a.windowX == b.windowX && a.windowY == b.windowY && a.windowWidth == b.windowWidth &&
         a.windowHeight == b.windowHeight && std::strcmp(a.dataFolder, b.dataFolder) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::unique_ptr<uint8_t[]> copy(new uint8_t[size == 0 ? 1 : size]);
  if (size != 0) std::memcpy(copy.get(), data, size);

  ProgramOptions before{};
  setOptionDefaults(before);
  std::strcpy(before.dataFolder, "C:\\before\\");
  ProgramOptions options = before;
  if (!decodeOptionsFile(copy.get(), size, options)) {
    require(sameOptions(options, before));
    return 0;
  }
  require(size >= kOptionsFileBytes);
  require(options.entries[OPT_CHANGED_ONLY] == 0 && options.entries[OPT_UNCHECKED_ONLY] == 0);
  require(options.entries[openWarnRows] != 0);
  require(options.entries[OPT_NO_CLASS_INFO] == 0 || options.entries[OPT_GROUP_CLASS_INFO] == 0);
  require(std::memchr(options.dataFolder, 0, kDataFolderBytes) != nullptr);

  uint8_t image[kOptionsFileBytes];
  encodeOptionsFile(options, image);
  ProgramOptions again{};
  require(decodeOptionsFile(image, sizeof image, again));
  require(sameOptions(again, options));
  return 0;
}
