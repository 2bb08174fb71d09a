// The console program's commands on the portable core: snapshot, compare, list and
// export-reg, run from an argument list against two output streams.
//
// Each run sets up the program-wide state the GUI sets up at start-up (memory pool,
// snapshot stores, options.dat and the rule files of the program folder, the rule
// hooks of the reader) and gives it all back at the end, so runs may follow each
// other in one process. The loaders' and the reader's message boxes become lines on
// the error stream for the length of the run. Texts for the terminal (help, messages)
// are cp932, or UTF-8 where the terminal expects it; listings follow --encoding.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

#include "console/console_texts.h"

enum ConsoleExitStatus : int {
  kExitSuccess = 0,  // done; compare: no changes
  kExitChanges = 1,  // compare: changes found
  kExitError = 2,    // refused arguments, unreadable or damaged file, failed write
};

struct ConsoleEnvironment {
  std::ostream* out = nullptr;
  std::ostream* err = nullptr;
  ConsoleLanguage language = ConsoleLanguage::kEnglish;
  bool terminalUtf8 = false;
  bool registryAvailable = false;  // snapshot and compare --live need a registry
};

// `arguments` without the program name.
int runConsole(const std::vector<std::string>& arguments, const ConsoleEnvironment& environment);

// The key of a backslash path ("HKEY_CURRENT_USER\Software", or HKCU\Software) in
// `store`; -1 when a part is missing. Root names are matched without regard to case.
int32_t findKeyByPath(struct SnapshotStore& store, const std::string& path);
