#include "restore/restore_plan.h"

#include <cstdio>

#include "engine/snapshot_store.h"
#include "text/value_text.h"

namespace restore {

namespace {

constexpr int kDataTextWidth = 128;

// An open key of a path, closed when done; root handles are never closed.
class OpenedKey {
 public:
  OpenedKey(platform::RegistrySeam& registry, const std::string& path, bool create)
      : registry_(registry) {
    const std::vector<std::string> parts = splitUndoPath(path);
    const int root = undoRootIndex(parts[0]);
    if (root < 0) {
      error_ = platform::kRegFileNotFound;
      return;
    }
    key_ = kRootKeyHandles[root];
    for (size_t i = 1; i < parts.size(); ++i) {
      platform::RegKey next = 0;
      error_ = create ? registry_.createKey(key_, parts[i].c_str(), platform::kRegAllAccess, &next)
                      : registry_.openKey(key_, parts[i].c_str(), platform::kRegAllAccess, &next);
      close();
      if (error_ != platform::kRegOk) return;
      key_ = next;
      owned_ = true;
    }
  }
  ~OpenedKey() { close(); }
  OpenedKey(const OpenedKey&) = delete;
  OpenedKey& operator=(const OpenedKey&) = delete;

  long error() const { return error_; }
  platform::RegKey key() const { return key_; }

 private:
  void close() {
    if (owned_) registry_.closeKey(key_);
    owned_ = false;
  }

