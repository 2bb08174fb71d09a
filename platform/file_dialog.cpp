#include "platform/file_dialog.h"

namespace platform {

FileDialogSeam& defaultFileDialogSeam();  // platform/<system>/

namespace {
FileDialogSeam* installedSeam = nullptr;
}

FileDialogSeam& fileDialogs() { return installedSeam ? *installedSeam : defaultFileDialogSeam(); }
void setFileDialogSeam(FileDialogSeam* seam) { installedSeam = seam; }

}  // namespace platform
