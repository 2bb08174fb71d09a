#include "console/console_run.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <ostream>

#include "console/console_arguments.h"
#include "engine/comparison.h"
#include "engine/memory_pool.h"
#include "engine/progress_hooks.h"
#include "engine/registry_reader.h"
#include "engine/snapshot_file.h"
#include "engine/snapshot_store.h"
#include "engine/view_state.h"
#include "platform/clock.h"
#include "platform/message_box.h"
#include "platform/process_exit.h"
#include "rules/options.h"
#include "rules/rule_apply.h"
#include "rules/rule_files.h"
#include "rules/rule_store.h"
#include "text/cp932.h"
#include "text/listings.h"
#include "text/reg_export.h"
#include "text/unicode_text.h"

namespace {

const char kLiveRegistryLabel[] = "現レジストリ情報";

const ConsoleEnvironment* active = nullptr;

const ConsoleTexts& texts() { return consoleTexts(active->language); }

// A text for the terminal: the program's cp932, or UTF-8 where the terminal wants it.
void say(std::ostream& stream, const std::string& text) {
  const std::string shown = active->terminalUtf8 ? cp932ToUtf8(text) : text;
  stream.write(shown.data(), static_cast<std::streamsize>(shown.size()));
  stream.flush();
}
void sayError(const std::string& text) { say(*active->err, text); }

// The loaders' and the reader's boxes as lines on the error stream. Questions (the
// loaders' old-version question) take their affirmative answer: the user asked for
// the file on the command line.
class ConsoleMessages : public platform::MessageSeam {
 public:
  int show(const char* text, const char* caption, unsigned flags) override {
    sayError(std::string(caption ? caption : "") + ": " + (text ? text : "") + "\n");
    switch (flags & 0xF) {
      case platform::kMsgYesNo: return platform::kAnswerYes;
      default: return platform::kAnswerOk;
    }
  }
};

// Progress of a read: each top-level key with the number of keys read so far.
void showProgress(const char* text) {
  if (std::strchr(text, '\\') == nullptr) return;
  sayError(formatText(texts().readingKey, text,
                      static_cast<long long>(currentStore().counts.keyCount)));
}

// A capacity limit of the store ends the program after its message; for the console
// that is an error, not the status 1 that compare gives to changes.
void exitAsError(int) { std::exit(kExitError); }

// The program-wide state of one run, set up as the GUI's start-up does and given back
// at the end.
class Session {
 public:
  explicit Session(const ConsoleEnvironment& environment) {
    active = &environment;
    platform::setMessageSeam(&messages_);
    setStatusTextHook(showProgress);
    previousExit_ = platform::setExitHandler(exitAsError);
    initMemoryPool();
    initSnapshotStores();
    setOptionDefaults(programOptions);
    programOptions.dataFolder[0] = '\0';
    loadOptions();
    resetRules();
    loadRuleFiles();
    installRuleHooks();
  }
  ~Session() {
    setControlRuleHook(nullptr);
    setItemControlRecorder(nullptr);
    destroyStore(currentStore());
    destroyStore(baselineStore());
    resetRules();
    releaseMemoryPool();
    setStatusTextHook(nullptr);
    platform::setExitHandler(previousExit_);
    platform::setMessageSeam(nullptr);
    active = nullptr;
  }
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

