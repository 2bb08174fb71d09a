#include "shell/program_driver.h"

#include "shell/app_state.h"
#include "shell/status_line.h"

namespace program_driver {

void pumpPending() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    dispatchWindowMessage(message);
  }
}

bool pumpUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  while (!condition()) {
    if (GetTickCount() - start > timeoutMs) return false;
    pumpPending();
    if (condition()) break;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
  }
  return true;
}

int childItemCount(HTREEITEM parent) {
  int count = 0;
  HTREEITEM item = parent == TVI_ROOT ? TreeView_GetRoot(treeWindow)
                                      : TreeView_GetChild(treeWindow, parent);
  for (; item; item = TreeView_GetNextSibling(treeWindow, item)) ++count;
  return count;
}

std::string makeScratchFolder(const char* name) {
  char temp[MAX_PATH];
  GetTempPathA(sizeof temp, temp);
  std::string folder =
      std::string(temp) + name + "_" + std::to_string(GetCurrentProcessId()) + "\\";
  CreateDirectoryA(folder.c_str(), nullptr);
  return folder;
}

void removeScratchFolder(const std::string& folder) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        DeleteFileA((folder + found.cFileName).c_str());
      }
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  RemoveDirectoryA(folder.c_str());
}

}  // namespace program_driver
