#include "shell/edit_commands.h"

#include "resources/command_ids.h"
#include "shell/search_commands.h"

// Each command of the group is one line here, calling the function that does its work.
// Commands not built yet are greyed (command_availability.cpp), so they never arrive.
bool runEditCommand(int id) {
  switch (id) {
    case IDM_SEARCH: searchCommand(); return true;
    case IDM_FIND_NEXT: findNextCommand(); return true;
    case IDM_END_SEARCH: endSearchCommand(); return true;
    case IDM_SEARCH_MISSING_FILES: missingFileCommand(); return true;
    default: return false;
  }
}
