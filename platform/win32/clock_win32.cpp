#include <windows.h>

#include "platform/clock.h"

namespace platform {

namespace {
LocalTime fromSystemTime(const SYSTEMTIME& time) {
  return LocalTime{time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute, time.wSecond};
}
}  // namespace

LocalTime localTimeNow() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return fromSystemTime(now);
}

bool fileTimeToLocal(uint64_t fileTime, LocalTime& local) {
  // 0 is what a key without a recorded write time carries, not 1601-01-01.
  if (fileTime == 0) return false;
  FILETIME utc;
  utc.dwLowDateTime = static_cast<DWORD>(fileTime & 0xFFFFFFFFu);
  utc.dwHighDateTime = static_cast<DWORD>(fileTime >> 32);
  FILETIME localFileTime;
  SYSTEMTIME time;
  if (!FileTimeToLocalFileTime(&utc, &localFileTime)) return false;
  if (!FileTimeToSystemTime(&localFileTime, &time)) return false;
  local = fromSystemTime(time);
  return true;
}

}  // namespace platform
