// Loading snapshot files into the baseline store or the current store.
//
// Both loaders read the same way: the header (with the rules for files without
// magic and for the oldest 24-byte header), the version question, then the sections
// straight into freshly allocated blocks, one read per block of 4096 records and one
// per pool. Before any block is allocated the counts are checked against the block
// tables and against the bytes the file really has, so a damaged header cannot make
// the loader allocate more than the file could fill. The snapshot is then relocated
// and checked as a whole (snapshot_file_checks.cpp) before the stores use it.
#include <algorithm>
#include <cstring>
#include <fstream>
#include <istream>
#include <streambuf>
#include <vector>

#include "engine/snapshot_file.h"
#include "engine/snapshot_file_checks.h"
#include "engine/store_loading.h"
#include "platform/message_box.h"
#include "text/cp932.h"

namespace {

const char kVersionCaption[] = "基準ファイルを開く";
const char kLoadErrorCaption[] = "ファイル読み込みエラー";
const char kTooLargeText[] = "読み込めない大きさのファイルです。";
const char kBaselineFailureText[] = "基準ファイルを読み込むことが出来ませんでした。";
const char kComparisonFailureText[] = "比較対象ファイルを読み込むことが出来ませんでした。";
const char kOldVersionQuestion[] =
    "古いバージョンのプログラムで保存したファイルです。\n"
    "32ビット版と64ビット版の間では互換性が無いため、プログラムが異常終了する危険があります。\n"
    "それでも読み込みますか？";
const char kOtherVersionQuestion[] =
    "バージョンが異なるか、或いはビットサイズの異なるプログラムで保存したファイルです。\n"
    "プログラムが異常終了する危険がありますが、それでも読み込みますか？";
const char kComparisonVersionQuestion[] =
    "バージョンの異なるプログラムで保存したファイルです。\n"
    "バージョンアップのお知らせで制限していなければ、読むことが出来ます。\n"
    "読み込みますか？";

constexpr int64_t kMaxKeys = static_cast<int64_t>(kMaxKeyBlocks) * kSlotsPerBlock;
constexpr int64_t kMaxValues = static_cast<int64_t>(kMaxValueBlocks) * kSlotsPerBlock;
constexpr int64_t kMaxEntries = static_cast<int64_t>(kMaxEntryBlocks) * kSlotsPerBlock;

enum class LoadStatus {
  kLoaded,
  kCancelled,  // the version question was answered with Cancel
  kDamaged,    // short, inconsistent or unsafe contents
  kTooLarge,   // beyond the block tables, or more than memory holds
};

enum class LoadSide { kBaseline, kComparison };

// A stream of known length. Reads never go past the length, so every size check
// against `left` holds for what follows.
class FileInput {
 public:
  FileInput(std::istream& in, uint64_t size) : in_(in), left_(size) {}

  uint64_t left() const { return left_; }

  bool read(void* into, size_t bytes) {
    if (bytes > left_) return false;
    if (bytes == 0) return true;
    in_.read(static_cast<char*>(into), static_cast<std::streamsize>(bytes));
    if (static_cast<size_t>(in_.gcount()) != bytes) return false;
    left_ -= bytes;
    return true;
  }

