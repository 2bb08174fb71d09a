#include <windows.h>

#include "platform/clock.h"

namespace platform {

namespace {
LocalTime fromSystemTime(const SYSTEMTIME& time) {
  return LocalTime{time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute, time.wSecond};
}
}  // namespace

int64_t tickMilliseconds() { return static_cast<int64_t>(GetTickCount64()); }

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

namespace platform {

bool localToFileTime(const LocalTime& local, uint64_t& fileTime) {
  SYSTEMTIME time{};
  time.wYear = static_cast<WORD>(local.year);
  time.wMonth = static_cast<WORD>(local.month);
  time.wDay = static_cast<WORD>(local.day);
  time.wHour = static_cast<WORD>(local.hour);
  time.wMinute = static_cast<WORD>(local.minute);
  time.wSecond = static_cast<WORD>(local.second);
  FILETIME localFileTime;
  FILETIME utc;
  if (!SystemTimeToFileTime(&time, &localFileTime)) return false;
  if (!LocalFileTimeToFileTime(&localFileTime, &utc)) return false;
  fileTime = (static_cast<uint64_t>(utc.dwHighDateTime) << 32) | utc.dwLowDateTime;
  return true;
}

}  // namespace platform
