// The rule store at its limits: depth, name length, the name blocks and the node
// blocks. A rule that does not fit is refused; the rules already stored stay intact
// and usable.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "rules/rule_files.h"
#include "rules/rule_store.h"
#include "tests/rules/rule_test_support.h"

namespace {

using rule_test::dumpRules;
using rule_test::parseText;
using RuleLimitTest = rule_test::RuleTest;

TEST_F(RuleLimitTest, DepthAndNameLength) {
  RuleIndex at = 3;  // HKEY_LOCAL_MACHINE, depth 0
  for (int depth = 1; depth <= kMaxRuleDepth; ++depth) {
    at = addRule(at, "k", CONTROL_NONE, kRuleEnsure);
    ASSERT_GE(at, 0) << depth;
  }
  EXPECT_EQ(ruleNode(at).depth, kMaxRuleDepth);
  const int32_t count = ruleNodeCount();
  EXPECT_EQ(addRule(at, "below", CONTROL_NOT_CHECKED, kRuleSet), kNoRule);
  EXPECT_EQ(ruleNodeCount(), count);
  EXPECT_EQ(ruleNode(at).firstChild, kNoRule);
  // The deepest node itself can still carry a code.
  EXPECT_EQ(addRule(ruleNode(at).parent, "k", CONTROL_NOT_CHECKED, kRuleSet), at);

  EXPECT_GE(addRule(3, std::string(kMaxRuleNameLength, 'n').c_str(), CONTROL_NONE, kRuleEnsure), 0);
  EXPECT_EQ(addRule(3, std::string(kMaxRuleNameLength + 1, 'n').c_str(), CONTROL_NONE, kRuleEnsure),
            kNoRule);
  dumpRules();
}

TEST_F(RuleLimitTest, FullNameBlocks) {
  // 256-byte names (255 and the terminator) fill a block with exactly 256 of them.
  // Parents of short names spread them, so that no sibling list grows long.
  int stored = 0;
  RuleIndex lastStored = kNoRule;
  bool full = false;
  for (int group = 0; group < 1100 && !full; ++group) {
    const RuleIndex parent = addRule(3, ("g" + std::to_string(group)).c_str(), CONTROL_NONE, kRuleEnsure);
    if (parent < 0) break;
    for (int i = 0; i < 64; ++i) {
      char prefix[16];
      std::snprintf(prefix, sizeof prefix, "%03d-", i);
      const std::string name = prefix + std::string(kMaxRuleNameLength - 4, 'x');
      const RuleIndex node = addRule(parent, name.c_str(), CONTROL_HIDDEN, kRuleSet);
      if (node < 0) {
        full = true;
        break;
      }
      lastStored = node;
      ++stored;
    }
  }
  ASSERT_TRUE(full);
  EXPECT_EQ(ruleNameBlockCount(), kMaxRuleNameBlocks);
  EXPECT_GT(stored, 255 * 255);
  const int32_t count = ruleNodeCount();
  // Short names still fit in the rest of the last block until that is used up too.
  int shortNames = 0;
  while (addRule(3, ("s" + std::to_string(shortNames)).c_str(), CONTROL_NONE, kRuleEnsure) >= 0) {
    ++shortNames;
  }
  EXPECT_LT(shortNames, 256);
  EXPECT_EQ(ruleNodeCount(), count + shortNames);
  // Stored rules keep answering and can change their codes; new ones are refused whole.
  EXPECT_EQ(ruleNode(lastStored).code, CONTROL_HIDDEN);
  const KeyControlReport report = parseText(
      "[NoCheck]\nHKEY_LOCAL_MACHINE\\g0\\Brand\\New\nHKEY_LOCAL_MACHINE\\g0\n", rule_test::allSwitches(true));
  EXPECT_EQ(rule_test::counts(report), "3 0 1 0 0 1 0 0 1 2");
  EXPECT_EQ(ruleNode(rule_test::findPath("HKEY_LOCAL_MACHINE|g0")).code, CONTROL_NOT_CHECKED);
  EXPECT_EQ(ruleNodeCount(), count + shortNames);
  // A reset gives everything back.
  resetRules();
  EXPECT_EQ(ruleNameBlockCount(), 1);
  EXPECT_GE(addRule(3, "again", CONTROL_HIDDEN, kRuleSet), 0);
}

TEST_F(RuleLimitTest, FullNodeBlocks) {
  // Sixteen children per node, five levels: more nodes than the table holds.
  std::vector<RuleIndex> level = {3};
  bool full = false;
  for (int depth = 0; depth < 6 && !full; ++depth) {
    std::vector<RuleIndex> next;
    for (RuleIndex parent : level) {
      for (int i = 0; i < 16 && !full; ++i) {
        const char name[] = {static_cast<char>('a' + i), '\0'};
        const RuleIndex node = addRule(parent, name, CONTROL_NONE, kRuleEnsure);
        if (node < 0) {
          full = true;
        } else {
          next.push_back(node);
        }
      }
      if (full) break;
    }
    level.swap(next);
  }
  ASSERT_TRUE(full);
  EXPECT_EQ(ruleNodeCount(), kMaxRuleNodes);
  EXPECT_EQ(addRule(kNoRule, "Another", CONTROL_NONE, kRuleEnsure), kNoRule);
  EXPECT_EQ(ruleNodeCount(), kMaxRuleNodes);
  // Existing nodes are found and updated without room for new ones.
  const RuleIndex a = rule_test::findPath("HKEY_LOCAL_MACHINE|a|b|c");
  ASSERT_GE(a, 0);
  EXPECT_EQ(addRule(ruleNode(a).parent, "C", CONTROL_NOT_READ, kRuleSetUser), a);
  EXPECT_EQ(ruleNode(a).code, CONTROL_NOT_READ);
  std::vector<uint8_t> image;
  encodeUserControl(image);
  EXPECT_EQ(image.size(), 16u + 20u * static_cast<size_t>(kMaxRuleNodes) +
                              65536u * static_cast<size_t>(ruleNameBlockCount() - 1) + ruleNameBytesUsed());
  // The user's rule comes back after a reset.
  resetRules();
  ASSERT_TRUE(decodeUserControl(image.data(), image.size()));
  EXPECT_EQ(ruleNode(rule_test::findPath("HKEY_LOCAL_MACHINE|a|b|c")).code, CONTROL_NOT_READ);
  EXPECT_EQ(ruleNodeCount(), 7 + 3);
}

}  // namespace
