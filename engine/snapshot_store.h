// The snapshot store: the in-memory image of the registry that everything else works on.
//
// A store is a set of flat arrays addressed by item indexes (block * 4096 + slot): key
// records, value records and data entries (names and kept value data), each in
// blocks of 4096 taken from the block allocator, with names and data packed into
// 256 KiB pools. All links are item indexes, never pointers, so the snapshot files
// write and read the blocks almost byte for byte.
//
// Two program-wide stores exist: the current store (the registry as just read, or a
// comparison file) and the baseline store. Right after the first read, and after a
// baseline file is opened, both describe the same blocks ("sharing", detected by
// equal first key blocks). While they share, every counter, block-table and pool
// change made through one is copied into the other at once, and resetting the
// current store only forgets the shared blocks.
//
// Invariants kept by every operation here:
// - subkeys form a doubly linked list sorted in name order (compareNames), equal
//   names in insertion order; the roots 0-4 are linked as siblings in root-table order;
// - values form a singly linked list in name order whose last value carries VF_LAST
//   and whose `next` is the owning key;
// - every name and kept datum is followed by one 0 byte in its pool.
//
// Single-threaded. Capacity limits end the program (stopAtCapacityLimit); a refused
// block allocation is reported ("memAlloc") and ends the program as well, so no
// operation ever continues without its block.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>

#include "text/cp932.h"

using ItemIndex = int32_t;

constexpr ItemIndex kNoItem = -1;
constexpr int kSlotBits = 12;
constexpr int kSlotsPerBlock = 1 << kSlotBits;
constexpr int kMaxKeyBlocks = 1024;
constexpr int kMaxValueBlocks = 1024;
constexpr int kMaxEntryBlocks = 2048;
constexpr int kMaxPools = 1024;
constexpr int32_t kPoolBytes = 0x40000;
constexpr int kNameHashBuckets = 4096;
constexpr int kRootKeyCount = 5;
// Where keys and values share one reference (tree items, search), values carry bit 31.
constexpr uint32_t kValueItemBit = 0x80000000u;
// Value data longer than this is never kept whole, only its length and digest.
constexpr uint32_t kMaxKeptDataBytes = 0x20000;

enum StateCode : uint8_t {
  STATE_NORMAL = 0,
  STATE_NOT_READ = 1,
  STATE_HIDDEN = 2,
  STATE_NOT_CHECKED = 3,
  STATE_REFUSED = 4,
  STATE_CHANGED_BELOW = 5,
  STATE_ADDED = 6,
  STATE_DELETED = 7,
  STATE_DATA = 8,
  STATE_DATA_CHANGED = 9,
  STATE_VALUE_ADDED = 10,
  STATE_VALUE_DELETED = 11,
};
// countState's code for keys carrying SUM_AUTOCHECK_TARGET.
constexpr int kAutoCheckTargetCode = 13;

enum SummaryFlag : uint8_t {
  SUM_DATA_CHANGED = 0x01,
  SUM_CONTROLLED = 0x02,
  SUM_STRUCTURE_CHANGED = 0x04,
  SUM_AUTOCHECK_TARGET = 0x10,
  SUM_SAME_NAME = 0x20,
  SUM_USER_RULE = 0x40,
  SUM_GROUPING_KEY = 0x80,
};

enum ValueFlag : uint8_t {
  VF_LAST = 0x01,
  VF_DIGEST_ONLY = 0x02,
  VF_DATA_KEPT = 0x04,
};
// Bits 4-7 of ValueRecord::flags hold the registry type (types above 15 become 0).
constexpr int kValueTypeShift = 4;

enum EntryKind : uint8_t {
  ENTRY_FREE = 0,
  ENTRY_KEY_NAME = 1,
  ENTRY_VALUE_NAME = 2,
  ENTRY_DATA_STRING = 3,  // REG_SZ, REG_EXPAND_SZ
  ENTRY_DATA_MULTI = 4,   // REG_MULTI_SZ
  ENTRY_DATA_OTHER = 5,   // every other type
  ENTRY_DATA_DWORD = 6,   // REG_DWORD
  ENTRY_NEW_NAME = 15,    // interned, not yet owned
};

