// The Win32 side of the platform seams, run under Wine: the .rsv association, file
// dialogs, the fault handler, and cp932 name folding against the system.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "engine/memory_pool.h"
#include "platform/clipboard.h"
#include "platform/file_dialog.h"
#include "platform/memory/memory_clipboard.h"
#include "platform/memory/recording_messages.h"
#include "rules/file_association.h"
#include "text/cp932.h"
#include "text/fault_recovery.h"
#include "text/operation_log.h"

// The .rsv association on the system registry (run under Wine, in the test's own
// prefix); its states and the removal of both trees: file_association_test.

namespace {

std::string classesText(const char* subKey) {
  char data[1024] = "";
  DWORD size = sizeof data;
  const LONG rc = RegGetValueA(HKEY_CLASSES_ROOT, subKey, nullptr, RRF_RT_REG_SZ, nullptr, data, &size);
  return rc == ERROR_SUCCESS ? data : "<none>";
}

TEST(Win32RsvAssociation, WritesTheIconAndTheQuotedCommandThenRemovesThem) {
  const std::string program = "C:\\Program Files\\ケストリン\\regKestrin.exe";
  ASSERT_TRUE(setRsvAssociation(program.c_str()));
  EXPECT_EQ(classesText("rsvFile_Quillfen_Tarnwick\\DefaultIcon"), program + ",1");
  EXPECT_EQ(classesText("rsvFile_Quillfen_Tarnwick\\shell\\open\\command"), "\"" + program + "\" %1");
  removeRsvAssociation();
  EXPECT_EQ(classesText(".rsv") + classesText("rsvFile_Quillfen_Tarnwick"), "<none><none>");
}

}  // namespace

// The file dialog seam on the system's dialogs (run under Wine with a display): a
// helper thread finds the dialog by its title and presses a button, as a user would.

namespace {

std::string lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

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

// The system's dialog in a folder of its own, answered by a button press.
TEST(Win32FileDialog, SaveAddsTheExtensionOpenTakesTheExistingFileCancelLeavesThePath) {
  const struct {
    bool save;
    const char* fileName;
    int button;
    const char* chosen;  // null: cancelled
  } cases[] = {
      {true, "snap", IDOK, "\\snap.rsv"},
      {false, "exists.rsv", IDOK, "\\exists.rsv"},
      {false, "whatever.rsv", IDCANCEL, nullptr},
  };
  char temp[MAX_PATH];
  ASSERT_GT(GetTempPathA(MAX_PATH, temp), 0u);
  const std::string folder = std::string(temp) + "kestrin_dialog_" + std::to_string(GetCurrentProcessId());
  CreateDirectoryA(folder.c_str(), nullptr);
  std::ofstream(folder + "\\exists.rsv") << "x";
  for (const auto& c : cases) {
    platform::FileDialogRequest request;
    request.title = kTitle;
    request.filter = std::string(kFilter, sizeof kFilter);
    request.initialFolder = folder;
    request.flags = platform::kFilePathMustExist | platform::kFileHideReadOnly |
                    platform::kFileOverwritePrompt;
    request.save = c.save;
    request.fileName = c.fileName;
    request.defaultExtension = "rsv";
    std::string path = "unchanged";
    DialogPresser presser(c.button);
    EXPECT_EQ(platform::fileDialogs().choose(request, path), c.chosen != nullptr) << c.fileName;
    EXPECT_TRUE(presser.pressed());
    EXPECT_EQ(lower(path), c.chosen ? lower(folder + c.chosen) : "unchanged");
  }
  DeleteFileA((folder + "\\exists.rsv").c_str());
  RemoveDirectoryA(folder.c_str());
}

}  // namespace

// The fault handler on Windows (run under Wine): a real access violation and a real
// abort reach the recovery, which asks its question, copies the operation log on
// Yes and runs the shutdown hook before the process ends. Each case runs in a child
// process (a death test).

