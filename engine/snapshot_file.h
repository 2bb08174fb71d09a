// Snapshot files: saving the current snapshot store and opening a file as the
// baseline or as the comparison side.
//
// The file is an image of the store's arrays (layout in engine/snapshot_file_format.h).
// The writer saves the current store as it is, comparison marks and ghosts included.
// The baseline loader empties both stores, reads the file into the baseline store and
// lets the current store share it; the comparison loader empties and fills only the
// current store.
//
// Loaders trust nothing in a file. Every count, block limit, link, list, free list,
// hash chain, pool number, text location and data length is checked before the store
// is handed on, so that no store operation can leave its tables, loop or read outside
// a pool on a loaded snapshot; a file that fails a check is refused as damaged. Memory
// is allocated only for records and pool bytes that the file really contains.
//
// Failure always leaves the current store holding just its five empty roots (and,
// for the baseline loader, an empty baseline) after the load-failure message, except
// when the file cannot be opened at all, which fails silently. The caller rebuilds
// the tree view and keeps the display name; the busy cursor is the caller's as well.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <string>

#include "engine/snapshot_file_format.h"
#include "engine/snapshot_store.h"

// Levels of keys below a root that a loaded snapshot may have: twice what the registry
// itself nests (512 levels). Deeper files are refused as damaged, so that no part of
// the program that follows a key's subkeys recursively can run out of stack.
constexpr int kMaxLoadedKeyDepth = 1024;

// The options that saving and loading follow, taken from the options array by the
// caller.
struct SnapshotFileOptions {
  // "クラス情報の拡張子とタイプをまとめて表示": HKEY_CLASSES_ROOT kept grouped.
  bool classInfoGrouping = false;
  // "クラス情報を取込む": class info is read at all.
  bool importClassInfo = true;
};

struct SnapshotLoadResult {
  bool loaded = false;
  // The file's kind word: 1 snapshot, 2 auto-check data, 0 for the oldest header.
  int kind = 0;
  // The value autoCheckOn takes after the baseline loader: set by loaded auto-check
  // data, cleared otherwise (also on failure). The comparison loader leaves
  // autoCheckOn alone and always answers false here.
  bool autoCheckOn = false;
  // The file name part of the path, kept as the snapshot's display name.
  std::string displayName;
};

// Saves the current store as `kind` (1 or 2). The file is written beside the target
// under a temporary name and then replaces it, so a failed save leaves the old file
// untouched. False when the kind is invalid or the file could not be written
// completely (no message: the caller reports it).
bool writeSnapshotFile(const char* path, int kind, const SnapshotFileOptions& options);
SnapshotLoadResult loadBaselineFile(const char* path, const SnapshotFileOptions& options);
SnapshotLoadResult loadComparisonFile(const char* path, const SnapshotFileOptions& options);

// The same loaders over a file image in memory; `path` only names the snapshot.
SnapshotLoadResult loadBaselineImage(const void* bytes, size_t size, const char* path,
                                     const SnapshotFileOptions& options);
SnapshotLoadResult loadComparisonImage(const void* bytes, size_t size, const char* path,
                                       const SnapshotFileOptions& options);

// Writes `store` as a snapshot file image of `kind` to `out`; `grouped` is the
// grouping flag of the header. False when the kind is invalid or a write failed.
bool writeSnapshotImage(std::ostream& out, SnapshotStore& store, int kind, bool grouped);

// The part of a cp932 path after its last backslash, slash or colon; the trail byte
// of a double-byte character never counts as a separator.
std::string snapshotFileNamePart(const char* path);
