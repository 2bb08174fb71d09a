// The "表示(&V)" group: opening and closing parts of the tree, the display toggles,
// keys-only comparison and re-comparison, and the status information.
#pragma once

// Runs `id` when it belongs to the group; false otherwise.
bool runViewCommand(int id);
