// Windows text rules as pure functions.  See text_rules.h.
#include "platform/text_rules.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "platform/text_encoding.h"

namespace textrules {

namespace {

using encoding::NextChar;

// ---- Unicode case mappings ----------------------------------------------

struct CaseRun {
  char32_t First, Last;
  uint8_t Stride;
  int32_t Delta;
};

#include "platform/unicode_case_tables.inc"

// The mapping of `c` in a table of runs that do not overlap, or `c` itself.
template <size_t N>
char32_t Mapped(const CaseRun (&runs)[N], char32_t c) {
  const CaseRun* end = runs + N;
  const CaseRun* run =
      std::upper_bound(runs, end, c, [](char32_t x, const CaseRun& r) { return x < r.First; });
  if (run == runs) return c;
  --run;
  if (c > run->Last || (c - run->First) % run->Stride != 0) return c;
  return static_cast<char32_t>(static_cast<int32_t>(c) + run->Delta);
}

// ---- NTFS upper case ----------------------------------------------------

// The upper-case mappings of Wine 8's l_intl.nls (the table behind
// RtlUpcaseUnicodeChar, which Wine uses for file names): the Unicode simple
// upper-case mappings of the BMP that map back by lower-casing.  So ß, µ,
// ı, ſ, ς and the title-case digraphs stay as they are.
// Each run: first, last, stride, and the difference added.
struct UpperRun {
  char16_t First, Last;
  uint8_t Stride;
  int32_t Delta;
};
constexpr UpperRun kUpperRuns[] = {
    {0x0061, 0x007A, 1, -32}, {0x00E0, 0x00F6, 1, -32}, {0x00F8, 0x00FE, 1, -32}, {0x00FF, 0x00FF, 1, 121},
    {0x0101, 0x012F, 2, -1}, {0x0133, 0x0137, 2, -1}, {0x013A, 0x0148, 2, -1}, {0x014B, 0x0177, 2, -1},
    {0x017A, 0x017E, 2, -1}, {0x0180, 0x0180, 1, 195}, {0x0183, 0x0185, 2, -1}, {0x0188, 0x0188, 1, -1},
    {0x018C, 0x018C, 1, -1}, {0x0192, 0x0192, 1, -1}, {0x0195, 0x0195, 1, 97}, {0x0199, 0x0199, 1, -1},
    {0x019A, 0x019A, 1, 163}, {0x019E, 0x019E, 1, 130}, {0x01A1, 0x01A5, 2, -1}, {0x01A8, 0x01A8, 1, -1},
    {0x01AD, 0x01AD, 1, -1}, {0x01B0, 0x01B0, 1, -1}, {0x01B4, 0x01B6, 2, -1}, {0x01B9, 0x01B9, 1, -1},
    {0x01BD, 0x01BD, 1, -1}, {0x01BF, 0x01BF, 1, 56}, {0x01C6, 0x01C6, 1, -2}, {0x01C9, 0x01C9, 1, -2},
    {0x01CC, 0x01CC, 1, -2}, {0x01CE, 0x01DC, 2, -1}, {0x01DD, 0x01DD, 1, -79}, {0x01DF, 0x01EF, 2, -1},
    {0x01F3, 0x01F3, 1, -2}, {0x01F5, 0x01F5, 1, -1}, {0x01F9, 0x021F, 2, -1}, {0x0223, 0x0233, 2, -1},
    {0x023C, 0x023C, 1, -1}, {0x023F, 0x0240, 1, 10815}, {0x0242, 0x0242, 1, -1}, {0x0247, 0x024F, 2, -1},
    {0x0250, 0x0250, 1, 10783}, {0x0251, 0x0251, 1, 10780}, {0x0252, 0x0252, 1, 10782}, {0x0253, 0x0253, 1, -210},
    {0x0254, 0x0254, 1, -206}, {0x0256, 0x0257, 1, -205}, {0x0259, 0x0259, 1, -202}, {0x025B, 0x025B, 1, -203},
    {0x025C, 0x025C, 1, 42319}, {0x0260, 0x0260, 1, -205}, {0x0261, 0x0261, 1, 42315}, {0x0263, 0x0263, 1, -207},
    {0x0265, 0x0265, 1, 42280}, {0x0266, 0x0266, 1, 42308}, {0x0268, 0x0268, 1, -209}, {0x0269, 0x0269, 1, -211},
    {0x026A, 0x026A, 1, 42308}, {0x026B, 0x026B, 1, 10743}, {0x026C, 0x026C, 1, 42305}, {0x026F, 0x026F, 1, -211},
    {0x0271, 0x0271, 1, 10749}, {0x0272, 0x0272, 1, -213}, {0x0275, 0x0275, 1, -214}, {0x027D, 0x027D, 1, 10727},
    {0x0280, 0x0280, 1, -218}, {0x0282, 0x0282, 1, 42307}, {0x0283, 0x0283, 1, -218}, {0x0287, 0x0287, 1, 42282},
    {0x0288, 0x0288, 1, -218}, {0x0289, 0x0289, 1, -69}, {0x028A, 0x028B, 1, -217}, {0x028C, 0x028C, 1, -71},
    {0x0292, 0x0292, 1, -219}, {0x029D, 0x029D, 1, 42261}, {0x029E, 0x029E, 1, 42258}, {0x0371, 0x0373, 2, -1},
    {0x0377, 0x0377, 1, -1}, {0x037B, 0x037D, 1, 130}, {0x03AC, 0x03AC, 1, -38}, {0x03AD, 0x03AF, 1, -37},
    {0x03B1, 0x03C1, 1, -32}, {0x03C3, 0x03CB, 1, -32}, {0x03CC, 0x03CC, 1, -64}, {0x03CD, 0x03CE, 1, -63},
    {0x03D7, 0x03D7, 1, -8}, {0x03D9, 0x03EF, 2, -1}, {0x03F2, 0x03F2, 1, 7}, {0x03F3, 0x03F3, 1, -116},
    {0x03F8, 0x03F8, 1, -1}, {0x03FB, 0x03FB, 1, -1}, {0x0430, 0x044F, 1, -32}, {0x0450, 0x045F, 1, -80},
    {0x0461, 0x0481, 2, -1}, {0x048B, 0x04BF, 2, -1}, {0x04C2, 0x04CE, 2, -1}, {0x04CF, 0x04CF, 1, -15},
    {0x04D1, 0x052F, 2, -1}, {0x0561, 0x0586, 1, -48}, {0x10D0, 0x10FA, 1, 3008}, {0x10FD, 0x10FF, 1, 3008},
    {0x13F8, 0x13FD, 1, -8}, {0x1D79, 0x1D79, 1, 35332}, {0x1D7D, 0x1D7D, 1, 3814}, {0x1D8E, 0x1D8E, 1, 35384},
    {0x1E01, 0x1E95, 2, -1}, {0x1EA1, 0x1EFF, 2, -1}, {0x1F00, 0x1F07, 1, 8}, {0x1F10, 0x1F15, 1, 8},
    {0x1F20, 0x1F27, 1, 8}, {0x1F30, 0x1F37, 1, 8}, {0x1F40, 0x1F45, 1, 8}, {0x1F51, 0x1F57, 2, 8},
    {0x1F60, 0x1F67, 1, 8}, {0x1F70, 0x1F71, 1, 74}, {0x1F72, 0x1F75, 1, 86}, {0x1F76, 0x1F77, 1, 100},
    {0x1F78, 0x1F79, 1, 128}, {0x1F7A, 0x1F7B, 1, 112}, {0x1F7C, 0x1F7D, 1, 126}, {0x1F80, 0x1F87, 1, 8},
    {0x1F90, 0x1F97, 1, 8}, {0x1FA0, 0x1FA7, 1, 8}, {0x1FB0, 0x1FB1, 1, 8}, {0x1FB3, 0x1FB3, 1, 9},
    {0x1FC3, 0x1FC3, 1, 9}, {0x1FD0, 0x1FD1, 1, 8}, {0x1FE0, 0x1FE1, 1, 8}, {0x1FE5, 0x1FE5, 1, 7},
    {0x1FF3, 0x1FF3, 1, 9}, {0x214E, 0x214E, 1, -28}, {0x2170, 0x217F, 1, -16}, {0x2184, 0x2184, 1, -1},
    {0x24D0, 0x24E9, 1, -26}, {0x2C30, 0x2C5F, 1, -48}, {0x2C61, 0x2C61, 1, -1}, {0x2C65, 0x2C65, 1, -10795},
    {0x2C66, 0x2C66, 1, -10792}, {0x2C68, 0x2C6C, 2, -1}, {0x2C73, 0x2C73, 1, -1}, {0x2C76, 0x2C76, 1, -1},
    {0x2C81, 0x2CE3, 2, -1}, {0x2CEC, 0x2CEE, 2, -1}, {0x2CF3, 0x2CF3, 1, -1}, {0x2D00, 0x2D25, 1, -7264},
    {0x2D27, 0x2D27, 1, -7264}, {0x2D2D, 0x2D2D, 1, -7264}, {0xA641, 0xA66D, 2, -1}, {0xA681, 0xA69B, 2, -1},
    {0xA723, 0xA72F, 2, -1}, {0xA733, 0xA76F, 2, -1}, {0xA77A, 0xA77C, 2, -1}, {0xA77F, 0xA787, 2, -1},
    {0xA78C, 0xA78C, 1, -1}, {0xA791, 0xA793, 2, -1}, {0xA794, 0xA794, 1, 48}, {0xA797, 0xA7A9, 2, -1},
    {0xA7B5, 0xA7C3, 2, -1}, {0xA7C8, 0xA7CA, 2, -1}, {0xA7D1, 0xA7D1, 1, -1}, {0xA7D7, 0xA7D9, 2, -1},
    {0xA7F6, 0xA7F6, 1, -1}, {0xAB53, 0xAB53, 1, -928}, {0xAB70, 0xABBF, 1, -38864}, {0xFF41, 0xFF5A, 1, -32},
};

const std::array<char16_t, 65536>& UpperTable() {
  static const std::array<char16_t, 65536> table = [] {
    std::array<char16_t, 65536> t{};
    for (uint32_t c = 0; c < 65536; ++c) t[c] = static_cast<char16_t>(c);
    for (const UpperRun& r : kUpperRuns)
      for (uint32_t c = r.First; c <= r.Last; c += r.Stride)
        t[c] = static_cast<char16_t>(static_cast<int32_t>(c) + r.Delta);
    return t;
  }();
  return table;
}


// ---- linguistic equality ------------------------------------------------

constexpr char32_t kEnd = 0xFFFFFFFF;

// Yields the characters of a text in the form in which CompareStringA with
// NORM_IGNORECASE compares them for equality: folded, with the five letters
// that sort as two expanded, and the soft hyphen dropped.
class FoldedReader {
 public:
  explicit FoldedReader(std::string_view s) : s_(s) {}
  // The next folded character, or kEnd.
  char32_t Next() {
    if (pending_ != 0) {
      const char32_t c = pending_;
      pending_ = 0;
      return c;
    }
    while (pos_ < s_.size()) {
      const char32_t c = FoldChar(NextChar(s_, pos_));
      switch (c) {
        case 0xAD: continue;                      // soft hyphen: ignored
        case 0xDF: pending_ = 's'; return 's';    // ß
        case 0xE6: pending_ = 'e'; return 'a';    // æ
        case 0x153: pending_ = 'e'; return 'o';   // œ
        case 0xFE: pending_ = 'h'; return 't';    // þ
        case 0x2C6: return '^';                   // modifier circumflex
        default: return c;
      }
    }
    return kEnd;
  }

