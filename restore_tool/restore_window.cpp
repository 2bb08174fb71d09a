#include "restore_tool/restore_window.h"

#include <commctrl.h>

#include <cstdio>
#include <memory>
#include <string>

#include "platform/message_box.h"
#include "platform/registry.h"
#include "restore/restore_plan.h"
#include "restore/undo_list_format.h"
#include "restore/undo_list_reader.h"
#include "restore/undo_request.h"

namespace pellim {

const char kWindowClassName[] = "PellimRestoreWindow";
const char kCaption[] = "ペリム";

namespace {

const char kTitle[] = "ペリム - レジストリを元に戻す";
const char kWaitingText[] = "regKestrin からの「元に戻す」要求を待っています。";
const char kRefusedStatus[] = "元に戻すリストを受け付けませんでした。何も変更していません。";
const char kNothingText[] = "元に戻すものがありません。";

struct Column {
  const char* title;
  int width;
};
const Column kColumns[] = {{"キー", 260}, {"値", 110}, {"元のデータ", 170},
                           {"今のデータ", 170}, {"処置", 110}, {"結果", 90}};
constexpr int kResultColumn = 5;

struct WindowState {
  platform::SharedBlock* block;
  HWND status;
  HWND list;
  HWND removeAdded;
  HWND restore;
  restore::UndoList undoList;
  restore::RestorePlan plan;
};

// The state of the window being created, until its WM_NCCREATE adopts it.
WindowState* unadoptedState = nullptr;

WindowState* stateOf(HWND window) {
  return reinterpret_cast<WindowState*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

void setCell(HWND list, int row, int column, const std::string& text) {
  LVITEMA item{};
  item.iSubItem = column;
  item.pszText = const_cast<char*>(text.c_str());
  SendMessageA(list, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
}

void addRow(HWND list, int row, const restore::RestoreRowText& text) {
  LVITEMA item{};
  item.mask = LVIF_TEXT;
  item.iItem = row;
  item.pszText = const_cast<char*>(text.key.c_str());
  SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
  setCell(list, row, 1, text.value);
  setCell(list, row, 2, text.oldData);
  setCell(list, row, 3, text.newData);
  setCell(list, row, 4, text.action);
}

void showPlan(WindowState& state) {
  SendMessageA(state.list, LVM_DELETEALLITEMS, 0, 0);
  int row = 0;
  for (const restore::RestoreStep& step : state.plan.steps) {
    addRow(state.list, row++, restore::restoreRowText(state.undoList, step));
  }
}

void forgetPlan(WindowState& state) {
  state.undoList = restore::UndoList();
  state.plan = restore::RestorePlan();
  EnableWindow(state.restore, FALSE);
}

// Command 10100: take the path from the block, read and check the list, show it.
void onUndoRequest(HWND window, WindowState& state) {
  std::string path;
  if (state.block == nullptr || !restore::takeUndoRequest(*state.block, &path)) return;
  forgetPlan(state);
  SendMessageA(state.list, LVM_DELETEALLITEMS, 0, 0);
  ShowWindow(window, SW_SHOWNORMAL);
  SetForegroundWindow(window);
  restore::UndoList list;
  const restore::UndoListReadResult read = restore::readUndoListFile(path, list);
  if (read.error != restore::UNDO_LIST_OK) {
    SetWindowTextA(state.status, kRefusedStatus);
    const std::string text = std::string(restore::undoListErrorText(read.error)) + "\r\n" + path;
    platform::showMessage(text.c_str(), kCaption, platform::kMsgIconError);
    return;
  }
  state.undoList = std::move(list);
  state.plan = restore::planRestore(state.undoList);
  showPlan(state);
  if (state.plan.steps.empty()) {
    SetWindowTextA(state.status, kNothingText);
    return;
  }
  char text[200];
  std::snprintf(text, sizeof text,
                "%d 件の変更を元に戻せます。確かめてから「元に戻す」を押してください。",
                static_cast<int>(state.plan.steps.size()));
  SetWindowTextA(state.status, text);
  EnableWindow(state.restore, TRUE);
}

// The 元に戻す button: change the registry, show each row's result and the counts.
void onRestore(WindowState& state) {
  if (state.plan.steps.empty()) return;
  const bool removeAdded = SendMessageA(state.removeAdded, BM_GETCHECK, 0, 0) == BST_CHECKED;
  HCURSOR previous = SetCursor(LoadCursor(nullptr, IDC_WAIT));
  const restore::RestoreReport report =
      restore::applyRestorePlan(platform::registry(), state.undoList, state.plan, removeAdded);
  SetCursor(previous);
  for (size_t row = 0; row < report.outcomes.size(); ++row) {
    const restore::StepOutcome& outcome = report.outcomes[row];
    std::string text = restore::stepResultText(outcome.result);
    if (outcome.result == restore::STEP_FAILED) text += " (" + std::to_string(outcome.error) + ")";
    setCell(state.list, static_cast<int>(row), kResultColumn, text);
  }
  const std::string summary = "元に戻しました: " + restore::restoreSummaryText(report);
  SetWindowTextA(state.status, summary.c_str());
  state.plan = restore::RestorePlan();
  EnableWindow(state.restore, FALSE);
  if (report.failed > 0) {
    const std::string text = summary + "\r\nレジストリに書けなかった項目があります。結果の欄を見てください。";
    platform::showMessage(text.c_str(), kCaption, platform::kMsgIconWarning);
  }
}

void layout(HWND window, WindowState& state) {
  RECT client;
  GetClientRect(window, &client);
  const int width = client.right;
  const int height = client.bottom;
  MoveWindow(state.status, 8, 8, width - 16, 20, TRUE);
  MoveWindow(state.list, 8, 32, width - 16, height - 76, TRUE);
  MoveWindow(state.removeAdded, 8, height - 36, 320, 24, TRUE);
  MoveWindow(state.restore, width - 128, height - 38, 120, 28, TRUE);
}

HWND child(HWND parent, const char* cls, const char* text, DWORD style, int id) {
  HWND made = CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 10, 10, parent,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                              GetModuleHandleA(nullptr), nullptr);
  SendMessageA(made, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), 0);
  return made;
}

bool onCreate(HWND window, WindowState& state) {
  state.status = child(window, "STATIC", kWaitingText, SS_LEFTNOWORDWRAP, IDC_PELLIM_STATUS);
  state.list = child(window, WC_LISTVIEWA, "",
                     WS_BORDER | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER,
                     IDC_PELLIM_LIST);
  state.removeAdded = child(window, "BUTTON", "追加された値とキーも削除する(&D)",
                            WS_TABSTOP | BS_AUTOCHECKBOX, IDC_PELLIM_REMOVE_ADDED);
  state.restore = child(window, "BUTTON", "元に戻す(&R)", WS_TABSTOP | BS_DEFPUSHBUTTON,
                        IDC_PELLIM_RESTORE);
  if (!state.status || !state.list || !state.removeAdded || !state.restore) return false;
  SendMessageA(state.list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
               LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
  int index = 0;
  for (const Column& column : kColumns) {
    LVCOLUMNA c{};
    c.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    c.pszText = const_cast<char*>(column.title);
    c.cx = column.width;
    c.iSubItem = index;
    SendMessageA(state.list, LVM_INSERTCOLUMNA, index++, reinterpret_cast<LPARAM>(&c));
  }
  EnableWindow(state.restore, FALSE);
  layout(window, state);
  return true;
}

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  WindowState* state = stateOf(window);
  switch (message) {
    case WM_NCCREATE: {
      auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
      SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
      unadoptedState = nullptr;  // WM_NCDESTROY frees it from now on
      break;
    }
    case WM_CREATE:
      return state && onCreate(window, *state) ? 0 : -1;
    case WM_SIZE:
      if (state) layout(window, *state);
      return 0;
    case WM_COMMAND:
      if (!state) break;
      if (LOWORD(wParam) == restore::kUndoRequestCommand) {
        onUndoRequest(window, *state);
        return 0;
      }
      if (LOWORD(wParam) == IDC_PELLIM_RESTORE && HIWORD(wParam) == BN_CLICKED) {
        onRestore(*state);
        return 0;
      }
      break;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    case WM_NCDESTROY:
      delete state;
      SetWindowLongPtrA(window, GWLP_USERDATA, 0);
      break;
    default:
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

HWND createRestoreWindow(HINSTANCE instance, platform::SharedBlock* block) {
  static bool registered = false;
  if (!registered) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    WNDCLASSEXA cls{};
    cls.cbSize = sizeof cls;
    cls.lpfnWndProc = windowProc;
    cls.hInstance = instance;
    cls.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_PELLIM));
    cls.hIconSm = static_cast<HICON>(
        LoadImageA(instance, MAKEINTRESOURCEA(IDI_PELLIM), IMAGE_ICON, 16, 16, 0));
    cls.hCursor = LoadCursor(nullptr, IDC_ARROW);
    cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    cls.lpszClassName = kWindowClassName;
    if (!RegisterClassExA(&cls)) return nullptr;
    registered = true;
  }
  unadoptedState = new WindowState{block, nullptr, nullptr, nullptr, nullptr, {}, {}};
  HWND window = CreateWindowExA(0, kWindowClassName, kTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                CW_USEDEFAULT, 960, 480, nullptr, nullptr, instance,
                                unadoptedState);
  delete unadoptedState;  // only when no window took it
  unadoptedState = nullptr;
  return window;
}

}  // namespace pellim
