// The file dialog seam on the system's dialogs (run under Wine with a display): a
// helper thread finds the dialog by its title and presses a button, as a user would.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cctype>
#include <fstream>
#include <string>
#include <thread>

#include "platform/file_dialog.h"

namespace {

const char kTitle[] = "ファイル選択の確認";
const char kFilter[] = "Snapshots\0*.rsv\0All files\0*.*\0";  // and the literal's own NUL

// Presses `button` in the dialog titled kTitle once it shows; gives up after 30 s so
// that a dialog that never appears fails the test instead of hanging it.
class DialogPresser {
 public:
  explicit DialogPresser(int button)
      : thread_([this, button] {
          for (int tries = 0; tries < 1500 && !stop_; ++tries) {
            if (HWND dialog = FindWindowA("#32770", kTitle)) {
              PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
              pressed_ = true;
              return;
            }
            Sleep(20);
          }
        }) {}
  ~DialogPresser() {
    stop_ = true;
    thread_.join();
  }
  bool pressed() const { return pressed_; }

 private:
  std::atomic<bool> stop_{false};
  std::atomic<bool> pressed_{false};
  std::thread thread_;
};

std::string lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

class Win32FileDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char temp[MAX_PATH];
    ASSERT_GT(GetTempPathA(MAX_PATH, temp), 0u);
    folder_ = std::string(temp) + "kestrin_dialog_" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(folder_.c_str(), nullptr);
    request_.title = kTitle;
    request_.filter = std::string(kFilter, sizeof kFilter);
    request_.initialFolder = folder_;
    request_.flags = platform::kFilePathMustExist | platform::kFileHideReadOnly |
                     platform::kFileOverwritePrompt;
  }
  void TearDown() override {
    DeleteFileA((folder_ + "\\exists.rsv").c_str());
    RemoveDirectoryA(folder_.c_str());
  }

  std::string folder_;
  platform::FileDialogRequest request_;
};

TEST_F(Win32FileDialogTest, SaveAddsTheDefaultExtensionInTheInitialFolder) {
  request_.save = true;
  request_.fileName = "snap";
  request_.defaultExtension = "rsv";
  std::string path;
  DialogPresser presser(IDOK);
  ASSERT_TRUE(platform::fileDialogs().choose(request_, path));
  EXPECT_TRUE(presser.pressed());
  EXPECT_EQ(lower(path), lower(folder_ + "\\snap.rsv"));
}

TEST_F(Win32FileDialogTest, OpenReturnsTheProposedExistingFile) {
  std::ofstream(folder_ + "\\exists.rsv") << "x";
  request_.fileName = "exists.rsv";
  std::string path;
  DialogPresser presser(IDOK);
  ASSERT_TRUE(platform::fileDialogs().choose(request_, path));
  EXPECT_EQ(lower(path), lower(folder_ + "\\exists.rsv"));
}

TEST_F(Win32FileDialogTest, CancelReturnsFalseAndLeavesThePath) {
  request_.fileName = "whatever.rsv";
  std::string path = "unchanged";
  DialogPresser presser(IDCANCEL);
  EXPECT_FALSE(platform::fileDialogs().choose(request_, path));
  EXPECT_TRUE(presser.pressed());
  EXPECT_EQ(path, "unchanged");
}

}  // namespace
