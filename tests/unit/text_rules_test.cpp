// Lower-casing, comparison ignoring case and order of texts, and NTFS name
// order.  Expected values of CharLowerBuffA and CompareStringA for code page
// 1252 text were measured under Wine 8 (host.md, "Text comparison"); the
// texts are given as 1252 bytes (B) and compared in the program's UTF-8.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/text_encoding.h"
#include "platform/posix/posix_internal.h"
#include "platform/text_rules.h"

using textrules::CompareLowerOrder;
using textrules::EqualIgnoreCase;

namespace {

// Code page 1252 bytes as the program's text.
std::string B(std::initializer_list<int> bytes) {
  std::string s;
  for (int b : bytes) s += static_cast<char>(b);
  return encoding::FromCodePage1252(s);
}

// The lower-case form of a code page 1252 byte, as a byte.
int LowerByte(int byte) {
  return encoding::ByteOf1252(textrules::LowerChar(encoding::CharOf1252(static_cast<unsigned char>(byte))));
}

}  // namespace

// ---------------------------------------------------------------- lower case

TEST(Text1252Lower, ChangesExactlyTheSixtyBytes) {
  std::vector<std::pair<int, int>> expected;
  for (int c = 'A'; c <= 'Z'; ++c) expected.push_back({c, c + 0x20});
  for (int c = 0xC0; c <= 0xD6; ++c) expected.push_back({c, c + 0x20});
  for (int c = 0xD8; c <= 0xDE; ++c) expected.push_back({c, c + 0x20});
  expected.push_back({0x8A, 0x9A});
  expected.push_back({0x8C, 0x9C});
  expected.push_back({0x8E, 0x9E});
  expected.push_back({0x9F, 0xFF});
  std::sort(expected.begin(), expected.end());
  ASSERT_EQ(expected.size(), 60u);

  std::vector<std::pair<int, int>> changed;
  for (int c = 0; c < 256; ++c) {
    const int l = LowerByte(c);
    if (l != c) changed.push_back({c, l});
  }
  EXPECT_EQ(changed, expected);
}

TEST(Text1252Lower, LeavesTheLettersWithoutACapitalPairAlone) {
  for (int c : {0xDF /*ß*/, 0xB5 /*µ*/, 0xAA /*ª*/, 0xBA /*º*/, 0x83 /*ƒ*/, 0xD7 /*×*/, 0xF7 /*÷*/, 0xFF /*ÿ*/,
                0x9A, 0x9C, 0x9E, 0x8B, 0x9B, 0x40, 0x5B, 0x60, 0x7B})
    EXPECT_EQ(LowerByte(c), c) << std::hex << c;
}

TEST(Text1252Lower, LowerWholeText) {
  EXPECT_EQ(textrules::Lower("Scenery\\WORLD"), "scenery\\world");
  EXPECT_EQ(textrules::Lower(B({0xC4, 'B', 0xDF, 0x9F, 0x8A, 0})), B({0xE4, 'b', 0xDF, 0xFF, 0x9A, 0}));
  EXPECT_EQ(textrules::Lower(""), "");
}

TEST(Text1252Lower, PlatLowerCaseIsTheSame) {
  std::string bytes;
  for (int c = 0; c < 256; ++c) bytes += static_cast<char>(c);
  const std::string all = encoding::FromCodePage1252(bytes);
  EXPECT_EQ(plat::LowerCase(all), textrules::Lower(all));
  // The 1252 form of the result is the lower-cased bytes.
  std::string lowered;
  for (int c = 0; c < 256; ++c) lowered += static_cast<char>(LowerByte(c));
  EXPECT_EQ(encoding::ToCodePage1252(textrules::Lower(all)), lowered);
}

// ---------------------------------------------------------------- equality

TEST(Text1252Equal, IgnoresCase) {
  EXPECT_TRUE(EqualIgnoreCase("General", "GENERAL"));
  EXPECT_TRUE(EqualIgnoreCase("Area.100", "aREA.100"));
  EXPECT_TRUE(EqualIgnoreCase(B({0xC4}), B({0xE4})));  // Ä ä
  EXPECT_TRUE(EqualIgnoreCase(B({0x8A}), B({0x9A})));  // Š š
  EXPECT_TRUE(EqualIgnoreCase(B({0x9F}), B({0xFF})));  // Ÿ ÿ
  EXPECT_TRUE(EqualIgnoreCase("", ""));
  // Every byte equals its lower-cased form and nothing else of its own kind,
  // and sorts with it.
  for (int c = 1; c < 256; ++c) {
    const std::string one = B({static_cast<unsigned char>(c)});
    const std::string lower = B({LowerByte(c)});
    EXPECT_TRUE(EqualIgnoreCase("x" + one, "X" + lower)) << c;
    EXPECT_EQ(CompareLowerOrder(one, lower), 0) << c;
  }
}

