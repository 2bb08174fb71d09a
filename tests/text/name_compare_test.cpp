// The name order against a character-by-character reference through foldedCharacter,
// on names sharing long beginnings, differing in case, in trail bytes that look like
// letters, and in lead bytes cut by the end.
#include <gtest/gtest.h>

#include <random>

#include "text/cp932.h"

static int referenceOrder(const char* a, const char* b) {
  for (;;) {
    if (*a == '\0' || *b == '\0') return (*a != '\0') - (*b != '\0');
    const cp932::FoldedCharacter x = cp932::foldedCharacter(a), y = cp932::foldedCharacter(b);
    if (x.key != y.key) return x.key < y.key ? -1 : 1;
    a += x.length, b += y.length;
  }
}

TEST(NameCompare, AgreesWithTheCharacterByCharacterReference) {
  static const char kBytes[] = "aAzZ_[\x81\x82\x9f\xe0\xfc\x41\x61\x60\xa0\x8f";
  std::mt19937 rng(932);
  auto bytes = [&](size_t n) {
    std::string text(n, ' ');
    for (char& c : text) c = kBytes[rng() % (sizeof kBytes - 1)];
    return text;
  };
  for (int i = 0; i < 200000; ++i) {
    const std::string a = bytes(rng() % 12) + bytes(rng() % 3);
    std::string b = rng() % 4 == 0 ? a : a.substr(0, rng() % (a.size() + 1)) + bytes(rng() % 3);
    if (rng() % 2 == 0 && !b.empty()) b[rng() % b.size()] ^= 0x20;  // case, or another byte
    const int order = cp932::compareNames(a.c_str(), b.c_str());
    ASSERT_EQ((order > 0) - (order < 0), referenceOrder(a.c_str(), b.c_str())) << a << " " << b;
  }
}
