// Start-up, the message loop and the once-only shutdown.
//
// Start-up runs in a fixed order: the state that needs no window (options defaults,
// memory pool, operation log, snapshot stores), the single-instance check, the
// settings and rule files, then the window with its children and menus. The
// shutdown writes back what the program keeps between runs and gives everything
// back; it runs at most once however many of its callers (WM_CLOSE, "終了", the end
// of the loop, an early end of start-up, a fatal fault) reach it.
#include <windows.h>

#include <cstring>
#include <string>

#include "dialogs/file_property_dialog.h"
#include "dialogs/value_property_dialog.h"
#include "engine/instance_handover.h"
#include "engine/memory_pool.h"
#include "engine/open_save_commands.h"
#include "engine/progress_hooks.h"
#include "engine/registry_reader.h"
#include "engine/snapshot_store.h"
#include "navigation/mark_list.h"
#include "navigation/registry_editor_jump.h"
#include "platform/files.h"
#include "platform/message_box.h"
#include "resources/resource_ids.h"
#include "rules/options.h"
#include "rules/rule_apply.h"
#include "rules/rule_files.h"
#include "rules/rule_store.h"
#include "shell/app_state.h"
#include "shell/deferred_commands.h"
#include "shell/description_commands.h"
#include "shell/favourites_commands.h"
#include "shell/feature_hooks.h"
#include "shell/file_handover.h"
#include "shell/help_file.h"
#include "shell/main_window.h"
#include "shell/menu_state.h"
#include "shell/status_line.h"
#include "search/search_history.h"
#include "shell/tree_view.h"
#include "text/fault_recovery.h"
#include "text/operation_log.h"

namespace {

constexpr uint32_t kInstanceMappingBytes = 256;

HANDLE instanceMapping = nullptr;

std::string instanceName() { return singleInstanceName(platform::programPath()); }

// True when another instance of this executable runs; that instance's window is
// then brought to the front and given the command-line file, if any.
bool anotherInstanceRuns() {
  HANDLE mapping = OpenFileMappingA(FILE_MAP_READ, FALSE, instanceName().c_str());
  if (!mapping) return false;
  const void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, kInstanceMappingBytes);
  if (view) {
    uint32_t handleValue = 0;
    std::memcpy(&handleValue, view, sizeof handleValue);
    HWND other = reinterpret_cast<HWND>(static_cast<uintptr_t>(handleValue));
    if (IsWindow(other) && IsWindowVisible(other)) {
      SetForegroundWindow(other);
      handStartupFileTo(other);
    }
    UnmapViewOfFile(view);
  }
  CloseHandle(mapping);
  return true;
}

void registerInstance() {
  HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                      kInstanceMappingBytes, instanceName().c_str());
  if (!mapping) return;
  if (GetLastError() == ERROR_ALREADY_EXISTS) {
    CloseHandle(mapping);
    return;
  }
  void* view = MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, kInstanceMappingBytes);
  if (view) {
    const uint32_t handleValue =
        static_cast<uint32_t>(reinterpret_cast<uintptr_t>(mainWindow));
    std::memcpy(view, &handleValue, sizeof handleValue);
    UnmapViewOfFile(view);
  }
  instanceMapping = mapping;
}

void findHelpFile() { helpFilePath = platform::programFolder() + "kestrinHelp.chm"; }

bool registerMainWindowClass(HINSTANCE instance) {
  WNDCLASSEXA windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_OWNDC;
  windowClass.lpfnWndProc = mainWindowProc;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_PROGRAM));
  windowClass.hIconSm = LoadIconA(instance, MAKEINTRESOURCEA(IDI_PROGRAM_SMALL));
  windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  windowClass.lpszMenuName = MAKEINTRESOURCEA(IDR_MAIN_MENU);
  windowClass.lpszClassName = windowClassName;
  // A class left registered by an earlier start in this process is reused.
  return RegisterClassExA(&windowClass) != 0 ||
         GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

// The core's long operations show their progress and keep the window alive here.
void showCoreStatus(const char* text) { setStatusText("%s", text); }
bool pumpForCore() { return pumpMessagesFor(100); }

void showReadRoot(int root) {
  if (featureHooks.markDescriptions) featureHooks.markDescriptions();
  showKey(root, 0);
}
void showReadSummary(const StatusCounts& counts) {
  showCounts(counts, programOptions.entries[OPT_KEYS_ONLY] != 0);
}

void installCoreHooks() {
  setStatusTextHook(showCoreStatus);
  setMessagePumpHook(pumpForCore);
  setKeepAliveHook(pumpPendingWindowMessages);
  ReaderHooks hooks;
  hooks.clearTreeView = clearTree;
  hooks.rebuildRuleLookup = rebuildRulesFromBaseline;
  hooks.showRoot = showReadRoot;
  hooks.showChangeSummary = showReadSummary;
  setReaderHooks(hooks);
  installRuleHooks();
  featureHooks.showItemProperties = showItemProperties;
  featureHooks.showFileProperties = showFileProperties;
  featureHooks.openInRegistryEditor = openInRegistryEditor;
}

