#include <windows.h>

#include <string>

#include "platform/file_info.h"

namespace platform {

namespace {

uint64_t fileTimeValue(const FILETIME& time) {
  return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

bool isDotEntry(const char* name) {
  return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

class SystemFileInfo : public FileInfoSeam {
 public:
  bool findFirst(const char* pattern, FoundFile& found) override {
    if (!pattern) return false;
    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA(pattern, &data);
    if (search == INVALID_HANDLE_VALUE) return false;
    FindClose(search);
    found.name = data.cFileName;
    found.attributes = data.dwFileAttributes;
    found.created = fileTimeValue(data.ftCreationTime);
    found.lastWrite = fileTimeValue(data.ftLastWriteTime);
    found.lastAccess = fileTimeValue(data.ftLastAccessTime);
    found.size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return true;
  }
  bool countEntries(const char* folder, int64_t& folders, int64_t& files) override {
    folders = files = 0;
    if (!folder) return false;
    const std::string pattern = std::string(folder) + "\\*";
    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA(pattern.c_str(), &data);
    if (search == INVALID_HANDLE_VALUE) return false;
    do {
      if (isDotEntry(data.cFileName)) continue;
      ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? folders : files) += 1;
    } while (FindNextFileA(search, &data));
    FindClose(search);
    return true;
  }
  bool attributes(const char* path, uint32_t& attributes) override {
    if (!path) return false;
    const DWORD found = GetFileAttributesA(path);
    if (found == INVALID_FILE_ATTRIBUTES) return false;
    attributes = found;
    return true;
  }
  bool binaryType(const char* path, uint32_t& type) override {
    DWORD code = 0;
    if (!path || !GetBinaryTypeA(path, &code)) return false;
    type = code;
    return true;
  }
  bool readVersionResource(const char* path, std::vector<uint8_t>& block) override {
    if (!path) return false;
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeA(path, &handle);
    if (size == 0) return false;
    block.assign(size, 0);
    return GetFileVersionInfoA(path, 0, size, block.data()) != 0;
  }
  bool queryVersionValue(const std::vector<uint8_t>& block, const char* entry,
                         std::vector<uint8_t>& value) override {
    if (block.empty() || !entry) return false;
    void* found = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(block.data(), entry, &found, &length) || !found) return false;
    const bool isText = std::string(entry).rfind("\\StringFileInfo\\", 0) == 0;
    // For texts the length counts characters including the NUL; a text without a
    // terminator inside the resource is taken only up to the length given.
    const uint8_t* bytes = static_cast<const uint8_t*>(found);
    if (isText) {
      std::string text(reinterpret_cast<const char*>(bytes), length);
      text = text.c_str();
      value.assign(text.begin(), text.end());
      value.push_back(0);
    } else {
      value.assign(bytes, bytes + length);
    }
    return true;
  }
  std::string languageName(uint16_t language) override {
    char name[256] = "";
    const DWORD length = VerLanguageNameA(language, name, sizeof name);
    return length > 0 && length < sizeof name ? std::string(name, length) : std::string();
  }
  uint32_t findSharedFile(const char* name, const char* windowsFolder, const char* programFolder,
                          std::string& currentFolder) override {
    char current[MAX_PATH + 1] = "";
    char destination[MAX_PATH + 1] = "";
    UINT currentLength = sizeof current;
    UINT destinationLength = sizeof destination;
    // The mingw declaration takes writable texts; the function only reads them.
    std::string file = name ? name : "";
    std::string windows = windowsFolder ? windowsFolder : "";
    std::string program = programFolder ? programFolder : "";
    const DWORD result = VerFindFileA(VFFF_ISSHAREDFILE, &file[0], &windows[0], &program[0],
                                      current, &currentLength, destination, &destinationLength);
    current[sizeof current - 1] = '\0';
    currentFolder = current;
    return result;
  }
  std::string windowsFolder() override {
    char folder[MAX_PATH + 1] = "";
    const UINT length = GetWindowsDirectoryA(folder, sizeof folder);
    return length > 0 && length < sizeof folder ? std::string(folder, length) : std::string();
  }
};

}  // namespace

FileInfoSeam& defaultFileInfoSeam() {
  static SystemFileInfo seam;
  return seam;
}

}  // namespace platform
