// Writing a snapshot store as a snapshot file.
//
// Records go out block by block through one staging buffer, because each needs a
// small change on the way: tree-item handles are written as 0 (they name windows of
// this run only, and leaving them out makes a file depend on nothing but the
// snapshot), and a data entry's pool offset becomes the 32-bit address of its text
// under the pool bases this writer assigns (kSavedPoolOrigin + pool * 0x40000).
// Pool contents are written straight from the pools.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <ostream>
#include <string>
#include <vector>

#include "engine/snapshot_file.h"
#include "platform/files.h"

namespace {

int blocksFor(int32_t count) { return (count + kSlotsPerBlock - 1) / kSlotsPerBlock; }

int32_t recordsInBlock(int32_t count, int block) {
  return std::min<int32_t>(kSlotsPerBlock, count - block * kSlotsPerBlock);
}

class SnapshotWriter {
 public:
  SnapshotWriter(std::ostream& out, SnapshotStore& store) : out_(out), store_(store) {}

  bool write(int kind, bool grouped) {
    writeHeader(kind, grouped);
    writeRecords(store_.keyBlocks, store_.counts.keyCount);
    writeRecords(store_.valueBlocks, store_.counts.valueCount);
    writeNameHash();
    writeEntries();
    writePoolTable();
    writePoolData();
    return static_cast<bool>(out_);
  }

 private:
  void put(const void* bytes, size_t size) {
    if (size > 0 && out_)
      out_.write(static_cast<const char*>(bytes), static_cast<std::streamsize>(size));
  }

  // Remaining bytes of the last pool; a store without pools has none.
  int32_t lastRemaining() const {
    const int32_t pools = store_.counts.poolCount;
    return pools > 0 ? store_.pools[pools - 1].remaining : 0;
  }

  void writeHeader(int kind, bool grouped) {
    SnapshotFileHeader header;
    std::memset(&header, 0, sizeof header);
    const StoreCounts& counts = store_.counts;
    header.version = FILE_VERSION_CURRENT;
    header.kind = static_cast<uint16_t>(kind);
    header.keyCount = counts.keyCount;
    header.valueCount = counts.valueCount;
    header.entryCount = counts.entryCount;
    header.poolCount = counts.poolCount;
    header.poolBytes = counts.poolCount > 0 ? counts.poolCount * kPoolBytes - lastRemaining() : 0;
    header.magic = FILE_MAGIC;
    header.groupingFlag = grouped ? 1 : 0;
    header.keyFreeHead = counts.keyFreeHead;
    header.valueFreeHead = counts.valueFreeHead;
    header.entryFreeHead = counts.entryFreeHead;
    put(&header, sizeof header);
  }

  // Copies the records of one block into the staging buffer (zeros where a block is
  // missing, which a sound store never has below its counts) and returns them.
  template <class Record>
  Record* stage(Record* const* blocks, int32_t count, int block) {
    const size_t bytes = sizeof(Record) * static_cast<size_t>(recordsInBlock(count, block));
    buffer_.resize(bytes);
    if (blocks[block] != nullptr) {
      std::memcpy(buffer_.data(), blocks[block], bytes);
    } else {
      std::fill(buffer_.begin(), buffer_.end(), '\0');
    }
    return reinterpret_cast<Record*>(buffer_.data());
  }

  // Key and value records as they are, except the tree-item slots, which mean
  // nothing outside this run of the program.
  template <typename Record>
  void writeRecords(Record* const* blocks, int32_t count) {
    for (int block = 0; block < blocksFor(count); ++block) {
      Record* records = stage(blocks, count, block);
      const int32_t n = recordsInBlock(count, block);
      for (int32_t i = 0; i < n; ++i) records[i].treeItem = 0;
      put(records, sizeof(Record) * static_cast<size_t>(n));
    }
  }

  void writeNameHash() {
    if (store_.nameHash != nullptr) {
      put(store_.nameHash, kFileNameHashBytes);
      return;
    }
    const std::vector<int32_t> empty(kNameHashBuckets, kNoItem);
    put(empty.data(), kFileNameHashBytes);
  }

  void writeEntries() {
    const int32_t count = store_.counts.entryCount;
    for (int block = 0; block < blocksFor(count); ++block) {
      DataEntry* entries = stage(store_.entryBlocks, count, block);
      const int32_t n = recordsInBlock(count, block);
      for (int32_t i = 0; i < n; ++i) {
        DataEntry& e = entries[i];
        e.kindAndPoolHigh = static_cast<uint8_t>(e.kindAndPoolHigh & ~kEntrySpareBit);
        e.text = savedPoolBase(entryPool(e)) + e.text;
      }
      put(entries, sizeof(DataEntry) * static_cast<size_t>(n));
    }
  }

  void writePoolTable() {
    for (int pool = 0; pool < store_.counts.poolCount; ++pool) {
      const DataPool& p = store_.pools[pool];
      SavedPoolDescriptor descriptor;
      descriptor.base = savedPoolBase(pool);
      descriptor.remaining = p.base != nullptr ? p.remaining : kPoolBytes;
      descriptor.cursor =
          descriptor.base + static_cast<uint32_t>(kPoolBytes - descriptor.remaining);
      put(&descriptor, sizeof descriptor);
    }
  }

  void writePoolData() {
    const int32_t pools = store_.counts.poolCount;
    for (int pool = 0; pool < pools; ++pool) {
      const DataPool& p = store_.pools[pool];
      const int32_t remaining = p.base != nullptr ? p.remaining : kPoolBytes;
      const size_t bytes =
          static_cast<size_t>(pool + 1 < pools ? kPoolBytes : kPoolBytes - remaining);
      if (p.base != nullptr) {
        put(p.base, bytes);
      } else {
        const std::vector<char> zeros(bytes, '\0');
        put(zeros.data(), bytes);
      }
    }
  }

  std::ostream& out_;
  SnapshotStore& store_;
  std::vector<char> buffer_;
};

}  // namespace

bool writeSnapshotImage(std::ostream& out, SnapshotStore& store, int kind, bool grouped) {
  if (kind != SNAPSHOT_KIND_SNAPSHOT && kind != SNAPSHOT_KIND_AUTOCHECK) return false;
  SnapshotWriter writer(out, store);
  return writer.write(kind, grouped);
}

bool writeSnapshotFile(const char* path, int kind, const SnapshotFileOptions& options) {
  if (path == nullptr || path[0] == '\0') return false;
  if (kind != SNAPSHOT_KIND_SNAPSHOT && kind != SNAPSHOT_KIND_AUTOCHECK) return false;
  const std::string temporary = std::string(path) + ".tmp";
  bool written;
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    written = writeSnapshotImage(out, currentStore(), kind, options.classInfoGrouping);
    out.close();
    written = written && !out.fail();
  }
  if (written && platform::replaceFile(temporary.c_str(), path)) return true;
  std::remove(temporary.c_str());
  return false;
}
