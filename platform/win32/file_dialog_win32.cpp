// The system's open and save dialogs, owned by the message owner (the main window).
#include <windows.h>

#include <commdlg.h>

#include <cstring>

#include "platform/file_dialog.h"
#include "platform/message_box.h"

namespace platform {

namespace {

constexpr size_t kPathBufferBytes = 260;

const char* textOrNull(const std::string& text) { return text.empty() ? nullptr : text.c_str(); }

class Win32FileDialogs : public FileDialogSeam {
 public:
  bool choose(const FileDialogRequest& request, std::string& path) override {
    // The proposed name goes into the buffer the dialog returns the choice in; a
    // name that does not fit is cut so that the buffer stays terminated.
    char buffer[kPathBufferBytes] = {};
    std::strncpy(buffer, request.fileName.c_str(), kPathBufferBytes - 1);

    OPENFILENAMEA dialog;
    std::memset(&dialog, 0, sizeof dialog);
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = static_cast<HWND>(messageOwner());
    // The filter carries its own NUL separators and double-NUL end.
    dialog.lpstrFilter = textOrNull(request.filter);
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = buffer;
    dialog.nMaxFile = static_cast<DWORD>(kPathBufferBytes);
    dialog.lpstrInitialDir = textOrNull(request.initialFolder);
    dialog.lpstrTitle = textOrNull(request.title);
    dialog.lpstrDefExt = textOrNull(request.defaultExtension);
    dialog.Flags = request.flags;

    const BOOL chosen = request.save ? GetSaveFileNameA(&dialog) : GetOpenFileNameA(&dialog);
    if (!chosen) return false;  // cancelled, or CommDlgExtendedError() has the reason
    buffer[kPathBufferBytes - 1] = '\0';
    path = buffer;
    return !path.empty();
  }
};

}  // namespace

FileDialogSeam& defaultFileDialogSeam() {
  static Win32FileDialogs seam;
  return seam;
}

}  // namespace platform
