#include "shell/view_commands.h"

#include "dialogs/status_dialog.h"
#include "resources/command_ids.h"
#include "text/operation_log.h"

namespace {

// 32778: the counts of both sides in the status information dialog.
void statusInformation() {
  logOperation(":状況情報");
  showStatusInformation();
}

}  // namespace

bool runViewCommand(int id) {
  switch (id) {
    case IDM_STATUS_INFORMATION: statusInformation(); break;
    default: return false;
  }
  return true;
}
