// Fuzz target: working out the file a registry text names and describing it for the
// file property dialog.
//
// The input, cut at its first NUL, is the text (an exact-size heap copy with its
// terminator). The first byte chooses what the in-memory file information answers:
// bit 0 the worked-out path exists as a file with a version resource whose strings
// and translation entry come from the text itself, bit 1 bare names are found as
// shared files. The worked-out path stays within its 520-byte room, never splits a
// double-byte character of a whole text, and a description always says what it found.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "platform/memory/memory_file_info.h"
#include "text/cp932.h"
#include "text/file_properties.h"

namespace {

void require(bool condition) {
  if (!condition) std::abort();
}

bool endsWhole(const std::string& text) {
  size_t at = 0;
  while (at < text.size()) at += cp932::isLeadByte(text[at]) ? 2 : 1;
  return at == text.size();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const uint8_t mode = data[0];
  ++data;
  --size;
  const void* nul = std::memchr(data, 0, size);
  const size_t length = nul ? static_cast<size_t>(static_cast<const uint8_t*>(nul) - data) : size;
  std::unique_ptr<char[]> text(new char[length + 1]);
  if (length != 0) std::memcpy(text.get(), data, length);
  text[length] = '\0';

  platform::ScopedFileInfo scoped;
  const std::string named = fileNameInText(text.get());
  require(named.size() < 520 + 4);
  require(endsWhole(named) || !endsWhole(text.get()));
  if (mode & 2) scoped.info.setSharedAnswer(named, {0, "C:\\Shared"});
  const std::string path = locateNamedFile(text.get(), "C:\\P\\");
  if (mode & 1) {
    scoped.info.addEntry(path, platform::FoundFile());
    scoped.info.addVersionValue(path, "\\VarFileInfo\\Translation",
                                std::vector<uint8_t>(data, data + (size < 4 ? size : 4)));
    scoped.info.addVersionValue(path, "\\StringFileInfo\\00000000\\FileVersion",
                                std::vector<uint8_t>(data, data + size));
  }
  const platform::LocalTime now{2026, 1, 1, 0, 0, 0};
  const FileDescription d = describeFile(text.get(), "C:\\P\\", now);
  require(d.path == path);
  require(!d.typeText.empty());
  require(d.folder.size() + d.name.size() <= d.path.size() + 1);
  for (const std::string& s : d.version) require(s.size() <= size);
  return 0;
}
