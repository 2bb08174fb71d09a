// Matching terms against candidates where the expression property tests' reference
// does not reach (the empty term, a NUL inside the candidate, a lead byte at its end),
// and the wildcard matcher against a naive reference on random strings.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "search/search_expression.h"
#include "search/search_match.h"
#include "text/cp932.h"

namespace {

constexpr uint8_t kPrefix = kCodePrefixTerm;
constexpr uint8_t kSuffix = kCodeSuffixTerm;
constexpr uint8_t kContains = kCodeContainsTerm;

TEST(SearchTermMatch, EmptyTermMatchesEverything) {
  for (uint8_t kind : {kPrefix, kSuffix, kContains}) {
    EXPECT_TRUE(matchSearchTerm("", 0, kind, false, "abc", 3));
    EXPECT_TRUE(matchSearchTerm("", 0, kind, true, "", 0));
    EXPECT_TRUE(matchSearchTerm("", 0, kind, false, nullptr, 0));
  }
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

// The wildcard matcher against a naive reference on random cp932-like strings: every
// way of letting each '*' take 0..n bytes is tried recursively (the plain matcher is
// the search walk tests' and the expression property tests' part).

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

}  // namespace
