#include "shell/deferred_commands.h"

#include "shell/app_state.h"
#include "shell/file_commands.h"
#include "shell/status_line.h"

namespace {

bool owedAutoCheck = false;
bool owedOpen = false;
std::string owedOpenPath;

// The program's own commands keep others out exactly as a dispatched one does.
template <typename Work>
void runAsCommand(Work work) {
  operationBusy = true;
  work();
  operationBusy = false;
}

}  // namespace

void requestAutoCheck() {
  owedAutoCheck = true;
  if (operationBusy) setStatusText("自動チェック保留中（操作完了待ち）");
  runOwedCommands();
}

void requestGivenFileOpen(const std::string& path) {
  owedOpen = true;
  owedOpenPath = path;
  runOwedCommands();
}

void runOwedCommands() {
  // Nothing runs before start-up has finished or once the shutdown has begun.
  while (initialised && mainWindow && !operationBusy) {
    if (owedAutoCheck) {
      owedAutoCheck = false;
      if (autoCheckOn) runAsCommand(runAutomaticCheck);
    } else if (owedOpen) {
      owedOpen = false;
      const std::string path = owedOpenPath;
      runAsCommand([&] { openGivenBaseline(path); });
    } else {
      break;
    }
  }
}

void forgetOwedAutoCheck() { owedAutoCheck = false; }

void forgetOwedCommands() {
  owedAutoCheck = false;
  owedOpen = false;
  owedOpenPath.clear();
}

bool autoCheckOwed() { return owedAutoCheck; }
