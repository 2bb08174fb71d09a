#include "shell/file_commands.h"

#include <windows.h>

#include <string>

#include "engine/comparison.h"
#include "engine/open_save_commands.h"
#include "engine/registry_reader.h"
#include "engine/snapshot_store.h"
#include "engine/store_loading.h"
#include "platform/message_box.h"
#include "resources/command_ids.h"
#include "rules/options.h"
#include "rules/rule_apply.h"
#include "rules/rule_files.h"
#include "rules/rule_store.h"
#include "search/search_engine.h"
#include "shell/app_state.h"
#include "shell/auto_check_log_commands.h"
#include "shell/core_options.h"
#include "shell/deferred_commands.h"
#include "shell/main_window.h"
#include "shell/menu_enabling.h"
#include "shell/menu_state.h"
#include "shell/status_line.h"
#include "shell/tree_view.h"
#include "text/operation_log.h"

namespace {

const char kRegistryLabel[] = "レジストリ";
const char kOldRegistryLabel[] = "旧レジストリ";
const char kLiveRegistryLabel[] = "現レジストリ情報";
const char kRegistryTitle[] = "レジストリ情報";

bool keysOnly() { return programOptions.entries[OPT_KEYS_ONLY] != 0; }

void filtersOff() {
  programOptions.entries[OPT_CHANGED_ONLY] = 0;
  programOptions.entries[OPT_UNCHECKED_ONLY] = 0;
}

void clearSearchResults() {
  searchResultsShown = false;
  searchResultState() = SEARCH_STATE_NONE;
  clearViewFlags(currentStore(), VIEW_HIT | VIEW_HIT_BELOW | VIEW_HIT_IMAGE |
                                     VIEW_HIT_BELOW_IMAGE | VIEW_PREVIOUS_HIT);
}

std::string saveFolder() { return programOptions.dataFolder; }

// Sizes and counts of a snapshot that did not come from a read.
void prepareCounts() {
  recomputeSizes(currentStore(), 0);
  lastCounts = takeStatusCounts(currentStore(), keysOnly());
}

void showTitle(const std::string& label, const std::string& second) {
  setWindowTitle(label.c_str(), second.c_str());
}

bool hasDeletedItems() { return lastCounts.deletedKeys > 0 || lastCounts.deletedValues > 0; }

// The menu after a baseline is shown alone (opened, or made as auto-check data).
void setBaselineOnlyMenu() {
  setCommandText(IDM_READ_REGISTRY, 1);
  MenuFacts facts;
  facts.deletedItems = hasDeletedItems();
  applyViewMenus(MenuView::kBaselineOnly, facts);
  setCommandText(IDM_OPEN_ALL_EXCEPTIONS, 0);
}

// The menu while no snapshot is shown: everything that needs one greyed.
void setNothingShownMenu() {
  setCommandText(IDM_READ_REGISTRY, 0);
  setCommandText(IDM_TOGGLE_AUTOCHECK, 0);
  applyViewMenus(MenuView::kNothingShown, MenuFacts{});
  currentItem = kNoItem;
}

void setOpenChangeCommands(bool changed) {
  for (int id : {IDM_OPEN_ALL_CHANGES, IDM_OPEN_ADDED_DELETED, IDM_UNCHECK_MISMATCHES}) {
    setCommandEnabled(id, changed);
  }
  setChangeCommands(changed);
}

// The display names describe the snapshots shown; a name whose snapshot is gone
// must not be proposed by a later save.
void forgetBaselineFileName() { fileChoice.baselineName.clear(); }
void forgetComparisonFileName() { fileChoice.comparisonName.clear(); }

// 32771: a snapshot file becomes the baseline: the one chosen in the open dialog, or
// `givenPath` (from outside the program) without a dialog.
void openBaseline(const std::string* givenPath) {
  stopAutoCheck();
  refreshFileMenu();
  clearSearchResults();
  setWindowTitle("基準データ", nullptr);

  const OpenOutcome outcome =
      givenPath ? openGivenBaselineFile(*givenPath, currentFileOptions())
                : openBaselineCommand(saveFolder(), currentFileOptions());
  if (!outcome.chosen || !outcome.load.loaded) {
    logOperation(":基準ファイル,中止");
    if (outcome.chosen) {
      // The failed load left five empty roots and no baseline: nothing is shown.
      forgetBaselineFileName();
      forgetComparisonFileName();
      viewState = 0;
      baselineLabel.clear();
      comparisonLabel.clear();
      titleLabel.clear();
      lastCounts = StatusCounts{};
      clearTree();
      setWindowTitle(nullptr, nullptr);
      setNothingShownMenu();
    } else {
      // Cancelled: the title of what is still shown comes back.
      showTitle(titleLabel, comparisonLabel);
    }
    refreshClipboardCommand();
    return;
  }
  logOperation(":基準ファイル");
  forgetComparisonFileName();
  titleLabel = fileChoice.baselineName;
  baselineLabel = fileChoice.baselineName;
  comparisonLabel.clear();
  rebuildRulesFromSnapshot(true);
  prepareCounts();

  autoCheckOn = outcome.load.autoCheckOn;
  if (autoCheckOn) {
    warnAboutLargeAutoCheckLog();
    const int minutes = programOptions.entries[OPT_AUTOCHECK_MINUTES];
    startAutoCheckTimer(minutes);
    setStatusText("自動チェック開始：　チェック間隔 %d 分", minutes);
    setCommandText(IDM_TOGGLE_AUTOCHECK, 1);
    setCommandEnabled(IDM_TOGGLE_AUTOCHECK, true);
    setChangeCommands(false);
  } else if (lastCounts.changes() > 0) {
    showCounts(lastCounts, keysOnly());
    setChangeCommands(true);
  } else {
    setStatusText("基準データの読み込み完了");
    setChangeCommands(false);
  }
  setBaselineOnlyMenu();
  if (!autoCheckOn) {
    setCommandText(IDM_TOGGLE_AUTOCHECK, 0);
    setCommandEnabled(IDM_TOGGLE_AUTOCHECK, lastCounts.autoCheckTargets > 0);
  }
  filtersOff();
  viewState = VIEW_BASELINE;
  refreshFileMenu();
  showTitle(titleLabel, "");
  clearTree();
  showTopLevelKeys(0);
}

// 32781: a snapshot file becomes the comparison side of the loaded baseline.
void openComparison() {
  stopAutoCheck();
  refreshFileMenu();
  filtersOff();
  clearSearchResults();

  const OpenOutcome outcome = openComparisonCommand(saveFolder(), currentFileOptions());
  if (!outcome.chosen) {
    logOperation(":比較ファイル,中止");
    refreshClipboardCommand();
    return;
  }
  if (!outcome.load.loaded) {
    // The failed load left five empty roots on the current side; the baseline is
    // still loaded, so it is shown alone again, as after opening it.
    logOperation(":比較ファイル,中止");
    forgetComparisonFileName();
    clearTree();
    shareBaselineWithCurrent();
    prepareCounts();
    viewState = VIEW_BASELINE;
    comparisonLabel.clear();
    showTitle(titleLabel, "");
    setOpenChangeCommands(false);
    refreshFileMenu();
    showTopLevelKeys(0);
    refreshClipboardCommand();
    return;
  }
  logOperation(":比較ファイル");
  comparisonLabel = fileChoice.comparisonName;
  rebuildRulesFromSnapshot(false);
  // The counts are taken once the comparison has marked the changes.
  recomputeSizes(currentStore(), 0);

  showTitle(titleLabel, fileChoice.comparisonName);
  viewState = VIEW_BASELINE | VIEW_COMPARISON_FILE;
  clearTree();
  pumpMessagesFor(100);
  setStatusText("比較中");
  beginBusyCursor();
  compareSnapshots(-1, currentReaderOptions().compare);
  lastCounts = takeStatusCounts(currentStore(), keysOnly());
  endBusyCursor();
  showTopLevelKeys(0);
  showCounts(lastCounts, keysOnly());
  MenuFacts facts;
  facts.changes = lastCounts.changes() > 0;
  facts.deletedItems = hasDeletedItems();
  applyViewMenus(MenuView::kFileCompared, facts);
  setChangeCommands(facts.changes);
  refreshFileMenu();
}

// The save dialog that follows a reading the user asked for. The saved file's name
// becomes the name of what was saved: the baseline after a first read, the
// comparison after a comparison.
void saveAfterRead(bool compared) {
  const SaveOutcome outcome =
      saveCommand(compared ? SAVE_AFTER_COMPARISON : SAVE_AFTER_FIRST_READ,
                  (viewState & VIEW_COMPARISON_FILE) != 0, saveFolder(), currentFileOptions());
  if (outcome != SaveOutcome::kWritten) return;
  if (compared) {
    comparisonLabel = fileChoice.comparisonName;
  } else {
    titleLabel = fileChoice.baselineName;
    baselineLabel = fileChoice.baselineName;
  }
  showTitle(titleLabel, comparisonLabel);
}

// 32777: read the registry; with a baseline loaded the reading is compared with it.
void readOrCompareRegistry() {
  clearSearchResults();
  const uint16_t before = viewState;
  const bool baselineLoaded = (before & VIEW_BASELINE) != 0;
  if (!baselineLoaded) {
    resetCurrentStore(true);
    clearBaselineStore();
  }
  filtersOff();
  if ((before & VIEW_BASELINE) && (before & VIEW_COMPARISON_FILE)) rebuildRulesFromSnapshot(true);
  viewState = static_cast<uint16_t>(before | VIEW_READING);

  beginBusyCursor();
  const ReadResult result = readRegistry(currentReaderOptions());
  endBusyCursor();
  lastCounts = result.counts;

  if (result.compared) {
    logOperation(":レジストリの比較");
    forgetComparisonFileName();
    if (before & VIEW_BASELINE_FROM_LIVE) baselineLabel = kOldRegistryLabel;
    comparisonLabel = kLiveRegistryLabel;
    showTitle(titleLabel, kLiveRegistryLabel);
    viewState = VIEW_BASELINE | VIEW_LIVE_COMPARED;
    if (autoCheckOn) {
      // The next countdown starts after this run; the run's result goes to the log.
      startAutoCheckTimer(programOptions.entries[OPT_AUTOCHECK_MINUTES]);
      appendAutoCheckRun();
    }
  } else {
    logOperation(":レジストリ取り込み");
    forgetBaselineFileName();
    forgetComparisonFileName();
    setWindowTitle(kRegistryTitle, nullptr);
    titleLabel = kRegistryTitle;
    baselineLabel = kRegistryLabel;
    comparisonLabel.clear();
    viewState = VIEW_BASELINE | VIEW_BASELINE_FROM_LIVE;
    stopAutoCheck();
    setCommandText(IDM_TOGGLE_AUTOCHECK, 0);
  }

  const bool changed = result.compared && result.counts.changes() > 0;
  setChangeCommands(changed);
  if (changed) MessageBeep(MB_ICONEXCLAMATION);
  refreshClipboardCommand();

  if (programOptions.entries[OPT_AUTO_SAVE_DIALOG] && !autoCheckTriggered) {
    saveAfterRead(result.compared);
  }
  autoCheckTriggered = false;

  setCommandText(IDM_READ_REGISTRY, 1);
  MenuFacts facts;
  facts.changes = changed;
  facts.autoCheckTargets = lastCounts.autoCheckTargets > 0 && !autoCheckOn;
  facts.deletedItems = hasDeletedItems();
  applyViewMenus(result.compared ? MenuView::kLiveCompared : MenuView::kFirstRead, facts);
  refreshFileMenu();
}

// 32772: save the current snapshot.
void save() {
  logOperation(":保存");
  setStatusText("保存中");
  beginBusyCursor();
  const SaveOutcome outcome = saveCommand(SAVE_PLAIN, (viewState & VIEW_COMPARISON_FILE) != 0,
                                          saveFolder(), currentFileOptions());
  endBusyCursor();
  if (outcome == SaveOutcome::kWritten) {
    setStatusText("保存終了");
  } else {
    setStatusTextPlain("");
  }
  refreshClipboardCommand();
}

// 32798: back to nothing shown.
void closeSnapshots() {
  logOperation("閉じる");
  setStatusTextPlain("");
  forgetBaselineFileName();
  forgetComparisonFileName();
  baselineLabel.clear();
  comparisonLabel.clear();
  titleLabel.clear();
  clearTree();
  resetCurrentStore(true);
  clearBaselineStore();
  viewState = 0;
  lastCounts = StatusCounts{};
  filtersOff();
  setChangeCommands(false);
  stopAutoCheck();
  resetRules();
  loadRuleFiles();
  clearSearchResults();
  setWindowTitle(nullptr, nullptr);
  setNothingShownMenu();
}

// 32814: the subtrees of the auto-check targets become auto-check data (the baseline).
void makeAutoCheckData() {
  setStatusText("自動チェック用データ作成中");
  clearSearchResults();
  if (!buildAutoCheckData(static_cast<uint16_t>(viewState & ~VIEW_READING))) return;
  logOperation(":自動チェック用データ作成");
  rebuildRulesFromSnapshot(true);
  prepareCounts();
  setStatusText("自動チェック用データ作成完了");
  setChangeCommands(false);
  comparisonLabel.clear();
  showTitle(titleLabel, "");
  viewState = VIEW_BASELINE;
  clearTree();
  showTopLevelKeys(0);
  setBaselineOnlyMenu();
  setCommandEnabled(IDM_SAVE, true);
  setCommandEnabled(IDM_TOGGLE_AUTOCHECK, true);
  setCommandText(IDM_TOGGLE_AUTOCHECK, 0);
  if (platform::showMessage("作成した自動チェック用データを保存しますか？", "自動チェック用データ作成",
                            platform::kMsgYesNo) == platform::kAnswerYes) {
    saveCommand(SAVE_AUTOCHECK_DATA, false, saveFolder(), currentFileOptions());
  }
  // The baseline is now the data, no longer the file it came from.
  forgetBaselineFileName();
  forgetComparisonFileName();
}

// 32815: start or stop the automatic check.
void toggleAutoCheck() {
  if (autoCheckOn) {
    stopAutoCheck();
    setStatusText("自動チェック停止");
    refreshFileMenu();
    setCommandText(IDM_TOGGLE_AUTOCHECK, 0);
    return;
  }
  warnAboutLargeAutoCheckLog();
  const int minutes = programOptions.entries[OPT_AUTOCHECK_MINUTES];
  startAutoCheckTimer(minutes);
  setStatusText("自動チェック開始：　チェック間隔 %d 分", minutes);
  autoCheckOn = true;
  refreshFileMenu();
  setCommandText(IDM_TOGGLE_AUTOCHECK, 1);
}

}  // namespace

