#include "shell/file_handover.h"

#include <string>

#include "engine/instance_handover.h"
#include "engine/open_save_commands.h"
#include "shell/app_state.h"
#include "shell/deferred_commands.h"

namespace {

// How long a start waits for the running instance to take its file.
constexpr UINT kHandOverTimeoutMs = 5000;
// A handed file is opened as soon as the message that brought it has been answered.
constexpr UINT kHandedFileDelayMs = 10;

// Handed over, not yet opened (the last one wins, as in the open dialog).
std::string handedFile;

}  // namespace

bool handStartupFileTo(HWND running) {
  std::string argument;
  if (!takeStartupFile(argument)) return false;
  // The running instance has a working folder of its own: a relative name is
  // resolved here, where it was given.
  char full[kHandedPathBytes];
  const DWORD length = GetFullPathNameA(argument.c_str(), sizeof full, full, nullptr);
  if (length == 0 || length >= sizeof full) return false;
  const std::string message = handedFileMessage(full);
  if (message.empty()) return false;
  COPYDATASTRUCT data = {};
  data.dwData = kHandedFileTag;
  data.cbData = static_cast<DWORD>(message.size());
  data.lpData = const_cast<char*>(message.data());
  DWORD_PTR taken = FALSE;
  return SendMessageTimeoutA(running, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                             SMTO_ABORTIFHUNG, kHandOverTimeoutMs, &taken) != 0 &&
         taken == TRUE;
}

LRESULT receiveHandedFile(HWND window, const COPYDATASTRUCT* data) {
  std::string path;
  if (data == nullptr ||
      !readHandedFile(static_cast<uint32_t>(data->dwData), data->lpData, data->cbData, path)) {
    return FALSE;
  }
  handedFile = path;
  SetTimer(window, kStartupFileTimer, kHandedFileDelayMs, nullptr);
  return TRUE;
}

void onGivenFileTimer(HWND window) {
  KillTimer(window, kStartupFileTimer);
  std::string path;
  if (takeStartupFile(path)) requestGivenFileOpen(path);
  if (!handedFile.empty()) {
    path.swap(handedFile);
    handedFile.clear();
    requestGivenFileOpen(path);
  }
}

void scheduleStartupFile(HWND window) {
  handedFile.clear();
  if (fileChoice.startupFilePending) {
    SetTimer(window, kStartupFileTimer, kStartupFileDelayMs, nullptr);
  }
}
