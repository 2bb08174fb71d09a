#include "shell/view_commands.h"

#include "resources/command_ids.h"
#include "shell/display_commands.h"
#include "shell/feature_hooks.h"
#include "shell/menu_enabling.h"
#include "shell/tree_commands.h"

bool runViewCommand(int id) {
  switch (id) {
    case IDM_STATUS_INFORMATION: showStatusInformationCommand(); break;
    case IDM_OPEN_ALL_CHANGES: openAllChanges(); break;
    case IDM_OPEN_ADDED_DELETED: openAddedAndDeleted(); break;
    case IDM_OPEN_ALL_EXCEPTIONS: openAllExceptions(); break;
    case IDM_SHOW_ALL_IN_KEY: showAllInKey(); break;
    case IDM_OPEN_CHANGES_IN_KEY: openChangesInKey(); break;
    case IDM_SHOW_VALUES_IN_KEY: showValuesInKey(); break;
    case IDM_CLOSE_LEVEL: closeThisLevel(); break;
    case IDM_CLOSE_ALL: closeAll(); break;
    case IDM_HIDE_ITEM: hideSelectedItem(); break;
    case IDM_OPEN_COPIED_KEY: openCopiedKeyName(); break;
    case IDM_OPEN_DESCRIBED_ITEMS: openDescribedItems(); break;
    case IDM_DESCRIBE_ITEM: describeItemCommand(); break;
    case IDM_PROPERTIES: showPropertiesCommand(); break;
    case IDM_FILE_PROPERTIES: showFilePropertiesCommand(); break;
    case IDM_SHOW_SIZES: toggleDisplayOption(id); break;
    case IDM_SHOW_VALUES: toggleDisplayOption(id); break;
    case IDM_SHOW_MODIFIED: toggleDisplayOption(id); break;
    case IDM_SHOW_DESCRIPTIONS: toggleDisplayOption(id); break;
    case IDM_KEYS_ONLY: toggleKeysOnly(); break;
    case IDM_COMPARE_AGAIN: compareAgain(); break;
    default: return false;
  }
  // Every view command ends by asking whether the clipboard text is still ours.
  refreshClipboardCommand();
  return true;
}
