// Outside Windows there is nobody to choose a file: every dialog is cancelled, so
// the commands around it change nothing.
#include "platform/file_dialog.h"

namespace platform {

namespace {
class NoFileDialogs : public FileDialogSeam {
 public:
  bool choose(const FileDialogRequest&, std::string&) override { return false; }
};
}  // namespace

FileDialogSeam& defaultFileDialogSeam() {
  static NoFileDialogs seam;
  return seam;
}

}  // namespace platform
