// Code page 1252 case mapping and comparison, conversions, NTFS name order.
// Expected values of CharLowerBuffA and CompareStringA were measured under
// Wine 8 (host.md, "Text comparison").
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/text1252.h"

using text1252::CompareLowerBytes;
using text1252::EqualIgnoreCase;

namespace {

std::string B(std::initializer_list<int> bytes) {
  std::string s;
  for (int b : bytes) s += static_cast<char>(b);
  return s;
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
    const int l = text1252::LowerChar(static_cast<unsigned char>(c));
    if (l != c) changed.push_back({c, l});
  }
  EXPECT_EQ(changed, expected);
}

TEST(Text1252Lower, LeavesTheLettersWithoutACapitalPairAlone) {
  for (int c : {0xDF /*ß*/, 0xB5 /*µ*/, 0xAA /*ª*/, 0xBA /*º*/, 0x83 /*ƒ*/, 0xD7 /*×*/, 0xF7 /*÷*/, 0xFF /*ÿ*/,
                0x9A, 0x9C, 0x9E, 0x8B, 0x9B, 0x40, 0x5B, 0x60, 0x7B})
    EXPECT_EQ(text1252::LowerChar(static_cast<unsigned char>(c)), c) << std::hex << c;
}

TEST(Text1252Lower, LowerWholeText) {
  EXPECT_EQ(text1252::Lower("Scenery\\WORLD"), "scenery\\world");
  EXPECT_EQ(text1252::Lower(B({0xC4, 'B', 0xDF, 0x9F, 0x8A, 0})), B({0xE4, 'b', 0xDF, 0xFF, 0x9A, 0}));
  EXPECT_EQ(text1252::Lower(""), "");
}

TEST(Text1252Lower, PlatLowerAnsiIsTheSame) {
  std::string all;
  for (int c = 0; c < 256; ++c) all += static_cast<char>(c);
  EXPECT_EQ(plat::LowerAnsi(all), text1252::Lower(all));
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
    const std::string lower = B({text1252::LowerChar(static_cast<unsigned char>(c))});
    EXPECT_TRUE(EqualIgnoreCase("x" + one, "X" + lower)) << c;
    EXPECT_EQ(text1252::CompareLowerBytes(one, lower), 0) << c;
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
      ASSERT_EQ(text1252::Folded(a) == text1252::Folded(b), equal)
          << "'" << a << "' / '" << b << "'";
    }
  }
  EXPECT_GT(equalPairs, 100u);  // the pairs above hold many equal ones
  EXPECT_EQ(text1252::Folded("Stra" + B({0xDF}) + "E" + B({0xAD})), "strasse");
  EXPECT_EQ(plat::CaseFoldedKey("Addon Scenery\\" + B({0xC6})), "addon scenery\\ae");
}

// ---------------------------------------------------------------- order

TEST(Text1252Order, AreaNamesSortByLowerCasedBytes) {
  std::vector<std::string> names = {"General", "Area.101", "AREA.1000", "Area.100", "area.099",
                                    "Area.002", "Area.010", "Area.001"};
  std::sort(names.begin(), names.end(),
            [](const std::string& a, const std::string& b) { return CompareLowerBytes(a, b) < 0; });
  const std::vector<std::string> expected = {"Area.001", "Area.002", "Area.010", "area.099",
                                             "Area.100", "AREA.1000", "Area.101", "General"};
  EXPECT_EQ(names, expected);
}

TEST(Text1252Order, SignsAndUnsignedBytes) {
  EXPECT_EQ(CompareLowerBytes("abc", "ABC"), 0);
  EXPECT_LT(CompareLowerBytes("Area.100", "Area.1000"), 0);
  EXPECT_LT(CompareLowerBytes("Area.1000", "Area.101"), 0);
  EXPECT_GT(CompareLowerBytes("general", "Area.999"), 0);
  EXPECT_GT(CompareLowerBytes("GENERAL", "area.999"), 0);
  EXPECT_LT(CompareLowerBytes("z", B({0xE4})), 0);  // bytes above 0x7F sort high
  EXPECT_EQ(CompareLowerBytes(B({0xC4}), B({0xE4})), 0);
  EXPECT_LT(CompareLowerBytes("", "a"), 0);
  EXPECT_EQ(plat::CompareTextOrder("Area.1000", "area.1000"), 0);
  EXPECT_LT(plat::CompareTextOrder("Area.100", "Area.1000"), 0);
  EXPECT_GT(plat::CompareTextOrder("General", "Area.1000"), 0);
}

// ---------------------------------------------------------------- conversions

