// The missing-file search: marks every key name, value name and string value whose
// text names a file or folder that does not exist on this machine.
//
// A string is cut to the file path it begins with (rundll32 commands to their DLL
// argument), tested through the file-system seam, and when not found tried again in
// up to two shorter forms (without a trailing argument list or switch, then without
// the part of its last component after a blank or comma). It reuses the search walk,
// marks and result display of the search engine.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/snapshot_store.h"
#include "search/search_engine.h"

// How many strings of `text` (one, or each string of a REG_MULTI_SZ list) name a
// missing file. `length` 0 means up to the NUL. REG_EXPAND_SZ is expanded first.
int countMissingFileReferences(const char* text, size_t length, uint32_t type);
// The same, marking `item` (a value with kValueItemBit) as a hit when not 0.
int countMissingFileReferences(SnapshotStore& store, const char* text, ItemIndex item,
                               size_t length, uint32_t type);

// The command: walks the whole store, marks the hits and reports through `display`;
// returns the number of hits. The system's file error boxes are off during the walk.
int64_t missingFileSearch(SnapshotStore& store, uint16_t viewState, SearchDisplay& display);
