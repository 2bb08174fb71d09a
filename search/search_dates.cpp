#include "search/search_dates.h"

#include <cstdio>
#include <cstring>

#include "platform/clock.h"

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Reads up to `most` digits ending early at the end or at one of `stops`; false for
// any other character.
bool readField(const char* text, size_t length, size_t& at, int most, const char* stops,
               int& value) {
  value = 0;
  for (int n = 0; n < most && at < length && std::strchr(stops, text[at]) == nullptr; ++n) {
    if (!isDigit(text[at])) return false;
    value = value * 10 + (text[at] - '0');
    ++at;
  }
  return true;
}

bool leapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int daysInMonth(int year, int month) {
  static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && leapYear(year) ? 29 : kDays[month - 1];
}

}  // namespace

bool parseSearchDate(const char* text, uint64_t& fileTime) {
  if (!text) return false;
  const size_t length = strnlen(text, 31);
  size_t at = 0;
  int year = 0;
  int month = 0;
  int day = 0;
  int hour = 0;
  int minute = 0;
  if (!readField(text, length, at, 4, " /", year)) return false;
  if (at < length && text[at] == '/') ++at;
  if (!readField(text, length, at, 2, " /", month)) return false;
  if (at < length && text[at] == '/') ++at;
  if (!readField(text, length, at, 2, " ", day)) return false;
  if (at < length) {
    if (text[at] != ' ') return false;
    ++at;
    if (!readField(text, length, at, 2, ":", hour)) return false;
    if (at < length && text[at] == ':') ++at;
    if (!readField(text, length, at, 2, "", minute)) return false;
    while (at < length && text[at] == ' ') ++at;
    if (at < length) return false;
  }
  if (month == 0) month = 1;
  if (day == 0) day = 1;
  // The calendar's own limits (the file-time range of SYSTEMTIME).
  if (year < 1601 || year > 30827 || month > 12 || day > daysInMonth(year, month) || hour > 23 ||
      minute > 59) {
    return false;
  }
  return platform::localToFileTime(platform::LocalTime{year, month, day, hour, minute, 0}, fileTime);
}

std::string formatSearchDate(uint64_t fileTime) {
  platform::LocalTime local;
  if (!platform::fileTimeToLocal(fileTime, local)) return std::string();
  char text[32];
  std::snprintf(text, sizeof text, "%04d%02d%02d %02d%02d", local.year, local.month, local.day,
                local.hour, local.minute);
  return text;
}
