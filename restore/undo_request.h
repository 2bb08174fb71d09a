// Handing an undo request to the restore program, and taking it on the other side.
//
// The restore program owns the shared block: its window handle at offset 0, the
// pending path's length (with NUL) at offset 256, 0 when nothing is pending, and the
// path from offset 260. regKestrin writes the path and then its length, then posts
// command 10100 to that window; the restore program reads the path and sets the length
// back to 0. There is no lock: a second request before the reset replaces the first.
#pragma once

#include <cstdint>
#include <string>

#include "engine/snapshot_store.h"
#include "platform/shared_memory.h"

namespace restore {

// regKestrin's side.

// Whether the restore program runs (its block exists); its window in *window when asked.
bool isRestoreToolRunning(uint32_t* window = nullptr);
// Places `path` in the block and posts the command. False when the block cannot be
// opened or mapped, or the path (with NUL) does not fit its 3,836 bytes.
bool sendUndoRequest(const std::string& path);

enum UndoOutcome {
  UNDO_NOT_WRITTEN,  // the file could not be created, or the item cannot be described
  UNDO_REFUSED,      // too many values without data: told, file deleted
  UNDO_SENT,
  UNDO_SEND_FAILED,  // the file stays
};

// The command for `item` (a key, or a value with kValueItemBit): writes undoList.$$$ in
// the program folder, refuses a list with too many values lacking data (message box),
// and sends the request.
UndoOutcome undoWithRestoreTool(SnapshotStore& current, SnapshotStore& baseline, ItemIndex item);
// The status-line text after the command; nullptr when nothing is shown.
const char* undoOutcomeStatusText(UndoOutcome outcome);

extern const char kUndoRefusedText[];
extern const char kUndoCaption[];

// The restore program's side.

// A fresh block: `window` at offset 0, nothing pending.
void initRestoreBlock(platform::SharedBlock& block, uint32_t window);
// Takes the pending request: its path in *path, and the length set back to 0 in any
// case. False when none is pending or the length and path do not agree (a length
// beyond the room, a path without its NUL at the stated place or with one before it).
bool takeUndoRequest(platform::SharedBlock& block, std::string* path);

}  // namespace restore
