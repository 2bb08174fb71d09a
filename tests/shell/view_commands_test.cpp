// The view and settings commands driven through the real window on snapshots written
// to files and opened with the file commands: the whole-tree openings and their
// question, the openings inside a key and their level limit, closing, hiding, the
// display toggles, the comparison switches, the control commands with their rules and
// userCtrl.dat, and the option sheet.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <deque>

#include "engine/snapshot_store.h"
#include "platform/clipboard.h"
#include "resources/command_ids.h"
#include "resources/dialog_ids.h"
#include "rules/rule_store.h"
#include "rules/options.h"
#include "shell/app_state.h"
#include "shell/menu_state.h"
#include "shell/program_driver.h"
#include "shell/tree_view.h"
#include "tests/shell/shell_fixture.h"

namespace {

using namespace shell_test;

constexpr ItemIndex kClassesRoot = 0;
constexpr ItemIndex kCurrentUser = 2;

ItemIndex key(ItemIndex parent, const char* name) {
  return addKey(currentStore(), parent, kNoItem, name);
}
void values(ItemIndex owner, const char* prefix, int count, const char* data = "x") {
  for (int i = 0; i < count; ++i) {
    const ItemIndex v = addValue(currentStore(), owner, (prefix + std::to_string(1000 + i)).c_str());
    assignValueData(currentStore(), v, reinterpret_cast<const uint8_t*>(data), 2, kRegSz, true);
  }
}
ItemIndex find(ItemIndex parent, const char* name) {
  return findChild(currentStore(), parent, name, false);
}
bool expanded(ItemIndex k) {
  HTREEITEM item = itemOf(k);
  return item && (TreeView_GetItemState(treeWindow, item, TVIS_EXPANDED) & TVIS_EXPANDED);
}
int toolbarState(int id) {
  return static_cast<int>(SendMessageA(toolbarWindow, TB_GETSTATE, id, 0));
}

class ViewCommandsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { Session::get().start(""); }
  void SetUp() override {
    ASSERT_TRUE(session.running());
    session.messages.shown.clear();
    session.messages.answers.clear();
    setOptionDefaults(programOptions);  // whatever options.dat a folder held before
  }
  void open(int command, const char* name, const std::function<void()>& build) {
    openBuiltSnapshot(command, session.scratchPath(name), build);
  }
  // A baseline with a changed value, a key to be deleted and a value to be deleted,
  // compared with a current side adding `wide` keys under HKCU\Wide.
  void openComparison(int wide) {
    open(IDM_OPEN_BASELINE, "base.rsv", [] {
      const ItemIndex soft = key(kCurrentUser, "Soft");
      values(key(soft, "Changed"), "v", 1, "a");
      values(key(soft, "Gone"), "g", 1);
      key(kClassesRoot, ".txt");
    });
    open(IDM_OPEN_COMPARISON, "current.rsv", [wide] {
      const ItemIndex soft = key(kCurrentUser, "Soft");
      values(key(soft, "Changed"), "v", 1, "b");
      const ItemIndex w = key(kCurrentUser, "Wide");
      for (int i = 0; i < wide; ++i) key(w, ("k" + std::to_string(1000 + i)).c_str());
      key(kClassesRoot, ".txt");
    });
  }
  Session& session = Session::get();
};

