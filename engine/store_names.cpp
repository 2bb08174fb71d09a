// Names and value data of the snapshot store: the name order, the name hash, the data
// digest, data entries with their free list, and the pools that hold the bytes.

#include <cstring>

#include "engine/memory_pool.h"
#include "engine/snapshot_store.h"
#include "engine/store_blocks.h"

using namespace store_detail;

namespace {

// A freed name entry is reused only when its buffer fits the new name exactly. Only
// the head of the free list is searched: freed data entries are never reused for
// names and could otherwise make every new name walk a long list.
constexpr int kFreeEntrySearchLimit = 64;

// Names take room in the first of the last few pools that has enough, so that short
// names fill the tail a pool was left with (for instance when a large datum moved on to
// a new pool). Searching every pool from the first would make each name cost the
// number of pools, and a large read quadratic; older pools keep at most a few bytes.
constexpr int kNameBackfillPools = 8;

struct CrcTable {
  uint16_t entry[256];
  constexpr CrcTable() : entry() {
    for (int i = 0; i < 256; ++i) {
      uint32_t crc = static_cast<uint32_t>(i) << 8;
      for (int bit = 0; bit < 8; ++bit) crc = (crc & 0x8000) ? (crc << 1) ^ 0x1021 : crc << 1;
      entry[i] = static_cast<uint16_t>(crc);
    }
  }
};
constexpr CrcTable kCrc;

// The digest four data bytes at a time. Each byte step is linear in the digest and the
// byte, so four steps fold into one: the digest's two bytes and the first two data bytes
// each look up their share of the result, and the last two data bytes enter as they are.
// `pairs[h]`: what a high byte h of the digest becomes after two steps (the first data
// byte is one two steps before the end, the second a low byte: `kCrc.entry`);
// `high`/`low`: what the digest's high and low byte become after four steps.
struct Crc4Tables {
  uint16_t pairs[256];
  uint16_t high[256];
  uint16_t low[256];
  constexpr Crc4Tables() : pairs(), high(), low() {
    for (int h = 0; h < 256; ++h) {
      const uint16_t once = kCrc.entry[h];
      pairs[h] = static_cast<uint16_t>(((once & 0xFF) << 8) ^ kCrc.entry[once >> 8]);
    }
    for (int b = 0; b < 256; ++b) {
      high[b] = twoSteps(pairs[b]);
      low[b] = twoSteps(kCrc.entry[b]);
    }
  }
  constexpr uint16_t twoSteps(uint16_t digest) const {
    return static_cast<uint16_t>(pairs[digest >> 8] ^ kCrc.entry[digest & 0xFF]);
  }
};
constexpr Crc4Tables kCrc4;

bool isNameKind(int kind) {
  return kind == ENTRY_KEY_NAME || kind == ENTRY_VALUE_NAME || kind == ENTRY_NEW_NAME;
}

// Takes the first exactly fitting freed entry among the head of the free list, or -1.
ItemIndex takeFittingFreeEntry(SnapshotStore& store, int32_t capacity) {
  ItemIndex previous = kNoItem;
  ItemIndex at = store.counts.entryFreeHead;
  for (int seen = 0; at >= 0 && seen < kFreeEntrySearchLimit; ++seen) {
    DataEntry& entry = dataEntry(store, at);
    if (entry.chainOrLength == capacity) {
      if (previous >= 0) {
        dataEntry(store, previous).owner = entry.owner;
      } else {
        store.counts.entryFreeHead = entry.owner;
      }
      return at;
    }
    previous = at;
    at = entry.owner;
  }
  return kNoItem;
}

// Unlinks a name entry from its hash bucket; a damaged chain is left as it is.
void unlinkFromNameHash(SnapshotStore& store, ItemIndex entry, const DataEntry& e) {
  int32_t* link = &store.nameHash[e.hashOrType & (kNameHashBuckets - 1)];
  for (int32_t steps = 0; *link >= 0 && steps <= store.counts.entryCount; ++steps) {
    if (*link == entry) {
      *link = e.chainOrLength;
      return;
    }
    link = &dataEntry(store, *link).chainOrLength;
  }
}

}  // namespace