 private:
  std::istream& in_;
  uint64_t left_;
};

// A read-only stream buffer over bytes in memory.
class MemoryBuffer : public std::streambuf {
 public:
  MemoryBuffer(const void* bytes, size_t size) {
    char* begin = const_cast<char*>(static_cast<const char*>(bytes));
    setg(begin, begin, begin + size);
  }
};

// What the header says, after the magic and old-header rules.
struct FileLayout {
  uint16_t version = 0;
  uint16_t kind = 0;  // 0 for the oldest header
  bool oldKeys = false;
  int32_t keyCount = 0;
  int32_t valueCount = 0;
  int32_t entryCount = 0;
  int32_t poolCount = 0;
  bool grouped = false;
  int32_t keyFreeHead = kNoItem;
  int32_t valueFreeHead = kNoItem;
  int32_t entryFreeHead = kNoItem;
};

int32_t freeHeadOf(int32_t stored) { return stored > 0 ? stored : kNoItem; }

LoadStatus readHeader(FileInput& input, FileLayout& layout) {
  SnapshotFileHeader header;
  std::memset(&header, 0, sizeof header);
  if (!input.read(&header, kOldFileHeaderBytes)) return LoadStatus::kDamaged;
  const bool oldHeader =
      header.kind != SNAPSHOT_KIND_SNAPSHOT && header.kind != SNAPSHOT_KIND_AUTOCHECK;
  if (!oldHeader) {
    // The rest of the 104 bytes; without the magic it counts as zero.
    if (!input.read(reinterpret_cast<char*>(&header) + kOldFileHeaderBytes,
                    kFileHeaderBytes - kOldFileHeaderBytes)) {
      return LoadStatus::kDamaged;
    }
    if (header.magic != FILE_MAGIC) {
      std::memset(reinterpret_cast<char*>(&header) + kOldFileHeaderBytes, 0,
                  kFileHeaderBytes - kOldFileHeaderBytes);
    }
  }
  layout.version = header.version;
  layout.kind = oldHeader ? 0 : header.kind;
  layout.keyCount = header.keyCount;
  layout.valueCount = header.valueCount;
  layout.entryCount = header.entryCount;
  layout.poolCount = header.poolCount;
  layout.grouped = header.groupingFlag != 0;
  layout.keyFreeHead = freeHeadOf(header.keyFreeHead);
  layout.valueFreeHead = freeHeadOf(header.valueFreeHead);
  layout.entryFreeHead = freeHeadOf(header.entryFreeHead);
  return LoadStatus::kLoaded;
}

bool askToLoad(const char* question) {
  return platform::showMessage(question, kVersionCaption,
                               platform::kMsgOkCancel | platform::kMsgIconWarning) ==
         platform::kAnswerOk;
}

// The version question. Files of the older layout are widened by both loaders: read
// with the current layout they could only be refused.
LoadStatus settleVersion(FileLayout& layout, LoadSide side) {
  if (layout.version == FILE_VERSION_CURRENT) return LoadStatus::kLoaded;
  const char* question;
  if (side == LoadSide::kComparison) {
    question = kComparisonVersionQuestion;
  } else {
    question = layout.version == FILE_VERSION_OLD ? kOldVersionQuestion : kOtherVersionQuestion;
  }
  if (!askToLoad(question)) return LoadStatus::kCancelled;
  layout.oldKeys = layout.version == FILE_VERSION_OLD;
  return LoadStatus::kLoaded;
}

// Counts against the block tables, then against the bytes the file holds: every
// section but the pool data has a size fixed by the counts.
LoadStatus checkCounts(const FileLayout& layout, uint64_t bytesLeft) {
  if (layout.keyCount < 0 || layout.valueCount < 0 || layout.entryCount < 0 ||
      layout.poolCount < 0) {
    return LoadStatus::kDamaged;
  }
  if (layout.keyCount > kMaxKeys || layout.valueCount > kMaxValues ||
      layout.entryCount > kMaxEntries || layout.poolCount > kMaxPools) {
    return LoadStatus::kTooLarge;
  }
  if (layout.keyCount < kRootKeyCount) return LoadStatus::kDamaged;
  const uint64_t keyBytes = layout.oldKeys ? kOldFileKeyRecordBytes : kFileKeyRecordBytes;
  const uint64_t sections = keyBytes * static_cast<uint64_t>(layout.keyCount) +
                            kFileValueRecordBytes * static_cast<uint64_t>(layout.valueCount) +
                            kFileNameHashBytes +
                            kFileEntryBytes * static_cast<uint64_t>(layout.entryCount) +
                            kFilePoolDescriptorBytes * static_cast<uint64_t>(layout.poolCount);
  return sections <= bytesLeft ? LoadStatus::kLoaded : LoadStatus::kDamaged;
}

int blocksFor(int32_t count) { return (count + kSlotsPerBlock - 1) / kSlotsPerBlock; }

size_t recordsInBlock(int32_t count, int block) {
  return static_cast<size_t>(std::min<int32_t>(kSlotsPerBlock, count - block * kSlotsPerBlock));
}

// Reads the file's sections into `store`, which is empty and shares nothing.
class SectionReader {
 public:
  SectionReader(FileInput& input, const FileLayout& layout, SnapshotStore& store)
      : input_(input), layout_(layout), store_(store) {}

