#include <windows.h>

#include <cstring>
#include <string>

#include "platform/clipboard.h"
#include "platform/message_box.h"

namespace platform {

namespace {

HWND clipboardOwner() { return static_cast<HWND>(messageOwner()); }

class Win32Clipboard : public ClipboardSeam {
 public:
  bool copyText(const char* text) override {
    if (!text) text = "";
    const size_t length = std::strlen(text);
    // Zero-filled with room to spare beyond the NUL, as readers of CF_TEXT expect.
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, length + 7);
    if (!memory) return false;
    void* bytes = GlobalLock(memory);
    if (!bytes) {
      GlobalFree(memory);
      return false;
    }
    std::memcpy(bytes, text, length);
    GlobalUnlock(memory);
    if (!OpenClipboard(clipboardOwner())) {
      GlobalFree(memory);
      return false;
    }
    EmptyClipboard();
    // On success the clipboard owns the memory; on failure it is still ours.
    bool placed = SetClipboardData(CF_TEXT, memory) != nullptr;
    CloseClipboard();
    if (!placed) GlobalFree(memory);
    return placed;
  }

  bool readText(std::string& text) override {
    if (!OpenClipboard(clipboardOwner())) return false;
    bool found = false;
    HANDLE memory = GetClipboardData(CF_TEXT);
    if (memory) {
      const char* bytes = static_cast<const char*>(GlobalLock(memory));
      if (bytes) {
        // The text ends at its NUL, and never beyond the memory that holds it.
        size_t size = GlobalSize(memory);
        const void* nul = std::memchr(bytes, 0, size);
        size_t length = nul ? static_cast<size_t>(static_cast<const char*>(nul) - bytes) : size;
        text.assign(bytes, length);
        GlobalUnlock(memory);
        found = true;
      }
    }
    CloseClipboard();
    return found;
  }

  bool hasText() override {
    if (!OpenClipboard(clipboardOwner())) return false;
    bool available = IsClipboardFormatAvailable(CF_TEXT) != 0;
    CloseClipboard();
    return available;
  }
};

}  // namespace

ClipboardSeam& defaultClipboardSeam() {
  static Win32Clipboard seam;
  return seam;
}

}  // namespace platform