void removeCoreHooks() {
  setStatusTextHook(nullptr);
  setMessagePumpHook(nullptr);
  setKeepAliveHook(nullptr);
  setReaderHooks(ReaderHooks{});
}

// Step 4: everything that needs no window.
void initialiseProgramState() {
  setOptionDefaults(programOptions);
  programOptions.dataFolder[0] = '\0';
  initMenuStates();
  optionsDirty = true;
  initMemoryPool();
  initOperationLog();
  initSnapshotStores();
  resetFileChoice();
  forgetOwedCommands();
  viewState = 0;
  operationBusy = false;
  autoCheckOn = false;
  autoCheckTriggered = false;
  clipboardOwned = false;
  searchResultsShown = false;
  baselineLabel.clear();
  comparisonLabel.clear();
  titleLabel.clear();
  lastCounts = StatusCounts{};
  forgetRegistryEditorWarning();
  initialised = true;
}

// Step 6: the default placement, then options.dat.
void loadSettings() {
  RECT desktop;
  GetWindowRect(GetDesktopWindow(), &desktop);
  programOptions.windowX = 200;
  programOptions.windowY = 100;
  programOptions.windowWidth = desktop.right - desktop.left - 400;
  programOptions.windowHeight = desktop.bottom - desktop.top - 200;
  programOptions.windowMaximized = 0;
  loadOptions();
  if (programOptions.dataFolder[0] == '\0') {
    std::strncpy(programOptions.dataFolder, platform::programFolder().c_str(),
                 kDataFolderBytes - 1);
    programOptions.dataFolder[kDataFolderBytes - 1] = '\0';
  }
}

}  // namespace

void shutdownOnce() {
  if (!initialised) return;
  initialised = false;
  if (mainWindow) {
    KillTimer(mainWindow, kAutoCheckTimer);
    KillTimer(mainWindow, kStartupFileTimer);
  }
  if (optionsDirty) saveOptions();
  forgetOwedCommands();
  saveSearchHistory();
  saveMarkList();
  // From here on the tree's notifications must not reach the stores being released.
  viewState = 0;
  operationBusy = true;

  destroyTreeResources();
  destroyStatusLineFont();
  destroyMenuResources();

  removeCoreHooks();
  freeFavourites();
  removeDescriptions();
  destroyStore(currentStore());
  destroyStore(baselineStore());
  resetRules();
  releaseOperationLog();
  if (instanceMapping) {
    CloseHandle(instanceMapping);
    instanceMapping = nullptr;
  }
  releaseMemoryPool();
  closeHelpWindows();
  operationBusy = false;
}

bool startProgram(HINSTANCE instance, const char* commandLine, int showCommand) {
  hInstance = instance;
  LoadStringA(instance, IDS_APP_TITLE, windowTitle, sizeof windowTitle);
  LoadStringA(instance, IDS_WINDOW_CLASS, windowClassName, sizeof windowClassName);
  if (!registerMainWindowClass(instance)) return false;
  findHelpFile();

  initialiseProgramState();
  noteStartupFile(commandLine ? commandLine : "");

  if (anotherInstanceRuns()) {
    optionsDirty = false;
    shutdownOnce();
    return false;
  }
  loadSettings();
  resetRules();
  loadRuleFiles();
  loadSearchHistory();
  setFaultShutdownHook(shutdownOnce);

  mainWindow = nullptr;
  HWND window = CreateWindowExA(WS_EX_WINDOWEDGE, windowClassName, windowTitle,
                                WS_OVERLAPPEDWINDOW, programOptions.windowX,
                                programOptions.windowY, programOptions.windowWidth,
                                programOptions.windowHeight, nullptr, nullptr, instance, nullptr);
  if (!window) {
    shutdownOnce();
    return false;
  }
  if (!createTreeView(window)) {
    shutdownOnce();
    DestroyWindow(window);
    return false;
  }
  installCoreHooks();
  loadMarkList(programOptions.dataFolder);

  ShowWindow(window, programOptions.windowMaximized ? SW_MAXIMIZE : showCommand);
  ShowWindow(treeWindow, SW_SHOWNORMAL);
  UpdateWindow(window);

  setUpMenus();
  installDescriptions();
  scheduleStartupFile(window);
  registerInstance();
  // After registering: a second start while the missing file's message is up hands its
  // file to this instance instead of running beside it.
  loadFavourites();
  installFaultRecovery();
  acceleratorTable = LoadAcceleratorsA(instance, MAKEINTRESOURCEA(IDR_ACCELERATORS));
  return true;
}

int runMessageLoop() {
  MSG message;
  int exitCode = 0;
  while (true) {
    const BOOL got = GetMessageA(&message, nullptr, 0, 0);
    if (got == 0) {
      exitCode = static_cast<int>(message.wParam);
      break;
    }
    if (got < 0) break;
    dispatchWindowMessage(message);
  }
  shutdownOnce();
  return exitCode;
}

int runProgram(HINSTANCE instance, const char* commandLine, int showCommand) {
  if (!startProgram(instance, commandLine, showCommand)) return 0;
  return runMessageLoop();
}
