#include "engine/registry_reader.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "engine/memory_pool.h"
#include "engine/progress_hooks.h"
#include "engine/read_log.h"
#include "engine/store_walk.h"
#include "engine/view_state.h"
#include "platform/message_box.h"
#include "platform/system_error.h"
#include "text/value_text.h"

using platform::RegKey;
using store_walk::isEntry;
using store_walk::isGhostKey;
using store_walk::isGhostValue;
using store_walk::isKey;
using store_walk::isValue;
using store_walk::keyNameOrEmpty;
using store_walk::valueNameOrEmpty;

namespace {

// Key and value names are enumerated into one buffer that holds every name a
// registry can hold: a name is a counted UTF-16 string of at most 32,767 characters
// (Windows allows 255 for keys and 16,383 for values, Wine longer keys), and each
// character takes at most two cp932 bytes. So no enumeration fails for a long name.
constexpr uint32_t kNameBufferBytes = 0x10000;
// A value whose data outgrow the buffer between the key's query and the enumeration
// is asked for again with a buffer of the size it then reports, a few times.
constexpr int kValueReadAttempts = 3;
constexpr uint32_t kFirstDataBufferBytes = 0x10000;
constexpr uint32_t kDataBufferGranule = 1024;
// The registry nests keys at most 512 levels deep; deeper keys can only be reached
// through a link that points back up, and would be read forever.
constexpr int kMaxReadDepth = 512;
// Keys between clock readings of the progress pacer (about 1 ms of reading).
constexpr uint32_t kKeysPerClockReading = 8;
constexpr size_t kMaxErrorTextChars = 128;
// readValueLive: the buffer for a value whose stored length is 0, the attempts made
// while the value keeps growing, and the most it ever takes.
constexpr uint32_t kLiveDefaultBytes = 4096;
constexpr int kLiveReadAttempts = 4;
constexpr uint32_t kMaxLiveValueBytes = 64u << 20;
constexpr uint16_t kAutoCheckBits = VIEW_IN_AUTOCHECK_SUBTREE | VIEW_ABOVE_AUTOCHECK_TARGET;

const char kAccessErrorCaption[] = "レジストリ アクセス エラー";
const char kOptionErrorCaption[] = "レジストリ エラー　Option";
const char kFirstReadDone[] = "レジストリ読み込み完了";

ControlRuleHook gRuleHook = nullptr;
ReaderHooks gHooks;

// The rules' control word for `name` below the key whose rule node is `parentNode`;
// the key's own node in `*node` (null for a value).
uint16_t controlWordOf(int32_t parentNode, const char* name, bool isValue, int32_t* node) {
  if (node != nullptr) *node = -1;
  return gRuleHook != nullptr ? gRuleHook(parentNode, name, isValue, node) : 0;
}

// The first non-ghost child of `parent` in `store` named `name`; -1 for the roots.
ItemIndex liveChildNamed(SnapshotStore& store, ItemIndex parent, const char* name) {
  ItemIndex at;
  if (parent == kNoItem) {
    at = isKey(store, 0) ? 0 : kNoItem;
  } else {
    at = keyRecord(store, parent).firstChild;
  }
  int64_t budget = static_cast<int64_t>(store.counts.keyCount) + 1;
  for (; isKey(store, at) && budget-- > 0; at = keyRecord(store, at).nextSibling) {
    if (!isGhostKey(keyRecord(store, at)) && compareNames(keyNameOrEmpty(store, at), name) == 0) {
      return at;
    }
  }
  return kNoItem;
}

void clearMarksOfAllRoots(SnapshotStore& store) {
  if (!isKey(store, 0)) return;
  for (ItemIndex root = 0; root != kNoItem;) root = clearCompareMarks(store, root);
}

// The data buffer of a read, from the block allocator: 64 KiB at first, replaced by a
// larger one (a multiple of 1 KiB) before the values of a key whose largest datum
// would not fit. The allocator's 8 MiB are the most it grows to; a larger value then
// fails its enumeration like any other too large datum.
class DataBuffer {
 public:
  DataBuffer() { grow(kFirstDataBufferBytes); }
  ~DataBuffer() {
    if (bytes_ != nullptr) freeBlock(bytes_);
  }
  DataBuffer(const DataBuffer&) = delete;
  DataBuffer& operator=(const DataBuffer&) = delete;

