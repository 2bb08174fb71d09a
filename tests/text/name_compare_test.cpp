// The name order against a plain reference that compares character by character
// through foldedCharacter, on names that share long beginnings and differ in case,
// in trail bytes that look like letters, and in lead bytes cut by the end.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "text/cp932.h"

namespace {

int sign(int x) { return (x > 0) - (x < 0); }

int referenceOrder(const char* a, const char* b) {
  for (;;) {
    if (*a == '\0' || *b == '\0') return sign((*a != '\0') - (*b != '\0'));
    const cp932::FoldedCharacter x = cp932::foldedCharacter(a);
    const cp932::FoldedCharacter y = cp932::foldedCharacter(b);
    if (x.key != y.key) return x.key < y.key ? -1 : 1;
    a += x.length;
    b += y.length;
  }
}

TEST(NameCompare, AgreesWithTheCharacterByCharacterReference) {
  // Letters of both cases, lead bytes of both ranges, trail bytes in the letter range.
  static const unsigned char kBytes[] = {'a', 'A', 'z', 'Z', '_', '[', 0x81, 0x82, 0x9F,
                                         0xE0, 0xFC, 0x41, 0x61, 0x60, 0xA0, 0x8F};
  std::mt19937 rng(932);
  auto randomBytes = [&](size_t length) {
    std::string text;
    while (text.size() < length) text += static_cast<char>(kBytes[rng() % sizeof kBytes]);
    return text;
  };
  for (int i = 0; i < 200000; ++i) {
    const std::string shared = randomBytes(rng() % 12);
    std::string a = shared + randomBytes(rng() % 3);
    std::string b = shared + randomBytes(rng() % 3);
    if (rng() % 4 == 0) b = a;  // equal bytes, then one changed below or not at all
    if (rng() % 2 == 0 && !b.empty()) b[rng() % b.size()] ^= 0x20;  // case, or another byte
    const int order = cp932::compareNames(a.c_str(), b.c_str());
    ASSERT_EQ(sign(order), referenceOrder(a.c_str(), b.c_str())) << "\"" << a << "\" \"" << b << "\"";
    ASSERT_EQ(sign(cp932::compareNames(b.c_str(), a.c_str())), -sign(order));
  }
}

}  // namespace
