#include "dialogs/mark_edit_dialog.h"

#include "navigation/mark_list.h"
#include "resources/dialog_ids.h"
#include "resources/resource_ids.h"
#include "shell/app_state.h"

namespace {

struct EditRequest {
  std::string* heading;
  const std::string* path;
};

std::string enteredHeading(HWND dialog) {
  char text[kMarkHeadingBytes] = "";
  GetDlgItemTextA(dialog, IDC_MARK_HEADING, text, sizeof text);
  return text;
}

void updateOk(HWND dialog) {
  EnableWindow(GetDlgItem(dialog, IDOK), markHeadingAcceptable(enteredHeading(dialog).c_str()));
}

INT_PTR CALLBACK markEditDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      auto* request = reinterpret_cast<EditRequest*>(lParam);
      SetWindowLongPtrA(dialog, DWLP_USER, lParam);
      SendDlgItemMessageA(dialog, IDC_MARK_HEADING, EM_LIMITTEXT, kMarkHeadingBytes - 1, 0);
      const std::string& preset = *request->heading;
      const size_t kept = markHeadingLength(preset.data(), preset.size());
      SetDlgItemTextA(dialog, IDC_MARK_HEADING, preset.substr(0, kept).c_str());
      SetDlgItemTextA(dialog, IDC_MARK_PATH, request->path->c_str());
      updateOk(dialog);
      return TRUE;
    }
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDC_MARK_HEADING:
          if (HIWORD(wParam) == EN_CHANGE) updateOk(dialog);
          return TRUE;
        case IDOK: {
          const std::string heading = enteredHeading(dialog);
          if (!markHeadingAcceptable(heading.c_str())) return TRUE;
          *reinterpret_cast<EditRequest*>(GetWindowLongPtrA(dialog, DWLP_USER))->heading = heading;
          EndDialog(dialog, IDOK);
          return TRUE;
        }
        case IDCANCEL:
          EndDialog(dialog, IDCANCEL);
          return TRUE;
        default:
          return FALSE;
      }
    default:
      return FALSE;
  }
}

}  // namespace

bool editMarkHeading(HWND owner, std::string& heading, const std::string& path) {
  EditRequest request{&heading, &path};
  return DialogBoxParamA(hInstance, MAKEINTRESOURCEA(IDD_MARK_EDIT), owner, markEditDialogProc,
                         reinterpret_cast<LPARAM>(&request)) == IDOK;
}
