// Message boxes and questions: the one way the program talks to the user outside
// its windows.
//
// Core code calls showMessage(); the shell installs nothing (the Win32 build's default
// is a real MessageBoxA owned by the window given to setMessageOwner), tests install a
// RecordingMessages (platform/memory) that records every box and answers from a queue.
// Flag and answer values equal the Win32 MB_ / ID constants so the Win32 side passes
// them through unchanged.
#pragma once

namespace platform {

enum MessageFlags : unsigned {
  kMsgOk = 0x0,
  kMsgOkCancel = 0x1,
  kMsgYesNo = 0x4,
  kMsgIconError = 0x10,
  kMsgIconQuestion = 0x20,
  kMsgIconWarning = 0x30,
  kMsgIconInformation = 0x40,
  kMsgTaskModal = 0x2000,
  // Not a Win32 bit: show the box without an owner window.
  kMsgNoOwner = 0x80000000u,
};

enum MessageAnswer : int {
  kAnswerOk = 1,
  kAnswerCancel = 2,
  kAnswerYes = 6,
  kAnswerNo = 7,
};

class MessageSeam {
 public:
  virtual ~MessageSeam() = default;
  // Shows `text` (cp932, NUL-terminated) under `caption`; returns the button chosen.
  virtual int show(const char* text, const char* caption, unsigned flags) = 0;
};

// The seam in use. Never null: without an installed one, the platform default.
MessageSeam& messages();
// Installs `seam` (not owned); nullptr goes back to the platform default.
void setMessageSeam(MessageSeam* seam);

inline int showMessage(const char* text, const char* caption, unsigned flags) {
  return messages().show(text, caption, flags);
}

// Window that owns message boxes (an HWND on Windows); nullptr for none.
void setMessageOwner(void* window);
void* messageOwner();

}  // namespace platform
