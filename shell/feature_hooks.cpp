#include "shell/feature_hooks.h"

#include "shell/tree_view.h"
#include "text/operation_log.h"

FeatureHooks featureHooks;

void showPropertiesCommand() {
  if (currentItem == kNoItem) return;
  logOperation(":プロパティ:%x", static_cast<unsigned>(currentItem));
  if (featureHooks.showItemProperties) featureHooks.showItemProperties(currentItem);
}

void showFilePropertiesCommand() {
  if (valueFilePath.empty()) return;
  logOperation(":ファイルのプロパティ");
  if (featureHooks.showFileProperties) featureHooks.showFileProperties(valueFilePath.c_str());
}

void describeItemCommand() {
  logOperation(":この項目の説明");
  if (currentItem != kNoItem && featureHooks.showItemDescription) {
    featureHooks.showItemDescription(currentItem);
  }
}
