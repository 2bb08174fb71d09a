// What the file property dialog shows of a file named in registry data: the file the
// text names (also inside a rundll32 command line, or a bare library name found
// through the system's shared-file records), its folder and name, times, size, type,
// attributes and the thirteen strings of its version resource.
//
// All system access goes through the platform seams (file_info.h for files and
// version resources, registry.h for the description of a file type, clock.h for local
// time), so everything here runs natively against their doubles. Pure results: the
// dialog only puts the texts into its fields.
#pragma once

#include <cstdint>
#include <string>

#include "platform/clock.h"

// The version strings, in the order the resource is read.
enum VersionString : int {
  VERSION_DESCRIPTION,
  VERSION_COPYRIGHT,
  VERSION_COMMENTS,
  VERSION_SPECIAL_BUILD,
  VERSION_PRIVATE_BUILD,
  VERSION_COMPANY,
  VERSION_LANGUAGE,  // the system's name of the first translation's language
  VERSION_TRADEMARKS,
  VERSION_ORIGINAL_NAME,
  VERSION_PRODUCT_NAME,
  VERSION_PRODUCT_VERSION,
  VERSION_FILE_VERSION,
  VERSION_INTERNAL_NAME,
  kVersionStringCount
};

struct FileDescription {
  std::string path;    // the file worked out from the text
  std::string folder;  // field フォルダ： (the whole path for a folder)
  std::string name;    // field ファイル名：
  bool found = false;
  bool isFolder = false;
  std::string timeLine;   // "<last write>　作成: <created>"
  std::string sizeLine;   // "%11s バイト", or "%7s フォルダ, %9s ファイル"
  std::string typeText;   // executable type, file type description, "フォルダ", or not found
  std::string attributeText;
  std::string version[kVersionStringCount];  // all empty without a version resource
};

// Name of the system's executable-type code.
const char* binaryTypeName(uint32_t code);

// The file a text names, before the shared-file lookup: a leading quote skipped, the
// argument of a rundll32 command taken, copied up to a quote, a comma or (after a `~`
// of a short name) a blank; in rundll mode a name without an extension gets ".DLL".
std::string fileNameInText(const char* text);
// fileNameInText, then for a name without a drive the folder of its shared copy.
std::string locateNamedFile(const char* text, const std::string& programFolder);

// The thirteen strings of the version resource of `path`; false (all empty) without a
// resource or a translation entry.
bool readVersionStrings(const char* path, std::string (&strings)[kVersionStringCount]);

// A file time as the dialog shows it, against the local time `now`: "      今日",
// "今年 MM/DD" or "YYYY/MM/DD", then " hh:mm:ss"; empty when it cannot be converted.
std::string fileTimeText(uint64_t fileTime, const platform::LocalTime& now);
std::string attributeText(uint32_t attributes);
// The description of a file name's extension from the classes root, its file type
// name when the type has none, "不明" when the extension cannot be resolved.
std::string extensionDescription(const std::string& fileName);

// Everything the dialog shows for `text`.
FileDescription describeFile(const char* text, const std::string& programFolder,
                             const platform::LocalTime& now);

// The dialog may be made smaller but never larger than its first size.
struct WindowSize {
  int width;
  int height;
};
WindowSize limitWindowSize(WindowSize requested, WindowSize initial);
