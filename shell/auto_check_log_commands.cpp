#include "shell/auto_check_log_commands.h"

#include "engine/snapshot_store.h"
#include "platform/clock.h"
#include "resources/command_ids.h"
#include "rules/options.h"
#include "shell/app_state.h"
#include "shell/menu_state.h"
#include "text/auto_check_log.h"

std::string currentAutoCheckLogPath() { return autoCheckLogPath(programOptions.dataFolder); }

void appendAutoCheckRun() {
  AutoCheckRun run;
  run.counts = lastCounts;
  run.keysOnly = programOptions.entries[OPT_KEYS_ONLY] != 0;
  run.viewState = static_cast<uint16_t>(viewState & ~VIEW_READING);
  run.now = platform::localTimeNow();
  appendAutoCheckResult(currentAutoCheckLogPath(), currentStore(), baselineStore(), run);
}

void warnAboutLargeAutoCheckLog() { warnIfLogLarge(currentAutoCheckLogPath()); }

bool autoCheckLogPresent() { return autoCheckLogExists(currentAutoCheckLogPath()); }

void clearAutoCheckLogCommand() {
  if (!clearAutoCheckLog(currentAutoCheckLogPath())) return;
  setCommandEnabled(IDM_CLEAR_AUTOCHECK_LOG, false);
  setCommandEnabled(IDM_SHOW_AUTOCHECK_LOG, false);
}

void showAutoCheckLogCommand() { showAutoCheckLog(currentAutoCheckLogPath()); }
