#include "rules/rule_store.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "engine/store_walk.h"
#include "tests/engine/store_tree_builder.h"
#include "tests/rules/rule_test_support.h"

namespace {

using rule_test::addPath;
using rule_test::childNames;
using rule_test::dumpRules;
using rule_test::findPath;
using rule_test::RuleTest;

const char kSid1001[] = "S-1-5-21-3623811015-3361044348-30300820-1001";

// ---------------------------------------------------------------- store basics

TEST_F(RuleTest, AddRuleModes) {
  const RuleIndex hklm = findRuleChild(kNoRule, "hkey_local_machine");
  ASSERT_EQ(hklm, 3);
  const RuleIndex a = addRule(hklm, "A", CONTROL_NOT_CHECKED, kRuleSet);
  EXPECT_EQ(ruleNode(a).code, CONTROL_NOT_CHECKED);
  EXPECT_EQ(ruleNode(a).ruleFlags, RULE_KEY);
  // Ensuring leaves an existing node unchanged, whatever code is given.
  EXPECT_EQ(addRule(hklm, "a", CONTROL_HIDDEN, kRuleEnsure), a);
  EXPECT_EQ(ruleNode(a).code, CONTROL_NOT_CHECKED);
  // The user's rule sets RULE_USER; a user rule turned off (code 0) loses it.
  EXPECT_EQ(addRule(hklm, "A", CONTROL_HIDDEN, kRuleSetUser), a);
  EXPECT_EQ(ruleNode(a).ruleFlags, RULE_KEY | RULE_USER);
  EXPECT_EQ(addRule(hklm, "A", CONTROL_NONE, kRuleSetUser), a);
  EXPECT_EQ(ruleNode(a).code, 0);
  EXPECT_EQ(ruleNode(a).ruleFlags, RULE_KEY);
  addRule(hklm, "A", CONTROL_HIDDEN, kRuleSetUser);
  EXPECT_EQ(addRule(hklm, "A", CONTROL_NOT_READ, kRuleSet), a);
  EXPECT_EQ(ruleNode(a).ruleFlags, RULE_KEY) << "a shipped rule replaces the user's";
  // Code 8 (checked again) is stored as 0, for new and existing nodes alike.
  EXPECT_EQ(ruleNode(addRule(a, "New", CONTROL_CHECKED_AGAIN, kRuleSetUser)).code, 0);
  EXPECT_EQ(ruleNode(addRule(hklm, "A", CONTROL_CHECKED_AGAIN, kRuleSetUser)).code, 0);
  // A top node keeps RULE_USER even without a code.
  EXPECT_EQ(ruleNode(addRule(kNoRule, "HKEY_USERS", CONTROL_NONE, kRuleSetUser)).ruleFlags,
            RULE_KEY | RULE_USER);
  // Codes that are no control codes, a bad parent and a missing name are refused.
  const int32_t count = ruleNodeCount();
  EXPECT_EQ(addRule(hklm, "Bad", 7, kRuleSet), kNoRule);
  EXPECT_EQ(addRule(hklm, "A", STATE_DELETED, kRuleSetUser), kNoRule);
  EXPECT_EQ(addRule(ruleNodeCount(), "X", CONTROL_NONE, kRuleEnsure), kNoRule);
  EXPECT_EQ(addRule(-5, "X", CONTROL_NONE, kRuleEnsure), kNoRule);
  EXPECT_EQ(addRule(hklm, nullptr, CONTROL_NONE, kRuleEnsure), kNoRule);
  EXPECT_EQ(ruleNodeCount(), count);
  dumpRules();
}

// ---------------------------------------------------------------- names and patterns

TEST(RuleNames, PlainNamesAndPatterns) {
  const struct {
    const char* rule;
    const char* name;
    bool matches;
  } cases[] = {
      {"Software", "SOFTWARE", true},
      {"software", "Softwares", false},
      {"Foo\\*", "FooBar", true},
      {"Foo\\*", "foo", true},
      {"Foo\\*", "Fo", false},
      {"Foo\\*Bar", "fooXbar", true},
      {"Foo\\*Bar", "FooBarBaz", false},
      {"ab\\*b", "ab", true},  // prefix and suffix may overlap
      {"\\*", "", true},
      {"\\*x", "X", true},
      {"\\s", kSid1001, true},
      {"\\s", "S-1-5-21-9-99-999-1999", true},
      {"\\s", "S-1-5-18", false},
      {"\\s", "S-1-5-19", false},
      {"\\s", "s-1-5-21-1-2-3-1001", false},
      {"\\s", "S-1-5-21-1-2-3-", false},
      {"\\s", "S-1-5-21-1-2-3-1001x", false},
      {"\\s", "S-1-5-21--2-3-4", true},  // the runs between the dashes may be empty
      {"\\s", "S-1-12-1-2-3-4-5", false},
      {"\\s", "S-1-5-21-1-2-3-1001_Classes", false},
      {"\\s_Classes", "S-1-5-21-1-2-3-1001_Classes", true},
      {"\\s_classes", "S-1-5-21-1-2-3-1001_CLASSES", true},
      {"\\s_Classes", kSid1001, false},
      {"x\\s", "XS-1-5-21-1-2-3-4", true},
      {"\\u", "{4D36E967-E325-11CE-BFC1-08002BE10318}", true},
      {"\\u", "{4D36E967E325-11CE-BFC1-08002BE10318}", false},
      {"\\u", "{a-b-c-d-e-f}", false},
      {"\\u", "{a-b-c-d-e", false},
      {"\\u", "{1-2-3-4-5}x", false},
      {"Pre\\u.bak", "pre{1-2-3-4-5}.BAK", true},
      {"Pre\\u.bak", "pre{1-2-3-4-5}.bakx", false},
      {"a\\b", "a\\B", true},  // no pattern code: only the exact name
      {"a\\b", "axb", false},
      {"a\\", "A\\", true},
      {"a\\", "a", false},
      {"\x82\x60p\\*", "\x82\x81P", true},  // fullwidth A, a: one name
      {"\x83\x41", "\x83\x61", false},     // katakana a, di: the trail is no letter
      {"\\*A", "x\x83\x41", false},        // the suffix 'A' would be a trail byte
      {"\x83\x5C*", "\x83\x41", false},    // katakana so ends in 0x5C: that is no mark
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ruleNameMatches(c.rule, c.name), c.matches) << c.rule << " ~ " << c.name;
  }
}

