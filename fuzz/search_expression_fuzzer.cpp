// Fuzz target: the search expression compiler and evaluator.
//
// The input (its first 255 bytes, like the search text of a settings record) is
// compiled in both forms, plain and wildcard, from an exact-size heap copy with its
// terminator, so the sanitizers catch any read past the text. A compile must show
// exactly one message when it fails and none when it succeeds; a compiled condition
// must have the documented shape, and it is evaluated against candidates cut from
// the input (exact-size copies without terminator).
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/message_box.h"
#include "search/search_expression.h"

namespace {

class SilentMessages : public platform::MessageSeam {
 public:
  int show(const char*, const char*, unsigned) override {
    ++shown;
    return platform::kAnswerOk;
  }
  int shown = 0;
};

void require(bool condition) {
  if (!condition) std::abort();
}

// The sequence holds groups (one operand and NOT, or two operands and AND / OR),
// every result cell points back at an earlier operator, every operator but the
// root is used exactly once, and every term's text lies terminated in the pool.
void requireShape(const SearchExpression& e) {
  require(e.cellCount > 0 && e.cellCount <= kExpressionSequenceCells);
  require(e.cells[e.cellCount - 1].cellClass == kCellOperator);
  std::vector<int> uses(static_cast<size_t>(e.cellCount), 0);
  int operands = 0;
  for (int i = 0; i < e.cellCount; ++i) {
    const ExpressionCell& cell = e.cells[i];
    if (cell.cellClass == kCellOperator) {
      require(cell.code <= kCodeOr);
      require(operands == (cell.code == kCodeNot ? 1 : 2));
      operands = 0;
      continue;
    }
    require(cell.cellClass == kCellOperand);
    ++operands;
    if (cell.code == kCodeResult) {
      require(cell.length >= 0 && cell.length < i);
      require(e.cells[cell.length].cellClass == kCellOperator);
      ++uses[static_cast<size_t>(cell.length)];
      continue;
    }
    require(cell.code >= kCodePrefixTerm && cell.code <= kCodeContainsTerm);
    require(cell.length >= 0 && cell.text + cell.length < kExpressionPoolBytes);
    require(e.pool[cell.text + cell.length] == '\0');
  }
  for (int i = 0; i < e.cellCount; ++i) {
    if (e.cells[i].cellClass != kCellOperator) continue;
    require(uses[static_cast<size_t>(i)] == (i == e.cellCount - 1 ? 0 : 1));
  }
}

bool evaluateCopy(SearchExpression& e, const uint8_t* bytes, size_t size) {
  std::unique_ptr<char[]> candidate(new char[size]);
  if (size != 0) std::memcpy(candidate.get(), bytes, size);
  return evaluateSearchExpression(e, candidate.get(), size);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static SilentMessages messages;
  static SearchExpression expression;
  platform::setMessageSeam(&messages);

  if (size > static_cast<size_t>(kSearchTextMax)) size = kSearchTextMax;
  std::unique_ptr<char[]> text(new char[size + 1]);
  if (size != 0) std::memcpy(text.get(), data, size);
  text[size] = '\0';

  const uint16_t forms[] = {SEARCH_EXPRESSION, SEARCH_EXPRESSION | SEARCH_WILDCARD};
  for (uint16_t flags : forms) {
    messages.shown = 0;
    bool compiled = compileSearchExpression(expression, text.get(), flags);
    require(messages.shown == (compiled ? 0 : 1));
    if (!compiled) {
      require(expression.cellCount == 0);
      continue;
    }
    requireShape(expression);
    bool whole = evaluateCopy(expression, data, size);
    require(evaluateCopy(expression, data, size) == whole);  // evaluation keeps no state
    evaluateCopy(expression, data + size / 2, size - size / 2);
    evaluateCopy(expression, data, 0);
  }

  platform::setMessageSeam(nullptr);
  return 0;
}