TEST(Text1252Equal, ExpandsTheLigatures) {
  EXPECT_TRUE(EqualIgnoreCase(B({0xDF}), "ss"));                         // ß
  EXPECT_TRUE(EqualIgnoreCase(B({0xDF}), "SS"));
  EXPECT_TRUE(EqualIgnoreCase("Stra" + B({0xDF}) + "e", "STRASSE"));
  EXPECT_TRUE(EqualIgnoreCase(B({0xE6}), "ae"));                         // æ
  EXPECT_TRUE(EqualIgnoreCase(B({0xC6}), "AE"));                         // Æ
  EXPECT_TRUE(EqualIgnoreCase(B({0xC6}), B({0xE6})));
  EXPECT_TRUE(EqualIgnoreCase(B({0x9C}), "oe"));                         // œ
  EXPECT_TRUE(EqualIgnoreCase(B({0x8C}), "OE"));                         // Œ
  EXPECT_TRUE(EqualIgnoreCase(B({0xFE}), "th"));                         // þ
  EXPECT_TRUE(EqualIgnoreCase(B({0xDE}), "TH"));                         // Þ
  EXPECT_TRUE(EqualIgnoreCase(B({0x88}), "^"));                          // ˆ
  EXPECT_TRUE(EqualIgnoreCase("a" + B({0xDF, 0xDF}), "assss"));
  EXPECT_TRUE(EqualIgnoreCase(B({0xDF}) + "s", "s" + B({0xDF})));
  EXPECT_FALSE(EqualIgnoreCase(B({0xDF}), "s"));
  EXPECT_FALSE(EqualIgnoreCase(B({0xDF}), "sss"));
  EXPECT_FALSE(EqualIgnoreCase(B({0xE6}), "a"));
  EXPECT_FALSE(EqualIgnoreCase(B({0xE6}), "ea"));
}

TEST(Text1252Equal, DropsTheSoftHyphen) {
  EXPECT_TRUE(EqualIgnoreCase("a" + B({0xAD}) + "b", "ab"));
  EXPECT_TRUE(EqualIgnoreCase(B({0xAD}), ""));
  EXPECT_TRUE(EqualIgnoreCase(B({0xAD, 0xAD}) + "X" + B({0xAD}), "x"));
  EXPECT_FALSE(EqualIgnoreCase("a-b", "ab"));  // a plain hyphen counts
  // After a common prefix: a dropped tail is equal, any other tail is not.
  EXPECT_TRUE(EqualIgnoreCase("Scenery\\World" + B({0xAD}), "SCENERY\\WORLD"));
  EXPECT_FALSE(EqualIgnoreCase("Scenery\\Worlds", "SCENERY\\WORLD"));
  EXPECT_TRUE(EqualIgnoreCase("Gro" + B({0xDF}), "GROSS"));
}

TEST(Text1252Equal, AccentsBlanksAndOtherMarksCount) {
  EXPECT_FALSE(EqualIgnoreCase("Z" + B({0xFC}) + "rich", "Zurich"));  // Zürich
  EXPECT_FALSE(EqualIgnoreCase(B({0xE9}), "e"));
  EXPECT_FALSE(EqualIgnoreCase("abc", "abc "));
  EXPECT_FALSE(EqualIgnoreCase(" abc", "abc"));
  EXPECT_FALSE(EqualIgnoreCase("a b", "ab"));
  EXPECT_FALSE(EqualIgnoreCase(B({0xA0}), " "));  // no-break space
  EXPECT_FALSE(EqualIgnoreCase(B({0x83}), "f"));  // ƒ
  EXPECT_FALSE(EqualIgnoreCase(B({0x98}), "~"));  // small tilde
  EXPECT_FALSE(EqualIgnoreCase("a'b", "ab"));
  EXPECT_FALSE(EqualIgnoreCase("Area.01", "Area.1"));
  EXPECT_FALSE(EqualIgnoreCase("ab", "abc"));
  EXPECT_FALSE(EqualIgnoreCase(std::string("a\0b", 3), "ab"));
  EXPECT_FALSE(EqualIgnoreCase(B({0xB5}), "m"));  // µ
}

