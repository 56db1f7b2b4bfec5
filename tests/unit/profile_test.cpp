// The profile (INI) reader and writer: host.md, "Profile files".
#include "test_prefix.h"
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "formats/profile.h"

using profile::Document;
using profile::Encoding;
using profile::Parse;
using profile::Unmarked;
using profile::Serialize;

namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// The stock files kept in the repository's tests/data.
std::string DataFile(const char* name) { return testing_support::StockCfgPath(name); }

// "name=value" pairs of one section, in file order.
std::vector<std::string> KeysOf(const profile::Section& s) {
  std::vector<std::string> out;
  for (const auto& k : s.Keys) out.push_back(k.Name + "=" + k.Value);
  return out;
}

std::vector<std::string> NamesOf(const Document& d) {
  std::vector<std::string> out;
  for (const auto& s : d.Sections) out.push_back(s.Name);
  return out;
}

using V = std::vector<std::string>;

}  // namespace

// ---------------------------------------------------------------- lines

TEST(ProfileParse, AnyRunOfCrAndLfEndsALine) {
  const Document d = Parse("[a]\rk1=1\nk2=2\r\nk3=3\n\rk4=4\r\r\n\n[b]\r\nx=y");
  ASSERT_EQ(NamesOf(d), (V{"a", "b"}));
  EXPECT_EQ(KeysOf(d.Sections[0]), (V{"k1=1", "k2=2", "k3=3", "k4=4"}));
  EXPECT_EQ(KeysOf(d.Sections[1]), (V{"x=y"}));  // last line without a line end
}

TEST(ProfileParse, BlanksAreTrimmedAroundEverything) {
  // Blanks: 09-0D, 1A and 20.
  const Document d = Parse(" \t[ Sec One ]\t \r\n \x0b key \x0c = \x1a value with  blanks \t\x1a\r\n");
  ASSERT_EQ(NamesOf(d), (V{"Sec One"}));
  EXPECT_EQ(KeysOf(d.Sections[0]), (V{"key=value with  blanks"}));
}

TEST(ProfileParse, OtherBytesAreNoBlanks) {
  const Document d = Parse("[s]\r\n\xA0k\xA0=\xA0v\xA0\r\n\x01k=v\x01\r\n");
  ASSERT_EQ(d.Sections.size(), 1u);
  EXPECT_EQ(KeysOf(d.Sections[0]), (V{"\xC2\xA0k\xC2\xA0=\xC2\xA0v\xC2\xA0", "\x01k=v\x01"}));
}

// ---------------------------------------------------------------- sections

TEST(ProfileParse, SectionNameRunsToTheLastBracket) {
  const Document d = Parse("[a]b]\r\n[c] trailing ] text ] x\r\n[ d ]  ; comment\r\n");
  EXPECT_EQ(NamesOf(d), (V{"a]b", "c] trailing ] text", "d"}));
}

TEST(ProfileParse, BracketLineWithoutCloseIsAnOrdinaryLine) {
  const Document d = Parse("[a]\r\n[b=1\r\n[c\r\n");
  ASSERT_EQ(NamesOf(d), (V{"a"}));
  EXPECT_EQ(KeysOf(d.Sections[0]), (V{"[b=1"}));
  const Document e = Parse("[a]\r\n]x[=2\r\n");  // ']' first: not a section
  EXPECT_EQ(KeysOf(e.Sections[0]), (V{"]x[=2"}));
}

TEST(ProfileParse, SectionWithEmptyNameIsNotListedNorItsKeys) {
  const Document d = Parse("[a]\r\nk=1\r\n[]\r\nlost=1\r\n[  ]\r\nlost2=2\r\n[b]\r\nk=2\r\n");
  ASSERT_EQ(NamesOf(d), (V{"a", "b"}));
  EXPECT_EQ(KeysOf(d.Sections[0]), (V{"k=1"}));
  EXPECT_EQ(KeysOf(d.Sections[1]), (V{"k=2"}));
}