namespace {

platform::RecordingMessages* recoveryMessages = nullptr;
platform::MemoryClipboard* recoveryClipboard = nullptr;

// Reports on standard error what the recovery did, for the parent to match (line
// ends shown as "/": standard error is a text stream).
void reportingShutdown() {
  std::string copied = recoveryClipboard->text;
  for (size_t at = copied.find("\r\n"); at != std::string::npos; at = copied.find("\r\n", at)) {
    copied.replace(at, 2, "/");
  }
  std::fprintf(stderr, "boxes=%d copied=[%s] shutdown ran\n",
               static_cast<int>(recoveryMessages->shown.size()), copied.c_str());
  std::fflush(stderr);
}

void prepareRecovery() {
  static platform::RecordingMessages messages;
  static platform::MemoryClipboard clipboard;
  messages.answers = {platform::kAnswerYes};
  recoveryMessages = &messages;
  recoveryClipboard = &clipboard;
  platform::setMessageSeam(&messages);
  platform::setClipboardSeam(&clipboard);
  initMemoryPool();
  initOperationLog();
  logOperation(":first");
  logOperation(":second");
  setFaultShutdownHook(&reportingShutdown);
  if (!installFaultRecovery()) std::abort();
}

void accessViolation() {
  prepareRecovery();
  volatile int* volatile nowhere = nullptr;
  *nowhere = 1;
}

void abortCall() {
  prepareRecovery();
  std::abort();
}

bool endedAbnormally(int status) { return status != 0; }

TEST(Win32FaultRecoveryDeathTest, AccessViolationAndAbortEndThroughTheRecovery) {
  EXPECT_EXIT(accessViolation(), endedAbnormally, "boxes=2 copied=\\[:first/:second/\\] shutdown ran");
  EXPECT_EXIT(abortCall(), endedAbnormally, "boxes=2 copied=\\[:first/:second/\\] shutdown ran");
}

}  // namespace

// The program's name comparison against the system's: every pair of cp932 characters
// (each single byte and each lead/trail pair that MultiByteToWideChar(932) converts)
// compared as UTF-16 with CompareStringOrdinal ignoring case, as the registry does.

TEST(NameFoldWin32, EveryPairOfCharactersAgreesWithTheSystem) {
  std::vector<std::string> bytes;
  std::vector<std::wstring> wide;
  for (int code = 1; code < 0xFD00; ++code) {
    const bool twoBytes = code > 0xFF;
    if (cp932::isLeadByte(static_cast<uint8_t>(twoBytes ? code >> 8 : code)) != twoBytes) continue;
    std::string text(1, static_cast<char>(twoBytes ? code >> 8 : code));
    if (twoBytes) text += static_cast<char>(code);
    wchar_t w[4];
    const int n = MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, text.data(),
                                      static_cast<int>(text.size()), w, 4);
    if (n <= 0) continue;
    bytes.push_back(text);
    wide.emplace_back(w, static_cast<size_t>(n));
  }
  ASSERT_GT(bytes.size(), 9000u);  // single bytes, JIS, NEC and IBM characters
  long long folded = 0, disagreements = 0;
  for (size_t i = 0; i < bytes.size(); ++i) {
    for (size_t j = i + 1; j < bytes.size(); ++j) {
      const bool system = CompareStringOrdinal(wide[i].data(), static_cast<int>(wide[i].size()),
                                               wide[j].data(), static_cast<int>(wide[j].size()),
                                               TRUE) == CSTR_EQUAL;
      folded += system;
      if (system != (cp932::compareNames(bytes[i].c_str(), bytes[j].c_str()) == 0) &&
          ++disagreements <= 20) {
        ADD_FAILURE() << "characters " << i << " and " << j << (system ? ": one name" : ": two");
      }
    }
  }
  EXPECT_EQ(disagreements, 0);
  EXPECT_GT(folded, 400);  // A-Z and the double-byte pairs were met
}
