// Outside Windows there is no user to ask: boxes are written to standard error and
// every question is answered with its affirmative button.
#include <cstdio>

#include "platform/message_box.h"

namespace platform {

namespace {
class ConsoleMessages : public MessageSeam {
 public:
  int show(const char* text, const char* caption, unsigned flags) override {
    std::fprintf(stderr, "[%s] %s\n", caption ? caption : "", text ? text : "");
    return (flags & 0xF) == kMsgYesNo ? kAnswerYes : kAnswerOk;
  }
};
}  // namespace

MessageSeam& defaultMessageSeam() {
  static ConsoleMessages seam;
  return seam;
}

}  // namespace platform
