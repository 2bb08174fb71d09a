// Outside Windows there is no shell to hand documents to: every request is refused.
#include "platform/shell_execute.h"

namespace platform {

namespace {
class NoShell : public ShellExecuteSeam {
 public:
  bool execute(const char*, const char*, const char*, int) override { return false; }
};
}  // namespace

ShellExecuteSeam& defaultShellExecuteSeam() {
  static NoShell seam;
  return seam;
}

}  // namespace platform
