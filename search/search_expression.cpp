// The compiler: one left-to-right pass over the tokens with a work stack of pending
// operands, operators and open parentheses. Operators are reduced by precedence
// (NOT before AND before OR, equal precedence from the left); each reduction writes
// one group to the sequence and leaves a result cell on the stack in its place.
//
// The parser remembers the class and code of the last cell pushed or left on top of
// the stack; every check is made against them when its character is met, and the
// first failing check ends the parse. Only '*' in wildcard form is an error that
// lets the parse go on (a later error replaces its message).
#include "search/search_expression.h"

#include <cstdlib>
#include <cstring>

#include "platform/message_box.h"
#include "search/expression_tokenizer.h"

namespace {

const char kCaption[] = "検索条件式エラー";

const char kOpenParenMisplaced[] = "始まり括弧の位置が間違っています。";
const char kCloseParenUnmatched[] = "閉じ括弧に対応する始まり括弧が見つかりません。";
const char kCloseParenMisplaced[] = "閉じ括弧の位置が間違っています。";
const char kNotMisplaced[] = "~(NOT)記号の位置が間違っています。";
const char kNotRepeated[] = "~(NOT)記号が2個以上繰り返し記述されています。";
const char kAndMisplaced[] = "&(AND)記号の位置が間違っています。";
const char kOrMisplaced[] = "|(OR)記号の位置が間違っています。";
const char kOperatorMissing[] = "条件文字列と条件文字列の間に演算記号がありません。";
const char kStarForbidden[] = "検索条件式内で、'*'ワイルドカード指定は使用できません。";
const char kParenNotClosed[] = "括弧が閉じていません。";
const char kUsage[] =
    "検索条件式に演算子がありません。次の演算子のどれかを利用して下さい。\n\n"
    "~　NOT\n&　AND\n| 　OR\n\n"
    "検索文字列は次のように指定してください。\n\n"
    "任意文字列、或いは\nダブルクォートで囲んだ「演算子を含む文字列」\n"
    "^文字列 : 先頭にある文字列\n$文字列 : 終端にある文字列";

constexpr int kNoCell = -1;

struct Parser {
  SearchExpression& out;
  ExpressionCell stack[kExpressionStackCells];
  int stackCount = 0;
  int previousClass = kNoCell;
  int previousCode = kNoCell;
  int depth = 0;
  int errorCount = 0;
  const char* message = nullptr;

