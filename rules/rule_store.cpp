#include "rules/rule_store.h"

#include <cstring>

#include "engine/memory_pool.h"
#include "engine/store_walk.h"
#include "text/cp932.h"

const char kSpecialSettingsName[] = "SPECIAL_SETTINGS";
const char kSameKeysName[] = "SAME_KEYS";

namespace {

struct RuleStore {
  ControlRuleNode* nodeBlocks[kMaxRuleNodeBlocks];
  char* nameBlocks[kMaxRuleNameBlocks];
  int32_t nodeCount;
  int nameBlockCount;  // blocks in use; the last one is the current block
  uint32_t nameUsed;   // bytes used in the current block
  RuleIndex sameKeys;  // -1 until resetRules has made it
};

RuleStore gRules = {{}, {}, 0, 0, 0, kNoRule};

ControlRuleNode& nodeAt(RuleIndex node) {
  return gRules.nodeBlocks[node >> kRuleSlotBits][node & (kRuleNodesPerBlock - 1)];
}

const char* nameAt(uint32_t offset) {
  return gRules.nameBlocks[offset >> 16] + (offset & 0xFFFF);
}

bool equalNames(const char* a, const char* b) { return cp932::compareNames(a, b) == 0; }

bool isControlCode(uint8_t code) {
  return code <= CONTROL_NOT_CHECKED || code == CONTROL_CHECKED_AGAIN ||
         code == CONTROL_AUTOCHECK_TARGET;
}

// Copies a name into the name blocks; false when the blocks are full.
bool storeName(const char* name, size_t length, uint32_t* offset) {
  const uint32_t needed = static_cast<uint32_t>(length + 1);
  if (gRules.nameBlockCount == 0 || needed > kRuleNameBlockBytes - gRules.nameUsed) {
    if (gRules.nameBlockCount == kMaxRuleNameBlocks) return false;
    char* block = static_cast<char*>(allocBlock(kRuleNameBlockBytes));
    if (block == nullptr) return false;
    gRules.nameBlocks[gRules.nameBlockCount++] = block;
    gRules.nameUsed = 0;
  }
  *offset = (static_cast<uint32_t>(gRules.nameBlockCount - 1) << 16) | gRules.nameUsed;
  char* at = gRules.nameBlocks[gRules.nameBlockCount - 1] + gRules.nameUsed;
  std::memcpy(at, name, length);
  at[length] = '\0';
  gRules.nameUsed += needed;
  return true;
}

// The matching child of `parent`, or -1 with `*last` the last sibling examined (-1
// when the list is empty).
RuleIndex findChildOrLast(RuleIndex parent, const char* name, RuleIndex* last) {
  *last = kNoRule;
  if (gRules.nodeCount == 0) return kNoRule;
  RuleIndex at = parent < 0 ? 0 : nodeAt(parent).firstChild;
  while (at >= 0) {
    if (ruleNameMatches(nameAt(nodeAt(at).name), name)) return at;
    *last = at;
    at = nodeAt(at).nextSibling;
  }
  return kNoRule;
}

bool isValueOnly(const ControlRuleNode& node) {
  return (node.ruleFlags & (RULE_KEY | RULE_VALUE)) == RULE_VALUE;
}

}  // namespace

void resetRules() {
  for (ControlRuleNode*& block : gRules.nodeBlocks) {
    if (block != nullptr) freeBlock(block);
    block = nullptr;
  }
  for (char*& block : gRules.nameBlocks) {
    if (block != nullptr) freeBlock(block);
    block = nullptr;
  }
  gRules.nodeCount = 0;
  gRules.nameBlockCount = 0;
  gRules.nameUsed = 0;
  gRules.sameKeys = kNoRule;
  for (const char* root : kRootKeyNames) addRule(kNoRule, root, CONTROL_NONE, kRuleEnsure);
  const RuleIndex special = addRule(kNoRule, kSpecialSettingsName, CONTROL_NONE, kRuleEnsure);
  if (special >= 0) gRules.sameKeys = addRule(special, kSameKeysName, CONTROL_NONE, kRuleEnsure);
}