TEST(ProfileParse, LinesBeforeTheFirstSectionAreIgnored) {
  const Document d = Parse("top=1\r\nx=2\r\n\r\n[s]\r\nk=v\r\n");
  ASSERT_EQ(NamesOf(d), (V{"s"}));
  EXPECT_EQ(KeysOf(d.Sections[0]), (V{"k=v"}));
  EXPECT_TRUE(Parse("only=keys\r\n").Sections.empty());
  EXPECT_TRUE(Parse("").Sections.empty());
  EXPECT_TRUE(Parse(std::string_view()).Sections.empty());
  EXPECT_TRUE(Parse("\r\n\r\n  \r\n").Sections.empty());
}

TEST(ProfileParse, SectionWithoutKeysIsListed) {
  const Document d = Parse("[empty]\r\n[full]\r\nk=v\r\n[last]");
  ASSERT_EQ(NamesOf(d), (V{"empty", "full", "last"}));
  EXPECT_TRUE(d.Sections[0].Keys.empty());
  EXPECT_TRUE(d.Sections[2].Keys.empty());
}

TEST(ProfileParse, DuplicateSectionsAreKeptApartInFileOrder) {
  const Document d = Parse("[Area.001]\r\nLocal=a\r\n[General]\r\nTitle=t\r\n[AREA.001]\r\nLocal=b\r\nX=1\r\n");
  ASSERT_EQ(NamesOf(d), (V{"Area.001", "General", "AREA.001"}));
  EXPECT_EQ(KeysOf(d.Sections[0]), (V{"Local=a"}));
  EXPECT_EQ(KeysOf(d.Sections[2]), (V{"Local=b", "X=1"}));
  // Find gives the first of them.
  ASSERT_NE(d.Find("area.001"), nullptr);
  EXPECT_EQ(d.Find("area.001"), &d.Sections[0]);
}

// ---------------------------------------------------------------- keys

TEST(ProfileParse, KeySplitsAtTheFirstEquals) {
  const Document d = Parse("[s]\r\na=b=c\r\n==x\r\nk = = \r\n");
  EXPECT_EQ(KeysOf(d.Sections[0]), (V{"a=b=c", "==x", "k=="}));
  EXPECT_EQ(d.Sections[0].Keys[0].Name, "a");
  EXPECT_EQ(d.Sections[0].Keys[0].Value, "b=c");
  EXPECT_EQ(d.Sections[0].Keys[1].Name, "");
  EXPECT_EQ(d.Sections[0].Keys[1].Value, "=x");
  EXPECT_EQ(d.Sections[0].Keys[2].Value, "=");
}

TEST(ProfileParse, LinesWithoutEqualsAreNoKeys) {
  const Document d = Parse("[s]\r\njust text\r\nk=\r\nTexture_ID\r\n");
  EXPECT_EQ(KeysOf(d.Sections[0]), (V{"k="}));
}

TEST(ProfileParse, QuotePairRemovedOnce) {
  const Document d = Parse(
      "[s]\r\n"
      "a=\"x\"\r\n"
      "b='x'\r\n"
      "c=\"\"x\"\"\r\n"
      "d=\"\"\r\n"
      "e=\"\r\n"
      "f=\"x'\r\n"
      "g=  \"  x  \"  \r\n"
      "h=x\"\r\n"
      "i='\r\n"
      "j=\"a\"b\"\r\n"
      "\"k\"=v\r\n");
  EXPECT_EQ(KeysOf(d.Sections[0]), (V{"a=x", "b=x", "c=\"x\"", "d=", "e=\"", "f=\"x'", "g=  x  ", "h=x\"",
                                       "i='", "j=a\"b", "\"k\"=v"}));
}