TEST(Text1252Convert, AnsiToUtf8CoversTheWholeTable) {
  EXPECT_EQ(text1252::ToUtf8("abc"), "abc");
  EXPECT_EQ(text1252::ToUtf8(B({0x80})), "\xE2\x82\xAC");   // €
  EXPECT_EQ(text1252::ToUtf8(B({0x9F})), "\xC5\xB8");       // Ÿ
  EXPECT_EQ(text1252::ToUtf8(B({0x88})), "\xCB\x86");       // ˆ
  EXPECT_EQ(text1252::ToUtf8(B({0x99})), "\xE2\x84\xA2");   // ™
  EXPECT_EQ(text1252::ToUtf8(B({0xE4})), "\xC3\xA4");       // ä
  EXPECT_EQ(text1252::ToUtf8(B({0xA0})), "\xC2\xA0");
  EXPECT_EQ(text1252::ToUtf8(B({0x81})), "\xC2\x81");       // undefined: U+0081
  EXPECT_EQ(text1252::ToUtf8(B({0x8D})), "\xC2\x8D");
  EXPECT_EQ(text1252::ToUtf8(B({0x8F})), "\xC2\x8F");
  EXPECT_EQ(text1252::ToUtf8(B({0x90})), "\xC2\x90");
  EXPECT_EQ(text1252::ToUtf8(B({0x9D})), "\xC2\x9D");
  EXPECT_EQ(text1252::ToUtf8(std::string("a\0b", 3)), std::string("a\0b", 3));
}

TEST(Text1252Convert, EveryByteRoundTripsThroughUtf8AndUtf16) {
  std::string all;
  for (int c = 0; c < 256; ++c) all += static_cast<char>(c);
  EXPECT_EQ(text1252::FromUtf8(text1252::ToUtf8(all)), all);
  EXPECT_EQ(text1252::FromUtf16(text1252::ToUtf16(all)), all);
  EXPECT_EQ(text1252::Utf8ToUtf16(text1252::ToUtf8(all)), text1252::ToUtf16(all));
}

TEST(Text1252Convert, Utf16Table) {
  const std::u16string u = text1252::ToUtf16(B({0x80, 0x8A, 0x8C, 0x91, 0x92, 0x93, 0x94, 0x96, 0x97, 0x9C, 0x81}));
  EXPECT_EQ(u, (std::u16string{0x20AC, 0x0160, 0x0152, 0x2018, 0x2019, 0x201C, 0x201D, 0x2013, 0x2014, 0x0153,
                               0x0081}));
}

TEST(Text1252Convert, CharactersWithoutAFormBecomeQuestionMarks) {
  EXPECT_EQ(text1252::FromUtf8("\xE2\x82\xAC"), B({0x80}));         // € has a form
  EXPECT_EQ(text1252::FromUtf8("x\xD0\x96y"), "x?y");                // Ж
  EXPECT_EQ(text1252::FromUtf8("\xE6\x97\xA5\xE6\x9C\xAC"), "??");  // 日本
  EXPECT_EQ(text1252::FromUtf8("\xF0\x9F\x98\x80"), "?");            // one character outside the BMP
  EXPECT_EQ(text1252::FromUtf8("\xC2\x80"), "?");                    // U+0080 is not 1252's 0x80
  EXPECT_EQ(text1252::FromUtf8("\xC2\x81"), B({0x81}));              // but U+0081 is 0x81
  EXPECT_EQ(text1252::FromUtf16(u"\u0416"), "?");
  EXPECT_EQ(text1252::FromUtf16(u"a\U0001F600b"), "a?b");           // a surrogate pair: one '?'
  EXPECT_EQ(text1252::FromUtf16(std::u16string(1, char16_t(0xD800))), "?");
  EXPECT_EQ(text1252::FromUtf16(u"\u20AC\u00FF"), B({0x80, 0xFF}));
}

