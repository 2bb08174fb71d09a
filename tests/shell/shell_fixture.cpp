#include "tests/shell/shell_fixture.h"

#include <gtest/gtest.h>

#include <cstring>

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
