#include "shell/command_availability.h"

#include "resources/command_ids.h"

namespace {
bool everyCommandAvailable = false;
}  // namespace

void makeEveryCommandAvailable(bool on) { everyCommandAvailable = on; }

bool commandAvailable(int id) {
  if (everyCommandAvailable) return true;
  switch (id) {
    // "ﾌｧｲﾙ(&F)"
    case IDM_OPEN_BASELINE:
    case IDM_SAVE:
    case IDM_READ_REGISTRY:
    case IDM_OPEN_COMPARISON:
    case IDM_CLOSE:
    case IDM_MAKE_AUTOCHECK_DATA:
    case IDM_TOGGLE_AUTOCHECK:
    case IDM_CLEAR_AUTOCHECK_LOG:
    case IDM_SHOW_AUTOCHECK_LOG:
    // "編集(&E)"
    case IDM_COPY_KEY_NAME:
    case IDM_COPY_KEY_STRUCTURE:
    case IDM_COPY_VALUE:
    case IDM_CLEAR_CLIPBOARD:
    case IDM_COPY_KEY_CHANGES:
    case IDM_COPY_ALL_CHANGES:
    case IDM_SEARCH:
    case IDM_FIND_NEXT:
    case IDM_END_SEARCH:
    case IDM_SEARCH_MISSING_FILES:
    case IDM_COPY_SEARCH_RESULTS:
    // "表示(&V)"
    case IDM_STATUS_INFORMATION:
    // Handled by the window itself, and the right-click menu's "キャンセル".
    case IDM_VERSION:
    case IDM_EXIT:
    case IDM_HELP:
    case IDM_RIGHT_CLICK_CANCEL:
    case IDM_COPY_OPERATION_LOG:
      return true;
    default:
      return false;
  }
}
