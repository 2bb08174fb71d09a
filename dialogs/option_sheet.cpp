#include "dialogs/option_sheet.h"

#include <commctrl.h>
#include <prsht.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/file_dialog.h"
#include "platform/files.h"
#include "platform/message_box.h"
#include "resources/dialog_ids.h"
#include "resources/resource_ids.h"
#include "rules/file_association.h"
#include "shell/app_state.h"
#include "text/cp932.h"

namespace {

const char kSheetCaption[] = "オプション";
const char kInvalidNumbers[] = "設定値が正しくありません。正しい数値を入力して下さい。";
constexpr int32_t kMinimumRows = 10;
// The countdown counts seconds in 32 bits.
constexpr int32_t kMaximumMinutes = 0x7FFFFFFF / 60;

const int kRowChoices[] = {100, 200, 500, 1000, 2000, 5000};
const int kMinuteChoices[] = {2, 5, 10, 15, 20, 30, 60};

// What both pages share while the sheet is open.
struct SheetState {
  ProgramOptions copy;
  bool associationCheckedAtOpen = false;
  bool accepted = false;
};

// Message boxes and the folder chooser belong to the sheet while it is open, so they
// stay in front of it.
class ScopedMessageOwner {
 public:
  explicit ScopedMessageOwner(HWND owner) : previous_(platform::messageOwner()) {
    platform::setMessageOwner(owner);
  }
  ~ScopedMessageOwner() { platform::setMessageOwner(previous_); }
  ScopedMessageOwner(const ScopedMessageOwner&) = delete;
  ScopedMessageOwner& operator=(const ScopedMessageOwner&) = delete;

