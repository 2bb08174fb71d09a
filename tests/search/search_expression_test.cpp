// Compiling search expressions: grouping and precedence (read back from the flat
// sequence), double-byte text, every error message, and capacity at the longest text
// (quoting and term kinds are the property tests' part).
#include "search/search_expression.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/memory/recording_messages.h"

namespace {

const char kCaption[] = "検索条件式エラー";

// Rebuilds the condition from the sequence as fully parenthesised text, checking the
// layout on the way: groups of operands followed by their operator, result cells
// pointing back at an earlier operator, the root last.
std::string render(const SearchExpression& e) {
  std::vector<std::string> results(static_cast<size_t>(e.cellCount));
  std::vector<std::string> pending;
  for (int i = 0; i < e.cellCount; ++i) {
    const ExpressionCell& cell = e.cells[i];
    if (cell.cellClass == kCellOperand && cell.code == kCodeResult) {
      EXPECT_LT(cell.length, i);
      EXPECT_EQ(e.cells[cell.length].cellClass, kCellOperator);
      pending.push_back(results[static_cast<size_t>(cell.length)]);
      continue;
    }
    if (cell.cellClass == kCellOperand) {
      EXPECT_TRUE(cell.code == kCodePrefixTerm || cell.code == kCodeSuffixTerm || cell.code == kCodeContainsTerm);
      EXPECT_EQ(e.pool[cell.text + cell.length], '\0');
      const std::string mark = cell.code == kCodePrefixTerm ? "^" : cell.code == kCodeSuffixTerm ? "$" : "";
      pending.push_back(mark + "[" + std::string(e.pool + cell.text, static_cast<size_t>(cell.length)) + "]");
      continue;
    }
    EXPECT_EQ(cell.cellClass, kCellOperator);
    if (cell.code == kCodeNot) {
      EXPECT_EQ(pending.size(), 1u);
      results[static_cast<size_t>(i)] = "~" + (pending.empty() ? "?" : pending[0]);
    } else {
      EXPECT_EQ(pending.size(), 2u);
      if (pending.size() != 2) return "bad group";
      results[static_cast<size_t>(i)] =
          "(" + pending[0] + (cell.code == kCodeAnd ? " & " : " | ") + pending[1] + ")";
    }
    pending.clear();
  }
  EXPECT_TRUE(pending.empty());
  return e.cellCount == 0 ? "" : results.back();
}

class SearchExpressionTest : public ::testing::Test {
 protected:
  // Compiles and returns the rendered condition; fails the test when a box appeared.
  std::string compiled(const std::string& text, uint16_t flags = SEARCH_EXPRESSION) {
    messages_.recorder.shown.clear();
    bool ok = compileSearchExpression(expression_, text.c_str(), flags);
    EXPECT_TRUE(ok) << text;
    EXPECT_TRUE(messages_.recorder.shown.empty())
        << text << ": " << (messages_.recorder.shown.empty() ? "" : messages_.recorder.shown[0].text);
    return render(expression_);
  }

  // Compiles text that must be refused; returns the one message shown.
  std::string refused(const std::string& text, uint16_t flags = SEARCH_EXPRESSION) {
    messages_.recorder.shown.clear();
    EXPECT_FALSE(compileSearchExpression(expression_, text.c_str(), flags)) << text;
    EXPECT_EQ(expression_.cellCount, 0);
    EXPECT_EQ(messages_.recorder.shown.size(), 1u) << text;
    if (messages_.recorder.shown.empty()) return "";
    const platform::ShownMessage& box = messages_.recorder.shown[0];
    EXPECT_EQ(box.caption, kCaption);
    EXPECT_EQ(box.flags, platform::kMsgOk | platform::kMsgIconWarning);
    return box.text;
  }

