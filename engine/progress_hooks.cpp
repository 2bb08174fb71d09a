#include "engine/progress_hooks.h"

namespace {
StatusTextHook statusTextHook = nullptr;
MessagePumpHook messagePumpHook = nullptr;
}  // namespace

void setStatusTextHook(StatusTextHook hook) { statusTextHook = hook; }
void setMessagePumpHook(MessagePumpHook hook) { messagePumpHook = hook; }

void showStatusText(const char* text) {
  if (statusTextHook != nullptr) statusTextHook(text);
}

bool pumpPendingMessages() { return messagePumpHook != nullptr && messagePumpHook(); }
