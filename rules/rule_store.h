// The control rule store: an in-memory tree of key-name paths, each node carrying the
// control code that the key (or value) of that path gets.
//
// The store is filled from keyCtrl.txt (rules shipped with the program and switched on
// by the options), from userCtrl.dat (the user's own rules), from the controls
// recorded in a loaded snapshot and from the user's control commands. The registry
// reader asks it for every key and value it reads (ruleForName); the control commands
// apply it to a loaded snapshot (rules/rule_apply.h).
//
// Layout: nodes live in blocks of 4096 taken zero-filled from the block allocator,
// at most 256 blocks; a node index is block << 12 | slot. Names are copied into
// 64 KiB name blocks, at most 256; a name that does not fit in the rest of the current
// block starts a new one. A node's `name` is the name's offset in those blocks (block
// number * 65536 + offset), so a node is the same 20 bytes in memory and in
// userCtrl.dat.
//
// Invariants: after resetRules nodes 0-4 are the top nodes of the five root keys (root
// table order), node 5 the top node "SPECIAL_SETTINGS" and node 6 its only child
// "SAME_KEYS", whose children are key names that apply at any depth (same-name
// rules). Every node lies on exactly one sibling list (the top list starts at node 0),
// its depth is its parent's depth + 1 (0 on top) and never above 255, and every name is
// at most 255 bytes. Nothing is removed before the next resetRules, so node indexes
// stay valid until then.
//
// Limits: a name longer than 255 bytes, a node below depth 255, or a node or name that
// no longer fits in the tables is refused (addRule answers -1) and nothing else in the
// store changes.
//
// Single-threaded program-wide singleton.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/snapshot_store.h"

using RuleIndex = int32_t;

constexpr RuleIndex kNoRule = -1;
constexpr int kRuleSlotBits = 12;
constexpr int kRuleNodesPerBlock = 1 << kRuleSlotBits;
constexpr int kMaxRuleNodeBlocks = 256;
constexpr int32_t kMaxRuleNodes = kRuleNodesPerBlock * kMaxRuleNodeBlocks;
constexpr uint32_t kRuleNameBlockBytes = 0x10000;
constexpr int kMaxRuleNameBlocks = 256;
// Bytes of one path component; registry key names are at most 255 characters too.
constexpr size_t kMaxRuleNameLength = 255;
// A component and its terminator.
constexpr size_t kRuleComponentBytes = kMaxRuleNameLength + 1;
constexpr int kMaxRuleDepth = 255;
// The parent node of the top nodes, for ruleForName.
constexpr RuleIndex kRulePathTop = -2;

constexpr RuleIndex kSpecialSettingsNode = 5;
constexpr RuleIndex kSameKeysNode = 6;
extern const char kSpecialSettingsName[];  // "SPECIAL_SETTINGS"
extern const char kSameKeysName[];         // "SAME_KEYS"

enum RuleFlag : uint8_t {
  RULE_KEY = 0x01,        // set on every new node
  RULE_VALUE = 0x02,      // the node names a value (RULE_KEY is then cleared)
  RULE_SAME_NAME = 0x20,  // a same-name rule set by the "same name" command
  RULE_USER = 0x40,       // set by the user or recorded from a snapshot
  RULE_USER_PATH = 0x80,  // only inside a userCtrl.dat being loaded
};

// The meaning a rule gives an item; codes 1-3 become the item's state.
enum ControlCode : uint8_t {
  CONTROL_NONE = 0,
  CONTROL_NOT_READ = 1,
  CONTROL_HIDDEN = 2,
  CONTROL_NOT_CHECKED = 3,
  CONTROL_CHECKED_AGAIN = 8,  // a value checked again; stored as 0
  CONTROL_AUTOCHECK_TARGET = 13,
};

// Result of a lookup: the node's ruleFlags in the high byte, its code in the low byte;
// 0 when no rule applies. Callers act on the code, never on the word being non-zero
// (a path node without a code still answers RULE_KEY in its high byte).
using ControlWord = uint16_t;
inline uint8_t controlCodeOf(ControlWord word) { return static_cast<uint8_t>(word & 0xFF); }
inline uint8_t controlFlagsOf(ControlWord word) { return static_cast<uint8_t>(word >> 8); }

// One node; the same 20 bytes are a record of userCtrl.dat.
struct ControlRuleNode {
  uint8_t depth;
  uint8_t code;
  uint8_t ruleFlags;
  uint8_t nameBlock;  // name >> 16
  int32_t parent;     // -1 for a top node
  int32_t nextSibling;
  int32_t firstChild;
  uint32_t name;  // offset of the name in the name blocks
};
static_assert(sizeof(ControlRuleNode) == 20, "ControlRuleNode is 20 bytes in memory and in files");
static_assert(offsetof(ControlRuleNode, parent) == 4 && offsetof(ControlRuleNode, nextSibling) == 8 &&
                  offsetof(ControlRuleNode, firstChild) == 12 && offsetof(ControlRuleNode, name) == 16,
              "ControlRuleNode field order");

