#include "shell/control_commands.h"

#include "engine/store_walk.h"
#include "platform/message_box.h"
#include "resources/command_ids.h"
#include "rules/options.h"
#include "rules/rule_apply.h"
#include "rules/rule_files.h"
#include "rules/rule_store.h"
#include "shell/app_state.h"
#include "shell/file_commands.h"
#include "shell/menu_enabling.h"
#include "shell/menu_state.h"
#include "shell/status_line.h"
#include "shell/tree_view.h"
#include "text/operation_log.h"

namespace {

SnapshotStore& store() { return currentStore(); }

bool isValueReference(ItemIndex reference) {
  return reference != kNoItem && (static_cast<uint32_t>(reference) & kValueItemBit) != 0;
}

ItemIndex valueIndexOf(ItemIndex reference) {
  return static_cast<ItemIndex>(static_cast<uint32_t>(reference) & ~kValueItemBit);
}

// The selected key, or -1 when a value or nothing is selected. A refused key and an
// auto-check target take no other control (their commands are greyed, see
// updateSelectionCommands); the auto-check toggle asks with `anyControl`.
ItemIndex selectedKey(bool anyControl = false) {
  const ItemIndex key = currentItem;
  if (key < 0 || !store_walk::isKey(store(), key)) return kNoItem;
  const KeyRecord& record = keyRecord(store(), key);
  const bool fixed = record.state == STATE_REFUSED || (record.summary & SUM_AUTOCHECK_TARGET);
  return fixed && !anyControl ? kNoItem : key;
}

// "例外状態を全て開く" has something to open while items are controlled.
void refreshExceptionsCommand() {
  setCommandEnabled(IDM_OPEN_ALL_EXCEPTIONS,
                    searchResultsShown || countControlledItems(store()) > 0);
}

// After a per-item toggle: the item's rule, its image, the controlled marks, the
// selection's menu states; a baseline shown alone can now be saved with its controls.
void finishItemToggle(ItemIndex reference) {
  const bool isValue = isValueReference(reference);
  const ItemIndex item = isValue ? valueIndexOf(reference) : reference;
  recordItemControl(item, isValue);
  recomputeControlled(store());
  refreshItemImage(reference, isValue);
  updateSelectionCommands(reference);
  refreshExceptionsCommand();
  if (viewState == VIEW_STATE_BASELINE_ONLY) setCommandEnabled(IDM_SAVE, true);
}

// A key whose contents are no longer read or checked shows them closed.
void closeKey(ItemIndex key) { openSubtree(key, 0, 0); }

// The tree again from the top-level keys, the open keys kept open.
void rebuildAfterControls() {
  recomputeControlled(store());
  greyItemCommands();
  refreshExceptionsCommand();
  rebuildTree();
}

int64_t autoCheckTargetCount() { return countState(store(), kAutoCheckTargetCode); }

}  // namespace

void toggleNotRead() {
  const ItemIndex key = selectedKey();
  if (key == kNoItem) return;
  KeyRecord& record = keyRecord(store(), key);
  const bool on = record.state != STATE_NOT_READ;
  logOperation(on ? ":取込まない:%x" : ":取込む:%x", static_cast<unsigned>(key));
  record.state = on ? STATE_NOT_READ : STATE_NORMAL;
  closeKey(key);
  finishItemToggle(key);
}

void toggleNotChecked() {
  const ItemIndex reference = currentItem;
  if (isValueReference(reference)) {
    const ItemIndex value = valueIndexOf(reference);
    if (!store_walk::isValue(store(), value)) return;
    ValueRecord& record = valueRecord(store(), value);
    record.state = record.state == STATE_NOT_CHECKED ? STATE_DATA : STATE_NOT_CHECKED;
    finishItemToggle(reference);
    return;
  }
  const ItemIndex key = selectedKey();
  if (key == kNoItem) return;
  KeyRecord& record = keyRecord(store(), key);
  const bool on = record.state != STATE_NOT_CHECKED;
  logOperation(on ? ":チェックしない:%x" : ":チェックする:%x", static_cast<unsigned>(key));
  record.state = on ? static_cast<uint8_t>(STATE_NOT_CHECKED) : record.savedState;
  closeKey(key);
  finishItemToggle(key);
}

