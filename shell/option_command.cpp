#include "shell/option_command.h"

#include "dialogs/option_sheet.h"
#include "engine/comparison.h"
#include "engine/open_save_commands.h"
#include "engine/snapshot_store.h"
#include "rules/options.h"
#include "rules/rule_files.h"
#include "rules/rule_store.h"
#include "shell/app_state.h"
#include "shell/core_options.h"
#include "shell/menu_enabling.h"
#include "shell/status_line.h"
#include "shell/tree_view.h"
#include "text/operation_log.h"

namespace {

bool keysOnly() { return programOptions.entries[OPT_KEYS_ONLY] != 0; }

// Class-info grouping switched while snapshots are shown: both sides are grouped or
// ungrouped (sharing stores are grouped once through either), the comparison marks
// and counts follow the new key layout, and the tree is shown again.
void regroupShownSnapshots(bool group) {
  beginBusyCursor();
  for (SnapshotStore* side : {&currentStore(), &baselineStore()}) {
    if (!holdsKeys(*side)) continue;
    if (group) {
      groupClassInfo(*side);
    } else {
      ungroupClassInfo(*side);
    }
  }
  SnapshotStore& current = currentStore();
  if (viewShowsComparison(viewState)) {
    compareSnapshots(-1, currentReaderOptions().compare);
  } else {
    recomputeSummary(current, -1);
  }
  recomputeControlled(current);
  recomputeSizes(current, 0);
  lastCounts = takeStatusCounts(current, keysOnly());
  endBusyCursor();
  greyItemCommands();
  rebuildTree();
  if (viewShowsComparison(viewState)) showCounts(lastCounts, keysOnly());
}

}  // namespace

void editOptions() {
  const bool groupedBefore = programOptions.entries[OPT_GROUP_CLASS_INFO] != 0;
  const OptionSheetOutcome outcome = showOptionsSheet(programOptions);
  if (outcome == OptionSheetOutcome::kCancelled) {
    logOperation(":オプション設定,キャンセル");
    return;
  }
  if (outcome == OptionSheetOutcome::kChanged) {
    fileChoice.lastFolder = programOptions.dataFolder;
    optionsDirty = true;
  }
  logOperation(":オプション設定");
  if (viewState == VIEW_STATE_NOTHING) {
    // The rule files depend on the options; with nothing shown they are read again.
    resetRules();
    loadRuleFiles();
    return;
  }
  const bool grouped = programOptions.entries[OPT_GROUP_CLASS_INFO] != 0;
  if (grouped != groupedBefore) regroupShownSnapshots(grouped);
}
