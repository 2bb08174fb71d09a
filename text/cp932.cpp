// The registry's case-insensitive name comparison on cp932 text (see text/cp932.h).
//
// Which characters fold together is data: the single bytes A-Z, and for double-byte
// characters the case pairs of the system's case-insensitive comparison plus the
// characters cp932 encodes twice (the NEC and IBM extensions repeat symbols, Roman
// numerals and 360 kanji), which the system converts to one UTF-16 character and so
// takes for one name. Each folds to one canonical code: the small letter of a case
// pair, and the encoding the system itself gives when converting back to cp932.
#include "text/cp932.h"

namespace cp932 {

namespace {

// `count` characters from `from` fold to the same number of characters from `to`,
// both counted in cp932 order (trail bytes 0x40-0x7E and 0x80-0xFC).
struct FoldRun {
  uint16_t from;
  uint16_t to;
  uint16_t count;
};

constexpr FoldRun kFoldRuns[] = {
    {0x8260, 0x8281, 26},   // fullwidth Latin capitals to small letters
    {0x839F, 0x83BF, 24},   // Greek
    {0x8440, 0x8470, 33},   // Cyrillic
    {0x8754, 0xFA40, 10},   // Roman numerals I-X (NEC row 13) to small i-x (IBM)
    {0xFA4A, 0xFA40, 10},   // Roman numerals I-X (IBM)
    {0xEEEF, 0xFA40, 10},   // small Roman numerals (NEC-selected IBM)
    {0xEEF9, 0x81CA, 1},    // not sign
    {0xFA54, 0x81CA, 1},
    {0xEEFA, 0xFA55, 3},    // broken bar, apostrophe, quotation mark
    {0xED40, 0xFA5C, 360},  // NEC-selected IBM kanji to IBM kanji
    {0xFA58, 0x878A, 1},    // parenthesised kabushiki
    {0xFA59, 0x8782, 1},    // numero
    {0xFA5A, 0x8784, 1},    // telephone sign
    {0xFA5B, 0x81E6, 1},    // because
    {0x8790, 0x81E0, 1},    // NEC row 13 symbols that JIS row 2 has too
    {0x8791, 0x81DF, 1},
    {0x8792, 0x81E7, 1},
    {0x8795, 0x81E3, 1},
    {0x8796, 0x81DB, 1},
    {0x8797, 0x81DA, 1},
    {0x879A, 0x81E6, 1},
    {0x879B, 0x81BF, 1},
    {0x879C, 0x81BE, 1},
};

// The next double-byte code in cp932 order.
constexpr uint16_t nextCode(uint16_t code) {
  const uint8_t trail = static_cast<uint8_t>(code & 0xFF);
  if (trail == 0x7E) return static_cast<uint16_t>(code + 2);
  if (trail == 0xFC) return static_cast<uint16_t>((code & 0xFF00) + 0x100 + 0x40);
  return static_cast<uint16_t>(code + 1);
}

constexpr bool hasFoldRun(uint8_t lead) {
  for (const FoldRun& run : kFoldRuns) {
    uint16_t code = run.from;
    for (uint16_t i = 0; i < run.count; ++i, code = nextCode(code)) {
      if ((code >> 8) == lead) return true;
    }
  }
  return false;
}

constexpr int countFoldRows() {
  int rows = 0;
  for (int lead = 0; lead < 256; ++lead) rows += hasFoldRun(static_cast<uint8_t>(lead)) ? 1 : 0;
  return rows;
}

constexpr int kFoldRows = countFoldRows();

// Row r + 1 of `rows` holds the canonical codes of lead byte `rowOfLead == r + 1`;
// lead bytes without a row fold nothing.
struct FoldTables {
  uint8_t single[256];
  uint8_t rowOfLead[256];
  uint16_t rows[kFoldRows][256];

