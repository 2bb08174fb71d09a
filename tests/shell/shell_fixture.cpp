#include "tests/shell/shell_fixture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "dialogs/file_property_dialog.h"
#include "engine/instance_handover.h"
#include "engine/snapshot_file.h"
#include "engine/snapshot_store.h"
#include "platform/file_dialog.h"
#include "platform/files.h"
#include "platform/message_box.h"
#include "resources/command_ids.h"
#include "shell/app_state.h"
#include "shell/main_window.h"
#include "shell/program_driver.h"
#include "shell/status_line.h"
#include "shell/tree_view.h"
#include "text/operation_log.h"

namespace shell_test {

namespace {

// Ends the program at the end of the test run, as closing the window does.
class StopAtExit : public ::testing::Environment {
 public:
  void TearDown() override { Session::get().stop(); }
};
const auto* const kStopAtExit = ::testing::AddGlobalTestEnvironment(new StopAtExit);

}  // namespace

Session& Session::get() {
  static Session session;
  return session;
}

Session::Session() : folder_(program_driver::makeScratchFolder("kestrin_shell_tests")) {
  programPath_ = folder_ + "regKestrin.exe";
  platform::overrideProgramLocation(programPath_.c_str(), folder_.c_str());
  platform::setMessageSeam(&messages);
  platform::setFileDialogSeam(&dialogs);
}

std::string Session::scratchPath(const char* name) const { return folder_ + name; }

bool Session::start(const char* commandLine) {
  if (running()) stop();
  return startProgram(GetModuleHandleA(nullptr), commandLine, SW_SHOWNORMAL);
}

bool Session::running() const { return initialised && mainWindow && IsWindow(mainWindow); }

void Session::ensureRunning() {
  if (!running()) start("");
}

void Session::stop() {
  if (!mainWindow || !IsWindow(mainWindow)) return;
  SendMessageA(mainWindow, WM_COMMAND, 105, 0);  // "終了"
  // The WM_QUIT that follows the window's end belongs to the main loop this test
  // stands in for: take it out of the queue.
  MSG message;
  pumpPending();
  while (PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
  }
}

bool pumpUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
  return program_driver::pumpUntil(condition, timeoutMs);
}

void pumpPending() { program_driver::pumpPending(); }

void runCommand(int id) {
  SendMessageA(mainWindow, WM_COMMAND, static_cast<WPARAM>(id), 0);
  pumpPending();
}

std::string windowText(HWND window) {
  char text[512] = "";
  GetWindowTextA(window, text, sizeof text);
  return text;
}

std::string statusText() { return statusLineText(); }

std::vector<HTREEITEM> childItems(HTREEITEM parent) {
  std::vector<HTREEITEM> items;
  HTREEITEM item = parent == TVI_ROOT ? TreeView_GetRoot(treeWindow)
                                      : TreeView_GetChild(treeWindow, parent);
  for (; item; item = TreeView_GetNextSibling(treeWindow, item)) items.push_back(item);
  return items;
}

std::string itemText(HTREEITEM item) {
  char text[1024] = "";
  TVITEMA info = {};
  info.mask = TVIF_TEXT;
  info.hItem = item;
  info.pszText = text;
  info.cchTextMax = sizeof text;
  SendMessageA(treeWindow, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&info));
  return text;
}

TVITEMA itemFields(HTREEITEM item, UINT mask) {
  TVITEMA info = {};
  info.mask = mask;
  info.hItem = item;
  SendMessageA(treeWindow, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&info));
  return info;
}

int itemImage(HTREEITEM item) { return itemFields(item, TVIF_IMAGE).iImage; }

LPARAM itemReference(HTREEITEM item) { return itemFields(item, TVIF_PARAM).lParam; }

HTREEITEM itemOf(ItemIndex reference) { return treeItemOf(reference); }

namespace {
bool menuItemInfo(int id, MENUITEMINFOA& info, char* text, UINT textSize) {
  info = {};
  info.cbSize = sizeof info;
  info.fMask = MIIM_STATE | MIIM_STRING;
  info.dwTypeData = text;
  info.cch = textSize;
  return GetMenuItemInfoA(GetMenu(mainWindow), static_cast<UINT>(id), FALSE, &info) != 0;
}
}  // namespace

bool menuItemGreyed(int id) {
  MENUITEMINFOA info;
  char text[256];
  return menuItemInfo(id, info, text, sizeof text) && (info.fState & MFS_GRAYED) != 0;
}

bool menuItemChecked(int id) {
  MENUITEMINFOA info;
  char text[256];
  return menuItemInfo(id, info, text, sizeof text) && (info.fState & MFS_CHECKED) != 0;
}

std::string menuItemText(int id) {
  MENUITEMINFOA info;
  char text[256] = "";
  return menuItemInfo(id, info, text, sizeof text) ? text : "";
}

int logCount(const char* tag) {
  if (!operationLog.buffer) return 0;
  const std::string ring(operationLog.buffer, operationLog.capacity);
  int count = 0;
  for (size_t at = ring.find(tag); at != std::string::npos; at = ring.find(tag, at + 1)) ++count;
  return count;
}