TEST(ProfileParse, CommentsOnlyAsFirstNonBlank) {
  const Document d = Parse(
      "[s]\r\n"
      ";c=1\r\n"
      "  ; c=2\r\n"
      "#x=1\r\n"
      "k=v ; not a comment\r\n"
      "k2=;v\r\n"
      "[t] ; after a section\r\n"
      "a;b=c\r\n");
  ASSERT_EQ(NamesOf(d), (V{"s", "t"}));
  EXPECT_EQ(KeysOf(d.Sections[0]), (V{"#x=1", "k=v ; not a comment", "k2=;v"}));
  EXPECT_EQ(KeysOf(d.Sections[1]), (V{"a;b=c"}));
  const Document e = Parse(";[hidden]\r\nk=v\r\n");
  EXPECT_TRUE(e.Sections.empty());
}

TEST(ProfileParse, NulByteEndsTheNameOrValueItIsIn) {
  using namespace std::string_literals;
  const Document d = Parse("[ab\0cd]\r\nke\0y=va\0lue\r\nk2=v\0\r\nk3 \0x = \" q \0 \"\r\n[x\0]\r\n"s);
  ASSERT_EQ(NamesOf(d), (V{"ab", "x"}));
  EXPECT_EQ(KeysOf(d.Sections[0]), (V{"ke=va", "k2=v", "k3=\" q"}));
  const Document e = Parse("[\0z]\r\nk=v\r\n"s);  // the name ends at once: empty
  EXPECT_TRUE(e.Sections.empty());
}

TEST(ProfileParse, RepeatedKeyGivesItsFirstValue) {
  const Document d = Parse("[Area.001]\r\nLayer=1\r\nLAYER=2\r\nlayer=3\r\n");
  ASSERT_EQ(d.Sections[0].Keys.size(), 3u);
  const std::string* v = d.Sections[0].Find("Layer");
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(*v, "1");
  ASSERT_NE(d.Sections[0].Find("lAyEr"), nullptr);
  EXPECT_EQ(*d.Sections[0].Find("lAyEr"), "1");
}

TEST(ProfileFind, NamesMatchIgnoringCaseLinguistically) {
  const Document d = Parse("[General]\r\nClean_on_Exit=TRUE\r\n[Stra\xDF" "e]\r\nK\xE6y=1\r\n");
  EXPECT_NE(d.Find("GENERAL"), nullptr);
  EXPECT_NE(d.Find("general"), nullptr);
  EXPECT_EQ(d.Find("General "), nullptr);  // blanks count
  EXPECT_EQ(d.Find("Genera"), nullptr);
  const profile::Section* s = d.Find("STRASSE");
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->Name, "Stra\xC3\x9F" "e");
  ASSERT_NE(s->Find("KAEY"), nullptr);
  EXPECT_EQ(*s->Find("KAEY"), "1");
  EXPECT_EQ(s->Find("Key"), nullptr);
  EXPECT_NE(d.Sections[0].Find("clean_on_exit"), nullptr);
  EXPECT_EQ(d.Sections[0].Find("Clean_on_Exit "), nullptr);
  EXPECT_EQ(d.Find(""), nullptr);
}

TEST(ProfileKeyFinder, AgreesWithSectionFindWhateverTheSpellings) {
  // Sections that spell their keys in many ways and orders, repeat keys, and
  // together hold more spellings than the finder remembers; each section's
  // lookups must give what Section::Find gives.
  const std::vector<std::string> wanted = {"Title", "Layer", "Active", "Stra\xDF" "e", "Missing"};
  const std::vector<std::string> spellings = {
      "Title", "TITLE", "title", "Layer", "LAYER", "lAyEr", "Active", "ACTIVE", "Tit\xADle",
      "STRASSE", "strasse", "Titles", "Laye", "Other", "Title "};
  std::string text;
  uint32_t seed = 7;
  auto next = [&seed] {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 16) & 0x7FFF;
  };
  for (int i = 0; i < 400; ++i) {
    text += "[S" + std::to_string(i) + "]\r\n";
    const size_t keys = next() % 7;
    for (size_t k = 0; k < keys; ++k) {
      // Now and then a name of its own, so that the remembered spellings fill up.
      const std::string name = next() % 4 == 0 ? "Unique" + std::to_string(i)
                                               : spellings[next() % spellings.size()];
      text += name + "=v" + std::to_string(i) + "_" + std::to_string(k) + "\r\n";
    }
  }
  const Document d = Parse(text);
  profile::KeyFinder finder(wanted);
  size_t i = 0;
  profile::ForEachSection(text, profile::Unmarked::CodePage1252, [&](std::string_view name, std::span<const profile::KeyRef> keys) {
    ASSERT_LT(i, d.Sections.size());
    EXPECT_EQ(name, d.Sections[i].Name);
    std::vector<std::string_view> values(wanted.size(), "unset");
    const uint32_t found = finder.Find(keys, values.data());
    for (size_t w = 0; w < wanted.size(); ++w) {
      const std::string* expected = d.Sections[i].Find(wanted[w]);
      ASSERT_EQ((found >> w) & 1, expected ? 1u : 0u) << "section " << i << ", " << wanted[w];
      EXPECT_EQ(std::string(values[w]), expected ? *expected : "unset")
          << "section " << i << ", " << wanted[w];
    }
    ++i;
  });
  EXPECT_EQ(i, d.Sections.size());
}

