// Matching terms against candidates (kinds, ASCII case folding, double-byte characters,
// wildcards), and the matchers against naive references on random strings.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "search/search_expression.h"
#include "search/search_match.h"
#include "text/cp932.h"

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

}  // namespace

// The wildcard and plain matchers against naive references on random cp932-like
// strings: every way of letting each '*' take 0..n bytes is tried recursively.

namespace {

size_t charLen(const std::string& s, size_t at) {
  return cp932::isLeadByte(s[at]) && at + 1 < s.size() && s[at + 1] != '\0' ? 2 : 1;
}

// Matches pattern[p..] at s[at..]; `whole` needs the end of s.
bool naive(const std::string& pat, size_t p, const std::string& s, size_t at, bool whole) {
  if (p == pat.size()) return !whole || at == s.size();
  if (pat[p] == '*') {
    for (size_t k = at; k <= s.size(); ++k) {
      if (naive(pat, p + 1, s, k, whole)) return true;
    }
    return false;
  }
  if (at >= s.size()) return false;
  if (pat[p] == '?') return naive(pat, p + 1, s, at + charLen(s, at), whole);
  if (cp932::isLeadByte(pat[p]) && p + 1 < pat.size() && pat[p + 1] != '*') {
    return at + 1 < s.size() && s[at] == pat[p] && s[at + 1] == pat[p + 1] &&
           naive(pat, p + 2, s, at + 2, whole);
  }
  return cp932::foldAscii(s[at]) == cp932::foldAscii(pat[p]) && naive(pat, p + 1, s, at + 1, whole);
}

bool naiveWildcard(const std::string& pat, const std::string& s, bool partial) {
  if (pat.empty()) return false;
  if (!partial) return naive(pat, 0, s, 0, true);
  for (size_t at = 0; at <= s.size(); at += at < s.size() ? charLen(s, at) : 1) {
    if (naive(pat, 0, s, at, false)) return true;
  }
  return false;
}

bool naivePlain(const std::string& text, const std::string& s, bool partial) {
  auto eq = [](const std::string& a, size_t at, const std::string& b) {
    for (size_t i = 0; i < b.size(); ++i) {
      if (cp932::foldAscii(a[at + i]) != cp932::foldAscii(b[i])) return false;
    }
    return true;
  };
  if (!partial) return s.size() == text.size() && eq(s, 0, text);
  for (size_t at = 0; at + text.size() <= s.size(); at += at < s.size() ? charLen(s, at) : 1) {
    if (eq(s, at, text)) return true;
  }
  return false;
}

std::string randomText(std::mt19937& rng, bool pattern) {
  // Few distinct bytes so matches happen: letters in both cases, a lead byte whose
  // trail bytes are ASCII letters too, and the wildcards.
  static const char kPlain[] = {'a', 'A', 'b', 'x', '\x82', '\x81', '\\'};
  static const char kWild[] = {'a', 'A', 'b', 'x', '\x82', '\x81', '\\', '*', '?', '*'};
  std::uniform_int_distribution<int> length(0, pattern ? 6 : 9);
  std::string out;
  const int n = length(rng);
  for (int i = 0; i < n; ++i) {
    out += pattern ? kWild[rng() % sizeof kWild] : kPlain[rng() % sizeof kPlain];
  }
  return out;
}

TEST(SearchMatchProperty, WildcardAgreesWithTheNaiveReference) {
  std::mt19937 rng(1207);
  for (int i = 0; i < 60000; ++i) {
    const std::string pat = randomText(rng, true);
    const std::string s = randomText(rng, false);
    const bool partial = (i & 1) != 0;
    ASSERT_EQ(matchWildcard(pat.data(), pat.size(), partial, s.data(), s.size()),
              naiveWildcard(pat, s, partial))
        << "pattern '" << pat << "' text '" << s << "' partial " << partial;
  }
}

TEST(SearchMatchProperty, PlainAgreesWithTheNaiveReference) {
  std::mt19937 rng(7);
  for (int i = 0; i < 60000; ++i) {
    const std::string text = randomText(rng, false).substr(0, 3);
    const std::string s = randomText(rng, false);
    const bool partial = (i & 1) != 0;
    ASSERT_EQ(matchPlainText(text.data(), text.size(), partial, s.data(), s.size()),
              naivePlain(text, s, partial))
        << "text '" << text << "' candidate '" << s << "' partial " << partial;
  }
}

}  // namespace
