#include "search/search_match.h"

#include "text/cp932.h"

namespace {

inline uint8_t byteAt(const char* text, size_t at) { return static_cast<uint8_t>(text[at]); }

// Bytes of the character starting at `at` of a string of `length` bytes.
inline size_t charBytes(const char* text, size_t at, size_t length) {
  return cp932::isLeadByte(byteAt(text, at)) && at + 1 < length && text[at + 1] != '\0' ? 2 : 1;
}

inline bool equalFolded(const char* a, const char* b, size_t n) {
  for (size_t i = 0; i < n; ++i) {
    if (cp932::foldAscii(byteAt(a, i)) != cp932::foldAscii(byteAt(b, i))) return false;
  }
  return true;
}

// Matches the pattern segment [p, end) (no '*' inside) at candidate position `at`;
// the position after it, or SIZE_MAX when it does not match there.
size_t matchSegment(const char* pattern, size_t p, size_t end, const char* s, size_t at,
                    size_t length) {
  while (p < end) {
    const uint8_t c = byteAt(pattern, p);
    if (c == '?') {
      if (at >= length) return SIZE_MAX;
      at += charBytes(s, at, length);
      ++p;
    } else if (cp932::isLeadByte(c) && p + 1 < end) {
      if (at + 1 >= length || byteAt(s, at) != c || byteAt(s, at + 1) != byteAt(pattern, p + 1)) {
        return SIZE_MAX;
      }
      at += 2;
      p += 2;
    } else {
      if (at >= length || cp932::foldAscii(byteAt(s, at)) != cp932::foldAscii(c)) return SIZE_MAX;
      ++at;
      ++p;
    }
  }
  return at;
}

// Anchored at `start`: the pattern matches from there, to the end of the candidate
// (`whole`) or to any point. Each run between stars is matched at the earliest
// position the stars allow; a later start never ends that run earlier, so when the
// earliest fails for the rest only later starts of the last star's run remain.
bool matchFrom(const char* pattern, size_t patternLength, const char* s, size_t start,
               size_t length, bool whole) {
  size_t p = 0;
  size_t at = start;
  // Leading run before any star is fixed at `start`.
  size_t runEnd = p;
  while (runEnd < patternLength && pattern[runEnd] != '*') ++runEnd;
  at = matchSegment(pattern, p, runEnd, s, at, length);
  if (at == SIZE_MAX) return false;
  p = runEnd;
  if (p == patternLength) return !whole || at == length;
  for (;;) {
    while (p < patternLength && pattern[p] == '*') ++p;
    if (p == patternLength) return true;  // a trailing star takes the rest
    runEnd = p;
    while (runEnd < patternLength && pattern[runEnd] != '*') ++runEnd;
    const bool last = runEnd == patternLength;
    size_t found = SIZE_MAX;
    for (size_t from = at; from <= length; ++from) {
      const size_t after = matchSegment(pattern, p, runEnd, s, from, length);
      if (after == SIZE_MAX) continue;
      if (last && whole && after != length) continue;
      found = after;
      break;
    }
    if (found == SIZE_MAX) return false;
    at = found;
    p = runEnd;
    if (last) return true;
  }
}

}  // namespace

bool matchPlainText(const char* text, size_t textLength, bool partial, const char* candidate,
                    size_t length) {
  if (!partial) return length == textLength && equalFolded(text, candidate, length);
  if (textLength == 0) return true;
  if (length < textLength) return false;
  const uint8_t first = cp932::foldAscii(byteAt(text, 0));
  size_t at = 0;
  while (length - at >= textLength) {
    if (cp932::foldAscii(byteAt(candidate, at)) == first &&
        equalFolded(text + 1, candidate + at + 1, textLength - 1)) {
      return true;
    }
    at += charBytes(candidate, at, length);
  }
  return false;
}

bool matchWildcard(const char* pattern, size_t patternLength, bool partial,
                   const char* candidate, size_t length) {
  if (patternLength == 0) return false;
  size_t fixed = 0;
  for (size_t i = 0; i < patternLength; ++i) fixed += pattern[i] != '*';
  if (length < fixed) return false;
  if (!partial) return matchFrom(pattern, patternLength, candidate, 0, length, true);
  // A leading star already tries every start.
  if (pattern[0] == '*') return matchFrom(pattern, patternLength, candidate, 0, length, false);
  for (size_t at = 0; length - at >= fixed; at += charBytes(candidate, at, length)) {
    if (matchFrom(pattern, patternLength, candidate, at, length, false)) return true;
    if (at >= length) break;
  }
  return false;
}
