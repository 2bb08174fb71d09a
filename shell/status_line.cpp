// The status line at the bottom of the main window, the window title, the busy cursor
// and the message-pumping wait.
#include "shell/status_line.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "shell/app_state.h"
#include "text/cp932.h"

namespace {

constexpr size_t kStatusBytes = 512;
constexpr size_t kTitleBytes = 512;
constexpr int kStatusFontHeight = 12;
constexpr int kStatusFontWeight = 500;
constexpr int kPointerNudge = 2;

HFONT statusFont = nullptr;
WNDPROC previousStatusProc = nullptr;
bool insideStatusResize = false;
// The last text given, for when the line itself is missing.
std::string shownStatusText;

HCURSOR waitCursor = nullptr;
HCURSOR savedCursor = nullptr;

// The running wait: its tick flag (nullptr while no wait runs) and its deadline. A
// wait inside a wait saves the outer one and gives it back its remaining time.
struct PumpWait {
  bool* tick;
  DWORD start;
  UINT milliseconds;
};
PumpWait runningWait = {nullptr, 0, 0};
HWND pumpTimerWindow = nullptr;
UINT_PTR pumpTimerId = 0;

// Cuts a text that filled its buffer so that it never ends in half a character.
void dropHalfCharacter(char* text) {
  const size_t length = std::strlen(text);
  size_t i = 0;
  while (i < length) {
    if (cp932::isLeadByte(static_cast<unsigned char>(text[i]))) {
      if (i + 1 >= length) {
        text[i] = '\0';
        return;
      }
      i += 2;
    } else {
      ++i;
    }
  }
}

void showStatus(const char* text) {
  shownStatusText = text;
  if (statusWindow) SetWindowTextA(statusWindow, text);
}

// Bottom of the owner's client area, full width, statusHeight high.
void placeStatusLine(HWND line) {
  HWND owner = GetParent(line);
  RECT client;
  if (!owner || !GetClientRect(owner, &client)) return;
  SetWindowPos(line, nullptr, 0, client.bottom - statusHeight, client.right - client.left,
               statusHeight, SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CALLBACK statusLineProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SIZE && !insideStatusResize) {
    insideStatusResize = true;
    placeStatusLine(window);
    insideStatusResize = false;
  }
  return CallWindowProcA(previousStatusProc, window, message, wParam, lParam);
}

int measureTextHeight(HWND window, HFONT font) {
  HDC dc = GetDC(window);
  if (!dc) return kStatusFontHeight;
  HGDIOBJ previous = font ? SelectObject(dc, font) : nullptr;
  TEXTMETRICA metrics = {};
  const int height = GetTextMetricsA(dc, &metrics) ? metrics.tmHeight : kStatusFontHeight;
  if (previous) SelectObject(dc, previous);
  ReleaseDC(window, dc);
  return height;
}

void CALLBACK pumpTimerProc(HWND, UINT, UINT_PTR, DWORD) { onPumpTimer(); }

// False when no timer could be started (the wait must then not block).
bool startPumpTimer(UINT milliseconds) {
  // A timer of the main window keeps id 4; without a live window (tests, or a wait
  // during shutdown) a thread timer, whose id the system picks, does the same.
  pumpTimerWindow = mainWindow && IsWindow(mainWindow) ? mainWindow : nullptr;
  pumpTimerId = SetTimer(pumpTimerWindow, pumpTimerWindow ? kPumpTimer : 0, milliseconds,
                         pumpTimerProc);
  if (!pumpTimerId) pumpTimerWindow = nullptr;
  return pumpTimerId != 0;
}

void stopPumpTimer() {
  if (pumpTimerId) KillTimer(pumpTimerWindow, pumpTimerWindow ? kPumpTimer : pumpTimerId);
  pumpTimerId = 0;
  pumpTimerWindow = nullptr;
}

// An inner wait has ended and taken timer 4 with it: the outer wait gets the rest of
// its time, or ends as soon as its loop looks at its flag.
void resumeOuterWait(const PumpWait& outer) {
  const DWORD elapsed = GetTickCount() - outer.start;
  if (elapsed >= outer.milliseconds) {
    *outer.tick = true;
    return;
  }
  if (!startPumpTimer(outer.milliseconds - elapsed)) *outer.tick = true;
}

}  // namespace

bool createStatusLine(HWND owner) {
  statusWindow = nullptr;
  destroyStatusLineFont();
  statusFont = CreateFontA(kStatusFontHeight, 0, 0, 0, kStatusFontWeight, FALSE, FALSE, FALSE,
                           DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                           DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "ＭＳ ゴシック");
  HWND line = CreateWindowExA(
      0, "Static", "",
      WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_GROUP | SS_NOPREFIX | SS_CENTERIMAGE, 0, 0,
      0, 0, owner, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kStatusLineId)), hInstance,
      nullptr);
  if (!line) return false;
  if (statusFont) SendMessageA(line, WM_SETFONT, reinterpret_cast<WPARAM>(statusFont), FALSE);
  statusHeight = measureTextHeight(line, statusFont) + 2;
  previousStatusProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(line, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(statusLineProc)));
  statusWindow = line;
  shownStatusText.clear();
  insideStatusResize = true;
  placeStatusLine(line);
  insideStatusResize = false;
  return true;
}