void toggleNotDisplayed() {
  const ItemIndex key = selectedKey();
  if (key == kNoItem) return;
  KeyRecord& record = keyRecord(store(), key);
  const bool on = record.state != STATE_HIDDEN;
  logOperation(on ? ":表示しない:%x" : ":表示する:%x", static_cast<unsigned>(key));
  record.state = on ? static_cast<uint8_t>(STATE_HIDDEN) : record.savedState;
  finishItemToggle(key);
}

void toggleSameNameNotChecked() {
  const ItemIndex key = selectedKey();
  if (key == kNoItem) return;
  const KeyRecord& record = keyRecord(store(), key);
  const bool off = record.state == STATE_NOT_CHECKED && (record.summary & SUM_SAME_NAME) != 0;
  logOperation(off ? ":同一名非チェックを元に戻す:%x" : ":全ての同名キーをチェックしない:%x",
               static_cast<unsigned>(key));
  setSameNameUnchecked(key, !off);
  rebuildAfterControls();
  revealItem(key, 0);
  if (viewState == VIEW_STATE_BASELINE_ONLY) setCommandEnabled(IDM_SAVE, true);
}

void toggleAutoCheckTarget() {
  const ItemIndex key = selectedKey(true);
  if (key == kNoItem) return;
  KeyRecord& record = keyRecord(store(), key);
  const bool on = (record.summary & SUM_AUTOCHECK_TARGET) == 0;
  logOperation(on ? ":自動チェック設定:%x" : ":自動チェック解除:%x", static_cast<unsigned>(key));
  if (on) {
    record.summary = static_cast<uint8_t>(record.summary | SUM_AUTOCHECK_TARGET);
    record.savedState = record.state;
    record.state = STATE_NORMAL;
  } else {
    record.summary = static_cast<uint8_t>(record.summary & ~SUM_AUTOCHECK_TARGET);
    record.state = record.savedState;
  }
  finishItemToggle(key);
  lastCounts.autoCheckTargets = autoCheckTargetCount();
  if (lastCounts.autoCheckTargets == 0 && autoCheckOn) {
    stopAutoCheck();
    setCommandText(IDM_TOGGLE_AUTOCHECK, 0);
    setStatusText("自動チェック停止");
  }
  refreshFileMenu();
}

void uncheckMismatches() {
  logOperation(":非チェックに設定");
  excludeChangedItems(store(), true);
  rebuildAfterControls();
  setStatusText("比較エラーになっている項目を「チェックしない」に設定");
}

void clearAllUnchecked() {
  logOperation(":非チェックを解除");
  excludeChangedItems(store(), false);
  rebuildAfterControls();
  setStatusText("全ての「チェックしない」を解除");
}

void makeDeletedItemsValid() {
  logOperation(":削除項目を有効項目にする");
  deletedToChanged(store());
  lastCounts = takeStatusCounts(store(), programOptions.entries[OPT_KEYS_ONLY] != 0);
  setCommandEnabled(IDM_DELETED_TO_VALID, false);
  rebuildAfterControls();
  setStatusText("全ての削除項目を有効な項目に設定し直しました。");
}

void resetControls() {
  logOperation(":制御の初期化");
  resetRules();
  loadRuleFiles();
  applyRulesToSnapshot();
  rebuildAfterControls();
  setStatusText("制御状態の初期化完了");
}

void copyBaselineControls() {
  logOperation(":基準データの制御で初期化");
  rebuildRulesFromSnapshot(true);
  applyRulesToSnapshot();
  rebuildAfterControls();
  setStatusText("基準データの制御状態で初期化完了");
}

void saveUserControls() {
  logOperation(":ユーザ制御情報を保存");
  if (platform::showMessage("今の制御状態をユーザ制御情報に保存します。\n"
                            "現在のユーザ制御情報を上書きします。保存していいですか？",
                            "ユーザ制御情報保存", platform::kMsgYesNo) != platform::kAnswerYes) {
    return;
  }
  // A write that failed left the previous file as it was; the user must know.
  if (!saveUserControl()) {
    platform::showMessage("ユーザ制御情報を保存できませんでした。", "ユーザ制御情報保存",
                          platform::kMsgOk | platform::kMsgIconError);
  }
}

void eraseUserControls() {
  logOperation(":ユーザ制御情報を保存");
  if (platform::showMessage("ユーザ制御情報消去して空にします。\n"
                            "現在のユーザ制御情報は無くなります。消去していいですか？",
                            "ユーザ制御情報消去", platform::kMsgYesNo) != platform::kAnswerYes) {
    return;
  }
  eraseUserControl();
}
