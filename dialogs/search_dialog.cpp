#include "dialogs/search_dialog.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "engine/view_state.h"
#include "platform/clock.h"
#include "platform/message_box.h"
#include "resources/dialog_ids.h"
#include "resources/resource_ids.h"
#include "search/search_dates.h"
#include "search/search_engine.h"
#include "search/search_expression.h"
#include "search/search_history.h"
#include "shell/app_state.h"

namespace {

constexpr uint16_t kDefaultFlags = SEARCH_KEY_NAME | SEARCH_VALUE_NAME | SEARCH_VALUE_DATA |
                                   SEARCH_PARTIAL | SEARCH_BATCH;
constexpr int kTypeBoxes[kSearchEntryTypes] = {IDC_SEARCH_TYPE_SZ,     IDC_SEARCH_TYPE_MULTI_SZ,
                                               IDC_SEARCH_TYPE_EXPAND_SZ, IDC_SEARCH_TYPE_DWORD,
                                               IDC_SEARCH_TYPE_BINARY, IDC_SEARCH_TYPE_ETC};
const char* const kLimitChoices[] = {"100", "200", "500", "1000", "2000", "5000"};

struct FlagBox {
  int id;
  uint16_t flag;
};
constexpr FlagBox kFlagBoxes[] = {
    {IDC_SEARCH_KEY_NAME, SEARCH_KEY_NAME},     {IDC_SEARCH_VALUE_NAME, SEARCH_VALUE_NAME},
    {IDC_SEARCH_VALUE_DATA, SEARCH_VALUE_DATA}, {IDC_SEARCH_PARTIAL, SEARCH_PARTIAL},
    {IDC_SEARCH_FILE_NAME_ONLY, SEARCH_FILE_NAME_ONLY}, {IDC_SEARCH_WILDCARD, SEARCH_WILDCARD},
    {IDC_SEARCH_EXPRESSION, SEARCH_EXPRESSION},
};

// The dialog open now (one at a time).
struct DialogState {
  ItemIndex selected = kNoItem;
  int fullHeight = 0;
};
DialogState state;

bool checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }
void check(HWND dialog, int id, bool on) { CheckDlgButton(dialog, id, on ? BST_CHECKED : BST_UNCHECKED); }
void enable(HWND dialog, int id, bool on) { EnableWindow(GetDlgItem(dialog, id), on ? TRUE : FALSE); }

uint16_t readFlags(HWND dialog) {
  uint16_t flags = 0;
  for (const FlagBox& box : kFlagBoxes) {
    if (checked(dialog, box.id)) flags |= box.flag;
  }
  if (flags & SEARCH_EXPRESSION) flags |= SEARCH_PARTIAL;
  if (checked(dialog, IDC_SEARCH_BATCH)) flags |= SEARCH_BATCH;
  return flags;
}

void writeFlags(HWND dialog, uint16_t flags) {
  if (flags & SEARCH_EXPRESSION) flags |= SEARCH_PARTIAL;
  for (const FlagBox& box : kFlagBoxes) check(dialog, box.id, (flags & box.flag) != 0);
  check(dialog, IDC_SEARCH_BATCH, (flags & SEARCH_BATCH) != 0);
  check(dialog, IDC_SEARCH_INCREMENTAL, (flags & SEARCH_BATCH) == 0);
}

// The rules that follow the flags: partial under expression mode, the display
// options under batch mode, the entry types under the value target.
void applyFlagRules(HWND dialog) {
  const uint16_t flags = readFlags(dialog);
  const bool expression = (flags & SEARCH_EXPRESSION) != 0;
  if (expression) check(dialog, IDC_SEARCH_PARTIAL, true);
  enable(dialog, IDC_SEARCH_PARTIAL, !expression);
  const bool batch = (flags & SEARCH_BATCH) != 0;
  enable(dialog, IDC_SEARCH_DISPLAY_DURING, batch);
  const bool limit = batch && checked(dialog, IDC_SEARCH_DISPLAY_DURING);
  enable(dialog, IDC_SEARCH_LIMIT_LABEL, limit);
  enable(dialog, IDC_SEARCH_LIMIT, limit);
  const bool types = (flags & SEARCH_VALUE_DATA) != 0;
  enable(dialog, IDC_SEARCH_TYPE_GROUP, types);
  for (int id : kTypeBoxes) enable(dialog, id, types);
}

