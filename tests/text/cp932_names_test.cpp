// The program's one name comparison: characters as units, the registry's case pairs
// and cp932's second encodings folded, ASCII exactly as before. The pairs are checked
// against the system's own comparison on Windows (tests/win32/name_fold_win32_test);
// here the cases that once went wrong, and the fast paths against a plain reference.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "text/cp932.h"

namespace {

int sign(int v) { return (v > 0) - (v < 0); }

struct NamePair {
  const char* a;
  const char* b;
  int order;  // sign of compareNames(a, b)
};

TEST(Cp932Names, CharactersCompareAsUnitsAndFoldAsTheRegistryDoes) {
  const NamePair cases[] = {
      // Trail bytes that look like A-Z are not letters: two different names.
      {"\x83\x41", "\x83\x61", -1},  // katakana a, katakana di
      {"\x83\x43", "\x83\x63", -1},  // katakana i, katakana tsu
      {"\x83\x4A", "\x83\x6A", -1},  // katakana ka, katakana ni
      {"\x82\x4F", "\x82\x6F", -1},  // fullwidth 0, fullwidth P
      // Case pairs of double-byte characters: one name.
      {"\x82\x60", "\x82\x81", 0},   // fullwidth A, a
      {"\x82\x79", "\x82\x9A", 0},   // fullwidth Z, z
      {"\x83\x9F", "\x83\xBF", 0},   // Greek alpha
      {"\x83\xB6", "\x83\xD6", 0},   // Greek omega
      {"\x84\x46", "\x84\x76", 0},   // Cyrillic io
      {"\x84\x4F", "\x84\x80", 0},   // Cyrillic i, past the gap at trail 0x7F
      {"\x84\x60", "\x84\x91", 0},   // Cyrillic ya
      {"\x87\x54", "\xEE\xEF", 0},   // Roman numeral one: capital (NEC), small (NEC-selected)
      {"\xFA\x4A", "\xFA\x40", 0},   // the same in the IBM extension
      {"\x87\x5D", "\xFA\x49", 0},   // Roman numeral ten
      // Second encodings of one character: one name.
      {"\x81\xCA", "\xEE\xF9", 0},   // not sign
      {"\x81\xCA", "\xFA\x54", 0},
      {"\x81\xE6", "\x87\x9A", 0},   // because
      {"\x81\xE6", "\xFA\x5B", 0},
      {"\xED\x40", "\xFA\x5C", 0},   // first NEC-selected kanji
      {"\xEE\xEC", "\xFC\x4B", 0},   // last one
      // Neighbours that must stay apart.
      {"\x82\x60", "\x82\x61", -1},
      {"\x87\x54", "\x87\x55", -1},
      {"\x82\x60", "A", 1},          // fullwidth and ASCII A differ
      // ASCII as before: A-Z folded to a-z, so '_' sorts before letters.
      {"ABC", "abc", 0},
      {"_", "A", -1},
      {"9", "_", -1},
      {"ab", "abc", -1},
      {"", "a", -1},
      // Mixed names, and a lead byte at the end standing alone.
      {"x\x82\x60y", "X\x82\x81Y", 0},
      {"\x83\x41", "\x83", 1},
      {"\x83", "\x83", 0},
  };
  for (const NamePair& c : cases) {
    SCOPED_TRACE(std::string(c.a) + " / " + c.b);
    EXPECT_EQ(sign(cp932::compareNames(c.a, c.b)), c.order);
    EXPECT_EQ(sign(cp932::compareNames(c.b, c.a)), -c.order);
  }
}

// The plain reference: the names as sequences of character keys, compared one key
// after the other, a sequence before a longer one it begins.
std::vector<uint16_t> keysOf(const std::string& name) {
  std::vector<uint16_t> keys;
  for (size_t at = 0; at < name.size();) {
    const cp932::FoldedCharacter c = cp932::foldedCharacter(name.c_str() + at);
    keys.push_back(c.key);
    at += c.length;
  }
  return keys;
}

// The old order, for names of single bytes only.
int byteFoldOrder(const std::string& a, const std::string& b) {
  std::string x = a, y = b;
  for (char& c : x) c = cp932::foldAscii(c);
  for (char& c : y) c = cp932::foldAscii(c);
  return sign(x.compare(y));
}

TEST(Cp932Names, OrderAgreesWithTheCharacterKeysAndKeepsTheAsciiOrder) {
  // Pieces chosen so that random names meet every path: equal and folded bytes,
  // letters, lead bytes with folding and plain trails, a lone lead byte at the end.
  const std::vector<std::string> pieces = {"a", "A", "_", "z", "\x83\x41", "\x83\x61", "\x82\x60",
                                           "\x82\x81", "\x87\x54", "\xFA\x40", "\xED\x40",
                                           "\xFA\x5C", "\xB1", "~"};
  std::mt19937 random(13);
  auto name = [&](bool asciiOnly) {
    std::string text;
    const int length = static_cast<int>(random() % 5);
    for (int i = 0; i < length; ++i) {
      const std::string& piece = pieces[random() % (asciiOnly ? 4 : pieces.size())];
      text += piece;
    }
    if (!asciiOnly && random() % 8 == 0) text += '\x83';
    return text;
  };
  for (int round = 0; round < 20000; ++round) {
    const bool asciiOnly = round % 4 == 0;
    const std::string a = name(asciiOnly);
    const std::string b = name(asciiOnly);
    SCOPED_TRACE(a + " / " + b);
    const int order = sign(cp932::compareNames(a.c_str(), b.c_str()));
    const std::vector<uint16_t> ka = keysOf(a), kb = keysOf(b);
    ASSERT_EQ(order, ka < kb ? -1 : (kb < ka ? 1 : 0));
    if (asciiOnly) ASSERT_EQ(order, byteFoldOrder(a, b));
  }
}

TEST(Cp932Names, RangesAndBoundariesFollowCharacters) {
  EXPECT_TRUE(cp932::equalNameBytes("\x82\x60x", "\x82\x81X", 3));
  EXPECT_FALSE(cp932::equalNameBytes("\x83\x41", "\x83\x61", 2));
  EXPECT_TRUE(cp932::equalNameBytes("\x83\x41", "\x83\x61", 1));  // only the lead byte
  EXPECT_FALSE(cp932::equalNameBytes("a\x83\x41", "aA", 2));
  EXPECT_TRUE(cp932::isCharacterStart("a\x83\x41", 1));
  EXPECT_FALSE(cp932::isCharacterStart("a\x83\x41", 2));  // the trail byte 'A'
  EXPECT_TRUE(cp932::isCharacterStart("a\x83\x41", 3));
}

}  // namespace
