#include "text/operation_log.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "engine/memory_pool.h"
#include "platform/clipboard.h"
#include "platform/message_box.h"
#include "text/cp932.h"

OperationLog operationLog = {nullptr, 0, 0, 0, 0, 0, 0, false};

namespace {

void resetRing(OperationLog& log) {
  log.writePos = 0;
  log.freeAtWrite = log.capacity;
  log.oldest = 0;
  log.newest = 0;
  log.dataEnd = log.capacity;
  log.wrapped = false;
}

// Length of the entry at `offset`, bounded by the buffer's end.
int32_t entryLength(const OperationLog& log, int32_t offset) {
  const void* nul = std::memchr(log.buffer + offset, 0, static_cast<size_t>(log.capacity - offset));
  return nul ? static_cast<int32_t>(static_cast<const char*>(nul) - (log.buffer + offset))
             : log.capacity - offset;
}

// Makes kOperationLogEntryRoom bytes free at writePos, wrapping to the buffer's start
// when the rest of the buffer is too short and dropping the oldest entries ahead.
void reserveEntryRoom(OperationLog& log) {
  if (log.freeAtWrite >= kOperationLogEntryRoom) return;
  if (log.capacity - log.writePos < kOperationLogEntryRoom) {
    log.dataEnd = log.writePos;
    log.writePos = 0;
    log.freeAtWrite = 0;
    log.wrapped = true;
  }
  while (log.freeAtWrite < kOperationLogEntryRoom) {
    const int32_t ahead = log.writePos + log.freeAtWrite;
    if (ahead >= log.dataEnd) {
      // Nothing of the previous pass is left from here to the end.
      log.freeAtWrite += log.capacity - ahead;
      log.oldest = 0;
      break;
    }
    const int32_t dropped = entryLength(log, ahead) + 1;
    log.freeAtWrite += dropped;
    log.oldest = ahead + dropped;
  }
}

// Ends a text that was cut at `length` bytes at a character boundary: a lead byte
// whose trail byte fell away is dropped too.
int32_t cutAtCharacter(char* text, int32_t length) {
  int32_t at = 0;
  while (at < length) {
    if (cp932::isLeadByte(static_cast<uint8_t>(text[at]))) {
      if (at + 1 >= length) break;
      at += 2;
    } else {
      ++at;
    }
  }
  if (at > length) at = length;
  text[at] = '\0';
  return at;
}

// Calls visit(text, length) for every entry from the oldest to the newest. A log
// whose offsets do not lead to the newest entry is walked at most once around.
template <typename Visit>
void forEachEntry(const OperationLog& log, Visit visit) {
  int32_t at = log.oldest;
  for (int32_t step = 0; step < log.capacity; ++step) {
    if (at >= log.dataEnd || at < 0 || at >= log.capacity) at = 0;
    const int32_t length = entryLength(log, at);
    visit(log.buffer + at, length);
    if (at == log.newest) return;
    at += length + 1;
  }
}

}  // namespace

bool initOperationLog() {
  operationLog.buffer = static_cast<char*>(allocBlock(static_cast<size_t>(kOperationLogBytes)));
  operationLog.capacity = operationLog.buffer ? kOperationLogBytes : 0;
  resetRing(operationLog);
  return operationLog.buffer != nullptr;
}

void releaseOperationLog() {
  if (operationLog.buffer) freeBlock(operationLog.buffer);
  operationLog.buffer = nullptr;
  operationLog.capacity = 0;
  resetRing(operationLog);
}

void logOperation(const char* format, ...) {
  OperationLog& log = operationLog;
  if (!log.buffer || log.capacity < kOperationLogEntryRoom) return;
  reserveEntryRoom(log);

  char* entry = log.buffer + log.writePos;
  va_list arguments;
  va_start(arguments, format);
  int formatted = std::vsnprintf(entry, static_cast<size_t>(kOperationLogEntryRoom), format, arguments);
  va_end(arguments);
  int32_t length;
  if (formatted < 0) {
    entry[0] = '\0';
    length = 0;
  } else if (formatted >= kOperationLogEntryRoom) {
    length = cutAtCharacter(entry, kOperationLogEntryRoom - 1);
  } else {
    length = formatted;
  }

  const int32_t used = length + 1;
  if (used > log.freeAtWrite) {
    // Cannot happen while the room above is reserved; start afresh rather than
    // overwrite entries that are still counted.
    resetRing(log);
    return;
  }
  log.freeAtWrite -= used;
  log.newest = log.writePos;
  log.writePos += used;
}

bool copyOperationLogToClipboard() {
  const OperationLog& log = operationLog;
  if (!log.buffer) return false;
  if (log.newest == 0 && !log.wrapped) return false;

  // Measured first: every entry gains a CR LF for its NUL, which no fixed margin
  // covers when the entries are short.
  size_t size = 1;
  forEachEntry(log, [&size](const char*, int32_t length) { size += static_cast<size_t>(length) + 2; });
  char* text = static_cast<char*>(allocBlock(size));
  if (!text) return false;
  size_t used = 0;
  forEachEntry(log, [text, &used](const char* entry, int32_t length) {
    std::memcpy(text + used, entry, static_cast<size_t>(length));
    used += static_cast<size_t>(length);
    text[used++] = '\r';
    text[used++] = '\n';
  });
  text[used] = '\0';

  const bool copied = platform::copyTextToClipboard(text);
  freeBlock(text);
  if (copied) platform::showMessage("操作ログをクリップボードへコピーしました。", "ゾルファン", platform::kMsgOk);
  return copied;
}
