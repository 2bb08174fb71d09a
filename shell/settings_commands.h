// The "設定(&S)" group: the per-item control toggles, the rule commands, the user
// control file and the option sheet.
#pragma once

// Runs `id` when it belongs to the group; false otherwise.
bool runSettingsCommand(int id);
