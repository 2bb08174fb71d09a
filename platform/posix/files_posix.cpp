#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "platform/files.h"

namespace platform {

std::string systemProgramPath() {
  std::string path(4096, '\0');
  ssize_t length = readlink("/proc/self/exe", &path[0], path.size() - 1);
  path.resize(length > 0 ? static_cast<size_t>(length) : 0);
  return path;
}

std::string systemProgramFolder() {
  std::string path = systemProgramPath();
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

namespace {

bool flushToDisk(const char* path, int flags) {
  int fd = open(path, flags);
  if (fd < 0) return false;
  bool flushed = fsync(fd) == 0;
  close(fd);
  return flushed;
}

std::string folderOf(const char* path) {
  std::string text(path);
  size_t slash = text.rfind('/');
  return slash == std::string::npos ? std::string(".") : text.substr(0, slash + 1);
}

}  // namespace

bool replaceFile(const char* temporary, const char* target) {
  if (!flushToDisk(temporary, O_RDONLY)) return false;
  if (std::rename(temporary, target) != 0) return false;
  // The rename itself reaches the disk with its folder.
  flushToDisk(folderOf(target).c_str(), O_RDONLY | O_DIRECTORY);
  return true;
}

}  // namespace platform