  platform::ScopedMessages messages_;
  SearchExpression expression_{};
};

struct Grouping {
  const char* text;
  const char* tree;
};

// Same-level operators group from the left: the sequence shows it, the truth does not
// (the property tests check the precedence through the truth).
TEST_F(SearchExpressionTest, PrecedenceIsNotThenAndThenOrFromTheLeft) {
  const Grouping cases[] = {
      {"a & b & c", "(([a] & [b]) & [c])"},
      {"a | b | c", "(([a] | [b]) | [c])"},
      {"a|b&c|d", "(([a] | ([b] & [c])) | [d])"},
      {"a & ~b & c", "(([a] & ~[b]) & [c])"},
  };
  for (const Grouping& c : cases) EXPECT_EQ(compiled(c.text), c.tree) << c.text;
}

struct Refusal {
  const char* text;
  const char* message;
};

const char kUsage[] =
    "検索条件式に演算子がありません。次の演算子のどれかを利用して下さい。\n\n"
    "~　NOT\n&　AND\n| 　OR\n\n"
    "検索文字列は次のように指定してください。\n\n"
    "任意文字列、或いは\nダブルクォートで囲んだ「演算子を含む文字列」\n"
    "^文字列 : 先頭にある文字列\n$文字列 : 終端にある文字列";

TEST_F(SearchExpressionTest, EachErrorShowsItsMessageOnce) {
  const Refusal cases[] = {
      {"a (b)", "始まり括弧の位置が間違っています。"},
      {"(a)(b)", "始まり括弧の位置が間違っています。"},
      {"a)", "閉じ括弧に対応する始まり括弧が見つかりません。"},
      {"()", "閉じ括弧の位置が間違っています。"},
      {"(a &)", "閉じ括弧の位置が間違っています。"},
      {"(~)", "閉じ括弧の位置が間違っています。"},
      {"a ~b", "~(NOT)記号の位置が間違っています。"},
      {"(a)~b", "~(NOT)記号の位置が間違っています。"},
      {"a & ~~b", "~(NOT)記号が2個以上繰り返し記述されています。"},
      {"& a", "&(AND)記号の位置が間違っています。"},
      {"(& a)", "&(AND)記号の位置が間違っています。"},
      {"~& a", "&(AND)記号の位置が間違っています。"},
      {"| a", "|(OR)記号の位置が間違っています。"},
      {"a & | b", "|(OR)記号の位置が間違っています。"},
      {"a^b", "条件文字列と条件文字列の間に演算記号がありません。"},
      {"a b & c", "条件文字列と条件文字列の間に演算記号がありません。"},
      {"\"a\"\"b\" \"c\"", "条件文字列と条件文字列の間に演算記号がありません。"},
      {"a\"b\" & c", "条件文字列と条件文字列の間に演算記号がありません。"},
      {"(a) b", "条件文字列と条件文字列の間に演算記号がありません。"},
      {"a & (b", "括弧が閉じていません。"},
      {"(", "括弧が閉じていません。"},
      {"abc", kUsage},
      {"", kUsage},
      {"\"a & b\"", kUsage},
      {"^ab$", "条件文字列と条件文字列の間に演算記号がありません。"},
  };
  for (const Refusal& c : cases) EXPECT_EQ(refused(c.text), c.message) << c.text;
}

// A text that ends with an operator would leave that operator without an operand;
// it is refused with the position message of the operator it ends with.
TEST_F(SearchExpressionTest, TrailingOperatorIsRefusedWithItsPositionMessage) {
  const Refusal cases[] = {
      {"a &", "&(AND)記号の位置が間違っています。"},
      {"a & b |  ", "|(OR)記号の位置が間違っています。"},
      {"a & ~", "~(NOT)記号の位置が間違っています。"},
      {"~", "~(NOT)記号の位置が間違っています。"},
      {"(a) | ~", "~(NOT)記号の位置が間違っています。"},
      // Unclosed parentheses are reported after the operator and so win.
      {"(a &", "括弧が閉じていません。"},
      {"a & (", "括弧が閉じていません。"},
  };
  for (const Refusal& c : cases) EXPECT_EQ(refused(c.text), c.message) << c.text;
}

TEST_F(SearchExpressionTest, StarInWildcardFormIsReportedUnlessALaterErrorReplacesIt) {
  const uint16_t wild = SEARCH_EXPRESSION | SEARCH_WILDCARD;
  const char star[] = "検索条件式内で、'*'ワイルドカード指定は使用できません。";
  EXPECT_EQ(refused("a* & b", wild), star);
  EXPECT_EQ(refused("a & \"*\"", wild), star);
  EXPECT_EQ(refused("**", wild), star);  // also no operator: the recorded error wins
  EXPECT_EQ(refused("a* & (b", wild), "括弧が閉じていません。");
  EXPECT_EQ(refused("a* b", wild), "条件文字列と条件文字列の間に演算記号がありません。");
  EXPECT_EQ(refused("a* &", wild), "&(AND)記号の位置が間違っています。");
  // The '*' of a double-byte character's second byte is no wildcard (no such
  // character exists in cp932, so build one from a lead byte and '*').
  EXPECT_EQ(compiled("\x81* & b", wild), "([\x81*] & [b])");
}

TEST_F(SearchExpressionTest, OnlyTheFirst255BytesAreRead) {
  std::string text = "a & b" + std::string(kSearchTextMax - 5, ' ') + "& (";
  EXPECT_EQ(compiled(text), "([a] & [b])");
  // A lead byte in the last byte read loses its second byte.
  text = "a & " + std::string(kSearchTextMax - 5, 'b') + "ポ";
  EXPECT_EQ(compiled(text), "([a] & [" + std::string(kSearchTextMax - 5, 'b') + "\x83])");
}

// The longest texts that produce the most cells, terms, pool bytes and stack depth
// all fit; the conditions still evaluate.
TEST_F(SearchExpressionTest, LongestTextsFit) {
  std::string manyTerms = "^";
  while (manyTerms.size() + 2 <= kSearchTextMax) manyTerms += "&^";
  std::string manyNots = "~^";
  while (manyNots.size() + 3 <= kSearchTextMax) manyNots += "&~^";
  std::string deep = std::string(127, '(') + "a" + std::string(127, ')');
  std::string notDeep;
  for (int i = 0; i < 84; ++i) notDeep += "~(";
  notDeep = notDeep + "a" + std::string(notDeep.size() / 2, ')');
  std::string quoted;
  while (quoted.size() + 6 <= kSearchTextMax) quoted += "\"\"\"\"|";
  quoted += "\"\"";
  std::string orsOfAnds = "a";
  while (orsOfAnds.size() + 4 <= kSearchTextMax) orsOfAnds += "&b|c";

  struct Case {
    const std::string& text;
    int cells;
    int truth;  // for the candidate "abc"; -1: not checked
  } cases[] = {
      {manyTerms, 3 * 127, 1},
      {manyNots, 3 * 84 + 2 * 85, 0},
      {notDeep, 2 * 84, 1},
      {quoted, 3 * 50, 1},
      {orsOfAnds, 3 * 126, -1},
  };
  for (const Case& c : cases) {
    ASSERT_LE(c.text.size(), static_cast<size_t>(kSearchTextMax));
    ASSERT_GE(c.text.size(), static_cast<size_t>(kSearchTextMax - 3));
    EXPECT_NE(compiled(c.text), "");
    EXPECT_EQ(expression_.cellCount, c.cells) << c.text;
    bool truth = evaluateSearchExpression(expression_, "abc", 3);
    if (c.truth >= 0) {
      EXPECT_EQ(truth, c.truth == 1) << c.text;
    }
  }
  // The deepest nesting has no operator at all.
  EXPECT_EQ(refused(deep), kUsage);
}

TEST(ProgramWideSearchExpression, CompiledConditionServesTheCurrentSearch) {
  platform::ScopedMessages messages;
  ASSERT_TRUE(compileSearchExpression("^HKEY & ~$Run", SEARCH_EXPRESSION));
  EXPECT_TRUE(evaluateSearchExpression("hkey_local_machine", 18));
  EXPECT_FALSE(evaluateSearchExpression("HKEY\\Run", 8));
  EXPECT_FALSE(compileSearchExpression("^HKEY &", SEARCH_EXPRESSION));
  EXPECT_FALSE(evaluateSearchExpression("hkey_local_machine", 18));
  EXPECT_EQ(messages.recorder.shown.size(), 1u);
}

}  // namespace
