// Mark paths: the text a mark keeps to find its key or value again in a snapshot.
//
// A mark path is the item's display path, root key name first, key names joined by
// one backslash; for a value the key path, three backslashes and the value name. A
// backslash inside a key name is written doubled. The value name is the rest of the
// path as it is, so value names with backslashes need no escaping. The grouping keys
// of the class information are left out, as the tree's paths leave them out, and are
// looked through again when a path is resolved.
#pragma once

#include <string>

#include "engine/snapshot_store.h"

// The mark path of a key or value reference (bit 31), or "" when the reference names
// nothing or its path cannot be a mark (longer than 512 bytes, or a name holding a
// line break).
std::string buildMarkPath(SnapshotStore& store, ItemIndex reference);

// The heading a new mark of the item is offered: the key's name, or the value's
// ("(標準)" for the default value).
std::string defaultMarkHeading(SnapshotStore& store, ItemIndex reference);

// The key, or value reference (bit 31), that `path` names in `store`; kNoItem when a
// key on the way or the value is not found. Names compare as the registry compares
// them; "(標準)" also finds the default value when no value has that name.
ItemIndex resolveMarkPath(SnapshotStore& store, const std::string& path);

// The subkey of `parent` (-1: the roots) named `name`, looked for directly and then
// inside the grouping keys below `parent`, which the shown paths leave out.
ItemIndex findShownKey(SnapshotStore& store, ItemIndex parent, const char* name, int level = 0);
// The value of `key` named `name`; "(標準)" also finds the default value when no value
// carries that name.
ItemIndex findShownValue(SnapshotStore& store, ItemIndex key, const std::string& name);