RuleIndex addRule(RuleIndex parent, const char* name, uint8_t code, int apply) {
  if (name == nullptr || (parent != kNoRule && !isRuleNode(parent))) return kNoRule;
  if (code == CONTROL_CHECKED_AGAIN) code = CONTROL_NONE;
  if (apply != kRuleEnsure && !isControlCode(code)) return kNoRule;
  const bool user = (apply & 2) != 0 && (parent == kNoRule || code != CONTROL_NONE);

  RuleIndex last;
  const RuleIndex found = findChildOrLast(parent, name, &last);
  if (found >= 0) {
    if (apply == kRuleEnsure) return found;
    ControlRuleNode& node = nodeAt(found);
    node.code = code;
    node.ruleFlags = static_cast<uint8_t>(user ? node.ruleFlags | RULE_USER
                                               : node.ruleFlags & ~RULE_USER);
    return found;
  }

  const size_t length = std::strlen(name);
  if (length > kMaxRuleNameLength) return kNoRule;
  const int depth = parent == kNoRule ? 0 : nodeAt(parent).depth + 1;
  if (depth > kMaxRuleDepth || gRules.nodeCount >= kMaxRuleNodes) return kNoRule;
  const RuleIndex index = gRules.nodeCount;
  ControlRuleNode*& block = gRules.nodeBlocks[index >> kRuleSlotBits];
  if (block == nullptr) {
    block = static_cast<ControlRuleNode*>(
        allocBlock(sizeof(ControlRuleNode) * static_cast<size_t>(kRuleNodesPerBlock)));
    if (block == nullptr) return kNoRule;
  }
  uint32_t offset;
  if (!storeName(name, length, &offset)) return kNoRule;

  ++gRules.nodeCount;
  ControlRuleNode& node = nodeAt(index);
  node.depth = static_cast<uint8_t>(depth);
  node.code = apply == kRuleEnsure ? static_cast<uint8_t>(CONTROL_NONE) : code;
  node.ruleFlags = static_cast<uint8_t>(RULE_KEY | (apply != kRuleEnsure && user ? RULE_USER : 0));
  node.nameBlock = static_cast<uint8_t>(offset >> 16);
  node.parent = parent;
  node.nextSibling = kNoRule;
  node.firstChild = kNoRule;
  node.name = offset;
  if (last >= 0) {
    nodeAt(last).nextSibling = index;
  } else if (parent != kNoRule) {
    nodeAt(parent).firstChild = index;
  }
  return index;
}

RuleIndex findRuleChild(RuleIndex parent, const char* name) {
  if (name == nullptr || (parent != kNoRule && !isRuleNode(parent))) return kNoRule;
  RuleIndex last;
  return findChildOrLast(parent, name, &last);
}

size_t matchSpecialName(const char* text, char code) {
  if (code == 's') {
    if (text[0] != 'S' || text[1] != '-' || text[2] == '\0' || text[3] != '-' ||
        text[4] == '\0' || text[5] != '-') {
      return 0;
    }
    size_t at = 6;
    for (int dashes = 0; dashes < 4; ++at) {
      if (text[at] == '\0') return 0;
      if (text[at] == '-') ++dashes;
    }
    const size_t digits = at;
    while (text[at] >= '0' && text[at] <= '9') ++at;
    return at > digits ? at : 0;
  }
  if (text[0] != '{') return 0;
  int dashes = 0;
  for (size_t at = 1; text[at] != '\0'; ++at) {
    if (text[at] == '}') return dashes == 4 ? at + 1 : 0;
    if (text[at] == '-') ++dashes;
  }
  return 0;
}

