// Test helper for exitProgram(): while an ExitTrap is alive, exitProgram throws
// ExitCalled{status} instead of ending the process, so a test can catch it and check
// the status and the message that came before.
#pragma once

#include "platform/process_exit.h"

namespace platform {

struct ExitCalled {
  int status;
};

class ExitTrap {
 public:
  ExitTrap() : previous_(setExitHandler(&ExitTrap::trap)) {}
  ~ExitTrap() { setExitHandler(previous_); }
  ExitTrap(const ExitTrap&) = delete;
  ExitTrap& operator=(const ExitTrap&) = delete;

 private:
  static void trap(int status) { throw ExitCalled{status}; }
  ExitHandler previous_;
};

}  // namespace platform