  LoadStatus read() {
    LoadStatus status = readKeys();
    if (status == LoadStatus::kLoaded) status = readValues();
    if (status == LoadStatus::kLoaded) status = readNameHash();
    if (status == LoadStatus::kLoaded) status = readEntries();
    if (status == LoadStatus::kLoaded) status = readPools();
    if (status != LoadStatus::kLoaded) return status;
    StoreCounts& counts = store_.counts;
    counts.keyCount = layout_.keyCount;
    counts.valueCount = layout_.valueCount;
    counts.entryCount = layout_.entryCount;
    counts.keyFreeHead = layout_.keyFreeHead;
    counts.valueFreeHead = layout_.valueFreeHead;
    counts.entryFreeHead = layout_.entryFreeHead;
    return checkLoadedSnapshot(store_, savedPools_.data()) ? LoadStatus::kLoaded
                                                           : LoadStatus::kDamaged;
  }

 private:
  LoadStatus readKeys() {
    const int32_t count = layout_.keyCount;
    for (int block = 0; block < blocksFor(count); ++block) {
      KeyRecord* keys = allocLoadedKeyBlock(store_, block);
      if (keys == nullptr) return LoadStatus::kTooLarge;
      const size_t n = recordsInBlock(count, block);
      if (layout_.oldKeys) {
        if (!readOldKeys(keys, n)) return LoadStatus::kDamaged;
      } else if (!input_.read(keys, n * sizeof(KeyRecord))) {
        return LoadStatus::kDamaged;
      }
    }
    return LoadStatus::kLoaded;
  }

  // Version 0x1102 records: 16-bit child and value counts, widened here.
  bool readOldKeys(KeyRecord* keys, size_t n) {
    oldKeys_.resize(n);
    if (!input_.read(oldKeys_.data(), n * sizeof(OldKeyRecord))) return false;
    for (size_t i = 0; i < n; ++i) {
      const OldKeyRecord& old = oldKeys_[i];
      KeyRecord& k = keys[i];
      k.depth = old.depth;
      k.state = old.state;
      k.summary = old.summary;
      k.savedState = old.savedState;
      k.parent = old.parent;
      k.prevSibling = old.prevSibling;
      k.nextSibling = old.nextSibling;
      k.firstChild = old.firstChild;
      k.firstValue = old.firstValue;
      k.name = old.name;
      k.childCount = old.childCount;
      k.valueCount = old.valueCount;
      k.itemCount = old.itemCount;
      k.byteCount = old.byteCount;
      k.treeItem = old.treeItem;
    }
    return true;
  }

  LoadStatus readValues() {
    const int32_t count = layout_.valueCount;
    for (int block = 0; block < blocksFor(count); ++block) {
      ValueRecord* values = allocLoadedValueBlock(store_, block);
      if (values == nullptr) return LoadStatus::kTooLarge;
      const size_t n = recordsInBlock(count, block);
      if (!input_.read(values, n * sizeof(ValueRecord))) return LoadStatus::kDamaged;
    }
    return LoadStatus::kLoaded;
  }

  LoadStatus readNameHash() {
    if (store_.nameHash == nullptr) return LoadStatus::kTooLarge;
    return input_.read(store_.nameHash, kFileNameHashBytes) ? LoadStatus::kLoaded
                                                            : LoadStatus::kDamaged;
  }

  LoadStatus readEntries() {
    const int32_t count = layout_.entryCount;
    for (int block = 0; block < blocksFor(count); ++block) {
      DataEntry* entries = allocLoadedEntryBlock(store_, block);
      if (entries == nullptr) return LoadStatus::kTooLarge;
      if (!input_.read(entries, recordsInBlock(count, block) * sizeof(DataEntry))) {
        return LoadStatus::kDamaged;
      }
    }
    return LoadStatus::kLoaded;
  }

