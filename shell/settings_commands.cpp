#include "shell/settings_commands.h"

#include "resources/command_ids.h"
#include "shell/control_commands.h"
#include "shell/menu_enabling.h"
#include "shell/option_command.h"

bool runSettingsCommand(int id) {
  switch (id) {
    case IDM_NOT_READ: toggleNotRead(); break;
    case IDM_NOT_CHECKED: toggleNotChecked(); break;
    case IDM_NOT_DISPLAYED: toggleNotDisplayed(); break;
    case IDM_SAME_NAME_NOT_CHECKED: toggleSameNameNotChecked(); break;
    case IDM_AUTOCHECK_TARGET: toggleAutoCheckTarget(); break;
    case IDM_UNCHECK_MISMATCHES: uncheckMismatches(); break;
    case IDM_CLEAR_ALL_UNCHECKED: clearAllUnchecked(); break;
    case IDM_DELETED_TO_VALID: makeDeletedItemsValid(); break;
    case IDM_OPTIONS: editOptions(); break;
    case IDM_RESET_CONTROLS: resetControls(); break;
    case IDM_COPY_BASELINE_CONTROLS: copyBaselineControls(); break;
    case IDM_SAVE_USER_CONTROLS: saveUserControls(); break;
    case IDM_ERASE_USER_CONTROLS: eraseUserControls(); break;
    default: return false;
  }
  refreshClipboardCommand();
  return true;
}