 private:
  void* previous_;
};

SheetState& stateOf(HWND page) {
  return *reinterpret_cast<SheetState*>(GetWindowLongPtrA(page, GWLP_USERDATA));
}

void attachState(HWND page, LPARAM lParam) {
  const auto* sheetPage = reinterpret_cast<const PROPSHEETPAGEA*>(lParam);
  SetWindowLongPtrA(page, GWLP_USERDATA, sheetPage->lParam);
}

bool checked(HWND page, int control) { return IsDlgButtonChecked(page, control) == BST_CHECKED; }

void setChecked(HWND page, int control, bool on) {
  CheckDlgButton(page, control, on ? BST_CHECKED : BST_UNCHECKED);
}

// The grouping box follows "クラス情報を取込む": without class information there is
// nothing to group.
void followClassInfoBox(HWND page) {
  const bool classInfo = checked(page, IDC_OPTIONS_READ_CLASS_INFO);
  if (!classInfo) setChecked(page, IDC_OPTIONS_GROUP_CLASS_INFO, false);
  EnableWindow(GetDlgItem(page, IDC_OPTIONS_GROUP_CLASS_INFO), classInfo);
}

// --- "全般" -------------------------------------------------------------------------

// One check box of the page and the entry it shows; inverted boxes show entry 0.
struct EntryBox {
  int control;
  int entry;
  bool inverted;
};
constexpr EntryBox kGeneralBoxes[] = {
    {IDC_OPTIONS_KEEP_VALUE_DATA, OPT_NO_VALUE_DATA, true},
    {IDC_OPTIONS_READ_CLASS_INFO, OPT_NO_CLASS_INFO, true},
    {IDC_OPTIONS_GROUP_CLASS_INFO, OPT_GROUP_CLASS_INFO, false},
    {IDC_OPTIONS_SKIP_DUPLICATES, OPT_SKIP_DUPLICATES, false},
    {IDC_OPTIONS_SKIP_VOLATILE, OPT_SKIP_VOLATILE, false},
    {IDC_OPTIONS_SKIP_HARDWARE, OPT_SKIP_HARDWARE, false},
    {IDC_OPTIONS_DISCARD_REFUSED, OPT_DISCARD_REFUSED, false},
    {IDC_OPTIONS_APPLY_USER_CONTROL, OPT_APPLY_USER_CONTROL, false},
    {IDC_OPTIONS_AUTO_SAVE_DIALOG, OPT_AUTO_SAVE_DIALOG, false},
};
constexpr EntryBox kOtherBoxes[] = {
    {IDC_OPTIONS_ALLOW_REGEDIT, OPT_ALLOW_REGEDIT, false},
    {IDC_OPTIONS_KEEP_DELETED_CONTENTS, OPT_KEEP_DELETED_CONTENTS, false},
};

template <size_t N>
void showBoxes(HWND page, const EntryBox (&boxes)[N], const ProgramOptions& options) {
  for (const EntryBox& box : boxes) {
    setChecked(page, box.control, (options.entries[box.entry] != 0) != box.inverted);
  }
}

template <size_t N>
void takeBoxes(HWND page, const EntryBox (&boxes)[N], ProgramOptions& options) {
  for (const EntryBox& box : boxes) {
    options.entries[box.entry] = checked(page, box.control) != box.inverted ? 1 : 0;
  }
}

void initGeneralPage(HWND page) {
  const SheetState& state = stateOf(page);
  showBoxes(page, kGeneralBoxes, state.copy);
  followClassInfoBox(page);
  SendDlgItemMessageA(page, IDC_OPTIONS_DATA_FOLDER, EM_LIMITTEXT, kDataFolderBytes - 1, 0);
  SetDlgItemTextA(page, IDC_OPTIONS_DATA_FOLDER, state.copy.dataFolder);
}

void applyGeneralPage(HWND page) {
  SheetState& state = stateOf(page);
  takeBoxes(page, kGeneralBoxes, state.copy);
  char folder[kDataFolderBytes] = "";
  GetDlgItemTextA(page, IDC_OPTIONS_DATA_FOLDER, folder, sizeof folder);
  std::memcpy(state.copy.dataFolder, folder, sizeof folder);
  state.accepted = true;
}

INT_PTR CALLBACK generalPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      attachState(page, lParam);
      initGeneralPage(page);
      return TRUE;
    case WM_COMMAND:
      if (HIWORD(wParam) != BN_CLICKED) return FALSE;
      if (LOWORD(wParam) == IDC_OPTIONS_READ_CLASS_INFO) followClassInfoBox(page);
      if (LOWORD(wParam) == IDC_OPTIONS_CHOOSE_FOLDER) {
        chooseSaveFolder(page, GetDlgItem(page, IDC_OPTIONS_DATA_FOLDER));
      }
      return TRUE;
    case WM_NOTIFY:
      if (reinterpret_cast<NMHDR*>(lParam)->code == static_cast<UINT>(PSN_APPLY)) {
        applyGeneralPage(page);
        SetWindowLongPtrA(page, DWLP_MSGRESULT, PSNRET_NOERROR);
        return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}

// --- "その他" -----------------------------------------------------------------------

template <size_t N>
void fillCombo(HWND page, int control, const int (&choices)[N], int32_t shown) {
  char text[16];
  for (int choice : choices) {
    std::snprintf(text, sizeof text, "%d", choice);
    SendDlgItemMessageA(page, control, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
  }
  std::snprintf(text, sizeof text, "%d", static_cast<int>(shown));
  SetDlgItemTextA(page, control, text);
}

int32_t comboNumber(HWND page, int control) {
  char text[32] = "";
  GetDlgItemTextA(page, control, text, sizeof text);
  return readTypedNumber(text);
}

void initOtherPage(HWND page) {
  SheetState& state = stateOf(page);
  const int32_t* entries = state.copy.entries;
  fillCombo(page, IDC_OPTIONS_WARN_ROWS, kRowChoices, entries[openWarnRows]);
  fillCombo(page, IDC_OPTIONS_LEVEL_ROWS, kRowChoices, entries[openLevelRows]);
  fillCombo(page, IDC_OPTIONS_AUTOCHECK_MINUTES, kMinuteChoices, entries[OPT_AUTOCHECK_MINUTES]);
  showBoxes(page, kOtherBoxes, state.copy);
  const RsvAssociation association = rsvAssociationState(platform::programPath().c_str());
  state.associationCheckedAtOpen = association == RSV_THIS_PROGRAM;
  setChecked(page, IDC_OPTIONS_ASSOCIATE_RSV, state.associationCheckedAtOpen);
  // The type belongs to another program: this one does not take it over.
  EnableWindow(GetDlgItem(page, IDC_OPTIONS_ASSOCIATE_RSV), association != RSV_OTHER_PROGRAM);
}

// PSN_KILLACTIVE: true (the page stays) when a number is out of range.
bool refuseLeavingOtherPage(HWND page) {
  if (optionNumbersValid(comboNumber(page, IDC_OPTIONS_WARN_ROWS),
                         comboNumber(page, IDC_OPTIONS_LEVEL_ROWS),
                         comboNumber(page, IDC_OPTIONS_AUTOCHECK_MINUTES))) {
    return false;
  }
  ScopedMessageOwner owner(GetParent(page));
  platform::showMessage(kInvalidNumbers, kSheetCaption, platform::kMsgOk | platform::kMsgIconWarning);
  return true;
}

void applyOtherPage(HWND page) {
  SheetState& state = stateOf(page);
  int32_t* entries = state.copy.entries;
  entries[openWarnRows] = comboNumber(page, IDC_OPTIONS_WARN_ROWS);
  entries[openLevelRows] = comboNumber(page, IDC_OPTIONS_LEVEL_ROWS);
  entries[OPT_AUTOCHECK_MINUTES] = comboNumber(page, IDC_OPTIONS_AUTOCHECK_MINUTES);
  takeBoxes(page, kOtherBoxes, state.copy);
  const bool associate = checked(page, IDC_OPTIONS_ASSOCIATE_RSV);
  if (associate != state.associationCheckedAtOpen) {
    if (associate) {
      setRsvAssociation(platform::programPath().c_str());
    } else {
      removeRsvAssociation();
    }
  }
  state.accepted = true;
}

INT_PTR CALLBACK otherPageProc(HWND page, UINT message, WPARAM, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      attachState(page, lParam);
      initOtherPage(page);
      return TRUE;
    case WM_NOTIFY: {
      const UINT code = reinterpret_cast<NMHDR*>(lParam)->code;
      if (code == static_cast<UINT>(PSN_KILLACTIVE)) {
        SetWindowLongPtrA(page, DWLP_MSGRESULT, refuseLeavingOtherPage(page) ? TRUE : FALSE);
        return TRUE;
      }
      if (code == static_cast<UINT>(PSN_APPLY)) {
        applyOtherPage(page);
        SetWindowLongPtrA(page, DWLP_MSGRESULT, PSNRET_NOERROR);
        return TRUE;
      }
      return FALSE;
    }
    default:
      return FALSE;
  }
}

PROPSHEETPAGEA makePage(int dialog, DLGPROC procedure, SheetState& state) {
  PROPSHEETPAGEA page = {};
  page.dwSize = sizeof page;
  page.hInstance = hInstance;
  page.pszTemplate = MAKEINTRESOURCEA(dialog);
  page.pfnDlgProc = procedure;
  page.lParam = reinterpret_cast<LPARAM>(&state);
  return page;
}

bool sameSettings(const ProgramOptions& a, const ProgramOptions& b) {
  return std::memcmp(a.entries, b.entries, sizeof a.entries) == 0 &&
         std::strncmp(a.dataFolder, b.dataFolder, kDataFolderBytes) == 0;
}

}  // namespace

