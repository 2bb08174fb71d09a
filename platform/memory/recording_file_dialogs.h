// Test double for the file dialog seam: records every request and answers from a
// queue of chosen paths, an empty entry (or an empty queue) being a cancel. Install
// it for the lifetime of a test with ScopedFileDialogs.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_dialog.h"

namespace platform {

class RecordingFileDialogs : public FileDialogSeam {
 public:
  bool choose(const FileDialogRequest& request, std::string& path) override {
    requests.push_back(request);
    if (whileShown) whileShown(request);
    if (answers.empty()) return false;
    std::optional<std::string> answer = answers.front();
    answers.pop_front();
    if (!answer) return false;
    path = *answer;
    return true;
  }

  std::vector<FileDialogRequest> requests;
  // Runs while a dialog is up, where a real dialog's own loop would handle the
  // window's messages (timers, keys) before the answer comes.
  std::function<void(const FileDialogRequest&)> whileShown;
  std::deque<std::optional<std::string>> answers;
};

// Installs a RecordingFileDialogs while in scope and restores the default after.
class ScopedFileDialogs {
 public:
  ScopedFileDialogs() { setFileDialogSeam(&recorder); }
  ~ScopedFileDialogs() { setFileDialogSeam(nullptr); }
  ScopedFileDialogs(const ScopedFileDialogs&) = delete;
  ScopedFileDialogs& operator=(const ScopedFileDialogs&) = delete;

  RecordingFileDialogs recorder;
};

}  // namespace platform
