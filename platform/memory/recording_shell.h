// Test double for the shell-execute seam: records every request and answers
// `accept`. Install it for the lifetime of a test with ScopedShell.
#pragma once

#include <string>
#include <vector>

#include "platform/shell_execute.h"

namespace platform {

struct ShellRequest {
  std::string verb;
  std::string file;
  std::string parameters;
  int show;
};

class RecordingShell : public ShellExecuteSeam {
 public:
  bool execute(const char* verb, const char* file, const char* parameters, int show) override {
    requests.push_back({verb ? verb : "", file ? file : "", parameters ? parameters : "", show});
    return accept;
  }

  std::vector<ShellRequest> requests;
  bool accept = true;
};

class ScopedShell {
 public:
  ScopedShell() { setShellExecuteSeam(&shell); }
  ~ScopedShell() { setShellExecuteSeam(nullptr); }
  ScopedShell(const ScopedShell&) = delete;
  ScopedShell& operator=(const ScopedShell&) = delete;

  RecordingShell shell;
};

}  // namespace platform
