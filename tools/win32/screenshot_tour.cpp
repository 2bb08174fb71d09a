// Screenshot tour: runs the real program in this process and photographs its main
// screens, so that what the window shows can be looked at without a person at the
// keyboard. Pictures of the whole screen, written as 24-bit BMP files:
//   first_read.bmp          the first read of the registry, HKEY_CURRENT_USER opened
//   comparison.bmp          a comparison with changes under HKCU\Software\KestrinScreens
//   right_click_menu.bmp    the right-click menu of a changed value
//   status_information.bmp  the status information dialog
//   value_properties.bmp    the property dialog of the changed value, beside its baseline
//   key_properties.bmp      the property dialog of the test key
//   file_properties.bmp     the file property dialog of shell32.dll, named by rundll32
//   help_window.bmp         the help file's window, opened by the help command
//   open_all_changes.bmp    the tree after "変化分を全て開く"
//   options_general.bmp     the option sheet, page "全般"
//   options_other.bmp       the option sheet, page "その他"
//
// Usage: screenshot_tour <output folder>
//
// The program keeps its settings in a scratch folder of its own, message boxes are
// answered OK and file dialogs cancelled through the platform seams. The test key is
// created at the start and deleted at the end (also when a step fails). Exit code 0
// when all pictures were written; otherwise 1 with the reason on stderr and in
// <output folder>\tour_errors.txt (a virtual desktop does not pass the exit code on).
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>

#include "engine/snapshot_store.h"
#include "platform/file_dialog.h"
#include "platform/files.h"
#include "platform/memory/recording_file_dialogs.h"
#include "platform/memory/recording_messages.h"
#include "platform/message_box.h"
#include "dialogs/file_property_dialog.h"
#include "resources/command_ids.h"
#include "search/search_engine.h"
#include "shell/app_state.h"
#include "shell/feature_hooks.h"
#include "shell/help_file.h"
#include "shell/main_window.h"
#include "shell/menu_state.h"
#include "shell/program_driver.h"
#include "shell/status_line.h"
#include "shell/tree_view.h"

namespace {

constexpr const char* kTestKeyPath = "Software\\KestrinScreens";
constexpr UINT kModalCaptureDelayMs = 700;
constexpr DWORD kStepTimeoutMs = 60000;

std::string outputFolder;
std::string errorText;

void report(const char* format, ...) {
  char text[1024];
  va_list arguments;
  va_start(arguments, format);
  std::vsnprintf(text, sizeof text, format, arguments);
  va_end(arguments);
  std::fprintf(stderr, "screenshot_tour: %s\n", text);
  std::fflush(stderr);
  errorText += text;
  errorText += "\r\n";
}

// --- message pumping -------------------------------------------------------------

using program_driver::pumpPending;

bool pumpUntil(const std::function<bool()>& condition, DWORD timeoutMs = kStepTimeoutMs) {
  return program_driver::pumpUntil(condition, timeoutMs);
}

bool needsPaint(HWND window) {
  return window && IsWindowVisible(window) && GetUpdateRect(window, nullptr, FALSE);
}

// Paints the main window and its children now and handles what that queued, so the
// screen holds the finished picture.
bool paintMainWindow() {
  RedrawWindow(mainWindow, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  UpdateWindow(treeWindow);
  const bool painted = pumpUntil([] {
    MSG message;
    return !needsPaint(mainWindow) && !needsPaint(treeWindow) && !needsPaint(statusWindow) &&
           !needsPaint(toolbarWindow) &&
           !PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);
  });
  GdiFlush();
  return painted;
}

// --- the screen as a BMP file ----------------------------------------------------

bool writeBmp(const std::string& path, int width, int height, const void* bits) {
  const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
  const DWORD imageBytes = stride * static_cast<DWORD>(height);
  BITMAPFILEHEADER file = {};
  BITMAPINFOHEADER info = {};
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = file.bfOffBits + imageBytes;
  info.biSize = sizeof info;
  info.biWidth = width;
  info.biHeight = height;  // bottom-up, as the DIB section holds it
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biCompression = BI_RGB;
  info.biSizeImage = imageBytes;

  HANDLE out = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  if (out == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok = WriteFile(out, &file, sizeof file, &written, nullptr) && written == sizeof file;
  ok = ok && WriteFile(out, &info, sizeof info, &written, nullptr) && written == sizeof info;
  ok = ok && WriteFile(out, bits, imageBytes, &written, nullptr) && written == imageBytes;
  ok = CloseHandle(out) && ok;
  return ok;
}

bool captureScreen(const char* name) {
  const std::string path = outputFolder + name;
  const int width = GetSystemMetrics(SM_CXSCREEN);
  const int height = GetSystemMetrics(SM_CYSCREEN);
  HDC screen = GetDC(nullptr);
  if (!screen) {
    report("%s: no screen device context", name);
    return false;
  }
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  bool ok = memory && bitmap && bits;
  if (ok) {
    HGDIOBJ previous = SelectObject(memory, bitmap);
    ok = BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY | CAPTUREBLT) != 0;
    GdiFlush();
    SelectObject(memory, previous);
    if (!ok) report("%s: BitBlt from the screen failed (error %lu)", name, GetLastError());
    ok = ok && writeBmp(path, width, height, bits);
    if (!ok) report("%s: could not write %s", name, path.c_str());
  } else {
    report("%s: no %dx%d bitmap for the screen", name, width, height);
  }
  if (bitmap) DeleteObject(bitmap);
  if (memory) DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return ok;
}

// --- the test key, changed through the registry functions ------------------------

bool setString(HKEY key, const char* name, const char* text, DWORD type = REG_SZ) {
  return RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(text),
                        static_cast<DWORD>(lstrlenA(text) + 1)) == ERROR_SUCCESS;
}

