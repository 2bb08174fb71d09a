// Matching terms against candidates (kinds, ASCII case folding, double-byte
// characters, wildcards) and evaluating whole conditions.
#include <gtest/gtest.h>

#include <string>

#include "platform/memory/recording_messages.h"
#include "search/search_expression.h"

namespace {

struct TermCase {
  const char* term;
  uint8_t kind;
  bool wildcard;
  const char* candidate;
  bool matches;
};

constexpr uint8_t kPrefix = kCodePrefixTerm;
constexpr uint8_t kSuffix = kCodeSuffixTerm;
constexpr uint8_t kContains = kCodeContainsTerm;

void expectTermCases(const TermCase* cases, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    const TermCase& c = cases[i];
    std::string term = c.term;
    std::string candidate = c.candidate;
    // An exact-size copy without terminator: any read past the candidate is caught.
    std::string copy(candidate);
    EXPECT_EQ(matchSearchTerm(term.data(), term.size(), c.kind, c.wildcard, copy.data(),
                              copy.size()),
              c.matches)
        << "term '" << c.term << "' kind " << int(c.kind) << (c.wildcard ? " wildcard" : "")
        << " candidate '" << c.candidate << "'";
  }
}

TEST(SearchTermMatch, KindsAndAsciiCaseFolding) {
  const TermCase cases[] = {
      {"program", kPrefix, false, "Program Files", true},
      {"program", kPrefix, false, "My Program", false},
      {"PROGRAM", kContains, false, "My program", true},
      {".exe", kSuffix, false, "C:\\WINDOWS\\NOTEPAD.EXE", true},
      {".exe", kSuffix, false, "setup.exe.bak", false},
      {".exe", kContains, false, "setup.exe.bak", true},
      {"abc", kContains, false, "xxABCxx", true},
      {"abc", kContains, false, "xxABxCx", false},
      {"abc", kSuffix, false, "abc", true},
      {"abc", kPrefix, false, "abc", true},
      {"abc", kContains, false, "ab", false},  // shorter than the term
      {"@[", kContains, false, "`{", false},   // neighbours of the letters do not fold
      {"a b", kContains, false, "x A B", true},
  };
  expectTermCases(cases, sizeof cases / sizeof cases[0]);
}

TEST(SearchTermMatch, EmptyTermMatchesEverything) {
  for (uint8_t kind : {kPrefix, kSuffix, kContains}) {
    EXPECT_TRUE(matchSearchTerm("", 0, kind, false, "abc", 3));
    EXPECT_TRUE(matchSearchTerm("", 0, kind, true, "", 0));
    EXPECT_TRUE(matchSearchTerm("", 0, kind, false, nullptr, 0));
  }
}

TEST(SearchTermMatch, DoubleByteCharactersMatchAsNamesCompare) {
  const TermCase cases[] = {
      // Full-width letters fold as the registry folds them, Roman numerals too.
      {"Ａ", kContains, false, "ａ", true},
      {"Ａ", kContains, false, "xＡ", true},
      {"Ⅰ", kSuffix, false, "xⅰ", true},
      // ア and ヂ differ only in a trail byte that looks like 'A' / 'a'.
      {"ア", kContains, false, "ヂ", false},
      {"ヂ", kPrefix, false, "アイ", false},
      {"ア", kContains, false, "イア", true},
      // A trail byte is never the start of a match: ポ ends in '|', ア in 'A', 表 in '\'.
      {"|", kContains, false, "ポ", false},
      {"|", kContains, false, "ポ|", true},
      {"a", kContains, false, "ア", false},
      {"\\", kSuffix, false, "表", false},
      {"\\", kSuffix, false, "表\\", true},
      {"|x", kContains, false, "ポx", false},
      {"ポ", kSuffix, false, "ポイントポ", true},
      {"ポイ", kPrefix, false, "ポイント", true},
      {"ント", kContains, false, "ポイント", true},
  };
  expectTermCases(cases, sizeof cases / sizeof cases[0]);
}

TEST(SearchTermMatch, QuestionMarkMatchesOneCharacterInWildcardForm) {
  const TermCase cases[] = {
      {"a?c", kContains, true, "abc", true},
      {"a?c", kContains, true, "aポc", true},
      {"a?c", kContains, true, "ac", false},
      {"a?c", kContains, true, "abbc", false},
      {"a?c", kContains, true, "xxAbCxx", true},
      {"a?c", kContains, false, "abc", false},  // without the flag '?' is a character
      {"a?c", kContains, false, "A?C", true},
      {"?b", kPrefix, true, "ポbz", true},
      {"?b", kPrefix, true, "zポb", false},
      {"?c", kSuffix, true, "aポc", true},
      {"a?", kSuffix, true, "xaポ", true},
      {"a?", kSuffix, true, "xaポy", false},
      {"a??", kSuffix, true, "zaポポ", true},  // the match takes 5 bytes for a 3-byte term
      {"a??", kSuffix, true, "aポポz", false},
      {"??", kSuffix, true, "ポ", false},
      {"??", kSuffix, true, "xポ", true},
      {"ab?", kPrefix, true, "ab", false},     // '?' needs a character
      {"?", kContains, true, "ポ", true},
      {"?ア", kContains, true, "ヂア", true},
      {"ア?", kPrefix, true, "ヂア", false},
      {"?|", kContains, true, "xポ", false},   // the '|' of ポ is no character of its own
  };
  expectTermCases(cases, sizeof cases / sizeof cases[0]);
}

TEST(SearchTermMatch, CandidateIsReadByLengthOnly) {
  const char withNul[] = {'a', 'b', '\0', 'c', 'd'};
  EXPECT_TRUE(matchSearchTerm("cd", 2, kContains, false, withNul, 5));
  EXPECT_TRUE(matchSearchTerm("cd", 2, kSuffix, false, withNul, 5));
  EXPECT_FALSE(matchSearchTerm("cd", 2, kContains, false, withNul, 4));
  // A lead byte as the last byte of the candidate is a character of one byte.
  const char lead[] = {'x', '\x83'};
  EXPECT_TRUE(matchSearchTerm("?", 1, kSuffix, true, lead, 2));
  EXPECT_TRUE(matchSearchTerm("x?", 2, kPrefix, true, lead, 2));
}

struct EvaluationCase {
  const char* expression;
  const char* candidate;
  bool result;
};

class SearchEvaluationTest : public ::testing::Test {
 protected:
  void expectCases(const EvaluationCase* cases, size_t count, uint16_t flags = SEARCH_EXPRESSION) {
    for (size_t i = 0; i < count; ++i) {
      const EvaluationCase& c = cases[i];
      ASSERT_TRUE(compileSearchExpression(expression_, c.expression, flags)) << c.expression;
      std::string candidate = c.candidate;
      EXPECT_EQ(evaluateSearchExpression(expression_, candidate.data(), candidate.size()),
                c.result)
          << c.expression << " on '" << c.candidate << "'";
    }
  }

  platform::ScopedMessages messages_;
  SearchExpression expression_{};
};

}  // namespace