 private:
  std::string_view s_;
  size_t pos_ = 0;
  char32_t pending_ = 0;
};

inline unsigned char AsciiLower(unsigned char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 0x20) : c;
}

// The key of one character in the order of section names.
inline uint32_t OrderKey(char32_t c) {
  const char32_t lower = LowerChar(c);
  const int byte = encoding::ByteOf1252(lower);
  return byte >= 0 ? static_cast<uint32_t>(byte) : 0x100 + static_cast<uint32_t>(lower);
}

}  // namespace

// ---- case mapping and comparison ----------------------------------------

char32_t LowerChar(char32_t c) {
  if (c < 0x80) return AsciiLower(static_cast<unsigned char>(c));
  return Mapped(kLowerRuns, c);
}

char32_t FoldChar(char32_t c) {
  if (c < 0x80) return AsciiLower(static_cast<unsigned char>(c));
  if (c == 0xB5) return c;  // the micro sign stays, as in code page 1252
  return Mapped(kFoldRuns, c);
}

std::string Lower(std::string_view text) {
  std::string out;
  if (encoding::IsAscii(text)) {
    out.assign(text);
    for (char& ch : out) ch = static_cast<char>(AsciiLower(static_cast<unsigned char>(ch)));
    return out;
  }
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) encoding::AppendUtf8(out, LowerChar(NextChar(text, i)));
  return out;
}