bool setNumber(HKEY key, const char* name, DWORD number) {
  return RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                        sizeof number) == ERROR_SUCCESS;
}

HKEY createKey(const std::string& path) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                      &key, nullptr) != ERROR_SUCCESS) {
    return nullptr;
  }
  return key;
}

void deleteTestKey() { RegDeleteTreeA(HKEY_CURRENT_USER, kTestKeyPath); }

// The state the first read sees.
bool createTestKey() {
  deleteTestKey();
  HKEY key = createKey(kTestKeyPath);
  HKEY settings = createKey(std::string(kTestKeyPath) + "\\設定");
  bool ok = key && settings;
  ok = ok && setString(key, "表示名", "ケストリン画面テスト");
  ok = ok && setNumber(key, "Count", 1);
  ok = ok && setString(key, "古い値", "次の比較で消える値");
  ok = ok && setString(key, "Editor", "%SystemRoot%\\system32\\notepad.exe", REG_EXPAND_SZ);
  ok = ok && setString(settings, "Mode", "標準");
  ok = ok && setNumber(settings, "Width", 640);
  if (key) RegCloseKey(key);
  if (settings) RegCloseKey(settings);
  return ok;
}

// The changes the comparison finds: one value changed in each key, one value
// deleted, one key added with a value, one value added.
bool changeTestKey() {
  HKEY key = createKey(kTestKeyPath);
  HKEY settings = createKey(std::string(kTestKeyPath) + "\\設定");
  HKEY added = createKey(std::string(kTestKeyPath) + "\\追加キー");
  bool ok = key && settings && added;
  ok = ok && setNumber(key, "Count", 2);
  ok = ok && RegDeleteValueA(key, "古い値") == ERROR_SUCCESS;
  ok = ok && setString(key, "新しい値", "比較で現れる値");
  ok = ok && setString(settings, "Mode", "詳細");
  ok = ok && setNumber(added, "Created", 1);
  if (key) RegCloseKey(key);
  if (settings) RegCloseKey(settings);
  if (added) RegCloseKey(added);
  return ok;
}

// --- the program -----------------------------------------------------------------

platform::RecordingMessages messageAnswers;    // every box answered OK
platform::RecordingFileDialogs dialogAnswers;  // every file dialog cancelled
std::string scratchFolder;
std::string scratchProgram;

