// Fuzz target: the restore program reading an undo list.
//
// The input is the file's contents (an exact-size copy, so reads past it are caught).
// A refused list must leave nothing behind; a taken one must hold only keys and values
// that link backwards, and planning and applying it to an in-memory registry must end
// without a crash and with every key handle closed.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "platform/memory_registry.h"
#include "restore/restore_plan.h"
#include "restore/undo_list_reader.h"

namespace {

void require(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::unique_ptr<uint8_t[]> copy(new uint8_t[size == 0 ? 1 : size]);
  if (size != 0) std::memcpy(copy.get(), data, size);

  restore::UndoList list;
  const restore::UndoListReadResult result = restore::readUndoList(copy.get(), size, list);
  if (result.error != restore::UNDO_LIST_OK) {
    require(list.keys.empty() && list.values.empty() && list.order.empty());
    return 0;
  }
  for (size_t i = 0; i < list.keys.size(); ++i) {
    require(list.keys[i].parent < static_cast<int32_t>(i));
    require(restore::undoRootIndex(restore::splitUndoPath(restore::undoKeyPath(list, static_cast<int32_t>(i)))[0]) >= 0);
  }
  for (const restore::UndoValue& value : list.values) {
    require(value.key >= 0 && static_cast<size_t>(value.key) < list.keys.size());
  }
  const restore::RestorePlan plan = restore::planRestore(list);
  platform::MemoryRegistry registry;
  const restore::RestoreReport report = restore::applyRestorePlan(registry, list, plan, true);
  require(report.outcomes.size() == plan.steps.size());
  require(registry.openHandleCount() == 0);
  for (const restore::RestoreStep& step : plan.steps) restore::restoreRowText(list, step);
  return 0;
}