// Display-flag bits beside every key and value record (never saved).
enum DisplayFlag : uint16_t {
  VIEW_HIT = 0x0001,
  VIEW_HIT_BELOW = 0x0002,
  VIEW_HIT_IMAGE = 0x0004,
  VIEW_HIT_BELOW_IMAGE = 0x0008,
  VIEW_KEY_OPEN = 0x0010,
  VIEW_IN_TREE = 0x0020,
  VIEW_PREVIOUS_HIT = 0x0040,
  VIEW_HAS_DESCRIPTION = 0x0080,
  VIEW_IN_AUTOCHECK_SUBTREE = 0x0100,
  VIEW_ABOVE_AUTOCHECK_TARGET = 0x0400,
};

// Registry types the store distinguishes.
constexpr uint32_t kRegSz = 1;
constexpr uint32_t kRegExpandSz = 2;
constexpr uint32_t kRegDword = 4;
constexpr uint32_t kRegMultiSz = 7;

struct KeyRecord {
  uint8_t depth;
  uint8_t state;
  uint8_t summary;
  uint8_t savedState;
  int32_t parent;
  int32_t prevSibling;
  int32_t nextSibling;  // also the key free list's link
  int32_t firstChild;
  int32_t firstValue;
  int32_t name;
  int32_t childCount;
  int32_t valueCount;
  int32_t itemCount;  // for a ghost key (state 7): the baseline key it copies
  int32_t byteCount;
  uint32_t treeItem;
};
static_assert(sizeof(KeyRecord) == 48, "KeyRecord is 48 bytes in memory and in files");
static_assert(offsetof(KeyRecord, parent) == 4 && offsetof(KeyRecord, name) == 24 &&
                  offsetof(KeyRecord, byteCount) == 40 && offsetof(KeyRecord, treeItem) == 44,
              "KeyRecord field order");

struct ValueRecord {
  uint8_t flags;
  uint8_t state;
  uint16_t digest;
  int32_t data;  // VF_DATA_KEPT: data entry; VF_DIGEST_ONLY: data length
  int32_t next;  // VF_LAST: owning key; also the value free list's link
  int32_t name;
  uint32_t treeItem;
};
static_assert(sizeof(ValueRecord) == 20, "ValueRecord is 20 bytes in memory and in files");
static_assert(offsetof(ValueRecord, data) == 4 && offsetof(ValueRecord, next) == 8 &&
                  offsetof(ValueRecord, name) == 12 && offsetof(ValueRecord, treeItem) == 16,
              "ValueRecord field order");

struct DataEntry {
  uint8_t kindAndPoolHigh;  // bits 0-3 kind, bit 4 spare (0), bits 5-7 pool bits 8-10
  uint8_t poolLow;          // pool bits 0-7
  uint16_t hashOrType;      // names: nameHash12; data: the registry type
  int32_t chainOrLength;    // names: next entry of the hash bucket; data: length; free: capacity
  int32_t owner;            // owning key or value; free entries: next free entry
  uint32_t text;            // byte offset of the text within its pool
};
static_assert(sizeof(DataEntry) == 16, "DataEntry is 16 bytes in memory and in files");
static_assert(offsetof(DataEntry, hashOrType) == 2 && offsetof(DataEntry, chainOrLength) == 4 &&
                  offsetof(DataEntry, owner) == 8 && offsetof(DataEntry, text) == 12,
              "DataEntry field order");

inline int entryKind(const DataEntry& e) { return e.kindAndPoolHigh & 0x0F; }
inline int entryPool(const DataEntry& e) { return ((e.kindAndPoolHigh >> 5) << 8) | e.poolLow; }
void setEntryKind(DataEntry& e, int kind);
void setEntryPool(DataEntry& e, int pool);

// A 256 KiB area of names and data. Space is taken only at `used`; it is never given
// back before the store is reset.
struct DataPool {
  char* base;         // nullptr: slot without an area yet
  int32_t used;       // bytes taken from the start
  int32_t remaining;  // bytes still free
};

