#include "shell/command_dispatcher.h"

#include "resources/command_ids.h"
#include "shell/app_state.h"
#include "shell/deferred_commands.h"
#include "shell/edit_commands.h"
#include "shell/favourites_commands.h"
#include "shell/file_commands.h"
#include "shell/menu_enabling.h"
#include "shell/settings_commands.h"
#include "shell/view_commands.h"
#include "text/operation_log.h"

namespace {

// The two ids that belong to no menu: the right-click menu's "キャンセル" only
// re-checks the clipboard command; 10010 copies the operation log.
bool runMenulessCommand(int id) {
  switch (id) {
    case IDM_RIGHT_CLICK_CANCEL: refreshClipboardCommand(); break;
    case IDM_COPY_OPERATION_LOG: copyOperationLogToClipboard(); break;
    default: return false;
  }
  return true;
}

}  // namespace

void dispatchCommand(int id) {
  // A command arriving while another runs (its message pumping dispatched this one)
  // is dropped without a trace.
  if (operationBusy) return;
  operationBusy = true;
  if (!runFileCommand(id) && !runEditCommand(id) && !runViewCommand(id) &&
      !runSettingsCommand(id) && !runFavouriteCommand(id)) {
    runMenulessCommand(id);
  }
  operationBusy = false;
  // What the program started by itself meanwhile (the automatic check, a given file).
  runOwedCommands();
}
