// The fault handler on Windows (run under Wine): a real access violation and a real
// abort reach the recovery, which asks its question, copies the operation log on
// Yes and runs the shutdown hook before the process ends. Each case runs in a child
// process (a death test).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "engine/memory_pool.h"
#include "platform/memory/memory_clipboard.h"
#include "platform/memory/recording_messages.h"
#include "text/fault_recovery.h"
#include "text/operation_log.h"

namespace {

platform::RecordingMessages* recoveryMessages = nullptr;
platform::MemoryClipboard* recoveryClipboard = nullptr;

// Reports on standard error what the recovery did, for the parent to match (line
// ends shown as "/": standard error is a text stream).
void reportingShutdown() {
  std::string copied = recoveryClipboard->text;
  for (size_t at = copied.find("\r\n"); at != std::string::npos; at = copied.find("\r\n", at)) {
    copied.replace(at, 2, "/");
  }
  std::fprintf(stderr, "boxes=%d copied=[%s] shutdown ran\n",
               static_cast<int>(recoveryMessages->shown.size()), copied.c_str());
  std::fflush(stderr);
}

void prepareRecovery() {
  static platform::RecordingMessages messages;
  static platform::MemoryClipboard clipboard;
  messages.answers = {platform::kAnswerYes};
  recoveryMessages = &messages;
  recoveryClipboard = &clipboard;
  platform::setMessageSeam(&messages);
  platform::setClipboardSeam(&clipboard);
  initMemoryPool();
  initOperationLog();
  logOperation(":first");
  logOperation(":second");
  setFaultShutdownHook(&reportingShutdown);
  if (!installFaultRecovery()) std::abort();
}

void accessViolation() {
  prepareRecovery();
  volatile int* volatile nowhere = nullptr;
  *nowhere = 1;
}

void abortCall() {
  prepareRecovery();
  std::abort();
}

bool endedAbnormally(int status) { return status != 0; }

TEST(Win32FaultRecoveryDeathTest, AccessViolationEndsThroughTheRecovery) {
  EXPECT_EXIT(accessViolation(), endedAbnormally, "boxes=2 copied=\\[:first/:second/\\] shutdown ran");
}

TEST(Win32FaultRecoveryDeathTest, AbortEndsThroughTheRecovery) {
  EXPECT_EXIT(abortCall(), endedAbnormally, "boxes=2 copied=\\[:first/:second/\\] shutdown ran");
}

}  // namespace
