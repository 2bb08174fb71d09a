// The open and save commands: what the dialogs are asked (filters, titles, default
// names, folders), the command-line file, the file kinds written, display names, and
// cancelled or failed saves.
#include "engine/open_save_commands.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <optional>
#include <string>

#include "platform/memory/recording_file_dialogs.h"
#include "tests/engine/snapshot_file_test_support.h"

namespace snapshot_file_test {
namespace {

namespace fs = std::filesystem;
using platform::FileDialogRequest;

const std::string kSaveFolder = "C:\\Kestrin\\data\\";

// A dialog filter: every part NUL-ended, the list ended by a second NUL.
std::string filterOf(std::initializer_list<const char*> parts) {
  std::string list;
  for (const char* part : parts) list.append(part).push_back('\0');
  list.push_back('\0');
  return list;
}

const std::string kOpenFilter =
    filterOf({"レジストリ情報保存 {*.rsv;*.rsa}", "*.rsv;*.rsa", "All files", "*.*"});
constexpr unsigned kExpectedFlags = 0x0800 | 0x0004 | 0x0002;

class OpenSaveCommandsTest : public SnapshotFileTest {
 protected:
  void SetUp() override {
    SnapshotFileTest::SetUp();
    resetFileChoice();
    folder_ = fs::temp_directory_path() /
              ("kestrin_open_save_" + std::to_string(reinterpret_cast<uintptr_t>(this)));
    fs::create_directories(folder_);
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
    resetFileChoice();
    SnapshotFileTest::TearDown();
  }

  std::string path(const char* name) { return (folder_ / name).string(); }
  void answer(const std::string& chosen) { dialogs_.recorder.answers.push_back(chosen); }
  void cancel() { dialogs_.recorder.answers.push_back(std::nullopt); }
  const std::vector<FileDialogRequest>& requests() { return dialogs_.recorder.requests; }

