#include "platform/fault_handler.h"

namespace platform {

// Signal handlers would fight the sanitizers and the test runner for the same
// signals, and a native build has no user to ask: nothing is installed.
bool installFaultHandler(FaultCallback /*callback*/) { return false; }

}  // namespace platform