// Counters that both sharing stores must agree on.
struct StoreCounts {
  int32_t keyCount;  // one past the highest key index ever handed out
  int32_t keyFreeHead;
  int32_t valueCount;
  int32_t valueFreeHead;
  int32_t entryCount;
  int32_t entryFreeHead;
  int32_t keyBlockCount;
  int32_t valueBlockCount;
  int32_t entryBlockCount;
  int32_t poolCount;
};

struct SnapshotStore {
  // A key block is one allocation: 4096 KeyRecords, then 4096 display-flag words,
  // then (blocks made by reading or adding, not loaded ones) 4096 last-write times.
  KeyRecord* keyBlocks[kMaxKeyBlocks];
  uint16_t* keyFlags[kMaxKeyBlocks];
  uint64_t* keyTimes[kMaxKeyBlocks];  // nullptr for blocks loaded from a file
  // A value block: 4096 ValueRecords, 4096 display-flag words, 4096 baselineLinks.
  ValueRecord* valueBlocks[kMaxValueBlocks];
  uint16_t* valueFlags[kMaxValueBlocks];
  int32_t* baselineLinks[kMaxValueBlocks];
  DataEntry* entryBlocks[kMaxEntryBlocks];
  int32_t* nameHash;  // kNameHashBuckets heads, -1 when empty
  DataPool pools[kMaxPools];
  StoreCounts counts;
  // The other program-wide store, for sharing; nullptr for a stand-alone store.
  SnapshotStore* twin;
};

// The two program-wide stores. initSnapshotStores makes them twins, gives the current
// store its five roots and leaves the baseline empty (no key blocks).
SnapshotStore& currentStore();
SnapshotStore& baselineStore();
void initSnapshotStores();

// Stand-alone stores (tests, benchmarks): an empty store with a name table.
void initStore(SnapshotStore& store);
// Frees everything the store owns (forgets what it shares) and leaves it empty.
void destroyStore(SnapshotStore& store);

bool storesShareBlocks(const SnapshotStore& a, const SnapshotStore& b);

// Drops all blocks (freed, or only forgotten when shared) and the name table, makes a
// fresh name table; with `withRoots` adds the five roots of the root key table.
void resetStore(SnapshotStore& store, bool withRoots);
void resetCurrentStore(bool withRoots);
void clearBaselineStore();
// Frees the baseline's blocks and makes it share every block of the current store;
// then clears VIEW_KEY_OPEN / VIEW_IN_TREE of keys and VIEW_IN_TREE of values.
void adoptCurrentAsBaseline();
// Makes `target` describe every block of `source`: block tables, pools, name hash and
// counts copied field by field. The caller has given back what `target` owned.
void copyBlockTables(SnapshotStore& target, const SnapshotStore& source);

// Root key table.
extern const char* const kRootKeyNames[kRootKeyCount];
extern const uint32_t kRootKeyHandles[kRootKeyCount];

// Accessors. block = index >> 12 (arithmetic), slot = index & 0xFFF. The index must
// be valid for the store: they check nothing, because the walks over every record
// (comparison, file checks) call them once per record. Callers that hold an index of
// unknown origin test it first (store_walk.h: isKey, isValue, isEntry).
inline KeyRecord& keyRecord(SnapshotStore& store, ItemIndex key) {
  return store.keyBlocks[key >> kSlotBits][key & (kSlotsPerBlock - 1)];
}
inline ValueRecord& valueRecord(SnapshotStore& store, ItemIndex value) {
  return store.valueBlocks[value >> kSlotBits][value & (kSlotsPerBlock - 1)];
}
inline DataEntry& dataEntry(SnapshotStore& store, ItemIndex entry) {
  return store.entryBlocks[entry >> kSlotBits][entry & (kSlotsPerBlock - 1)];
}
// The store holds records (at least its roots).
inline bool holdsKeys(const SnapshotStore& store) {
  return store.counts.keyCount > 0 && store.keyBlocks[0] != nullptr;
}
char* entryText(SnapshotStore& store, ItemIndex entry);
const char* keyName(SnapshotStore& store, ItemIndex key);
const char* valueName(SnapshotStore& store, ItemIndex value);
uint16_t& keyFlags(SnapshotStore& store, ItemIndex key);
uint16_t& valueFlags(SnapshotStore& store, ItemIndex value);
// 0 when unknown or the key's block has no time table.
uint64_t keyLastWrite(SnapshotStore& store, ItemIndex key);
void setKeyLastWrite(SnapshotStore& store, ItemIndex key, uint64_t fileTime);
int32_t& baselineLink(SnapshotStore& store, ItemIndex value);
// Registry type of a value (bits 4-7 of its flags).
uint32_t valueType(const ValueRecord& value);
// Data length of a value: from its data entry when kept, from `data` otherwise.
int32_t valueDataLength(SnapshotStore& store, ItemIndex value);

