// Test helper for the files seam: while in scope, programPath() and programFolder()
// answer the given path and folder, so settings files are read from and written to
// a test folder.
#pragma once

#include <string>

#include "platform/files.h"

namespace platform {

class ScopedProgramLocation {
 public:
  ScopedProgramLocation(const std::string& path, const std::string& folder) {
    overrideProgramLocation(path.c_str(), folder.c_str());
  }
  ~ScopedProgramLocation() { overrideProgramLocation(nullptr, nullptr); }
  ScopedProgramLocation(const ScopedProgramLocation&) = delete;
  ScopedProgramLocation& operator=(const ScopedProgramLocation&) = delete;
};

}  // namespace platform