void makeScratchFolder() {
  scratchFolder = program_driver::makeScratchFolder("kestrin_screens");
  scratchProgram = scratchFolder + "regKestrin.exe";
  // The control rules the program ships with lie beside this program in the build.
  const std::string rules = platform::programFolder() + "keyCtrl.txt";
  CopyFileA(rules.c_str(), (scratchFolder + "keyCtrl.txt").c_str(), FALSE);
  // So does the help file, which the help command looks for beside the program.
  const std::string help = platform::programFolder() + "kestrinHelp.chm";
  CopyFileA(help.c_str(), (scratchFolder + "kestrinHelp.chm").c_str(), FALSE);
  // And the favourites menu and the item descriptions.
  for (const char* name : {"faveList.txt", "guide2kXp.txt"}) {
    CopyFileA((platform::programFolder() + name).c_str(), (scratchFolder + name).c_str(), FALSE);
  }
}

void removeScratchFolder() { program_driver::removeScratchFolder(scratchFolder); }

void stopProgram() {
  if (mainWindow && IsWindow(mainWindow)) {
    SendMessageA(mainWindow, WM_COMMAND, IDM_EXIT, 0);
    pumpPending();
  }
  MSG message;
  while (PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
  }
  shutdownOnce();
}

ItemIndex keyAt(ItemIndex parent, const char* name) {
  return findChild(currentStore(), parent, name, false);
}

ItemIndex testKeyItem() {
  const ItemIndex user = keyAt(kNoItem, "HKEY_CURRENT_USER");
  const ItemIndex software = user == kNoItem ? kNoItem : keyAt(user, "Software");
  return software == kNoItem ? kNoItem : keyAt(software, "KestrinScreens");
}

using program_driver::childItemCount;

// Runs a command as the menu does and waits until the program is idle again.
bool runCommand(int id) {
  SendMessageA(mainWindow, WM_COMMAND, static_cast<WPARAM>(id), 0);
  return pumpUntil([] { return !operationBusy && !(viewState & VIEW_READING); });
}

// --- captures inside modal loops -------------------------------------------------

// A modal menu or dialog runs its own message loop; a thread timer's callback runs
// inside it, photographs the screen and closes what is open.
struct ModalCapture {
  const char* fileName = nullptr;
  bool (*closeModal)() = nullptr;
  bool captured = false;
  bool ok = false;
};
ModalCapture modalCapture;

struct WindowSearch {
  const char* className;
  HWND found;
};

