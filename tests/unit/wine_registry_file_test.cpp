// The Wine registry-file parser.
#include "formats/wine_registry_file.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/text_encoding.h"

namespace {

const std::string kHead = "WINE REGISTRY Version 2\n;; All keys relative to \\\\User\\\\S-1-5-21\n\n#arch=win64\n\n";

winereg::Hive Parse(const std::string& body) { return winereg::Hive::Parse(kHead + body); }

// The text of a string value, or a marker for the other outcomes.
std::string Read(const winereg::Hive& hive, const std::string& key, const std::string& name) {
  const winereg::Value* value = hive.FindValue(key, name);
  if (!value) return "<missing>";
  if (!value->IsString) return "<not a string>";
  return encoding::FromUtf16(value->Text);
}

TEST(WineReg, EveryValueForm) {
  winereg::Hive hive = Parse(
      "[Software\\\\Microsoft\\\\Microsoft Games\\\\Flight Simulator\\\\9.0] 1796672504\n"
      "#time=1d9f0c4e7a3b2c0\n"
      "\"AppPath\"=\"C:\\\\Program Files\\\\FS9\\\\\"\n"
      "\"Plain\"=str:\"plain text\"\n"
      "\"Expand\"=str(2):\"%SystemRoot%\\\\x\"\n"
      "@=\"the default\"\n"
      "\"Number\"=dword:0000000a\n"
      "\"Binary\"=hex:01,02,03\n"
      "\"Multi\"=hex(7):41,00,00,00,00,00\n"
      "\"MultiText\"=str(7):\"a\\0b\\0\"\n"
      "\"HexString\"=hex(1):43,00,3a,00,5c,00,00,00\n"
      "\"HexExpand\"=hex(2):25,00,58,00\n");
  const std::string key = "Software\\Microsoft\\Microsoft Games\\Flight Simulator\\9.0";
  EXPECT_EQ(Read(hive, key, "AppPath"), "C:\\Program Files\\FS9\\");
  EXPECT_EQ(Read(hive, key, "Plain"), "plain text");
  EXPECT_EQ(Read(hive, key, "Expand"), "%SystemRoot%\\x");  // not expanded
  EXPECT_EQ(Read(hive, key, ""), "the default");
  EXPECT_EQ(Read(hive, key, "Number"), "<not a string>");
  EXPECT_EQ(Read(hive, key, "Binary"), "<not a string>");
  EXPECT_EQ(Read(hive, key, "Multi"), "<not a string>");
  EXPECT_EQ(Read(hive, key, "MultiText"), "<not a string>");
  EXPECT_EQ(Read(hive, key, "HexString"), std::string("C:\\\0", 4));
  EXPECT_EQ(Read(hive, key, "HexExpand"), "%X");
  EXPECT_EQ(Read(hive, key, "Nothing"), "<missing>");
}

TEST(WineReg, Escapes) {
  winereg::Hive hive = Parse(
      "[K]\n"
      "\"Controls\"=\"\\a\\b\\t\\n\\v\\f\\r\\e\"\n"
      "\"Quotes\"=\"say \\\"hi\\\" \\\\ back\"\n"
      "\"Octal\"=\"\\101\\61x\\0end\"\n"
      "\"Hex\"=\"caf\\x00e9 \\x20ac \\x41Z \\xg\"\n"
      "\"Other\"=\"\\q\"\n"
      "\"Utf8\"=\"Z\xC3\xBCrich \xE2\x82\xAC \xE6\x97\xA5\"\n");
  EXPECT_EQ(Read(hive, "K", "Controls"), "\a\b\t\n\v\f\r\x1b");
  EXPECT_EQ(Read(hive, "K", "Quotes"), "say \"hi\" \\ back");
  EXPECT_EQ(Read(hive, "K", "Octal"), std::string("A1x\0end", 7));
  // \xHHHH takes at most four digits; "\x" without digits is an x.
  EXPECT_EQ(Read(hive, "K", "Hex"), "caf\xC3\xA9 \xE2\x82\xAC AZ xg");
  EXPECT_EQ(Read(hive, "K", "Other"), "q");
  // UTF-8 text keeps every character.
  EXPECT_EQ(Read(hive, "K", "Utf8"), "Z\xC3\xBCrich \xE2\x82\xAC \xE6\x97\xA5");
}

TEST(WineReg, NamesMatchIgnoringCase) {
  winereg::Hive hive = Parse(
      "[Software\\\\Caf\\x00e9\\\\Sub] 123\n"
      "\"AppPath\"=\"x\"\n");
  EXPECT_TRUE(hive.HasKey("SOFTWARE\\CAF\xC3\x89\\sub"));  // UTF-8 É
  EXPECT_TRUE(hive.HasKey("SOFTWARE\\CAF\xC9\\sub"));      // a 1252 byte means its character
  EXPECT_TRUE(hive.HasKey("software\\caf\xE9"));  // a key above one with a line
  EXPECT_TRUE(hive.HasKey("Software"));
  EXPECT_TRUE(hive.HasKey("Software\\\\Caf\xE9\\Sub\\"));  // empty components pass over
  EXPECT_FALSE(hive.HasKey("Software\\Cafe"));
  EXPECT_FALSE(hive.HasKey("Software\\Caf\xE9\\Sub\\More"));
  EXPECT_EQ(Read(hive, "software\\caf\xE9\\SUB", "apppath"), "x");
}

TEST(WineReg, ContinuationLines) {
  winereg::Hive hive = Parse(
      "[K]\n"
      "\"Long\"=hex(2):43,00,3a,00,\\\n"
      "  5c,00,41,00,\\\n"
      "\t00,00\n"
      "\"Split\"=\"ab\\\n"
      "   cd\"\n"
      "\"After\"=\"ok\"\n");
  EXPECT_EQ(Read(hive, "K", "Long"), std::string("C:\\A\0", 5));
  EXPECT_EQ(Read(hive, "K", "Split"), "abcd");
  EXPECT_EQ(Read(hive, "K", "After"), "ok");
}

TEST(WineReg, CrLfLinesAndLaterValuesWin) {
  winereg::Hive hive = Parse("[K]\r\n\"A\"=\"1\"\r\n\"a\"=\"2\"\r\n[k]\r\n\"B\"=\"3\"\r\n");
  EXPECT_EQ(Read(hive, "K", "A"), "2");
  EXPECT_EQ(Read(hive, "K", "B"), "3");  // a repeated key adds to the same key
}

TEST(WineReg, BrokenLinesArePassedOver) {
  winereg::Hive hive = Parse(
      "\"Orphan\"=\"before any key\"\n"
      "[K]\n"
      "\"NoEnd\"=\"unterminated\n"
      "\"NoEquals\" \"x\"\n"
      "\"Weird\"=blob:12\n"
      "\"BadHex\"=hex:1z,02\n"
      "\"BadDword\"=dword:\n"
      "\"BadType\"=hex(:00\n"
      "garbage line\n"
      "\"Good\"=\"yes\"\n"
      "[Unclosed\\\\Key\n"
      "\"Lost\"=\"value of a broken key line\"\n"
      "[Next]\n"
      "\"Fine\"=\"1\"\n");
  for (const char* name : {"NoEnd", "NoEquals", "Weird", "BadHex", "BadDword", "BadType"})
    EXPECT_EQ(Read(hive, "K", name), "<missing>") << name;
  EXPECT_EQ(Read(hive, "K", "Good"), "yes");
  EXPECT_FALSE(hive.HasKey("Unclosed\\Key"));
  EXPECT_EQ(Read(hive, "K", "Lost"), "<missing>");
  EXPECT_EQ(Read(hive, "Next", "Fine"), "1");
}

TEST(WineReg, HeaderRequired) {
  const std::string body = "[K]\n\"A\"=\"1\"\n";
  EXPECT_EQ(winereg::Hive::Parse(body).KeyCount(), 0u);
  EXPECT_EQ(winereg::Hive::Parse("WINE REGISTRY Version 1\n" + body).KeyCount(), 0u);
  EXPECT_EQ(winereg::Hive::Parse("").KeyCount(), 0u);
  EXPECT_TRUE(winereg::Hive::Parse("WINE REGISTRY Version 2\r\n" + body).HasKey("k"));
}

TEST(WineReg, HostileBytesNeverCrash) {
  std::string garbage = kHead;
  for (int i = 0; i < 5000; ++i) garbage += static_cast<char>((i * 7919) % 256);
  garbage += "\nx\n[A\\\\B]\n\"V\"=\"\\x\\\\\\";  // ends inside an escape and a continuation
  winereg::Hive hive = winereg::Hive::Parse(garbage);
  EXPECT_TRUE(hive.HasKey("A\\B"));
  EXPECT_EQ(Read(hive, "A\\B", "V"), "<missing>");
  static const char kNul[] = "[K]\n\"A\"=\"x\0y\"\n";
  std::string nul = kHead + std::string(kNul, sizeof kNul - 1);
  EXPECT_EQ(Read(winereg::Hive::Parse(nul), "K", "A"), std::string("x\0y", 3));
}

}  // namespace
