// The shell's side of the auto-check log: the result block after each compared read
// while the automatic check runs, the size warning when the check starts, and the
// two log commands of the file menu ("自動チェックログをクリア(&L)" and
// "自動チェックログを表示(&D)").
//
// The log lies in the data folder of the options; the texts and the block layout are
// the core's (text/auto_check_log.h).
#pragma once

#include <string>

// The log's path from the current data folder option.
std::string currentAutoCheckLogPath();
// Appends the result block of the comparison just made (viewState and lastCounts
// describe it). A log that cannot be opened drops the block silently.
void appendAutoCheckRun();
// Warns when the log has grown above 1,000,000 bytes; the check starts anyway.
void warnAboutLargeAutoCheckLog();
// Whether the log exists (its two commands are enabled then).
bool autoCheckLogPresent();
// 32816: asks, then deletes the log and greys both log commands.
void clearAutoCheckLogCommand();
// 32817: opens the log in the text viewer the shell associates with it.
void showAutoCheckLogCommand();