bool EqualIgnoreCase(std::string_view a, std::string_view b) {
  // Byte by byte while both are ASCII, where only A-Z fold; the rest (a
  // character beyond ASCII, or a text that goes on where the other ends and
  // may hold soft hyphens) goes through the folded readers.
  const size_t n = std::min(a.size(), b.size());
  size_t i = 0;
  for (; i < n; ++i) {
    const unsigned char ca = static_cast<unsigned char>(a[i]);
    const unsigned char cb = static_cast<unsigned char>(b[i]);
    if ((ca | cb) >= 0x80) break;
    if (AsciiLower(ca) != AsciiLower(cb)) return false;
  }
  if (i == n) {
    if (a.size() == b.size()) return true;
    // Only a character beyond ASCII can be dropped.
    if (encoding::IsAscii((a.size() > n ? a : b).substr(n))) return false;
  }
  FoldedReader ra(a.substr(i)), rb(b.substr(i));
  for (;;) {
    const char32_t ca = ra.Next();
    const char32_t cb = rb.Next();
    if (ca != cb) return false;
    if (ca == kEnd) return true;
  }
}

std::string Folded(std::string_view text) {
  if (encoding::IsAscii(text)) {
    // Copied whole, then lowered in place: a tight loop over the bytes.
    std::string folded(text);
    for (char& c : folded) c = static_cast<char>(AsciiLower(static_cast<unsigned char>(c)));
    return folded;
  }
  std::string folded;
  folded.reserve(text.size());
  FoldedReader reader(text);
  for (char32_t c = reader.Next(); c != kEnd; c = reader.Next()) encoding::AppendUtf8(folded, c);
  return folded;
}

