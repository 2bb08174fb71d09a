#include "text/fault_recovery.h"

#include "platform/fault_handler.h"
#include "platform/message_box.h"
#include "text/operation_log.h"

namespace {
FaultShutdownHook shutdownHook = nullptr;
}  // namespace

void setFaultShutdownHook(FaultShutdownHook hook) { shutdownHook = hook; }

bool installFaultRecovery() { return platform::installFaultHandler(&recoverFromFault); }

void recoverFromFault() {
  // Task-modal: the main window may be what broke, so the user cannot reach it
  // while the box is up.
  const int answer = platform::showMessage(
      "プログラムが正常に動作できなくなりました。直ちに終了します。\n"
      "終了する前に、操作のログ情報をクリップボードへコピーしますか？",
      "ゾルファン：異常状態発生",
      platform::kMsgYesNo | platform::kMsgNoOwner | platform::kMsgTaskModal);
  if (answer == platform::kAnswerYes) copyOperationLogToClipboard();
  if (shutdownHook) shutdownHook();
}
