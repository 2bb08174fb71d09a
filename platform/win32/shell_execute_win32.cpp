#include <windows.h>
#include <shellapi.h>

#include "platform/message_box.h"
#include "platform/shell_execute.h"

namespace platform {

namespace {
class Win32Shell : public ShellExecuteSeam {
 public:
  bool execute(const char* verb, const char* file, const char* parameters, int show) override {
    HINSTANCE result = ShellExecuteA(static_cast<HWND>(messageOwner()), verb, file, parameters,
                                     nullptr, show);
    // Values above 32 mean success (the documented contract of ShellExecute).
    return reinterpret_cast<INT_PTR>(result) > 32;
  }
};
}  // namespace

ShellExecuteSeam& defaultShellExecuteSeam() {
  static Win32Shell seam;
  return seam;
}

}  // namespace platform