// ---------------------------------------------------------------- ruleForName

class RuleLookupTest : public store_tree::TreeTest {
 protected:
  void SetUp() override {
    TreeTest::SetUp();
    resetRules();
  }
  void TearDown() override {
    resetRules();
    TreeTest::TearDown();
  }

  // Asks the rules for every key and value the way the reader does (each key before
  // its subkeys and values) and returns "path" -> control word, values as
  // "path : name", for the items whose word has a code or rule bits.
  std::map<std::string, ControlWord> lookUpAll() {
    std::map<std::string, ControlWord> words;
    std::vector<RuleIndex> nodes;  // the node of each entered key
    store_walk::walkAllKeys(
        store(),
        [&](ItemIndex key) {
          RuleIndex node = kNoRule;
          const ControlWord word = ruleForName(nodes.empty() ? kRulePathTop : nodes.back(),
                                               keyName(store(), key), false, &node);
          nodes.push_back(node);
          if (controlCodeOf(word) != 0 || (controlFlagsOf(word) & (RULE_SAME_NAME | RULE_USER)) != 0) {
            words[buildItemPath(store(), key, 0)] = word;
          }
          store_walk::forEachValue(store(), key, [&](ItemIndex value, ValueRecord&) {
            const ControlWord valueWord = ruleForName(node, valueName(store(), value), true, nullptr);
            if (controlCodeOf(valueWord) != 0) {
              words[buildItemPath(store(), key, 0) + " : " + valueName(store(), value)] = valueWord;
            }
          });
          return true;
        },
        [&](ItemIndex) { nodes.pop_back(); });
    return words;
  }
};