TEST(ProfileParse, NoLimits) {
  const std::string longValue(100000, 'v');
  const std::string longName(20000, 'n');
  std::string text = "[" + longName + "]\r\n" + longName + "=" + longValue + "\r\n";
  for (int i = 0; i < 5000; ++i) text += "k" + std::to_string(i) + "=" + std::to_string(i) + "\r\n";
  const Document d = Parse(text);
  ASSERT_EQ(d.Sections.size(), 1u);
  EXPECT_EQ(d.Sections[0].Name, longName);
  ASSERT_EQ(d.Sections[0].Keys.size(), 5001u);
  EXPECT_EQ(d.Sections[0].Keys[0].Value, longValue);
  EXPECT_EQ(d.Sections[0].Keys[5000].Name, "k4999");
  EXPECT_EQ(Serialize(d), text);
}

// ---------------------------------------------------------------- writing

TEST(ProfileSerialize, WrittenForm) {
  Document d;
  d.Sections.push_back({"General", {{"Title", "FS9 World Scenery"}, {"Clean_on_Exit", "TRUE"}}});
  d.Sections.push_back({"Area.001", {{"Local", "Scenery\\World"}, {"Remote", ""}}});
  d.Sections.push_back({"Empty", {}});
  EXPECT_EQ(Serialize(d),
            "[General]\r\nTitle=FS9 World Scenery\r\nClean_on_Exit=TRUE\r\n"
            "[Area.001]\r\nLocal=Scenery\\World\r\nRemote=\r\n"
            "[Empty]\r\n");
  EXPECT_EQ(Serialize(Document{}), "");
}

TEST(ProfileSerialize, ValuesWithoutOuterBlanksAndQuotesAsGiven) {
  Document d;
  d.Sections.push_back({" s ", {{" k ", "  v w \t"}, {"q", "\"quoted\""}, {"c", ";x"}}});
  EXPECT_EQ(Serialize(d), "[s]\r\nk=v w\r\nq=\"quoted\"\r\nc=;x\r\n");
}

TEST(ProfileSerialize, CrAndLfCannotInjectLines) {
  Document d;
  d.Sections.push_back({"Area.001", {{"Title", "evil\r\n[General]\r\nx=1"}, {"Lo\rcal", "a\nb"}}});
  d.Sections.push_back({"Area\r\n.002", {}});
  const std::string out = Serialize(d);
  EXPECT_EQ(out, "[Area.001]\r\nTitle=evil  [General]  x=1\r\nLo cal=a b\r\n[Area  .002]\r\n");
  const Document back = Parse(out);
  ASSERT_EQ(NamesOf(back), (V{"Area.001", "Area  .002"}));
  EXPECT_EQ(KeysOf(back.Sections[0]), (V{"Title=evil  [General]  x=1", "Lo cal=a b"}));
}

