#include "dialogs/mark_list_dialog.h"

#include <windows.h>

#include "dialogs/mark_edit_dialog.h"
#include "navigation/mark_list.h"
#include "resources/dialog_ids.h"
#include "resources/resource_ids.h"
#include "shell/app_state.h"
#include "text/cp932.h"

namespace {

struct MarkDialogState {
  const std::string* itemPath;
  const std::string* itemHeading;
  int chosen;  // table index of the chosen mark, -1 for none
};

MarkDialogState& stateOf(HWND dialog) {
  return *reinterpret_cast<MarkDialogState*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

HWND headingList(HWND dialog) { return GetDlgItem(dialog, IDC_MARK_HEADINGS); }

int listCount(HWND dialog) {
  return static_cast<int>(SendMessageA(headingList(dialog), LB_GETCOUNT, 0, 0));
}

int markAt(HWND dialog, int position) {
  return static_cast<int>(SendMessageA(headingList(dialog), LB_GETITEMDATA, position, 0));
}

void fillHeadings(HWND dialog) {
  HWND list = headingList(dialog);
  SendMessageA(list, LB_RESETCONTENT, 0, 0);
  const MarkList& marks = markList();
  for (int i = 0; i < marks.count; ++i) {
    const LRESULT position =
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(marks.marks[i].heading));
    if (position >= 0) SendMessageA(list, LB_SETITEMDATA, position, i);
  }
}

void updateButtons(HWND dialog) {
  const MarkDialogState& state = stateOf(dialog);
  const MarkList& marks = markList();
  const bool editable = marks.noUpdate == 0;
  EnableWindow(GetDlgItem(dialog, IDC_MARK_ADD),
               editable && marks.count < kMaxMarks && !state.itemPath->empty());
  EnableWindow(GetDlgItem(dialog, IDOK), state.chosen >= 0);
  EnableWindow(GetDlgItem(dialog, IDC_MARK_RENAME), editable && state.chosen >= 0);
  EnableWindow(GetDlgItem(dialog, IDC_MARK_DELETE), editable && state.chosen >= 0);
}

// Chooses the mark of table index `index` (-1: none): selects its heading and shows
// its path.
void chooseMark(HWND dialog, int index) {
  MarkDialogState& state = stateOf(dialog);
  state.chosen = index >= 0 && index < markList().count ? index : -1;
  int position = -1;
  for (int at = 0; state.chosen >= 0 && at < listCount(dialog); ++at) {
    if (markAt(dialog, at) == state.chosen) position = at;
  }
  SendMessageA(headingList(dialog), LB_SETCURSEL, position, 0);
  SetDlgItemTextA(dialog, IDC_MARK_PATH, state.chosen >= 0 ? markList().marks[state.chosen].path : "");
  updateButtons(dialog);
}

void initialise(HWND dialog) {
  fillHeadings(dialog);
  CheckDlgButton(dialog, IDC_MARK_NO_UPDATE, markList().noUpdate ? BST_CHECKED : BST_UNCHECKED);
  const std::string& itemPath = *stateOf(dialog).itemPath;
  int preselected = -1;
  for (int at = 0; !itemPath.empty() && preselected < 0 && at < listCount(dialog); ++at) {
    const int index = markAt(dialog, at);
    if (cp932::compareNames(markList().marks[index].path, itemPath.c_str()) == 0) preselected = index;
  }
  chooseMark(dialog, preselected);
}

void addSelectedItem(HWND dialog) {
  MarkDialogState& state = stateOf(dialog);
  std::string heading = *state.itemHeading;
  if (!editMarkHeading(dialog, heading, *state.itemPath)) return;
  if (addMark(markList(), heading.c_str(), *state.itemPath) < 0) return;
  fillHeadings(dialog);
  chooseMark(dialog, state.chosen);
}

void renameChosen(HWND dialog) {
  const int chosen = stateOf(dialog).chosen;
  if (chosen < 0) return;
  std::string heading = markList().marks[chosen].heading;
  if (!editMarkHeading(dialog, heading, markList().marks[chosen].path)) return;
  if (!renameMark(markList(), chosen, heading.c_str())) return;
  fillHeadings(dialog);
  chooseMark(dialog, chosen);
}

// The heading that takes the deleted one's place in the list is chosen next.
void deleteChosen(HWND dialog) {
  const int chosen = stateOf(dialog).chosen;
  const int position = static_cast<int>(SendMessageA(headingList(dialog), LB_GETCURSEL, 0, 0));
  if (chosen < 0 || !deleteMark(markList(), chosen)) return;
  fillHeadings(dialog);
  chooseMark(dialog, position >= 0 && position < listCount(dialog) ? markAt(dialog, position) : -1);
}

bool handleCommand(HWND dialog, int id, int code) {
  switch (id) {
    case IDC_MARK_HEADINGS:
      // A double click jumps to the heading it hit, whatever was chosen before.
      if (code == LBN_SELCHANGE || code == LBN_DBLCLK) {
        const int position = static_cast<int>(SendMessageA(headingList(dialog), LB_GETCURSEL, 0, 0));
        chooseMark(dialog, position >= 0 ? markAt(dialog, position) : -1);
      }
      if (code == LBN_DBLCLK && stateOf(dialog).chosen >= 0) EndDialog(dialog, IDOK);
      return true;
    case IDOK:
      if (stateOf(dialog).chosen >= 0) EndDialog(dialog, IDOK);
      return true;
    case IDCANCEL: EndDialog(dialog, IDCANCEL); return true;
    case IDC_MARK_ADD: addSelectedItem(dialog); return true;
    case IDC_MARK_RENAME: renameChosen(dialog); return true;
    case IDC_MARK_DELETE: deleteChosen(dialog); return true;
    case IDC_MARK_NO_UPDATE:
      setMarkNoUpdate(markList(), IsDlgButtonChecked(dialog, IDC_MARK_NO_UPDATE) == BST_CHECKED);
      updateButtons(dialog);
      return true;
    default: return false;
  }
}

INT_PTR CALLBACK markListDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      SetWindowLongPtrA(dialog, DWLP_USER, lParam);
      initialise(dialog);
      return TRUE;
    case WM_COMMAND: return handleCommand(dialog, LOWORD(wParam), HIWORD(wParam)) ? TRUE : FALSE;
    default: return FALSE;
  }
}

}  // namespace

int showMarkListDialog(const std::string& itemPath, const std::string& itemHeading) {
  MarkDialogState state{&itemPath, &itemHeading, -1};
  const INT_PTR result = DialogBoxParamA(hInstance, MAKEINTRESOURCEA(IDD_MARK_LIST), mainWindow,
                                         markListDialogProc, reinterpret_cast<LPARAM>(&state));
  return result == IDOK ? state.chosen : -1;
}