  void grow(uint32_t needed) {
    if (needed <= size_ && bytes_ != nullptr) return;
    uint64_t size = (static_cast<uint64_t>(needed) + kDataBufferGranule - 1) /
                    kDataBufferGranule * kDataBufferGranule;
    if (size > kMaxBlockBytes) size = kMaxBlockBytes;
    if (size <= size_ && bytes_ != nullptr) return;
    void* block = allocBlock(static_cast<size_t>(size));
    if (block == nullptr) return;  // the old buffer stays; too large data then fails
    if (bytes_ != nullptr) freeBlock(bytes_);
    bytes_ = static_cast<uint8_t*>(block);
    size_ = static_cast<uint32_t>(size);
  }
  // Never null: without any block a one-byte spare takes its place.
  uint8_t* bytes() { return bytes_ != nullptr ? bytes_ : spare_; }
  uint32_t size() const { return bytes_ != nullptr ? size_ : 0; }

 private:
  uint8_t* bytes_ = nullptr;
  uint32_t size_ = 0;
  uint8_t spare_[1] = {0};
};

// What one read needs besides the store: the registry, the options, the buffers, and
// the log of what was read and is not stored yet.
struct ReadSession {
  ReadSession(SnapshotStore& current, SnapshotStore& base, const ReaderOptions& readerOptions)
      : store(current),
        baseline(base),
        options(readerOptions),
        restricted(readerOptions.autoCheckOn),
        reg(platform::registry()),
        log(current, readerOptions.keepValueData) {}

