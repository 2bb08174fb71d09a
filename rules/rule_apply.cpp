#include "rules/rule_apply.h"

#include <string>
#include <vector>

#include "engine/registry_reader.h"
#include "engine/store_walk.h"
#include "text/cp932.h"

using store_walk::forEachValue;
using store_walk::isKey;
using store_walk::keyNameOrEmpty;
using store_walk::valueNameOrEmpty;
using store_walk::walkAllKeys;

// The reader copies the rule bits of the control word into the summary by its own
// names for them.
static_assert(kControlSameName == RULE_SAME_NAME << 8 && kControlUserRule == RULE_USER << 8,
              "control word bits");
static_assert(kControlNotRead == CONTROL_NOT_READ && kControlHidden == CONTROL_HIDDEN &&
                  kControlNotChecked == CONTROL_NOT_CHECKED &&
                  kControlAutoCheckTarget == CONTROL_AUTOCHECK_TARGET,
              "control codes");

namespace {

bool isControlState(uint8_t state) {
  return state >= STATE_NOT_READ && state <= STATE_NOT_CHECKED;
}

// Keys the rules leave alone: ghosts of deleted keys and keys the registry refused.
bool isFactKey(const KeyRecord& key) {
  return key.state == STATE_DELETED || key.state == STATE_REFUSED;
}

bool isFactValue(const ValueRecord& value) {
  return value.state == STATE_VALUE_DELETED || value.state == STATE_REFUSED;
}

bool sameName(const char* a, const char* b) { return cp932::compareNames(a, b) == 0; }

// The rule path of `key` down from its root: the key names, grouping keys left out,
// the key itself last when `withKey`. False when the path is far deeper than a rule
// can be (addRule refuses the rest) or the parent links loop.
bool rulePathOf(SnapshotStore& store, ItemIndex key, bool withKey, std::vector<std::string>& path) {
  // Above a rule's deepest level only the two grouping levels can lie in between.
  constexpr int kMaxSteps = kMaxRuleDepth + 3;
  std::vector<ItemIndex> keys;
  ItemIndex at = withKey ? key : keyRecord(store, key).parent;
  for (int steps = 0; isKey(store, at); ++steps) {
    if (steps == kMaxSteps) return false;
    if ((keyRecord(store, at).summary & SUM_GROUPING_KEY) == 0) keys.push_back(at);
    at = keyRecord(store, at).parent;
  }
  path.clear();
  for (auto it = keys.rbegin(); it != keys.rend(); ++it) path.emplace_back(keyNameOrEmpty(store, *it));
  return true;
}

// Makes sure the path exists (each node with kRuleEnsure); the last node, or -1 for
// an empty path, in `*parent`. False when a node could not be stored.
bool ensurePath(const std::vector<std::string>& path, RuleIndex* parent) {
  *parent = kNoRule;
  for (const std::string& name : path) {
    *parent = addRule(*parent, name.c_str(), CONTROL_NONE, kRuleEnsure);
    if (*parent < 0) return false;
  }
  return true;
}

// Records one key with the given code: under SAME_KEYS when `sameNameRule`, else
// under its path.
RuleIndex recordKey(SnapshotStore& store, ItemIndex key, uint8_t code, bool sameNameRule) {
  const std::string name = keyNameOrEmpty(store, key);
  RuleIndex parent = sameKeysNode();
  if (!sameNameRule) {
    std::vector<std::string> path;
    if (!rulePathOf(store, key, false, path) || !ensurePath(path, &parent)) return kNoRule;
  } else if (parent < 0) {
    return kNoRule;
  }
  const RuleIndex node = addRule(parent, name.c_str(), code, kRuleSetUser);
  if (node >= 0) setRuleFlags(node, RULE_KEY, 0);
  return node;
}

RuleIndex recordValue(SnapshotStore& store, ItemIndex value, uint8_t code) {
  const ItemIndex key = ownerKeyOfValue(store, value);
  if (!isKey(store, key)) return kNoRule;
  std::vector<std::string> path;
  RuleIndex parent;
  if (!rulePathOf(store, key, true, path) || !ensurePath(path, &parent)) return kNoRule;
  const std::string name = valueNameOrEmpty(store, value);
  const RuleIndex node = addRule(parent, name.c_str(), code, kRuleSetUser);
  if (node >= 0) setRuleFlags(node, RULE_VALUE, RULE_KEY);
  return node;
}

uint8_t keyCode(const KeyRecord& key) {
  if (key.summary & SUM_AUTOCHECK_TARGET) return CONTROL_AUTOCHECK_TARGET;
  return isControlState(key.state) ? key.state : static_cast<uint8_t>(CONTROL_NONE);
}

uint8_t valueCode(const ValueRecord& value) {
  return value.state == STATE_NOT_CHECKED ? static_cast<uint8_t>(CONTROL_NOT_CHECKED)
                                          : static_cast<uint8_t>(CONTROL_NONE);
}

void applyKeyWord(KeyRecord& key, ControlWord word) {
  const uint8_t code = controlCodeOf(word);
  const uint8_t flags = controlFlagsOf(word);
  if (code == CONTROL_AUTOCHECK_TARGET) {
    key.summary = static_cast<uint8_t>(key.summary | SUM_AUTOCHECK_TARGET);
  } else if (isControlState(code)) {
    key.savedState = key.state;
    key.state = code;
  }
  if (flags & RULE_SAME_NAME) key.summary = static_cast<uint8_t>(key.summary | SUM_SAME_NAME);
  if (flags & RULE_USER) key.summary = static_cast<uint8_t>(key.summary | SUM_USER_RULE);
}

void recordItemControlHook(ItemIndex item, bool isValue) {
  recordItemControl(item, isValue);
}

}  // namespace