namespace store_detail {

void ensureEntryBlock(SnapshotStore& store, ItemIndex entry) {
  const int b = blockOf(entry);
  if (b >= kMaxEntryBlocks) stopAtCapacityLimit(CapacityLimit::kItemCount);
  if (store.entryBlocks[b]) return;
  const bool shared = sharesWithTwin(store);
  store.entryBlocks[b] = reinterpret_cast<DataEntry*>(allocStoreBlock(kEntryBlockBytes));
  if (store.counts.entryBlockCount < b + 1) store.counts.entryBlockCount = b + 1;
  if (shared) {
    store.twin->entryBlocks[b] = store.entryBlocks[b];
    store.twin->counts = store.counts;
  }
}

int poolWithRoom(SnapshotStore& store, int firstPool, uint32_t bytes) {
  for (int p = firstPool;; ++p) {
    if (p >= kMaxPools) stopAtCapacityLimit(CapacityLimit::kDataSize);
    DataPool& pool = store.pools[p];
    if (!pool.base) {
      pool.base = allocStoreBlock(static_cast<size_t>(kPoolBytes));
      pool.used = 0;
      pool.remaining = kPoolBytes;
      if (store.counts.poolCount < p + 1) store.counts.poolCount = p + 1;
      mirrorPool(store, p);
      mirrorCounts(store);
    }
    if (static_cast<uint32_t>(pool.remaining) >= bytes) return p;
  }
}

uint32_t takePoolSpace(SnapshotStore& store, int pool, uint32_t bytes) {
  DataPool& p = store.pools[pool];
  const uint32_t offset = static_cast<uint32_t>(p.used);
  p.used += static_cast<int32_t>(bytes);
  p.remaining -= static_cast<int32_t>(bytes);
  mirrorPool(store, pool);
  return offset;
}

}  // namespace store_detail

void setEntryKind(DataEntry& e, int kind) {
  e.kindAndPoolHigh = static_cast<uint8_t>((e.kindAndPoolHigh & 0xE0) | (kind & 0x0F));
}

void setEntryPool(DataEntry& e, int pool) {
  e.poolLow = static_cast<uint8_t>(pool & 0xFF);
  e.kindAndPoolHigh =
      static_cast<uint8_t>((e.kindAndPoolHigh & 0x0F) | (((pool >> 8) & 0x07) << 5));
}

uint32_t nameHash12(const char* name, size_t length) {
  uint32_t hash = 0;
  int shift = 0;
  for (size_t i = 0; i < length; ++i) {
    hash ^= static_cast<uint32_t>(static_cast<unsigned char>(name[i])) << shift;
    if (++shift > 6) shift = 0;
  }
  return hash & 0xFFF;
}

uint16_t valueDigest16(const uint8_t* data, size_t length) {
  uint32_t crc = 0;
  size_t i = 0;
  for (; i + 4 <= length; i += 4) {
    crc = kCrc4.high[crc >> 8] ^ kCrc4.low[crc & 0xFF] ^ kCrc4.pairs[data[i]] ^
          kCrc.entry[data[i + 1]] ^ (static_cast<uint32_t>(data[i + 2]) << 8) ^ data[i + 3];
  }
  for (; i < length; ++i) {
    crc = ((crc << 8) & 0xFFFF) ^ kCrc.entry[crc >> 8] ^ data[i];
  }
  return static_cast<uint16_t>(crc);
}

uint32_t effectiveDataLength(const uint8_t* data, uint32_t length, uint32_t type) {
  if (type != kRegMultiSz || !data) return length;
  // The list ends with its first empty string; the NUL of that string is the last
  // byte that counts. Unterminated or short data counts whole.
  uint32_t at = 0;
  while (at < length) {
    if (data[at] == 0) return at + 1;
    const void* nul = std::memchr(data + at, 0, length - at);
    if (!nul) return length;
    at = static_cast<uint32_t>(static_cast<const uint8_t*>(nul) - data) + 1;
  }
  return length;
}

int dataKindOfType(uint32_t type) {
  switch (type) {
    case kRegSz:
    case kRegExpandSz:
      return ENTRY_DATA_STRING;
    case kRegMultiSz:
      return ENTRY_DATA_MULTI;
    case kRegDword:
      return ENTRY_DATA_DWORD;
    default:
      return ENTRY_DATA_OTHER;
  }
}