  platform::ScopedFileDialogs dialogs_;
  fs::path folder_;
};

TEST_F(OpenSaveCommandsTest, FirstDialogStartsInTheSaveFolderLaterOnesWhereTheLastFileWas) {
  answer("C:\\snaps\\monday\\base.rsv");  // does not exist: the load fails silently
  const OpenOutcome baseline = openBaselineCommand(kSaveFolder, {});
  EXPECT_TRUE(baseline.chosen);
  EXPECT_FALSE(baseline.load.loaded);
  EXPECT_EQ(fileChoice.lastFolder, "C:\\snaps\\monday");

  answer("D:other.rsv");
  openComparisonCommand(kSaveFolder, {});
  EXPECT_EQ(fileChoice.lastFolder, "D:");
  cancel();
  EXPECT_EQ(saveCommand(SAVE_PLAIN, false, kSaveFolder, {}), SaveOutcome::kCancelled);

  ASSERT_EQ(requests().size(), 3u);
  const FileDialogRequest& first = requests()[0];
  EXPECT_FALSE(first.save);
  EXPECT_EQ(first.title, "基準保存ファイルを開く");
  EXPECT_EQ(first.filter, kOpenFilter);
  EXPECT_EQ(first.initialFolder, kSaveFolder);
  EXPECT_EQ(first.fileName, "");
  EXPECT_EQ(first.defaultExtension, "");
  EXPECT_EQ(first.flags, kExpectedFlags);
  EXPECT_EQ(requests()[1].title, "比較対象ファイルを開く");
  EXPECT_EQ(requests()[1].initialFolder, "C:\\snaps\\monday");
  EXPECT_EQ(requests()[2].initialFolder, "D:");
  EXPECT_TRUE(messages_.recorder.shown.empty());
}

TEST_F(OpenSaveCommandsTest, CommandLineNeedsMoreThanEightCharacters) {
  std::string given;
  EXPECT_FALSE(noteStartupFile(nullptr));
  EXPECT_FALSE(noteStartupFile("C:\\a.rsv"));  // eight characters
  EXPECT_FALSE(takeStartupFile(given));
  EXPECT_TRUE(noteStartupFile("\"C:\\a b\\x.rsv\""));
  EXPECT_FALSE(noteStartupFile("-opt"));
  EXPECT_FALSE(takeStartupFile(given)) << "a later short command line clears the flag";

  ASSERT_TRUE(noteStartupFile("C:\\ab.rsv"));  // nine characters, unquoted
  ASSERT_TRUE(takeStartupFile(given));
  EXPECT_EQ(given, "C:\\ab.rsv");

  EXPECT_EQ(unquoteStartupArgument("\"C:\\a b\\x.rsv\""), "C:\\a b\\x.rsv");
  EXPECT_EQ(unquoteStartupArgument("\"C:\\x.rsv"), "C:\\x.rs") << "the last character goes";
  EXPECT_EQ(unquoteStartupArgument("\""), "");
}

TEST_F(OpenSaveCommandsTest, DefaultNamesFollowTheKindAndTheFilesShown) {
  const platform::LocalTime now{2009, 3, 4, 5, 6, 7};
  EXPECT_EQ(defaultSaveName(SAVE_AFTER_FIRST_READ, false, now), "32-090304-0506-読込");
  EXPECT_EQ(defaultSaveName(SAVE_AFTER_COMPARISON, false, now), "32-090304-0506-比較");
  EXPECT_EQ(defaultSaveName(SAVE_PLAIN, false, now), "");
  fileChoice.baselineName = "base.rsv";
  fileChoice.comparisonName = "other.rsv";
  const platform::LocalTime late{2026, 12, 31, 23, 59, 59};
  EXPECT_EQ(defaultSaveName(SAVE_AFTER_FIRST_READ, false, late), "32-261231-2359-読込");
  EXPECT_EQ(defaultSaveName(SAVE_PLAIN, false, now), "base.rsv");
  // Auto-check data never takes a snapshot file's name: the dialog adds "rsa".
  EXPECT_EQ(defaultSaveName(SAVE_AUTOCHECK_DATA, false, now), "base");
  EXPECT_EQ(defaultSaveName(SAVE_AUTOCHECK_DATA, true, now), "other");
  for (int kind : {SAVE_PLAIN, SAVE_AFTER_FIRST_READ, SAVE_AFTER_COMPARISON}) {
    EXPECT_EQ(defaultSaveName(kind, true, now), "other.rsv") << kind;
  }

  cancel();
  EXPECT_EQ(saveCommand(SAVE_AFTER_FIRST_READ, false, kSaveFolder, {}), SaveOutcome::kCancelled);
  ASSERT_EQ(requests().size(), 1u);
  const std::string proposed = requests()[0].fileName;
  const std::string suffix = "読込";
  EXPECT_EQ(proposed.substr(0, 3), "32-");
  ASSERT_GE(proposed.size(), suffix.size());
  EXPECT_EQ(proposed.substr(proposed.size() - suffix.size()), suffix);
}

TEST_F(OpenSaveCommandsTest, UnwritableTargetIsReportedAndKeepsTheNames) {
  buildSample();
  fileChoice.baselineName = "base.rsv";
  const std::string target = (folder_ / "no_such_folder" / "x.rsv").string();
  answer(target);
  EXPECT_EQ(saveCommand(SAVE_AFTER_FIRST_READ, false, kSaveFolder, {}), SaveOutcome::kFailed);
  ASSERT_EQ(messages_.recorder.shown.size(), 1u);
  const platform::ShownMessage& box = messages_.recorder.shown[0];
  EXPECT_EQ(box.text, "ファイルを保存できませんでした。\n" + target);
  EXPECT_EQ(box.caption, "ファイル保存エラー");
  EXPECT_EQ(box.flags, platform::kMsgOk | platform::kMsgIconError);
  EXPECT_EQ(fileChoice.baselineName, "base.rsv");
  EXPECT_FALSE(fs::exists(folder_ / "no_such_folder"));
}

TEST(FolderOfChosenPath, CutsAtTheLastSeparatorOfWholeCharacters) {
  // 表 is 0x95 0x5C in cp932: its trail byte equals a backslash.
  ASSERT_EQ(std::string("表"), "\x95\x5C");
  EXPECT_EQ(folderOfChosenPath("C:\\表\\a.rsv"), "C:\\表");
  EXPECT_EQ(folderOfChosenPath("C:\\data\\表"), "C:\\data");
  EXPECT_EQ(folderOfChosenPath("表.rsv"), "");
  EXPECT_EQ(folderOfChosenPath("C:\\a.rsv"), "C:") << "a backslash is dropped";
  EXPECT_EQ(folderOfChosenPath("C:a.rsv"), "C:") << "a colon is kept";
  EXPECT_EQ(folderOfChosenPath("\\\\server\\share\\a.rsv"), "\\\\server\\share");
  EXPECT_EQ(folderOfChosenPath("a.rsv"), "");
  EXPECT_EQ(folderOfChosenPath("C:\\d\\\x95"), "C:\\d") << "a lone lead byte at the end";
}

}  // namespace
}  // namespace snapshot_file_test
