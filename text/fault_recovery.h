// What the program does when it hits a fatal fault: it tells the user that it must
// end, offers to put the operation log on the clipboard for a report, and then ends
// through its normal shutdown, so that options and lists are still written back.
//
// The shell installs the recovery just before its message loop and names its
// shutdown routine as the hook. The platform's fault handler calls recoverFromFault
// on the faulting thread and ends the process when it returns.
#pragma once

using FaultShutdownHook = void (*)();

// The routine that runs the program's normal shutdown (write-back and release);
// nullptr for none. It must be safe to call after a fault and more than once.
void setFaultShutdownHook(FaultShutdownHook hook);

// Installs recoverFromFault as the process's fault handler. False when the platform
// has none (native builds).
bool installFaultRecovery();

// Shows the abnormal-state question (no owner window, Yes/No); Yes copies the
// operation log to the clipboard with its confirmation. Then, on either answer, runs
// the shutdown hook.
void recoverFromFault();
