#include "platform/shell_execute.h"

namespace platform {

ShellExecuteSeam& defaultShellExecuteSeam();  // platform/<system>/

namespace {
ShellExecuteSeam* installedSeam = nullptr;
}

ShellExecuteSeam& shellSeam() {
  return installedSeam ? *installedSeam : defaultShellExecuteSeam();
}
void setShellExecuteSeam(ShellExecuteSeam* seam) { installedSeam = seam; }

}  // namespace platform