TEST_F(ViewCommandsTest, WholeTreeOpeningsAskOnlyAboveTheWarnRows) {
  openComparison(994);
  ASSERT_EQ(countChangedItems(currentStore(), 5), 1000);
  EXPECT_EQ(toolbarState(IDM_OPEN_ALL_CHANGES) & TBSTATE_ENABLED, TBSTATE_ENABLED);
  runCommand(IDM_OPEN_ALL_CHANGES);
  EXPECT_TRUE(session.messages.shown.empty());
  EXPECT_EQ(newestLog(), ":変化分全て開く");
  EXPECT_EQ(statusText(), "");
  const ItemIndex soft = find(kCurrentUser, "Soft");
  EXPECT_TRUE(expanded(soft) && expanded(find(kCurrentUser, "Wide")));
  EXPECT_TRUE(menuItemGreyed(IDM_CLOSE_LEVEL));

  openComparison(995);  // 1001 items: the question, answered No, opens one level
  session.messages.answers.push_back(platform::kAnswerNo);
  runCommand(IDM_OPEN_ALL_CHANGES);
  ASSERT_EQ(session.messages.shown.size(), 1u);
  EXPECT_EQ(session.messages.shown[0].text, "1001 個もの沢山の項目があります。それでも開きますか？");
  EXPECT_EQ(session.messages.shown[0].caption, "変化分を全て開く");
  EXPECT_TRUE(expanded(kCurrentUser));
  EXPECT_FALSE(expanded(find(kCurrentUser, "Soft")));

  // Added and deleted only (999 items, no question): the changed value's key goes.
  runCommand(IDM_OPEN_ADDED_DELETED);
  EXPECT_EQ(newestLog(), ":追加・削除全て開く");
  EXPECT_NE(itemOf(find(find(kCurrentUser, "Soft"), "Gone")), nullptr);
  EXPECT_EQ(itemOf(find(find(kCurrentUser, "Soft"), "Changed")), nullptr);

  // Keys only: compared again, the counts of keys alone; back to everything.
  runCommand(IDM_KEYS_ONLY);
  EXPECT_EQ(statusText(), " 追加key 996, 削除key 1");
  EXPECT_TRUE(menuItemChecked(IDM_KEYS_ONLY));
  runCommand(IDM_KEYS_ONLY);
  runCommand(IDM_COMPARE_AGAIN);
  EXPECT_EQ(newestLog(), ":再比較");
  EXPECT_EQ(statusText(), " 追加key 996, 削除key 1, 不一致 1, 追加 0, 削除 0");

  // Deleted items made valid: the ghost key becomes a changed key, nothing is deleted.
  EXPECT_FALSE(menuItemGreyed(IDM_DELETED_TO_VALID));
  runCommand(IDM_DELETED_TO_VALID);
  EXPECT_EQ(statusText(), " 全ての削除項目を有効な項目に設定し直しました。");
  EXPECT_EQ(keyRecord(currentStore(), find(find(kCurrentUser, "Soft"), "Gone")).state,
            STATE_CHANGED_BELOW);
  EXPECT_TRUE(menuItemGreyed(IDM_DELETED_TO_VALID));
}