BOOL CALLBACK matchVisibleWindowOfClass(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<WindowSearch*>(data);
  char name[64] = "";
  GetClassNameA(window, name, sizeof name);
  if (lstrcmpA(name, search->className) == 0 && IsWindowVisible(window)) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

HWND visibleThreadWindowOfClass(const char* className) {
  WindowSearch search = {className, nullptr};
  EnumThreadWindows(GetCurrentThreadId(), matchVisibleWindowOfClass,
                    reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// Popup menus belong to the system's menu class, "#32768"; dialogs to "#32770".
HWND openMenuWindow() {
  HWND menu = visibleThreadWindowOfClass("#32768");
  return menu ? menu : FindWindowA("#32768", nullptr);
}

bool closeMenu() { return EndMenu() != 0; }

bool closeStatusDialog() {
  HWND dialog = visibleThreadWindowOfClass("#32770");
  if (!dialog) dialog = GetForegroundWindow();
  if (!dialog) return false;
  PostMessageA(dialog, WM_COMMAND, IDOK, 0);
  return true;
}

void CALLBACK captureModal(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  if (modalCapture.captured) return;
  modalCapture.captured = true;
  HWND dialog = visibleThreadWindowOfClass("#32770");
  HWND modal = dialog ? dialog : openMenuWindow();
  if (!modal) {
    report("%s: no menu or dialog is open", modalCapture.fileName);
  } else {
    RedrawWindow(modal, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    UpdateWindow(modal);
    GdiFlush();
    modalCapture.ok = captureScreen(modalCapture.fileName);
  }
  if (!modalCapture.closeModal()) {
    report("%s: could not close the modal window", modalCapture.fileName);
  }
}

void armModalCapture(const char* fileName, bool (*closeModal)()) {
  modalCapture = ModalCapture{};
  modalCapture.fileName = fileName;
  modalCapture.closeModal = closeModal;
  SetTimer(nullptr, 0, kModalCaptureDelayMs, captureModal);
}

// --- the tour --------------------------------------------------------------------

bool firstRead() {
  if (!createTestKey()) {
    report("could not create HKEY_CURRENT_USER\\%s", kTestKeyPath);
    return false;
  }
  if (!runCommand(IDM_READ_REGISTRY)) {
    report("the first read did not end");
    return false;
  }
  const ItemIndex user = keyAt(kNoItem, "HKEY_CURRENT_USER");
  if (user == kNoItem || !treeItemOf(user)) {
    report("the first read shows no HKEY_CURRENT_USER (status line: %s)", statusLineText().c_str());
    return false;
  }
  // Opened as a user opens it: select it and let the tree expand it.
  HTREEITEM item = treeItemOf(user);
  TreeView_SelectItem(treeWindow, item);
  TreeView_Expand(treeWindow, item, TVE_EXPAND);
  if (!pumpUntil([item] { return childItemCount(item) > 0; }, 5000)) {
    report("HKEY_CURRENT_USER did not open");
    return false;
  }
  TreeView_EnsureVisible(treeWindow, TreeView_GetRoot(treeWindow));
  return paintMainWindow() && captureScreen("first_read.bmp");
}

bool comparison() {
  if (!changeTestKey()) {
    report("could not change HKEY_CURRENT_USER\\%s", kTestKeyPath);
    return false;
  }
  if (!runCommand(IDM_READ_REGISTRY)) {
    report("the comparison did not end");
    return false;
  }
  const ItemIndex key = testKeyItem();
  if (key == kNoItem) {
    report("the comparison has no HKEY_CURRENT_USER\\%s", kTestKeyPath);
    return false;
  }
  revealItem(key, 0);
  openSubtree(key, 1, 0);
  selectItem(key, true);
  if (!treeItemOf(key) || childItemCount(treeItemOf(key)) == 0) {
    report("the test key shows no children after opening");
    return false;
  }
  return paintMainWindow() && captureScreen("comparison.bmp");
}

bool rightClickMenu() {
  const ItemIndex key = testKeyItem();
  const ItemIndex value = key == kNoItem ? kNoItem : findChild(currentStore(), key, "Count", true);
  if (value == kNoItem || !treeItemOf(value)) {
    report("the changed value \"Count\" is not in the tree");
    return false;
  }
  // What a right click on the value does before the menu opens.
  HTREEITEM item = treeItemOf(value);
  selectItem(value, false);
  currentItem = value;
  showItemPath(value);
  updateSelectionCommands(value);
  valueFilePath = selectedValueFile(value);
  if (!paintMainWindow()) return false;

  // TVM_GETITEMRECT takes the item in the rectangle's first bytes.
  RECT itemRect = {};
  std::memcpy(&itemRect, &item, sizeof item);
  SendMessageA(treeWindow, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&itemRect));
  POINT at = {itemRect.left + 24, itemRect.bottom};
  ClientToScreen(treeWindow, &at);
  armModalCapture("right_click_menu.bmp", closeMenu);
  showRightClickMenu(mainWindow, at.x, at.y, value);  // returns when the menu has closed
  pumpPending();
  if (!modalCapture.captured) {
    report("the right-click menu did not open");
    return false;
  }
  return modalCapture.ok;
}

// The favourite "ログオン(Winlogon)" (the fifth) opened, then the submenu shown
// where the "表示(&V)" menu drops down.
bool favouritesMenu() {
  if (!runCommand(IDM_FAVOURITE_FIRST + 4) || currentItem == kNoItem) {
    report("the Winlogon favourite opened nothing");
    return false;
  }
  HMENU view = GetSubMenu(GetMenu(mainWindow), 2);
  HMENU favourites = view ? GetSubMenu(view, GetMenuItemCount(view) - 1) : nullptr;
  RECT bar = {};
  if (!favourites || !GetMenuItemRect(mainWindow, GetMenu(mainWindow), 2, &bar)) {
    report("the favourites submenu is missing");
    return false;
  }
  if (!paintMainWindow()) return false;
  armModalCapture("favourites_menu.bmp", closeMenu);
  TrackPopupMenu(favourites, TPM_LEFTALIGN | TPM_TOPALIGN, bar.left, bar.bottom, 0, mainWindow, nullptr);
  pumpPending();
  if (!modalCapture.captured) {
    report("the favourites menu did not open");
    return false;
  }
  return modalCapture.ok;
}

// F1 on the Winlogon key the favourite selected.
bool descriptionWindow() {
  HWND shown = runCommand(IDM_DESCRIBE_ITEM) ? FindWindowA(nullptr, "Winlogon") : nullptr;
  if (!shown) {
    report("F1 showed no description of Winlogon");
    return false;
  }
  const bool ok = paintMainWindow() && UpdateWindow(shown) && captureScreen("description_window.bmp");
  SendMessageA(shown, WM_CLOSE, 0, 0);
  return ok;
}

bool statusInformation() {
  if (!paintMainWindow()) return false;
  armModalCapture("status_information.bmp", closeStatusDialog);
  SendMessageA(mainWindow, WM_COMMAND, IDM_STATUS_INFORMATION, 0);
  pumpPending();
  if (!modalCapture.captured) {
    report("the status information dialog did not open");
    return false;
  }
  return modalCapture.ok;
}

bool closeSearchDialog() {
  HWND dialog = visibleThreadWindowOfClass("#32770");
  if (!dialog) return false;
  PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  return true;
}

// The search dialog with its lower half (the search options) open.
bool searchDialog() {
  if (!paintMainWindow()) return false;
  searchSettings().optionsShown = true;
  armModalCapture("search_dialog.bmp", closeSearchDialog);
  SendMessageA(mainWindow, WM_COMMAND, IDM_SEARCH, 0);
  pumpPending();
  if (!modalCapture.captured) {
    report("the search dialog did not open");
    return false;
  }
  return modalCapture.ok;
}

// The property dialogs: a changed value beside its baseline, the test key, and the
// file property dialog (modeless) for the system's notepad.
bool propertyDialog(const char* fileName, ItemIndex reference) {
  if (reference == kNoItem) {
    report("%s: the item is not in the snapshot", fileName);
    return false;
  }
  revealItem(reference, (reference & kValueItemBit) ? 1 : 0);
  if (!paintMainWindow()) return false;
  armModalCapture(fileName, closeStatusDialog);
  SendMessageA(mainWindow, WM_COMMAND, IDM_PROPERTIES, 0);
  pumpPending();
  if (!modalCapture.captured) {
    report("%s: the dialog did not open", fileName);
    return false;
  }
  return modalCapture.ok;
}

bool propertyDialogs() {
  const ItemIndex key = testKeyItem();
  const ItemIndex value = key == kNoItem ? kNoItem : findChild(currentStore(), key, "Count", true);
  if (!propertyDialog("value_properties.bmp", value) ||
      !propertyDialog("key_properties.bmp", key)) {
    return false;
  }
  featureHooks.showFileProperties("rundll32.exe shell32.dll,Control_RunDLL");
  HWND dialog = filePropertiesWindow();
  if (!dialog) {
    report("the file property dialog did not open");
    return false;
  }
  SetWindowPos(dialog, HWND_TOP, 120, 40, 0, 0, SWP_NOSIZE);
  RedrawWindow(dialog, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  pumpUntil([dialog] {
    MSG message;
    return !needsPaint(dialog) && !PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);
  });
  GdiFlush();
  const bool ok = captureScreen("file_properties.bmp");
  DestroyWindow(dialog);
  pumpPending();
  return ok;
}

// The help command opens the HTML Help window in this thread; it is photographed once
// it and its contents pane are drawn, and closed again.
bool helpWindow() {
  SendMessageA(mainWindow, WM_COMMAND, IDM_HELP, 0);
  HWND help = nullptr;
  if (!pumpUntil([&help] { return (help = visibleThreadWindowOfClass("HH Parent")) != nullptr; },
                 10000)) {
    report("the help command opened no help window (is kestrinHelp.chm built?)");
    return false;
  }
  SetForegroundWindow(help);
  RedrawWindow(help, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  pumpUntil([help] {
    MSG message;
    return !needsPaint(help) && !PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);
  });
  GdiFlush();
  const bool ok = captureScreen("help_window.bmp");
  closeHelpWindows();
  pumpPending();
  return ok;
}

bool openAllChanges() {
  // However many changes the live registry shows, all of them are opened.
  messageAnswers.answers.push_back(platform::kAnswerYes);
  if (!runCommand(IDM_OPEN_ALL_CHANGES)) {
    report("opening all changes did not end");
    return false;
  }
  const ItemIndex key = testKeyItem();
  if (key == kNoItem || !treeItemOf(key)) {
    report("the test key is not shown after opening all changes");
    return false;
  }
  selectItem(key, true);
  return paintMainWindow() && captureScreen("open_all_changes.bmp");
}

// The option sheet: its first page photographed, then its second, then cancelled.
int optionPagesTaken = 0;
bool optionPagesOk = true;

void CALLBACK photographOptionPage(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND sheet = visibleThreadWindowOfClass("#32770");
  if (!sheet) return;
  RedrawWindow(sheet, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  GdiFlush();
  const char* name = optionPagesTaken == 0 ? "options_general.bmp" : "options_other.bmp";
  optionPagesOk = captureScreen(name) && optionPagesOk;
  if (++optionPagesTaken == 1) {
    PropSheet_SetCurSel(sheet, nullptr, 1);
    return;
  }
  KillTimer(nullptr, timer);
  PropSheet_PressButton(sheet, PSBTN_CANCEL);
}

bool optionPages() {
  if (!paintMainWindow()) return false;
  const UINT_PTR timer = SetTimer(nullptr, 0, kModalCaptureDelayMs, photographOptionPage);
  SendMessageA(mainWindow, WM_COMMAND, IDM_OPTIONS, 0);
  KillTimer(nullptr, timer);
  pumpPending();
  if (optionPagesTaken != 2) {
    report("the option sheet showed %d of its two pages", optionPagesTaken);
    return false;
  }
  return optionPagesOk;
}

bool tour() {
  if (!startProgram(GetModuleHandleA(nullptr), "", SW_SHOWMAXIMIZED)) {
    report("the program ended during start-up");
    return false;
  }
  // The tree has the focus as when a user works in it, so the selection shows in
  // the highlight colour.
  SetForegroundWindow(mainWindow);
  SetFocus(treeWindow);
  if (!paintMainWindow()) {
    report("the window was not painted");
    return false;
  }
  return firstRead() && comparison() && rightClickMenu() && favouritesMenu() && descriptionWindow() &&
         statusInformation() && searchDialog() && propertyDialogs() && helpWindow() &&
         openAllChanges() && optionPages();
}

// Written at the start with a note that the tour is under way and again at the end,
// so that a tour that crashed leaves its trace too (a virtual desktop does not pass
// the exit code on). Removed when the tour succeeded.
void writeErrorFile(const std::string& text) {
  const std::string path = outputFolder + "tour_errors.txt";
  if (text.empty()) {
    DeleteFileA(path.c_str());
    return;
  }
  HANDLE out = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  if (out == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 || argv[1][0] == '\0') {
    std::fprintf(stderr, "usage: screenshot_tour <output folder>\n");
    return 2;
  }
  outputFolder = argv[1];
  if (outputFolder.back() != '\\' && outputFolder.back() != '/') outputFolder += '\\';
  CreateDirectoryA(outputFolder.c_str(), nullptr);

  writeErrorFile("the tour did not finish\r\n");
  makeScratchFolder();
  platform::overrideProgramLocation(scratchProgram.c_str(), scratchFolder.c_str());
  platform::setMessageSeam(&messageAnswers);
  platform::setFileDialogSeam(&dialogAnswers);

  const bool ok = tour();
  stopProgram();
  deleteTestKey();
  for (const platform::ShownMessage& shown : messageAnswers.shown) {
    std::fprintf(stderr, "screenshot_tour: message box answered OK: [%s] %s\n",
                 shown.caption.c_str(), shown.text.c_str());
  }
  platform::setMessageSeam(nullptr);
  platform::setFileDialogSeam(nullptr);
  platform::overrideProgramLocation(nullptr, nullptr);
  removeScratchFolder();
  writeErrorFile(errorText);
  return ok ? 0 : 1;
}