  // The pool table, then each pool's bytes into a new area: whole pools except the
  // last, of which only the used part is in the file.
  LoadStatus readPools() {
    const int32_t pools = layout_.poolCount;
    savedPools_.resize(static_cast<size_t>(pools));
    if (!input_.read(savedPools_.data(), savedPools_.size() * sizeof(SavedPoolDescriptor))) {
      return LoadStatus::kDamaged;
    }
    for (const SavedPoolDescriptor& saved : savedPools_) {
      if (saved.remaining < 0 || saved.remaining > kPoolBytes) return LoadStatus::kDamaged;
    }
    if (pools == 0) return LoadStatus::kLoaded;
    const uint64_t dataBytes = static_cast<uint64_t>(pools - 1) * kPoolBytes +
                               static_cast<uint64_t>(kPoolBytes - savedPools_.back().remaining);
    if (dataBytes > input_.left()) return LoadStatus::kDamaged;
    for (int pool = 0; pool < pools; ++pool) {
      const int32_t used = kPoolBytes - savedPools_[static_cast<size_t>(pool)].remaining;
      char* area = allocLoadedPool(store_, pool, used);
      if (area == nullptr) return LoadStatus::kTooLarge;
      const size_t bytes = static_cast<size_t>(pool + 1 < pools ? kPoolBytes : used);
      if (!input_.read(area, bytes)) return LoadStatus::kDamaged;
    }
    return LoadStatus::kLoaded;
  }

  FileInput& input_;
  const FileLayout& layout_;
  SnapshotStore& store_;
  std::vector<OldKeyRecord> oldKeys_;
  std::vector<SavedPoolDescriptor> savedPools_;
};

// Header, version question, counts and sections into `store` (empty, sharing
// nothing). On failure the store holds whatever was read; the caller resets it.
LoadStatus loadIntoStore(FileInput& input, LoadSide side, SnapshotStore& store,
                         FileLayout& layout) {
  LoadStatus status = readHeader(input, layout);
  if (status == LoadStatus::kLoaded) status = settleVersion(layout, side);
  if (status == LoadStatus::kLoaded) status = checkCounts(layout, input.left());
  if (status != LoadStatus::kLoaded) return status;
  SectionReader reader(input, layout, store);
  status = reader.read();
  if (status != LoadStatus::kLoaded) return status;
  // Every look-up and the comparison merge rely on the name order; files written
  // under an older order, or made by hand, may hold their lists in another one.
  sortKeyLists(store, 0);
  sortValueLists(store, 0);
  return status;
}

void regroupClassInfo(SnapshotStore& store, bool grouped) {
  if (grouped) {
    groupClassInfo(store);
  } else {
    ungroupClassInfo(store);
  }
}

// The failure path: the messages, then an empty snapshot of the five roots.
void failLoad(LoadStatus status, LoadSide side) {
  const unsigned flags = platform::kMsgOk | platform::kMsgIconError;
  if (status == LoadStatus::kTooLarge)
    platform::showMessage(kTooLargeText, kLoadErrorCaption, flags);
  platform::showMessage(side == LoadSide::kBaseline ? kBaselineFailureText : kComparisonFailureText,
                        kLoadErrorCaption, flags);
  resetCurrentStore(true);
  if (side == LoadSide::kBaseline) clearBaselineStore();
}

// What the tree expects of a snapshot just loaded into the current store: no tree
// marks from the saving program.
void prepareLoadedSnapshot(SnapshotStore& current) {
  clearViewFlags(current, VIEW_KEY_OPEN | VIEW_IN_TREE);
}

// `in` is null when the file could not be opened.
SnapshotLoadResult loadBaselineFrom(std::istream* in, uint64_t size, const char* path,
                                    const SnapshotFileOptions& options) {
  SnapshotLoadResult result;
  // The current store first: while it shares the baseline it only forgets the blocks.
  resetCurrentStore(false);
  clearBaselineStore();
  if (in == nullptr) {
    resetCurrentStore(true);
    return result;
  }
  result.displayName = snapshotFileNamePart(path);
  FileInput input(*in, size);
  FileLayout layout;
  SnapshotStore& baseline = baselineStore();
  const LoadStatus status = loadIntoStore(input, LoadSide::kBaseline, baseline, layout);
  if (status != LoadStatus::kLoaded) {
    failLoad(status, LoadSide::kBaseline);
    return result;
  }
  // Grouping (and ungrouping) a store that already is so changes nothing, so
  // following the option whenever class info is not read is harmless.
  if (layout.grouped != options.classInfoGrouping || !options.importClassInfo) {
    regroupClassInfo(baseline, options.classInfoGrouping);
  }
  shareBaselineWithCurrent();
  SnapshotStore& current = currentStore();
  prepareLoadedSnapshot(current);
  recomputeSummary(current, kNoItem);
  result.loaded = true;
  result.kind = layout.kind;
  result.autoCheckOn = layout.kind == SNAPSHOT_KIND_AUTOCHECK;
  return result;
}

SnapshotLoadResult loadComparisonFrom(std::istream* in, uint64_t size, const char* path,
                                      const SnapshotFileOptions& options) {
  SnapshotLoadResult result;
  resetCurrentStore(false);
  if (in == nullptr) {
    resetCurrentStore(true);
    return result;
  }
  result.displayName = snapshotFileNamePart(path);
  FileInput input(*in, size);
  FileLayout layout;
  SnapshotStore& current = currentStore();
  const LoadStatus status = loadIntoStore(input, LoadSide::kComparison, current, layout);
  if (status != LoadStatus::kLoaded) {
    failLoad(status, LoadSide::kComparison);
    return result;
  }
  if (layout.grouped != options.classInfoGrouping) {
    regroupClassInfo(current, options.classInfoGrouping);
  }
  prepareLoadedSnapshot(current);
  result.loaded = true;
  result.kind = layout.kind;
  return result;
}

// Opens `path` for reading and measures it; false when it cannot be opened.
bool openForReading(const char* path, std::ifstream& in, uint64_t& size) {
  if (path == nullptr || path[0] == '\0') return false;
  in.open(path, std::ios::binary);
  if (!in) return false;
  in.seekg(0, std::ios::end);
  const std::streamoff end = in.tellg();
  in.seekg(0, std::ios::beg);
  if (end < 0 || !in) return false;
  size = static_cast<uint64_t>(end);
  return true;
}

}  // namespace

