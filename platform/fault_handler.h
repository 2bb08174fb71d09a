// Last resort for a fatal fault (access violation, illegal instruction, stack
// overflow, abort): one callback that runs on the faulting thread before the
// process ends, so the program can tell the user and write back what it keeps.
//
// On Windows the callback runs from the unhandled-exception filter (and from the
// SIGABRT handler of the C library); when it returns, the process ends with the
// fault's code. Outside Windows nothing is installed: the native builds are test
// programs, whose faults the sanitizers and the test runner report.
#pragma once

namespace platform {

using FaultCallback = void (*)();

// Installs `callback` for the whole process. It runs at most once: a fault while it
// runs ends the process at once. Returns false when nothing was installed.
bool installFaultHandler(FaultCallback callback);

}  // namespace platform
