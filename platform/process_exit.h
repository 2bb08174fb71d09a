// Ending the program from deep inside the core (capacity limits).
//
// exitProgram() ends the process through the C library's exit with `status`. Tests
// replace the handler with one that records the status and unwinds (throws), so the
// capacity paths can be checked in-process; a handler that returns is followed by the
// real exit all the same.
#pragma once

namespace platform {

using ExitHandler = void (*)(int status);

[[noreturn]] void exitProgram(int status);
// Installs `handler`; nullptr restores the real exit. Returns the previous handler.
ExitHandler setExitHandler(ExitHandler handler);

}  // namespace platform
