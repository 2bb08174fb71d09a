#include "dialogs/status_dialog.h"

#include <windows.h>

#include "engine/snapshot_store.h"
#include "resources/dialog_ids.h"
#include "resources/resource_ids.h"
#include "rules/options.h"
#include "shell/app_state.h"
#include "shell/status_line.h"
#include "text/value_text.h"

namespace {

constexpr int kNumberWidth = 9;

void setNumber(HWND dialog, int control, int64_t value) {
  char text[kGroupedNumberBytes];
  SetDlgItemTextA(dialog, control, formatGroupedNumber(text, sizeof text, value, kNumberWidth));
}

void fillStatusControls(HWND dialog) {
  const bool keysOnly = programOptions.entries[OPT_KEYS_ONLY] != 0;
  const StatusCounts counts = takeStatusCounts(currentStore(), keysOnly);
  SetDlgItemTextA(dialog, IDC_STATUS_BASELINE, baselineLabel.c_str());
  SetDlgItemTextA(dialog, IDC_STATUS_COMPARISON, comparisonLabel.c_str());
  setNumber(dialog, IDC_STATUS_KEYS, counts.keys);
  setNumber(dialog, IDC_STATUS_VALUES, counts.values);
  setNumber(dialog, IDC_STATUS_KILOBYTES, (counts.bytes + 512) / 1024);
  setNumber(dialog, IDC_STATUS_NOT_READ, counts.notRead);
  setNumber(dialog, IDC_STATUS_NOT_CHECKED, counts.notChecked);
  setNumber(dialog, IDC_STATUS_NOT_DISPLAYED, counts.hidden);
  setNumber(dialog, IDC_STATUS_REFUSED, counts.refused);
  setNumber(dialog, IDC_STATUS_ADDED_KEYS, counts.addedKeys);
  setNumber(dialog, IDC_STATUS_DELETED_KEYS, counts.deletedKeys);
  // Value comparisons do not exist when only the key structure is compared.
  if (keysOnly) return;
  setNumber(dialog, IDC_STATUS_MISMATCHED_VALUES, counts.changedValues);
  setNumber(dialog, IDC_STATUS_ADDED_VALUES, counts.addedValues);
  setNumber(dialog, IDC_STATUS_DELETED_VALUES, counts.deletedValues);
}

INT_PTR CALLBACK statusDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      fillStatusControls(dialog);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, LOWORD(wParam));
        return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace

void showStatusInformation() {
  DialogBoxParamA(hInstance, MAKEINTRESOURCEA(IDD_STATUS_INFORMATION), mainWindow,
                  statusDialogProc, 0);
}
