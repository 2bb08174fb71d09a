// The restore program's plan: what an undo list asks of the registry, step by step,
// and carrying it out through the registry seam.
//
// Deleted keys are created again, deleted values get back their data and type, changed
// values their old data and type. Added values, and added keys that are empty once
// their additions are gone, are removed only when the user asks for it. A value whose
// old data the list lacks cannot be put back and is left alone. A failed registry call
// fails its own step; the other steps still run. Keys are opened one name at a time,
// so a backslash that is the trail byte of a double-byte character never splits a name.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/registry.h"
#include "restore/undo_list_reader.h"

namespace restore {

enum RestoreAction : uint8_t {
  RESTORE_CREATE_KEY,    // a deleted key
  RESTORE_SET_VALUE,     // a deleted or changed value: the old data and type
  RESTORE_DELETE_VALUE,  // an added value (optional)
  RESTORE_DELETE_KEY,    // an added key, only when empty (optional)
  RESTORE_NO_DATA,       // the old data is not in the list: nothing can be done
};

struct RestoreStep {
  RestoreAction action;
  int32_t key;    // index into UndoList::keys
  int32_t value;  // index into UndoList::values, -1 for key steps
};

struct RestorePlan {
  std::vector<RestoreStep> steps;  // in the order they run
};

RestorePlan planRestore(const UndoList& list);

// Whether the step runs only when added items are to be removed.
inline bool isRemovalStep(const RestoreStep& step) {
  return step.action == RESTORE_DELETE_VALUE || step.action == RESTORE_DELETE_KEY;
}

enum StepResult : uint8_t {
  STEP_DONE,
  STEP_FAILED,       // the registry refused (error in StepOutcome::error)
  STEP_LEFT_ALONE,   // a removal not asked for, or an added key that is not empty
  STEP_NO_DATA,
};

struct StepOutcome {
  StepResult result;
  long error;
};

struct RestoreReport {
  std::vector<StepOutcome> outcomes;  // one per plan step
  int done = 0;
  int failed = 0;
  int leftAlone = 0;
};

RestoreReport applyRestorePlan(platform::RegistrySeam& registry, const UndoList& list,
                               const RestorePlan& plan, bool removeAdded);

// The texts of one plan row for the list the user confirms (cp932): the key path, the
// value name ("(標準)" for the default value, empty for key steps), the data the
// registry will get back, the data it has now, and what will be done.
struct RestoreRowText {
  std::string key;
  std::string value;
  std::string oldData;
  std::string newData;
  std::string action;
};
RestoreRowText restoreRowText(const UndoList& list, const RestoreStep& step);
const char* stepResultText(StepResult result);
// "成功 %d 件、失敗 %d 件、そのまま %d 件"
std::string restoreSummaryText(const RestoreReport& report);

}  // namespace restore
