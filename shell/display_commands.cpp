#include "shell/display_commands.h"

#include "dialogs/status_dialog.h"
#include "engine/comparison.h"
#include "resources/command_ids.h"
#include "rules/options.h"
#include "shell/app_state.h"
#include "shell/core_options.h"
#include "shell/feature_hooks.h"
#include "shell/menu_enabling.h"
#include "shell/menu_state.h"
#include "shell/status_line.h"
#include "shell/tree_commands.h"
#include "shell/tree_view.h"
#include "text/operation_log.h"

namespace {

struct DisplayToggle {
  int id;
  int entry;
  const char* tag;
};

constexpr DisplayToggle kDisplayToggles[] = {
    {IDM_SHOW_SIZES, OPT_SHOW_SIZES, ":サイズ情報表示:%d"},
    {IDM_SHOW_VALUES, OPT_SHOW_VALUES, ":値項目表示:%d"},
    {IDM_SHOW_MODIFIED, OPT_SHOW_MODIFIED, ":更新日時表示:%d"},
    {IDM_SHOW_DESCRIPTIONS, OPT_SHOW_DESCRIPTIONS, ":項目説明表示:%d"},
};

bool keysOnly() { return programOptions.entries[OPT_KEYS_ONLY] != 0; }

// Flips a menu check and the option behind it; returns the new value.
bool flipOption(int id, int entry) {
  const bool on = !readCommandCheck(id);
  setCommandChecked(id, on);
  programOptions.entries[entry] = on ? 1 : 0;
  optionsDirty = true;
  return on;
}

// The item descriptions follow their display option: loaded and marked when it is
// turned on, released when it is turned off (their part installs the hooks).
void followDescriptionOption(bool on) {
  if (on) {
    if (featureHooks.loadDescriptions) featureHooks.loadDescriptions(viewState != VIEW_STATE_NOTHING);
  } else if (featureHooks.releaseDescriptions) {
    featureHooks.releaseDescriptions();
  }
  setCommandEnabled(IDM_OPEN_DESCRIBED_ITEMS, on);
}

// Compares the two sides again and shows the top-level keys closed, one by one so
// that the window stays alive; stops inserting when the program is asked to quit.
void runComparison() {
  clearTree();
  pumpMessagesFor(100);
  beginBusyCursor();
  setStatusText("比較中");
  compareSnapshots(-1, currentReaderOptions().compare);
  lastCounts = takeStatusCounts(currentStore(), keysOnly());
  showCounts(lastCounts, keysOnly());
  endBusyCursor();
  for (ItemIndex root = 0; root < kRootKeyCount; ++root) {
    showKey(root, 0);
    if (pumpMessagesFor(100)) break;
  }
  const bool changed = lastCounts.changes() > 0;
  for (int id : {IDM_OPEN_ALL_CHANGES, IDM_OPEN_ADDED_DELETED, IDM_UNCHECK_MISMATCHES}) {
    setCommandEnabled(id, changed);
  }
  setCommandEnabled(IDM_DELETED_TO_VALID, lastCounts.deletedKeys + lastCounts.deletedValues > 0);
  setChangeCommands(changed);
  greyItemCommands();
}

}  // namespace

void toggleDisplayOption(int id) {
  for (const DisplayToggle& toggle : kDisplayToggles) {
    if (toggle.id != id) continue;
    const bool on = flipOption(id, toggle.entry);
    logOperation(toggle.tag, on ? 1 : 0);
    if (id == IDM_SHOW_DESCRIPTIONS) followDescriptionOption(on);
    if (viewState != VIEW_STATE_NOTHING) {
      greyItemCommands();
      rebuildTree();
    }
    if (id == IDM_SHOW_DESCRIPTIONS && on) {
      setStatusText("項目説明を表示するモードにしました。");
    }
    return;
  }
}

void toggleKeysOnly() {
  clearSearchMarks();
  const bool on = flipOption(IDM_KEYS_ONLY, OPT_KEYS_ONLY);
  logOperation(":キーのみ比較:%d", on ? 1 : 0);
  if (viewShowsComparison(viewState)) runComparison();
}

void compareAgain() {
  // Only a baseline with a second side has anything to compare.
  if (!viewShowsComparison(viewState)) return;
  logOperation(":再比較");
  clearSearchMarks();
  runComparison();
}

void showStatusInformationCommand() {
  logOperation(":状況情報");
  showStatusInformation();
}
