// Property tests: the compiler and evaluator agree with a small recursive-descent
// reference that parses the same text by the grammar
//
//   expression := unary (('&' | '|') unary)*      with & binding tighter than |
//   unary      := '~' primary | primary
//   primary    := '(' expression ')' | term
//
// (plus: at least one operator somewhere, no '*' in wildcard form) and evaluates it
// character by character, without short cuts.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "platform/memory/recording_messages.h"
#include "search/search_expression.h"
#include "text/cp932.h"

namespace {

using Characters = std::vector<std::string>;

// Splits cp932 text into characters.
Characters splitCharacters(const std::string& text) {
  Characters out;
  for (size_t i = 0; i < text.size();) {
    size_t n = cp932::isLeadByte(text[i]) && i + 1 < text.size() ? 2 : 1;
    out.push_back(text.substr(i, n));
    i += n;
  }
  return out;
}

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

class ReferenceEvaluator {
 public:
  ReferenceEvaluator(const std::string& text, bool wildcard, const std::string& candidate)
      : text_(text), wildcard_(wildcard), candidate_(splitCharacters(candidate)) {}

  // Whether the text is a valid expression; its value in `result`.
  bool run(bool& result) {
    result = expression();
    if (peek() != '\0') ok_ = false;
    return ok_ && sawOperator_;
  }

 private:
  char peek() {
    while (at_ < text_.size() && (text_[at_] == ' ' || text_[at_] == '\t')) ++at_;
    return at_ < text_.size() ? text_[at_] : '\0';
  }

  bool expression() {
    bool value = conjunction();
    while (ok_ && peek() == '|') {
      ++at_;
      sawOperator_ = true;
      bool right = conjunction();
      value = value || right;
    }
    return value;
  }

  bool conjunction() {
    bool value = unary();
    while (ok_ && peek() == '&') {
      ++at_;
      sawOperator_ = true;
      bool right = unary();
      value = value && right;
    }
    return value;
  }

  bool unary() {
    if (peek() == '~') {
      ++at_;
      sawOperator_ = true;
      if (peek() == '~') ok_ = false;
      return !primary();
    }
    return primary();
  }

  bool primary() {
    char c = peek();
    if (c == '(') {
      ++at_;
      bool value = expression();
      if (peek() != ')') ok_ = false;
      ++at_;
      return value;
    }
    if (c == '\0' || c == ')' || c == '~' || c == '&' || c == '|') {
      ok_ = false;
      return false;
    }
    return term();
  }

  bool isDelimiter(char c) {
    return c == ' ' || c == '\t' || c == '(' || c == ')' || c == '~' || c == '&' || c == '|' ||
           c == '^' || c == '$';
  }

  bool term() {
    char kind = 'c';
    if (text_[at_] == '^' || text_[at_] == '$') kind = text_[at_++];
    std::string body;
    bool quoted = at_ < text_.size() && text_[at_] == '"';
    if (quoted) ++at_;
    while (at_ < text_.size()) {
      char c = text_[at_];
      if (!quoted && isDelimiter(c)) break;
      if (c == '"') {
        if (at_ + 1 < text_.size() && text_[at_ + 1] == '"') {
          body += '"';
          at_ += 2;
          continue;
        }
        if (quoted) ++at_;
        break;
      }
      size_t n = cp932::isLeadByte(c) && at_ + 1 < text_.size() ? 2 : 1;
      body += text_.substr(at_, n);
      at_ += n;
    }
    Characters chars = splitCharacters(body);
    for (const std::string& ch : chars) {
      if (wildcard_ && ch == "*") ok_ = false;
    }
    return matches(chars, kind);
  }

  bool same(const std::string& t, const std::string& c) const {
    if (wildcard_ && t == "?") return true;
    if (t.size() == 1 && c.size() == 1) return lower(t[0]) == lower(c[0]);
    return t == c;
  }

  bool matchesAt(const Characters& term, size_t start) const {
    if (start + term.size() > candidate_.size()) return false;
    for (size_t i = 0; i < term.size(); ++i) {
      if (!same(term[i], candidate_[start + i])) return false;
    }
    return true;
  }

  bool matches(const Characters& term, char kind) const {
    if (term.size() > candidate_.size()) return false;
    if (kind == '^') return matchesAt(term, 0);
    if (kind == '$') return matchesAt(term, candidate_.size() - term.size());
    for (size_t i = 0; i + term.size() <= candidate_.size(); ++i) {
      if (matchesAt(term, i)) return true;
    }
    return false;
  }

  const std::string& text_;
  bool wildcard_;
  Characters candidate_;
  size_t at_ = 0;
  bool ok_ = true;
  bool sawOperator_ = false;
};

// Characters terms and candidates are built from: ASCII letters in both cases,
// double-byte characters whose trail bytes look like 'A', 'a', '|' and '~', and the
// characters that need quoting.
const char* const kCharacters[] = {"a", "b", "B", "ア", "ヂ", "ポ", "ミ", "|", " ", "\"", "?"};

class ExpressionGenerator {
 public:
  explicit ExpressionGenerator(uint32_t seed) : random_(seed) {}

