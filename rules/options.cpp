#include "rules/options.h"

#include <cstdio>
#include <cstring>
#include <fstream>

#include "platform/files.h"

const char kOptionsFileName[] = "options.dat";

ProgramOptions programOptions = {};
// Until a file has been read, the settings exist only in memory.
bool optionsDirty = true;

namespace {

// Layout of options.dat.
constexpr size_t kVersionAt = 0;
constexpr size_t kInUseAt = 2;
constexpr size_t kMaximizedAt = 4;
constexpr size_t kWindowXAt = 8;
constexpr size_t kWindowYAt = 12;
constexpr size_t kWindowWidthAt = 16;
constexpr size_t kWindowHeightAt = 20;
constexpr size_t kEntriesAt = 24;
constexpr size_t kDataFolderAt = kEntriesAt + 4 * kOptionCount;
static_assert(kDataFolderAt == 184, "options.dat layout");
static_assert(kDataFolderAt + kDataFolderBytes == kOptionsFileBytes, "options.dat layout");

// The word at offset 2: the file is taken only when it is 1.
constexpr uint16_t kInUse = 1;

uint16_t read16(const uint8_t* at) { return static_cast<uint16_t>(at[0] | (at[1] << 8)); }

int32_t read32(const uint8_t* at) {
  uint32_t v = static_cast<uint32_t>(at[0]) | (static_cast<uint32_t>(at[1]) << 8) |
               (static_cast<uint32_t>(at[2]) << 16) | (static_cast<uint32_t>(at[3]) << 24);
  return static_cast<int32_t>(v);
}

void write16(uint8_t* at, uint16_t v) {
  at[0] = static_cast<uint8_t>(v);
  at[1] = static_cast<uint8_t>(v >> 8);
}

void write32(uint8_t* at, int32_t value) {
  uint32_t v = static_cast<uint32_t>(value);
  for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(v >> (8 * i));
}

std::string optionsFilePath() { return platform::programFolder() + kOptionsFileName; }

}  // namespace

void setOptionDefaults(ProgramOptions& options) {
  std::memset(options.entries, 0, sizeof options.entries);
  options.entries[OPT_NO_CLASS_INFO] = 1;
  options.entries[OPT_SHOW_SIZES] = 1;
  options.entries[OPT_SKIP_DUPLICATES] = 1;
  options.entries[OPT_SHOW_VALUES] = 1;
  options.entries[openWarnRows] = 1000;
  options.entries[openLevelRows] = 200;
  options.entries[OPT_AUTOCHECK_MINUTES] = 10;
  options.entries[OPT_SHOW_DESCRIPTIONS] = 1;
}

bool decodeOptionsFile(const uint8_t* bytes, size_t size, ProgramOptions& options) {
  if (!bytes || size < kOptionsFileBytes) return false;
  if (read16(bytes + kVersionAt) != kOptionsFileVersion || read16(bytes + kInUseAt) != kInUse) {
    return false;
  }
  options.windowMaximized = static_cast<int16_t>(read16(bytes + kMaximizedAt));
  options.windowX = read32(bytes + kWindowXAt);
  options.windowY = read32(bytes + kWindowYAt);
  options.windowWidth = read32(bytes + kWindowWidthAt);
  options.windowHeight = read32(bytes + kWindowHeightAt);
  for (int i = 0; i < kOptionCount; ++i) {
    options.entries[i] = read32(bytes + kEntriesAt + 4 * static_cast<size_t>(i));
  }
  std::memcpy(options.dataFolder, bytes + kDataFolderAt, kDataFolderBytes);
  options.dataFolder[kDataFolderBytes - 1] = '\0';

  // The temporary filters belong to the run that set them.
  options.entries[OPT_CHANGED_ONLY] = 0;
  options.entries[OPT_UNCHECKED_ONLY] = 0;
  if (options.entries[openWarnRows] == 0) {
    options.entries[openWarnRows] = 1000;
    options.entries[openLevelRows] = 200;
    options.entries[OPT_AUTOCHECK_MINUTES] = 10;
  }
  if (options.entries[OPT_NO_CLASS_INFO] != 0) options.entries[OPT_GROUP_CLASS_INFO] = 0;
  return true;
}

void encodeOptionsFile(const ProgramOptions& options, uint8_t (&image)[kOptionsFileBytes]) {
  std::memset(image, 0, sizeof image);
  write16(image + kVersionAt, kOptionsFileVersion);
  write16(image + kInUseAt, kInUse);
  write16(image + kMaximizedAt, static_cast<uint16_t>(options.windowMaximized));
  write32(image + kWindowXAt, options.windowX);
  write32(image + kWindowYAt, options.windowY);
  write32(image + kWindowWidthAt, options.windowWidth);
  write32(image + kWindowHeightAt, options.windowHeight);
  for (int i = 0; i < kOptionCount; ++i) {
    const bool temporary = i == OPT_CHANGED_ONLY || i == OPT_UNCHECKED_ONLY;
    write32(image + kEntriesAt + 4 * static_cast<size_t>(i), temporary ? 0 : options.entries[i]);
  }
  // Up to the NUL; a folder text that fills the field is cut to keep its NUL.
  const void* nul = std::memchr(options.dataFolder, 0, kDataFolderBytes);
  size_t length = nul ? static_cast<size_t>(static_cast<const char*>(nul) - options.dataFolder)
                      : static_cast<size_t>(kDataFolderBytes - 1);
  if (length > static_cast<size_t>(kDataFolderBytes - 1)) length = kDataFolderBytes - 1;
  std::memcpy(image + kDataFolderAt, options.dataFolder, length);
}

bool loadOptionsFile(const std::string& path, ProgramOptions& options) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  uint8_t image[kOptionsFileBytes];
  in.read(reinterpret_cast<char*>(image), static_cast<std::streamsize>(sizeof image));
  const size_t got = static_cast<size_t>(in.gcount());
  return decodeOptionsFile(image, got, options);
}

bool saveOptionsFile(const std::string& path, const ProgramOptions& options) {
  uint8_t image[kOptionsFileBytes];
  encodeOptionsFile(options, image);
  const std::string temporary = path + ".tmp";
  std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
  if (!out.is_open()) return false;
  out.write(reinterpret_cast<const char*>(image), static_cast<std::streamsize>(sizeof image));
  out.close();
  // A full disk shows here at the latest, when the stream's buffer is written out.
  if (!out.fail() && platform::replaceFile(temporary.c_str(), path.c_str())) return true;
  std::remove(temporary.c_str());
  return false;
}

bool loadOptions() {
  if (!loadOptionsFile(optionsFilePath(), programOptions)) return false;
  optionsDirty = false;
  return true;
}

bool saveOptions() {
  if (!saveOptionsFile(optionsFilePath(), programOptions)) return false;
  optionsDirty = false;
  return true;
}
