#include "dialogs/value_property_dialog.h"

#include <windows.h>

#include <algorithm>

#include "dialogs/dialog_fields.h"
#include "dialogs/key_property_dialog.h"
#include "engine/store_walk.h"
#include "platform/message_box.h"
#include "resources/dialog_ids.h"
#include "resources/resource_ids.h"
#include "rules/options.h"
#include "search/search_flags.h"
#include "shell/app_state.h"
#include "shell/feature_hooks.h"
#include "text/item_properties.h"
#include "text/value_text.h"

namespace {

// The whole value text taken by ファイル情報 when nothing is selected.
constexpr size_t kFileTextLimit = 4095;
constexpr char kNoFileText[] =
    "ファイル名相当の文字列が見付かりません。\nファイル名に該当する範囲を選択し直すか、或いは"
    "選択を解除して下さい。";

struct ValueDialog {
  ItemIndex value;  // plain index in the current store
  ValueProperties shown;
  bool refreshOnActivate = false;  // the registry editor was started
};

void setSide(HWND dialog, const ValueSide& side, int type, int size, int data) {
  SetDlgItemTextA(dialog, type, side.typeName.c_str());
  SetDlgItemTextA(dialog, size, side.sizeText.c_str());
  SetDlgItemTextA(dialog, data, side.dataText.c_str());
}

void fillValueDialog(HWND dialog, const ValueDialog& state) {
  const ValueProperties& p = state.shown;
  for (int id : {IDC_VALUE_DATA, IDC_VALUE_BASE_DATA}) {
    if (HWND field = GetDlgItem(dialog, id)) {
      SendMessageA(field, WM_SETFONT, reinterpret_cast<WPARAM>(fixedPitchFont()), FALSE);
      SendMessageA(field, EM_SETLIMITTEXT, 0, 0);
    }
  }
  SetDlgItemTextA(dialog, IDC_VALUE_NAME, p.name.c_str());
  SetDlgItemTextA(dialog, IDC_VALUE_KEY_PATH, p.keyPath.c_str());
  setSide(dialog, p.current, IDC_VALUE_TYPE, IDC_VALUE_SIZE, IDC_VALUE_DATA);
  if (p.baselineForm) {
    setSide(dialog, p.baseline, IDC_VALUE_BASE_TYPE, IDC_VALUE_BASE_SIZE, IDC_VALUE_BASE_DATA);
  }
  const bool editorAllowed = featureHooks.openInRegistryEditor != nullptr &&
                             programOptions.entries[OPT_ALLOW_REGEDIT] != 0 &&
                             p.state != STATE_VALUE_DELETED;
  EnableWindow(GetDlgItem(dialog, IDC_VALUE_REGEDIT), editorAllowed);
  EnableWindow(GetDlgItem(dialog, IDC_VALUE_FILE_INFO), p.fileAllowed);
}

// The text 検索 searches for: a selection in the name, key, value or baseline field,
// else the whole value name.
std::string searchText(HWND dialog, const ValueDialog& state, size_t limit) {
  const FieldSelection fields[] = {
      editSelection(dialog, IDC_VALUE_NAME), editSelection(dialog, IDC_VALUE_KEY_PATH),
      editSelection(dialog, IDC_VALUE_DATA), editSelection(dialog, IDC_VALUE_BASE_DATA)};
  return chooseSelectedText(fields, 4, state.shown.name, limit);
}

void showFileInformation(HWND dialog, const ValueDialog& state) {
  const FieldSelection fields[] = {editSelection(dialog, IDC_VALUE_DATA),
                                   editSelection(dialog, IDC_VALUE_BASE_DATA)};
  std::string text = chooseSelectedText(fields, 2, fields[0].text, kFileTextLimit);
  // A file name never spans lines: of a multi-string list, the first string is taken.
  text.resize(std::min(text.size(), text.find_first_of("\r\n")));
  if (state.shown.expanded) text = expandFileText(text.c_str());
  if (filePathLength(text.c_str()) == 0) {
    text = searchText(dialog, state, kFileTextLimit);
    if (filePathLength(text.c_str()) == 0) {
      platform::showMessage(kNoFileText, "プロパティ", platform::kMsgIconWarning);
      return;
    }
  }
  if (featureHooks.showFileProperties) featureHooks.showFileProperties(text.c_str());
}

void onCommand(HWND dialog, ValueDialog& state, int id) {
  switch (id) {
    case IDOK:
    case IDCANCEL:
      EndDialog(dialog, id);
      break;
    case IDC_VALUE_SEARCH:
      startSearchFor(searchText(dialog, state, static_cast<size_t>(kSearchTextMax)));
      EndDialog(dialog, IDOK);
      break;
    case IDC_VALUE_FILE_INFO:
      showFileInformation(dialog, state);
      break;
    case IDC_VALUE_REGEDIT:
      if (featureHooks.openInRegistryEditor) {
        featureHooks.openInRegistryEditor(static_cast<ItemIndex>(state.value | kValueItemBit));
        state.refreshOnActivate = true;
      }
      break;
    default:
      break;
  }
}

INT_PTR CALLBACK valueDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* state = reinterpret_cast<ValueDialog*>(GetWindowLongPtrA(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG:
      SetWindowLongPtrA(dialog, DWLP_USER, lParam);
      fillValueDialog(dialog, *reinterpret_cast<ValueDialog*>(lParam));
      // The focus on 閉じる, so that no field starts with all its text selected (the
      // search buttons search for a selection).
      SetFocus(GetDlgItem(dialog, IDOK));
      return FALSE;
    case WM_ACTIVATE:
      // Back from the registry editor by the keyboard: show what it changed.
      if (state && state->refreshOnActivate && LOWORD(wParam) == WA_ACTIVE &&
          rereadValueLive(currentStore(), state->value, state->shown.current)) {
        setSide(dialog, state->shown.current, IDC_VALUE_TYPE, IDC_VALUE_SIZE, IDC_VALUE_DATA);
      }
      return FALSE;
    case WM_COMMAND:
      if (!state) return FALSE;
      onCommand(dialog, *state, LOWORD(wParam));
      return TRUE;
    default:
      return FALSE;
  }
}

void showValueProperties(ItemIndex value) {
  ValueDialog state;
  state.value = value;
  state.shown = describeValue(currentStore(), baselineStore(), value, viewState);
  const int resource = state.shown.baselineForm ? IDD_VALUE_PROPERTIES_BASELINE
                                                : IDD_VALUE_PROPERTIES;
  DialogBoxParamA(hInstance, MAKEINTRESOURCEA(resource), mainWindow, valueDialogProc,
                  reinterpret_cast<LPARAM>(&state));
}

}  // namespace

void showItemProperties(ItemIndex reference) {
  if (reference == kNoItem) return;
  if (static_cast<uint32_t>(reference) & kValueItemBit) {
    const ItemIndex value = static_cast<ItemIndex>(static_cast<uint32_t>(reference) & ~kValueItemBit);
    if (store_walk::isValue(currentStore(), value)) showValueProperties(value);
  } else if (store_walk::isKey(currentStore(), reference)) {
    showKeyProperties(reference);
  }
}