void setRangeBox(HWND dialog, int id, bool available, bool on) {
  check(dialog, id, available && on);
  enable(dialog, id, available);
}

void fillHistory(HWND dialog) {
  HWND combo = GetDlgItem(dialog, IDC_SEARCH_TEXT);
  SendMessageA(combo, CB_RESETCONTENT, 0, 0);
  SearchHistory& history = searchHistory();
  for (int slot : searchHistoryOrder(history)) {
    const LRESULT at = SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(history.slots[slot].text));
    SendMessageA(combo, CB_SETITEMDATA, static_cast<WPARAM>(at), slot);
  }
  SendMessageA(combo, CB_LIMITTEXT, 254, 0);
  if (SendMessageA(combo, CB_GETCOUNT, 0, 0) > 0) {
    SendMessageA(combo, CB_SETCURSEL, 0, 0);
    SendMessageA(combo, CB_SETEDITSEL, 0, MAKELPARAM(0, -1));
  }
}

void showDate(HWND dialog, int box, int edit, bool available, bool on, uint64_t time) {
  enable(dialog, box, available);
  check(dialog, box, available && on);
  enable(dialog, edit, available && on);
  SetDlgItemTextA(dialog, edit, available && on ? formatSearchDate(time).c_str() : "");
}

void showLowerHalf(HWND dialog, bool shown) {
  RECT window;
  RECT line;
  GetWindowRect(dialog, &window);
  GetWindowRect(GetDlgItem(dialog, IDC_SEARCH_SEPARATOR), &line);
  const int height = shown ? state.fullHeight : line.top - window.top;
  SetWindowPos(dialog, nullptr, 0, 0, window.right - window.left, height,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void initialise(HWND dialog) {
  SearchSettings& settings = searchSettings();
  if (!settings.datesInitialised) {
    uint64_t now = 0;
    platform::localToFileTime(platform::localTimeNow(), now);
    settings.dateAfter = settings.dateBefore = now;
    settings.datesInitialised = true;
  }
  fillHistory(dialog);

  SearchEntry* head = currentSearchEntry(searchHistory());
  uint16_t flags = kDefaultFlags;
  if (head) {
    flags = head->flags;
    if (flags & SEARCH_MERGE_REQUEST) {
      // A property dialog's search button: its targets join the flags used last.
      const uint16_t last = settings.dialogFlags ? settings.dialogFlags : kDefaultFlags;
      flags = static_cast<uint16_t>(last | (flags & ~SEARCH_MERGE_REQUEST));
      head->flags = static_cast<uint16_t>(head->flags & ~SEARCH_MERGE_REQUEST);
      searchHistory().dirty = true;
    }
  }
  writeFlags(dialog, flags);
  check(dialog, IDC_SEARCH_RESET_DISPLAY, settings.resetDisplay);
  check(dialog, IDC_SEARCH_DISPLAY_DURING, settings.displayDuringSearch);
  HWND limit = GetDlgItem(dialog, IDC_SEARCH_LIMIT);
  for (const char* choice : kLimitChoices) SendMessageA(limit, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(choice));
  SetDlgItemTextA(dialog, IDC_SEARCH_LIMIT, std::to_string(settings.displayLimit).c_str());
  for (int i = 0; i < kSearchEntryTypes; ++i) check(dialog, kTypeBoxes[i], settings.entryTypes[i]);
  applyFlagRules(dialog);

  const StatusCounts& c = lastCounts;
  setRangeBox(dialog, IDC_SEARCH_RANGE_RESULTS, searchResultState() != SEARCH_STATE_NONE,
              settings.range.previousHits);
  setRangeBox(dialog, IDC_SEARCH_RANGE_ADDED_DELETED,
              c.addedKeys + c.deletedKeys + c.addedValues + c.deletedValues > 0,
              settings.range.addedDeleted);
  setRangeBox(dialog, IDC_SEARCH_RANGE_MISMATCH, c.changedValues > 0, settings.range.mismatch);
  setRangeBox(dialog, IDC_SEARCH_RANGE_EXCEPTIONS, c.controlled() > 0, settings.range.exceptions);

  if (state.selected == kNoItem) settings.scope = SEARCH_SCOPE_TOP;
  const int scopeIds[3] = {IDC_SEARCH_SCOPE_TOP, IDC_SEARCH_SCOPE_FROM_SELECTED,
                           IDC_SEARCH_SCOPE_INSIDE_SELECTED};
  for (int i = 0; i < 3; ++i) {
    check(dialog, scopeIds[i], settings.scope == i);
    enable(dialog, scopeIds[i], state.selected != kNoItem);
  }

  const bool dates = viewShowsLiveReading(viewState);
  showDate(dialog, IDC_SEARCH_DATE_AFTER, IDC_SEARCH_DATE_AFTER_TEXT, dates, settings.dateAfterOn,
           settings.dateAfter);
  showDate(dialog, IDC_SEARCH_DATE_BEFORE, IDC_SEARCH_DATE_BEFORE_TEXT, dates,
           settings.dateBeforeOn, settings.dateBefore);

  RECT window;
  GetWindowRect(dialog, &window);
  state.fullHeight = window.bottom - window.top;
  showLowerHalf(dialog, settings.optionsShown);
}

// A date box checked or cleared: its edit follows, filled with the stored time.
void dateBoxClicked(HWND dialog, int box, int edit, uint64_t time) {
  const bool on = checked(dialog, box);
  enable(dialog, edit, on);
  if (on) SetDlgItemTextA(dialog, edit, formatSearchDate(time).c_str());
}

bool readDate(HWND dialog, int box, int edit, bool& on, uint64_t& time) {
  on = checked(dialog, box) && IsWindowEnabled(GetDlgItem(dialog, box));
  if (!on) return true;
  char text[32] = {};
  GetDlgItemTextA(dialog, edit, text, sizeof text);
  return parseSearchDate(text, time);
}

bool confirm(HWND dialog) {
  SearchSettings& settings = searchSettings();
  bool afterOn = false;
  bool beforeOn = false;
  uint64_t after = settings.dateAfter;
  uint64_t before = settings.dateBefore;
  if (!readDate(dialog, IDC_SEARCH_DATE_AFTER, IDC_SEARCH_DATE_AFTER_TEXT, afterOn, after) ||
      !readDate(dialog, IDC_SEARCH_DATE_BEFORE, IDC_SEARCH_DATE_BEFORE_TEXT, beforeOn, before)) {
    platform::showMessage("更新日時の指定が間違っています。修正して下さい。", "検索",
                          platform::kMsgOk | platform::kMsgIconWarning);
    return false;
  }
  settings.dateAfterOn = afterOn;
  settings.dateAfter = after;
  settings.dateBeforeOn = beforeOn;
  settings.dateBefore = before;

  char text[256] = {};
  GetDlgItemTextA(dialog, IDC_SEARCH_TEXT, text, 255);
  text[254] = '\0';
  const uint16_t flags = readFlags(dialog);
  settings.dialogFlags = flags;
  settings.range.previousHits = checked(dialog, IDC_SEARCH_RANGE_RESULTS);
  settings.range.addedDeleted = checked(dialog, IDC_SEARCH_RANGE_ADDED_DELETED);
  settings.range.mismatch = checked(dialog, IDC_SEARCH_RANGE_MISMATCH);
  settings.range.exceptions = checked(dialog, IDC_SEARCH_RANGE_EXCEPTIONS);
  settings.scope = checked(dialog, IDC_SEARCH_SCOPE_INSIDE_SELECTED) ? SEARCH_SCOPE_INSIDE_SELECTED
                   : checked(dialog, IDC_SEARCH_SCOPE_FROM_SELECTED) ? SEARCH_SCOPE_FROM_SELECTED
                                                                      : SEARCH_SCOPE_TOP;
  settings.resetDisplay = checked(dialog, IDC_SEARCH_RESET_DISPLAY);
  settings.displayDuringSearch = checked(dialog, IDC_SEARCH_DISPLAY_DURING);
  for (int i = 0; i < kSearchEntryTypes; ++i) settings.entryTypes[i] = checked(dialog, kTypeBoxes[i]);
  char limit[16] = {};
  GetDlgItemTextA(dialog, IDC_SEARCH_LIMIT, limit, sizeof limit);
  settings.displayLimit = static_cast<uint32_t>(std::strtoul(limit, nullptr, 10));

  HWND combo = GetDlgItem(dialog, IDC_SEARCH_TEXT);
  const LRESULT at = SendMessageA(combo, CB_GETCURSEL, 0, 0);
  const int chosen = at == CB_ERR ? -1 : static_cast<int>(SendMessageA(combo, CB_GETITEMDATA, static_cast<WPARAM>(at), 0));
  addSearchHistory(chosen, text, flags);
  // An expression error is shown by the compiler; the dialog stays open.
  return !(flags & SEARCH_EXPRESSION) || compileSearchExpression(text, flags);
}

void historyChosen(HWND dialog) {
  HWND combo = GetDlgItem(dialog, IDC_SEARCH_TEXT);
  const LRESULT at = SendMessageA(combo, CB_GETCURSEL, 0, 0);
  if (at == CB_ERR) return;
  const int slot = static_cast<int>(SendMessageA(combo, CB_GETITEMDATA, static_cast<WPARAM>(at), 0));
  if (!chooseSearchHistory(searchHistory(), slot)) return;
  fillHistory(dialog);
  writeFlags(dialog, searchHistory().slots[slot].flags);
  applyFlagRules(dialog);
}

INT_PTR CALLBACK searchDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) {
    initialise(dialog);
    return TRUE;
  }
  if (message != WM_COMMAND) return FALSE;
  const int id = LOWORD(wParam);
  const int code = HIWORD(wParam);
  SearchSettings& settings = searchSettings();
  switch (id) {
    case IDOK:
      if (confirm(dialog)) EndDialog(dialog, IDOK);
      return TRUE;
    case IDCANCEL:
      EndDialog(dialog, IDCANCEL);
      return TRUE;
    case IDC_SEARCH_TEXT:
      if (code == CBN_SELCHANGE) historyChosen(dialog);
      return TRUE;
    case IDC_SEARCH_VALUE_DATA:
    case IDC_SEARCH_BATCH:
    case IDC_SEARCH_INCREMENTAL:
    case IDC_SEARCH_EXPRESSION:
    case IDC_SEARCH_DISPLAY_DURING:
      applyFlagRules(dialog);
      return TRUE;
    case IDC_SEARCH_DATE_AFTER:
      dateBoxClicked(dialog, IDC_SEARCH_DATE_AFTER, IDC_SEARCH_DATE_AFTER_TEXT, settings.dateAfter);
      return TRUE;
    case IDC_SEARCH_DATE_BEFORE:
      dateBoxClicked(dialog, IDC_SEARCH_DATE_BEFORE, IDC_SEARCH_DATE_BEFORE_TEXT, settings.dateBefore);
      return TRUE;
    case IDC_SEARCH_OPTIONS:
      settings.optionsShown = !settings.optionsShown;
      showLowerHalf(dialog, settings.optionsShown);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

bool showSearchDialog(ItemIndex selected) {
  state = DialogState{};
  state.selected = selected;
  return DialogBoxParamA(hInstance, MAKEINTRESOURCEA(IDD_SEARCH), mainWindow, searchDialogProc, 0) == IDOK;
}