OptionSheetOutcome showOptionsSheet(ProgramOptions& options) {
  SheetState state;
  state.copy = options;
  PROPSHEETPAGEA pages[] = {makePage(IDD_OPTIONS_GENERAL, generalPageProc, state),
                            makePage(IDD_OPTIONS_OTHER, otherPageProc, state)};
  PROPSHEETHEADERA header = {};
  header.dwSize = sizeof header;
  header.dwFlags = PSH_PROPSHEETPAGE | PSH_NOAPPLYNOW;
  header.hwndParent = mainWindow;
  header.hInstance = hInstance;
  header.pszCaption = kSheetCaption;
  header.nPages = sizeof pages / sizeof pages[0];
  header.ppsp = pages;
  PropertySheetA(&header);

  if (!state.accepted) return OptionSheetOutcome::kCancelled;
  if (sameSettings(state.copy, options)) return OptionSheetOutcome::kUnchanged;
  std::memcpy(options.entries, state.copy.entries, sizeof options.entries);
  std::memcpy(options.dataFolder, state.copy.dataFolder, sizeof options.dataFolder);
  return OptionSheetOutcome::kChanged;
}

void chooseSaveFolder(HWND page, HWND edit) {
  char current[kDataFolderBytes] = "";
  GetWindowTextA(edit, current, sizeof current);
  platform::FileDialogRequest request;
  request.save = true;
  request.title = "保存フォルダの設定";
  request.filter = std::string("保存フォルダ\0*.*\0", sizeof "保存フォルダ\0*.*\0");
  request.initialFolder = current;
  request.fileName = "Save-Folder-Path";
  request.flags = platform::kFilePathMustExist | platform::kFileHideReadOnly |
                  platform::kFileOverwritePrompt;
  std::string chosen;
  {
    ScopedMessageOwner owner(page);
    if (!platform::fileDialogs().choose(request, chosen)) return;
  }
  // The dummy name falls away: the folder is everything up to the last separator,
  // looked for character by character (a trail byte may be 0x5C).
  size_t end = 0;
  for (size_t at = 0; at < chosen.size(); ++at) {
    if (cp932::isLeadByte(chosen[at]) && at + 1 < chosen.size()) {
      ++at;
    } else if (chosen[at] == '\\' || chosen[at] == ':') {
      end = at + 1;
    }
  }
  if (end == 0) return;
  SetWindowTextA(edit, chosen.substr(0, end).c_str());
}

int32_t readTypedNumber(const char* text) {
  while (*text == ' ' || *text == '\t') ++text;
  int64_t value = 0;
  for (; *text >= '0' && *text <= '9'; ++text) {
    value = value * 10 + (*text - '0');
    if (value > 0x7FFFFFFF) return 0x7FFFFFFF;
  }
  return static_cast<int32_t>(value);
}

bool optionNumbersValid(int32_t warnRows, int32_t levelRows, int32_t minutes) {
  return warnRows >= kMinimumRows && levelRows >= kMinimumRows && minutes >= 1 &&
         minutes <= kMaximumMinutes;
}
