// Test double for the file-information seam: files and folders with their details,
// version resources as tables of entries, executable types and shared-file answers,
// all keyed by cp932 Windows paths compared without regard to ASCII case. A pattern
// matches only the entry of exactly that path; a folder's entries are the paths one
// level below it.
#pragma once

#include <map>
#include <string>

#include "platform/file_info.h"

namespace platform {

class MemoryFileInfo : public FileInfoSeam {
 public:
  struct SharedAnswer {
    uint32_t result = 0;
    std::string currentFolder;
  };

  // An entry without a name gets the last component of its path, as the system gives.
  void addEntry(const std::string& path, FoundFile found) {
    if (found.name.empty()) found.name = path.substr(path.rfind('\\') + 1);
    entries_[fold(path)] = found;
  }
  void setBinaryType(const std::string& path, uint32_t type) { binaryTypes_[fold(path)] = type; }
  // Adds entry `entry` (e.g. "\\StringFileInfo\\04110000\\FileVersion") to the version
  // resource of `path`; a text value gets its NUL.
  void addVersionValue(const std::string& path, const std::string& entry,
                       const std::vector<uint8_t>& value) {
    versions_[fold(path)][entry] = value;
  }
  void addVersionText(const std::string& path, const std::string& entry, const std::string& text) {
    std::vector<uint8_t> bytes(text.begin(), text.end());
    bytes.push_back(0);
    addVersionValue(path, entry, bytes);
  }
  void setSharedAnswer(const std::string& name, const SharedAnswer& answer) {
    shared_[fold(name)] = answer;
  }
  void setWindowsFolder(const std::string& folder) { windowsFolder_ = folder; }
  void setLanguageName(uint16_t language, const std::string& name) { languages_[language] = name; }

  bool findFirst(const char* pattern, FoundFile& found) override {
    auto at = entries_.find(fold(pattern ? pattern : ""));
    if (at == entries_.end()) return false;
    found = at->second;
    return true;
  }
  bool countEntries(const char* folder, int64_t& folders, int64_t& files) override {
    folders = files = 0;
    const std::string prefix = fold(folder ? folder : "") + "\\";
    if (entries_.count(prefix.substr(0, prefix.size() - 1)) == 0) return false;
    for (auto at = entries_.lower_bound(prefix);
         at != entries_.end() && at->first.compare(0, prefix.size(), prefix) == 0; ++at) {
      if (at->first.find('\\', prefix.size()) != std::string::npos) continue;
      (at->second.isFolder() ? folders : files) += 1;
    }
    return true;
  }
  bool attributes(const char* path, uint32_t& attributes) override {
    FoundFile found;
    if (!findFirst(path, found)) return false;
    attributes = found.attributes;
    return true;
  }
  bool binaryType(const char* path, uint32_t& type) override {
    auto at = binaryTypes_.find(fold(path ? path : ""));
    if (at == binaryTypes_.end()) return false;
    type = at->second;
    return true;
  }
  bool readVersionResource(const char* path, std::vector<uint8_t>& block) override {
    const std::string key = fold(path ? path : "");
    if (versions_.count(key) == 0) return false;
    block.assign(key.begin(), key.end());
    return true;
  }
  bool queryVersionValue(const std::vector<uint8_t>& block, const char* entry,
                         std::vector<uint8_t>& value) override {
    auto file = versions_.find(std::string(block.begin(), block.end()));
    if (file == versions_.end()) return false;
    auto at = file->second.find(entry ? entry : "");
    if (at == file->second.end()) return false;
    value = at->second;
    return true;
  }
  std::string languageName(uint16_t language) override {
    auto at = languages_.find(language);
    return at == languages_.end() ? std::string() : at->second;
  }
  uint32_t findSharedFile(const char* name, const char*, const char*,
                          std::string& currentFolder) override {
    ++sharedLookups;
    auto at = shared_.find(fold(name ? name : ""));
    if (at == shared_.end()) return kSharedBufferTooSmall;
    currentFolder = at->second.currentFolder;
    return at->second.result;
  }
  std::string windowsFolder() override { return windowsFolder_; }

  int sharedLookups = 0;

 private:
  static std::string fold(std::string text) {
    for (char& c : text) {
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
  }
  std::map<std::string, FoundFile> entries_;
  std::map<std::string, uint32_t> binaryTypes_;
  std::map<std::string, std::map<std::string, std::vector<uint8_t>>> versions_;
  std::map<std::string, SharedAnswer> shared_;
  std::map<uint16_t, std::string> languages_;
  std::string windowsFolder_ = "C:\\Windows";
};

class ScopedFileInfo {
 public:
  ScopedFileInfo() { setFileInfoSeam(&info); }
  ~ScopedFileInfo() { setFileInfoSeam(nullptr); }
  ScopedFileInfo(const ScopedFileInfo&) = delete;
  ScopedFileInfo& operator=(const ScopedFileInfo&) = delete;

  MemoryFileInfo info;
};

}  // namespace platform