  SnapshotStore& store;
  SnapshotStore& baseline;
  const ReaderOptions& options;
  bool restricted;  // only what the baseline (the auto-check data) holds is read
  platform::RegistrySeam& reg;
  ReadLog log;
  DataBuffer data;
  std::vector<char> nameBuffer = std::vector<char>(kNameBufferBytes);
  char* name = nameBuffer.data();
  const char* rootName = "";
  // Progress: the key being read at the first two levels, the keys read so far, and
  // whether the program was asked to quit while the window was kept alive.
  std::string topPath;
  std::string progressPath;
  int64_t keysRead = 0;
  ProgressPacer pacer{kKeysPerClockReading};
  bool quitting = false;
};

// A key whose subkeys are being enumerated.
struct KeyFrame {
  RegKey handle;
  bool ownsHandle;        // false for the predefined roots
  bool full;              // restricted read: everything below this key is read
  ItemIndex counterpart;  // restricted read: the same key in the baseline
  int32_t ruleNode;       // what the rules resolved the key's name to
  uint32_t subKeyCount;
  uint32_t valueCount;
  uint32_t nextSubKey;
  int depth;  // 0 for a root
};

// Whether an enumeration failure ends the list: the key itself is gone, so no later
// index answers either. Any other failure concerns one item only.
bool endsEnumeration(long rc) {
  return rc == platform::kRegNoMoreItems || rc == platform::kRegKeyDeleted ||
         rc == platform::kRegInvalidHandle;
}

// The name the last enumeration left in the buffer: empty when it gave none.
void terminateName(ReadSession& s, uint32_t nameLength) {
  s.name[std::min(nameLength, kNameBufferBytes - 1)] = '\0';
}

// The two error reports for `item`, which the log's last flush stored.
void reportError(ReadSession& s, long rc, ItemIndex item, int32_t size) {
  showRegistryAccessError(rc, s.store, item);
  showRegistryOptionError(rc, size);
}

// Enumerates value `index` into the session's buffers. Data that outgrew the buffer
// since the key's query are asked for again with a buffer of the size reported.
long enumValueAt(ReadSession& s, RegKey handle, uint32_t index, uint32_t* nameLength,
                 uint32_t* type, uint32_t* dataLength) {
  long rc = platform::kRegOk;
  for (int attempt = 0; attempt < kValueReadAttempts; ++attempt) {
    *nameLength = kNameBufferBytes;
    *dataLength = s.data.size();
    s.name[0] = '\0';
    rc = s.reg.enumValue(handle, index, s.name, nameLength, type, s.data.bytes(), dataLength);
    if (rc != platform::kRegMoreData || *dataLength <= s.data.size()) break;
    s.data.grow(*dataLength);
    if (s.data.size() < *dataLength) break;  // more than the buffer ever grows to
  }
  return rc;
}

// Reads the values of the innermost key into the log.
void readValues(ReadSession& s, const KeyFrame& frame) {
  for (uint32_t index = 0; index < frame.valueCount; ++index) {
    uint32_t nameLength = 0;
    uint32_t type = 0;
    uint32_t dataLength = 0;
    const long rc = enumValueAt(s, frame.handle, index, &nameLength, &type, &dataLength);
    if (rc == platform::kRegNoMoreItems) break;  // values deleted meanwhile
    if (rc != platform::kRegOk) {
      s.log.flush();
      reportError(s, rc, s.log.innermostKey(), static_cast<int32_t>(nameLength));
      if (endsEnumeration(rc)) break;
      // The value is there but cannot be read: it is kept as refused, under whatever
      // the enumeration gave of its name, and the next value is read.
      terminateName(s, nameLength);
      s.log.refusedValue(s.name);
      continue;
    }
    terminateName(s, nameLength);
    if (dataLength > s.data.size()) dataLength = s.data.size();
    const uint16_t word = controlWordOf(frame.ruleNode, s.name, true, nullptr);
    s.log.value(s.name, type, s.data.bytes(), dataLength, word);
    if (s.log.wantsFlush()) s.log.flush();  // a key of many values: the log stays small
  }
}

// Starts reading a key (`root`, or a new subkey named s.name when that is kNoItem),
// opened as `handle` and queried (`rc`, `info`): pushes its frame when its subkeys and
// values are to be read, else finishes it at once.
void beginKey(ReadSession& s, std::vector<KeyFrame>& frames, ItemIndex root, RegKey handle,
              bool ownsHandle, long rc, const platform::RegKeyInfo& info, bool full,
              ItemIndex counterpart, int depth) {
  if (rc != platform::kRegOk) {
    // Nothing of the key is known: it is kept as refused, so that a comparison takes
    // none of its former contents for deleted.
    s.log.keyOnly(root, s.name, STATE_REFUSED, 0);
    s.log.flush();
    reportError(s, rc, s.log.lastKey(), -1);
    if (ownsHandle) s.reg.closeKey(handle);
    return;
  }
  s.data.grow(info.maxValueDataLength);

  const int32_t parentNode = frames.empty() ? kRuleParentOfRoots : frames.back().ruleNode;
  int32_t node = -1;
  const uint16_t word = controlWordOf(parentNode, s.name, false, &node);
  if ((word & kControlCodeMask) == kControlNotRead) {
    s.log.keyOnly(root, s.name, 0, word);
    if (ownsHandle) s.reg.closeKey(handle);
    return;
  }
  s.log.beginKey(root, s.name, word, info.lastWriteTime);
  frames.push_back(KeyFrame{handle, ownsHandle, full, counterpart, node, info.subKeyCount,
                            info.valueCount, 0, depth});
}

// Keeps the subkey just enumerated (named in s.name) as refused, unless the options
// discard refused keys.
void keepAsRefused(ReadSession& s) {
  if (!s.options.discardRefusedKeys) s.log.keyOnly(kNoItem, s.name, STATE_REFUSED, 0);
}

// Enumerates the next subkey of the innermost key and reads it (its frame is pushed)
// or records it.
void readNextSubKey(ReadSession& s, std::vector<KeyFrame>& frames) {
  KeyFrame& frame = frames.back();
  const uint32_t index = frame.nextSubKey++;
  uint32_t nameLength = kNameBufferBytes;
  uint64_t written = 0;
  s.name[0] = '\0';
  long rc = s.reg.enumKey(frame.handle, index, s.name, &nameLength, &written);
  if (rc == platform::kRegNoMoreItems) {  // subkeys deleted meanwhile
    frame.nextSubKey = frame.subKeyCount;
    return;
  }
  // A name with characters cp932 has no code for: the key is there, but the name the
  // program can hold opens no key or another one.
  const bool nameNotInCodePage = rc == platform::kRegNameNotInCodePage;
  if (nameNotInCodePage) rc = platform::kRegOk;
  if (rc != platform::kRegOk) {
    s.log.flush();
    reportError(s, rc, s.log.innermostKey(), static_cast<int32_t>(nameLength));
    if (endsEnumeration(rc)) {
      frame.nextSubKey = frame.subKeyCount;  // the values are still read
      return;
    }
    // The subkey is there but its name cannot be read: kept as refused (as for
    // access denied) under whatever the enumeration gave of its name, and the next
    // subkey is read. A restricted read cannot tell whether it is an auto-check key.
    terminateName(s, nameLength);
    if (!s.restricted || frame.full) keepAsRefused(s);
    return;
  }
  terminateName(s, nameLength);

  bool childFull = frame.full;
  ItemIndex childCounterpart = kNoItem;
  if (s.restricted && !frame.full) {
    // Only keys the auto-check data hold are opened; the others are not counted.
    childCounterpart = liveChildNamed(s.baseline, frame.counterpart, s.name);
    if (childCounterpart == kNoItem) return;
    childFull = (keyRecord(s.baseline, childCounterpart).summary & SUM_AUTOCHECK_TARGET) != 0;
  }
  if (frame.depth == 0) {
    s.topPath = s.rootName;
    s.topPath += '\\';
    s.topPath += s.name;
    s.progressPath = s.topPath;
    showStatusText(s.topPath.c_str());
  } else if (frame.depth == 1) {
    s.progressPath = s.topPath;
    s.progressPath += '\\';
    s.progressPath += s.name;
  }
  const int childDepth = frame.depth + 1;
  if (childDepth > kMaxReadDepth) {
    s.log.keyOnly(kNoItem, s.name, STATE_NOT_READ, 0);
    return;
  }

  if (nameNotInCodePage) {
    // Kept as refused under the name with '?' for those characters, as a key that
    // refuses to be opened is, so that it is seen and its contents are never taken
    // from another key.
    keepAsRefused(s);
    return;
  }
  RegKey childHandle = 0;
  rc = s.reg.openKey(frame.handle, s.name, platform::kRegRead, &childHandle);
  if (rc == platform::kRegOk) {
    platform::RegKeyInfo info{};
    const long queried = s.reg.queryInfoKey(childHandle, &info);
    beginKey(s, frames, kNoItem, childHandle, true, queried, info, childFull, childCounterpart,
             childDepth);
    return;
  }
  // Deleted since the enumeration, or a name the registry cannot look up: left out.
  if (rc == platform::kRegFileNotFound || rc == platform::kRegInsufficientBuffer) return;
  if (rc == platform::kRegAccessDenied) {
    keepAsRefused(s);
    return;
  }
  // Any other failure: the key is kept as refused and reported under its own path.
  s.log.keyOnly(kNoItem, s.name, STATE_REFUSED, 0);
  s.log.flush();
  reportError(s, rc, s.log.lastKey(), -2);
}

// Reads the values of the innermost key and closes it.
void endKey(ReadSession& s, std::vector<KeyFrame>& frames) {
  const KeyFrame frame = frames.back();
  if (!s.restricted || frame.full) readValues(s, frame);
  s.log.endKey();
  if (frame.ownsHandle) s.reg.closeKey(frame.handle);
  frames.pop_back();
}

// Every 100 ms: the key being read and the count in the status line, and the window
// kept alive. The log is stored first: the window may paint from the store.
void reportReadProgress(ReadSession& s) {
  s.log.flush();
  char count[kGroupedNumberBytes];
  formatGroupedNumber(count, sizeof count, s.keysRead, 0);
  const std::string text = s.progressPath + "　(" + count + " キー)";
  showStatusText(text.c_str());
  if (keepWindowAlive()) s.quitting = true;
}

// Closes what a quit request left open; the keys keep what was read of them.
void abandonFrames(ReadSession& s, std::vector<KeyFrame>& frames) {
  while (!frames.empty()) {
    s.log.endKey();
    if (frames.back().ownsHandle) s.reg.closeKey(frames.back().handle);
    frames.pop_back();
  }
}

// Reads root `root` with everything below it into the store.
void readRoot(ReadSession& s, ItemIndex root, RegKey handle, bool full, ItemIndex counterpart) {
  std::vector<KeyFrame> frames;
  platform::RegKeyInfo info{};
  const long queried = s.reg.queryInfoKey(handle, &info);
  std::snprintf(s.name, kNameBufferBytes, "%s", s.rootName);
  beginKey(s, frames, root, handle, false, queried, info, full, counterpart, 0);
  while (!frames.empty()) {
    if (frames.back().nextSubKey < frames.back().subKeyCount) {
      readNextSubKey(s, frames);
      ++s.keysRead;
    } else {
      endKey(s, frames);
    }
    if (s.log.wantsFlush()) s.log.flush();
    if (s.pacer.due()) reportReadProgress(s);
    if (s.quitting) abandonFrames(s, frames);
  }
  s.log.flush();
}

// Grouping keys hold what HKEY_CLASSES_ROOT held: they are controlled when a key
// moved below them is.
void markControlledGroupingKeys(SnapshotStore& store) {
  std::vector<ItemIndex> grouping;
  store_walk::walkKeys(store, 0, false, [&](ItemIndex key) {
    if (key == 0) return true;
    if (!(keyRecord(store, key).summary & SUM_GROUPING_KEY)) return false;
    grouping.push_back(key);
    return true;
  });
  // Pre-order: walking it backwards passes every key before its parent.
  for (auto it = grouping.rbegin(); it != grouping.rend(); ++it) {
    KeyRecord& record = keyRecord(store, *it);
    int64_t budget = static_cast<int64_t>(store.counts.keyCount) + 1;
    for (ItemIndex child = record.firstChild; isKey(store, child) && budget-- > 0;
         child = keyRecord(store, child).nextSibling) {
      if (keyRecord(store, child).summary & SUM_CONTROLLED) {
        record.summary = static_cast<uint8_t>(record.summary | SUM_CONTROLLED);
        break;
      }
    }
  }
}

// Copies the values of baseline key `from` to current key `to` with their flags,
// states, digests and data.
void copyValues(SnapshotStore& current, ItemIndex to, SnapshotStore& baseline, ItemIndex from) {
  // The baseline's list is in name order: each copy goes right after the one before.
  ItemIndex previous = kNoItem;
  store_walk::forEachValue(baseline, from, [&](ItemIndex v, ValueRecord& source) {
    if (isGhostValue(source)) return;
    const ValueRecord copy = source;
    const ItemIndex value = addValueAfter(current, to, previous, valueNameOrEmpty(baseline, v));
    previous = value;
    uint8_t flags = static_cast<uint8_t>(copy.flags & ~VF_LAST);
    int32_t data = copy.data;
    if (copy.flags & VF_DATA_KEPT) {
      ItemIndex entry = kNoItem;
      if (isEntry(baseline, copy.data) && dataEntry(baseline, copy.data).chainOrLength >= 0) {
        const DataEntry& kept = dataEntry(baseline, copy.data);
        entry = storeValueData(current, reinterpret_cast<const uint8_t*>(entryText(baseline, copy.data)),
                               static_cast<uint32_t>(kept.chainOrLength), kept.hashOrType);
      }
      if (entry >= 0) {
        dataEntry(current, entry).owner = value;
        data = entry;
      } else {
        flags = static_cast<uint8_t>((flags & ~VF_DATA_KEPT) | VF_DIGEST_ONLY);
        data = 0;
      }
    }
    ValueRecord& record = valueRecord(current, value);
    record.flags = static_cast<uint8_t>((record.flags & VF_LAST) | flags);
    record.state = copy.state;
    record.digest = copy.digest;
    record.data = data;
  });
}

// Display bits of the baseline: 0x0100 on every key in a target's subtree, 0x0400 on
// every target and every key above one.
void markAutoCheckKeys(SnapshotStore& baseline) {
  clearViewFlags(baseline, kAutoCheckBits);
  std::vector<ItemIndex> path;
  std::vector<bool> inside;
  size_t flagged = 0;  // path[0..flagged) carry 0x0400 already
  store_walk::walkAllKeys(
      baseline,
      [&](ItemIndex key) {
        const KeyRecord& record = keyRecord(baseline, key);
        path.push_back(key);
        if (isGhostKey(record)) {
          inside.push_back(false);
          return false;
        }
        const bool target = (record.summary & SUM_AUTOCHECK_TARGET) != 0;
        const bool below = target || (!inside.empty() && inside.back());
        inside.push_back(below);
        if (below) keyFlags(baseline, key) |= VIEW_IN_AUTOCHECK_SUBTREE;
        if (target) {
          for (size_t i = flagged; i < path.size(); ++i) {
            keyFlags(baseline, path[i]) |= VIEW_ABOVE_AUTOCHECK_TARGET;
          }
          flagged = path.size();
        }
        return true;
      },
      [&](ItemIndex) {
        path.pop_back();
        inside.pop_back();
        if (flagged > path.size()) flagged = path.size();
      });
}

// Copies the marked part of the baseline into the (fresh) current store.
void copyAutoCheckKeys(SnapshotStore& current, SnapshotStore& baseline) {
  std::vector<ItemIndex> copies;     // the copy of each entered key, -1 when not copied
  std::vector<ItemIndex> lastChild;  // the sibling hint below each entered key
  store_walk::walkAllKeys(
      baseline,
      [&](ItemIndex key) {
        const KeyRecord source = keyRecord(baseline, key);
        const uint16_t bits = keyFlags(baseline, key) & kAutoCheckBits;
        ItemIndex copy = kNoItem;
        if (copies.empty()) {
          copy = liveChildNamed(current, kNoItem, keyNameOrEmpty(baseline, key));
          if (copy != kNoItem) {
            KeyRecord& root = keyRecord(current, copy);
            if (bits != 0) {
              root.state = source.state;
              root.savedState = source.savedState;
              root.summary = source.summary;
            } else {
              root.state = STATE_NOT_READ;
            }
          }
        } else if (copies.back() != kNoItem && bits != 0 && !isGhostKey(source)) {
          copy = addKey(current, copies.back(), lastChild.back(), keyNameOrEmpty(baseline, key));
          lastChild.back() = copy;
          KeyRecord& record = keyRecord(current, copy);
          record.state = source.state;
          record.savedState = source.savedState;
          record.summary = source.summary;
        }
        if (copy != kNoItem && (bits & VIEW_IN_AUTOCHECK_SUBTREE)) {
          copyValues(current, copy, baseline, key);
        }
        copies.push_back(copy);
        lastChild.push_back(kNoItem);
        return copy != kNoItem && bits != 0;
      },
      [&](ItemIndex) {
        copies.pop_back();
        lastChild.pop_back();
      });
}

}  // namespace