TEST(Text1252Convert, InvalidUtf8BytesAreTakenAs1252) {
  EXPECT_EQ(text1252::FromUtf8(B({'Z', 0xFC, 'r', 'i', 'c', 'h'})), B({'Z', 0xFC, 'r', 'i', 'c', 'h'}));
  EXPECT_EQ(text1252::FromUtf8(B({0xE4})), B({0xE4}));                         // lone lead byte at the end
  EXPECT_EQ(text1252::FromUtf8(B({0xC3})), B({0xC3}));
  EXPECT_EQ(text1252::FromUtf8(B({0xC3, 'x'})), B({0xC3, 'x'}));              // lead byte without continuation
  EXPECT_EQ(text1252::FromUtf8(B({0x80, 0xBF})), B({0x80, 0xBF}));            // lone continuation bytes
  EXPECT_EQ(text1252::FromUtf8(B({0xC0, 0xAF})), B({0xC0, 0xAF}));            // overlong '/'
  EXPECT_EQ(text1252::FromUtf8(B({0xE0, 0x80, 0xAF})), B({0xE0, 0x80, 0xAF}));  // overlong
  EXPECT_EQ(text1252::FromUtf8(B({0xED, 0xA0, 0x80})), B({0xED, 0xA0, 0x80}));  // a surrogate
  EXPECT_EQ(text1252::FromUtf8(B({0xF4, 0x90, 0x80, 0x80})), B({0xF4, 0x90, 0x80, 0x80}));  // > U+10FFFF
  EXPECT_EQ(text1252::FromUtf8(B({0xE2, 0x82})), B({0xE2, 0x82}));            // truncated
  // A valid sequence right after an invalid byte is still decoded.
  EXPECT_EQ(text1252::FromUtf8(B({0xFC, 0xC3, 0xA4})), B({0xFC, 0xE4}));
  // UTF-16 of the same: invalid bytes through the 1252 table.
  EXPECT_EQ(text1252::Utf8ToUtf16(B({0x80, 'a', 0xC3, 0xA4})), (std::u16string{0x20AC, 'a', 0xE4}));
  EXPECT_EQ(text1252::Utf8ToUtf16("\xF0\x9F\x98\x80"), (std::u16string{0xD83D, 0xDE00}));
}

// ---------------------------------------------------------------- NTFS case

TEST(NtfsUpper, AsciiAndLatin1) {
  EXPECT_EQ(text1252::UpperUtf16(u'a'), u'A');
  EXPECT_EQ(text1252::UpperUtf16(u'z'), u'Z');
  EXPECT_EQ(text1252::UpperUtf16(u'A'), u'A');
  EXPECT_EQ(text1252::UpperUtf16(u'{'), u'{');
  EXPECT_EQ(text1252::UpperUtf16(u'`'), u'`');
  EXPECT_EQ(text1252::UpperUtf16(0x00E4), 0x00C4);  // ä
  EXPECT_EQ(text1252::UpperUtf16(0x00FE), 0x00DE);  // þ
  EXPECT_EQ(text1252::UpperUtf16(0x00F7), 0x00F7);  // ÷
  EXPECT_EQ(text1252::UpperUtf16(0x00FF), 0x0178);  // ÿ -> Ÿ
  EXPECT_EQ(text1252::UpperUtf16(0x00DF), 0x00DF);  // ß stays
  // As Wine's table (l_intl.nls) has it: mappings that do not come back by
  // lower-casing are left out.
  EXPECT_EQ(text1252::UpperUtf16(0x00B5), 0x00B5);  // µ
  EXPECT_EQ(text1252::UpperUtf16(0x0131), 0x0131);  // ı
  EXPECT_EQ(text1252::UpperUtf16(0x017F), 0x017F);  // ſ
  EXPECT_EQ(text1252::UpperUtf16(0x03C2), 0x03C2);  // ς
}

TEST(NtfsUpper, OtherScripts) {
  EXPECT_EQ(text1252::UpperUtf16(0x0101), 0x0100);  // Latin Extended-A
  EXPECT_EQ(text1252::UpperUtf16(0x0100), 0x0100);
  EXPECT_EQ(text1252::UpperUtf16(0x017E), 0x017D);  // ž
  EXPECT_EQ(text1252::UpperUtf16(0x0161), 0x0160);  // š
  EXPECT_EQ(text1252::UpperUtf16(0x0153), 0x0152);  // œ
  EXPECT_EQ(text1252::UpperUtf16(0x0180), 0x0243);  // Latin Extended-B
  EXPECT_EQ(text1252::UpperUtf16(0x01C6), 0x01C4);  // ǆ
  EXPECT_EQ(text1252::UpperUtf16(0x03B1), 0x0391);  // Greek α
  EXPECT_EQ(text1252::UpperUtf16(0x03C3), 0x03A3);  // σ
  EXPECT_EQ(text1252::UpperUtf16(0x03AC), 0x0386);  // ά
  EXPECT_EQ(text1252::UpperUtf16(0x0430), 0x0410);  // Cyrillic а
  EXPECT_EQ(text1252::UpperUtf16(0x044F), 0x042F);  // я
  EXPECT_EQ(text1252::UpperUtf16(0x0451), 0x0401);  // ё
  EXPECT_EQ(text1252::UpperUtf16(0x0561), 0x0531);  // Armenian
  EXPECT_EQ(text1252::UpperUtf16(0x0586), 0x0556);
  EXPECT_EQ(text1252::UpperUtf16(0x1E01), 0x1E00);  // Latin Extended Additional
  EXPECT_EQ(text1252::UpperUtf16(0x24D0), 0x24B6);  // circled letters
  EXPECT_EQ(text1252::UpperUtf16(0x2170), 0x2160);  // roman numerals
  EXPECT_EQ(text1252::UpperUtf16(0xFF41), 0xFF21);  // fullwidth a
  EXPECT_EQ(text1252::UpperUtf16(0xFF5A), 0xFF3A);  // fullwidth z
  EXPECT_EQ(text1252::UpperUtf16(0xFF21), 0xFF21);
  EXPECT_EQ(text1252::UpperUtf16(0x4E00), 0x4E00);  // CJK
  EXPECT_EQ(text1252::UpperUtf16(0xD83D), 0xD83D);  // surrogates unchanged
}