// `apply` argument of addRule.
constexpr int kRuleEnsure = 0;   // only make sure the node exists
constexpr int kRuleSet = 1;      // set its code
constexpr int kRuleSetUser = 3;  // set its code as the user's rule (RULE_USER)

// Frees every node and name block and creates the fixed nodes.
void resetRules();

// The child of `parent` (-1: the top nodes) that `name` matches, made when none does.
// An existing node is returned unchanged with kRuleEnsure; otherwise its code is set
// (8 stored as 0) and RULE_USER set when `apply` is kRuleSetUser and the code is not 0
// (on top nodes whatever the code), cleared otherwise. A new node gets RULE_KEY, the
// code when `apply` is not kRuleEnsure, and RULE_USER under the same condition.
// -1 when the node cannot be stored (see Limits), the parent is not a node or the
// code is not a control code; the store is then unchanged.
RuleIndex addRule(RuleIndex parent, const char* name, uint8_t code, int apply);

// The first child of `parent` (-1: the top nodes) whose name matches `name`: equal
// ignoring ASCII case, or a pattern that matches (ruleNameMatches). -1 when none
// matches or the store is empty.
RuleIndex findRuleChild(RuleIndex parent, const char* name);

// Whether a node name matches an item name. A node name is a plain name or a pattern:
// a prefix, a backslash, a code character and a suffix. '*' matches any name that
// starts with the prefix and ends with the suffix (tested independently, they may
// overlap); 's' and 'u' match a security identifier or braced GUID right after the
// prefix, followed by the suffix or, when the suffix is empty, by the end of the name.
// A backslash followed by any other character, or by nothing, only matches exactly.
// Prefixes, suffixes and plain names compare ignoring ASCII case.
bool ruleNameMatches(const char* ruleName, const char* name);

// Length of the security identifier (code 's') or braced GUID (any other code) at
// the start of `text`, 0 when there is none. A SID: "S-" one character "-" one
// character "-", then four more '-' with any runs between them, then at least one
// decimal digit (S-1-5-21-a-b-c-1001). A GUID: '{' and the first '}' with exactly four
// '-' between them; the length includes the '}'.
size_t matchSpecialName(const char* text, char code);

// Copies the path component of `line` (length bytes) starting at `position` into
// `component` (NUL-terminated) and returns the position after it. A single backslash
// ends the component and is skipped; two backslashes followed by a third or by a comma
// end it after the first (the next component starts with the second); two
// backslashes followed by anything else are one literal backslash. After 255 copied
// bytes the component ends and `*cut` is set: the rest continues as the next
// component.
size_t splitRulePath(const char* line, size_t length, size_t position,
                     char (&component)[kRuleComponentBytes], bool* cut);

// The control word for a key or value (`isValue`) the registry reader meets, below the
// key whose name resolved to rule node `parentNode` (kRulePathTop for a root; -1 when
// no rule path reaches the parent). For a key, `*node` receives the node its own name
// resolves to (-1: none), to be passed on for its subkeys and values; `node` may be
// null. So every key follows its parent's rule path, pattern rules matching at any
// level. A key without a path rule with a non-zero code takes the same-name rule of
// its name, if any; values answer only path rules.
ControlWord ruleForName(RuleIndex parentNode, const char* name, bool isValue, RuleIndex* node);

// The control word of a key whose name resolved to `node` on its rule path (-1: no
// path rule reaches it): the node's word, unless the node has no code or names only a
// value; then the same-name rule of `name`, if any.
ControlWord controlWordForKey(RuleIndex node, const char* name);

// The control word of a node as ruleForName answers it; 0 for -1.
ControlWord controlWordOf(RuleIndex node);

// Reading the store.
int32_t ruleNodeCount();
// The SAME_KEYS node (kSameKeysNode), -1 before the first resetRules.
RuleIndex sameKeysNode();
bool isRuleNode(RuleIndex node);
// `node` must be a node (isRuleNode).
const ControlRuleNode& ruleNode(RuleIndex node);
const char* ruleNodeName(RuleIndex node);
void setRuleFlags(RuleIndex node, uint8_t set, uint8_t clear);

// The name blocks, for writing userCtrl.dat: the number of blocks in use (the
// current block + 1, 0 for an empty store), the bytes used in the last one, and a
// block's bytes (65536 of them).
int ruleNameBlockCount();
uint32_t ruleNameBytesUsed();
const char* ruleNameBlock(int block);