std::string snapshotFileNamePart(const char* path) {
  if (path == nullptr) return std::string();
  size_t start = 0;
  size_t i = 0;
  while (path[i] != '\0') {
    const unsigned char byte = static_cast<unsigned char>(path[i]);
    if (cp932::isLeadByte(byte) && path[i + 1] != '\0') {
      i += 2;
      continue;
    }
    if (byte == '\\' || byte == '/' || byte == ':') start = i + 1;
    ++i;
  }
  return std::string(path + start);
}

SnapshotLoadResult loadBaselineFile(const char* path, const SnapshotFileOptions& options) {
  std::ifstream in;
  uint64_t size = 0;
  const bool opened = openForReading(path, in, size);
  return loadBaselineFrom(opened ? &in : nullptr, size, path, options);
}

SnapshotLoadResult loadComparisonFile(const char* path, const SnapshotFileOptions& options) {
  std::ifstream in;
  uint64_t size = 0;
  const bool opened = openForReading(path, in, size);
  return loadComparisonFrom(opened ? &in : nullptr, size, path, options);
}

SnapshotLoadResult loadBaselineImage(const void* bytes, size_t size, const char* path,
                                     const SnapshotFileOptions& options) {
  MemoryBuffer buffer(bytes, bytes != nullptr ? size : 0);
  std::istream in(&buffer);
  return loadBaselineFrom(&in, bytes != nullptr ? size : 0, path, options);
}

SnapshotLoadResult loadComparisonImage(const void* bytes, size_t size, const char* path,
                                       const SnapshotFileOptions& options) {
  MemoryBuffer buffer(bytes, bytes != nullptr ? size : 0);
  std::istream in(&buffer);
  return loadComparisonFrom(&in, bytes != nullptr ? size : 0, path, options);
}
