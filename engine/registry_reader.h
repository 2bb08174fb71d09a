// The registry reader: fills the current snapshot store from the live registry,
// compares each root with the baseline as soon as it is read, reads single values back
// when their data were not kept, and builds the reduced auto-check snapshot.
//
// All registry access goes through platform::registry(). Registry errors never stop a
// read: the failing key or value is reported in two message boxes ("レジストリ アクセス
// エラー" with the system's text and the item's path, "レジストリ エラー　Option" with
// "rc=%x size=%d"), recorded as refused or left out, and the read goes on.
//
// Keys are read depth-first with an explicit stack of open keys, so a registry of any
// depth costs no call-stack depth. Below 512 levels (the deepest the registry itself
// nests keys; only a link pointing back up could go further) keys are recorded as
// names only, in state 1, instead of being opened. The walk does not touch the current
// store: what it reads goes into a log that is stored in batches (engine/read_log.h); the
// rules are asked by rule path (ControlRuleHook) before anything of an item is stored.
//
// Single-threaded; runs inside the read command and the auto-check timer.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/comparison.h"
#include "engine/snapshot_store.h"
#include "platform/registry.h"

// The options and the program state a read depends on (entries of the options array
// and flags of the command dispatcher).
struct ReaderOptions {
  bool keepValueData = false;       // !OPT_NO_VALUE_DATA: data up to 128 KiB kept whole
  bool groupClassInfo = false;      // OPT_GROUP_CLASS_INFO
  bool discardRefusedKeys = false;  // OPT_DISCARD_REFUSED
  CompareOptions compare;           // OPT_KEYS_ONLY, OPT_KEEP_DELETED_CONTENTS
  bool autoCheckOn = false;         // the automatic check runs: reads are restricted
  uint16_t viewState = 0;           // what the tree shows (engine/view_state.h), reading bit off
};

// The rules' answer for a key or value the reader meets, asked before anything of it is
// stored. `parentNode` is what the question for its parent key left in `*node`, or
// kRuleParentOfRoots for a root; for a key, `*node` receives the rule node its name
// resolves to, to be passed on for its subkeys and values (`node` is null for a value).
// The answer is a control word: low byte the control code (0 none, 1 not read, 2
// hidden, 3 not checked, 13 auto-check target); bit 13 the same-name rule, bit 14 a
// rule the user set. Without a hook every item gets 0.
using ControlRuleHook = uint16_t (*)(int32_t parentNode, const char* name, bool isValue,
                                     int32_t* node);
constexpr int32_t kRuleParentOfRoots = -2;
void setControlRuleHook(ControlRuleHook hook);

constexpr uint16_t kControlCodeMask = 0x00FF;
constexpr uint16_t kControlSameName = 0x2000;
constexpr uint16_t kControlUserRule = 0x4000;
constexpr uint8_t kControlNotRead = 1;
constexpr uint8_t kControlHidden = 2;
constexpr uint8_t kControlNotChecked = 3;
constexpr uint8_t kControlAutoCheckTarget = 13;

// Parts of the program a read command informs; each may be null.
struct ReaderHooks {
  void (*clearTreeView)() = nullptr;      // before the read: the view drops all its items
  void (*rebuildRuleLookup)() = nullptr;  // the previous auto-check run became the baseline
  void (*showRoot)(int root) = nullptr;   // root `root` is read and compared
  void (*showChangeSummary)(const StatusCounts& counts) = nullptr;  // compared with a baseline
  void (*releaseUndoRequest)() = nullptr;  // item indexes of a pending undo no longer hold
};
void setReaderHooks(const ReaderHooks& hooks);

struct ReadResult {
  bool compared;      // a baseline existed and each root read was compared with it
  bool stoppedEarly;  // the program is quitting: the roots after `rootsRead` were not read
  int rootsRead;
  StatusCounts counts;
};

// The read command: empties the current store, reads the five roots in root-table
// order (status text "<root>\<subkey>" per top-level subkey, messages pumped after each
// root), compares each with the baseline, and makes the first read the baseline.
// While `autoCheckOn`, only what the baseline (the auto-check data) holds is read, and
// after a compared live reading (viewState 5) that reading becomes the baseline first.
ReadResult readRegistry(const ReaderOptions& options);

// How readValueLive treats a value whose stored length is 0.
enum class LiveRead {
  kStoredEmpty,  // answered as empty without asking the registry
  kWithPath,     // the same, and the value's key path is returned
  kAlways,       // the registry is asked whatever the stored length
};

struct LiveValue {
  bool read = false;  // false: the key or value could not be read (nothing to show)
  uint32_t type = 0;
  std::vector<uint8_t> data;
  std::string path;  // "<root>\<key path>" for LiveRead::kWithPath
};

// Reads the data of value `value` of `store` (normally the current store) from the
// live registry, for values whose data were not kept. The key path has no length
// limit. Failing to open the key is reported (access error with the value's path,
// option error with size -3); a value that is gone is not.
LiveValue readValueLive(SnapshotStore& store, ItemIndex value, LiveRead mode);

// Makes the reduced auto-check snapshot from the newest state: the subtrees of the
// keys carrying SUM_AUTOCHECK_TARGET with their values, the keys above them without
// values, roots without targets in state 1; it becomes the baseline (and the current
// store shares it). `viewState` says whether the current store holds a comparison
// that must become the source first. False when there is nothing to build from.
bool buildAutoCheckData(uint16_t viewState);

// The two error reports of the registry functions. `item` is a key, a value with
// kValueItemBit, or -1 for none (then the text is the system's alone).
void showRegistryAccessError(long code, SnapshotStore& store, ItemIndex item);
void showRegistryOptionError(long code, int32_t size);
