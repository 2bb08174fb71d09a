// The "編集(&E)" group: copying key names, structures, values and change lists to the
// clipboard, search and find-next, the mark list and the undo hand-off.
#pragma once

// Runs `id` when it belongs to the group; false otherwise.
bool runEditCommand(int id);