TEST(Text1252Equal, PlatSameTextIsTheSame) {
  EXPECT_TRUE(plat::SameText("GENERAL", "general"));
  EXPECT_TRUE(plat::SameText(B({0xDF}), "SS"));
  EXPECT_FALSE(plat::SameText("abc", "abc "));
}

// The folded key is a hash key for the comparison: equal keys exactly when
// the texts are equal ignoring case, over every pair of one- and two-byte
// texts and the texts the comparison treats specially.
TEST(Text1252Equal, FoldedKeysAgreeWithTheComparison) {
  std::vector<std::string> texts = {"", "ss", "SS", "sS", "ae", "AE", "oe", "th", "TH", "^",
                                    "Stra" + B({0xDF}) + "e", "STRASSE", "strasse ",
                                    "a" + B({0xAD}) + "b", "ab", "a-b", B({0xAD, 0xAD}),
                                    "Z" + B({0xFC}) + "rich", "Z" + B({0xDC}) + "RICH", "Zurich"};
  for (int c = 1; c < 256; ++c) texts.push_back(B({c}));
  for (int c = 1; c < 256; c += 7)
    for (int d = 1; d < 256; d += 5) texts.push_back(B({c, d}));
  size_t equalPairs = 0;
  for (const std::string& a : texts) {
    for (const std::string& b : texts) {
      const bool equal = EqualIgnoreCase(a, b);
      equalPairs += equal && a != b;
      ASSERT_EQ(textrules::Folded(a) == textrules::Folded(b), equal)
          << "'" << a << "' / '" << b << "'";
    }
  }
  EXPECT_GT(equalPairs, 100u);  // the pairs above hold many equal ones
  EXPECT_EQ(textrules::Folded("Stra" + B({0xDF}) + "E" + B({0xAD})), "strasse");
  EXPECT_EQ(plat::CaseFoldedKey("Addon Scenery\\" + B({0xC6})), "addon scenery\\ae");
}

// ---------------------------------------------------------------- order

TEST(Text1252Order, AreaNamesSortByLowerCasedBytes) {
  std::vector<std::string> names = {"General", "Area.101", "AREA.1000", "Area.100", "area.099",
                                    "Area.002", "Area.010", "Area.001"};
  std::sort(names.begin(), names.end(),
            [](const std::string& a, const std::string& b) { return CompareLowerOrder(a, b) < 0; });
  const std::vector<std::string> expected = {"Area.001", "Area.002", "Area.010", "area.099",
                                             "Area.100", "AREA.1000", "Area.101", "General"};
  EXPECT_EQ(names, expected);
}

TEST(Text1252Order, SignsAndBytesAbove0x7F) {
  EXPECT_EQ(CompareLowerOrder("abc", "ABC"), 0);
  EXPECT_LT(CompareLowerOrder("Area.100", "Area.1000"), 0);
  EXPECT_LT(CompareLowerOrder("Area.1000", "Area.101"), 0);
  EXPECT_GT(CompareLowerOrder("general", "Area.999"), 0);
  EXPECT_GT(CompareLowerOrder("GENERAL", "area.999"), 0);
  EXPECT_LT(CompareLowerOrder("z", B({0xE4})), 0);  // bytes above 0x7F sort high
  EXPECT_EQ(CompareLowerOrder(B({0xC4}), B({0xE4})), 0);
  EXPECT_LT(CompareLowerOrder("", "a"), 0);
  EXPECT_EQ(plat::CompareTextOrder("Area.1000", "area.1000"), 0);
  EXPECT_LT(plat::CompareTextOrder("Area.100", "Area.1000"), 0);
  EXPECT_GT(plat::CompareTextOrder("General", "Area.1000"), 0);
}

// ---------------------------------------------------------------- beyond 1252