bool recordItemControl(ItemIndex item, bool isValue) {
  return recordItemControlIn(currentStore(), item, isValue);
}

bool recordItemControlIn(SnapshotStore& store, ItemIndex item, bool isValue) {
  if (isValue) {
    if (!store_walk::isValue(store, item)) return false;
    return recordValue(store, item, valueCode(valueRecord(store, item))) >= 0;
  }
  if (!isKey(store, item)) return false;
  const KeyRecord& key = keyRecord(store, item);
  return recordKey(store, item, keyCode(key), (key.summary & SUM_SAME_NAME) != 0) >= 0;
}

void applyRulesToSnapshot() { applyRulesToStore(currentStore()); }

void applyRulesToStore(SnapshotStore& store) {
  constexpr uint8_t kRuleSummary = SUM_AUTOCHECK_TARGET | SUM_SAME_NAME | SUM_USER_RULE;
  walkAllKeys(store, [&](ItemIndex at) {
    KeyRecord& key = keyRecord(store, at);
    if (isControlState(key.state)) {
      key.state = key.savedState == STATE_DELETED ? static_cast<uint8_t>(STATE_DELETED)
                                                  : static_cast<uint8_t>(STATE_NORMAL);
    }
    key.summary = static_cast<uint8_t>(key.summary & ~kRuleSummary);
    forEachValue(store, at, [](ItemIndex, ValueRecord& value) {
      if (value.state == STATE_NOT_CHECKED) value.state = STATE_DATA;
    });
    return true;
  });

  // The rule node each entered key resolved to (-1: no rule path reaches it); a
  // grouping key passes its parent's node on to its children.
  std::vector<RuleIndex> nodes;
  walkAllKeys(
      store,
      [&](ItemIndex at) {
        KeyRecord& key = keyRecord(store, at);
        const bool root = nodes.empty();
        const RuleIndex parentNode = root ? kNoRule : nodes.back();
        if (!root && (key.summary & SUM_GROUPING_KEY) != 0) {
          nodes.push_back(parentNode);
          return true;
        }
        if (isFactKey(key)) {
          nodes.push_back(kNoRule);
          return false;
        }
        RuleIndex node = kNoRule;
        applyKeyWord(key, ruleForName(root ? kRulePathTop : parentNode, keyNameOrEmpty(store, at),
                                      false, &node));
        if (node >= 0) {
          forEachValue(store, at, [&](ItemIndex value, ValueRecord& record) {
            if (isFactValue(record)) return;
            const ControlWord word = ruleForName(node, valueNameOrEmpty(store, value), true, nullptr);
            if (controlCodeOf(word) == CONTROL_NOT_CHECKED) record.state = STATE_NOT_CHECKED;
          });
        }
        nodes.push_back(node);
        return true;
      },
      [&](ItemIndex) { nodes.pop_back(); });
  recomputeControlled(store);
}

