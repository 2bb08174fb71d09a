// Helpers for the control rule tests: a fixture with a fresh rule store, rules made
// from backslash paths, and a dump of the store that also checks its invariants.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "engine/memory_pool.h"
#include "rules/rule_files.h"
#include "rules/rule_store.h"

namespace rule_test {

// The node reached by following `path` ("HKEY_LOCAL_MACHINE|A|B": components
// separated by '|', so names may hold backslashes), each component matched as
// findRuleChild does; -1 when missing.
inline RuleIndex findPath(const std::string& path) {
  RuleIndex at = kNoRule;
  size_t start = 0;
  for (;;) {
    const size_t end = path.find('|', start);
    at = findRuleChild(at, path.substr(start, end == std::string::npos ? end : end - start).c_str());
    if (at < 0 || end == std::string::npos) return at;
    start = end + 1;
  }
}

// Adds a rule for a path written as for findPath: path nodes with kRuleEnsure, the
// last with `code` and `apply`.
inline RuleIndex addPath(const std::string& path, uint8_t code, int apply = kRuleSet) {
  RuleIndex at = kNoRule;
  size_t start = 0;
  for (;;) {
    const size_t end = path.find('|', start);
    const std::string name = path.substr(start, end == std::string::npos ? end : end - start);
    at = addRule(at, name.c_str(), end == std::string::npos ? code : uint8_t{CONTROL_NONE},
                 end == std::string::npos ? apply : kRuleEnsure);
    if (at < 0 || end == std::string::npos) return at;
    start = end + 1;
  }
}

// Stored path of a node: its own name and its ancestors' joined by '|'.
inline std::string nodePath(RuleIndex node) {
  std::string path = ruleNodeName(node);
  for (RuleIndex at = ruleNode(node).parent; at >= 0; at = ruleNode(at).parent) {
    path = std::string(ruleNodeName(at)) + "|" + path;
  }
  return path;
}

// Every node as "path" -> "code/flags", after checking that the nodes form one tree
// from node 0 in which every node appears once, depths follow the tree and names are
// at most 255 bytes.
inline std::map<std::string, std::string> dumpRules() {
  std::map<std::string, std::string> dump;
  const int32_t count = ruleNodeCount();
  std::vector<int> seen(static_cast<size_t>(count), 0);
  std::vector<RuleIndex> pending;
  if (count > 0) pending.push_back(0);
  while (!pending.empty()) {
    const RuleIndex at = pending.back();
    pending.pop_back();
    EXPECT_TRUE(isRuleNode(at));
    if (!isRuleNode(at) || seen[static_cast<size_t>(at)]++ != 0) {
      ADD_FAILURE() << "node " << at << " reached twice or out of range";
      return dump;
    }
    const ControlRuleNode& node = ruleNode(at);
    EXPECT_EQ(node.depth, node.parent < 0 ? 0 : ruleNode(node.parent).depth + 1) << at;
    EXPECT_EQ(node.nameBlock, node.name >> 16) << at;
    EXPECT_LE(std::strlen(ruleNodeName(at)), kMaxRuleNameLength) << at;
    for (RuleIndex child = node.firstChild; child >= 0; child = ruleNode(child).nextSibling) {
      EXPECT_EQ(ruleNode(child).parent, at) << child;
      if (ruleNode(child).parent != at) return dump;
    }
    const std::string key = nodePath(at);
    EXPECT_EQ(dump.count(key), 0u) << "two nodes named " << key;
    dump[key] = std::to_string(node.code) + "/" + std::to_string(node.ruleFlags);
    if (node.nextSibling >= 0) pending.push_back(node.nextSibling);
    if (node.firstChild >= 0) pending.push_back(node.firstChild);
  }
  for (int32_t i = 0; i < count; ++i) EXPECT_EQ(seen[static_cast<size_t>(i)], 1) << "node " << i;
  return dump;
}

// `dump` with the five root keys, SPECIAL_SETTINGS and its SAME_KEYS added as plain
// path nodes ("0/1") where it has no entry of its own: the nodes every store holds.
inline std::map<std::string, std::string> withTopNodes(std::map<std::string, std::string> dump) {
  for (const char* top : {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_CONFIG", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE",
                          "HKEY_USERS", "SPECIAL_SETTINGS", "SPECIAL_SETTINGS|SAME_KEYS"}) {
    dump.emplace(top, "0/1");
  }
  return dump;
}

// Names of the children of `parent` (-1: the top nodes) in list order.
inline std::vector<std::string> childNames(RuleIndex parent) {
  std::vector<std::string> names;
  RuleIndex at = parent < 0 ? (ruleNodeCount() > 0 ? 0 : kNoRule) : ruleNode(parent).firstChild;
  for (; at >= 0; at = ruleNode(at).nextSibling) names.emplace_back(ruleNodeName(at));
  return names;
}

inline RuleFileSwitches allSwitches(bool on) { return RuleFileSwitches{on, on, on, on, on}; }

// A report's counts in the order of its fields: lines, comment, section, blank,
// switched-off, rule, repeated, malformed and dropped lines, and the first problem line.
inline std::string counts(const KeyControlReport& r) {
  std::string text;
  for (int32_t n : {r.lines, r.commentLines, r.sectionLines, r.blankLines, r.switchedOffLines, r.ruleLines,
                    r.repeatedLines, r.malformedLines, r.droppedLines, r.firstProblemLine}) {
    text += (text.empty() ? "" : " ") + std::to_string(n);
  }
  return text;
}

inline KeyControlReport parseText(const std::string& text, const RuleFileSwitches& switches) {
  KeyControlReport report;
  parseKeyControlText(text.data(), text.size(), switches, &report);
  return report;
}

// A fresh folder named after the running test and the moment it started (two test
// programs running at once must not share it) under the temporary folder, removed
// again at the end.
struct TempFolder {
  TempFolder() {
    std::filesystem::remove_all(path);
    std::filesystem::create_directories(path);
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
  }
  const std::filesystem::path path = std::filesystem::temp_directory_path() /
      (std::string("kestrin-rules-") + ::testing::UnitTest::GetInstance()->current_test_info()->name() +
       "-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
};

inline std::vector<uint8_t> fileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

class RuleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    initMemoryPool();
    resetRules();
  }
  void TearDown() override { resetRules(); }
};

}  // namespace rule_test
