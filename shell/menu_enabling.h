// Which commands are enabled after each kind of view: one table, one row per command,
// one column per view a command can leave behind. The commands that change what the
// tree shows apply a column; new commands add rows here instead of id lists in code.
//
// Beside the table live the named rules the commands also run: the file menu's states
// from viewState and autoCheckOn, the clipboard command, and the change commands.
#pragma once

// The views a command leaves behind (viewState 0, 1, 3, 5 and 9).
enum class MenuView {
  kNothingShown,   // 0: nothing loaded (after close, or a failed baseline load)
  kBaselineOnly,   // 1: a baseline alone (opened, or auto-check data made)
  kFileCompared,   // 3: a baseline and a comparison file
  kLiveCompared,   // 5: a baseline compared with the live registry
  kFirstRead,      // 9: the registry read with nothing loaded before
};

// What the rows may depend on besides the view.
struct MenuFacts {
  bool changes = false;           // the comparison found changes
  bool deletedItems = false;      // the snapshot holds deleted keys or values
  bool autoCheckTargets = false;  // auto-check targets exist and no check runs
};

// Sets every row's state for `view`; cells that keep a state leave it alone.
void applyViewMenus(MenuView view, const MenuFacts& facts);

// Greys the six item commands (their meaning depends on the selected item).
void greyItemCommands();

// The file-related menu states from viewState and autoCheckOn.
void refreshFileMenu();
// Greys "クリップボードをクリア" once another program owns the clipboard.
void refreshClipboardCommand();
// The commands that need changes: 32812 enabled when `changed`, else 32812 and 32829
// greyed.
void setChangeCommands(bool changed);
