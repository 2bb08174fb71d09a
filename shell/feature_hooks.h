// Hooks for the work of commands that other parts of the program bring: the property
// dialogs, the file property dialog and the item descriptions. The view commands
// call a hook when it is installed; the part that brings the work installs it at
// start-up and makes its command available (command_availability.cpp), so until then
// the command stays greyed and never arrives.
#pragma once

#include "engine/snapshot_store.h"

struct FeatureHooks {
  // 32787 "プロパティ(&P)...": the value or key property dialog of `reference`.
  void (*showItemProperties)(ItemIndex reference) = nullptr;
  // 32833 "ファイルのプロパティ": the file property dialog of `path`.
  void (*showFileProperties)(const char* path) = nullptr;
  // 32822 "この項目の説明" (F1): the description of `reference`.
  void (*showItemDescription)(ItemIndex reference) = nullptr;
  // "項目の説明を表示(&G)" turned on: load the descriptions and, when `snapshotShown`,
  // mark the shown snapshot's items that have one (VIEW_HAS_DESCRIPTION).
  void (*loadDescriptions)(bool snapshotShown) = nullptr;
  // Turned off: release them.
  void (*releaseDescriptions)() = nullptr;
  // The value property dialog's "RegEditを起動": the registry editor opened at the key
  // of `reference` (a value with bit 31). The button stays greyed while null.
  void (*openInRegistryEditor)(ItemIndex reference) = nullptr;
  // A snapshot is about to be shown: mark its described items, when loaded.
  void (*markDescriptions)() = nullptr;
};

extern FeatureHooks featureHooks;

// The commands that hand their work to the hooks.
void showPropertiesCommand();      // 32787, the current item
void showFilePropertiesCommand();  // 32833, the file the right-clicked value names
void describeItemCommand();        // 32822, the current item