TEST(ProfileSerialize, LineBreakAnywhereInsideANameOrValueIsBlanked) {
  // Every length and inner place (a break at either end is trimmed as a
  // blank), so that texts checked in pieces of eight bytes are blanked in
  // their first, middle and last piece alike.
  for (size_t length = 3; length <= 26; ++length) {
    for (size_t at = 1; at + 1 < length; ++at) {
      for (const char breakChar : {'\r', '\n'}) {
        std::string text(length, 'x');
        text[at] = breakChar;
        std::string blanked = text;
        blanked[at] = ' ';
        Document d;
        d.Sections.push_back({text, {{"k", text}, {text, "v"}}});
        EXPECT_EQ(Serialize(d), "[" + blanked + "]\r\nk=" + blanked + "\r\n" + blanked + "=v\r\n")
            << "length " << length << ", break at " << at;
      }
    }
  }
}

TEST(ProfileRoundTrip, DuplicateSectionsSurviveALoadAndASave) {
  const std::string text =
      "[General]\r\nTitle=t\r\n"
      "[Area.001]\r\nLocal=first\r\nLayer=1\r\n"
      "[area.001]\r\nLocal=second\r\nLayer=2\r\n"
      "[AREA.001]\r\nLocal=third\r\n";
  const Document d = Parse(text);
  ASSERT_EQ(d.Sections.size(), 4u);
  EXPECT_EQ(Serialize(d), text);
}

TEST(ProfileRoundTrip, LooseTextBecomesTheCanonicalForm) {
  const std::string loose =
      "; a comment\n\n"
      "  [General]  \n"
      "  Title =  \"FS9 World Scenery\"  \n"
      "junk line\n"
      "\n"
      "[Area.001]\n"
      "Local = Scenery\\World\n";
  EXPECT_EQ(Serialize(Parse(loose)),
            "[General]\r\nTitle=FS9 World Scenery\r\n[Area.001]\r\nLocal=Scenery\\World\r\n");
}

TEST(ProfileRoundTrip, WrittenFormIsStableForArbitraryText) {
  // Random texts over the bytes that matter to the lexer (quotes left out:
  // a quoted value loses its quotes at every load, as on Windows).
  const std::string alphabet = std::string("[]=; #aB\r\n\t \x1a\x0b") + std::string(1, '\0');
  uint32_t seed = 12345;
  auto next = [&seed] {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 16) & 0x7FFF;
  };
  for (int round = 0; round < 3000; ++round) {
    std::string text;
    const size_t length = next() % 80;
    for (size_t i = 0; i < length; ++i) text += alphabet[next() % alphabet.size()];
    const std::string once = Serialize(Parse(text));
    ASSERT_EQ(Serialize(Parse(once)), once) << "input: " << ::testing::PrintToString(text);
    for (const auto& section : Parse(once).Sections) {
      ASSERT_FALSE(section.Name.empty());
      ASSERT_EQ(section.Name.find('\0'), std::string::npos);
      for (const auto& key : section.Keys) {
        ASSERT_EQ(key.Name.find('='), std::string::npos);
        ASSERT_EQ(key.Value.find_first_of(std::string("\r\n\0", 3)), std::string::npos);
      }
    }
  }
}

// ---------------------------------------------------------------- encodings

