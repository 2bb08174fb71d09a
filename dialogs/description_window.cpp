#include "dialogs/description_window.h"

#include "resources/dialog_ids.h"
#include "resources/resource_ids.h"
#include "shell/app_state.h"

namespace {

HWND window = nullptr;

void fitText(HWND dialog) {
  RECT client;
  GetClientRect(dialog, &client);
  MoveWindow(GetDlgItem(dialog, IDC_DESCRIPTION_TEXT), 0, 0, client.right, client.bottom, TRUE);
}

INT_PTR CALLBACK descriptionProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      fitText(dialog);
      return TRUE;
    case WM_SIZE:
      fitText(dialog);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDCANCEL || LOWORD(wParam) == IDOK) DestroyWindow(dialog);
      return TRUE;
    case WM_CLOSE:
      DestroyWindow(dialog);
      return TRUE;
    case WM_DESTROY:
      if (window == dialog) window = nullptr;
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace

void showDescriptionWindow(const char* title, const std::string& text, POINT anchor) {
  if (!window) {
    window = CreateDialogParamA(hInstance, MAKEINTRESOURCEA(IDD_ITEM_DESCRIPTION), mainWindow,
                                descriptionProc, 0);
    if (!window) return;
    SetWindowPos(window, nullptr, anchor.x, anchor.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  SetWindowTextA(window, title);
  SetDlgItemTextA(window, IDC_DESCRIPTION_TEXT, text.c_str());
  ShowWindow(window, SW_SHOWNORMAL);
}

HWND descriptionWindow() { return window; }

void destroyDescriptionWindow() {
  if (window) DestroyWindow(window);
  window = nullptr;
}
