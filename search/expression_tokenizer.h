// Splits a search expression into tokens, left to right, copying each term's text
// into the pool of the condition being compiled (internal to the compiler).
//
// The tokenizer never reads beyond `length` bytes of the text, even inside an
// unclosed quote, and copies a double-byte character whole, so its trail byte is
// never taken for an operator or a delimiter.
#pragma once

#include <cstddef>
#include <cstdint>

enum class ExpressionTokenKind : uint8_t {
  kEnd,
  kOpenParen,
  kCloseParen,
  kNot,
  kAnd,
  kOr,
  kTerm,
};

struct ExpressionToken {
  ExpressionTokenKind kind;
  uint8_t termCode;     // kCodePrefixTerm, kCodeSuffixTerm or kCodeContainsTerm
  uint16_t text;        // offset of the term's NUL-terminated text in the pool
  int16_t length;       // byte length of the term's text
  int starCount;        // '*' characters in the term (counted only with the wildcard flag)
};

struct ExpressionTokenizer {
  const char* text;
  size_t length;   // bytes of `text` to read
  size_t position;
  char* pool;      // needs room for 2 bytes per byte of text
  size_t poolCapacity;
  size_t poolUsed;
  bool wildcard;
};

ExpressionTokenizer startExpressionTokenizer(const char* text, size_t length, char* pool,
                                             size_t poolCapacity, bool wildcard);

// The next token; kEnd at the end of the text (and every time after).
ExpressionToken nextExpressionToken(ExpressionTokenizer& tokenizer);
