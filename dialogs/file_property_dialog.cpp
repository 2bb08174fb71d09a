#include "dialogs/file_property_dialog.h"

#include "platform/clipboard.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/shell_execute.h"
#include "resources/dialog_ids.h"
#include "resources/resource_ids.h"
#include "shell/app_state.h"
#include "text/file_properties.h"

namespace {

// Field of each version string, in VersionString order.
constexpr int kVersionControls[kVersionStringCount] = {
    IDC_FILE_DESCRIPTION,  IDC_FILE_COPYRIGHT,     IDC_FILE_COMMENTS,        IDC_FILE_SPECIAL_BUILD,
    IDC_FILE_PRIVATE_BUILD, IDC_FILE_COMPANY,      IDC_FILE_LANGUAGE,        IDC_FILE_TRADEMARKS,
    IDC_FILE_ORIGINAL_NAME, IDC_FILE_PRODUCT_NAME, IDC_FILE_PRODUCT_VERSION, IDC_FILE_VERSION,
    IDC_FILE_INTERNAL_NAME,
};

// Remembered while the program runs.
struct Placement {
  HWND window = nullptr;
  bool placed = false;  // position and size below are known
  POINT position{};
  WindowSize size{};
  WindowSize initial{};  // the largest size the dialog may take
};
Placement placement;
// The file shown; released when the dialog closes.
FileDescription shownFile;

void fillFileDialog(HWND dialog, const FileDescription& d) {
  SetDlgItemTextA(dialog, IDC_FILE_FOLDER, d.folder.c_str());
  SetDlgItemTextA(dialog, IDC_FILE_NAME, d.name.c_str());
  SetDlgItemTextA(dialog, IDC_FILE_TIMES, d.timeLine.c_str());
  SetDlgItemTextA(dialog, IDC_FILE_SIZE, d.sizeLine.c_str());
  SetDlgItemTextA(dialog, IDC_FILE_TYPE, d.typeText.c_str());
  SetDlgItemTextA(dialog, IDC_FILE_ATTRIBUTES, d.attributeText.c_str());
  for (int i = 0; i < kVersionStringCount; ++i) {
    SetDlgItemTextA(dialog, kVersionControls[i], d.version[i].c_str());
  }
  EnableWindow(GetDlgItem(dialog, IDC_FILE_EXPLORE), d.found);
}

void explore(const FileDescription& d) {
  platform::copyTextToClipboard(d.name.c_str());
  platform::shellExecute("explore", d.folder.c_str());
}

void rememberPlacement(HWND dialog) {
  if (IsIconic(dialog)) return;
  RECT r;
  if (!GetWindowRect(dialog, &r)) return;
  placement.placed = true;
  placement.position = POINT{r.left, r.top};
  placement.size = WindowSize{r.right - r.left, r.bottom - r.top};
}

INT_PTR CALLBACK fileDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return TRUE;
    case WM_GETMINMAXINFO:
      if (placement.initial.width > 0) {
        auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
        info->ptMaxTrackSize = POINT{placement.initial.width, placement.initial.height};
      }
      return TRUE;
    case WM_MOVE:
    case WM_SIZE:
      if (placement.window == dialog) rememberPlacement(dialog);
      return FALSE;
    case WM_CLOSE:
      DestroyWindow(dialog);
      return TRUE;
    case WM_DESTROY:
      placement.window = nullptr;
      if (modelessDialog == dialog) modelessDialog = nullptr;
      shownFile = FileDescription();
      return FALSE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
        case IDCANCEL:
          DestroyWindow(dialog);
          return TRUE;
        case IDC_FILE_EXPLORE:
          explore(shownFile);
          return TRUE;
        default:
          return FALSE;
      }
    default:
      return FALSE;
  }
}

HWND createFileDialog() {
  HWND dialog = CreateDialogParamA(hInstance, MAKEINTRESOURCEA(IDD_FILE_PROPERTIES), mainWindow,
                                   fileDialogProc, 0);
  if (!dialog) return nullptr;
  RECT r;
  GetWindowRect(dialog, &r);
  placement.initial = WindowSize{r.right - r.left, r.bottom - r.top};
  if (placement.placed) {
    const WindowSize size = limitWindowSize(placement.size, placement.initial);
    SetWindowPos(dialog, nullptr, placement.position.x, placement.position.y, size.width,
                 size.height, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  placement.window = dialog;
  modelessDialog = dialog;
  return dialog;
}

}  // namespace

HWND filePropertiesWindow() { return placement.window; }

void showFileProperties(const char* text) {
  if (!text) return;
  HWND dialog = placement.window ? placement.window : createFileDialog();
  if (!dialog) return;
  shownFile = describeFile(text, platform::programFolder(), platform::localTimeNow());
  fillFileDialog(dialog, shownFile);
  if (IsIconic(dialog)) ShowWindow(dialog, SW_RESTORE);
  ShowWindow(dialog, SW_SHOW);
}