bool ruleNameMatches(const char* ruleName, const char* name) {
  if (equalNames(ruleName, name)) return true;
  // The mark is a backslash that begins a character: 0x5C is also a trail byte (ソ).
  const char* mark = ruleName;
  while (*mark != '\0' && *mark != '\\') mark += cp932::isLeadByte(*mark) && mark[1] != '\0' ? 2 : 1;
  if (*mark == '\0') return false;
  const char code = mark[1];
  if (code != '*' && code != 's' && code != 'u') return false;
  const size_t prefixLength = static_cast<size_t>(mark - ruleName);
  const char* suffix = mark + 2;
  const size_t suffixLength = std::strlen(suffix);
  const size_t nameLength = std::strlen(name);
  if (nameLength < prefixLength || !cp932::equalNameBytes(name, ruleName, prefixLength) ||
      !cp932::isCharacterStart(name, prefixLength)) {
    return false;
  }
  if (code == '*') {
    // The suffix must begin a character of the name, not at a trail byte.
    if (nameLength < suffixLength) return false;
    const size_t start = nameLength - suffixLength;
    return cp932::isCharacterStart(name, start) &&
           cp932::equalNameBytes(name + start, suffix, suffixLength);
  }
  const size_t special = matchSpecialName(name + prefixLength, code);
  if (special == 0) return false;
  return equalNames(name + prefixLength + special, suffix);
}

size_t splitRulePath(const char* line, size_t length, size_t position,
                     char (&component)[kRuleComponentBytes], bool* cut) {
  size_t copied = 0;
  *cut = false;
  while (position < length) {
    const char c = line[position];
    if (c == '\\') {
      const bool doubled = position + 1 < length && line[position + 1] == '\\';
      if (!doubled) {
        ++position;  // a separator
        break;
      }
      const char after = position + 2 < length ? line[position + 2] : '\0';
      if (position + 2 < length && (after == '\\' || after == ',')) {
        ++position;  // the separator; the next component starts with the second backslash
        break;
      }
      if (copied == kMaxRuleNameLength) {
        *cut = true;
        break;
      }
      component[copied++] = '\\';
      position += 2;
      continue;
    }
    if (copied == kMaxRuleNameLength) {
      *cut = true;
      break;
    }
    component[copied++] = c;
    ++position;
  }
  component[copied] = '\0';
  return position;
}

ControlWord controlWordOf(RuleIndex node) {
  if (!isRuleNode(node)) return 0;
  const ControlRuleNode& at = nodeAt(node);
  return static_cast<ControlWord>((at.ruleFlags << 8) | at.code);
}

ControlWord ruleForName(RuleIndex parentNode, const char* name, bool isValue, RuleIndex* node) {
  RuleIndex found = kNoRule;
  if (gRules.nodeCount > 0 && name != nullptr) {
    if (parentNode == kRulePathTop) {
      found = findRuleChild(kNoRule, name);
    } else if (parentNode >= 0) {
      found = findRuleChild(parentNode, name);
    }
  }
  if (node != nullptr) *node = found;
  if (isValue) return controlWordOf(found);
  return gRules.nodeCount > 0 && name != nullptr ? controlWordForKey(found, name) : 0;
}

ControlWord controlWordForKey(RuleIndex node, const char* name) {
  if (!isRuleNode(node)) node = kNoRule;
  // A value's rule says nothing about a subkey of the same name; the node still
  // carries the path for the key's own subkeys.
  const bool valueOnly = node >= 0 && isValueOnly(nodeAt(node));
  if (node < 0 || valueOnly || nodeAt(node).code == CONTROL_NONE) {
    const RuleIndex same = gRules.sameKeys >= 0 ? findRuleChild(gRules.sameKeys, name) : kNoRule;
    if (same >= 0) return controlWordOf(same);
    if (valueOnly) return 0;
  }
  return controlWordOf(node);
}

int32_t ruleNodeCount() { return gRules.nodeCount; }

RuleIndex sameKeysNode() { return gRules.sameKeys; }

bool isRuleNode(RuleIndex node) { return node >= 0 && node < gRules.nodeCount; }

const ControlRuleNode& ruleNode(RuleIndex node) { return nodeAt(node); }

const char* ruleNodeName(RuleIndex node) { return nameAt(nodeAt(node).name); }

void setRuleFlags(RuleIndex node, uint8_t set, uint8_t clear) {
  if (!isRuleNode(node)) return;
  ControlRuleNode& at = nodeAt(node);
  at.ruleFlags = static_cast<uint8_t>((at.ruleFlags & ~clear) | set);
}

int ruleNameBlockCount() { return gRules.nameBlockCount; }

uint32_t ruleNameBytesUsed() { return gRules.nameUsed; }

const char* ruleNameBlock(int block) { return gRules.nameBlocks[block]; }
