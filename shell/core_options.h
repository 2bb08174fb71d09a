// The settings the commands pass to the core, taken from the program options and the
// shell's state at the moment of the call.
#pragma once

#include "engine/registry_reader.h"
#include "engine/snapshot_file.h"

// Class-information grouping and import, for loading and saving snapshot files.
SnapshotFileOptions currentFileOptions();
// Data kept, grouping, refused keys, comparison options, the automatic check and
// viewState without its reading bit.
ReaderOptions currentReaderOptions();