int CompareLowerOrder(std::string_view a, std::string_view b) {
  size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    const unsigned char ba = static_cast<unsigned char>(a[i]);
    const unsigned char bb = static_cast<unsigned char>(b[j]);
    uint32_t ka, kb;
    if ((ba | bb) < 0x80) {
      ka = AsciiLower(ba);
      kb = AsciiLower(bb);
      ++i;
      ++j;
    } else {
      ka = OrderKey(NextChar(a, i));
      kb = OrderKey(NextChar(b, j));
    }
    if (ka != kb) return ka < kb ? -1 : 1;
  }
  if (i == a.size() && j == b.size()) return 0;
  return i == a.size() ? -1 : 1;
}

// ---- NTFS names ---------------------------------------------------------

char16_t UpperUtf16(char16_t c) {
  if (c < 0x80) return (c >= 'a' && c <= 'z') ? static_cast<char16_t>(c - 0x20) : c;
  return UpperTable()[c];
}

namespace {

template <typename Text>
int CompareUpperUnits(const Text& a, const Text& b) {
  const size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    const char16_t ua = UpperUtf16(static_cast<char16_t>(a[i]));
    const char16_t ub = UpperUtf16(static_cast<char16_t>(b[i]));
    if (ua != ub) return ua < ub ? -1 : 1;
  }
  if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  return 0;
}

}  // namespace

int CompareNtfsNames(std::string_view a8, std::string_view b8) {
  // ASCII names (most are) are their own UTF-16 code units: compared as
  // they stand, without making the UTF-16 forms.
  int c = encoding::IsAscii(a8) && encoding::IsAscii(b8)
              ? CompareUpperUnits(a8, b8)
              : CompareUpperUnits(encoding::ToUtf16(a8), encoding::ToUtf16(b8));
  if (c != 0) return c;
  c = a8.compare(b8);  // equal ignoring case: by their bytes
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

}  // namespace textrules
