// Evaluation of a compiled condition and matching of one term against a candidate.
//
// Candidates are walked by character: a lead byte followed by a non-NUL byte is one
// two-byte character, anything else one byte. Terms are tried only at character
// boundaries of the candidate, and a double-byte character of a term matches only
// the same two bytes, so ASCII case folding never touches a trail byte (which would
// make, say, ア match ヂ).
#include <cstdint>

#include "search/search_expression.h"
#include "text/cp932.h"

namespace {

constexpr size_t kNoMatch = static_cast<size_t>(-1);

uint8_t byteOf(const char* text, size_t position) {
  return static_cast<uint8_t>(text[position]);
}

// Bytes of the character at `position` of a text of `length` bytes.
size_t characterLength(const char* text, size_t position, size_t length) {
  return cp932::isLeadByte(byteOf(text, position)) && position + 1 < length &&
                 text[position + 1] != '\0'
             ? 2
             : 1;
}

struct Term {
  const char* text;
  size_t length;
  bool wildcard;
};

// Callers keep 1 <= term.length and start <= length; positions never pass `length`.

// Matches the whole term at `start` of the candidate; returns the number of
// candidate bytes it consumed, or kNoMatch. A '?' (wildcard form only) consumes one
// character of the candidate, so a match may consume more bytes than the term has.
size_t matchAt(const Term& term, const char* candidate, size_t length, size_t start) {
  size_t t = 0;
  size_t c = start;
  while (t < term.length) {
    // Every remaining byte of the term needs at least one byte of the candidate.
    if (length - c < term.length - t) return kNoMatch;
    uint8_t termByte = byteOf(term.text, t);
    if (term.wildcard && termByte == '?') {
      c += characterLength(candidate, c, length);
      ++t;
    } else if (cp932::isLeadByte(termByte) && t + 1 < term.length) {
      // Double-byte characters match as names compare: case pairs and second
      // encodings of one character are one character.
      if (characterLength(candidate, c, length) != 2 ||
          cp932::foldedCode(byteOf(candidate, c), byteOf(candidate, c + 1)) !=
              cp932::foldedCode(termByte, byteOf(term.text, t + 1))) {
        return kNoMatch;
      }
      t += 2;
      c += 2;
    } else {
      if (cp932::foldAscii(byteOf(candidate, c)) != cp932::foldAscii(termByte)) return kNoMatch;
      ++t;
      ++c;
    }
  }
  return c - start;
}

bool matchContains(const Term& term, const char* candidate, size_t length) {
  for (size_t c = 0; length - c >= term.length; c += characterLength(candidate, c, length)) {
    if (matchAt(term, candidate, length, c) != kNoMatch) return true;
  }
  return false;
}

// The term must end exactly at the end of the candidate. Without '?' only the
// boundary term-length bytes before the end can do; each '?' may take one byte more
// (the start is set back two per '?', which is never too late).
bool matchSuffix(const Term& term, const char* candidate, size_t length, size_t marks) {
  size_t earliest = length - term.length;  // length >= term.length here
  earliest = earliest > 2 * marks ? earliest - 2 * marks : 0;
  size_t c = 0;
  while (c < earliest) c += characterLength(candidate, c, length);
  for (; length - c >= term.length; c += characterLength(candidate, c, length)) {
    if (matchAt(term, candidate, length, c) == length - c) return true;
  }
  return false;
}

size_t countWildcardMarks(const Term& term) {
  if (!term.wildcard) return 0;
  size_t marks = 0;
  for (size_t t = 0; t < term.length;) {
    if (term.text[t] == '?') ++marks;
    t += characterLength(term.text, t, term.length);
  }
  return marks;
}

bool operandTruth(const SearchExpression& expression, const ExpressionCell& cell,
                  const char* candidate, size_t length) {
  if (cell.code == kCodeResult) return cell.value != 0;
  return matchSearchTerm(expression.pool + cell.text, static_cast<size_t>(cell.length), cell.code,
                         expression.wildcard, candidate, length);
}

}  // namespace

bool matchSearchTerm(const char* text, size_t termLength, uint8_t kind, bool wildcard,
                     const char* candidate, size_t length) {
  if (termLength == 0) return true;
  if (length < termLength) return false;
  Term term{text, termLength, wildcard};
  switch (kind) {
    case kCodePrefixTerm:
      return matchAt(term, candidate, length, 0) != kNoMatch;
    case kCodeSuffixTerm:
      return matchSuffix(term, candidate, length, countWildcardMarks(term));
    default:
      return matchContains(term, candidate, length);
  }
}

// Walks the groups in the order they were written. AND and OR test their left term
// first and the right one only when it can still change the result; a right operand
// that is an already known result can decide without testing the left term at all.
bool evaluateSearchExpression(SearchExpression& expression, const char* candidate,
                              size_t length) {
  if (expression.cellCount == 0) return false;
  if (candidate == nullptr) length = 0;
  ExpressionCell* cells = expression.cells;
  int start = 0;
  for (int op = 0; op < expression.cellCount; ++op) {
    if (cells[op].cellClass != kCellOperator) continue;
    for (int i = start; i < op; ++i) {
      if (cells[i].code == kCodeResult) cells[i].value = cells[cells[i].length].value;
    }
    const ExpressionCell& right = cells[op - 1];
    bool result;
    if (cells[op].code == kCodeNot) {
      result = !operandTruth(expression, right, candidate, length);
    } else {
      const ExpressionCell& left = cells[op - 2];
      bool isAnd = cells[op].code == kCodeAnd;
      // AND is decided by a false right result, OR by a true one.
      if (right.code == kCodeResult && (right.value != 0) != isAnd) {
        result = !isAnd;
      } else if (operandTruth(expression, left, candidate, length) != isAnd) {
        result = !isAnd;
      } else {
        result = operandTruth(expression, right, candidate, length);
      }
    }
    cells[op].value = result ? 1 : 0;
    start = op + 1;
  }
  return cells[expression.cellCount - 1].value != 0;
}
