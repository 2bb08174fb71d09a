#include "text/file_properties.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/file_info.h"
#include "platform/registry.h"
#include "text/cp932.h"
#include "text/value_text.h"

namespace {

// A worked-out path never grows beyond what the system's paths allow, twice over.
constexpr size_t kPathBytes = 520;

constexpr const char* kVersionNames[kVersionStringCount] = {
    "FileDescription", "LegalCopyright",   "Comments",       "SpecialBuild",
    "PrivateBuild",    "CompanyName",      nullptr,          "LegalTrademarks",
    "OriginalFilename", "ProductName",     "ProductVersion", "FileVersion",
    "InternalName",
};

// Offset just past the last backslash, stepping over double-byte characters whole.
size_t nameOffset(const std::string& path) {
  size_t offset = 0;
  for (size_t i = 0; i < path.size(); ++i) {
    if (cp932::isLeadByte(path[i]) && i + 1 < path.size()) {
      ++i;
    } else if (path[i] == '\\') {
      offset = i + 1;
    }
  }
  return offset;
}

bool readDefaultText(platform::RegKey parent, const char* subKey, std::string& text) {
  platform::RegistrySeam& reg = platform::registry();
  platform::RegKey key = 0;
  if (reg.openKey(parent, subKey, platform::kRegRead, &key) != platform::kRegOk) return false;
  uint32_t type = 0;
  uint32_t size = 0;
  bool read = reg.queryValue(key, "", &type, nullptr, &size) == platform::kRegOk;
  std::vector<uint8_t> data(size + 1u, 0);
  if (read) read = reg.queryValue(key, "", &type, data.data(), &size) == platform::kRegOk;
  reg.closeKey(key);
  if (!read || size >= data.size()) return false;
  text.assign(reinterpret_cast<const char*>(data.data()));
  return !text.empty();
}

std::string groupedNumber(int64_t value, int width) {
  char text[kGroupedNumberBytes];
  return formatGroupedNumber(text, sizeof text, value, width);
}

}  // namespace

const char* binaryTypeName(uint32_t code) {
  switch (code) {
    case 0:
      return "Win32 アプリケーション";
    case 1:
      return "MS-DOS アプリケーション ";
    case 2:
      return "16 ビット Windows アプリケーション";
    case 3:
      return "MS-DOS アプリケーション PIF";
    case 4:
      return "POSIX アプリケーション";
    case 5:
      return "16 ビットOS/2 アプリケーション ";
    case 6:  // the 64-bit build's own kind of program
      return "Win64 アプリケーション";
    default:
      return "タイプ不明の実行ファイル";
  }
}

std::string fileNameInText(const char* text) {
  if (!text) return std::string();
  const int32_t rundll = rundllArgumentOffset(text);
  const bool rundllMode = rundll > 0 && std::strlen(text + rundll) >= 3;
  const char* at = rundllMode ? text + rundll : text;
  while (*at == ' ' || *at == '\t') ++at;
  if (*at == '"') ++at;

  std::string path;
  bool shortName = false;
  bool dotInName = false;
  while (*at && *at != '"' && *at != ',' && !(shortName && *at == ' ') &&
         path.size() + 2 < kPathBytes) {
    if (cp932::isLeadByte(*at) && at[1]) {
      path.append(at, 2);
      at += 2;
      continue;
    }
    if (*at == '~') shortName = true;
    if (*at == '\\') dotInName = false;
    if (*at == '.') dotInName = true;
    path += *at++;
  }
  if (rundllMode && !dotInName && !path.empty()) path += ".DLL";
  return path;
}

std::string locateNamedFile(const char* text, const std::string& programFolder) {
  std::string path = fileNameInText(text);
  // A drive letter or a network path names the file itself.
  if (path.size() < 2 || path[1] == ':' || (path[0] == '\\' && path[1] == '\\')) return path;
  platform::FileInfoSeam& info = platform::fileInfo();
  const std::string windows = info.windowsFolder();
  std::string currentFolder;
  const uint32_t result =
      info.findSharedFile(path.c_str(), windows.c_str(), programFolder.c_str(), currentFolder);
  const bool located = result == 0 || (result & platform::kSharedFileInUse) ||
                       (result & platform::kSharedCurrentNotInDestination);
  if (!located || (result & platform::kSharedBufferTooSmall)) return path;
  if (currentFolder.empty()) {
    // Only the "not in the destination" answer may lack the current copy's folder:
    // it then lies in the system folder. Otherwise the name stays as written.
    if (!(result & platform::kSharedCurrentNotInDestination) || windows.empty()) return path;
    currentFolder = windows + "\\system";
  }
  while (!currentFolder.empty() && currentFolder.back() == '\\') currentFolder.pop_back();
  return currentFolder + "\\" + path.substr(nameOffset(path));
}

