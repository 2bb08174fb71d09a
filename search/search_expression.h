// Search expressions: a Boolean condition over several strings, written with
// ~ (NOT), & (AND), | (OR) and parentheses, compiled once per search and then
// evaluated against every candidate string (a key name, a value name or a value's
// data as text).
//
// A term is a contains term (plain or "quoted" text), a prefix term (^text) or a
// suffix term ($text). Characters match as names compare (text/cp932.h): ASCII
// letters in either case, double-byte characters as one unit, folded by the
// registry's case pairs and cp932's second encodings. With the wildcard flag a '?'
// in a term matches any one character (a double-byte character counts as one) and a
// '*' is an error.
//
// The compiled condition is a flat sequence of cells written in reduction order:
// for a binary operator its left operand, its right operand, then the operator; for
// NOT its operand, then the operator. An operand that stands for an earlier group
// is a result cell pointing back at that group's operator. The last cell is the
// root. Term texts live in the condition's own character pool, so a compiled
// condition owns everything it refers to and stays valid until the next compile
// into it.
//
// Any text of up to kSearchTextMax bytes fits the fixed arrays below; longer texts
// are read only up to that length.
#pragma once

#include <cstddef>
#include <cstdint>

#include "search/search_flags.h"

enum ExpressionCellClass : uint8_t {
  kCellOpenParen = 0,  // only on the parser's work stack
  kCellOperator = 1,
  kCellOperand = 2,
};

enum ExpressionCellCode : uint8_t {
  kCodeNot = 0,
  kCodeAnd = 1,
  kCodeOr = 2,
  kCodeOpenParen = 3,
  kCodePrefixTerm = 5,
  kCodeSuffixTerm = 6,
  kCodeContainsTerm = 7,
  kCodeResult = 8,  // the result of an earlier operator
};

struct ExpressionCell {
  uint8_t cellClass;  // ExpressionCellClass
  uint8_t code;       // ExpressionCellCode
  // A term: the byte length of its text. A result: the sequence position of the
  // operator cell whose result it stands for.
  int16_t length;
  // Set during evaluation: the Boolean result of an operator (copied into the result
  // cells that point at it).
  int16_t value;
  // A term: offset of its NUL-terminated text in the pool.
  uint16_t text;
};

// Worst cases for a text of kSearchTextMax bytes. Every term takes at least one
// byte of the text and every operator one byte, so with T terms, B binary operators
// and N NOTs: B <= T - 1 and B + N + T <= 255, hence 2B + N <= 254 and the sequence
// (3 cells per binary operator, 2 per NOT) holds at most 3B + 2N <= 2(2B + N) = 508
// cells. The pool holds each term's text (no longer than the bytes the term took)
// plus a terminator: at most 2 bytes per byte of text. Each token pushes at most one
// cell onto the work stack.
constexpr int kExpressionSequenceCells = 512;
constexpr int kExpressionPoolBytes = 2 * kSearchTextMax + 2;
constexpr int kExpressionStackCells = 256;

struct SearchExpression {
  ExpressionCell cells[kExpressionSequenceCells];
  int cellCount;  // 0: nothing compiled (or the last compile failed)
  bool wildcard;
  char pool[kExpressionPoolBytes];
};

// Compiles `text` (NUL-terminated; at most kSearchTextMax bytes are read) into
// `expression`, reading SEARCH_WILDCARD from `flags`. Returns true for a valid
// condition. Otherwise shows the last error found in one warning box captioned
// "検索条件式エラー", leaves `expression` empty and returns false.
bool compileSearchExpression(SearchExpression& expression, const char* text, uint16_t flags);

// Evaluates the compiled condition against the `length` bytes at `candidate` (no
// terminator needed). An empty condition is false for every candidate.
bool evaluateSearchExpression(SearchExpression& expression, const char* candidate,
                              size_t length);

// The program-wide condition of the current search: compiled when the search dialog
// is confirmed in expression mode, evaluated for every candidate of that search.
bool compileSearchExpression(const char* text, uint16_t flags);
bool evaluateSearchExpression(const char* candidate, size_t length);

// Whether one term of the given kind (kCodePrefixTerm, kCodeSuffixTerm or
// kCodeContainsTerm) matches the `length` bytes at `candidate`. With `wildcard`, a
// '?' in the term matches any one character. An empty term matches everything.
bool matchSearchTerm(const char* term, size_t termLength, uint8_t kind, bool wildcard,
                     const char* candidate, size_t length);