void setControlRuleHook(ControlRuleHook hook) { gRuleHook = hook; }
void setReaderHooks(const ReaderHooks& hooks) { gHooks = hooks; }

void showRegistryAccessError(long code, SnapshotStore& store, ItemIndex item) {
  std::string text = platform::systemErrorText(code, kMaxErrorTextChars);
  if (item != kNoItem) {
    const bool isValueItem = (static_cast<uint32_t>(item) & kValueItemBit) != 0;
    text += '\n';
    text += buildItemPath(store, item, isValueItem ? 1 : 0);
  }
  platform::showMessage(text.c_str(), kAccessErrorCaption, platform::kMsgOk);
}

void showRegistryOptionError(long code, int32_t size) {
  char text[64];
  std::snprintf(text, sizeof text, "rc=%x size=%d", static_cast<unsigned>(code),
                static_cast<int>(size));
  platform::showMessage(text, kOptionErrorCaption, platform::kMsgOk);
}

ReadResult readRegistry(const ReaderOptions& options) {
  SnapshotStore& current = currentStore();
  SnapshotStore& baseline = baselineStore();
  ReadResult result{};
  if (gHooks.clearTreeView != nullptr) gHooks.clearTreeView();

  if (options.autoCheckOn && options.viewState == VIEW_STATE_LIVE_COMPARED &&
      !storesShareBlocks(current, baseline)) {
    // Each automatic run compares with the run before it.
    clearMarksOfAllRoots(current);
    adoptCurrentAsBaseline();
    if (gHooks.rebuildRuleLookup != nullptr) gHooks.rebuildRuleLookup();
    resetCurrentStore(true);
  } else {
    resetCurrentStore(true);
  }

  const bool compare = holdsKeys(baseline);
  {
    ReadSession session(current, baseline, options);
    for (int root = 0; root < kRootKeyCount; ++root) {
      ItemIndex counterpart = kNoItem;
      bool full = false;
      if (session.restricted) {
        counterpart = liveChildNamed(baseline, kNoItem, kRootKeyNames[root]);
        full = counterpart != kNoItem &&
               (keyRecord(baseline, counterpart).summary & SUM_AUTOCHECK_TARGET) != 0;
      }
      session.rootName = kRootKeyNames[root];
      readRoot(session, root, static_cast<RegKey>(kRootKeyHandles[root]), full, counterpart);
      if (root == 0 && options.groupClassInfo) {
        groupClassInfo(current);
        markControlledGroupingKeys(current);
      }
      if (compare) compareStores(current, baseline, root, options.compare);
      result.rootsRead = root + 1;
      if (gHooks.showRoot != nullptr) gHooks.showRoot(root);
      if (session.quitting || pumpPendingMessages()) {
        result.stoppedEarly = root + 1 < kRootKeyCount;
        break;
      }
    }
  }

  result.compared = compare;
  result.counts = takeStatusCounts(current, options.compare.keysOnly);
  if (!compare) {
    showStatusText(kFirstReadDone);
  } else if (gHooks.showChangeSummary != nullptr) {
    gHooks.showChangeSummary(result.counts);
  }
  // The first read becomes the baseline.
  if (!holdsKeys(baseline)) adoptCurrentAsBaseline();
  if (gHooks.releaseUndoRequest != nullptr) gHooks.releaseUndoRequest();
  return result;
}

