#include "shell/favourites_commands.h"

#include "resources/command_ids.h"

// The favourites menu holds only its greyed placeholder until favourites are kept, so
// no favourite id arrives yet.
bool runFavouriteCommand(int id) {
  switch (id) {
    default: return false;
  }
}