void setKeyDown(int virtualKey, bool down) {
  BYTE keys[256];
  GetKeyboardState(keys);
  keys[virtualKey] = down ? 0x80 : 0;
  SetKeyboardState(keys);
}

void typeInTree(WPARAM key, char character) {
  SendMessageA(treeWindow, WM_KEYDOWN, key, 1);
  if (character) SendMessageA(treeWindow, WM_CHAR, static_cast<WPARAM>(character), 1);
  SendMessageA(treeWindow, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001));
}

void writeSmallSnapshot(const std::string& path) {
  runCommand(IDM_CLOSE);
  const bool written = writeSnapshotFile(path.c_str(), SNAPSHOT_KIND_SNAPSHOT, {});
  runCommand(IDM_CLOSE);
  EXPECT_TRUE(written) << path;
}

ItemIndex findItem(std::initializer_list<const char*> keys, const char* value) {
  ItemIndex at = kNoItem;
  for (const char* name : keys) {
    at = findChild(currentStore(), at, name, false);
    if (at == kNoItem) return kNoItem;
  }
  return value ? findChild(currentStore(), at, value, true) : at;
}

std::string newestLog() { return operationLog.buffer + operationLog.newest; }

std::string hexOf(ItemIndex item) {
  char text[16];
  std::snprintf(text, sizeof text, "%x", static_cast<unsigned>(item));
  return text;
}

bool fileExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void setRegBytes(const std::string& key, const char* name, DWORD type, const std::string& bytes) {
  HKEY handle = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &handle, nullptr),
            ERROR_SUCCESS)
      << key;
  if (name) {
    EXPECT_EQ(RegSetValueExA(handle, name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                             static_cast<DWORD>(bytes.size())),
              ERROR_SUCCESS)
        << name;
  }
  RegCloseKey(handle);
}

void setRegString(const std::string& key, const char* name, const std::string& text, DWORD type) {
  setRegBytes(key, name, type, std::string(text.c_str(), text.size() + 1));
}

void openBuiltSnapshot(int command, const std::string& path, const std::function<void()>& build) {
  if (command == IDM_OPEN_BASELINE) runCommand(IDM_CLOSE);
  clearTree();
  resetCurrentStore(true);
  build();
  recomputeSizes(currentStore(), 0);
  ASSERT_TRUE(writeSnapshotFile(path.c_str(), SNAPSHOT_KIND_SNAPSHOT, SnapshotFileOptions{}));
  resetCurrentStore(true);
  Session::get().dialogs.answers.push_back(path);
  runCommand(command);
}

namespace {
std::deque<DialogStep> dialogSteps;
int idleTicks = 0;

void CALLBACK runDialogStep(HWND, UINT, UINT_PTR, DWORD) {
  HWND popup = GetLastActivePopup(mainWindow);
  if (popup == mainWindow || popup == filePropertiesWindow()) popup = nullptr;
  HWND dialog = nullptr;
  if (!dialogSteps.empty()) {
    const char* title = dialogSteps.front().first;
    dialog = title ? FindWindowA(nullptr, title) : popup;
  }
  if (!dialog) {
    if (popup && ++idleTicks > 300) PostMessageA(popup, WM_COMMAND, IDCANCEL, 0);
    return;
  }
  idleTicks = 0;
  const DialogStep step = dialogSteps.front();
  dialogSteps.pop_front();
  step.second(dialog);
}
}  // namespace

void driveDialogs(const std::function<void()>& open, std::deque<DialogStep> steps) {
  dialogSteps = std::move(steps);
  idleTicks = 0;
  const UINT_PTR timer = SetTimer(nullptr, 0, 30, runDialogStep);
  open();
  KillTimer(nullptr, timer);
  EXPECT_TRUE(dialogSteps.empty()) << dialogSteps.size() << " dialog steps were not run";
  dialogSteps.clear();
}

void withDialog(const std::function<void()>& open, const std::function<void(HWND)>& inspect) {
  driveDialogs(open, {{nullptr, [&](HWND dialog) {
                         inspect(dialog);
                         if (IsWindow(dialog)) PostMessageA(dialog, WM_COMMAND, IDOK, 0);
                       }}});
}

LaunchedProcess::~LaunchedProcess() {
  if (!info.hProcess) return;
  if (WaitForSingleObject(info.hProcess, 0) != WAIT_OBJECT_0) TerminateProcess(info.hProcess, 1);
  CloseHandle(info.hProcess);
  CloseHandle(info.hThread);
}

bool launch(const std::string& program, const std::string& arguments, LaunchedProcess& process) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  std::string commandLine = "\"" + program + "\"" + (arguments.empty() ? "" : " " + arguments);
  return CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process.info) != 0;
}

HWND registeredWindow(const std::string& programPath) {
  HANDLE mapping =
      OpenFileMappingA(FILE_MAP_READ, FALSE, singleInstanceName(programPath).c_str());
  if (!mapping) return nullptr;
  uint32_t handle = 0;
  if (const void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, sizeof handle)) {
    std::memcpy(&handle, view, sizeof handle);
    UnmapViewOfFile(view);
  }
  CloseHandle(mapping);
  return reinterpret_cast<HWND>(static_cast<uintptr_t>(handle));
}

}  // namespace shell_test