// Characters beyond code page 1252: lower-cased by Unicode's simple mapping,
// compared by its simple case folding, and never equal to a 1252 letter
// that 1252 keeps apart.
TEST(UnicodeCase, LowerCasing) {
  EXPECT_EQ(textrules::Lower("\xCE\xA9MEGA \xC4\x90 \xC5\x90 \xC3\x96L"),
            "\xCF\x89mega \xC4\x91 \xC5\x91 \xC3\xB6l");               // Ωmega Đ Ő Öl
  EXPECT_EQ(textrules::Lower("\xD0\x96\xD0\xA3\xD0\x9A"), "\xD0\xB6\xD1\x83\xD0\xBA");  // ЖУК
  EXPECT_EQ(textrules::Lower("\xC4\xB0"), "i");                            // İ
  EXPECT_EQ(textrules::Lower("\xCF\x82\xE6\x9D\xB1\xE4\xBA\xAC"), "\xCF\x82\xE6\x9D\xB1\xE4\xBA\xAC");  // ς東京
  EXPECT_EQ(textrules::Lower("\xF0\x90\x90\x80"), "\xF0\x90\x90\xA8");   // Deseret, beyond U+FFFF
  // A byte that is not UTF-8 is its 1252 character, lower-cased as UTF-8.
  EXPECT_EQ(textrules::Lower("Z\xDCRICH"), "z\xC3\xBCrich");
}

