// The user's side of snapshot files: the open and save dialogs with their filters,
// titles and default names, the remembered folder, the file named on the command
// line, and the open, save and auto-check-data commands around the file operations
// of engine/snapshot_file.h.
//
// The command dispatcher calls these and afterwards updates the menus, the status
// line and the tree; nothing here touches a window. Dialogs go through the
// platform::fileDialogs() seam, the clock through platform/clock.h.
//
// Program-wide singleton `fileChoice`, single-threaded.
#pragma once

#include <cstdint>
#include <string>

#include "engine/snapshot_file.h"
#include "platform/clock.h"

// Kinds of save (the argument of saveCommand).
enum SaveKind : int {
  SAVE_PLAIN = 0,
  SAVE_AUTOCHECK_DATA = 1,  // written as file kind 2
  SAVE_AFTER_FIRST_READ = 2,
  SAVE_AFTER_COMPARISON = 3,
};

struct FileChoiceState {
  // Folder of the last file chosen in any dialog. While it is empty (until a file is
  // first chosen) the dialogs start in the save folder of the options.
  std::string lastFolder;
  // Display names: the file-name part of the files opened (or saved) last. A name
  // describes the snapshot shown: the shell clears it when that snapshot is gone
  // (closed, replaced by a reading or by other data), so that no save proposes it.
  std::string baselineName;
  std::string comparisonName;
  // A file named on the command line, opened once by the start-up open
  // (takeStartupFile); never by an open the user asks for.
  bool startupFilePending = false;
  std::string startupFileArgument;
};

extern FileChoiceState fileChoice;

// Forgets everything (start of the program, tests).
void resetFileChoice();

// Notes the command line: a text longer than 8 characters names a file for the
// start-up open. Returns whether it was taken.
bool noteStartupFile(const char* commandLine);
// The command-line file, unquoted, once; false when none is pending.
bool takeStartupFile(std::string& path);

// The command-line text as a path: a leading double quote is dropped together with
// the last character.
std::string unquoteStartupArgument(const std::string& argument);

// The folder part of `path` as the dialogs remember it: cut at the last backslash or
// colon (a double-byte character's trail byte never counts); a backslash is dropped,
// a colon kept. A path without either gives the empty text.
std::string folderOfChosenPath(const std::string& path);

// The name the save dialog proposes for `kind`. `comparisonShown` is viewState bit 1.
// Kinds 2 and 3 without a comparison file: "32-yymmdd-hhmm-読込" / "...-比較".
// Auto-check data never gets a snapshot file's name: a remembered name other than
// "*.rsa" loses its extension, so that the dialog adds "rsa".
std::string defaultSaveName(int kind, bool comparisonShown, const platform::LocalTime& now);

// The open dialog. `saveFolder` is the options' data folder, used while no folder is
// remembered. True with `path` chosen.
bool chooseFileToOpen(const char* title, const std::string& saveFolder, std::string& path);
// The save dialog for `kind` with its filter, title, extension and default name.
bool chooseFileToSave(int kind, bool comparisonShown, const std::string& saveFolder,
                      std::string& path);

struct OpenOutcome {
  bool chosen = false;  // false: the dialog was cancelled, nothing changed
  SnapshotLoadResult load;
};

// Choose ("基準保存ファイルを開く"), then loadBaselineFile; on success the display name
// becomes the baseline's name.
OpenOutcome openBaselineCommand(const std::string& saveFolder, const SnapshotFileOptions& options);
// `path`, given from outside the program (command line, another start), opened as if
// chosen in the baseline's open dialog: the folder is remembered, then as above.
OpenOutcome openGivenBaselineFile(const std::string& path, const SnapshotFileOptions& options);
// Choose ("比較対象ファイルを開く"), then loadComparisonFile; on success the display name
// becomes the comparison's name.
OpenOutcome openComparisonCommand(const std::string& saveFolder,
                                  const SnapshotFileOptions& options);

enum class SaveOutcome { kCancelled, kWritten, kFailed };

// Choose, then writeSnapshotFile (file kind 2 for SAVE_AUTOCHECK_DATA, else 1). A
// file that could not be written is reported in a message box ("ファイル保存エラー")
// and the old file, if any, is left as it was. After kinds 2 and 3 the saved file's
// name becomes the baseline's or the comparison's display name.
SaveOutcome saveCommand(int kind, bool comparisonShown, const std::string& saveFolder,
                        const SnapshotFileOptions& options);