bool readVersionStrings(const char* path, std::string (&strings)[kVersionStringCount]) {
  for (std::string& s : strings) s.clear();
  platform::FileInfoSeam& info = platform::fileInfo();
  std::vector<uint8_t> block;
  if (!info.readVersionResource(path, block)) return false;
  std::vector<uint8_t> translation;
  if (!info.queryVersionValue(block, "\\VarFileInfo\\Translation", translation) ||
      translation.size() < 4) {
    return false;
  }
  const unsigned language = translation[0] | (translation[1] << 8);
  const unsigned codePage = translation[2] | (translation[3] << 8);
  for (int i = 0; i < kVersionStringCount; ++i) {
    if (!kVersionNames[i]) continue;
    char entry[96];
    std::snprintf(entry, sizeof entry, "\\StringFileInfo\\%04x%04x\\%s", language, codePage,
                  kVersionNames[i]);
    std::vector<uint8_t> value;
    if (!info.queryVersionValue(block, entry, value)) continue;
    // Up to the first NUL: a text without one ends where its bytes end.
    strings[i].assign(value.begin(), value.end());
    strings[i].resize(std::strlen(strings[i].c_str()));
  }
  strings[VERSION_LANGUAGE] = info.languageName(static_cast<uint16_t>(language));
  return true;
}

std::string fileTimeText(uint64_t fileTime, const platform::LocalTime& now) {
  platform::LocalTime t;
  if (fileTime == 0 || !platform::fileTimeToLocal(fileTime, t)) return std::string();
  char text[64];
  int used;
  if (t.year == now.year && t.month == now.month && t.day == now.day) {
    used = std::snprintf(text, sizeof text, "      今日");
  } else if (t.year == now.year) {
    used = std::snprintf(text, sizeof text, "今年 %02d/%02d", t.month, t.day);
  } else {
    used = std::snprintf(text, sizeof text, "%d/%02d/%02d", t.year, t.month, t.day);
  }
  std::snprintf(text + used, sizeof text - used, " %02d:%02d:%02d", t.hour, t.minute, t.second);
  return text;
}

std::string attributeText(uint32_t attributes) {
  std::string text;
  if (attributes & platform::kAttributeReadOnly) text += "書込み禁止　";
  if (attributes & platform::kAttributeHidden) text += "隠しファイル　";
  if (attributes & platform::kAttributeSystem) text += "システム　";
  if (attributes & platform::kAttributeEncrypted) text += "暗号化";
  return text;
}

std::string extensionDescription(const std::string& fileName) {
  const size_t dot = fileName.rfind('.');
  std::string typeName;
  if (dot == std::string::npos ||
      !readDefaultText(platform::kHkeyClassesRoot, fileName.c_str() + dot, typeName)) {
    return "不明";
  }
  std::string description;
  if (readDefaultText(platform::kHkeyClassesRoot, typeName.c_str(), description)) {
    return description;
  }
  return typeName;
}

FileDescription describeFile(const char* text, const std::string& programFolder,
                             const platform::LocalTime& now) {
  FileDescription d;
  d.path = locateNamedFile(text, programFolder);
  platform::FileInfoSeam& info = platform::fileInfo();
  readVersionStrings(d.path.c_str(), d.version);

  // A folder written with its closing backslash is looked up without it.
  std::string lookup = d.path;
  if (lookup.size() > 3 && lookup.back() == '\\' && nameOffset(lookup) == lookup.size()) {
    lookup.pop_back();
  }
  platform::FoundFile found;
  d.found = !lookup.empty() && info.findFirst(lookup.c_str(), found);
  d.isFolder = d.found && found.isFolder();

  const size_t split = nameOffset(d.path);
  if (d.isFolder) {
    d.folder = d.path;
  } else if (split == 0) {
    d.name = d.path;
  } else {
    d.folder = d.path.substr(0, split - 1);
    d.name = d.path.substr(split);
  }

  if (d.found) {
    d.timeLine = fileTimeText(found.lastWrite, now) + "　作成: " + fileTimeText(found.created, now);
  }
  if (d.isFolder) {
    int64_t folders = 0;
    int64_t files = 0;
    info.countEntries(lookup.c_str(), folders, files);
    d.sizeLine = groupedNumber(folders, 7) + " フォルダ, " + groupedNumber(files, 9) + " ファイル";
    d.typeText = "フォルダ";
  } else if (d.found) {
    d.sizeLine = groupedNumber(static_cast<int64_t>(found.size), 11) + " バイト";
    uint32_t code = 0;
    d.typeText = info.binaryType(d.path.c_str(), code) ? binaryTypeName(code)
                                                       : extensionDescription(found.name);
  } else {
    d.typeText = "ファイルが見付かりません";
  }
  uint32_t attributes = 0;
  if (info.attributes(lookup.c_str(), attributes)) d.attributeText = attributeText(attributes);
  return d;
}

WindowSize limitWindowSize(WindowSize requested, WindowSize initial) {
  if (initial.width > 0 && requested.width > initial.width) requested.width = initial.width;
  if (initial.height > 0 && requested.height > initial.height) requested.height = initial.height;
  return requested;
}
