// The changes of a comparison as a registry-editor import file (.reg) that applies
// them (redo: the baseline becomes the comparison side) or reverts them (undo: the
// comparison side becomes the baseline again).
//
// Input: the current store after compareStores with values compared (not keys only)
// and the baseline store it was compared with. Added keys are written whole with
// their values, deleted keys as [-key]; for undo a deleted key is written back from
// the baseline with its whole subtree. Values that changed, appeared or went are
// written under their key's header; a value to be deleted is "name"=-.
//
// Two encodings: REGEDIT4 with the program's cp932 text, or "Windows Registry Editor
// Version 5.00" as UTF-16LE with a byte order mark (string data converted too). Lines
// end in CR LF. Values whose data the snapshot kept only as length and digest cannot
// be written: each is named in a comment where it would stand and in the result's
// `notExported` list. Nothing here reads the registry or touches a file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/snapshot_store.h"

enum class RegDirection { kRedo, kUndo };
enum class RegEncoding { kRegedit4, kUnicode };

struct RegExportOptions {
  RegDirection direction = RegDirection::kRedo;
  RegEncoding encoding = RegEncoding::kRegedit4;
  // Comment text put before the name of a value that cannot be written (cp932).
  const char* notExportableLabel = "not exportable, only a digest of the data was kept:";
};

struct RegExportResult {
  std::string bytes;                    // the whole file
  std::vector<std::string> notExported;  // "key path : value name" (cp932)
  int64_t keyLines = 0;                  // [key] and [-key] headers written
  int64_t valueLines = 0;                // value settings and deletions written
};

RegExportResult exportRegChanges(SnapshotStore& current, SnapshotStore& baseline,
                                 const RegExportOptions& options);

// Pieces of the file, in cp932 before any conversion (exposed for their tests).

// `text` inside double quotes: backslash and double quote escaped, double-byte
// characters (whose trail byte may be 0x5C) copied whole.
std::string regQuoted(const char* text, size_t length);
inline std::string regQuoted(const std::string& text) {
  return regQuoted(text.data(), text.size());
}

// One value setting without line end: `"name"=...` or `@=...` for the default value.
// REG_SZ as a quoted string when its data are one NUL-terminated text without CR or
// LF, REG_DWORD of 4 bytes as dword:xxxxxxxx, REG_BINARY as hex:, everything else
// as hex(N): with N in lower-case hex; string types in the Unicode encoding as
// UTF-16LE bytes. Long hex lists are continued on lines of at most 80 characters.
std::string regValueSetting(const char* name, uint32_t type, const uint8_t* data,
                            uint32_t length, RegEncoding encoding);
// `"name"=-` (`@=-` for the default value).
std::string regValueDeletion(const char* name);
