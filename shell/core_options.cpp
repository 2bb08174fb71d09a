#include "shell/core_options.h"

#include "rules/options.h"
#include "shell/app_state.h"

SnapshotFileOptions currentFileOptions() {
  SnapshotFileOptions options;
  options.classInfoGrouping = programOptions.entries[OPT_GROUP_CLASS_INFO] != 0;
  options.importClassInfo = programOptions.entries[OPT_NO_CLASS_INFO] == 0;
  return options;
}

ReaderOptions currentReaderOptions() {
  ReaderOptions options;
  options.keepValueData = programOptions.entries[OPT_NO_VALUE_DATA] == 0;
  options.groupClassInfo = programOptions.entries[OPT_GROUP_CLASS_INFO] != 0;
  options.discardRefusedKeys = programOptions.entries[OPT_DISCARD_REFUSED] != 0;
  options.compare.keysOnly = programOptions.entries[OPT_KEYS_ONLY] != 0;
  options.compare.showDeletedContents = programOptions.entries[OPT_KEEP_DELETED_CONTENTS] != 0;
  options.autoCheckOn = autoCheckOn;
  options.viewState = static_cast<uint16_t>(viewState & ~VIEW_READING);
  return options;
}
