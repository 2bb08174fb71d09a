// Where the program lies, and replacing a file in one step.
//
// The program's own settings files (options.dat and the rule files) lie in the
// program folder, the folder of the running executable. Reading and writing go
// through the standard library's file streams; this seam only supplies what those
// lack. Tests point the program folder at a folder of their own with
// ScopedProgramLocation (platform/memory/program_location.h).
#pragma once

#include <string>

namespace platform {

// Full path of the running executable (GetModuleFileNameA on Windows).
std::string programPath();
// The folder of programPath(), with its trailing separator ('\\' on Windows).
std::string programFolder();
// Makes programPath() and programFolder() answer `path` and `folder` (tests);
// nullptr for either restores the system's answer.
void overrideProgramLocation(const char* path, const char* folder);

// Replaces `target` by `temporary` in one step: the temporary file's data are first
// flushed to the disk, then it is renamed over the target (which need not exist).
// Afterwards `target` is either the old file or the complete new one, never a mix,
// even when the system stops in between. False when the replacement failed; the
// temporary file is then left in place.
bool replaceFile(const char* temporary, const char* target);

}  // namespace platform
