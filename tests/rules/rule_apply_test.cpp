// Rules and snapshots: applying the store to a loaded snapshot, recording controls as
// the user's rules, rebuilding the store from a snapshot, and the same-name command.
#include "rules/rule_apply.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "engine/registry_reader.h"
#include "engine/store_walk.h"
#include "tests/engine/store_tree_builder.h"
#include "tests/rules/rule_test_support.h"

namespace {

using rule_test::addPath;
using rule_test::dumpRules;
using rule_test::findPath;
using Dump = std::map<std::string, std::string>;

class RuleApplyTest : public store_tree::TreeTest {
 protected:
  void SetUp() override {
    TreeTest::SetUp();
    resetRules();
  }
  void TearDown() override {
    setItemControlRecorder(nullptr);
    setControlRuleHook(nullptr);
    resetRules();
    TreeTest::TearDown();
  }

  uint8_t state(const std::string& path) { return rec(key(path)).state; }
  bool has(const std::string& path, uint8_t summary) { return (rec(key(path)).summary & summary) != 0; }

  // "path" -> state, for every key whose state or rule summary bits are set.
  std::map<std::string, int> controlled() {
    std::map<std::string, int> states;
    store_walk::walkAllKeys(store(), [&](ItemIndex at) {
      const KeyRecord& k = rec(at);
      const int bits = k.summary & (SUM_AUTOCHECK_TARGET | SUM_SAME_NAME | SUM_USER_RULE);
      if (k.state != 0 || bits != 0) states[buildItemPath(store(), at, 2)] = k.state | bits << 8;
      store_walk::forEachValue(store(), at, [&](ItemIndex v, ValueRecord& value) {
        if (value.state != STATE_DATA) {
          states[buildItemPath(store(), at, 2) + " : " + valueName(store(), v)] = value.state;
        }
      });
      return true;
    });
    return states;
  }
};

// ---------------------------------------------------------------- applying

TEST_F(RuleApplyTest, EarlierControlsAreClearedAndFactsKept) {
  key("HKEY_LOCAL_MACHINE\\WasNotRead", STATE_NOT_READ);
  key("HKEY_LOCAL_MACHINE\\WasHidden", STATE_HIDDEN);
  const ItemIndex sameName = key("HKEY_LOCAL_MACHINE\\WasSameName", STATE_NOT_CHECKED);
  rec(sameName).summary |= SUM_SAME_NAME | SUM_USER_RULE;
  rec(key("HKEY_LOCAL_MACHINE\\WasTarget")).summary |= SUM_AUTOCHECK_TARGET;
  const ItemIndex excludedGhost = key("HKEY_LOCAL_MACHINE\\ExcludedGhost", STATE_NOT_CHECKED);
  rec(excludedGhost).savedState = STATE_DELETED;
  const ItemIndex added = key("HKEY_LOCAL_MACHINE\\Added", STATE_ADDED);
  rec(added).savedState = STATE_ADDED;
  key("HKEY_LOCAL_MACHINE\\Ghost\\Child", STATE_DELETED);
  key("HKEY_LOCAL_MACHINE\\Ghost", STATE_DELETED);
  key("HKEY_LOCAL_MACHINE\\Refused", STATE_REFUSED);
  const ItemIndex values = key("HKEY_LOCAL_MACHINE\\Values");
  value(values, "WasUnchecked", STATE_NOT_CHECKED);
  value(values, "Changed", STATE_DATA_CHANGED);
  value(values, "Gone", STATE_VALUE_DELETED);
  addPath("HKEY_LOCAL_MACHINE|Added", CONTROL_NOT_CHECKED);
  addPath("HKEY_LOCAL_MACHINE|Ghost", CONTROL_NOT_CHECKED);
  addPath("HKEY_LOCAL_MACHINE|Ghost|Child", CONTROL_HIDDEN);
  addPath("HKEY_LOCAL_MACHINE|Refused", CONTROL_HIDDEN);
  addPath("HKEY_LOCAL_MACHINE|Values|Changed", CONTROL_NOT_CHECKED);
  addPath("HKEY_LOCAL_MACHINE|Values|Gone", CONTROL_NOT_CHECKED);
  applyRulesToStore(store());
  const std::map<std::string, int> expected = {
      {"HKEY_LOCAL_MACHINE\\ExcludedGhost", STATE_DELETED},
      {"HKEY_LOCAL_MACHINE\\Added", STATE_NOT_CHECKED},
      {"HKEY_LOCAL_MACHINE\\Ghost", STATE_DELETED},
      {"HKEY_LOCAL_MACHINE\\Ghost\\Child", STATE_DELETED},
      {"HKEY_LOCAL_MACHINE\\Refused", STATE_REFUSED},
      {"HKEY_LOCAL_MACHINE\\Values : Changed", STATE_NOT_CHECKED},
      {"HKEY_LOCAL_MACHINE\\Values : Gone", STATE_VALUE_DELETED},
  };
  EXPECT_EQ(controlled(), expected);
  EXPECT_EQ(rec(added).savedState, STATE_ADDED) << "the change mark comes back when unchecked";
  EXPECT_TRUE(has("HKEY_LOCAL_MACHINE", SUM_CONTROLLED));
  EXPECT_FALSE(has("HKEY_LOCAL_MACHINE\\WasHidden", SUM_CONTROLLED));
}

TEST_F(RuleApplyTest, GroupingKeysAreLeftOutOfRulePaths) {
  key("HKEY_CLASSES_ROOT\\.txt");
  key("HKEY_CLASSES_ROOT\\txtfile\\shell");
  key("HKEY_CLASSES_ROOT\\CLSID");
  groupClassInfo(store());
  ASSERT_GE(key("HKEY_CLASSES_ROOT\\!.File Extensions\\.txt"), 0);
  addPath("HKEY_CLASSES_ROOT|.TXT", CONTROL_NOT_CHECKED);
  addPath("HKEY_CLASSES_ROOT|txtfile|shell", CONTROL_HIDDEN);
  applyRulesToStore(store());
  EXPECT_EQ(state("HKEY_CLASSES_ROOT\\!.File Extensions\\.txt"), STATE_NOT_CHECKED);
  EXPECT_EQ(state("HKEY_CLASSES_ROOT\\!.File Types\\T\\txtfile\\shell"), STATE_HIDDEN);
  EXPECT_EQ(state("HKEY_CLASSES_ROOT\\!.File Extensions"), STATE_NORMAL);

  resetRules();
  const ItemIndex shell = key("HKEY_CLASSES_ROOT\\!.File Types\\T\\txtfile\\shell");
  ASSERT_TRUE(recordItemControlIn(store(), shell, false));
  EXPECT_EQ(ruleNode(findPath("HKEY_CLASSES_ROOT|txtfile|shell")).code, STATE_HIDDEN);
  EXPECT_EQ(rule_test::childNames(0), std::vector<std::string>{"txtfile"});
}

// ---------------------------------------------------------------- recording

TEST_F(RuleApplyTest, RecordingKeysAndValues) {
  const ItemIndex hidden = key("HKEY_LOCAL_MACHINE\\SOFTWARE\\Hidden", STATE_HIDDEN);
  const ItemIndex target = key("HKEY_CURRENT_USER\\Target", STATE_HIDDEN);
  rec(target).summary |= SUM_AUTOCHECK_TARGET;
  const ItemIndex same = key("HKEY_USERS\\X\\Temp", STATE_NOT_CHECKED);
  rec(same).summary |= SUM_SAME_NAME;
  const ItemIndex owner = key("HKEY_LOCAL_MACHINE\\SOFTWARE\\Owner");
  const ItemIndex stamp = value(owner, "Stamp", STATE_NOT_CHECKED);
  const ItemIndex byDefault = value(owner, "", STATE_NOT_CHECKED);
  key("HKEY_LOCAL_MACHINE\\SOFTWARE\\Owner\\Stamp");
  for (ItemIndex k : {hidden, target, same, key("HKEY_LOCAL_MACHINE")}) {
    EXPECT_TRUE(recordItemControlIn(store(), k, false));
  }
  EXPECT_TRUE(recordItemControlIn(store(), stamp, true));
  EXPECT_TRUE(recordItemControlIn(store(), byDefault, true));
  EXPECT_FALSE(recordItemControlIn(store(), -1, false));
  EXPECT_FALSE(recordItemControlIn(store(), 999999, true));
  Dump expected = rule_test::withTopNodes({
      {"HKEY_CURRENT_USER|Target", "13/65"},
      {"HKEY_LOCAL_MACHINE", "0/65"},  // a root recorded without a control
      {"HKEY_LOCAL_MACHINE|SOFTWARE", "0/1"},
      {"HKEY_LOCAL_MACHINE|SOFTWARE|Hidden", "2/65"},
      {"HKEY_LOCAL_MACHINE|SOFTWARE|Owner", "0/1"},
      {"HKEY_LOCAL_MACHINE|SOFTWARE|Owner|", "3/66"},
      {"HKEY_LOCAL_MACHINE|SOFTWARE|Owner|Stamp", "3/66"},
      {"SPECIAL_SETTINGS|SAME_KEYS|Temp", "3/65"},
  });
  EXPECT_EQ(dumpRules(), expected);
  // The value rule leaves the subkey of the same name alone.
  applyRulesToStore(store());
  EXPECT_EQ(state("HKEY_LOCAL_MACHINE\\SOFTWARE\\Owner\\Stamp"), STATE_NORMAL);
  EXPECT_EQ(valueRecord(store(), stamp).state, STATE_NOT_CHECKED);

  // Taking a control back turns the rule into a plain path node.
  rec(hidden).state = STATE_NORMAL;
  valueRecord(store(), stamp).state = STATE_DATA;
  recordItemControlIn(store(), hidden, false);
  recordItemControlIn(store(), stamp, true);
  expected["HKEY_LOCAL_MACHINE|SOFTWARE|Hidden"] = "0/1";
  expected["HKEY_LOCAL_MACHINE|SOFTWARE|Owner|Stamp"] = "0/2";
  EXPECT_EQ(dumpRules(), expected);
}

TEST_F(RuleApplyTest, ExcludingChangedItemsRecordsThemAsUserRules) {
  installRuleHooks();
  // The recorder works on the current store: use the program-wide stores here.
  initSnapshotStores();
  SnapshotStore& current = currentStore();
  const ItemIndex software = addKey(current, 3, kNoItem, "Software");
  const ItemIndex added = addKey(current, software, kNoItem, "Added");
  keyRecord(current, added).state = STATE_ADDED;
  excludeChangedItems(current, true);
  EXPECT_EQ(keyRecord(current, added).state, STATE_NOT_CHECKED);
  EXPECT_EQ(ruleNode(findPath("HKEY_LOCAL_MACHINE|Software|Added")).code, CONTROL_NOT_CHECKED);
  EXPECT_EQ(ruleNode(findPath("HKEY_LOCAL_MACHINE|Software|Added")).ruleFlags, RULE_KEY | RULE_USER);
  excludeChangedItems(current, false);
  EXPECT_EQ(ruleNode(findPath("HKEY_LOCAL_MACHINE|Software|Added")).code, CONTROL_NONE);
  resetCurrentStore(true);
}

// ---------------------------------------------------------------- rebuilding

TEST_F(RuleApplyTest, RebuildFromTheBaselineOrTheCurrentSnapshot) {
  key("HKEY_LOCAL_MACHINE\\NotRead", STATE_NOT_READ);
  key("HKEY_LOCAL_MACHINE\\NotRead\\Hidden", STATE_HIDDEN);  // below: not visited
  key("HKEY_LOCAL_MACHINE\\Hidden", STATE_HIDDEN);
  key("HKEY_LOCAL_MACHINE\\Hidden\\Unchecked", STATE_NOT_CHECKED);
  rec(key("HKEY_LOCAL_MACHINE\\Target")).summary |= SUM_AUTOCHECK_TARGET;
  value(key("HKEY_LOCAL_MACHINE\\Values"), "Seed", STATE_NOT_CHECKED);
  value(key("HKEY_LOCAL_MACHINE\\Values"), "Plain", STATE_DATA);
  rec(key("HKEY_CURRENT_USER\\Temp", STATE_NOT_CHECKED)).summary |= SUM_SAME_NAME;
  rec(key("HKEY_CURRENT_USER\\Old", STATE_HIDDEN)).summary |= SUM_SAME_NAME;
  key("HKEY_CURRENT_USER\\Ghost", STATE_DELETED);
  key("HKEY_CURRENT_USER\\Refused", STATE_REFUSED);
  addPath("HKEY_CLASSES_ROOT|Dropped", CONTROL_HIDDEN);  // the store is replaced

  const Dump common = rule_test::withTopNodes({
      {"HKEY_LOCAL_MACHINE|Hidden", "2/65"},
      {"HKEY_LOCAL_MACHINE|Hidden|Unchecked", "3/65"},
      {"HKEY_LOCAL_MACHINE|NotRead", "1/65"},
      {"HKEY_LOCAL_MACHINE|Values", "0/1"},
      {"HKEY_LOCAL_MACHINE|Values|Seed", "3/66"},
  });
  rebuildRulesFromStore(store(), true);
  Dump expected = common;
  expected["HKEY_LOCAL_MACHINE|Target"] = "13/65";
  expected["SPECIAL_SETTINGS|SAME_KEYS|Temp"] = "3/97";
  expected["HKEY_CURRENT_USER|Old"] = "2/65";  // same-name mark without state 3: by path
  EXPECT_EQ(dumpRules(), expected);

  rebuildRulesFromStore(store(), false);
  expected = common;
  expected["SPECIAL_SETTINGS|SAME_KEYS|Temp"] = "3/97";
  expected["SPECIAL_SETTINGS|SAME_KEYS|Old"] = "2/65";
  EXPECT_EQ(dumpRules(), expected);
}

}  // namespace