TEST_F(ViewCommandsTest, OpeningsInsideAKeyClosingHidingAndToggles) {
  open(IDM_OPEN_BASELINE, "levels.rsv", [] {
    const ItemIndex at200 = key(kCurrentUser, "L200");
    values(key(at200, "a"), "v", 99);
    values(key(at200, "b"), "v", 99);
    const ItemIndex at201 = key(kCurrentUser, "L201");
    values(key(at201, "a"), "v", 100);
    values(key(at201, "b"), "v", 99);
    values(key(kCurrentUser, "Plain"), "p", 1);
    key(key(key(3, "Soft"), "Inner"), "Deep");
  });
  const ItemIndex at200 = find(kCurrentUser, "L200"), at201 = find(kCurrentUser, "L201");
  revealItem(at200, 0);
  runCommand(IDM_SHOW_ALL_IN_KEY);  // 200 rows below: everything opens
  EXPECT_EQ(newestLog(), ":項目内を全て表示:A");
  EXPECT_TRUE(expanded(find(at200, "a")));
  revealItem(at201, 0);
  runCommand(IDM_SHOW_ALL_IN_KEY);  // 201 rows: one level
  EXPECT_EQ(newestLog(), ":項目内を全て表示:1");
  EXPECT_TRUE(expanded(at201));
  EXPECT_FALSE(expanded(find(at201, "a")));

  // Value items off and on again: the open keys stay open, the check follows.
  runCommand(IDM_SHOW_VALUES);
  EXPECT_EQ(newestLog(), ":値項目表示:0");
  EXPECT_FALSE(menuItemChecked(IDM_SHOW_VALUES));
  EXPECT_TRUE(expanded(at200));
  EXPECT_EQ(program_driver::childItemCount(itemOf(find(at200, "a"))), 0);  // values only
  revealItem(find(kCurrentUser, "Plain"), 0);
  runCommand(IDM_SHOW_VALUES_IN_KEY);
  EXPECT_EQ(newestLog(), ":キー内のデータ項目を表示");
  EXPECT_EQ(program_driver::childItemCount(itemOf(find(kCurrentUser, "Plain"))), 1);
  runCommand(IDM_SHOW_VALUES);
  EXPECT_TRUE(menuItemChecked(IDM_SHOW_VALUES) && expanded(find(at200, "a")));
  EXPECT_EQ(program_driver::childItemCount(itemOf(find(at200, "a"))), 99);

  // Closing the level of a key, then of a top-level key (only the command greys).
  revealItem(find(at201, "a"), 0);
  runCommand(IDM_CLOSE_LEVEL);
  EXPECT_EQ(newestLog(), ":階層を閉じる:K:" + hexOf(at201));
  EXPECT_FALSE(expanded(at201));
  EXPECT_EQ(currentItem, at201);
  selectItem(kCurrentUser, false);
  EXPECT_TRUE(menuItemGreyed(IDM_CLOSE_LEVEL));
  runCommand(IDM_CLOSE_LEVEL);
  EXPECT_TRUE(expanded(kCurrentUser));

  // Esc hides the selected key; F2 goes to the key name on the clipboard.
  selectItem(at200, false);
  SendMessageA(treeWindow, WM_KEYDOWN, VK_ESCAPE, 0);
  pumpUntil([&] { return itemOf(at200) == nullptr; }, 5000);
  EXPECT_EQ(itemOf(at200), nullptr);
  ASSERT_TRUE(platform::copyTextToClipboard("HKEY_LOCAL_MACHINE\\Soft\\Inner\\Deep"));
  SendMessageA(treeWindow, WM_KEYDOWN, VK_F2, 0);
  const ItemIndex deep = find(find(find(3, "Soft"), "Inner"), "Deep");
  pumpUntil([&] { return currentItem == deep; }, 5000);
  EXPECT_NE(itemOf(deep), nullptr);
  EXPECT_EQ(currentItem, deep);

  runCommand(IDM_CLOSE_ALL);
  EXPECT_EQ(childItems(TVI_ROOT).size(), 5u);
  EXPECT_FALSE(expanded(kCurrentUser));
  open(IDM_OPEN_BASELINE, "roots.rsv", [] {});
  runCommand(IDM_CLOSE_ALL);  // roots without children: nothing to show
  EXPECT_TRUE(childItems(TVI_ROOT).empty());
}

