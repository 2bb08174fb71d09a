// The operation log: a short in-memory history of what the user did, kept so that
// after a fatal fault (or on Ctrl+Shift+D) the user can put it on the clipboard and
// report what led there. Every command writes a tag starting with ":", every tree
// event one starting with "v:". Nothing is written to disk.
//
// The log is a ring of NUL-terminated entries of at most 255 bytes in one buffer of
// 32,768 bytes from the block allocator. Before each entry 256 bytes are made free
// at the write position by dropping the oldest entries; when fewer than 256 bytes
// remain before the buffer's end, writing continues at its start and the data of the
// previous pass end at `dataEnd`. Logging never allocates.
//
// It belongs to the application shell, but nothing in it needs a window: the ring
// and the copy live in the portable core so that they are tested natively, and only
// the clipboard and the message box go through the platform seams.
//
// Single-threaded program-wide singleton: initOperationLog after initMemoryPool,
// releaseOperationLog before releaseMemoryPool.
#pragma once

#include <cstdint>

constexpr int32_t kOperationLogBytes = 32768;
// Room reserved for each entry: 255 bytes of text and the NUL.
constexpr int32_t kOperationLogEntryRoom = 256;

struct OperationLog {
  char* buffer;          // nullptr: no log (logging does nothing)
  int32_t capacity;
  int32_t writePos;      // offset where the next entry is written
  int32_t freeAtWrite;   // bytes known to be free from writePos on
  int32_t oldest;        // offset of the oldest entry kept
  int32_t newest;        // offset of the entry written last
  int32_t dataEnd;       // end of the previous pass's data; capacity until the first wrap
  bool wrapped;          // the ring has wrapped since the last reset
};

extern OperationLog operationLog;

// Takes the zero-filled buffer from the block allocator. False (and no log) when the
// allocator refuses.
bool initOperationLog();
// Gives the buffer back; afterwards logging does nothing.
void releaseOperationLog();

// Appends one entry formatted like printf, cut to 255 bytes (never inside a
// double-byte character). Does nothing without a buffer.
#if defined(__GNUC__)
__attribute__((format(printf, 1, 2)))
#endif
void logOperation(const char* format, ...);

// Puts the whole history on the clipboard, oldest entry first, each ended by CR LF,
// and confirms it in a box ("操作ログをクリップボードへコピーしました。"). Does
// nothing until a second entry has been written; stops silently when the memory for
// the text or the clipboard cannot be had. Returns whether the text was copied.
// The log itself is not changed.
bool copyOperationLogToClipboard();
