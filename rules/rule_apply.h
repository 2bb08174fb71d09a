// Between the control rule store and a snapshot: recording the controls of a
// snapshot's keys and values as rules, and applying the rules to a loaded snapshot.
//
// Rule paths name registry keys as the reader sees them: class-info grouping keys
// (SUM_GROUPING_KEY) are left out of every path, and their children are matched as
// children of HKEY_CLASSES_ROOT. Ghost keys (state 7) and refused keys (state 4) are
// facts of the comparison and of the registry, not controls: rules neither change them
// nor are recorded from them.
//
// The forms without a store argument work on the current snapshot store.
#pragma once

#include "engine/snapshot_store.h"
#include "rules/rule_store.h"

// Records the current control of one key or value as the user's rule (RULE_USER):
// a key carrying SUM_SAME_NAME under SAME_KEYS, anything else under the path of its
// ancestors. A key's code is 13 when it carries SUM_AUTOCHECK_TARGET, else its state
// when that is 1-3, else 0; a value's code is 3 when its state is 3, else 0 (and the
// node is marked RULE_VALUE instead of RULE_KEY). False when the rule could not be
// stored (store full, or the key lies deeper than a rule can).
bool recordItemControl(ItemIndex item, bool isValue);
bool recordItemControlIn(SnapshotStore& store, ItemIndex item, bool isValue);

// Gives every key and value of the snapshot the control the registry reader would
// give it under the current rules ("initialise the controls from the options", after
// resetRules and loadRuleFiles):
// 1. Keys in state 1-3 go back to 0 (a ghost excluded from checking back to 7) and
//    lose SUM_AUTOCHECK_TARGET, SUM_SAME_NAME and SUM_USER_RULE; values in state 3
//    go to 8.
// 2. Each key is looked up as ruleForName does, down the rule tree in step with the
//    key tree, so every key matching a pattern rule at any level gets the rule, and
//    the same-name rule applies only where no path rule with a code does. Code 13
//    sets SUM_AUTOCHECK_TARGET; codes 1-3 become the state (the previous state kept
//    in savedState); the rule's same-name and user bits are copied to the summary.
//    A value whose name resolves to a rule with code 3 gets state 3.
// 3. SUM_CONTROLLED is recomputed.
void applyRulesToSnapshot();
void applyRulesToStore(SnapshotStore& store);

// Replaces the rule store by the controls recorded in a snapshot (resetRules, then
// the keys from the roots): keys in state 1 or 3 are recorded and their subtrees
// passed over; keys in state 2 are recorded and walked into; with the baseline also
// keys carrying SUM_AUTOCHECK_TARGET; values in state 1-3 as value rules. Same-name
// keys go under SAME_KEYS: from the baseline only in state 3 (with RULE_SAME_NAME),
// from the current snapshot whenever they carry SUM_SAME_NAME.
void rebuildRulesFromSnapshot(bool baseline);
void rebuildRulesFromStore(SnapshotStore& store, bool baseline);

// The "do not check any key of the same name" command for `key`. On: the same-name
// rule of its name gets code 3 and RULE_SAME_NAME, and every key of that name
// (ignoring case) not yet carrying SUM_SAME_NAME gets it, its state kept in
// savedState and state 3. Off: the rule's code becomes 0 without RULE_SAME_NAME, and
// every such key carrying SUM_SAME_NAME loses it and gets savedState back.
// SUM_CONTROLLED is recomputed.
void setSameNameUnchecked(ItemIndex key, bool on);
void setSameNameUncheckedIn(SnapshotStore& store, ItemIndex key, bool on);

// rebuildRulesFromSnapshot(true), for the reader's rebuildRuleLookup hook (the previous
// auto-check run became the baseline).
void rebuildRulesFromBaseline();

// Makes the registry reader ask ruleForName for every key and value it reads, and the
// snapshot store tell recordItemControl about the keys that excludeChangedItems
// switches.
void installRuleHooks();
