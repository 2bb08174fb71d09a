// Entry function and main window. The window procedure only unpacks messages and
// hands them on; the window is the owner of every message box the core shows.
#include <windows.h>

#include "engine/memory_pool.h"
#include "platform/message_box.h"
#include "resources/resource_ids.h"

namespace {

char windowTitle[100];
char windowClass[100];

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_DESTROY:
      platform::setMessageOwner(nullptr);
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

bool registerMainWindowClass(HINSTANCE instance) {
  WNDCLASSEXA windowClassInfo = {};
  windowClassInfo.cbSize = sizeof windowClassInfo;
  windowClassInfo.style = CS_HREDRAW | CS_VREDRAW;
  windowClassInfo.lpfnWndProc = mainWindowProc;
  windowClassInfo.hInstance = instance;
  windowClassInfo.hCursor = LoadCursor(nullptr, IDC_ARROW);
  windowClassInfo.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  windowClassInfo.lpszClassName = windowClass;
  return RegisterClassExA(&windowClassInfo) != 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
  LoadStringA(instance, IDS_APP_TITLE, windowTitle, sizeof windowTitle);
  LoadStringA(instance, IDS_WINDOW_CLASS, windowClass, sizeof windowClass);
  if (!registerMainWindowClass(instance)) return 1;
  initMemoryPool();

  HWND window = CreateWindowExA(0, windowClass, windowTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, 0,
                                800, 600, nullptr, nullptr, instance, nullptr);
  if (!window) return 1;
  platform::setMessageOwner(window);
  ShowWindow(window, showCommand);
  UpdateWindow(window);

  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  releaseMemoryPool();
  return static_cast<int>(message.wParam);
}
