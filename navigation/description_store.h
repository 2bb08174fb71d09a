// The item descriptions: a tree of key and value names read from the guide file
// beside the program, each node pointing at the place in the file where its
// description text starts. The file stays open while the store is loaded, and a
// description is read from it only when it is shown.
//
// The guide file (cp932 text, lines of at most 259 bytes; longer lines are ignored):
// '#' starts a comment; a line starting with "HKEY_" (any case) names a key, its path
// written as a control rule path (rules/rule_store.h: a doubled backslash is a
// literal one, so "\\s", "\\u" and "\\*" name patterns); a line starting with '='
// names a value of the key named last (the rest of the line; empty for the default
// value); the lines after a key or value line that start with a tab or a blank are
// its description; any other line ends it. An entry without description lines
// describes nothing (so a key line directly followed by a value line gives the key
// no description).
//
// Invariants: nodes 0-4 are the top nodes of the five root keys in root-table order;
// every node lies on one sibling list; a node's descPos is 0 or the file offset of
// its first description line. At most 65,535 nodes; further entries are dropped.
//
// Single-threaded program-wide singleton.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/snapshot_store.h"

extern const char kGuideFileNameNt[];  // "guide2kXp.txt": Windows 2000, XP and later
extern const char kGuideFileName9x[];  // "guide98Me.txt": Windows 98 and Me

constexpr uint16_t kNoDescriptionNode = 0xFFFF;
constexpr int32_t kMaxDescriptionNodes = 0xFFFF;
constexpr size_t kGuideLineBytes = 259;
constexpr size_t kMaxDescriptionBytes = 4096;

struct DescriptionNode {
  uint8_t depth;  // 0 for a top node
  uint8_t isValue;
  uint16_t parent;  // kNoDescriptionNode for a top node
  uint16_t nextSibling;
  uint16_t firstChild;
  uint32_t name;     // offset of the name in the store's name text
  uint32_t descPos;  // 0: no description
};
static_assert(sizeof(DescriptionNode) == 16, "DescriptionNode is 16 bytes");

struct DescriptionLoadReport {
  int32_t keyLines = 0;
  int32_t valueLines = 0;
  int32_t ignoredLines = 0;  // over-long, holding a 0 byte, a value before any key
  int32_t droppedEntries = 0;  // the store was full
};

// Releases the store, makes the five top nodes and reads `path`. False when the file
// cannot be opened (the store then describes nothing).
bool loadDescriptions(const std::string& path, DescriptionLoadReport* report = nullptr);
// Closes the guide file and empties the store.
void releaseDescriptions();
bool descriptionsLoaded();

int32_t descriptionNodeCount();
const DescriptionNode& descriptionNode(uint16_t node);
const char* descriptionNodeName(uint16_t node);
// The child of `parent` (kNoDescriptionNode: the top nodes) named exactly `name`
// (ignoring case, patterns not interpreted), or kNoDescriptionNode.
uint16_t findDescriptionChild(uint16_t parent, const char* name, bool isValue);

// Clears VIEW_HAS_DESCRIPTION in `store` and sets it on every key and value a
// described node names: key names matched level by level as the control rules match
// them (patterns, every match followed, grouping keys passed through), value names
// ignoring case. Returns the number of items marked.
int64_t markDescribedItems(SnapshotStore& store);

// The described node of a key, or of a value (reference with bit 31): the first
// whose path takes the key's path; kNoDescriptionNode when none.
uint16_t findDescriptionNode(SnapshotStore& store, ItemIndex reference);
// The description of `node` as the window shows it: its lines with CR LF, tabs
// turned into blanks, at most 4096 bytes (cut at a character). Empty when the node
// has none or the file cannot be read.
std::string readDescriptionText(uint16_t node);
