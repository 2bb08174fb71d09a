// The auto-check log "ケストリンログ.txt" in the data folder: one result block per
// automatic check (a ★ line, the time, the counts and the changed items), and the
// commands that warn about its size, clear it and show it.
//
// The log is cp932 text with CR LF line ends and is only ever appended to: each block
// is built whole in memory and written with one call, so a log that cannot be opened
// keeps its old contents untouched and the block is dropped without a message. The
// functions hold no state; the caller passes the path, the counts and what the view
// shows.
#pragma once

#include <cstdint>
#include <string>

#include "engine/snapshot_store.h"
#include "platform/clock.h"

// The log's file name, and the size above which starting the check warns.
extern const char kAutoCheckLogName[];
constexpr int64_t kAutoCheckLogWarnBytes = 1000000;

// `dataFolder` followed by the log's name; a separator is put between them when the
// folder (typed by hand) does not end in one.
std::string autoCheckLogPath(const std::string& dataFolder);

struct AutoCheckRun {
  StatusCounts counts;      // of the comparison just made
  bool keysOnly = false;    // only the key structure was compared
  uint16_t viewState = 0;   // what the tree shows after the run
  platform::LocalTime now{};
};

// The result block with LF line ends, as appendAutoCheckResult writes it (each LF
// becoming CR LF in the file).
std::string autoCheckResultBlock(SnapshotStore& current, SnapshotStore& baseline,
                                 const AutoCheckRun& run);
// Appends the block of `run` to the log at `logPath` (created when missing). False
// when the log could not be opened or written; nothing is shown.
bool appendAutoCheckResult(const std::string& logPath, SnapshotStore& current,
                           SnapshotStore& baseline, const AutoCheckRun& run);

// Whether the log can be opened for reading (its two commands are enabled then).
bool autoCheckLogExists(const std::string& logPath);
// Shows the size warning when the log is larger than 1,000,000 bytes; returns whether
// it did. The check starts in any case.
bool warnIfLogLarge(const std::string& logPath);
// Asks before deleting the log; true when the user said yes (the log is then gone,
// or never was).
bool clearAutoCheckLog(const std::string& logPath);
// Opens the log with the shell's "open" verb (the associated text viewer); false
// when the shell refused.
bool showAutoCheckLog(const std::string& logPath);