TEST(NtfsUpper, NoMappingLeavesTheBmpOrChangesAnUpperCaseLetter) {
  // Upper-casing twice changes nothing more.
  for (uint32_t c = 0; c < 0x10000; ++c) {
    const char16_t u = text1252::UpperUtf16(static_cast<char16_t>(c));
    ASSERT_EQ(text1252::UpperUtf16(u), u) << std::hex << c;
  }
}

TEST(NtfsNames, SameNameIgnoringCase) {
  EXPECT_TRUE(text1252::SameNtfsName("Scenery", "SCENERY"));
  EXPECT_TRUE(text1252::SameNtfsName("\xC3\xA4rger", "\xC3\x84RGER"));    // ärger ÄRGER
  EXPECT_TRUE(text1252::SameNtfsName("\xD0\xB6", "\xD0\x96"));            // ж Ж
  EXPECT_FALSE(text1252::SameNtfsName("stra\xC3\x9F" "e", "STRASSE"));  // ß and SS differ
  EXPECT_FALSE(text1252::SameNtfsName("abc", "abc "));
  EXPECT_FALSE(text1252::SameNtfsName("a", "\xC3\xA4"));
  // Invalid UTF-8 taken as 1252: 0xE4 is ä.
  EXPECT_TRUE(text1252::SameNtfsName("\xE4", "\xC3\x84"));
}

TEST(NtfsNames, OrderByUpperCasedUnitsThenBytes) {
  EXPECT_EQ(text1252::CompareNtfsNames("abc", "abc"), 0);
  EXPECT_LT(text1252::CompareNtfsNames("ABC", "abc"), 0);  // equal upper-cased: by bytes
  EXPECT_GT(text1252::CompareNtfsNames("abc", "ABC"), 0);
  EXPECT_LT(text1252::CompareNtfsNames("abc", "ABD"), 0);
  EXPECT_LT(text1252::CompareNtfsNames("a", "ab"), 0);
  // '_' (0x5F) sorts after the capitals it is compared with, so "a_" > "AB".
  EXPECT_GT(text1252::CompareNtfsNames("a_", "AB"), 0);
  EXPECT_LT(text1252::CompareNtfsNames("Z", "\xC3\xA4"), 0);  // Z < ä (U+00C4)

  std::vector<std::string> names = {"b", "_x", "A", "a", "B", "\xC3\xA4", "Zeta", "10", "9"};
  std::sort(names.begin(), names.end(),
            [](const std::string& x, const std::string& y) { return text1252::CompareNtfsNames(x, y) < 0; });
  const std::vector<std::string> expected = {"10", "9", "A", "a", "B", "b", "Zeta", "_x", "\xC3\xA4"};
  EXPECT_EQ(names, expected);
}

TEST(NtfsNames, OrderAsWineListsAFolder) {
  // FindFirstFileW under Wine 8 listed these host names in this order.
  std::vector<std::string> names = {"\xC2\xB5x", "\xC4\xB1x", "\xC3\xBFx", "\xCF\x82x",
                                    "a",          "B",          "_",          "\xC3\x84"};
  std::sort(names.begin(), names.end(),
            [](const std::string& x, const std::string& y) { return text1252::CompareNtfsNames(x, y) < 0; });
  const std::vector<std::string> expected = {"a",          "B",          "_",          "\xC2\xB5x",
                                             "\xC3\x84", "\xC4\xB1x", "\xC3\xBFx", "\xCF\x82x"};
  EXPECT_EQ(names, expected);
  // And found "\u0178x" for "\u00FFx", but not "\u039Cx" for "\u00B5x", "Ix" for
  // "\u0131x" or "\u03A3x" for "\u03C2x".
  EXPECT_TRUE(text1252::SameNtfsName("\xC5\xB8x", "\xC3\xBFx"));
  EXPECT_FALSE(text1252::SameNtfsName("\xCE\x9Cx", "\xC2\xB5x"));
  EXPECT_FALSE(text1252::SameNtfsName("Ix", "\xC4\xB1x"));
  EXPECT_FALSE(text1252::SameNtfsName("\xCE\xA3x", "\xCF\x82x"));
}
