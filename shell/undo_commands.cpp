#include "shell/undo_commands.h"

#include "engine/snapshot_store.h"
#include "resources/command_ids.h"
#include "restore/undo_request.h"
#include "shell/menu_state.h"
#include "shell/status_line.h"
#include "shell/tree_view.h"
#include "text/operation_log.h"

void undoSelectedChange() {
  logOperation(":ペリムで元に戻す:%x", static_cast<unsigned>(currentItem));
  beginBusyCursor();
  const restore::UndoOutcome outcome =
      restore::undoWithRestoreTool(currentStore(), baselineStore(), currentItem);
  endBusyCursor();
  if (const char* text = restore::undoOutcomeStatusText(outcome)) setStatusText("%s", text);
  setCommandEnabled(IDM_UNDO_CHANGE, false);
}
