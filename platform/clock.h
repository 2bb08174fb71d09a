// Local time: the clock for default file names and the conversion of a key's
// last-write time for the tree; and a millisecond tick for pacing progress reports.
#pragma once

#include <cstdint>

namespace platform {

struct LocalTime {
  int year;  // e.g. 2026
  int month;  // 1-12
  int day;
  int hour;
  int minute;
  int second;
};

// The current local time.
LocalTime localTimeNow();
// Milliseconds of a clock that never goes back: the system's tick count on Windows,
// coarse (10-16 ms) but a plain memory read. The high-resolution counter is a call into
// the system, which the registry reader's progress pacer felt (about 2 ms a read of
// Wine's registry).
int64_t tickMilliseconds();
// A Windows file time (100 ns units since 1601-01-01 UTC) as local time; false when
// it cannot be converted.
bool fileTimeToLocal(uint64_t fileTime, LocalTime& local);

}  // namespace platform

namespace platform {

// A local calendar time (seconds ignored) as a Windows file time in UTC; false when
// the system's calendar conversion refuses it. The caller has checked the fields'
// ranges.
bool localToFileTime(const LocalTime& local, uint64_t& fileTime);

}  // namespace platform
