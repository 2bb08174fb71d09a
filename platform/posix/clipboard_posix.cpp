// Outside Windows there is no system clipboard the program could use: text is kept
// for the process itself, so copy and read still meet.
#include <string>

#include "platform/clipboard.h"

namespace platform {

namespace {
class ProcessClipboard : public ClipboardSeam {
 public:
  bool copyText(const char* text) override {
    text_ = text ? text : "";
    holdsText_ = true;
    return true;
  }
  bool readText(std::string& text) override {
    if (!holdsText_) return false;
    text = text_;
    return true;
  }
  bool hasText() override { return holdsText_; }

 private:
  std::string text_;
  bool holdsText_ = false;
};
}  // namespace

ClipboardSeam& defaultClipboardSeam() {
  static ProcessClipboard seam;
  return seam;
}

}  // namespace platform