 private:
  ConsoleMessages messages_;
  platform::ExitHandler previousExit_ = nullptr;
};

SnapshotFileOptions fileOptions() {
  SnapshotFileOptions options;
  options.classInfoGrouping = programOptions.entries[OPT_GROUP_CLASS_INFO] != 0;
  options.importClassInfo = programOptions.entries[OPT_NO_CLASS_INFO] == 0;
  return options;
}

ReaderOptions readerOptions(uint16_t viewState, bool autoCheck) {
  ReaderOptions options;
  options.keepValueData = programOptions.entries[OPT_NO_VALUE_DATA] == 0;
  options.groupClassInfo = programOptions.entries[OPT_GROUP_CLASS_INFO] != 0;
  options.discardRefusedKeys = programOptions.entries[OPT_DISCARD_REFUSED] != 0;
  options.compare.keysOnly = programOptions.entries[OPT_KEYS_ONLY] != 0;
  options.compare.showDeletedContents = programOptions.entries[OPT_KEEP_DELETED_CONTENTS] != 0;
  options.autoCheckOn = autoCheck;
  options.viewState = viewState;
  return options;
}

// A loader fails silently on a file it cannot open at all; the console says so.
bool readable(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (file) return true;
  sayError(formatText(texts().cannotOpen, path.c_str()));
  return false;
}

// Loads the baseline (and the comparison file); false after the loaders' message.
bool loadBaseline(const std::string& path, bool* autoCheck) {
  if (!readable(path)) return false;
  const SnapshotLoadResult result = loadBaselineFile(path.c_str(), fileOptions());
  if (autoCheck != nullptr) *autoCheck = result.autoCheckOn;
  return result.loaded;
}

bool loadComparison(const std::string& path) {
  if (!readable(path)) return false;
  if (!loadComparisonFile(path.c_str(), fileOptions()).loaded) return false;
  rebuildRulesFromSnapshot(false);
  recomputeSizes(currentStore(), 0);
  return true;
}

bool requireRegistry() {
  if (active->registryAvailable) return true;
  sayError(texts().noRegistry);
  return false;
}

// Writes a listing to standard output or to --output, in cp932 or UTF-8.
bool writeListing(const ConsoleRequest& request, const char* text, size_t length) {
  const std::string bytes = request.utf8 ? cp932ToUtf8(text, length) : std::string(text, length);
  if (request.outputPath.empty()) {
    active->out->write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    active->out->flush();
    return active->out->good();
  }
  std::ofstream file(request.outputPath, std::ios::binary | std::ios::trunc);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  file.close();
  if (file) return true;
  sayError(formatText(texts().cannotWrite, request.outputPath.c_str()));
  return false;
}

int snapshotCommand(const ConsoleRequest& request) {
  if (!requireRegistry()) return kExitError;
  readRegistry(readerOptions(VIEW_STATE_NOTHING, false));
  const std::string& path = request.files[0];
  if (!writeSnapshotFile(path.c_str(), 1, fileOptions())) {
    sayError(formatText(texts().cannotWrite, path.c_str()));
    return kExitError;
  }
  sayError(formatText(texts().snapshotSaved,
                      static_cast<long long>(countItems(currentStore(), 0)),
                      static_cast<long long>(countItems(currentStore(), 1)), path.c_str()));
  return kExitSuccess;
}

int compareCommand(const ConsoleRequest& request) {
  if (request.live && !requireRegistry()) return kExitError;
  bool autoCheck = false;
  if (!loadBaseline(request.files[0], &autoCheck)) return kExitError;
  const std::string baselineLabel = snapshotFileNamePart(request.files[0].c_str());
  std::string comparisonLabel = kLiveRegistryLabel;
  uint16_t viewState = VIEW_STATE_LIVE_COMPARED;
  StatusCounts counts{};
  const bool keysOnly = programOptions.entries[OPT_KEYS_ONLY] != 0;
  if (request.live) {
    readRegistry(readerOptions(VIEW_STATE_BASELINE_ONLY, autoCheck));
    counts = takeStatusCounts(currentStore(), keysOnly);
  } else {
    if (!loadComparison(request.files[1])) return kExitError;
    comparisonLabel = snapshotFileNamePart(request.files[1].c_str());
    viewState = VIEW_STATE_FILE_COMPARED;
    compareSnapshots(-1, readerOptions(viewState, false).compare);
    counts = takeStatusCounts(currentStore(), keysOnly);
  }
  ListingContext context;
  context.viewState = viewState;
  context.baselineLabel = baselineLabel.c_str();
  context.comparisonLabel = comparisonLabel.c_str();
  context.now = platform::localTimeNow();
  const ListingText listing = changeList(currentStore(), baselineStore(), kNoItem, context);
  if (!listing.ok()) {
    sayError(texts().tooLarge);
    return kExitError;
  }
  if (!writeListing(request, listing.text(), listing.length())) return kExitError;
  if (counts.changes() == 0) {
    sayError(texts().noChanges);
    return kExitSuccess;
  }
  sayError(formatText(texts().changesFound, static_cast<long long>(counts.changes())));
  return kExitChanges;
}

int listCommand(const ConsoleRequest& request) {
  if (!loadBaseline(request.files[0], nullptr)) return kExitError;
  ListingContext context;
  context.viewState = VIEW_STATE_BASELINE_ONLY;
  context.showValueItems = request.values;
  context.now = platform::localTimeNow();
  std::vector<ItemIndex> keys;
  if (request.files.size() == 2) {
    const ItemIndex key = findKeyByPath(currentStore(), request.files[1]);
    if (key < 0) {
      sayError(formatText(texts().keyNotFound, request.files[1].c_str()));
      return kExitError;
    }
    keys.push_back(key);
  } else {
    for (ItemIndex root = 0; root < kRootKeyCount; ++root) keys.push_back(root);
  }
  std::string text;
  for (ItemIndex key : keys) {
    const ListingText listing = keyStructureList(currentStore(), key, context);
    if (!listing.ok()) {
      sayError(texts().tooLarge);
      return kExitError;
    }
    text.append(listing.text(), listing.length());
  }
  return writeListing(request, text.data(), text.size()) ? kExitSuccess : kExitError;
}

int exportRegCommand(const ConsoleRequest& request) {
  if (!loadBaseline(request.files[0], nullptr) || !loadComparison(request.files[1])) {
    return kExitError;
  }
  // Every value is compared, whatever the keys-only option says: the file needs them.
  CompareOptions compare;
  compare.keysOnly = false;
  compareSnapshots(-1, compare);
  RegExportOptions options;
  options.direction = request.redo ? RegDirection::kRedo : RegDirection::kUndo;
  options.encoding = request.unicode ? RegEncoding::kUnicode : RegEncoding::kRegedit4;
  options.notExportableLabel = texts().notExportable;
  const RegExportResult result = exportRegChanges(currentStore(), baselineStore(), options);
  for (const std::string& item : result.notExported) {
    sayError(formatText(texts().notExportableLine, item.c_str()));
  }
  const std::string& path = request.files[2];
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(result.bytes.data(), static_cast<std::streamsize>(result.bytes.size()));
  file.close();
  if (!file) {
    sayError(formatText(texts().cannotWrite, path.c_str()));
    return kExitError;
  }
  sayError(formatText(texts().regWritten, static_cast<long long>(result.keyLines),
                      static_cast<long long>(result.valueLines), path.c_str()));
  return kExitSuccess;
}

const char* commandHelp(ConsoleCommand command, const ConsoleTexts& t) {
  switch (command) {
    case ConsoleCommand::kSnapshot: return t.snapshotHelp;
    case ConsoleCommand::kCompare: return t.compareHelp;
    case ConsoleCommand::kList: return t.listHelp;
    case ConsoleCommand::kExportReg: return t.exportRegHelp;
    case ConsoleCommand::kNone: break;
  }
  return t.usage;
}

struct RootAlias {
  const char* alias;
  int root;
};
const RootAlias kRootAliases[] = {{"HKCR", 0}, {"HKCC", 1}, {"HKCU", 2}, {"HKLM", 3}, {"HKU", 4}};

bool sameAscii(const std::string& a, const char* b) {
  if (a.size() != std::strlen(b)) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (cp932::foldAscii(a[i]) != cp932::foldAscii(b[i])) return false;
  }
  return true;
}

}  // namespace

