#include "shell/edit_commands.h"

#include "resources/command_ids.h"
#include "shell/undo_commands.h"

// Each command of the group is one line here, calling the function that does its work.
// Commands not built yet are greyed (command_availability.cpp), so they never arrive.
bool runEditCommand(int id) {
  switch (id) {
    case IDM_UNDO_CHANGE: undoSelectedChange(); return true;
    default: return false;
  }
}
