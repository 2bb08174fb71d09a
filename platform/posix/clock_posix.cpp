#include <time.h>

#include <cstdint>
#include <limits>

#include "platform/clock.h"

namespace platform {

namespace {

// Seconds from 1601-01-01 (the file-time epoch) to 1970-01-01.
constexpr int64_t kFileTimeEpochOffsetSeconds = 11644473600;
constexpr uint64_t kFileTimeUnitsPerSecond = 10000000;

bool toLocalTime(time_t seconds, LocalTime& local) {
  struct tm parts;
  if (localtime_r(&seconds, &parts) == nullptr) return false;
  local = LocalTime{parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday,
                    parts.tm_hour,        parts.tm_min,     parts.tm_sec};
  return true;
}

}  // namespace

int64_t tickMilliseconds() {
  struct timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

LocalTime localTimeNow() {
  LocalTime local{1970, 1, 1, 0, 0, 0};
  toLocalTime(time(nullptr), local);
  return local;
}

bool fileTimeToLocal(uint64_t fileTime, LocalTime& local) {
  // 0 means no recorded time; file times with the top bit set are refused as the
  // system's conversion refuses them.
  if (fileTime == 0 || fileTime > static_cast<uint64_t>(std::numeric_limits<int64_t>::max())) {
    return false;
  }
  const int64_t seconds =
      static_cast<int64_t>(fileTime / kFileTimeUnitsPerSecond) - kFileTimeEpochOffsetSeconds;
  if constexpr (sizeof(time_t) < sizeof(int64_t)) {
    if (seconds < std::numeric_limits<time_t>::min() ||
        seconds > std::numeric_limits<time_t>::max()) {
      return false;
    }
  }
  return toLocalTime(static_cast<time_t>(seconds), local);
}

}  // namespace platform

namespace platform {

bool localToFileTime(const LocalTime& local, uint64_t& fileTime) {
  struct tm parts {};
  parts.tm_year = local.year - 1900;
  parts.tm_mon = local.month - 1;
  parts.tm_mday = local.day;
  parts.tm_hour = local.hour;
  parts.tm_min = local.minute;
  parts.tm_sec = local.second;
  parts.tm_isdst = -1;
  const time_t seconds = mktime(&parts);
  if (seconds == static_cast<time_t>(-1)) return false;
  const int64_t sinceEpoch = static_cast<int64_t>(seconds) + kFileTimeEpochOffsetSeconds;
  if (sinceEpoch < 0) return false;
  fileTime = static_cast<uint64_t>(sinceEpoch) * kFileTimeUnitsPerSecond;
  return true;
}

}  // namespace platform