  constexpr FoldTables() : single(), rowOfLead(), rows() {
    for (int c = 0; c < 256; ++c) single[c] = foldAscii(static_cast<uint8_t>(c));
    int next = 0;
    for (int lead = 0; lead < 256; ++lead) {
      if (!hasFoldRun(static_cast<uint8_t>(lead))) continue;
      rowOfLead[lead] = static_cast<uint8_t>(next + 1);
      for (int trail = 0; trail < 256; ++trail) {
        rows[next][trail] = static_cast<uint16_t>(lead << 8 | trail);
      }
      ++next;
    }
    for (const FoldRun& run : kFoldRuns) {
      uint16_t from = run.from;
      uint16_t to = run.to;
      for (uint16_t i = 0; i < run.count; ++i, from = nextCode(from), to = nextCode(to)) {
        rows[rowOfLead[from >> 8] - 1][from & 0xFF] = to;
      }
    }
  }
};

constexpr FoldTables kTables;

constexpr bool isFixedPoint(uint16_t code) {
  const uint8_t row = kTables.rowOfLead[code >> 8];
  return row == 0 || kTables.rows[row - 1][code & 0xFF] == code;
}

// Canonical codes fold no further, so folding once settles every character.
constexpr bool canonicalCodesAreFixed() {
  for (const FoldRun& run : kFoldRuns) {
    uint16_t to = run.to;
    for (uint16_t i = 0; i < run.count; ++i, to = nextCode(to)) {
      if (!isFixedPoint(to)) return false;
    }
  }
  return true;
}
static_assert(canonicalCodesAreFixed(), "a fold target folds again");

// The key of the character at `p` (not at the end): single bytes their fold in the
// high byte, double-byte characters their canonical code. Equal keys have equal
// lengths: a double-byte key never has a zero low byte.
inline uint16_t keyAt(const uint8_t* p, int* length) {
  if (isLeadByte(p[0]) && p[1] != 0) {
    *length = 2;
    const uint8_t row = kTables.rowOfLead[p[0]];
    return row != 0 ? kTables.rows[row - 1][p[1]] : static_cast<uint16_t>(p[0] << 8 | p[1]);
  }
  *length = 1;
  return static_cast<uint16_t>(kTables.single[p[0]] << 8);
}

}  // namespace

uint16_t foldedCode(uint8_t lead, uint8_t trail) {
  const uint8_t row = kTables.rowOfLead[lead];
  return row != 0 ? kTables.rows[row - 1][trail] : static_cast<uint16_t>(lead << 8 | trail);
}

FoldedCharacter foldedCharacter(const char* text) {
  int length = 1;
  const uint16_t key = keyAt(reinterpret_cast<const uint8_t*>(text), &length);
  return FoldedCharacter{key, static_cast<uint8_t>(length)};
}

int compareNames(const char* a, const char* b) {
  const uint8_t* p = reinterpret_cast<const uint8_t*>(a);
  const uint8_t* q = reinterpret_cast<const uint8_t*>(b);
  for (;;) {
    const uint8_t x = *p;
    const uint8_t y = *q;
    if (x == y) {
      // Equal bytes need no folding: most names compared are equal or share a long
      // beginning. Both sides step through the same characters, so they stay in step.
      if (x == 0) return 0;
      if (!isLeadByte(x)) {
        ++p;
        ++q;
        continue;
      }
      if (p[1] == q[1] && p[1] != 0) {
        p += 2;  // the same double-byte character
        q += 2;
        continue;
      }
    } else if (!isLeadByte(x) && !isLeadByte(y)) {
      // Single bytes: one table look-up each.
      const int fx = kTables.single[x];
      const int fy = kTables.single[y];
      if (fx != fy) return fx - fy;
      if (fx == 0) return 0;
      ++p;
      ++q;
      continue;
    }
    int lengthP = 1;
    int lengthQ = 1;
    const int kx = keyAt(p, &lengthP);
    const int ky = keyAt(q, &lengthQ);
    if (kx != ky) return kx - ky;
    p += lengthP;
    q += lengthQ;
  }
}

bool equalNameBytes(const char* a, const char* b, size_t length) {
  const uint8_t* p = reinterpret_cast<const uint8_t*>(a);
  const uint8_t* q = reinterpret_cast<const uint8_t*>(b);
  size_t at = 0;
  while (at < length) {
    // A double-byte character cut by the end of the range counts as its lone lead byte.
    const bool doubleP = isLeadByte(p[at]) && at + 1 < length && p[at + 1] != 0;
    const bool doubleQ = isLeadByte(q[at]) && at + 1 < length && q[at + 1] != 0;
    if (doubleP != doubleQ) return false;
    if (doubleP) {
      if (foldedCode(p[at], p[at + 1]) != foldedCode(q[at], q[at + 1])) return false;
      at += 2;
    } else {
      if (kTables.single[p[at]] != kTables.single[q[at]]) return false;
      ++at;
    }
  }
  return true;
}

bool isCharacterStart(const char* text, size_t offset) {
  size_t at = 0;
  while (at < offset && text[at] != '\0') {
    at += isLeadByte(text[at]) && text[at + 1] != '\0' ? 2 : 1;
  }
  return at == offset;
}

}  // namespace cp932
