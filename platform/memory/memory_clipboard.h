// Test double for the clipboard seam: holds the text in memory, counts the copies,
// and refuses to open while `openFails` is set. Install it for the lifetime of a test
// with ScopedClipboard.
#pragma once

#include <string>

#include "platform/clipboard.h"

namespace platform {

class MemoryClipboard : public ClipboardSeam {
 public:
  bool copyText(const char* text) override {
    if (openFails) return false;
    this->text = text ? text : "";
    holdsText = true;
    ++copies;
    return true;
  }
  bool readText(std::string& out) override {
    if (openFails || !holdsText) return false;
    out = text;
    return true;
  }
  bool hasText() override { return !openFails && holdsText; }

  std::string text;
  bool holdsText = false;
  bool openFails = false;
  int copies = 0;
};

// Installs a MemoryClipboard while in scope and restores the default after.
class ScopedClipboard {
 public:
  ScopedClipboard() { setClipboardSeam(&board); }
  ~ScopedClipboard() { setClipboardSeam(nullptr); }
  ScopedClipboard(const ScopedClipboard&) = delete;
  ScopedClipboard& operator=(const ScopedClipboard&) = delete;

  MemoryClipboard board;
};

}  // namespace platform
