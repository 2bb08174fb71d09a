#include "search/expression_tokenizer.h"

#include <cstdlib>

#include "search/search_expression.h"
#include "text/cp932.h"

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// Characters that end an unquoted term (besides the end of the text and a single
// double quote).
bool endsUnquotedTerm(char c) {
  switch (c) {
    case ' ':
    case '\t':
    case '(':
    case ')':
    case '~':
    case '&':
    case '|':
    case '^':
    case '$':
      return true;
    default:
      return false;
  }
}

uint8_t byteAt(const ExpressionTokenizer& t, size_t position) {
  return static_cast<uint8_t>(t.text[position]);
}

// Whether a double quote at the current position is doubled (stands for one quote
// character inside a term).
bool atDoubledQuote(const ExpressionTokenizer& t) {
  return t.position + 1 < t.length && t.text[t.position + 1] == '"';
}

// The pool is sized for the worst case (each byte of text copied once, one
// terminator per term, and every term takes at least one byte); running out would
// be a defect of the tokenizer, and stopping is safer than writing past the pool.
void appendToPool(ExpressionTokenizer& t, char c) {
  if (t.poolUsed >= t.poolCapacity) std::abort();
  t.pool[t.poolUsed++] = c;
}

// Copies one character of the text into the term: a lead byte followed by a non-NUL
// byte goes as a two-byte character, anything else as one byte.
void copyCharacter(ExpressionTokenizer& t, ExpressionToken& token) {
  uint8_t first = byteAt(t, t.position);
  if (cp932::isLeadByte(first) && t.position + 1 < t.length && t.text[t.position + 1] != '\0') {
    appendToPool(t, t.text[t.position]);
    appendToPool(t, t.text[t.position + 1]);
    t.position += 2;
    return;
  }
  if (t.wildcard && first == '*') ++token.starCount;
  appendToPool(t, t.text[t.position]);
  ++t.position;
}

ExpressionToken readTerm(ExpressionTokenizer& t) {
  ExpressionToken token{ExpressionTokenKind::kTerm, kCodeContainsTerm, 0, 0, 0};
  if (t.text[t.position] == '^') {
    token.termCode = kCodePrefixTerm;
    ++t.position;
  } else if (t.text[t.position] == '$') {
    token.termCode = kCodeSuffixTerm;
    ++t.position;
  }
  token.text = static_cast<uint16_t>(t.poolUsed);
  if (t.position < t.length && t.text[t.position] == '"') {
    // Quoted: everything up to a single closing quote. Without one, the term ends
    // with the text.
    ++t.position;
    while (t.position < t.length) {
      if (t.text[t.position] == '"') {
        if (!atDoubledQuote(t)) {
          ++t.position;
          break;
        }
        appendToPool(t, '"');
        t.position += 2;
        continue;
      }
      copyCharacter(t, token);
    }
  } else {
    while (t.position < t.length && !endsUnquotedTerm(t.text[t.position])) {
      if (t.text[t.position] == '"') {
        if (!atDoubledQuote(t)) break;  // a single quote starts the next token
        appendToPool(t, '"');
        t.position += 2;
        continue;
      }
      copyCharacter(t, token);
    }
  }
  token.length = static_cast<int16_t>(t.poolUsed - token.text);
  appendToPool(t, '\0');
  return token;
}

ExpressionToken simpleToken(ExpressionTokenKind kind) { return {kind, 0, 0, 0, 0}; }

}  // namespace

ExpressionTokenizer startExpressionTokenizer(const char* text, size_t length, char* pool,
                                             size_t poolCapacity, bool wildcard) {
  return {text, length, 0, pool, poolCapacity, 0, wildcard};
}

ExpressionToken nextExpressionToken(ExpressionTokenizer& t) {
  while (t.position < t.length && isBlank(t.text[t.position])) ++t.position;
  if (t.position >= t.length) return simpleToken(ExpressionTokenKind::kEnd);
  switch (t.text[t.position]) {
    case '(':
      ++t.position;
      return simpleToken(ExpressionTokenKind::kOpenParen);
    case ')':
      ++t.position;
      return simpleToken(ExpressionTokenKind::kCloseParen);
    case '~':
      ++t.position;
      return simpleToken(ExpressionTokenKind::kNot);
    case '&':
      ++t.position;
      return simpleToken(ExpressionTokenKind::kAnd);
    case '|':
      ++t.position;
      return simpleToken(ExpressionTokenKind::kOr);
    default:
      return readTerm(t);
  }
}
