// Details of files named in registry data, for the file property dialog: the first
// match of a path, the contents of a folder, attributes, the executable type, the
// version resource and the shared-file lookup of bare library names.
//
// Core code asks through fileInfo(); on Windows the seam reaches FindFirstFileA,
// GetFileAttributesA, GetBinaryTypeA, version.dll (GetFileVersionInfoA, VerQueryValueA,
// VerLanguageNameA, VerFindFileA) and GetWindowsDirectoryA. Elsewhere, and in tests,
// a MemoryFileInfo (platform/memory/memory_file_info.h) answers from what was put
// into it. Paths are cp932 Windows paths; times are Windows file times (UTC).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// Attribute bits (Win32 FILE_ATTRIBUTE_ values).
constexpr uint32_t kAttributeReadOnly = 0x0001;
constexpr uint32_t kAttributeHidden = 0x0002;
constexpr uint32_t kAttributeSystem = 0x0004;
constexpr uint32_t kAttributeFolder = 0x0010;
constexpr uint32_t kAttributeEncrypted = 0x4000;

// Result bits of the shared-file lookup (VerFindFileA's VFF_ values).
constexpr uint32_t kSharedCurrentNotInDestination = 0x0001;
constexpr uint32_t kSharedFileInUse = 0x0002;
constexpr uint32_t kSharedBufferTooSmall = 0x0004;

// The first entry that matches a path used as a search pattern.
struct FoundFile {
  std::string name;  // the entry's own name, without its folder
  uint32_t attributes = 0;
  uint64_t created = 0;
  uint64_t lastWrite = 0;
  uint64_t lastAccess = 0;
  uint64_t size = 0;
  bool isFolder() const { return (attributes & kAttributeFolder) != 0; }
};

class FileInfoSeam {
 public:
  virtual ~FileInfoSeam() = default;
  virtual bool findFirst(const char* pattern, FoundFile& found) = 0;
  // The folders and files directly inside `folder` ("." and ".." not counted).
  virtual bool countEntries(const char* folder, int64_t& folders, int64_t& files) = 0;
  virtual bool attributes(const char* path, uint32_t& attributes) = 0;
  // The system's executable-type code; false when the file is not an executable.
  virtual bool binaryType(const char* path, uint32_t& type) = 0;
  // The whole version resource of a file; false when it has none.
  virtual bool readVersionResource(const char* path, std::vector<uint8_t>& block) = 0;
  // One entry of a block got from readVersionResource ("\\VarFileInfo\\Translation",
  // "\\StringFileInfo\\04110000\\FileVersion"): its bytes, a text with its NUL.
  virtual bool queryVersionValue(const std::vector<uint8_t>& block, const char* entry,
                                 std::vector<uint8_t>& value) = 0;
  // The system's name of a language id ("日本語").
  virtual std::string languageName(uint16_t language) = 0;
  // Where the shared copy of library `name` is: the result bits, and the folder of the
  // current copy (empty when the system knows none).
  virtual uint32_t findSharedFile(const char* name, const char* windowsFolder,
                                  const char* programFolder, std::string& currentFolder) = 0;
  virtual std::string windowsFolder() = 0;
};

// The seam in use; never null.
FileInfoSeam& fileInfo();
// Installs `seam` (not owned); nullptr goes back to the platform default.
void setFileInfoSeam(FileInfoSeam* seam);

}  // namespace platform
