// The change details shared by the clipboard's change list and the auto-check log:
// one line per changed, added, deleted or controlled key, one per changed, added or
// deleted value, and the old data of a changed or deleted value aligned under its new
// data.
//
// The two users differ in three points, chosen by ChangeStyle: the line end (CR LF on
// the clipboard, LF in the log, which its writer turns into CR LF), which key states
// get a line of their own, and whether unchanged, not-read and refused keys are
// skipped with their subtrees (the log) or walked through (the clipboard).
#pragma once

#include <cstdint>

#include "engine/snapshot_store.h"
#include "text/listing_block.h"
#include "text/listing_values.h"

enum class ChangeStyle { kClipboard, kLog };

// Writes the details of the subtree of `first`, or of `first` and its following
// siblings when `wholeChain` (key 0 and true: every root).
void emitChangeDetails(ListingSink& out, SnapshotStore& store, SnapshotStore& baseline,
                       ItemIndex first, bool wholeChain, uint16_t viewState,
                       ListingValueReader& values, ChangeStyle style);