int32_t findKeyByPath(SnapshotStore& store, const std::string& path) {
  std::vector<std::string> parts(1);
  for (size_t i = 0; i < path.size(); ++i) {
    if (cp932::isLeadByte(path[i]) && i + 1 < path.size()) {
      parts.back() += path[i];
      parts.back() += path[++i];
    } else if (path[i] == '\\') {
      parts.emplace_back();
    } else {
      parts.back() += path[i];
    }
  }
  if (!parts.empty() && parts.back().empty() && parts.size() > 1) parts.pop_back();
  ItemIndex key = kNoItem;
  for (int root = 0; root < kRootKeyCount; ++root) {
    if (sameAscii(parts[0], kRootKeyNames[root])) key = root;
  }
  for (const RootAlias& alias : kRootAliases) {
    if (sameAscii(parts[0], alias.alias)) key = alias.root;
  }
  for (size_t i = 1; i < parts.size() && key >= 0; ++i) {
    if (parts[i].empty()) return kNoItem;
    key = findChild(store, key, parts[i].c_str(), false);
  }
  return key;
}

int runConsole(const std::vector<std::string>& arguments, const ConsoleEnvironment& environment) {
  active = &environment;
  const ConsoleTexts& t = texts();
  if (arguments.empty()) {
    say(*environment.err, t.usage);
    active = nullptr;
    return kExitError;
  }
  const ConsoleRequest request = parseConsoleArguments(arguments, t);
  if (!request.error.empty()) {
    say(*environment.err, request.error + t.seeHelp);
    active = nullptr;
    return kExitError;
  }
  if (request.help) {
    say(*environment.out, commandHelp(request.command, t));
    active = nullptr;
    return kExitSuccess;
  }
  Session session(environment);
  switch (request.command) {
    case ConsoleCommand::kSnapshot: return snapshotCommand(request);
    case ConsoleCommand::kCompare: return compareCommand(request);
    case ConsoleCommand::kList: return listCommand(request);
    case ConsoleCommand::kExportReg: return exportRegCommand(request);
    case ConsoleCommand::kNone: break;
  }
  return kExitError;
}