TEST(UnicodeCase, EqualityAndItsKey) {
  struct Case {
    const char* A;
    const char* B;
    bool Equal;
  };
  const Case cases[] = {
      {"\xCE\xA9mega", "\xCF\x89MEGA", true},              // Ω ω
      {"\xC4\x90" "akovo", "\xC4\x91" "AKOVO", true},            // Đ đ
      {"Gy\xC5\x90r", "gy\xC5\x91r", true},                // Ő ő
      {"\xC3\x96land", "\xC3\xB6LAND", true},              // Ö ö
      {"\xE6\x9D\xB1\xE4\xBA\xAC", "\xE6\x9D\xB1\xE4\xBA\xAC", true},  // 東京
      {"\xE6\x9D\xB1\xE4\xBA\xAC", "\xE4\xBA\xAC\xE6\x9D\xB1", false},
      {"\xCE\xA3\xCE\xB9\xCF\x82", "\xCF\x83\xCE\xB9\xCF\x83", true},  // Σις = σισ by folding
      {"STRA\xE1\xBA\x9E" "E", "stra\xC3\x9F" "e", true},  // ẞ ß
      {"STRA\xE1\xBA\x9E" "E", "strasse", true},
      {"\xE2\x84\xAA", "k", true},                          // Kelvin sign
      {"\xC2\xB5", "\xCE\xBC", false},                       // µ stays apart from μ ...
      {"\xCE\x9C", "\xCE\xBC", true},                        // ... while Μ and μ are one
      {"\xC4\xB1", "i", false},                              // ı
      {"\xC4\xB0", "i", false},                              // İ folds to nothing simple
      {"Z\xFCrich", "Z\xC3\x9CRICH", true},                   // a 1252 byte among UTF-8
      {"Z\xFCrich", "Zurich", false},
      {"\xF0\x90\x90\x80", "\xF0\x90\x90\xA8", true},       // Deseret
      {"a\xC2\xAD\xC2\xAD" "b", "AB", true},                    // soft hyphens
      {"\xCE\xA9", "\xCE\xA9 ", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(EqualIgnoreCase(c.A, c.B), c.Equal) << c.A << " / " << c.B;
    EXPECT_EQ(EqualIgnoreCase(c.B, c.A), c.Equal) << c.B << " / " << c.A;
    EXPECT_EQ(textrules::Folded(c.A) == textrules::Folded(c.B), c.Equal) << c.A << " / " << c.B;
  }
  EXPECT_EQ(plat::CaseFoldedKey("Addon Scenery\\\xC3\x96L \xCE\xA9"), "addon scenery\\\xC3\xB6l \xCF\x89");
}

TEST(UnicodeCase, OrderPutsOtherCharactersAfterCodePage1252) {
  EXPECT_LT(CompareLowerOrder(B({0xFF}), "\xC4\x80"), 0);  // ÿ before Ā
  EXPECT_LT(CompareLowerOrder(B({0x80}), B({0xE9})), 0);    // € (0x80) before é, as bytes
  EXPECT_EQ(CompareLowerOrder("\xCE\xA9", "\xCF\x89"), 0);
  EXPECT_LT(CompareLowerOrder("\xCE\xB1", "\xCF\x89"), 0);  // α before ω
  EXPECT_EQ(CompareLowerOrder("Z\xFC", "z\xC3\xBC"), 0);
}

// ---------------------------------------------------------------- NTFS case

TEST(NtfsUpper, AsciiAndLatin1) {
  EXPECT_EQ(textrules::UpperUtf16(u'a'), u'A');
  EXPECT_EQ(textrules::UpperUtf16(u'z'), u'Z');
  EXPECT_EQ(textrules::UpperUtf16(u'A'), u'A');
  EXPECT_EQ(textrules::UpperUtf16(u'{'), u'{');
  EXPECT_EQ(textrules::UpperUtf16(u'`'), u'`');
  EXPECT_EQ(textrules::UpperUtf16(0x00E4), 0x00C4);  // ä
  EXPECT_EQ(textrules::UpperUtf16(0x00FE), 0x00DE);  // þ
  EXPECT_EQ(textrules::UpperUtf16(0x00F7), 0x00F7);  // ÷
  EXPECT_EQ(textrules::UpperUtf16(0x00FF), 0x0178);  // ÿ -> Ÿ
  EXPECT_EQ(textrules::UpperUtf16(0x00DF), 0x00DF);  // ß stays
  // As Wine's table (l_intl.nls) has it: mappings that do not come back by
  // lower-casing are left out.
  EXPECT_EQ(textrules::UpperUtf16(0x00B5), 0x00B5);  // µ
  EXPECT_EQ(textrules::UpperUtf16(0x0131), 0x0131);  // ı
  EXPECT_EQ(textrules::UpperUtf16(0x017F), 0x017F);  // ſ
  EXPECT_EQ(textrules::UpperUtf16(0x03C2), 0x03C2);  // ς
}

TEST(NtfsUpper, OtherScripts) {
  EXPECT_EQ(textrules::UpperUtf16(0x0101), 0x0100);  // Latin Extended-A
  EXPECT_EQ(textrules::UpperUtf16(0x0100), 0x0100);
  EXPECT_EQ(textrules::UpperUtf16(0x017E), 0x017D);  // ž
  EXPECT_EQ(textrules::UpperUtf16(0x0161), 0x0160);  // š
  EXPECT_EQ(textrules::UpperUtf16(0x0153), 0x0152);  // œ
  EXPECT_EQ(textrules::UpperUtf16(0x0180), 0x0243);  // Latin Extended-B
  EXPECT_EQ(textrules::UpperUtf16(0x01C6), 0x01C4);  // ǆ
  EXPECT_EQ(textrules::UpperUtf16(0x03B1), 0x0391);  // Greek α
  EXPECT_EQ(textrules::UpperUtf16(0x03C3), 0x03A3);  // σ
  EXPECT_EQ(textrules::UpperUtf16(0x03AC), 0x0386);  // ά
  EXPECT_EQ(textrules::UpperUtf16(0x0430), 0x0410);  // Cyrillic а
  EXPECT_EQ(textrules::UpperUtf16(0x044F), 0x042F);  // я
  EXPECT_EQ(textrules::UpperUtf16(0x0451), 0x0401);  // ё
  EXPECT_EQ(textrules::UpperUtf16(0x0561), 0x0531);  // Armenian
  EXPECT_EQ(textrules::UpperUtf16(0x0586), 0x0556);
  EXPECT_EQ(textrules::UpperUtf16(0x1E01), 0x1E00);  // Latin Extended Additional
  EXPECT_EQ(textrules::UpperUtf16(0x24D0), 0x24B6);  // circled letters
  EXPECT_EQ(textrules::UpperUtf16(0x2170), 0x2160);  // roman numerals
  EXPECT_EQ(textrules::UpperUtf16(0xFF41), 0xFF21);  // fullwidth a
  EXPECT_EQ(textrules::UpperUtf16(0xFF5A), 0xFF3A);  // fullwidth z
  EXPECT_EQ(textrules::UpperUtf16(0xFF21), 0xFF21);
  EXPECT_EQ(textrules::UpperUtf16(0x4E00), 0x4E00);  // CJK
  EXPECT_EQ(textrules::UpperUtf16(0xD83D), 0xD83D);  // surrogates unchanged
}

TEST(NtfsUpper, NoMappingLeavesTheBmpOrChangesAnUpperCaseLetter) {
  // Upper-casing twice changes nothing more.
  for (uint32_t c = 0; c < 0x10000; ++c) {
    const char16_t u = textrules::UpperUtf16(static_cast<char16_t>(c));
    ASSERT_EQ(textrules::UpperUtf16(u), u) << std::hex << c;
  }
}

// Whether the Linux build finds one name under the other, as NTFS does.
static bool SameNtfsName(const std::string& a, const std::string& b) {
  return plat::posix::NameKey(a) == plat::posix::NameKey(b);
}

TEST(NtfsNames, SameNameIgnoringCase) {
  EXPECT_TRUE(SameNtfsName("Scenery", "SCENERY"));
  EXPECT_TRUE(SameNtfsName("\xC3\xA4rger", "\xC3\x84RGER"));    // ärger ÄRGER
  EXPECT_TRUE(SameNtfsName("\xD0\xB6", "\xD0\x96"));            // ж Ж
  EXPECT_FALSE(SameNtfsName("stra\xC3\x9F" "e", "STRASSE"));  // ß and SS differ
  EXPECT_FALSE(SameNtfsName("abc", "abc "));
  EXPECT_FALSE(SameNtfsName("a", "\xC3\xA4"));
  // Invalid UTF-8 taken as 1252: 0xE4 is ä.
  EXPECT_TRUE(SameNtfsName("\xE4", "\xC3\x84"));
}

TEST(NtfsNames, OrderByUpperCasedUnitsThenBytes) {
  EXPECT_EQ(textrules::CompareNtfsNames("abc", "abc"), 0);
  EXPECT_LT(textrules::CompareNtfsNames("ABC", "abc"), 0);  // equal upper-cased: by bytes
  EXPECT_GT(textrules::CompareNtfsNames("abc", "ABC"), 0);
  EXPECT_LT(textrules::CompareNtfsNames("abc", "ABD"), 0);
  EXPECT_LT(textrules::CompareNtfsNames("a", "ab"), 0);
  // '_' (0x5F) sorts after the capitals it is compared with, so "a_" > "AB".
  EXPECT_GT(textrules::CompareNtfsNames("a_", "AB"), 0);
  EXPECT_LT(textrules::CompareNtfsNames("Z", "\xC3\xA4"), 0);  // Z < ä (U+00C4)

  std::vector<std::string> names = {"b", "_x", "A", "a", "B", "\xC3\xA4", "Zeta", "10", "9"};
  std::sort(names.begin(), names.end(),
            [](const std::string& x, const std::string& y) { return textrules::CompareNtfsNames(x, y) < 0; });
  const std::vector<std::string> expected = {"10", "9", "A", "a", "B", "b", "Zeta", "_x", "\xC3\xA4"};
  EXPECT_EQ(names, expected);
}

TEST(NtfsNames, OrderAsWineListsAFolder) {
  // FindFirstFileW under Wine 8 listed these host names in this order.
  std::vector<std::string> names = {"\xC2\xB5x", "\xC4\xB1x", "\xC3\xBFx", "\xCF\x82x",
                                    "a",          "B",          "_",          "\xC3\x84"};
  std::sort(names.begin(), names.end(),
            [](const std::string& x, const std::string& y) { return textrules::CompareNtfsNames(x, y) < 0; });
  const std::vector<std::string> expected = {"a",          "B",          "_",          "\xC2\xB5x",
                                             "\xC3\x84", "\xC4\xB1x", "\xC3\xBFx", "\xCF\x82x"};
  EXPECT_EQ(names, expected);
  // And found "\u0178x" for "\u00FFx", but not "\u039Cx" for "\u00B5x", "Ix" for
  // "\u0131x" or "\u03A3x" for "\u03C2x".
  EXPECT_TRUE(SameNtfsName("\xC5\xB8x", "\xC3\xBFx"));
  EXPECT_FALSE(SameNtfsName("\xCE\x9Cx", "\xC2\xB5x"));
  EXPECT_FALSE(SameNtfsName("Ix", "\xC4\xB1x"));
  EXPECT_FALSE(SameNtfsName("\xCE\xA3x", "\xCF\x82x"));
}