bool runFileCommand(int id) {
  switch (id) {
    case IDM_OPEN_BASELINE: openBaseline(nullptr); break;
    case IDM_OPEN_COMPARISON: openComparison(); break;
    case IDM_READ_REGISTRY: readOrCompareRegistry(); break;
    case IDM_SAVE: save(); break;
    case IDM_CLOSE: closeSnapshots(); break;
    case IDM_MAKE_AUTOCHECK_DATA: makeAutoCheckData(); break;
    case IDM_TOGGLE_AUTOCHECK: toggleAutoCheck(); break;
    case IDM_CLEAR_AUTOCHECK_LOG: clearAutoCheckLogCommand(); break;
    case IDM_SHOW_AUTOCHECK_LOG: showAutoCheckLogCommand(); break;
    default: return false;
  }
  return true;
}

void stopAutoCheck() {
  autoCheckOn = false;
  forgetOwedAutoCheck();
  startAutoCheckTimer(0);
}

void runAutomaticCheck() {
  autoCheckTriggered = true;
  readOrCompareRegistry();
}

void openGivenBaseline(const std::string& path) {
  // The file came from outside, unasked for here: a comparison on screen, perhaps
  // not yet saved, is not replaced without the user's word.
  if (viewState & (VIEW_COMPARISON_FILE | VIEW_LIVE_COMPARED)) {
    const std::string question =
        "表示中の比較結果を閉じて、次のファイルを基準データとして開きますか？\n" + path;
    if (platform::showMessage(question.c_str(), "基準ファイルを開く", platform::kMsgYesNo) !=
        platform::kAnswerYes) {
      logOperation(":基準ファイル,中止");
      return;
    }
  }
  openBaseline(&path);
}
