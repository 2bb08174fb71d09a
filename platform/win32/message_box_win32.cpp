#include <windows.h>

#include "platform/message_box.h"

namespace platform {

namespace {
class Win32Messages : public MessageSeam {
 public:
  int show(const char* text, const char* caption, unsigned flags) override {
    HWND owner = (flags & kMsgNoOwner) ? nullptr : static_cast<HWND>(messageOwner());
    return MessageBoxA(owner, text, caption, flags & ~static_cast<unsigned>(kMsgNoOwner));
  }
};
}  // namespace

MessageSeam& defaultMessageSeam() {
  static Win32Messages seam;
  return seam;
}

}  // namespace platform
