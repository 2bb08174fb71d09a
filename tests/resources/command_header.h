// Reads resources/command_ids.h from the source tree, so that the tests compare the
// menus and tables with the header itself rather than with a copy of its list.
#pragma once

#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#ifndef KESTRIN_SOURCE_ROOT
#error "the test program needs KESTRIN_SOURCE_ROOT (set by tests/CMakeLists.txt)"
#endif

namespace resource_tests {

inline std::string sourcePath(const char* relative) {
  return std::string(KESTRIN_SOURCE_ROOT) + "/" + relative;
}

inline std::string readSourceFile(const char* relative) {
  std::ifstream in(sourcePath(relative), std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Every "#define IDM_<name> <number>" of the header, by name. Empty when the file
// cannot be read.
inline std::map<std::string, long> commandIdsFromHeader() {
  std::map<std::string, long> ids;
  std::istringstream lines(readSourceFile("resources/command_ids.h"));
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream words(line);
    std::string directive, name, number;
    words >> directive >> name >> number;
    if (directive != "#define" || name.compare(0, 4, "IDM_") != 0) continue;
    char* end = nullptr;
    long value = std::strtol(number.c_str(), &end, 10);
    ids[name] = (end && *end == '\0' && !number.empty()) ? value : -1;
  }
  return ids;
}

// Commands that are in no menu of resource 109: the right-click menu's own items,
// the keyboard-only log copy, and the favourites, which are inserted at run time.
inline bool isOutsideMainMenu(const std::string& name) {
  return name == "IDM_FILE_PROPERTIES" || name == "IDM_RIGHT_CLICK_CANCEL" ||
         name == "IDM_COPY_OPERATION_LOG" || name == "IDM_FAVOURITE_FIRST";
}

}  // namespace resource_tests
