#include "dialogs/key_property_dialog.h"

#include <windows.h>

#include "dialogs/dialog_fields.h"
#include "resources/dialog_ids.h"
#include "resources/resource_ids.h"
#include "rules/options.h"
#include "search/search_flags.h"
#include "shell/app_state.h"
#include "text/item_properties.h"

namespace {

// Field of each count, in KeyCountField order.
constexpr int kCountControls[kKeyCountFields] = {
    IDC_KEY_SUBKEYS,      IDC_KEY_VALUES,       IDC_KEY_BYTES,        IDC_KEY_TOTAL_SUBKEYS,
    IDC_KEY_TOTAL_VALUES, IDC_KEY_TOTAL_BYTES,  IDC_KEY_REFUSED,      IDC_KEY_ADDED,
    IDC_KEY_DELETED,      IDC_KEY_CHANGED,      IDC_KEY_VALUES_ADDED, IDC_KEY_VALUES_DELETED,
    IDC_KEY_SEARCH_HITS,
};

void fillKeyDialog(HWND dialog, const KeyProperties& p) {
  SetWindowTextA(dialog, p.title.c_str());
  SetDlgItemTextA(dialog, IDC_KEY_NAME, p.name.c_str());
  SetDlgItemTextA(dialog, IDC_KEY_PATH, p.path.c_str());
  for (int i = 0; i < kKeyCountFields; ++i) {
    SetDlgItemTextA(dialog, kCountControls[i], p.counts[i].c_str());
  }
  SetDlgItemTextA(dialog, IDC_KEY_TIME, p.timeText.c_str());
  EnableWindow(GetDlgItem(dialog, IDC_KEY_TIME_LABEL), !p.timeText.empty());
}

INT_PTR CALLBACK keyDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      SetWindowLongPtrA(dialog, DWLP_USER, lParam);
      fillKeyDialog(dialog, *reinterpret_cast<const KeyProperties*>(lParam));
      // The focus on 閉じる, so that no field starts with all its text selected (the
      // search buttons search for a selection).
      SetFocus(GetDlgItem(dialog, IDOK));
      return FALSE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
        case IDCANCEL:
          EndDialog(dialog, LOWORD(wParam));
          return TRUE;
        case IDC_KEY_SEARCH: {
          const auto* p = reinterpret_cast<const KeyProperties*>(GetWindowLongPtrA(dialog, DWLP_USER));
          const FieldSelection fields[] = {editSelection(dialog, IDC_KEY_NAME),
                                           editSelection(dialog, IDC_KEY_PATH)};
          startSearchFor(chooseSelectedText(fields, 2, p ? p->name : std::string(),
                                            static_cast<size_t>(kSearchTextMax)));
          EndDialog(dialog, IDOK);
          return TRUE;
        }
        default:
          return FALSE;
      }
    default:
      return FALSE;
  }
}

}  // namespace

void showKeyProperties(ItemIndex key) {
  // The time is read before the dialog opens, so a registry error box comes first.
  const KeyProperties shown =
      describeKey(currentStore(), baselineStore(), key, viewState,
                  programOptions.entries[OPT_KEYS_ONLY] != 0, searchResultsShown);
  DialogBoxParamA(hInstance, MAKEINTRESOURCEA(IDD_KEY_PROPERTIES), mainWindow, keyDialogProc,
                  reinterpret_cast<LPARAM>(&shown));
}
