// Checks shared by the rule file fuzz targets: the rule store's invariants, which
// every input must leave intact.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "rules/rule_store.h"

namespace rule_fuzz {

inline void require(bool condition) {
  if (!condition) std::abort();
}

// The nodes form one tree from node 0 in which every node appears exactly once, each
// depth is its parent's + 1, each name lies in a used name block, terminated, at most
// 255 bytes, and each node is found again by its own name under its parent.
inline void requireSoundStore() {
  const int32_t count = ruleNodeCount();
  require(count >= 7 && count <= kMaxRuleNodes);
  require(sameKeysNode() == kSameKeysNode);
  std::vector<uint8_t> seen(static_cast<size_t>(count), 0);
  std::vector<RuleIndex> pending{0};
  int32_t visited = 0;
  while (!pending.empty()) {
    const RuleIndex at = pending.back();
    pending.pop_back();
    require(isRuleNode(at) && seen[static_cast<size_t>(at)] == 0);
    seen[static_cast<size_t>(at)] = 1;
    ++visited;
    const ControlRuleNode& node = ruleNode(at);
    require(node.depth == (node.parent < 0 ? 0 : ruleNode(node.parent).depth + 1));
    const int block = static_cast<int>(node.name >> 16);
    require(block == node.nameBlock && block < ruleNameBlockCount());
    const uint32_t offset = node.name & 0xFFFF;
    const uint32_t used = block + 1 == ruleNameBlockCount() ? ruleNameBytesUsed() : kRuleNameBlockBytes;
    require(offset < used);
    const char* name = ruleNameBlock(block) + offset;
    const size_t length = strnlen(name, used - offset);
    require(length < used - offset && length <= kMaxRuleNameLength);
    require(findRuleChild(node.parent, name) >= 0);
    require(node.code <= CONTROL_NOT_CHECKED || node.code == CONTROL_AUTOCHECK_TARGET);
    for (RuleIndex child = node.firstChild; child >= 0; child = ruleNode(child).nextSibling) {
      require(isRuleNode(child) && ruleNode(child).parent == at);
    }
    if (node.nextSibling >= 0) pending.push_back(node.nextSibling);
    if (node.firstChild >= 0) pending.push_back(node.firstChild);
  }
  require(visited == count);
}

}  // namespace rule_fuzz
