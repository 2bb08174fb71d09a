#include <windows.h>

#include <csignal>

#include "platform/fault_handler.h"

namespace platform {

namespace {

FaultCallback installedCallback = nullptr;
volatile LONG callbackEntered = 0;

// Runs the callback once; a second fault (inside the callback, or on the way out)
// finds the flag set and lets the process end.
void runCallbackOnce() {
  if (InterlockedExchange(&callbackEntered, 1) != 0) return;
  if (installedCallback) installedCallback();
}

LONG WINAPI onUnhandledException(EXCEPTION_POINTERS* /*exception*/) {
  runCallbackOnce();
  return EXCEPTION_EXECUTE_HANDLER;  // end the process with the fault's code
}

void onAbort(int /*signal*/) { runCallbackOnce(); }

}  // namespace

bool installFaultHandler(FaultCallback callback) {
  installedCallback = callback;
  // Keep stack in reserve so that the callback can still run (and show a message
  // box) after a stack overflow.
  ULONG reserve = 64 * 1024;
  SetThreadStackGuarantee(&reserve);
  SetUnhandledExceptionFilter(&onUnhandledException);
  std::signal(SIGABRT, &onAbort);
  return true;
}

}  // namespace platform