void rebuildRulesFromSnapshot(bool baseline) {
  rebuildRulesFromStore(baseline ? baselineStore() : currentStore(), baseline);
}

void rebuildRulesFromStore(SnapshotStore& store, bool baseline) {
  resetRules();
  walkAllKeys(store, [&](ItemIndex at) {
    const KeyRecord& key = keyRecord(store, at);
    if (key.summary & SUM_GROUPING_KEY) return true;
    if (isFactKey(key)) return false;
    const bool sameNameKey = (key.summary & SUM_SAME_NAME) != 0 &&
                             (!baseline || key.state == STATE_NOT_CHECKED);
    if (sameNameKey) {
      const RuleIndex node = recordKey(store, at, isControlState(key.state) ? key.state : 0, true);
      if (node >= 0 && key.state == STATE_NOT_CHECKED) setRuleFlags(node, RULE_SAME_NAME, 0);
    } else if (isControlState(key.state) || (baseline && (key.summary & SUM_AUTOCHECK_TARGET))) {
      recordKey(store, at, baseline ? keyCode(key) : key.state, false);
    }
    if (key.state == STATE_NOT_READ || key.state == STATE_NOT_CHECKED) return false;
    forEachValue(store, at, [&](ItemIndex value, ValueRecord& record) {
      if (isControlState(record.state)) recordValue(store, value, record.state);
    });
    return true;
  });
}

void setSameNameUnchecked(ItemIndex key, bool on) { setSameNameUncheckedIn(currentStore(), key, on); }

void setSameNameUncheckedIn(SnapshotStore& store, ItemIndex key, bool on) {
  if (!isKey(store, key)) return;
  const std::string name = keyNameOrEmpty(store, key);
  if (sameKeysNode() >= 0) {
    const RuleIndex node = on ? addRule(sameKeysNode(), name.c_str(), CONTROL_NOT_CHECKED, kRuleSetUser)
                              : addRule(sameKeysNode(), name.c_str(), CONTROL_NONE, kRuleSet);
    if (on) {
      setRuleFlags(node, RULE_SAME_NAME, 0);
    } else {
      setRuleFlags(node, 0, RULE_SAME_NAME);
    }
  }
  walkAllKeys(store, [&](ItemIndex at) {
    KeyRecord& record = keyRecord(store, at);
    if (isFactKey(record) || (record.summary & SUM_GROUPING_KEY) != 0) return true;
    if (!sameName(keyNameOrEmpty(store, at), name.c_str())) return true;
    const bool marked = (record.summary & SUM_SAME_NAME) != 0;
    if (on && !marked) {
      record.summary = static_cast<uint8_t>(record.summary | SUM_SAME_NAME);
      record.savedState = record.state;
      record.state = STATE_NOT_CHECKED;
    } else if (!on && marked) {
      record.summary = static_cast<uint8_t>(record.summary & ~SUM_SAME_NAME);
      record.state = record.savedState;
    }
    return true;
  });
  recomputeControlled(store);
}

void rebuildRulesFromBaseline() { rebuildRulesFromSnapshot(true); }

void installRuleHooks() {
  static_assert(kRulePathTop == kRuleParentOfRoots, "the reader and the rules agree on the top");
  setControlRuleHook(&ruleForName);
  setItemControlRecorder(&recordItemControlHook);
}
