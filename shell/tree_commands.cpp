#include "shell/tree_commands.h"

#include <cstdio>
#include <string>

#include "engine/store_walk.h"
#include "platform/clipboard.h"
#include "platform/message_box.h"
#include "resources/command_ids.h"
#include "rules/options.h"
#include "shell/app_state.h"
#include "shell/menu_enabling.h"
#include "shell/menu_state.h"
#include "shell/status_line.h"
#include "shell/tree_view.h"
#include "text/operation_log.h"

namespace {

// Masks of the openings: a key's summary bits, a value's change class.
constexpr int kMaskChanges = SUM_DATA_CHANGED | SUM_STRUCTURE_CHANGED;
constexpr int kMaskAddedDeleted = SUM_STRUCTURE_CHANGED;
constexpr int kMaskExceptions = SUM_CONTROLLED;
// fillChildren mask bit: the values only.
constexpr int kValuesOnly = 0x8000;

SnapshotStore& store() { return currentStore(); }
int32_t& option(int entry) { return programOptions.entries[entry]; }

// Sets an options entry for the duration of one command.
class OptionOverride {
 public:
  OptionOverride(int entry, int32_t value) : entry_(entry), saved_(option(entry)) {
    option(entry) = value;
  }
  ~OptionOverride() { option(entry_) = saved_; }
  OptionOverride(const OptionOverride&) = delete;
  OptionOverride& operator=(const OptionOverride&) = delete;

 private:
  int entry_;
  int32_t saved_;
};

bool isKeyReference(ItemIndex reference) {
  return reference >= 0 && store_walk::isKey(store(), reference);
}

template <class Visit>
void forEachTopLevelKey(Visit&& visit) {
  for (ItemIndex root = 0; root < kRootKeyCount; ++root) {
    if (store_walk::isKey(store(), root) && keyRecord(store(), root).parent < 0) visit(root);
  }
}

// True when the whole opening may go ahead: the count is within openWarnRows, or the
// user said Yes to the question.
bool mayOpenAll(int64_t count, const char* caption) {
  if (count <= option(openWarnRows)) return true;
  char text[128];
  std::snprintf(text, sizeof text, "%lld 個もの沢山の項目があります。それでも開きますか？",
                static_cast<long long>(count));
  return platform::showMessage(text, caption, platform::kMsgYesNo | platform::kMsgIconWarning) ==
         platform::kAnswerYes;
}

struct WholeTreeOpening {
  int mask;
  const char* caption;
  const char* tag;
  const char* status;  // nullptr: the status line is left as it is meanwhile
};

// Removes what the opening does not keep under every top-level key, then opens the
// matching items all the way down, or one level only when the user declined.
void openWholeTree(const WholeTreeOpening& opening, int64_t count) {
  const bool all = mayOpenAll(count, opening.caption);
  logOperation("%s", opening.tag);
  greyItemCommands();
  if (opening.status) setStatusText("%s", opening.status);
  forEachTopLevelKey([&](ItemIndex root) { removeChildren(root, opening.mask); });
  if (all) {
    openAllTopLevel(3, opening.mask);
  } else {
    forEachTopLevelKey([&](ItemIndex root) { openSubtree(root, 4, opening.mask); });
  }
  setStatusTextPlain("");
}

// Added and deleted keys, and (unless only the key structure is compared) changed,
// added and deleted values, in a key's subtree.
int64_t changesBelow(ItemIndex key) {
  const bool keysOnly = option(OPT_KEYS_ONLY) != 0;
  int64_t count = 0;
  store_walk::walkKeys(store(), key, false, [&](ItemIndex at) {
    const uint8_t state = keyRecord(store(), at).state;
    if (at != key && (state == STATE_ADDED || state == STATE_DELETED)) ++count;
    if (!keysOnly) {
      store_walk::forEachValue(store(), at, [&](ItemIndex, ValueRecord& value) {
        if (value.state >= STATE_DATA_CHANGED && value.state <= STATE_VALUE_DELETED) ++count;
      });
    }
    return true;
  });
  return count;
}

}  // namespace

void clearSearchMarks() {
  searchResultsShown = false;
  clearViewFlags(store(), VIEW_HIT | VIEW_HIT_BELOW | VIEW_HIT_IMAGE | VIEW_HIT_BELOW_IMAGE);
  setCommandText(IDM_OPEN_ALL_EXCEPTIONS, 0);
}

void openAllChanges() {
  clearSearchMarks();
  openWholeTree({kMaskChanges, "変化分を全て開く", ":変化分全て開く", "全ての変化項目を表示中"},
                countChangedItems(store(), kMaskChanges));
}

void openAddedAndDeleted() {
  clearSearchMarks();
  openWholeTree({kMaskAddedDeleted, "追加・削除を全て開く", ":追加・削除全て開く",
                 "全ての追加・削除項目を表示中"},
                countChangedItems(store(), kMaskAddedDeleted));
}

