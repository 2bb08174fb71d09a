#include "shell/command_availability.h"

#include "resources/command_ids.h"

namespace {
bool everyCommandAvailable = false;
}  // namespace

void makeEveryCommandAvailable(bool on) { everyCommandAvailable = on; }

bool commandAvailable(int id) {
  if (everyCommandAvailable) return true;
  if (id >= IDM_FAVOURITE_FIRST && id < IDM_FAVOURITE_PLACEHOLDER) return true;
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
    case IDM_MARK:
    case IDM_UNDO_CHANGE:
    case IDM_SEARCH:
    case IDM_FIND_NEXT:
    case IDM_END_SEARCH:
    case IDM_SEARCH_MISSING_FILES:
    case IDM_COPY_SEARCH_RESULTS:
    // "表示(&V)".
    case IDM_DESCRIBE_ITEM:
    case IDM_OPEN_DESCRIBED_ITEMS:
    case IDM_STATUS_INFORMATION:
    case IDM_PROPERTIES:
    case IDM_FILE_PROPERTIES:
    case IDM_OPEN_ALL_CHANGES:
    case IDM_OPEN_ADDED_DELETED:
    case IDM_OPEN_ALL_EXCEPTIONS:
    case IDM_SHOW_ALL_IN_KEY:
    case IDM_OPEN_CHANGES_IN_KEY:
    case IDM_SHOW_VALUES_IN_KEY:
    case IDM_HIDE_ITEM:
    case IDM_CLOSE_LEVEL:
    case IDM_CLOSE_ALL:
    case IDM_OPEN_COPIED_KEY:
    // "表示設定(&D)"
    case IDM_SHOW_SIZES:
    case IDM_SHOW_VALUES:
    case IDM_SHOW_MODIFIED:
    case IDM_SHOW_DESCRIPTIONS:
    case IDM_KEYS_ONLY:
    case IDM_COMPARE_AGAIN:
    // "設定(&S)"
    case IDM_NOT_READ:
    case IDM_NOT_CHECKED:
    case IDM_NOT_DISPLAYED:
    case IDM_SAME_NAME_NOT_CHECKED:
    case IDM_AUTOCHECK_TARGET:
    case IDM_UNCHECK_MISMATCHES:
    case IDM_CLEAR_ALL_UNCHECKED:
    case IDM_DELETED_TO_VALID:
    case IDM_OPTIONS:
    case IDM_RESET_CONTROLS:
    case IDM_COPY_BASELINE_CONTROLS:
    case IDM_SAVE_USER_CONTROLS:
    case IDM_ERASE_USER_CONTROLS:
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