// Each encoding keeps its file byte for byte through a load and a save, and
// gives the program every character as UTF-8.
TEST(ProfileEncoding, EachFileRoundTripsInItsOwnEncoding) {
  auto utf16le = [](const std::u16string& s) {
    std::string out = "\xFF\xFE";
    for (char16_t c : s) {
      out += static_cast<char>(c & 0xFF);
      out += static_cast<char>(c >> 8);
    }
    return out;
  };
  std::string every1252 = "[s]\r\nk=<";  // every byte but those that end a line or a value
  for (int c = 1; c < 256; ++c)
    if (c != '\r' && c != '\n') every1252 += static_cast<char>(c);
  every1252 += ">\r\n";
  struct Case {
    const char* What;
    std::string Bytes;
    Unmarked Read;
    Encoding Enc;
    std::string Section, Title;  // as the program sees them
  };
  const Case cases[] = {
      {"1252", "[Z\xFCrich]\r\nTitle=Caf\xE9 \x80\r\n", Unmarked::CodePage1252, Encoding::CodePage1252,
       "Z\xC3\xBCrich", "Caf\xC3\xA9 \xE2\x82\xAC"},
      {"UTF-8 read as 1252", "[s]\r\nTitle=Z\xC3\xBCrich\r\n", Unmarked::CodePage1252,
       Encoding::CodePage1252, "s", "Z\xC3\x83\xC2\xBCrich"},
      {"UTF-8 with a mark", "\xEF\xBB\xBF[Z\xC3\xBCrich]\r\nTitle=\xE2\x82\xAC \xD0\x96 \xCE\xA9\r\n",
       Unmarked::CodePage1252, Encoding::Utf8Bom, "Z\xC3\xBCrich", "\xE2\x82\xAC \xD0\x96 \xCE\xA9"},
      {"UTF-8", "[\xE6\x9D\xB1\xE4\xBA\xAC]\r\nTitle=\xC4\x90 \xC5\x90 Z\xFCrich\r\n", Unmarked::Utf8,
       Encoding::Utf8, "\xE6\x9D\xB1\xE4\xBA\xAC", "\xC4\x90 \xC5\x90 Z\xFCrich"},  // a 1252 byte kept
      {"UTF-8 told by its bytes", "[s]\r\nTitle=\xCE\xA9\r\n", Unmarked::Detect, Encoding::Utf8, "s",
       "\xCE\xA9"},
      {"1252 told by its bytes", "[s]\r\nTitle=\xD8\r\n", Unmarked::Detect, Encoding::CodePage1252, "s",
       "\xC3\x98"},
      {"UTF-16", utf16le(u"[Z\u00FCrich]\r\nTitle=\u20AC \u0416\r\n"), Unmarked::Utf8, Encoding::Utf16LeBom,
       "Z\xC3\xBCrich", "\xE2\x82\xAC \xD0\x96"},
  };
  for (const Case& c : cases) {
    const Document d = Parse(c.Bytes, c.Read);
    EXPECT_EQ(d.Enc, c.Enc) << c.What;
    ASSERT_EQ(NamesOf(d), (V{c.Section})) << c.What;
    EXPECT_EQ(*d.Sections[0].Find("Title"), c.Title) << c.What;
    EXPECT_EQ(Serialize(d), c.Bytes) << c.What;
  }
  EXPECT_EQ(Serialize(Parse(every1252)), every1252);
  // An odd last byte of a UTF-16 file is no character.
  const Document odd = Parse(utf16le(u"[s]\r\nk=v") + "x");
  EXPECT_EQ(*odd.Sections[0].Find("k"), "v");
}

TEST(ProfileEncoding, A1252FileWritesWhatItCannotHoldAsQuestionMarks) {
  Document d = Parse("[s]\r\nk=v\r\n");
  d.Sections[0].Keys[0].Value = "\xCE\xA9mega Z\xC3\xBCrich";
  EXPECT_EQ(Serialize(d), "[s]\r\nk=?mega Z\xFCrich\r\n");
}

// ---------------------------------------------------------------- scale

namespace {

std::string BigFile(int areas) {
  std::string text = "[General]\r\nTitle=FS9 World Scenery\r\nDescription=FS9 Scenery Data\r\nClean_on_Exit=TRUE\r\n";
  for (int i = 1; i <= areas; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "Area.%03d", i);
    text += "[";
    text += name;
    text += "]\r\nTitle=Addon scenery number " + std::to_string(i) + "\r\nLocal=Addon Scenery\\Area" +
            std::to_string(i) + "\r\nLayer=" + std::to_string(i) + "\r\nActive=TRUE\r\nRequired=FALSE\r\n";
  }
  return text;
}

}  // namespace