TEST_F(ViewCommandsTest, ControlCommandsChangeStatesChecksRulesAndTheUserFile) {
  openComparison(2);
  const ItemIndex changed = find(find(kCurrentUser, "Soft"), "Changed");
  const KeyRecord& record = keyRecord(currentStore(), changed);
  struct Toggle {
    int id;
    uint8_t state;
    const char* onTag;
    const char* offTag;
    uint8_t stateAfter;
  };
  const Toggle toggles[] = {
      {IDM_NOT_CHECKED, STATE_NOT_CHECKED, ":チェックしない:", ":チェックする:", 5},
      {IDM_NOT_DISPLAYED, STATE_HIDDEN, ":表示しない:", ":表示する:", 5},
      {IDM_NOT_READ, STATE_NOT_READ, ":取込まない:", ":取込む:", 0},
  };
  for (const Toggle& toggle : toggles) {
    revealItem(changed, 0);
    runCommand(toggle.id);
    EXPECT_EQ(record.state, toggle.state) << toggle.onTag;
    EXPECT_EQ(itemImage(itemOf(changed)), toggle.state);
    EXPECT_TRUE(menuItemChecked(toggle.id));
    EXPECT_EQ(newestLog(), toggle.onTag + hexOf(changed));
    runCommand(toggle.id);
    EXPECT_EQ(record.state, toggle.stateAfter) << toggle.offTag;
    EXPECT_FALSE(menuItemChecked(toggle.id));
    EXPECT_EQ(newestLog(), toggle.offTag + hexOf(changed));
  }
  // The last toggle is the user's rule for the key now (code 0 again: checked).
  runCommand(IDM_NOT_CHECKED);
  const RuleIndex rule = findRuleChild(findRuleChild(findRuleChild(-1, "HKEY_CURRENT_USER"), "Soft"),
                                       "Changed");
  ASSERT_GE(rule, 0);
  EXPECT_EQ(ruleNode(rule).code, STATE_NOT_CHECKED);
  EXPECT_TRUE(menuItemGreyed(IDM_AUTOCHECK_TARGET));
  runCommand(IDM_NOT_CHECKED);
  runCommand(IDM_AUTOCHECK_TARGET);
  EXPECT_EQ(itemImage(itemOf(changed)), 13);
  EXPECT_FALSE(menuItemGreyed(IDM_MAKE_AUTOCHECK_DATA));
  runCommand(IDM_AUTOCHECK_TARGET);
  EXPECT_TRUE(menuItemGreyed(IDM_MAKE_AUTOCHECK_DATA));

  // A value: not checked and back to a plain value.
  const ItemIndex value = findChild(currentStore(), changed, "v1000", true);
  revealItem(value, 1);
  runCommand(IDM_NOT_CHECKED);
  EXPECT_EQ(itemImage(itemOf(value)), 12);
  runCommand(IDM_NOT_CHECKED);
  EXPECT_EQ(valueRecord(currentStore(), value & 0x7FFFFFFF).state, STATE_DATA);

  // Whole-snapshot commands: mismatches excluded, the exceptions opened, all back.
  runCommand(IDM_UNCHECK_MISMATCHES);
  EXPECT_EQ(statusText(), " 比較エラーになっている項目を「チェックしない」に設定");
  EXPECT_EQ(keyRecord(currentStore(), find(kCurrentUser, "Wide")).state, STATE_NOT_CHECKED);
  EXPECT_FALSE(menuItemGreyed(IDM_OPEN_ALL_EXCEPTIONS));
  runCommand(IDM_OPEN_ALL_EXCEPTIONS);
  EXPECT_EQ(newestLog(), ":全て開く");
  EXPECT_TRUE(expanded(find(kCurrentUser, "Soft")));
  runCommand(IDM_CLEAR_ALL_UNCHECKED);
  EXPECT_EQ(statusText(), " 全ての「チェックしない」を解除");
  EXPECT_EQ(keyRecord(currentStore(), find(kCurrentUser, "Wide")).state, STATE_ADDED);
  runCommand(IDM_COPY_BASELINE_CONTROLS);
  EXPECT_EQ(statusText(), " 基準データの制御状態で初期化完了");
  runCommand(IDM_RESET_CONTROLS);
  EXPECT_EQ(statusText(), " 制御状態の初期化完了");

  // userCtrl.dat: No writes nothing, Yes writes it, erasing deletes it.
  const std::string file = session.folder() + "userCtrl.dat";
  DeleteFileA(file.c_str());
  session.messages.answers = {platform::kAnswerNo, platform::kAnswerYes, platform::kAnswerYes};
  runCommand(IDM_SAVE_USER_CONTROLS);
  EXPECT_EQ(GetFileAttributesA(file.c_str()), INVALID_FILE_ATTRIBUTES);
  runCommand(IDM_SAVE_USER_CONTROLS);
  EXPECT_NE(GetFileAttributesA(file.c_str()), INVALID_FILE_ATTRIBUTES);
  runCommand(IDM_ERASE_USER_CONTROLS);
  EXPECT_EQ(GetFileAttributesA(file.c_str()), INVALID_FILE_ATTRIBUTES);
  ASSERT_EQ(session.messages.shown.size(), 3u);
  EXPECT_EQ(session.messages.shown[2].caption, "ユーザ制御情報消去");
  EXPECT_EQ(newestLog(), ":ユーザ制御情報を保存");
}

