#include "shell/menu_enabling.h"

#include <windows.h>

#include "resources/command_ids.h"
#include "shell/app_state.h"
#include "shell/auto_check_log_commands.h"
#include "shell/menu_state.h"

namespace {

// One cell per view, in MenuView order. Codes:
//   '.' keep the state   '1' enable   '0' grey   'x' grey and uncheck (per-item toggles)
//   'c' enable when the comparison found changes
//   'd' enable when the snapshot holds deleted items
//   't' enable when auto-check targets exist and no check runs
struct EnablingRow {
  int id;
  char cells[6];
};

// clang-format off
constexpr EnablingRow kEnablingRows[] = {
    //                                 nothing, baseline, file, live, first read
    {IDM_CLOSE,                       "01111"},
    {IDM_SAVE,                        "001.."},
    {IDM_OPEN_COMPARISON,             "01..."},
    {IDM_TOGGLE_AUTOCHECK,            "0...."},
    {IDM_MAKE_AUTOCHECK_DATA,         "00.tt"},
    {IDM_COPY_KEY_NAME,               "0...."},
    {IDM_COPY_KEY_STRUCTURE,          "0...."},
    {IDM_COPY_VALUE,                  "0...."},
    {IDM_COPY_KEY_CHANGES,            "0...."},
    {IDM_COPY_ALL_CHANGES,            "0...."},
    {IDM_SEARCH,                      "01.11"},
    {IDM_SEARCH_MISSING_FILES,        "01.11"},
    {IDM_FIND_NEXT,                   "0...."},
    {IDM_END_SEARCH,                  "0...."},
    {IDM_COPY_SEARCH_RESULTS,         "0...."},
    {IDM_MARK,                        "01.11"},
    {IDM_UNDO_CHANGE,                 "0...."},
    {IDM_OPEN_ALL_EXCEPTIONS,         "00.00"},
    {IDM_CLOSE_ALL,                   "01.11"},
    {IDM_PROPERTIES,                  "0...."},
    {IDM_OPEN_ALL_CHANGES,            "0.ccc"},
    {IDM_OPEN_ADDED_DELETED,          "0.ccc"},
    {IDM_OPEN_DESCRIBED_ITEMS,        "01111"},
    {IDM_KEYS_ONLY,                   "01..."},
    {IDM_COMPARE_AGAIN,               "00110"},
    {IDM_UNCHECK_MISMATCHES,          "00cc0"},
    {IDM_CLEAR_ALL_UNCHECKED,         "01111"},
    {IDM_COPY_BASELINE_CONTROLS,      "00111"},
    {IDM_DELETED_TO_VALID,            "0dddd"},
    {IDM_OPEN_COPIED_KEY,             "01111"},
    // The commands whose meaning depends on the selected item: the selection enables them.
    {IDM_SHOW_ALL_IN_KEY,             "00000"},
    {IDM_OPEN_CHANGES_IN_KEY,         "00000"},
    {IDM_SHOW_VALUES_IN_KEY,          "00000"},
    {IDM_HIDE_ITEM,                   "00000"},
    {IDM_CLOSE_LEVEL,                 "00000"},
    {IDM_DESCRIBE_ITEM,               "00000"},
    // The per-item control toggles: the selection enables and checks them again.
    {IDM_NOT_READ,                    "xxx.."},
    {IDM_NOT_CHECKED,                 "xxx.."},
    {IDM_NOT_DISPLAYED,               "xxx.."},
    {IDM_SAME_NAME_NOT_CHECKED,       "xxx.."},
    {IDM_AUTOCHECK_TARGET,            "xxx.."},
};
// clang-format on

constexpr bool isKnownCell(char cell) {
  for (char known : {'.', '1', '0', 'x', 'c', 'd', 't'}) {
    if (cell == known) return true;
  }
  return false;
}

// A mistyped cell would leave a state silently unchanged, so the table is checked
// when it is compiled.
constexpr bool tableWellFormed() {
  for (const EnablingRow& row : kEnablingRows) {
    for (int column = 0; column < 5; ++column) {
      if (!isKnownCell(row.cells[column])) return false;
    }
    if (row.cells[5] != '\0') return false;
  }
  return true;
}
static_assert(tableWellFormed(), "every row has five known cells");

void applyCell(int id, char cell, const MenuFacts& facts) {
  switch (cell) {
    case '1': setCommandEnabled(id, true); break;
    case '0': setCommandEnabled(id, false); break;
    case 'x': setCommandState(id, false, false); break;
    case 'c': setCommandEnabled(id, facts.changes); break;
    case 'd': setCommandEnabled(id, facts.deletedItems); break;
    case 't': setCommandEnabled(id, facts.autoCheckTargets); break;
    default: break;  // '.': the state stays as the commands before left it
  }
}

// The commands whose meaning depends on the selected item; a command that removes or
// replaces the selection greys them until the next selection.
constexpr int kItemCommands[] = {IDM_SHOW_ALL_IN_KEY, IDM_OPEN_CHANGES_IN_KEY,
                                 IDM_SHOW_VALUES_IN_KEY, IDM_HIDE_ITEM,
                                 IDM_CLOSE_LEVEL, IDM_DESCRIBE_ITEM};

}  // namespace

void greyItemCommands() {
  for (int id : kItemCommands) setCommandEnabled(id, false);
}

void applyViewMenus(MenuView view, const MenuFacts& facts) {
  const int column = static_cast<int>(view);
  for (const EnablingRow& row : kEnablingRows) applyCell(row.id, row.cells[column], facts);
}

void refreshFileMenu() {
  if (autoCheckOn) {
    for (int id : {IDM_SAVE, IDM_MAKE_AUTOCHECK_DATA, IDM_CLEAR_AUTOCHECK_LOG,
                   IDM_SHOW_AUTOCHECK_LOG, IDM_RESET_CONTROLS, IDM_COPY_BASELINE_CONTROLS}) {
      setCommandEnabled(id, false);
    }
    return;
  }
  // A baseline shown alone is the file it came from: nothing new to save until a
  // command changes it (those commands enable saving themselves).
  setCommandEnabled(IDM_SAVE, viewState != VIEW_STATE_NOTHING &&
                                  viewState != VIEW_STATE_BASELINE_ONLY);
  setCommandEnabled(IDM_MAKE_AUTOCHECK_DATA, lastCounts.autoCheckTargets > 0);
  const bool logPresent = autoCheckLogPresent();
  setCommandEnabled(IDM_CLEAR_AUTOCHECK_LOG, logPresent);
  setCommandEnabled(IDM_SHOW_AUTOCHECK_LOG, logPresent);
  setCommandEnabled(IDM_RESET_CONTROLS, true);
  setCommandEnabled(IDM_COPY_BASELINE_CONTROLS,
                    (viewState & VIEW_BASELINE) != 0 && viewShowsComparison(viewState));
}

void refreshClipboardCommand() {
  if (clipboardOwned && GetClipboardOwner() != mainWindow) {
    setCommandEnabled(IDM_CLEAR_CLIPBOARD, false);
    clipboardOwned = false;
  }
}

void setChangeCommands(bool changed) {
  setCommandEnabled(IDM_COPY_ALL_CHANGES, changed);
  if (!changed) setCommandEnabled(IDM_UNDO_CHANGE, false);
}