LiveValue readValueLive(SnapshotStore& store, ItemIndex value, LiveRead mode) {
  LiveValue out;
  if (!isValue(store, value)) return out;
  const ItemIndex key = ownerKeyOfValue(store, value);
  if (!isKey(store, key)) return out;

  // The keys from the value's key up to its root; grouping keys exist only in the
  // snapshot and are left out of the registry path.
  std::vector<ItemIndex> chain;
  int64_t budget = static_cast<int64_t>(store.counts.keyCount) + 1;
  for (ItemIndex at = key; isKey(store, at) && budget-- > 0; at = keyRecord(store, at).parent) {
    chain.push_back(at);
  }
  const char* rootName = keyNameOrEmpty(store, chain.back());
  int rootIndex = -1;
  for (int i = 0; i < kRootKeyCount; ++i) {
    if (compareNames(rootName, kRootKeyNames[i]) == 0) rootIndex = i;
  }
  if (rootIndex < 0 || keyRecord(store, chain.back()).parent >= 0) return out;
  std::string path;
  for (size_t i = chain.size() - 1; i-- > 0;) {
    if (keyRecord(store, chain[i]).summary & SUM_GROUPING_KEY) continue;
    if (!path.empty()) path += '\\';
    path += keyNameOrEmpty(store, chain[i]);
  }
  if (mode == LiveRead::kWithPath) {
    out.path = kRootKeyNames[rootIndex];
    if (!path.empty()) out.path += '\\' + path;
  }

  const ValueRecord& record = valueRecord(store, value);
  const bool dataMissing = (record.flags & VF_DATA_KEPT) && !isEntry(store, record.data);
  const int32_t stored = dataMissing ? 0 : valueDataLength(store, value);
  if (stored <= 0 && mode != LiveRead::kAlways) {
    out.read = true;
    out.type = valueType(record);
    return out;
  }

  platform::RegistrySeam& reg = platform::registry();
  RegKey handle = 0;
  const RegKey root = static_cast<RegKey>(kRootKeyHandles[rootIndex]);
  long rc = reg.openKey(root, path.c_str(), platform::kRegRead, &handle);
  if (rc != platform::kRegOk) {
    showRegistryAccessError(rc, store,
                            static_cast<ItemIndex>(static_cast<uint32_t>(value) | kValueItemBit));
    showRegistryOptionError(rc, -3);
    return out;
  }
  const std::string name = valueNameOrEmpty(store, value);
  std::vector<uint8_t> data(stored > 0 ? std::min(static_cast<uint32_t>(stored), kMaxLiveValueBytes)
                                       : kLiveDefaultBytes);
  uint32_t type = 0;
  uint32_t size = 0;
  // A value that grew since it was read is asked for again with the size it has now.
  for (int attempt = 0; attempt < kLiveReadAttempts; ++attempt) {
    size = static_cast<uint32_t>(data.size());
    rc = reg.queryValue(handle, name.c_str(), &type, data.data(), &size);
    if (rc != platform::kRegMoreData || size <= data.size() || size > kMaxLiveValueBytes) break;
    data.resize(size);
  }
  reg.closeKey(handle);
  if (rc != platform::kRegOk || size > data.size()) return out;
  data.resize(size);
  out.read = true;
  out.type = type;
  out.data = std::move(data);
  return out;
}

bool buildAutoCheckData(uint16_t viewState) {
  SnapshotStore& current = currentStore();
  SnapshotStore& baseline = baselineStore();
  if (!storesShareBlocks(current, baseline) && viewShowsComparison(viewState)) {
    // The newest state is the source.
    clearMarksOfAllRoots(current);
    adoptCurrentAsBaseline();
  }
  if (!holdsKeys(baseline)) return false;
  resetCurrentStore(true);
  markAutoCheckKeys(baseline);
  copyAutoCheckKeys(current, baseline);
  recomputeSizes(current, 0);
  adoptCurrentAsBaseline();
  return true;
}
