// Opening the system registry editor at a key. The editor takes no start key on its
// command line; it opens at the key kept in its own settings as "LastKey"
// (HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Applets\Regedit), so the
// key's path is written there first, behind the name the editor gives its computer node.
//
// The first jump of a run shows a warning about editing the registry. Settings that
// cannot be opened or written, and an editor that cannot be started, are not reported:
// the editor then opens wherever it remembers, or not at all. Whoever offers the jump
// decides whether it is allowed (the option OPT_ALLOW_REGEDIT).
#pragma once

#include "engine/snapshot_store.h"

// `keyPath`: root key name and subkeys joined by backslashes ("HKEY_CURRENT_USER\Software").
void jumpToRegistryEditor(const char* keyPath);
// The same for a key of the current snapshot, or a value's key (reference with bit 31).
void openInRegistryEditor(ItemIndex key);

// The next jump shows the warning again (a new run).
void forgetRegistryEditorWarning();