ItemIndex internName(SnapshotStore& store, const char* text, size_t length) {
  if (!text) text = "";
  if (length == 0) length = std::strlen(text);
  if (length >= static_cast<size_t>(kPoolBytes)) length = static_cast<size_t>(kPoolBytes) - 1;
  const uint32_t size = static_cast<uint32_t>(length) + 1;
  const uint32_t hash = nameHash12(text, length);

  ItemIndex entry = takeFittingFreeEntry(store, static_cast<int32_t>(size));
  char* buffer;
  if (entry >= 0) {
    buffer = const_cast<char*>(textAt(store, entry));
  } else {
    // Room first, then the index: both may end the program, neither changes a list.
    entry = store.counts.entryCount;
    ensureEntryBlock(store, entry);
    const int firstPool = store.counts.poolCount > kNameBackfillPools
                              ? store.counts.poolCount - kNameBackfillPools
                              : 0;
    const int pool = poolWithRoom(store, firstPool, size);
    ++store.counts.entryCount;
    DataEntry& fresh = dataEntry(store, entry);
    fresh = DataEntry{};
    setEntryPool(fresh, pool);
    fresh.text = takePoolSpace(store, pool, size);
    buffer = store.pools[pool].base + fresh.text;
  }
  std::memcpy(buffer, text, length);
  buffer[length] = 0;

  DataEntry& e = dataEntry(store, entry);
  setEntryKind(e, ENTRY_NEW_NAME);
  e.hashOrType = static_cast<uint16_t>(hash);
  e.owner = kNoItem;
  e.chainOrLength = store.nameHash[hash];
  store.nameHash[hash] = entry;
  mirrorCounts(store);
  return entry;
}

ItemIndex storeValueData(SnapshotStore& store, const uint8_t* bytes, uint32_t length,
                         uint32_t type) {
  // Data and its 0 byte must fit one pool; longer data cannot be kept whole.
  if (length >= static_cast<uint32_t>(kPoolBytes) || (!bytes && length > 0)) return kNoItem;
  const uint32_t size = length + 1;
  const ItemIndex entry = store.counts.entryCount;
  ensureEntryBlock(store, entry);
  const int pool = poolWithRoom(store, store.counts.poolCount > 0 ? store.counts.poolCount - 1 : 0,
                                size);
  ++store.counts.entryCount;
  DataEntry& e = dataEntry(store, entry);
  e = DataEntry{};
  setEntryKind(e, dataKindOfType(type));
  setEntryPool(e, pool);
  e.hashOrType = static_cast<uint16_t>(type);
  e.chainOrLength = static_cast<int32_t>(length);
  e.owner = kNoItem;
  e.text = takePoolSpace(store, pool, size);
  char* buffer = store.pools[pool].base + e.text;
  if (length > 0) std::memcpy(buffer, bytes, length);
  buffer[length] = 0;
  mirrorCounts(store);
  return entry;
}

void freeDataEntry(SnapshotStore& store, ItemIndex entry) {
  if (entry < 0 || entry >= store.counts.entryCount) return;
  DataEntry& e = dataEntry(store, entry);
  const int kind = entryKind(e);
  if (kind == ENTRY_FREE) return;  // already on the free list
  if (isNameKind(kind)) {
    unlinkFromNameHash(store, entry, e);
    // A name's buffer holds the name and its 0 byte: that is its capacity.
    e.chainOrLength = static_cast<int32_t>(std::strlen(textAt(store, entry)) + 1);
  }
  setEntryKind(e, ENTRY_FREE);
  e.owner = store.counts.entryFreeHead;
  store.counts.entryFreeHead = entry;
  mirrorCounts(store);
}

void assignValueData(SnapshotStore& store, ItemIndex value, const uint8_t* bytes, uint32_t length,
                     uint32_t type, bool keepData) {
  if (!bytes) length = 0;
  const uint32_t effective = effectiveDataLength(bytes, length, type);
  ValueRecord& record = valueRecord(store, value);
  if (record.flags & VF_DATA_KEPT) freeDataEntry(store, record.data);

  const uint32_t storedType = type <= 15 ? type : 0;
  uint8_t flags = static_cast<uint8_t>((record.flags & VF_LAST) | (storedType << kValueTypeShift));
  record.digest = valueDigest16(bytes, effective);
  ItemIndex entry = kNoItem;
  if (keepData && effective >= 1 && effective <= kMaxKeptDataBytes) {
    entry = storeValueData(store, bytes, effective, type);
  }
  if (entry >= 0) {
    dataEntry(store, entry).owner = value;
    flags |= VF_DATA_KEPT;
    record.data = entry;
  } else {
    flags |= VF_DIGEST_ONLY;
    record.data = static_cast<int32_t>(effective);
  }
  record.flags = flags;
}
