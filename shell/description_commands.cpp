#include "shell/description_commands.h"

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "dialogs/description_window.h"
#include "engine/snapshot_store.h"
#include "engine/store_walk.h"
#include "navigation/description_store.h"
#include "platform/files.h"
#include "rules/options.h"
#include "shell/app_state.h"
#include "shell/feature_hooks.h"
#include "shell/tree_view.h"

namespace {

const char kDefaultValueTitle[] = "(標準)";

bool optionOn() { return programOptions.entries[OPT_SHOW_DESCRIPTIONS] != 0; }

// Windows 98 and Me have a guide file of their own; every NT system reads the other.
const char* guideFileName() {
  return (GetVersion() & 0x80000000u) == 0 ? kGuideFileNameNt : kGuideFileName9x;
}

void markShownSnapshot() {
  if (optionOn() && descriptionsLoaded()) markDescribedItems(currentStore());
}

void loadAndMark(bool snapshotShown) {
  loadDescriptions(platform::programFolder() + guideFileName());
  if (snapshotShown) markShownSnapshot();
}

void release() {
  releaseDescriptions();
  clearViewFlags(currentStore(), VIEW_HAS_DESCRIPTION);
}

std::string titleOf(ItemIndex reference) {
  SnapshotStore& store = currentStore();
  if (!(static_cast<uint32_t>(reference) & kValueItemBit)) return store_walk::keyNameOrEmpty(store, reference);
  const char* name = store_walk::valueNameOrEmpty(store, reference & 0x7FFFFFFF);
  return *name ? name : kDefaultValueTitle;
}

// The bottom-left corner of the item's line in the tree, on the screen.
POINT anchorOf(ItemIndex reference) {
  POINT corner = {0, 0};
  HTREEITEM item = treeItemOf(reference);
  RECT line;
  if (item && TreeView_GetItemRect(treeWindow, item, &line, FALSE)) {
    corner = {line.left, line.bottom};
  }
  ClientToScreen(treeWindow, &corner);
  return corner;
}

void showDescription(ItemIndex reference) {
  const std::string text = readDescriptionText(findDescriptionNode(currentStore(), reference));
  if (text.empty()) return;
  showDescriptionWindow(titleOf(reference).c_str(), text, anchorOf(reference));
}

}  // namespace

void installDescriptions() {
  featureHooks.showItemDescription = showDescription;
  featureHooks.loadDescriptions = loadAndMark;
  featureHooks.releaseDescriptions = release;
  featureHooks.markDescriptions = markShownSnapshot;
  if (optionOn()) loadAndMark(false);
}

void removeDescriptions() {
  destroyDescriptionWindow();
  releaseDescriptions();
  featureHooks.showItemDescription = nullptr;
  featureHooks.loadDescriptions = nullptr;
  featureHooks.releaseDescriptions = nullptr;
  featureHooks.markDescriptions = nullptr;
}
