// Release check: the program as a user meets it, unpacked from the release zip.
//
// Usage: release_check <folder the zip was unpacked into, ending in a backslash>
//        [GoogleTest options]
//
// Checks the files of the zip and starts the unpacked regKestrin.exe as a separate
// process (its working folder is elsewhere, so it must find its files from its own
// path, which holds blanks and Japanese characters) and opens the help file. It
// drives the program only through window messages, as a user's clicks do, and waits
// by polling for a condition, never for a fixed time; message boxes are answered OK.
// Reading, saving and opening files from the command line are the shell tests' part.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "resources/command_ids.h"
#include "resources/version.h"

namespace {

constexpr DWORD kStartTimeoutMs = 30000;

std::string programFolder;

std::string windowText(HWND window) {
  char text[512] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

std::string className(HWND window) {
  char name[128] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

// Calls `visit` for each top-level window (parent null) or each descendant of
// `parent` until it returns false.
BOOL CALLBACK visitWindow(HWND window, LPARAM visit) {
  return (*reinterpret_cast<const std::function<bool(HWND)>*>(visit))(window) ? TRUE : FALSE;
}

void forEachWindow(HWND parent, const std::function<bool(HWND)>& visit) {
  const LPARAM parameter = reinterpret_cast<LPARAM>(&visit);
  if (parent) {
    EnumChildWindows(parent, visitWindow, parameter);
  } else {
    EnumWindows(visitWindow, parameter);
  }
}

bool isVisibleWindowOf(HWND window, DWORD processId) {
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  return owner == processId && IsWindowVisible(window);
}

// The first visible top-level window of process `processId` whose class is `name`
// and that `accept` takes.
HWND findWindowOf(DWORD processId, const char* name,
                  const std::function<bool(HWND)>& accept = nullptr) {
  HWND found = nullptr;
  forEachWindow(nullptr, [&](HWND window) {
    if (!isVisibleWindowOf(window, processId) || className(window) != name) return true;
    if (accept && !accept(window)) return true;
    found = window;
    return false;
  });
  return found;
}

HWND findDescendant(HWND parent, const char* name) {
  HWND found = nullptr;
  forEachWindow(parent, [&](HWND window) {
    if (className(window) != name) return true;
    found = window;
    return false;
  });
  return found;
}

// One run of the unpacked program.
class RunningProgram {
 public:
  ~RunningProgram() {
    if (process_.hProcess) {
      TerminateProcess(process_.hProcess, 1);
      CloseHandle(process_.hProcess);
      CloseHandle(process_.hThread);
    }
  }

  // Starts the program and waits for its main window.
  bool start() {
    const std::string program = programFolder + "regKestrin.exe";
    std::string commandLine = "\"" + program + "\"";
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    if (!CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        temp, &startup, &process_)) {
      return false;
    }
    return waitFor([&] { return (window_ = findWindowOf(process_.dwProcessId, "TARNWICK")); },
                   kStartTimeoutMs);
  }

  // Polls `condition`, answering the program's message boxes with OK, until it holds.
  bool waitFor(const std::function<bool()>& condition, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
      if (condition()) return true;
      if (GetTickCount() - start > timeoutMs) return false;
      if (WaitForSingleObject(process_.hProcess, 50) == WAIT_OBJECT_0) return condition();
      answerMessageBoxes();
    }
  }

  // Closes the main window as the user does and waits for a clean end.
  bool close() {
    PostMessageA(window_, WM_CLOSE, 0, 0);
    if (!waitFor([&] { return WaitForSingleObject(process_.hProcess, 0) == WAIT_OBJECT_0; },
                 kStartTimeoutMs)) {
      return false;
    }
    DWORD exitCode = 1;
    GetExitCodeProcess(process_.hProcess, &exitCode);
    CloseHandle(process_.hProcess);
    CloseHandle(process_.hThread);
    process_ = {};
    return exitCode == 0;
  }

  void post(int command) { PostMessageA(window_, WM_COMMAND, static_cast<WPARAM>(command), 0); }
  DWORD processId() const { return process_.dwProcessId; }

 private:
  void answerMessageBoxes() {
    HWND box = findWindowOf(process_.dwProcessId, "#32770",
                            [](HWND dialog) { return GetDlgItem(dialog, IDOK) != nullptr; });
    if (!box) return;
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
    Sleep(50);  // let the box close before it is looked for again
  }

  PROCESS_INFORMATION process_ = {};
  HWND window_ = nullptr;
};

std::string readFile(const std::string& path) {
  std::string bytes;
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                            nullptr);
  if (file == INVALID_HANDLE_VALUE) return bytes;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
  CloseHandle(file);
  return bytes;
}

