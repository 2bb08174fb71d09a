// Test double for the file-system seam: files and folders held as cp932 Windows
// paths, compared without regard to ASCII case. A folder is found by "folder\\*"
// when it exists itself (as Windows finds "." there) or holds an entry; counts the
// quiet-errors switches so tests can check the error mode is restored.
#pragma once

#include <set>
#include <string>

#include "platform/file_system.h"

namespace platform {

class MemoryFileSystem : public FileSystemSeam {
 public:
  void addFile(const std::string& path) { files_.insert(fold(path)); }
  void addFolder(std::string path) {
    if (!path.empty() && path.back() == '\\') path.pop_back();
    folders_.insert(fold(path));
  }

  bool opens(const char* path) override {
    ++opened;
    const std::string key = fold(path ? path : "");
    return files_.count(key) > 0 || folders_.count(key) > 0;
  }
  bool findsAny(const char* pattern) override {
    ++searched;
    std::string prefix = fold(pattern ? pattern : "");
    if (prefix.size() < 2 || prefix.compare(prefix.size() - 2, 2, "\\*") != 0) return false;
    prefix.pop_back();  // keeps the backslash
    if (folders_.count(prefix.substr(0, prefix.size() - 1)) > 0) return true;
    for (const auto* set : {&files_, &folders_}) {
      auto at = set->lower_bound(prefix);
      if (at != set->end() && at->compare(0, prefix.size(), prefix) == 0) return true;
    }
    return false;
  }
  void setQuietErrors(bool quiet) override { quietDepth += quiet ? 1 : -1; }

  int opened = 0;
  int searched = 0;
  int quietDepth = 0;

 private:
  static std::string fold(std::string text) {
    for (char& c : text) {
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
  }
  std::set<std::string> files_;
  std::set<std::string> folders_;
};

class ScopedFileSystem {
 public:
  ScopedFileSystem() { setFileSystemSeam(&fs); }
  ~ScopedFileSystem() { setFileSystemSeam(nullptr); }
  ScopedFileSystem(const ScopedFileSystem&) = delete;
  ScopedFileSystem& operator=(const ScopedFileSystem&) = delete;

  MemoryFileSystem fs;
};

}  // namespace platform
