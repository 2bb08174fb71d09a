// The dispatch chain and the menu-state helpers the command groups share.
#include "shell/command_dispatcher.h"

#include <windows.h>

#include "engine/snapshot_store.h"
#include "platform/clipboard.h"
#include "resources/command_ids.h"
#include "rules/options.h"
#include "shell/app_state.h"
#include "shell/main_window.h"
#include "shell/menu_state.h"
#include "shell/status_line.h"
#include "text/operation_log.h"

namespace {

// Commands of the "表示(&V)" menu that this window already serves itself.
bool runViewCommand(int id) {
  switch (id) {
    case IDM_STATUS_INFORMATION:
      logOperation(":状況情報");
      showStatusInformation();
      return true;
    default:
      return false;
  }
}

bool runSettingsCommand(int id) {
  switch (id) {
    case IDM_RIGHT_CLICK_CANCEL:
      refreshClipboardCommand();
      return true;
    case IDM_COPY_OPERATION_LOG:
      copyOperationLogToClipboard();
      return true;
    default:
      return false;
  }
}

}  // namespace

void dispatchCommand(int id) {
  // A command arriving while another runs (its message pumping dispatched this one)
  // is dropped without a trace.
  if (operationBusy) return;
  operationBusy = true;
  if (!runFileCommand(id) && !runViewCommand(id)) runSettingsCommand(id);
  operationBusy = false;
}

void refreshFileMenu() {
  if (autoCheckOn) {
    for (int id : {IDM_SAVE, IDM_MAKE_AUTOCHECK_DATA, IDM_CLEAR_AUTOCHECK_LOG,
                   IDM_SHOW_AUTOCHECK_LOG, IDM_RESET_CONTROLS, IDM_COPY_BASELINE_CONTROLS}) {
      setCommandEnabled(id, false);
    }
    return;
  }
  // A baseline shown alone is the file it came from: nothing new to save until a
  // command changes it (those commands enable saving themselves).
  setCommandEnabled(IDM_SAVE, viewState != 0 && viewState != VIEW_BASELINE);
  setCommandEnabled(IDM_MAKE_AUTOCHECK_DATA, lastCounts.autoCheckTargets > 0);
  // The auto-check log's commands come with the log itself; until then they stay greyed.
  setCommandEnabled(IDM_CLEAR_AUTOCHECK_LOG, false);
  setCommandEnabled(IDM_SHOW_AUTOCHECK_LOG, false);
  setCommandEnabled(IDM_RESET_CONTROLS, true);
  setCommandEnabled(IDM_COPY_BASELINE_CONTROLS,
                    (viewState & VIEW_BASELINE) != 0 &&
                        (viewState & (VIEW_COMPARISON_FILE | VIEW_LIVE_COMPARED)) != 0);
}

void refreshClipboardCommand() {
  if (clipboardOwned && GetClipboardOwner() != mainWindow) {
    setCommandEnabled(IDM_CLEAR_CLIPBOARD, false);
    clipboardOwned = false;
  }
}

void setChangeCommands(bool changed) {
  setCommandEnabled(IDM_COPY_ALL_CHANGES, changed);
  if (!changed) setCommandEnabled(IDM_UNDO_CHANGE, false);
}

SnapshotFileOptions currentFileOptions() {
  SnapshotFileOptions options;
  options.classInfoGrouping = programOptions.entries[OPT_GROUP_CLASS_INFO] != 0;
  options.importClassInfo = programOptions.entries[OPT_NO_CLASS_INFO] == 0;
  return options;
}

ReaderOptions currentReaderOptions() {
  ReaderOptions options;
  options.keepValueData = programOptions.entries[OPT_NO_VALUE_DATA] == 0;
  options.groupClassInfo = programOptions.entries[OPT_GROUP_CLASS_INFO] != 0;
  options.discardRefusedKeys = programOptions.entries[OPT_DISCARD_REFUSED] != 0;
  options.compare.keysOnly = programOptions.entries[OPT_KEYS_ONLY] != 0;
  options.compare.showDeletedContents = programOptions.entries[OPT_KEEP_DELETED_CONTENTS] != 0;
  options.autoCheckOn = autoCheckOn;
  options.viewState = static_cast<uint16_t>(viewState & ~VIEW_READING);
  return options;
}

void stopAutoCheck() {
  autoCheckOn = false;
  startAutoCheckTimer(0);
}
