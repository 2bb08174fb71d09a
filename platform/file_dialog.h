// The open and save file dialogs.
//
// The snapshot commands ask for a file through this seam: on Windows the system's
// GetOpenFileNameA / GetSaveFileNameA owned by the message owner (the main window);
// outside Windows there is no dialog and every request is cancelled. Tests install a
// RecordingFileDialogs (platform/memory/recording_file_dialogs.h) that records each
// request and answers from a queue.
#pragma once

#include <string>

namespace platform {

// Dialog flags; the values of the OFN_ constants they stand for.
enum FileDialogFlags : unsigned {
  kFileOverwritePrompt = 0x00000002,
  kFileHideReadOnly = 0x00000004,
  kFilePathMustExist = 0x00000800,
};

struct FileDialogRequest {
  bool save = false;           // the save dialog, else the open dialog
  std::string title;           // cp932
  // Pairs of display text and pattern, each ended by a NUL, the whole list by a
  // second NUL (the form the system dialog takes).
  std::string filter;
  std::string initialFolder;   // empty: the system's choice
  std::string fileName;        // proposed name; empty for none
  std::string defaultExtension;  // without the dot; empty for none
  unsigned flags = 0;          // FileDialogFlags
};

class FileDialogSeam {
 public:
  virtual ~FileDialogSeam() = default;
  // Shows the dialog; true with the chosen full path (at most 259 bytes) on OK,
  // false when the user cancelled or the dialog could not be shown.
  virtual bool choose(const FileDialogRequest& request, std::string& path) = 0;
};

// The seam in use; never null.
FileDialogSeam& fileDialogs();
// Installs `seam` (not owned); nullptr goes back to the platform default.
void setFileDialogSeam(FileDialogSeam* seam);

}  // namespace platform