TEST_F(RuleLookupTest, SameNameRuleOnlyWhereNoPathRuleHasACode) {
  const RuleIndex same = addRule(sameKeysNode(), "Cache", CONTROL_NOT_CHECKED, kRuleSetUser);
  setRuleFlags(same, RULE_SAME_NAME, 0);
  const ControlWord sameWord = (RULE_KEY | RULE_SAME_NAME | RULE_USER) << 8 | 3;
  addPath("HKEY_LOCAL_MACHINE|A|Cache", CONTROL_HIDDEN);
  addPath("HKEY_LOCAL_MACHINE|B|Cache|Deeper", CONTROL_NOT_READ);  // Cache only a path node
  key("HKEY_LOCAL_MACHINE\\A\\Cache");
  key("HKEY_LOCAL_MACHINE\\B\\cache\\Deeper");
  key("HKEY_LOCAL_MACHINE\\C\\CACHE");
  key("HKEY_LOCAL_MACHINE\\C\\Cache0");
  key("HKEY_CURRENT_USER\\X\\Y\\Z\\W\\Cache");
  key("HKEY_CURRENT_USER\\Cache");
  value(key("HKEY_LOCAL_MACHINE\\D"), "Cache");  // a value is never a same-name match
  const std::map<std::string, ControlWord> expected = {
      {"HKEY_LOCAL_MACHINE\\A\\Cache", RULE_KEY << 8 | 2},
      {"HKEY_LOCAL_MACHINE\\B\\cache", sameWord},
      {"HKEY_LOCAL_MACHINE\\B\\cache\\Deeper", RULE_KEY << 8 | 1},
      {"HKEY_LOCAL_MACHINE\\C\\CACHE", sameWord},
      {"HKEY_CURRENT_USER\\X\\Y\\Z\\W\\Cache", sameWord},
      {"HKEY_CURRENT_USER\\Cache", sameWord},
  };
  EXPECT_EQ(lookUpAll(), expected);
}

TEST_F(RuleLookupTest, ValueRulesAndKeysOfTheSameName) {
  addPath("HKEY_LOCAL_MACHINE|A|Seed", CONTROL_NOT_CHECKED);  // shipped: key or value
  setRuleFlags(addPath("HKEY_LOCAL_MACHINE|B|Stamp", CONTROL_NOT_CHECKED, kRuleSetUser), RULE_VALUE,
               RULE_KEY);
  addPath("HKEY_LOCAL_MACHINE|B|Stamp|Inner", CONTROL_HIDDEN);
  value(key("HKEY_LOCAL_MACHINE\\A"), "seed");
  key("HKEY_LOCAL_MACHINE\\A\\Seed");
  value(key("HKEY_LOCAL_MACHINE\\B"), "Stamp");
  key("HKEY_LOCAL_MACHINE\\B\\Stamp\\Inner");
  value(key("HKEY_LOCAL_MACHINE\\B\\Stamp"), "Other");
  const std::map<std::string, ControlWord> expected = {
      {"HKEY_LOCAL_MACHINE\\A : seed", RULE_KEY << 8 | 3},
      {"HKEY_LOCAL_MACHINE\\A\\Seed", RULE_KEY << 8 | 3},
      {"HKEY_LOCAL_MACHINE\\B : Stamp", (RULE_VALUE | RULE_USER) << 8 | 3},
      // The value rule leaves the key named Stamp alone, but still leads to its subkeys.
      {"HKEY_LOCAL_MACHINE\\B\\Stamp\\Inner", RULE_KEY << 8 | 2},
  };
  EXPECT_EQ(lookUpAll(), expected);
}

}  // namespace
