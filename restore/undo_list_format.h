// The hand-off to the restore program: the undo list file, the shared block that
// carries its path, and the command that wakes the restore program.
//
// Both programs build on these definitions, so the writer in regKestrin and the reader
// in the restore program cannot drift apart. The undo list is a sequence of records,
// each an 8-byte header (little-endian) and a payload: a start record, key path, key,
// value and value-data records, an end record. Nothing here is a pointer; the layout is
// the same for 32- and 64-bit builds.
#pragma once

#include <cstddef>
#include <cstdint>

namespace restore {

// Name of the restore program, as the user sees it.
extern const char kRestoreToolName[];

// The shared block, created and owned by the restore program.
extern const char kSharedBlockName[];
constexpr uint32_t kSharedBlockSize = 4096;
constexpr uint32_t kBlockWindowOffset = 0;    // the window that receives requests
constexpr uint32_t kBlockLengthOffset = 256;  // path length with NUL; 0: none pending
constexpr uint32_t kBlockPathOffset = 260;
constexpr uint32_t kBlockPathRoom = kSharedBlockSize - kBlockPathOffset;  // 3,836 bytes
// WM_COMMAND id posted to the restore program's window, lParam 0.
constexpr uint32_t kUndoRequestCommand = 10100;

extern const char kUndoListFileName[];  // "undoList.$$$", in regKestrin's folder
constexpr uint32_t kUndoListVersion = 0x1201;

enum UndoRecordKind : uint8_t {
  UNDO_END = 0,
  UNDO_START = 1,
  UNDO_KEY_PATH = 2,
  UNDO_KEY = 3,
  UNDO_VALUE = 4,
  UNDO_DATA = 5,
};

// Byte 1 of a data record: the value's data, or the baseline's (old) data of a
// changed value.
constexpr uint8_t kDataCurrent = 0;
constexpr uint8_t kDataOld = 1;

struct UndoRecordHeader {
  uint8_t kind;
  uint8_t detail;  // see the record kinds: 1, 0, a state, or kDataCurrent / kDataOld
  uint8_t level;
  uint8_t type;    // data records: the registry type; otherwise 0
  uint32_t length; // start/end: kUndoListVersion; texts: length with NUL; data: bytes
};
static_assert(sizeof(UndoRecordHeader) == 8, "an undo record header is 8 bytes");
static_assert(offsetof(UndoRecordHeader, detail) == 1 && offsetof(UndoRecordHeader, level) == 2 &&
                  offsetof(UndoRecordHeader, type) == 3 && offsetof(UndoRecordHeader, length) == 4,
              "undo record header field order");

// Header bytes in file order (little-endian whatever the machine).
void encodeUndoHeader(const UndoRecordHeader& header, uint8_t out[8]);
UndoRecordHeader decodeUndoHeader(const uint8_t in[8]);

}  // namespace restore
