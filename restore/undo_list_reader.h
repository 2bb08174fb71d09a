// Reading an undo list: the restore program's side of the undo list file.
//
// Every header field, length, level, state and text is checked, and anything the
// writer would never produce refuses the whole list: the restore program changes the
// registry only from a list it understood completely. Keys are kept as a tree (each
// key names its parent), so memory stays linear in the file's size however deep the
// list; full paths are built when asked for.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace restore {

struct UndoKey {
  int32_t parent;     // index into UndoList::keys; -1 for a path record
  std::string name;   // a key name; for a path record, the full path
  uint8_t state;      // key records: the key's state; path records: 0
  bool isPath;
};

struct UndoData {
  bool present = false;
  uint8_t type = 0;
  std::string bytes;
};

struct UndoValue {
  int32_t key;  // index into UndoList::keys
  std::string name;
  uint8_t state;    // 9 changed, 10 added, 11 deleted
  UndoData data;    // the value's data (a deleted value's: the baseline's)
  UndoData old;     // a changed value's baseline data
};

// Key and value records in file order: `order` holds key indexes, and value indexes
// with kUndoValueBit.
constexpr uint32_t kUndoValueBit = 0x80000000u;
struct UndoList {
  std::vector<UndoKey> keys;
  std::vector<UndoValue> values;
  std::vector<uint32_t> order;
};

enum UndoListError {
  UNDO_LIST_OK = 0,
  UNDO_LIST_UNREADABLE,   // the file cannot be opened or read
  UNDO_LIST_TOO_LARGE,
  UNDO_LIST_NO_START,     // no start record (or another version)
  UNDO_LIST_TRUNCATED,    // a record runs past the end, or no end record
  UNDO_LIST_BAD_RECORD,   // an unknown kind or a header field out of its range
  UNDO_LIST_BAD_TEXT,     // a name or path without its NUL, with a NUL inside, too long
  UNDO_LIST_BAD_LEVEL,    // a level with nothing above it to belong to
  UNDO_LIST_BAD_PATH,     // a path that is not a registry key path of its level
  UNDO_LIST_MISPLACED_DATA,
  UNDO_LIST_TRAILING,     // bytes after the end record
};

struct UndoListReadResult {
  UndoListError error;
  size_t offset;  // where the fault was found
};

constexpr size_t kMaxUndoListBytes = 64u << 20;
constexpr uint32_t kMaxUndoDataBytes = 1u << 20;
constexpr uint32_t kMaxUndoKeyNameBytes = 1024;
constexpr uint32_t kMaxUndoValueNameBytes = 32767;
constexpr uint32_t kMaxUndoPathBytes = 65535;

UndoListReadResult readUndoList(const uint8_t* bytes, size_t size, UndoList& out);
// Reads the file at `path` (at most kMaxUndoListBytes) and then the list.
UndoListReadResult readUndoListFile(const std::string& path, UndoList& out);

// The message shown for a refused list (cp932).
const char* undoListErrorText(UndoListError error);

// Full registry path of key `key` of the list.
std::string undoKeyPath(const UndoList& list, int32_t key);

// The components of a registry path split at its backslashes (a backslash that is the
// trail byte of a cp932 double-byte character does not split).
std::vector<std::string> splitUndoPath(const std::string& path);

// Index of root `name` in the root key table ("HKEY_LOCAL_MACHINE", ASCII case
// ignored), -1 when it names none.
int undoRootIndex(const std::string& name);

}  // namespace restore
