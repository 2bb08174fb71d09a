#include "platform/files.h"

namespace platform {

std::string systemProgramPath();    // platform/<system>/
std::string systemProgramFolder();  // platform/<system>/

namespace {
bool overridden = false;
std::string overridePath;
std::string overrideFolder;
}  // namespace

std::string programPath() { return overridden ? overridePath : systemProgramPath(); }
std::string programFolder() { return overridden ? overrideFolder : systemProgramFolder(); }

void overrideProgramLocation(const char* path, const char* folder) {
  overridden = path && folder;
  overridePath = overridden ? path : "";
  overrideFolder = overridden ? folder : "";
}

}  // namespace platform
