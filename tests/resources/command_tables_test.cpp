// The menu-state, right-click and toolbar tables against the command-id header and
// against each other: the shell mirrors states between them by id, so an id that is
// missing from one table silently stops a menu item, button or shortcut following.
#include "resources/command_tables.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <set>
#include <string>

#include "resources/tree_images.h"
#include "tests/resources/command_header.h"

namespace {

using resource_tests::commandIdsFromHeader;
using resource_tests::isOutsideMainMenu;

class CommandTablesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    header_ = commandIdsFromHeader();
    ASSERT_FALSE(header_.empty()) << "cannot read " << resource_tests::sourcePath("resources/command_ids.h");
    for (const auto& entry : header_) commandValues_.insert(entry.second);
  }

  bool isCommand(long id) const { return commandValues_.count(id) != 0; }

  const MenuStateEntry* menuState(uint16_t id) const {
    for (const MenuStateEntry* e = kInitialMenuStates; e->id != 0; ++e) {
      if (e->id == id) return e;
    }
    return nullptr;
  }

  std::map<std::string, long> header_;
  std::set<long> commandValues_;
};

TEST_F(CommandTablesTest, HeaderIdsAreDistinctAndFitACommandWord) {
  std::map<long, std::string> byValue;
  for (const auto& entry : header_) {
    EXPECT_GT(entry.second, 0) << entry.first << " is not a plain decimal number";
    // WM_COMMAND carries the id in its low word.
    EXPECT_LE(entry.second, 0xFFFF) << entry.first;
    auto inserted = byValue.emplace(entry.second, entry.first);
    EXPECT_TRUE(inserted.second) << entry.first << " and " << inserted.first->second
                                 << " share the value " << entry.second;
  }
  // The favourites' ids must not run into any other command.
  for (long n = 0; n < MAX_FAVOURITES; ++n) {
    auto found = byValue.find(IDM_FAVOURITE_FIRST + n);
    if (found != byValue.end()) {
      EXPECT_EQ("IDM_FAVOURITE_FIRST", found->second);
    }
  }
  EXPECT_EQ(IDM_FAVOURITE_FIRST + MAX_FAVOURITES, IDM_FAVOURITE_PLACEHOLDER);
}

TEST_F(CommandTablesTest, MenuStateTableHoldsEachMenuCommandOnceInPopupOrder) {
  int count = 0;
  std::set<uint16_t> seen;
  int previousPopup = 0;
  const MenuStateEntry* e = kInitialMenuStates;
  for (; e->id != 0 && count <= kMenuStateCount; ++e, ++count) {
    SCOPED_TRACE(e->id);
    EXPECT_TRUE(isCommand(e->id));
    EXPECT_TRUE(seen.insert(e->id).second) << "listed twice";
    EXPECT_LE(e->popup, POPUP_SETTINGS);
    EXPECT_GE(e->popup, previousPopup) << "entries are grouped by popup, left to right";
    previousPopup = e->popup;
    EXPECT_TRUE(e->greyed == 0 || e->greyed == MENU_GREYED);
    EXPECT_EQ(0, e->checked) << "check marks are set from the options, not the table";
    EXPECT_LE(e->star, 1);
    EXPECT_EQ(0, e->shownText);
  }
  EXPECT_EQ(kMenuStateCount, count);
  EXPECT_EQ(0, e->id) << "the table ends with id 0";
  EXPECT_EQ(kMenuStateCount, static_cast<int>(seen.size()));
  // None of the commands outside the main menu may be in it.
  for (const auto& entry : header_) {
    if (isOutsideMainMenu(entry.first)) {
      EXPECT_EQ(nullptr, menuState(static_cast<uint16_t>(entry.second))) << entry.first;
    }
  }
}

TEST_F(CommandTablesTest, RightClickTableMirrorsTheMenuStateTable) {
  int count = 0;
  std::set<uint16_t> seen;
  const RightClickEntry* e = kInitialRightClickMenu;
  for (; e->id != RIGHT_CLICK_END && count <= kRightClickEntryCount; ++e, ++count) {
    SCOPED_TRACE(count);
    EXPECT_NE(0, e->mask & (RIGHT_CLICK_FOR_KEYS | RIGHT_CLICK_FOR_VALUES));
    EXPECT_EQ(0, e->mask & ~(RIGHT_CLICK_FOR_KEYS | RIGHT_CLICK_FOR_VALUES));
    if (e->id == RIGHT_CLICK_SEPARATOR) {
      EXPECT_EQ(nullptr, e->text);
      continue;
    }
    EXPECT_TRUE(isCommand(e->id)) << e->id;
    EXPECT_TRUE(seen.insert(e->id).second) << e->id << " listed twice";
    ASSERT_NE(nullptr, e->text);
    EXPECT_GT(std::strlen(e->text), 0u);
    EXPECT_EQ(nullptr, std::strchr(e->text, '&')) << "no access keys in the right-click menu";
    // States reach the right-click table through the menu-state operations, so every
    // item but the two of its own must be a main-menu item.
    if (e->id != IDM_FILE_PROPERTIES && e->id != IDM_RIGHT_CLICK_CANCEL) {
      EXPECT_NE(nullptr, menuState(e->id)) << e->id;
    }
    // Only "キャンセル" starts enabled; nothing starts checked.
    EXPECT_EQ(e->id == IDM_RIGHT_CLICK_CANCEL ? RIGHT_CLICK_ENABLED : 0, e->state) << e->id;
  }
  EXPECT_EQ(kRightClickEntryCount, count);
  EXPECT_EQ(RIGHT_CLICK_END, e->id);
}

TEST_F(CommandTablesTest, ToolbarButtonsFollowTheMenuStateTable) {
  std::set<uint16_t> ids;
  std::set<int> images;
  for (int i = 0; i < kToolbarEntryCount; ++i) {
    const ToolbarEntry& b = kToolbarButtons[i];
    SCOPED_TRACE(i);
    if (b.image == TOOLBAR_SEPARATOR) {
      EXPECT_EQ(0, b.id);
      EXPECT_NE(0, i) << "no leading separator";
      EXPECT_NE(kToolbarEntryCount - 1, i) << "no trailing separator";
      EXPECT_NE(TOOLBAR_SEPARATOR, kToolbarButtons[i - 1].image) << "two separators in a row";
      continue;
    }
    EXPECT_TRUE(isCommand(b.id));
    EXPECT_TRUE(ids.insert(b.id).second) << b.id << " has two buttons";
    EXPECT_TRUE(images.insert(b.image).second) << "image " << b.image << " used twice";
    EXPECT_GE(b.image, 0);
    EXPECT_LT(b.image, kToolbarImageCount) << "the strip holds no such image";
    // setToolbarButton follows the menu-state table by id.
    const MenuStateEntry* state = menuState(b.id);
    ASSERT_NE(nullptr, state) << b.id;
    // A null tool tip is taken from the item's current text, which only switching
    // items need; every other button names its command.
    EXPECT_EQ(state->hasAlternatives != 0, b.toolTip == nullptr) << b.id;
  }
  EXPECT_EQ(25u, ids.size());
  EXPECT_EQ(0u, images.count(8)) << "image 8 of the strip is not shown";
  EXPECT_EQ(static_cast<size_t>(kToolbarImageCount - 1), images.size())
      << "every image of the strip but one is shown";
}

}  // namespace
