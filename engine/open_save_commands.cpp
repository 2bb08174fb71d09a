#include "engine/open_save_commands.h"

#include <cstdio>
#include <cstring>

#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "text/cp932.h"

FileChoiceState fileChoice;

namespace {

// Longer command lines name a file; shorter ones are switches or noise.
constexpr size_t kStartupArgumentMinLength = 9;

constexpr unsigned kDialogFlags =
    platform::kFilePathMustExist | platform::kFileHideReadOnly | platform::kFileOverwritePrompt;

// Display text and pattern pairs in the dialog's form: each text NUL-ended, the
// list ended by a second NUL.
class FilterList {
 public:
  FilterList& add(const char* text, const char* pattern) {
    list_ += text;
    list_.push_back('\0');
    list_ += pattern;
    list_.push_back('\0');
    return *this;
  }
  std::string done() const { return list_ + '\0'; }

 private:
  std::string list_;
};

// Shows the dialog of `request` starting in the remembered folder (the save folder
// while none is remembered) and remembers the chosen file's folder. A cancelled
// dialog remembers nothing, not even the save folder it started in.
bool askForFile(platform::FileDialogRequest& request, const std::string& saveFolder,
                std::string& path) {
  request.initialFolder = fileChoice.lastFolder.empty() ? saveFolder : fileChoice.lastFolder;
  request.flags = kDialogFlags;
  std::string chosen;
  if (!platform::fileDialogs().choose(request, chosen)) return false;
  fileChoice.lastFolder = folderOfChosenPath(chosen);
  path = chosen;
  return true;
}

OpenOutcome loadChosen(const std::string& path,
                       SnapshotLoadResult (*load)(const char*, const SnapshotFileOptions&),
                       const SnapshotFileOptions& options, std::string& displayName) {
  OpenOutcome outcome;
  outcome.chosen = true;
  outcome.load = load(path.c_str(), options);
  if (outcome.load.loaded) displayName = outcome.load.displayName;
  return outcome;
}

OpenOutcome openCommand(const char* title, const std::string& saveFolder,
                        SnapshotLoadResult (*load)(const char*, const SnapshotFileOptions&),
                        const SnapshotFileOptions& options, std::string& displayName) {
  std::string path;
  if (!chooseFileToOpen(title, saveFolder, path)) return OpenOutcome();
  return loadChosen(path, load, options, displayName);
}

// ".rsa", in any case, ends `name`.
bool hasAutoCheckExtension(const std::string& name) {
  static const char kExtension[] = ".rsa";
  const size_t length = sizeof kExtension - 1;
  if (name.size() < length) return false;
  for (size_t i = 0; i < length; ++i) {
    if (cp932::foldAscii(name[name.size() - length + i]) != kExtension[i]) return false;
  }
  return true;
}

// The name without its extension ('.' is never a trail byte).
std::string withoutExtension(const std::string& name) {
  const size_t dot = name.rfind('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

}  // namespace

void resetFileChoice() { fileChoice = FileChoiceState(); }

bool noteStartupFile(const char* commandLine) {
  const bool named = commandLine != nullptr && std::strlen(commandLine) >= kStartupArgumentMinLength;
  fileChoice.startupFilePending = named;
  fileChoice.startupFileArgument = named ? commandLine : "";
  return named;
}

bool takeStartupFile(std::string& path) {
  if (!fileChoice.startupFilePending) return false;
  fileChoice.startupFilePending = false;
  path = unquoteStartupArgument(fileChoice.startupFileArgument);
  return true;
}

std::string unquoteStartupArgument(const std::string& argument) {
  if (argument.empty() || argument[0] != '"') return argument;
  if (argument.size() < 2) return std::string();
  return argument.substr(1, argument.size() - 2);
}

std::string folderOfChosenPath(const std::string& path) {
  size_t separator = std::string::npos;
  for (size_t i = 0; i < path.size(); ++i) {
    const unsigned char byte = static_cast<unsigned char>(path[i]);
    if (cp932::isLeadByte(byte) && i + 1 < path.size()) {
      ++i;  // the trail byte may equal '\\'
      continue;
    }
    if (byte == '\\' || byte == ':') separator = i;
  }
  if (separator == std::string::npos) return std::string();
  return path.substr(0, path[separator] == ':' ? separator + 1 : separator);
}

std::string defaultSaveName(int kind, bool comparisonShown, const platform::LocalTime& now) {
  if (kind == SAVE_AUTOCHECK_DATA) {
    // A snapshot file's name would let the reduced data replace that snapshot.
    const std::string& name = comparisonShown ? fileChoice.comparisonName : fileChoice.baselineName;
    return hasAutoCheckExtension(name) ? name : withoutExtension(name);
  }
  if (comparisonShown) return fileChoice.comparisonName;
  if (kind == SAVE_PLAIN) return fileChoice.baselineName;
  char stamp[64];
  std::snprintf(stamp, sizeof stamp, "32-%02d%02d%02d-%02d%02d-", now.year % 100, now.month,
                now.day, now.hour, now.minute);
  return std::string(stamp) + (kind == SAVE_AFTER_FIRST_READ ? "読込" : "比較");
}

bool chooseFileToOpen(const char* title, const std::string& saveFolder, std::string& path) {
  platform::FileDialogRequest request;
  request.save = false;
  request.title = title != nullptr ? title : "";
  request.filter = FilterList()
                       .add("レジストリ情報保存 {*.rsv;*.rsa}", "*.rsv;*.rsa")
                       .add("All files", "*.*")
                       .done();
  return askForFile(request, saveFolder, path);
}

bool chooseFileToSave(int kind, bool comparisonShown, const std::string& saveFolder,
                      std::string& path) {
  platform::FileDialogRequest request;
  request.save = true;
  FilterList filter;
  if (kind == SAVE_AUTOCHECK_DATA) {
    filter.add("自動チェック用ファイル {*.rsa}", "*.rsa");
    request.title = "自動チェック用データの保存";
    request.defaultExtension = "rsa";
  } else {
    filter.add("保存ファイル {*.rsv}", "*.rsv");
    request.title = "レジストリ情報ファイルの保存";
    request.defaultExtension = "rsv";
  }
  request.filter = filter.add("All files", "*.*").done();
  request.fileName = defaultSaveName(kind, comparisonShown, platform::localTimeNow());
  return askForFile(request, saveFolder, path);
}

OpenOutcome openBaselineCommand(const std::string& saveFolder, const SnapshotFileOptions& options) {
  return openCommand("基準保存ファイルを開く", saveFolder, loadBaselineFile, options,
                     fileChoice.baselineName);
}

OpenOutcome openGivenBaselineFile(const std::string& path, const SnapshotFileOptions& options) {
  fileChoice.lastFolder = folderOfChosenPath(path);
  return loadChosen(path, loadBaselineFile, options, fileChoice.baselineName);
}

OpenOutcome openComparisonCommand(const std::string& saveFolder,
                                  const SnapshotFileOptions& options) {
  return openCommand("比較対象ファイルを開く", saveFolder, loadComparisonFile, options,
                     fileChoice.comparisonName);
}

SaveOutcome saveCommand(int kind, bool comparisonShown, const std::string& saveFolder,
                        const SnapshotFileOptions& options) {
  std::string path;
  if (!chooseFileToSave(kind, comparisonShown, saveFolder, path)) return SaveOutcome::kCancelled;
  const int fileKind =
      kind == SAVE_AUTOCHECK_DATA ? SNAPSHOT_KIND_AUTOCHECK : SNAPSHOT_KIND_SNAPSHOT;
  if (!writeSnapshotFile(path.c_str(), fileKind, options)) {
    // A save that silently did nothing would look like a success to the user.
    const std::string text = "ファイルを保存できませんでした。\n" + path;
    platform::showMessage(text.c_str(), "ファイル保存エラー",
                          platform::kMsgOk | platform::kMsgIconError);
    return SaveOutcome::kFailed;
  }
  if (kind == SAVE_AFTER_FIRST_READ) fileChoice.baselineName = snapshotFileNamePart(path.c_str());
  if (kind == SAVE_AFTER_COMPARISON) {
    fileChoice.comparisonName = snapshotFileNamePart(path.c_str());
  }
  return SaveOutcome::kWritten;
}
