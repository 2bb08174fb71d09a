// On-disk layout of snapshot files (.rsv snapshots and .rsa auto-check data).
//
// A snapshot file is an image of one snapshot store's arrays, little-endian, without
// padding:
//
//   header          104 bytes (SnapshotFileHeader; files of the oldest layout have
//                   only its first 24 bytes, recognised by a kind word that is
//                   neither 1 nor 2)
//   keys            K KeyRecords of 48 bytes (44 bytes, OldKeyRecord, in version 0x1102)
//   values          V ValueRecords of 20 bytes
//   name hash       4096 bucket heads (i32)
//   entries         E DataEntries of 16 bytes
//   pool table      P SavedPoolDescriptors of 12 bytes
//   pool data       pools 0 .. P-2 whole (262,144 bytes each), then the used part of
//                   the last pool (262,144 - its `remaining` bytes)
//
// The key, value and entry records have the store's in-memory layout (their structs
// assert it), with two exceptions: tree-item handles are meaningless outside the
// running program, and a data entry's `text` is a 32-bit address in the file where
// the store keeps an offset into the entry's pool. The address is the saved `base` of
// the entry's pool (from the pool table) plus the offset. The address is kept 32 bits
// wide on every build so that 32-bit and 64-bit builds read each other's files; a
// writer may choose any pool bases (ours give pool p the base kSavedPoolOrigin +
// p * 0x40000, a plausible 32-bit address), so loaders must always relocate through
// the pool table and never trust an address on its own.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/snapshot_store.h"

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__,
              "snapshot files are little-endian images of the store's records");

constexpr uint16_t FILE_VERSION_CURRENT = 0x1201;
// Older layout: key records of 44 bytes with 16-bit child and value counts.
constexpr uint16_t FILE_VERSION_OLD = 0x1102;
constexpr uint32_t FILE_MAGIC = 0x19490706;

enum SnapshotFileKind : uint16_t {
  SNAPSHOT_KIND_SNAPSHOT = 1,   // .rsv
  SNAPSHOT_KIND_AUTOCHECK = 2,  // .rsa
};

constexpr size_t kFileHeaderBytes = 104;
// Header of the oldest files: the fields up to `poolBytes`.
constexpr size_t kOldFileHeaderBytes = 24;
constexpr size_t kFileKeyRecordBytes = 48;
constexpr size_t kOldFileKeyRecordBytes = 44;
constexpr size_t kFileValueRecordBytes = 20;
constexpr size_t kFileNameHashBytes = 4 * kNameHashBuckets;
constexpr size_t kFileEntryBytes = 16;
constexpr size_t kFilePoolDescriptorBytes = 12;

// Address given to pool p in files written by this program: kSavedPoolOrigin +
// p * kPoolBytes. All 1024 pools stay below 0x20000000, inside the lower 2 GiB a
// 32-bit process addresses.
constexpr uint32_t kSavedPoolOrigin = 0x10000000u;

struct SnapshotFileHeader {
  uint16_t version;
  uint16_t kind;
  int32_t keyCount;
  int32_t valueCount;
  int32_t entryCount;
  int32_t poolCount;
  int32_t poolBytes;  // P * 262,144 - remaining of the last pool; informational
  // Fields below are taken as zero when `magic` is not FILE_MAGIC.
  uint32_t magic;
  int32_t groupingFlag;  // 1: class-info grouping was on when the file was saved
  int32_t keyFreeHead;   // 0 or below: empty
  int32_t valueFreeHead;
  int32_t entryFreeHead;
  uint8_t reserved[60];
};
static_assert(sizeof(SnapshotFileHeader) == kFileHeaderBytes, "the header is 104 bytes");
static_assert(offsetof(SnapshotFileHeader, kind) == 0x02 &&
                  offsetof(SnapshotFileHeader, keyCount) == 0x04 &&
                  offsetof(SnapshotFileHeader, valueCount) == 0x08 &&
                  offsetof(SnapshotFileHeader, entryCount) == 0x0C &&
                  offsetof(SnapshotFileHeader, poolCount) == 0x10 &&
                  offsetof(SnapshotFileHeader, poolBytes) == 0x14 &&
                  offsetof(SnapshotFileHeader, magic) == kOldFileHeaderBytes &&
                  offsetof(SnapshotFileHeader, groupingFlag) == 0x1C &&
                  offsetof(SnapshotFileHeader, keyFreeHead) == 0x20 &&
                  offsetof(SnapshotFileHeader, valueFreeHead) == 0x24 &&
                  offsetof(SnapshotFileHeader, entryFreeHead) == 0x28 &&
                  offsetof(SnapshotFileHeader, reserved) == 0x2C,
              "header field offsets");

// Key record of version 0x1102 files.
struct OldKeyRecord {
  uint8_t depth;
  uint8_t state;
  uint8_t summary;
  uint8_t savedState;
  int32_t parent;
  int32_t prevSibling;
  int32_t nextSibling;
  int32_t firstChild;
  int32_t firstValue;
  int32_t name;
  uint16_t childCount;
  uint16_t valueCount;
  int32_t itemCount;
  int32_t byteCount;
  uint32_t treeItem;
};
static_assert(sizeof(OldKeyRecord) == kOldFileKeyRecordBytes, "old key records are 44 bytes");
static_assert(offsetof(OldKeyRecord, name) == 24 && offsetof(OldKeyRecord, childCount) == 28 &&
                  offsetof(OldKeyRecord, valueCount) == 30 &&
                  offsetof(OldKeyRecord, itemCount) == 32 &&
                  offsetof(OldKeyRecord, byteCount) == 36 && offsetof(OldKeyRecord, treeItem) == 40,
              "old key record field offsets");

// The current layouts are the store's records themselves.
static_assert(sizeof(KeyRecord) == kFileKeyRecordBytes, "key records are 48 bytes");
static_assert(sizeof(ValueRecord) == kFileValueRecordBytes, "value records are 20 bytes");
static_assert(sizeof(DataEntry) == kFileEntryBytes, "data entries are 16 bytes");

struct SavedPoolDescriptor {
  uint32_t base;    // address of the pool in the saving program
  uint32_t cursor;  // base + used bytes; replaced on loading
  int32_t remaining;
};
static_assert(sizeof(SavedPoolDescriptor) == kFilePoolDescriptorBytes,
              "pool descriptors are 12 bytes");
static_assert(offsetof(SavedPoolDescriptor, cursor) == 4 &&
                  offsetof(SavedPoolDescriptor, remaining) == 8,
              "pool descriptor field offsets");

// Bit 4 of a data entry's first byte is spare and always written as 0.
constexpr uint8_t kEntrySpareBit = 0x10;

inline uint32_t savedPoolBase(int pool) {
  return kSavedPoolOrigin + static_cast<uint32_t>(pool) * static_cast<uint32_t>(kPoolBytes);
}