  std::string expression(int depth) {
    if (depth == 0) operators = 0;
    std::string out = operand(depth);
    int more = pick(3);
    operators += more;
    for (int i = 0; i < more; ++i) out += blank() + (pick(2) ? "&" : "|") + blank() + operand(depth);
    return out;
  }

  std::string candidate() {
    std::string out;
    int length = pick(7);
    for (int i = 0; i < length; ++i) out += kCharacters[pick(std::size(kCharacters))];
    return out;
  }

  int pick(size_t n) { return static_cast<int>(random_() % n); }

  int operators = 0;  // in the last expression

 private:
  std::string blank() { return pick(3) == 0 ? " " : pick(5) == 0 ? "\t" : ""; }

  std::string operand(int depth) {
    std::string out;
    if (pick(4) == 0) {
      out = "~" + blank();
      ++operators;
    }
    if (depth < 3 && pick(4) == 0) return out + "(" + blank() + expression(depth + 1) + blank() + ")";
    return out + term();
  }

  std::string term() {
    const char* markers[] = {"", "", "^", "$"};
    std::string out = markers[pick(4)];
    std::string body;
    int length = pick(4);
    for (int i = 0; i < length; ++i) body += kCharacters[pick(std::size(kCharacters))];
    bool needsQuotes = body.find_first_of(" |\"") != std::string::npos || (body.empty() && out.empty());
    if (!needsQuotes && pick(5) != 0) return out + body;
    out += '"';
    for (char c : body) out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + '"';
  }

  std::mt19937 random_;
};

// Evaluates on an exact-size copy, so a read past the candidate is caught.
bool evaluateExactly(SearchExpression& expression, const std::string& candidate) {
  std::unique_ptr<char[]> copy(new char[candidate.size()]);
  std::copy(candidate.begin(), candidate.end(), copy.get());
  return evaluateSearchExpression(expression, copy.get(), candidate.size());
}

TEST(SearchExpressionProperty, GeneratedExpressionsAgreeWithTheReference) {
  platform::ScopedMessages messages;
  ExpressionGenerator generate(20240611);
  SearchExpression expression{};
  int compared = 0;
  for (int round = 0; round < 3000; ++round) {
    std::string text = generate.expression(0);
    // (Searching the text for operator bytes would find the trail bytes of ポ and ミ.)
    if (generate.operators == 0 || text.size() > kSearchTextMax) continue;
    bool wildcard = generate.pick(2) == 0;
    uint16_t flags = SEARCH_EXPRESSION | (wildcard ? SEARCH_WILDCARD : 0);
    ASSERT_TRUE(compileSearchExpression(expression, text.c_str(), flags))
        << text << ": " << messages.recorder.shown.back().text;
    for (int i = 0; i < 12; ++i) {
      std::string candidate = generate.candidate();
      bool expected = false;
      ASSERT_TRUE(ReferenceEvaluator(text, wildcard, candidate).run(expected)) << text;
      ASSERT_EQ(evaluateExactly(expression, candidate), expected)
          << "'" << text << "'" << (wildcard ? " (wildcard)" : "") << " on '" << candidate << "'";
      ++compared;
    }
  }
  EXPECT_TRUE(messages.recorder.shown.empty());
  EXPECT_GT(compared, 20000);
}

// Arbitrary token soup: the compiler accepts exactly what the reference grammar
// accepts, shows one box for everything else, and evaluates accepted texts alike.
TEST(SearchExpressionProperty, ArbitraryTextsAreAcceptedExactlyWhenTheReferenceAccepts) {
  const char* const tokens[] = {"a", "B", "ポ", "ア", " ", "(", ")", "~", "&",
                                "|", "^", "$", "\"", "?", "*", "ミ", "\t"};
  platform::ScopedMessages messages;
  std::mt19937 random(77);
  SearchExpression expression{};
  int accepted = 0;
  for (int round = 0; round < 40000; ++round) {
    std::string text;
    int length = static_cast<int>(random() % 12);
    for (int i = 0; i < length; ++i) text += tokens[random() % std::size(tokens)];
    bool wildcard = random() % 2 == 0;
    uint16_t flags = SEARCH_EXPRESSION | (wildcard ? SEARCH_WILDCARD : 0);
    messages.recorder.shown.clear();
    bool ok = compileSearchExpression(expression, text.c_str(), flags);
    bool ignored = false;
    ASSERT_EQ(ok, ReferenceEvaluator(text, wildcard, "").run(ignored))
        << "'" << text << "'" << (wildcard ? " (wildcard)" : "");
    ASSERT_EQ(messages.recorder.shown.size(), ok ? 0u : 1u) << text;
    if (!ok) continue;
    ++accepted;
    for (const char* candidate : {"", "a", "Bポ", "アミa", "ヂ?", "xa*b"}) {
      bool expected = false;
      ReferenceEvaluator(text, wildcard, candidate).run(expected);
      ASSERT_EQ(evaluateExactly(expression, candidate), expected)
          << "'" << text << "'" << (wildcard ? " (wildcard)" : "") << " on '" << candidate << "'";
    }
  }
  EXPECT_GT(accepted, 1000);
}

}  // namespace