void destroyStatusLineFont() {
  if (statusFont) DeleteObject(statusFont);
  statusFont = nullptr;
}

void setStatusText(const char* format, ...) {
  char text[kStatusBytes];
  text[0] = ' ';
  va_list arguments;
  va_start(arguments, format);
  const int written = std::vsnprintf(text + 1, sizeof text - 1, format, arguments);
  va_end(arguments);
  if (written < 0) {
    text[1] = '\0';
  } else if (static_cast<size_t>(written) >= sizeof text - 1) {
    dropHalfCharacter(text);
  }
  showStatus(text);
}

void setStatusTextPlain(const char* text) { showStatus(text ? text : ""); }

std::string statusLineText() {
  if (!statusWindow) return shownStatusText;
  char text[kStatusBytes];
  const int length = GetWindowTextA(statusWindow, text, sizeof text);
  return std::string(text, length > 0 ? static_cast<size_t>(length) : 0);
}

void showCounts(const StatusCounts& counts, bool keysOnly) {
  const int64_t total = keysOnly ? counts.addedKeys + counts.deletedKeys : counts.changes();
  if (total == 0) {
    setStatusText("変化なし");
  } else if (keysOnly) {
    setStatusText("追加key %d, 削除key %d", static_cast<int>(counts.addedKeys),
                  static_cast<int>(counts.deletedKeys));
  } else {
    setStatusText("追加key %d, 削除key %d, 不一致 %d, 追加 %d, 削除 %d",
                  static_cast<int>(counts.addedKeys), static_cast<int>(counts.deletedKeys),
                  static_cast<int>(counts.changedValues), static_cast<int>(counts.addedValues),
                  static_cast<int>(counts.deletedValues));
  }
}

void setWindowTitle(const char* label, const char* secondLabel) {
  if (!label || !*label) {
    label = secondLabel;
    secondLabel = nullptr;
  }
  const bool first = label && *label;
  const bool second = secondLabel && *secondLabel;
  char title[kTitleBytes];
  if (first && second) {
    std::snprintf(title, sizeof title, "%s ： %s - %s", label, secondLabel, windowTitle);
  } else if (first) {
    std::snprintf(title, sizeof title, "%s - %s", label, windowTitle);
  } else {
    std::snprintf(title, sizeof title, "%s", windowTitle);
  }
  dropHalfCharacter(title);
  if (mainWindow) SetWindowTextA(mainWindow, title);
}

void beginBusyCursor() {
  if (!waitCursor) {
    waitCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_WAIT));
    if (!waitCursor) return;
    savedCursor = SetCursor(waitCursor);
  } else {
    SetCursor(waitCursor);
  }
}

void endBusyCursor() {
  if (!waitCursor) return;
  SetCursor(savedCursor);
  // The wait cursor is a shared system cursor: forgotten, never destroyed.
  waitCursor = nullptr;
  savedCursor = nullptr;
  // The system shows the restored cursor only after the pointer moves.
  POINT pointer;
  if (GetCursorPos(&pointer)) SetCursorPos(pointer.x + kPointerNudge, pointer.y);
}

void dispatchWindowMessage(MSG& message) {
  if (acceleratorTable && mainWindow &&
      TranslateAcceleratorA(mainWindow, acceleratorTable, &message)) {
    return;
  }
  if (modelessDialog && IsDialogMessageA(modelessDialog, &message)) return;
  TranslateMessage(&message);
  DispatchMessageA(&message);
}

bool pumpMessagesFor(UINT milliseconds) {
  bool ticked = false;
  const PumpWait outer = runningWait;
  runningWait = PumpWait{&ticked, GetTickCount(), milliseconds};
  if (!startPumpTimer(milliseconds)) ticked = true;

  MSG message;
  bool quit = false;
  while (!ticked) {
    const BOOL got = GetMessageA(&message, nullptr, 0, 0);
    if (got == 0) {
      quit = true;
      break;
    }
    if (got < 0) break;
    dispatchWindowMessage(message);
  }
  stopPumpTimer();
  runningWait = outer;
  if (outer.tick) resumeOuterWait(outer);
  if (quit) {
    // GetMessage took WM_QUIT off the queue; put it back so the main loop ends too.
    PostQuitMessage(static_cast<int>(message.wParam));
    return true;
  }
  return false;
}

bool pumpPendingWindowMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      // Taken off the queue: put it back so the main loop (or an outer wait) ends too.
      PostQuitMessage(static_cast<int>(message.wParam));
      return true;
    }
    dispatchWindowMessage(message);
  }
  return false;
}

void onPumpTimer() {
  if (runningWait.tick) *runningWait.tick = true;
}
