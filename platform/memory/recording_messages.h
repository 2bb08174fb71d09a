// Test double for the message seam: records every box shown and answers from a
// queue (the default answer when the queue is empty). Install it for the lifetime
// of a test with ScopedMessages.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "platform/message_box.h"

namespace platform {

struct ShownMessage {
  std::string text;
  std::string caption;
  unsigned flags;
};

class RecordingMessages : public MessageSeam {
 public:
  int show(const char* text, const char* caption, unsigned flags) override {
    shown.push_back({text ? text : "", caption ? caption : "", flags});
    if (answers.empty()) return defaultAnswer;
    int answer = answers.front();
    answers.pop_front();
    return answer;
  }

  std::vector<ShownMessage> shown;
  std::deque<int> answers;
  int defaultAnswer = kAnswerOk;
};

// Installs a RecordingMessages while in scope and restores the default after.
class ScopedMessages {
 public:
  ScopedMessages() { setMessageSeam(&recorder); }
  ~ScopedMessages() { setMessageSeam(nullptr); }
  ScopedMessages(const ScopedMessages&) = delete;
  ScopedMessages& operator=(const ScopedMessages&) = delete;

  RecordingMessages recorder;
};

}  // namespace platform
