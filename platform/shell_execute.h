// Handing a file or program to the system shell: opening a document with its
// associated program (the auto-check log in the text viewer), starting the registry
// editor or Explorer, showing a web page.
//
// Core code calls shellExecute(); on Windows it is ShellExecuteA with the message
// owner (the main window) as parent. Outside Windows nothing can be started and the
// call answers false. Tests install a RecordingShell (platform/memory) that records
// each request and answers as told.
#pragma once

#include <string>

namespace platform {

// Window show modes passed to the started program (Win32 SW_ values).
constexpr int kShowNormal = 1;

class ShellExecuteSeam {
 public:
  virtual ~ShellExecuteSeam() = default;
  // Asks the shell to apply `verb` ("open") to `file` with `parameters` (may be null).
  // True when the shell accepted the request.
  virtual bool execute(const char* verb, const char* file, const char* parameters,
                       int show) = 0;
};

// The seam in use; never null.
ShellExecuteSeam& shellSeam();
// Installs `seam` (not owned); nullptr goes back to the platform default.
void setShellExecuteSeam(ShellExecuteSeam* seam);

inline bool shellExecute(const char* verb, const char* file, const char* parameters = nullptr,
                         int show = kShowNormal) {
  return shellSeam().execute(verb, file, parameters, show);
}

}  // namespace platform
