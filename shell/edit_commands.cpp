#include "shell/edit_commands.h"

#include "resources/command_ids.h"
#include "shell/clipboard_commands.h"
#include "shell/mark_commands.h"
#include "shell/search_commands.h"
#include "shell/undo_commands.h"

// Each command of the group is one line here, calling the function that does its work.
// Commands not built yet are greyed (command_availability.cpp), so they never arrive.
bool runEditCommand(int id) {
  switch (id) {
    case IDM_COPY_KEY_NAME: copyKeyName(); break;
    case IDM_COPY_KEY_STRUCTURE: copyKeyStructure(); break;
    case IDM_COPY_VALUE: copyValue(); break;
    case IDM_CLEAR_CLIPBOARD: clearClipboard(); break;
    case IDM_COPY_KEY_CHANGES: copyKeyChanges(); break;
    case IDM_COPY_ALL_CHANGES: copyAllChanges(); break;
    case IDM_UNDO_CHANGE: undoSelectedChange(); break;
    case IDM_SEARCH: searchCommand(); break;
    case IDM_FIND_NEXT: findNextCommand(); break;
    case IDM_COPY_SEARCH_RESULTS: copySearchResults(); break;
    case IDM_END_SEARCH: endSearchCommand(); break;
    case IDM_SEARCH_MISSING_FILES: missingFileCommand(); break;
    case IDM_MARK: markCommand(); break;
    default: return false;
  }
  return true;
}