  explicit Parser(SearchExpression& expression) : out(expression) {}
};

// The capacities are proven sufficient for any text of kSearchTextMax bytes (see
// search_expression.h); a breach would be a defect of the parser, and stopping is
// safer than writing past an array.
void requireRoom(int count, int capacity) {
  if (count >= capacity) std::abort();
}

void recordError(Parser& p, const char* message) {
  ++p.errorCount;
  p.message = message;
}

bool fail(Parser& p, const char* message) {
  recordError(p, message);
  return false;
}

void rememberTop(Parser& p) {
  if (p.stackCount == 0) {
    p.previousClass = kNoCell;
    p.previousCode = kNoCell;
    return;
  }
  p.previousClass = p.stack[p.stackCount - 1].cellClass;
  p.previousCode = p.stack[p.stackCount - 1].code;
}

void push(Parser& p, const ExpressionCell& cell) {
  requireRoom(p.stackCount, kExpressionStackCells);
  p.stack[p.stackCount++] = cell;
  p.previousClass = cell.cellClass;
  p.previousCode = cell.code;
}

int emit(Parser& p, const ExpressionCell& cell) {
  requireRoom(p.out.cellCount, kExpressionSequenceCells);
  p.out.cells[p.out.cellCount] = cell;
  return p.out.cellCount++;
}

int topmostOperator(const Parser& p) {
  for (int i = p.stackCount - 1; i >= 0; --i) {
    if (p.stack[i].cellClass == kCellOperator) return i;
  }
  return kNoCell;
}

bool isOperandAt(const Parser& p, int i) {
  return i >= 0 && i < p.stackCount && p.stack[i].cellClass == kCellOperand;
}

// Reduces the topmost operator: writes its group to the sequence and replaces the
// operator and its operands on the stack by one result cell. Callers reduce only
// when the operator has its operands (the parse ends before any operator that lacks
// one would be reduced); anything else is a defect, trapped like a capacity breach.
void reduceTopOperator(Parser& p) {
  int op = topmostOperator(p);
  if (op == kNoCell) std::abort();
  bool binary = p.stack[op].code != kCodeNot;
  int first = binary ? op - 1 : op;  // the cells replaced by the result
  if (op + 2 != p.stackCount || !isOperandAt(p, op + 1) || (binary && !isOperandAt(p, first))) {
    std::abort();
  }
  if (binary) emit(p, p.stack[first]);
  emit(p, p.stack[op + 1]);
  int position = emit(p, p.stack[op]);
  p.stack[first] = {kCellOperand, kCodeResult, static_cast<int16_t>(position), 0, 0};
  p.stackCount = first + 1;
  rememberTop(p);
}

// Pushes an operator after reducing every stacked operator, down to the nearest open
// parenthesis, that binds at least as tightly.
void pushOperator(Parser& p, uint8_t code) {
  for (;;) {
    int i = p.stackCount - 1;
    while (i >= 0 && p.stack[i].cellClass == kCellOperand) --i;
    if (i < 0 || p.stack[i].cellClass == kCellOpenParen || p.stack[i].code > code) break;
    reduceTopOperator(p);
  }
  push(p, {kCellOperator, code, 0, 0, 0});
}

// Reduces the group above the nearest open parenthesis to one operand, which then
// takes the parenthesis's place.
void closeGroup(Parser& p) {
  int open = p.stackCount - 1;
  while (p.stack[open].cellClass != kCellOpenParen) --open;
  while (topmostOperator(p) > open) reduceTopOperator(p);
  p.stack[open] = p.stack[open + 1];
  p.stackCount = open + 1;
  --p.depth;
  rememberTop(p);
}

const char* operatorPositionMessage(int code) {
  switch (code) {
    case kCodeNot:
      return kNotMisplaced;
    case kCodeAnd:
      return kAndMisplaced;
    default:
      return kOrMisplaced;
  }
}

// One token; returns false when a check fails (the parse ends there).
bool takeToken(Parser& p, const ExpressionToken& token) {
  bool afterOperand = p.previousClass == kCellOperand;
  switch (token.kind) {
    case ExpressionTokenKind::kOpenParen:
      if (afterOperand) return fail(p, kOpenParenMisplaced);
      ++p.depth;
      push(p, {kCellOpenParen, kCodeOpenParen, 0, 0, 0});
      return true;
    case ExpressionTokenKind::kCloseParen:
      if (p.depth == 0) return fail(p, kCloseParenUnmatched);
      if (!afterOperand) return fail(p, kCloseParenMisplaced);
      closeGroup(p);
      return true;
    case ExpressionTokenKind::kNot:
      if (afterOperand) return fail(p, kNotMisplaced);
      if (p.previousCode == kCodeNot) return fail(p, kNotRepeated);
      pushOperator(p, kCodeNot);
      return true;
    case ExpressionTokenKind::kAnd:
      if (!afterOperand) return fail(p, kAndMisplaced);
      pushOperator(p, kCodeAnd);
      return true;
    case ExpressionTokenKind::kOr:
      if (!afterOperand) return fail(p, kOrMisplaced);
      pushOperator(p, kCodeOr);
      return true;
    case ExpressionTokenKind::kTerm:
      if (afterOperand) return fail(p, kOperatorMissing);
      if (token.starCount > 0) recordError(p, kStarForbidden);
      push(p, {kCellOperand, token.termCode, token.length, 0, token.text});
      return true;
    case ExpressionTokenKind::kEnd:
      break;
  }
  return true;
}

// End of the text. A text that ends with an operator leaves that operator without
// its (right) operand: it is refused with the position message of that operator.
void finish(Parser& p) {
  if (p.previousClass == kCellOperator) recordError(p, operatorPositionMessage(p.previousCode));
  if (p.depth != 0) recordError(p, kParenNotClosed);
  if (p.errorCount != 0) return;
  while (topmostOperator(p) != kNoCell) reduceTopOperator(p);
  if (p.out.cellCount == 0) recordError(p, kUsage);
}

SearchExpression currentExpression;

}  // namespace

bool compileSearchExpression(SearchExpression& expression, const char* text, uint16_t flags) {
  if (text == nullptr) text = "";
  expression.cellCount = 0;
  expression.wildcard = (flags & SEARCH_WILDCARD) != 0;
  size_t length = 0;
  while (length < static_cast<size_t>(kSearchTextMax) && text[length] != '\0') ++length;

  Parser parser(expression);
  ExpressionTokenizer tokenizer =
      startExpressionTokenizer(text, length, expression.pool, sizeof expression.pool, expression.wildcard);
  bool parsing = true;
  for (;;) {
    ExpressionToken token = nextExpressionToken(tokenizer);
    if (token.kind == ExpressionTokenKind::kEnd) break;
    parsing = takeToken(parser, token);
    if (!parsing) break;
  }
  if (parsing) finish(parser);

  if (parser.errorCount != 0) {
    expression.cellCount = 0;
    platform::showMessage(parser.message, kCaption, platform::kMsgOk | platform::kMsgIconWarning);
    return false;
  }
  return true;
}

bool compileSearchExpression(const char* text, uint16_t flags) {
  return compileSearchExpression(currentExpression, text, flags);
}

bool evaluateSearchExpression(const char* candidate, size_t length) {
  return evaluateSearchExpression(currentExpression, candidate, length);
}
