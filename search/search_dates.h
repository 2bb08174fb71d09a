// The date boxes of the search dialog: texts like "20261207 0537" or "2026/12/7 5:37"
// read as local time and kept as UTC file times, and file times shown back in the
// dialog's own form "%04d%02d%02d %02d%02d".
#pragma once

#include <cstdint>
#include <string>

// Reads year (up to 4 digits), optional "/", month (up to 2), optional "/", day (up
// to 2), then optionally a blank, hour (up to 2), optional ":" and minutes (up to 2);
// a month or day of 0 counts as 1. At most 31 characters are read. False for any
// other character, a field out of range, or a date the calendar conversion refuses.
bool parseSearchDate(const char* text, uint64_t& fileTime);

// The file time as local time in the dialog's form; "" when it cannot be converted.
std::string formatSearchDate(uint64_t fileTime);
