#include "dialogs/version_dialog.h"

#include <windows.h>
#include <shellapi.h>

#include "resources/dialog_ids.h"
#include "resources/resource_ids.h"
#include "resources/version.h"
#include "shell/app_state.h"
#include "shell/status_line.h"

namespace {

constexpr char kSupportPage[] = KESTRIN_SUPPORT_PAGE;

INT_PTR CALLBACK versionDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG: {
      HICON icon = LoadIconA(hInstance, MAKEINTRESOURCEA(IDI_PROGRAM));
      if (icon) {
        SendDlgItemMessageA(dialog, IDC_VERSION_ICON, STM_SETICON,
                            reinterpret_cast<WPARAM>(icon), 0);
      }
      return TRUE;
    }
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDC_VERSION_SUPPORT_PAGE:
          ShellExecuteA(dialog, "open", kSupportPage, nullptr, nullptr, SW_SHOWNORMAL);
          return TRUE;
        case IDOK:
        case IDCANCEL:
          EndDialog(dialog, LOWORD(wParam));
          return TRUE;
        default:
          return FALSE;
      }
    default:
      return FALSE;
  }
}

}  // namespace

void showVersionDialog() {
  DialogBoxParamA(hInstance, MAKEINTRESOURCEA(IDD_VERSION), mainWindow, versionDialogProc, 0);
}