// Name order: the registry's own name comparison (text/cp932.h), a prefix first.
inline int compareNames(const char* a, const char* b) { return cp932::compareNames(a, b); }
// Bucket of a name's entry in the name hash, over its bytes as stored. Nothing looks
// a name up through the hash (look-ups walk the sorted lists with compareNames), so
// two spellings of one name may lie in different buckets; the bucket is part of the
// file format and stays as it always was.
uint32_t nameHash12(const char* name, size_t length);
// CRC over the effective data (polynomial 0x1021, initial 0, augmented form).
uint16_t valueDigest16(const uint8_t* data, size_t length);
// The data length, except that REG_MULTI_SZ is cut after its terminating empty string.
uint32_t effectiveDataLength(const uint8_t* data, uint32_t length, uint32_t type);
// Display kind of kept data for a registry type (ENTRY_DATA_*).
int dataKindOfType(uint32_t type);

ItemIndex addKey(SnapshotStore& store, ItemIndex parent, ItemIndex hint, const char* name);
// Adds a value to `key` at its place in name order, after any values of an equal name.
ItemIndex addValue(SnapshotStore& store, ItemIndex key, const char* name);
// The same, searching the place from `hint`, a value of the same key (-1: none): one
// step when the hint is the value just before the place, as when values arrive in
// name order; a hint sorting after the name searches from the first value.
ItemIndex addValueAfter(SnapshotStore& store, ItemIndex key, ItemIndex hint, const char* name);
// Adds a value as the last of `key`'s list whatever its name; `last` is the key's last
// value (-1 or a stale one: it is looked for). For values met in creation order, n of
// them cost n steps instead of n*n/2; the caller brings the list back into name
// order with sortValueList before anything else reads it.
ItemIndex appendValue(SnapshotStore& store, ItemIndex key, ItemIndex last, const char* name);
// length 0 = measure the name.
ItemIndex internName(SnapshotStore& store, const char* text, size_t length);
ItemIndex storeValueData(SnapshotStore& store, const uint8_t* bytes, uint32_t length,
                         uint32_t type);
void freeDataEntry(SnapshotStore& store, ItemIndex entry);
// Gives a value its type, digest and data: kept whole (VF_DATA_KEPT) when `keepData`
// and the effective length is 1..131072, else length and digest only (VF_DIGEST_ONLY).
void assignValueData(SnapshotStore& store, ItemIndex value, const uint8_t* bytes, uint32_t length,
                     uint32_t type, bool keepData);
// Unlinks a key without children or values; returns its next sibling, or -1 and
// changes nothing when the parent records no children.
ItemIndex removeKey(SnapshotStore& store, ItemIndex key);
// Unlinks and frees a value with its name and kept data; returns the next value or -1.
ItemIndex removeValue(SnapshotStore& store, ItemIndex value);
// The same when the caller knows the owning key and the value before it in the list
// (-1: it is the first): one step instead of two walks of the list. Falls back to
// removeValue when `previous` does not link to `value`.
ItemIndex removeValueAfter(SnapshotStore& store, ItemIndex key, ItemIndex previous, ItemIndex value);
// Removes a key with all its values and subkeys; returns its next sibling.
ItemIndex removeGhostSubtree(SnapshotStore& store, ItemIndex key);

