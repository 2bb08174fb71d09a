// The program's name comparison against the system's own: every cp932 character
// (each single byte and each lead/trail pair the system converts), converted to
// UTF-16 with MultiByteToWideChar(932) and compared with CompareStringOrdinal
// ignoring case, which is how the registry takes two names for one. Every pair of
// characters is walked; no pair may disagree.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "text/cp932.h"

namespace {

struct Character {
  std::string bytes;
  std::wstring wide;
};

std::vector<Character> everyCharacter() {
  std::vector<Character> out;
  auto add = [&](const std::string& bytes) {
    wchar_t wide[4];
    const int got = MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, bytes.data(),
                                        static_cast<int>(bytes.size()), wide, 4);
    if (got > 0) out.push_back(Character{bytes, std::wstring(wide, static_cast<size_t>(got))});
  };
  for (int b = 1; b < 256; ++b) {
    if (!cp932::isLeadByte(static_cast<uint8_t>(b))) add(std::string(1, static_cast<char>(b)));
  }
  for (int lead = 0x81; lead <= 0xFC; ++lead) {
    if (!cp932::isLeadByte(static_cast<uint8_t>(lead))) continue;
    for (int trail = 0x40; trail <= 0xFC; ++trail) {
      if (trail == 0x7F) continue;
      add(std::string{static_cast<char>(lead), static_cast<char>(trail)});
    }
  }
  return out;
}

std::string hexOf(const std::string& bytes) {
  std::string text;
  char part[4];
  for (unsigned char c : bytes) {
    std::snprintf(part, sizeof part, "%02X", c);
    text += part;
  }
  return text;
}

TEST(NameFoldWin32, EveryPairOfCharactersAgreesWithTheSystem) {
  const std::vector<Character> all = everyCharacter();
  // The single bytes and the JIS, NEC and IBM characters at the least.
  ASSERT_GT(all.size(), 9000u);
  long long pairs = 0;
  long long folded = 0;
  long long disagreements = 0;
  for (size_t i = 0; i < all.size(); ++i) {
    const Character& a = all[i];
    for (size_t j = i + 1; j < all.size(); ++j) {
      const Character& b = all[j];
      const bool system = CompareStringOrdinal(a.wide.data(), static_cast<int>(a.wide.size()),
                                               b.wide.data(), static_cast<int>(b.wide.size()),
                                               TRUE) == CSTR_EQUAL;
      const bool ours = cp932::compareNames(a.bytes.c_str(), b.bytes.c_str()) == 0;
      ++pairs;
      if (system) ++folded;
      if (system != ours && ++disagreements <= 20) {
        ADD_FAILURE() << hexOf(a.bytes) << " / " << hexOf(b.bytes) << ": the system says "
                      << (system ? "one name" : "two names");
      }
    }
  }
  std::printf("%zu characters, %lld pairs, %lld pairs fold together\n", all.size(), pairs,
              folded);
  EXPECT_EQ(disagreements, 0);
  // A-Z, and the double-byte case pairs and second encodings.
  EXPECT_GT(folded, 400);
}

}  // namespace