void openAllExceptions() {
  if (searchResultsShown) {
    // The search form: the hits are revealed, opening their keys only after a Yes.
    const bool all = mayOpenAll(countMarkedLines(store()), "全て開く");
    logOperation(":全て開く");
    greyItemCommands();
    forEachTopLevelKey([](ItemIndex root) { removeChildren(root, kMaskExceptions); });
    revealSearchHits(0, all);
    setStatusTextPlain("");
    return;
  }
  OptionOverride uncheckedOnly(OPT_UNCHECKED_ONLY, 1);
  openWholeTree({kMaskExceptions, "全て開く", ":全て開く", nullptr},
                countControlledItems(store()));
}

void showAllInKey() {
  const ItemIndex key = currentItem;
  if (!isKeyReference(key)) return;
  OptionOverride changedOnly(OPT_CHANGED_ONLY, 0);
  OptionOverride uncheckedOnly(OPT_UNCHECKED_ONLY, 0);
  fillChildren(key, 1, 0);
  // The rows the key's subtree would add to the tree.
  const int64_t rows = countTreeLines(store(), key, option(OPT_SHOW_VALUES) != 0) - 1;
  if (rows > option(openLevelRows)) {
    logOperation(":項目内を全て表示:1");
    openSubtree(key, 2, 0);
  } else {
    logOperation(":項目内を全て表示:A");
    openSubtree(key, 1, 0);
  }
}

void openChangesInKey() {
  const ItemIndex key = currentItem;
  if (!isKeyReference(key)) return;
  logOperation(":キー内の変化分を開く");
  removeChildren(key, kMaskChanges);
  const int64_t count = changesBelow(key);
  {
    OptionOverride changedOnly(OPT_CHANGED_ONLY, 1);
    if (count > option(openLevelRows)) {
      logOperation(":キー内の変化分を開く:1");
      openSubtree(key, 4, kMaskChanges);
    } else {
      logOperation(":キー内の変化分を開く:A");
      openSubtree(key, 3, kMaskChanges);
    }
  }
  selectItem(key, true);
}

void showValuesInKey() {
  const ItemIndex key = currentItem;
  if (!isKeyReference(key)) return;
  logOperation(":キー内のデータ項目を表示");
  {
    OptionOverride valuesShown(OPT_SHOW_VALUES, 1);
    OptionOverride changedOnly(OPT_CHANGED_ONLY, 0);
    refreshItemImage(key, false);
    fillChildren(key, 1, kValuesOnly);
    openSubtree(key, 2, 0);
  }
  setStatusTextPlain("");
}

void closeThisLevel() {
  const ItemIndex selected = currentItem;
  if (selected == kNoItem) return;
  const bool isValue = (static_cast<uint32_t>(selected) & kValueItemBit) != 0;
  ItemIndex level = kNoItem;
  if (isValue) {
    const ItemIndex value = static_cast<ItemIndex>(static_cast<uint32_t>(selected) & ~kValueItemBit);
    if (!store_walk::isValue(store(), value)) return;
    level = ownerKeyOfValue(store(), value);
    logOperation(":階層を閉じる:D:%x", static_cast<unsigned>(level));
  } else {
    if (!isKeyReference(selected)) return;
    level = keyRecord(store(), selected).parent;
    logOperation(":階層を閉じる:K:%x", static_cast<unsigned>(level));
  }
  if (isKeyReference(level)) {
    openSubtree(level, 0, 0);
    selectItem(level, false);
  } else {
    // A top-level key has no level above it to close.
    setCommandEnabled(IDM_CLOSE_LEVEL, false);
  }
  setCommandEnabled(IDM_HIDE_ITEM, false);
  setStatusTextPlain("");
}

void closeAll() {
  logOperation(":全て閉じる");
  greyItemCommands();
  clearTree();
  pumpMessagesFor(100);
  clearTreeItems(store());
  // Five roots without children: nothing would be there to open, so nothing is shown.
  int topLevel = 0;
  forEachTopLevelKey([&](ItemIndex) { ++topLevel; });
  if (topLevel > 0 && countItems(store(), 0) > topLevel) showTopLevelKeys(0);
}

void hideSelectedItem() {
  if (currentItem == kNoItem) return;
  logOperation(":この項目を表示しない:%x", static_cast<unsigned>(currentItem & 0x7FFFFFFF));
  hideItem(currentItem);
}

void openCopiedKeyName() {
  std::string text;
  if (!platform::readClipboardText(text) || text.empty()) return;
  logOperation(":コピーしたキー名を開く");
  const ItemIndex found = openKeyByPath(text.c_str());
  if (found != kNoItem) selectItem(found, false);
}

void openDescribedItems() {
  logOperation(":説明付項目を全て開く");
  ++quietExpand;
  store_walk::walkAllKeys(store(), [](ItemIndex key) {
    if (keyFlags(store(), key) & VIEW_HAS_DESCRIPTION) revealItem(key, 0);
    return true;
  });
  store_walk::walkAllKeys(store(), [](ItemIndex key) {
    store_walk::forEachValue(store(), key, [](ItemIndex value, ValueRecord&) {
      if (valueFlags(store(), value) & VIEW_HAS_DESCRIPTION) {
        revealItem(static_cast<ItemIndex>(static_cast<uint32_t>(value) | kValueItemBit), 3);
      }
    });
    return true;
  });
  --quietExpand;
  selectItem(0, false);
}
