// The program's name comparison against the system's: every pair of cp932 characters
// (each single byte and each lead/trail pair that MultiByteToWideChar(932) converts)
// compared as UTF-16 with CompareStringOrdinal ignoring case, as the registry does.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "text/cp932.h"

TEST(NameFoldWin32, EveryPairOfCharactersAgreesWithTheSystem) {
  std::vector<std::string> bytes;
  std::vector<std::wstring> wide;
  for (int code = 1; code < 0xFD00; ++code) {
    const bool twoBytes = code > 0xFF;
    if (cp932::isLeadByte(static_cast<uint8_t>(twoBytes ? code >> 8 : code)) != twoBytes) continue;
    std::string text(1, static_cast<char>(twoBytes ? code >> 8 : code));
    if (twoBytes) text += static_cast<char>(code);
    wchar_t w[4];
    const int n = MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, text.data(),
                                      static_cast<int>(text.size()), w, 4);
    if (n <= 0) continue;
    bytes.push_back(text);
    wide.emplace_back(w, static_cast<size_t>(n));
  }
  ASSERT_GT(bytes.size(), 9000u);  // single bytes, JIS, NEC and IBM characters
  long long folded = 0, disagreements = 0;
  for (size_t i = 0; i < bytes.size(); ++i) {
    for (size_t j = i + 1; j < bytes.size(); ++j) {
      const bool system = CompareStringOrdinal(wide[i].data(), static_cast<int>(wide[i].size()),
                                               wide[j].data(), static_cast<int>(wide[j].size()),
                                               TRUE) == CSTR_EQUAL;
      folded += system;
      if (system != (cp932::compareNames(bytes[i].c_str(), bytes[j].c_str()) == 0) &&
          ++disagreements <= 20) {
        ADD_FAILURE() << "characters " << i << " and " << j << (system ? ": one name" : ": two");
      }
    }
  }
  EXPECT_EQ(disagreements, 0);
  EXPECT_GT(folded, 400);  // A-Z and the double-byte pairs were met
}