  platform::RegistrySeam& registry_;
  platform::RegKey key_ = 0;
  bool owned_ = false;
  long error_ = platform::kRegOk;
};

std::string parentPath(const UndoList& list, int32_t key) {
  const UndoKey& k = list.keys[static_cast<size_t>(key)];
  return k.parent >= 0 ? undoKeyPath(list, k.parent) : std::string();
}

StepOutcome runStep(platform::RegistrySeam& registry, const UndoList& list,
                    const RestoreStep& step) {
  const std::string path = undoKeyPath(list, step.key);
  switch (step.action) {
    case RESTORE_CREATE_KEY: {
      OpenedKey key(registry, path, true);
      return {key.error() == platform::kRegOk ? STEP_DONE : STEP_FAILED, key.error()};
    }
    case RESTORE_SET_VALUE: {
      const UndoValue& value = list.values[static_cast<size_t>(step.value)];
      const UndoData& data = value.state == STATE_DATA_CHANGED ? value.old : value.data;
      OpenedKey key(registry, path, true);
      long error = key.error();
      if (error == platform::kRegOk) {
        error = registry.setValue(key.key(), value.name.c_str(), data.type,
                                  reinterpret_cast<const uint8_t*>(data.bytes.data()),
                                  static_cast<uint32_t>(data.bytes.size()));
      }
      return {error == platform::kRegOk ? STEP_DONE : STEP_FAILED, error};
    }
    case RESTORE_DELETE_VALUE: {
      const UndoValue& value = list.values[static_cast<size_t>(step.value)];
      OpenedKey key(registry, path, false);
      long error = key.error();
      if (error == platform::kRegOk) error = registry.deleteValue(key.key(), value.name.c_str());
      // Gone already is what was wanted.
      if (error == platform::kRegFileNotFound) error = platform::kRegOk;
      return {error == platform::kRegOk ? STEP_DONE : STEP_FAILED, error};
    }
    case RESTORE_DELETE_KEY: {
      const UndoKey& added = list.keys[static_cast<size_t>(step.key)];
      if (added.parent < 0) return {STEP_LEFT_ALONE, 0};
      {
        OpenedKey key(registry, path, false);
        if (key.error() == platform::kRegFileNotFound) return {STEP_DONE, 0};
        if (key.error() != platform::kRegOk) return {STEP_FAILED, key.error()};
        platform::RegKeyInfo info{};
        const long error = registry.queryInfoKey(key.key(), &info);
        if (error != platform::kRegOk) return {STEP_FAILED, error};
        // What the list does not describe is never thrown away.
        if (info.subKeyCount != 0 || info.valueCount != 0) return {STEP_LEFT_ALONE, 0};
      }
      OpenedKey parent(registry, parentPath(list, step.key), false);
      long error = parent.error();
      if (error == platform::kRegOk) error = registry.deleteKey(parent.key(), added.name.c_str());
      return {error == platform::kRegOk ? STEP_DONE : STEP_FAILED, error};
    }
    case RESTORE_NO_DATA:
      return {STEP_NO_DATA, 0};
  }
  return {STEP_FAILED, 0};
}

std::string dataText(const UndoData& data) {
  if (!data.present) return kNoValueData;
  char text[kDataTextWidth];
  formatValueShort(text, kDataTextWidth, reinterpret_cast<const uint8_t*>(data.bytes.data()),
                   static_cast<int32_t>(data.bytes.size()), valueKindOf(data.type));
  return std::string("[") + valueTypeName(data.type) + "] " + text;
}

}  // namespace

RestorePlan planRestore(const UndoList& list) {
  RestorePlan plan;
  std::vector<RestoreStep> addedKeys;
  for (uint32_t item : list.order) {
    if (item & kUndoValueBit) {
      const int32_t index = static_cast<int32_t>(item & ~kUndoValueBit);
      const UndoValue& value = list.values[static_cast<size_t>(index)];
      RestoreAction action = RESTORE_SET_VALUE;
      if (value.state == STATE_VALUE_ADDED) {
        action = RESTORE_DELETE_VALUE;
      } else if (!(value.state == STATE_DATA_CHANGED ? value.old : value.data).present) {
        action = RESTORE_NO_DATA;
      }
      plan.steps.push_back({action, value.key, index});
    } else {
      const int32_t index = static_cast<int32_t>(item);
      const uint8_t state = list.keys[static_cast<size_t>(index)].state;
      if (state == STATE_DELETED) plan.steps.push_back({RESTORE_CREATE_KEY, index, -1});
      if (state == STATE_ADDED) addedKeys.push_back({RESTORE_DELETE_KEY, index, -1});
    }
  }
  // Added keys go last, the deepest first, so each is empty when its turn comes.
  plan.steps.insert(plan.steps.end(), addedKeys.rbegin(), addedKeys.rend());
  return plan;
}

RestoreReport applyRestorePlan(platform::RegistrySeam& registry, const UndoList& list,
                               const RestorePlan& plan, bool removeAdded) {
  RestoreReport report;
  for (const RestoreStep& step : plan.steps) {
    StepOutcome outcome{STEP_LEFT_ALONE, 0};
    if (removeAdded || !isRemovalStep(step)) outcome = runStep(registry, list, step);
    report.outcomes.push_back(outcome);
    if (outcome.result == STEP_DONE) ++report.done;
    if (outcome.result == STEP_FAILED) ++report.failed;
    if (outcome.result == STEP_LEFT_ALONE || outcome.result == STEP_NO_DATA) ++report.leftAlone;
  }
  return report;
}

RestoreRowText restoreRowText(const UndoList& list, const RestoreStep& step) {
  RestoreRowText row;
  row.key = undoKeyPath(list, step.key);
  static const UndoData kNone;
  switch (step.action) {
    case RESTORE_CREATE_KEY:
      row.oldData = "(キー)";
      row.newData = "(削除されたキー)";
      row.action = "キーを作る";
      return row;
    case RESTORE_DELETE_KEY:
      row.oldData = "(なし)";
      row.newData = "(追加されたキー)";
      row.action = "空なら削除";
      return row;
    default:
      break;
  }
  const UndoValue& value = list.values[static_cast<size_t>(step.value)];
  row.value = value.name.empty() ? kDefaultValueName : value.name;
  if (value.state == STATE_VALUE_DELETED) {
    row.oldData = dataText(value.data);
    row.newData = "(削除された値)";
  } else if (value.state == STATE_DATA_CHANGED) {
    row.oldData = dataText(value.old);
    row.newData = dataText(value.data);
  } else {
    row.oldData = "(なし)";
    row.newData = dataText(value.data);
  }
  row.action = step.action == RESTORE_SET_VALUE      ? "元のデータに戻す"
               : step.action == RESTORE_DELETE_VALUE ? "削除"
                                                     : "元のデータがない";
  return row;
}

const char* stepResultText(StepResult result) {
  switch (result) {
    case STEP_DONE: return "完了";
    case STEP_FAILED: return "失敗";
    case STEP_LEFT_ALONE: return "そのまま";
    case STEP_NO_DATA: return "元のデータがない";
  }
  return "";
}

std::string restoreSummaryText(const RestoreReport& report) {
  char text[128];
  std::snprintf(text, sizeof text, "成功 %d 件、失敗 %d 件、そのまま %d 件", report.done,
                report.failed, report.leftAlone);
  return text;
}

}  // namespace restore
