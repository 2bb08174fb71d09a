// The clipboard, as text (CF_TEXT: cp932 bytes ending in a NUL).
//
// Core code calls the free functions; on Windows they reach the system clipboard,
// opened for the window set with setMessageOwner (the main window). Outside Windows
// the default is a clipboard private to the process. Tests install a MemoryClipboard
// (platform/memory/memory_clipboard.h) that records what was put there and can
// refuse to open.
#pragma once

#include <string>

namespace platform {

class ClipboardSeam {
 public:
  virtual ~ClipboardSeam() = default;
  // Replaces the clipboard's contents with `text` (NUL-terminated). False when the
  // memory could not be had or the clipboard could not be opened; nothing changed then.
  virtual bool copyText(const char* text) = 0;
  // The clipboard's text, or false when it cannot be opened or holds no text.
  virtual bool readText(std::string& text) = 0;
  // Whether the clipboard holds text (false when it cannot be opened).
  virtual bool hasText() = 0;
};

// The seam in use; never null.
ClipboardSeam& clipboard();
// Installs `seam` (not owned); nullptr goes back to the platform default.
void setClipboardSeam(ClipboardSeam* seam);

inline bool copyTextToClipboard(const char* text) { return clipboard().copyText(text); }
inline bool readClipboardText(std::string& text) { return clipboard().readText(text); }
inline bool clipboardHasText() { return clipboard().hasText(); }

}  // namespace platform