ItemIndex ownerKeyOfValue(SnapshotStore& store, ItemIndex value);
// First subkey (or value, returned with bit 31 set) of `key` (-1: the roots) whose name
// equals `name` case-insensitively; -1 when none.
ItemIndex findChild(SnapshotStore& store, ItemIndex key, const char* name, bool inValues);

// Display path of a key or (item with bit 31) value. mode: 0 key path; >0 value path
// with " : " and the value name ("(標準)" for the default value unless mode is 2);
// -1 one leading space; 2 and -2 keep grouping keys. Every key up to the root is named.
std::string buildItemPath(SnapshotStore& store, ItemIndex item, int mode);

struct ItemTotals {
  int32_t itemCount;
  int32_t byteCount;
};
// A size as a key record holds it: counts past the int32 range stay at its maximum.
inline int32_t clampToInt32(int64_t n) {
  return n > std::numeric_limits<int32_t>::max() ? std::numeric_limits<int32_t>::max()
                                                  : static_cast<int32_t>(n);
}
ItemTotals recomputeSizes(SnapshotStore& store, ItemIndex firstKey);

// Counting over all roots of a store.
int64_t countItems(SnapshotStore& store, int what);  // 0 keys, 1 values, 2 bytes
int64_t countState(SnapshotStore& store, int code);
int64_t countChangedItems(SnapshotStore& store, uint8_t summaryMask);
int64_t countControlledItems(SnapshotStore& store);
int64_t countMarkedLines(SnapshotStore& store);
int64_t countTreeLines(SnapshotStore& store, ItemIndex key, bool valuesShown);
// `excludeGhosts`: leave ghost keys and values out (the current store's counting).
int64_t countSubtreeKeys(SnapshotStore& store, ItemIndex key, bool excludeGhosts);
int64_t countSubtreeValues(SnapshotStore& store, ItemIndex key, bool excludeGhosts);

void recomputeSummary(SnapshotStore& store, ItemIndex key);  // -1: every root
void recomputeControlled(SnapshotStore& store);

// Told about each key whose control excludeChangedItems switches (the control rules
// record it as a user rule). Not owned; nullptr for none.
using ItemControlRecorder = void (*)(ItemIndex item, bool isValue);
void setItemControlRecorder(ItemControlRecorder recorder);
void excludeChangedItems(SnapshotStore& store, bool on);
// Ghost keys (7) become changed keys (5), also where 7 waits in savedState under an
// exclusion from checking; ghost values (11) become changed values (9).
void deletedToChanged(SnapshotStore& store);
void clearViewFlags(SnapshotStore& store, uint16_t mask);
void rememberHits(SnapshotStore& store);
void clearTreeItems(SnapshotStore& store);
void sortValueLists(SnapshotStore& store, ItemIndex firstKey);
// Stable sort of the value list of one key (a list that does not end at the key is
// left as it is); n log n name comparisons, none when the list is already in order.
void sortValueList(SnapshotStore& store, ItemIndex key);
// Stable re-sort of the subkey list of every key of the chain from `firstKey` and
// below (the chain itself, the roots in root-table order, stays as it is).
void sortKeyLists(SnapshotStore& store, ItemIndex firstKey);
void groupClassInfo(SnapshotStore& store);
void ungroupClassInfo(SnapshotStore& store);

// Numbers of the status line and the status dialog, taken after a read or compare.
struct StatusCounts {
  int64_t keys;
  int64_t values;
  int64_t bytes;
  int64_t autoCheckTargets;
  int64_t notRead;     // state 1
  int64_t notChecked;  // state 3
  int64_t hidden;      // state 2
  int64_t refused;     // state 4
  int64_t addedKeys;
  int64_t deletedKeys;
  int64_t changedValues;
  int64_t addedValues;
  int64_t deletedValues;
  int64_t controlled() const { return notRead + notChecked + hidden + refused; }
  int64_t changes() const {
    return addedKeys + deletedKeys + changedValues + addedValues + deletedValues;
  }
};
StatusCounts takeStatusCounts(SnapshotStore& store, bool keysOnly);
