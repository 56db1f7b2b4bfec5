// Integer and Boolean conversions of values and arguments.
#include <gtest/gtest.h>

#include <string>

#include "scenery/value_syntax.h"

namespace {

int32_t Int(const std::string& text) {
  int32_t v = 12345;
  EXPECT_TRUE(ParseInteger(text, v)) << "'" << text << "'";
  return v;
}

bool IsInt(const std::string& text) {
  int32_t v = 0;
  return ParseInteger(text, v);
}

bool Bool(const std::string& text) {
  bool v = false;
  EXPECT_TRUE(ParseBoolean(text, v)) << "'" << text << "'";
  return v;
}

bool IsBool(const std::string& text) {
  bool v = false;
  return ParseBoolean(text, v);
}

TEST(ParseInteger, DecimalWithBlanksAndSign) {
  EXPECT_EQ(Int("0"), 0);
  EXPECT_EQ(Int("007"), 7);
  EXPECT_EQ(Int("  42"), 42);
  EXPECT_EQ(Int("+5"), 5);
  EXPECT_EQ(Int("-5"), -5);
  EXPECT_EQ(Int("\t 3"), 3);
}

TEST(ParseInteger, HexadecimalPrefixes) {
  EXPECT_EQ(Int("$0A"), 10);
  EXPECT_EQ(Int("$10"), 16);
  EXPECT_EQ(Int("0x3fff"), 16383);
  EXPECT_EQ(Int("0X1F"), 31);
  EXPECT_EQ(Int("x10"), 16);
  EXPECT_EQ(Int("X10"), 16);
  EXPECT_EQ(Int("-$10"), -16);
  EXPECT_EQ(Int(" +0x7FFFFFFF"), 2147483647);
  EXPECT_EQ(Int("-0x80000000"), INT32_MIN);
}

TEST(ParseInteger, Range) {
  EXPECT_EQ(Int("2147483647"), 2147483647);
  EXPECT_EQ(Int("-2147483648"), INT32_MIN);
  EXPECT_FALSE(IsInt("2147483648"));
  EXPECT_FALSE(IsInt("-2147483649"));
  EXPECT_FALSE(IsInt("$80000000"));
  EXPECT_FALSE(IsInt("$FFFFFFFF"));
  EXPECT_FALSE(IsInt("99999999999999999999999"));
}

TEST(ParseInteger, RejectsEverythingElse) {
  for (const char* text : {"", " ", "+", "-", "$", "0x", "x", "abc", "12a", "5 ", "1.0",
                           "- 5", "+-5", "$G", "0x1g", "1e3", "0b1", "--1"}) {
    int32_t v = 77;
    EXPECT_FALSE(ParseInteger(text, v)) << "'" << text << "'";
    EXPECT_EQ(v, 77) << "value changed for '" << text << "'";
  }
}

TEST(ParseBoolean, Numbers) {
  EXPECT_TRUE(Bool("1"));
  EXPECT_TRUE(Bool("2"));
  EXPECT_TRUE(Bool("-1"));
  EXPECT_FALSE(Bool("0"));
  EXPECT_FALSE(Bool("-0"));
  EXPECT_FALSE(Bool("0.0"));
  EXPECT_TRUE(Bool("0.5"));
  EXPECT_TRUE(Bool(".5"));
  EXPECT_TRUE(Bool("1e3"));
  EXPECT_FALSE(Bool("0E5"));
  EXPECT_TRUE(Bool(" 1 "));
  EXPECT_TRUE(Bool("$1"));
  EXPECT_FALSE(Bool("0x0"));
}

TEST(ParseBoolean, WordsIgnoringCase) {
  EXPECT_TRUE(Bool("TRUE"));
  EXPECT_TRUE(Bool("true"));
  EXPECT_TRUE(Bool("True"));
  EXPECT_FALSE(Bool("FALSE"));
  EXPECT_FALSE(Bool("false"));
  EXPECT_FALSE(Bool("fAlSe"));
}

TEST(ParseBoolean, RejectsEverythingElse) {
  for (const char* text : {"", "yes", "no", "on", "T", "F", "truee", "1,5", ".", "1e", "e1",
                           "1 2", "true1", "0xZ"}) {
    EXPECT_FALSE(IsBool(text)) << "'" << text << "'";
  }
}

}  // namespace
