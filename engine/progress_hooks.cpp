#include "engine/progress_hooks.h"

#include "platform/clock.h"

namespace {
StatusTextHook statusTextHook = nullptr;
MessagePumpHook messagePumpHook = nullptr;
KeepAliveHook keepAliveHook = nullptr;
}  // namespace

void setStatusTextHook(StatusTextHook hook) { statusTextHook = hook; }
void setMessagePumpHook(MessagePumpHook hook) { messagePumpHook = hook; }

void showStatusText(const char* text) {
  if (statusTextHook != nullptr) statusTextHook(text);
}

bool pumpPendingMessages() { return messagePumpHook != nullptr && messagePumpHook(); }

void setKeepAliveHook(KeepAliveHook hook) { keepAliveHook = hook; }
bool keepWindowAlive() { return keepAliveHook != nullptr && keepAliveHook(); }

ProgressPacer::ProgressPacer(uint32_t callsPerClock)
    : callsPerClock_(callsPerClock > 0 ? callsPerClock : 1), last_(platform::tickMilliseconds()) {}

bool ProgressPacer::due() {
  if (++calls_ < callsPerClock_) return false;
  calls_ = 0;
  const int64_t now = platform::tickMilliseconds();
  if (now - last_ < kProgressIntervalMs) return false;
  last_ = now;
  return true;
}
