#include <windows.h>

#include "platform/file_system.h"

namespace platform {

namespace {
class SystemFileSystem : public FileSystemSeam {
 public:
  bool opens(const char* path) override {
    if (!path) return false;
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
      // Folders open only with backup semantics.
      file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    }
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return true;
  }
  bool findsAny(const char* pattern) override {
    if (!pattern) return false;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    FindClose(search);
    return true;
  }
  void setQuietErrors(bool quiet) override {
    if (quiet) {
      if (depth_++ == 0) saved_ = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    } else if (depth_ > 0 && --depth_ == 0) {
      SetErrorMode(saved_);
    }
  }

 private:
  int depth_ = 0;
  UINT saved_ = 0;
};
}  // namespace

FileSystemSeam& defaultFileSystemSeam() {
  static SystemFileSystem seam;
  return seam;
}

}  // namespace platform
