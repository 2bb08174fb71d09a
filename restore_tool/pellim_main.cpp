// The restore program's entry: it creates the request block under its fixed name,
// shows its window and runs the message loop. A second copy finds the block already
// there, leaves it to the first, brings the first copy's window to the front and ends.
#include <windows.h>

#include <cstdint>
#include <memory>

#include "platform/message_box.h"
#include "platform/shared_memory.h"
#include "restore/undo_list_format.h"
#include "restore/undo_request.h"
#include "restore_tool/restore_window.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
  bool existed = false;
  std::unique_ptr<platform::SharedBlock> block = platform::sharedMemory().create(
      restore::kSharedBlockName, restore::kSharedBlockSize, &existed);
  if (!block) {
    uint32_t running = 0;
    if (existed && restore::isRestoreToolRunning(&running) && running != 0) {
      HWND other = reinterpret_cast<HWND>(static_cast<intptr_t>(static_cast<int32_t>(running)));
      ShowWindow(other, SW_SHOWNORMAL);
      SetForegroundWindow(other);
      return 0;
    }
    platform::showMessage("ペリムの共有メモリを作れません。", pellim::kCaption,
                          platform::kMsgIconError | platform::kMsgNoOwner);
    return 1;
  }
  HWND window = pellim::createRestoreWindow(instance, block.get());
  if (window == nullptr) return 1;
  platform::setMessageOwner(window);
  // Handles are 32-bit values on every Windows, sign-extended on 64-bit.
  restore::initRestoreBlock(
      *block, static_cast<uint32_t>(reinterpret_cast<uintptr_t>(window) & 0xFFFFFFFFu));
  ShowWindow(window, showCommand);
  UpdateWindow(window);
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    if (!IsDialogMessageA(window, &message)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  }
  platform::setMessageOwner(nullptr);
  return static_cast<int>(message.wParam);
}
