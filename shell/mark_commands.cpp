#include "shell/mark_commands.h"

#include <windows.h>

#include "dialogs/mark_list_dialog.h"
#include "navigation/mark_list.h"
#include "navigation/mark_path.h"
#include "shell/status_line.h"
#include "shell/tree_view.h"
#include "text/operation_log.h"

void markCommand() {
  logOperation(":マーク");
  SnapshotStore& store = currentStore();
  const std::string path = currentItem != kNoItem ? buildMarkPath(store, currentItem) : "";
  const std::string heading = path.empty() ? "" : defaultMarkHeading(store, currentItem);
  const int chosen = showMarkListDialog(path, heading);
  if (chosen >= 0) jumpToMark(chosen);
}

void jumpToMark(int index) {
  const MarkList& marks = markList();
  if (index < 0 || index >= marks.count) return;
  const ItemIndex found = resolveMarkPath(currentStore(), marks.marks[index].path);
  if (found == kNoItem) {
    setStatusText("マークの該当項目が見付かりません。");
    MessageBeep(MB_ICONEXCLAMATION);
    return;
  }
  revealItem(found, (static_cast<uint32_t>(found) & kValueItemBit) ? 1 : 0);
  showItemPath(found);
}