// The text of tree item `item` of another process's tree view: the item record and
// its text buffer must lie in that process.
std::string remoteTreeItemText(HWND tree, DWORD processId, HTREEITEM item) {
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE,
                               processId);
  if (!process) return {};
  std::string text;
  constexpr SIZE_T kTextBytes = 512;
  char* remote = static_cast<char*>(
      VirtualAllocEx(process, nullptr, sizeof(TVITEMA) + kTextBytes, MEM_COMMIT, PAGE_READWRITE));
  if (remote) {
    TVITEMA request = {};
    request.mask = TVIF_TEXT;
    request.hItem = item;
    request.pszText = remote + sizeof(TVITEMA);
    request.cchTextMax = kTextBytes;
    char buffer[kTextBytes] = {};
    if (WriteProcessMemory(process, remote, &request, sizeof request, nullptr) &&
        SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(remote)) &&
        ReadProcessMemory(process, remote + sizeof(TVITEMA), buffer, kTextBytes - 1, nullptr)) {
      text = buffer;
    }
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  }
  CloseHandle(process);
  return text;
}

TEST(ReleaseZip, HoldsTheProgramItsFilesAndAJapaneseReadme) {
  for (const char* name : {"regKestrin.exe", "kestrinHelp.chm", "keyCtrl.txt", "readme.txt"}) {
    EXPECT_NE(GetFileAttributesA((programFolder + name).c_str()), INVALID_FILE_ATTRIBUTES) << name;
  }
  const std::string readme = readFile(programFolder + "readme.txt");
  ASSERT_FALSE(readme.empty());
  // cp932 text (the literal is cp932 bytes) with CR LF line ends only.
  EXPECT_NE(readme.find("ゾルファンケストリン"), std::string::npos);
  EXPECT_NE(readme.find(KESTRIN_VERSION_TEXT), std::string::npos);
  for (size_t at = readme.find('\n'); at != std::string::npos; at = readme.find('\n', at + 1)) {
    ASSERT_TRUE(at > 0 && readme[at - 1] == '\r') << "bare line feed at byte " << at;
  }
}

TEST(ReleaseZip, VersionResourceCarriesTheVersionConstant) {
  const std::string program = programFolder + "regKestrin.exe";
  DWORD handle = 0;
  const DWORD size = GetFileVersionInfoSizeA(program.c_str(), &handle);
  ASSERT_GT(size, 0u);
  std::vector<char> info(size);
  ASSERT_TRUE(GetFileVersionInfoA(program.c_str(), 0, size, info.data()));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwFileVersionMS,
            static_cast<DWORD>(MAKELONG(KESTRIN_VERSION_MINOR, KESTRIN_VERSION_MAJOR)));
  EXPECT_EQ(HIWORD(fixed->dwFileVersionLS), KESTRIN_VERSION_PATCH);
  // The version text: the file property dialog's test reads it from the program.
}

TEST(ReleaseZip, HelpCommandOpensTheManualAtItsFirstPage) {
  RunningProgram program;
  ASSERT_TRUE(program.start());
  program.post(IDM_HELP);
  HWND help = nullptr;
  ASSERT_TRUE(program.waitFor(
      [&] { return (help = findWindowOf(program.processId(), "HH Parent")); }, kStartTimeoutMs))
      << "no HTML Help window";
  EXPECT_EQ(windowText(help), "ゾルファンケストリン ヘルプ");
  // The contents pane lists the manual, its first page first.
  HWND tree = nullptr;
  ASSERT_TRUE(program.waitFor([&] { return (tree = findDescendant(help, "SysTreeView32")); },
                              kStartTimeoutMs));
  const HTREEITEM first = reinterpret_cast<HTREEITEM>(
      SendMessageA(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(remoteTreeItemText(tree, program.processId(), first), "はじめに");
  // Closing the program closes its help window too.
  EXPECT_TRUE(program.close());
  EXPECT_FALSE(IsWindow(help));
}

}  // namespace

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: release_check <unpacked program folder\\> [gtest options]\n");
    return 2;
  }
  programFolder = argv[1];
  if (!programFolder.empty() && programFolder.back() != '\\') programFolder += '\\';
  return RUN_ALL_TESTS();
}