// The option sheet, driven a step a tick inside its own message loop.
const char kSheet[] = "オプション";
HWND sheetPage() { return PropSheet_GetCurrentPageHwnd(FindWindowA(nullptr, kSheet)); }
void press(HWND sheet, int button) { PropSheet_PressButton(sheet, button); }
void type(int control, const char* text) { SetDlgItemTextA(sheetPage(), control, text); }
void click(int control) { SendDlgItemMessageA(sheetPage(), control, BM_CLICK, 0, 0); }
void otherPage(HWND sheet) { PropSheet_SetCurSel(sheet, nullptr, 1); }
void driveSheet(std::deque<std::function<void(HWND)>> actions) {
  std::deque<DialogStep> steps;
  for (auto& action : actions) steps.emplace_back(kSheet, std::move(action));
  driveDialogs([] { runCommand(IDM_OPTIONS); }, std::move(steps));
}

TEST_F(ViewCommandsTest, OptionSheetRefusesBadNumbersAndRegroupsAShownComparison) {
  openComparison(2);
  programOptions.entries[OPT_NO_CLASS_INFO] = 1;
  optionsDirty = false;
  session.dialogs.answers.push_back(std::string("C:\\data\\Save-Folder-Path"));
  bool groupingFollowed = false;
  driveSheet({
      [&](HWND) {  // the grouping box follows the class information box
        const HWND grouping = GetDlgItem(sheetPage(), IDC_OPTIONS_GROUP_CLASS_INFO);
        groupingFollowed = !IsWindowEnabled(grouping);
        click(IDC_OPTIONS_READ_CLASS_INFO);
        groupingFollowed = groupingFollowed && IsWindowEnabled(grouping);
        click(IDC_OPTIONS_GROUP_CLASS_INFO);
        click(IDC_OPTIONS_CHOOSE_FOLDER);
      },
      otherPage,
      [](HWND sheet) { type(IDC_OPTIONS_WARN_ROWS, "5"), press(sheet, PSBTN_OK); },
      [](HWND sheet) { type(IDC_OPTIONS_WARN_ROWS, "10"), press(sheet, PSBTN_OK); },
  });
  EXPECT_TRUE(groupingFollowed);
  ASSERT_EQ(session.messages.shown.size(), 1u);
  EXPECT_EQ(session.messages.shown[0].text, "設定値が正しくありません。正しい数値を入力して下さい。");
  EXPECT_EQ(programOptions.entries[openWarnRows], 10);
  EXPECT_EQ(std::string(programOptions.dataFolder), "C:\\data\\");
  EXPECT_EQ(programOptions.entries[OPT_GROUP_CLASS_INFO], 1);
  EXPECT_TRUE(optionsDirty);
  EXPECT_EQ(newestLog(), ":オプション設定");
  // HKEY_CLASSES_ROOT\.txt now lies under the extensions' grouping key.
  EXPECT_NE(find(kClassesRoot, "!.File Extensions"), kNoItem);
  EXPECT_EQ(find(kClassesRoot, ".txt"), kNoItem);

  const ProgramOptions accepted = programOptions;
  driveSheet({otherPage, [](HWND sheet) {
                type(IDC_OPTIONS_LEVEL_ROWS, "500"), press(sheet, PSBTN_CANCEL);
              }});
  EXPECT_EQ(std::memcmp(&accepted, &programOptions, sizeof accepted), 0);
  EXPECT_EQ(newestLog(), ":オプション設定,キャンセル");
  optionsDirty = false;  // the test's settings are not the next run's
  runCommand(IDM_CLOSE);
}

}  // namespace
