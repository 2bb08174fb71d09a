#include "shell/edit_commands.h"

#include "resources/command_ids.h"

// Each command of the group is one line here, calling the function that does its work.
// Commands not built yet are greyed (command_availability.cpp), so they never arrive.
bool runEditCommand(int id) {
  switch (id) {
    default: return false;
  }
}