// Large inputs (their speed is measured by bench/run, not here).
TEST(ProfileScale, TenThousandSectionsRoundTripExactly) {
  const std::string text = BigFile(10000);
  ASSERT_GT(text.size(), 900000u);
  const Document d = Parse(text);
  const std::string out = Serialize(d);
  ASSERT_EQ(d.Sections.size(), 10001u);
  EXPECT_EQ(d.Sections[10000].Name, "Area.10000");
  EXPECT_EQ(*d.Sections[10000].Find("Local"), "Addon Scenery\\Area10000");
  EXPECT_EQ(out, text);
}

TEST(ProfileScale, ManyLinesWithLfOnly) {
  std::string text = "[s]\n";
  for (int i = 0; i < 200000; ++i) text += "k=v\n";
  const Document d = Parse(text);
  ASSERT_EQ(d.Sections[0].Keys.size(), 200000u);
  EXPECT_EQ(d.Sections[0].Keys.back().Name, "k");
  EXPECT_EQ(d.Sections[0].Keys.back().Value, "v");
}

// ---------------------------------------------------------------- stock files

TEST(ProfileStock, FsxStockSceneryCfg) {
  const std::string bytes = ReadFile(DataFile("fsx-stock-scenery.cfg"));
  ASSERT_FALSE(bytes.empty());
  const Document d = Parse(bytes);
  EXPECT_EQ(d.Enc, Encoding::CodePage1252);
  ASSERT_EQ(d.Sections.size(), 121u);
  EXPECT_EQ(d.Sections[0].Name, "General");
  EXPECT_EQ(KeysOf(d.Sections[0]),
            (V{"Title=FS9 World Scenery", "Description=FS9 Scenery Data", "Clean_on_Exit=TRUE"}));
  EXPECT_EQ(KeysOf(d.Sections[1]), (V{"Title=Default Terrain", "Texture_ID=1", "Local=Scenery\\World", "Layer=1",
                                      "Active=TRUE", "Required=TRUE"}));
  const profile::Section* last = d.Find("area.120");
  ASSERT_NE(last, nullptr);
  EXPECT_EQ(last, &d.Sections[120]);
  EXPECT_EQ(*last->Find("Local"), "Addon Scenery");
  EXPECT_EQ(*last->Find("layer"), "120");
  EXPECT_EQ(*last->Find("Required"), "FALSE");
  EXPECT_EQ(last->Find("Exclude"), nullptr);
  for (size_t i = 1; i < d.Sections.size(); ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "Area.%03zu", i);
    EXPECT_EQ(d.Sections[i].Name, name);
    ASSERT_NE(d.Sections[i].Find("Layer"), nullptr);
    EXPECT_EQ(*d.Sections[i].Find("Layer"), std::to_string(i));
  }
  // Written back: the same text without blank lines, with CR LF.
  std::string expected;
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\r') continue;
    if (bytes[i] == '\n') {
      if (!expected.empty() && expected.back() != '\n') expected += "\r\n";
      continue;
    }
    expected += bytes[i];
  }
  if (!expected.empty() && expected.back() != '\n') expected += "\r\n";
  EXPECT_EQ(Serialize(d), expected);
}

TEST(ProfileStock, FsxStockIdsSceneryCfgWithCrLf) {
  const std::string bytes = ReadFile(DataFile("fsx-stock-ids-scenery.cfg"));
  ASSERT_FALSE(bytes.empty());
  const Document d = Parse(bytes);
  ASSERT_EQ(d.Sections.size(), 125u);
  EXPECT_EQ(*d.Find("GENERAL")->Find("Title"), "@IDS_GENERAL_FS9WORLDSCENERY");
  EXPECT_EQ(*d.Find("Area.001")->Find("Title"), "@IDS_AREA001_DEFAULTTERRAIN");
  const profile::Section* a = d.Find("Area.124");
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a, &d.Sections[124]);
  EXPECT_EQ(*a->Find("Layer"), "124");
  EXPECT_EQ(*d.Find("Area.121")->Find("Local"), "Scenery\\Airports\\Ashe_County");
  // A second round trip changes nothing more.
  const std::string once = Serialize(d);
  EXPECT_EQ(Serialize(Parse(once)), once);
}
