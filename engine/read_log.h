// What the registry reader has read and not yet put into the store.
//
// Under Wine every registry call is a round trip to the wine server, after which the
// program's caches and TLB are cold: storing each key and value right after the call
// that read it costs several times what the same work costs in one warm stretch. So
// the reader's walk only appends what it reads to this log, one compact record per
// item, and the log is put into the store in batches (flush): when it has grown past
// kReadLogFlushBytes, and before anything looks at the store (an error report names
// an item by its path, the progress report lets the window paint, a root ends).
//
// The records follow the walk's nesting: a key's subkeys and values lie between its
// beginKey and its endKey. What the store side keeps of each open key (its item, its
// last child, its sizes so far, its last value) lives on between flushes, so a flush
// may fall anywhere between two records.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/snapshot_store.h"

constexpr size_t kReadLogFlushBytes = 256 * 1024;

class ReadLog {
 public:
  ReadLog(SnapshotStore& store, bool keepValueData);
  ReadLog(const ReadLog&) = delete;
  ReadLog& operator=(const ReadLog&) = delete;

  // Keys. `root` is the record of a root key (it exists already and `name` is not
  // used), or kNoItem for a new subkey `name` of the innermost open key. `word` is the
  // key's control word from the rules (engine/registry_reader.h), `state` a state it is
  // kept in whatever the rules say (0: none).
  // A key whose subkeys and values follow, up to its endKey:
  void beginKey(ItemIndex root, const char* name, uint16_t word, uint64_t lastWrite);
  // A key finished as soon as it is met, without subkeys or values:
  void keyOnly(ItemIndex root, const char* name, uint8_t state, uint16_t word);
  // Ends the innermost open key: its values are put in name order, its sizes set.
  void endKey();

  // Values of the innermost open key, in the order the registry gives them.
  void value(const char* name, uint32_t type, const uint8_t* data, uint32_t length, uint16_t word);
  void refusedValue(const char* name);  // there, but could not be read

  bool wantsFlush() const { return used_ >= kReadLogFlushBytes; }
  // Puts everything logged into the store. After it, every key logged is an item:
  void flush();
  ItemIndex innermostKey() const { return open_.empty() ? kNoItem : open_.back().key; }
  ItemIndex lastKey() const { return lastKey_; }  // the one the last key record made

 private:
  struct Record;
  struct OpenKey {
    ItemIndex key;
    ItemIndex lastChild;  // the sibling hint for the next subkey
    ItemIndex lastValue;
    bool valuesInOrder;
    int64_t items;  // what its subkeys and values stored so far count for its sizes
    int64_t bytes;
  };

  // Bytes a record takes in the log, padding included.
  static size_t recordBytes(uint32_t nameLength, uint32_t dataLength);
  void append(const Record& record, const char* name, const uint8_t* data, uint32_t length);
  ItemIndex storeKey(const Record& record, const char* name);
  void storeValue(const Record& record, const char* name, const uint8_t* data);
  void storeEnd();
  void countInParent(ItemIndex key);

  SnapshotStore& store_;
  bool keepValueData_;
  std::unique_ptr<uint8_t[]> bytes_;
  size_t capacity_ = 0;
  size_t used_ = 0;
  std::vector<OpenKey> open_;
  ItemIndex lastKey_ = kNoItem;
};
