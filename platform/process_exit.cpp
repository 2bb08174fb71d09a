#include "platform/process_exit.h"

#include <cstdlib>

namespace platform {

namespace {
ExitHandler currentHandler = nullptr;
}

void exitProgram(int status) {
  if (currentHandler) currentHandler(status);
  std::exit(status);
}

ExitHandler setExitHandler(ExitHandler handler) {
  ExitHandler previous = currentHandler;
  currentHandler = handler;
  return previous;
}

}  // namespace platform
