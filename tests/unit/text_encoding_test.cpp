// Conversions between UTF-8, code page 1252 and UTF-16, and how a batch or
// settings file tells its encoding.
#include <gtest/gtest.h>

#include <string>

#include "platform/text_encoding.h"

using namespace encoding;

namespace {

std::string AllBytes() {
  std::string all;
  for (int c = 0; c < 256; ++c) all += static_cast<char>(c);
  return all;
}

}  // namespace

TEST(Encoding, CodePage1252RoundTripsEveryByte) {
  const std::string all = AllBytes();
  const std::string text = FromCodePage1252(all);
  EXPECT_TRUE(IsValidUtf8(text));
  EXPECT_EQ(ToCodePage1252(text), all);  // the five undefined bytes included
  EXPECT_EQ(FromUtf16(ToUtf16(text)), text);
  EXPECT_EQ(CharCount(text), 256u);
  // Bytes that are not UTF-8 mean their 1252 characters everywhere.
  EXPECT_EQ(ToValidUtf8(all), text);
  EXPECT_EQ(ToUtf16(all), ToUtf16(text));
  EXPECT_EQ(ToCodePage1252(all), all);
}

TEST(Encoding, CodePage1252Forms) {
  EXPECT_EQ(FromCodePage1252("\x80\x9F\x88\x99\xE4\xA0"),
            "\xE2\x82\xAC\xC5\xB8\xCB\x86\xE2\x84\xA2\xC3\xA4\xC2\xA0");  // € Ÿ ˆ ™ ä nbsp
  EXPECT_EQ(FromCodePage1252("\x81\x8D\x8F\x90\x9D"), "\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D");
  EXPECT_EQ(FromCodePage1252(std::string("a\0b", 3)), std::string("a\0b", 3));
  EXPECT_EQ(ToCodePage1252("\xC2\x80"), "?");  // U+0080 is not 1252's 0x80
}

TEST(Encoding, CharactersWithout1252FormAreLostAsQuestionMarks) {
  std::u32string lost;
  EXPECT_EQ(ToCodePage1252("Z\xC3\xBCrich \xCE\xA9mega \xCE\xA9 \xE6\x9D\xB1\xF0\x9F\x98\x80", &lost),
            "Z\xFCrich ?mega ? ??");
  EXPECT_EQ(lost, (std::u32string{0x3A9, 0x6771, 0x1F600}));  // each once, in order
  lost.clear();
  EXPECT_EQ(ToCodePage1252("\xE2\x82\xAC plain", &lost), "\x80 plain");
  EXPECT_TRUE(lost.empty());
}

TEST(Encoding, InvalidSequencesAreTheir1252Characters) {
  struct Case {
    std::string Bytes;
    std::string Valid;
  };
  const Case cases[] = {
      {"Z\xFCrich", "Z\xC3\xBCrich"},
      {"\xC3", "\xC3\x83"},                      // a lead byte at the end
      {"\xC3x", "\xC3\x83x"},                    // without its continuation
      {"\x80\xBF", "\xE2\x82\xAC\xC2\xBF"},     // lone continuation bytes
      {"\xC0\xAF", "\xC3\x80\xC2\xAF"},         // overlong '/'
      {"\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xE2\x82\xAC"},  // a surrogate
      {"\xF4\x90\x80\x80", "\xC3\xB4\xC2\x90\xE2\x82\xAC\xE2\x82\xAC"},  // above U+10FFFF
      {"\xFC\xC3\xA4", "\xC3\xBC\xC3\xA4"},     // one invalid byte before a valid sequence
  };
  for (const Case& c : cases) {
    EXPECT_FALSE(IsValidUtf8(c.Bytes)) << c.Bytes;
    EXPECT_EQ(ToValidUtf8(c.Bytes), c.Valid) << c.Bytes;
    EXPECT_EQ(CharCount(c.Bytes), CharCount(c.Valid)) << c.Bytes;
  }
  const std::string valid = "a\xCE\xA9\xE6\x9D\xB1\xF0\x9F\x98\x80";
  EXPECT_TRUE(IsValidUtf8(valid));
  EXPECT_EQ(ToValidUtf8(valid), valid);
  EXPECT_EQ(CharCount(valid), 4u);
}

TEST(Encoding, Utf16) {
  EXPECT_EQ(ToUtf16("\x80" "a\xC3\xA4"), (std::u16string{0x20AC, 'a', 0xE4}));
  EXPECT_EQ(ToUtf16("\xF0\x9F\x98\x80"), (std::u16string{0xD83D, 0xDE00}));
  EXPECT_EQ(FromUtf16(u"a\U0001F600\u03A9"), "a\xF0\x9F\x98\x80\xCE\xA9");
  EXPECT_EQ(FromUtf16(std::u16string{'x', 0xD800, 'y', 0xDC00}), "x\xEF\xBF\xBDy\xEF\xBF\xBD");
}

// UTF-16 bytes in either order: what is no UTF-16 is kept as far as it can
// be (a half pair as U+FFFD, an odd last byte left out) and told.
TEST(Encoding, Utf16BytesDecodedAndTheirFaultsTold) {
  const struct {
    std::string Bytes;
    bool BigEndian;
    std::string Text;
    Utf16Fault Fault;
  } cases[] = {
      {std::string("a\0\xE4\0", 4), false, "a\xC3\xA4", Utf16Fault::None},
      {std::string("\0a\0\xE4", 4), true, "a\xC3\xA4", Utf16Fault::None},
      {std::string("\x3D\xD8\x00\xDE", 4), false, "\xF0\x9F\x98\x80", Utf16Fault::None},
      {std::string("\x00\xDCx\0", 4), false, "\xEF\xBF\xBDx", Utf16Fault::HalfSurrogate},
      {std::string("a\0b", 3), false, "a", Utf16Fault::OddLength},
      {"", false, "", Utf16Fault::None},
  };
  for (const auto& c : cases) {
    Utf16Fault fault = Utf16Fault::None;
    EXPECT_EQ(DecodeUtf16(c.Bytes, c.BigEndian, &fault), c.Text);
    EXPECT_EQ(fault, c.Fault) << c.Text;
    EXPECT_EQ(DecodeUtf16(c.Bytes, c.BigEndian), c.Text);
  }
}

TEST(Encoding, BatchAndSettingsFilesTellTheirEncoding) {
  struct Case {
    std::string Bytes;
    bool Utf8;
    std::string Text;
  };
  const Case cases[] = {
      {"\xEF\xBB\xBF-s\r\n", true, "-s\r\n"},                                 // the mark is no text
      {"\xEF\xBB\xBF-i \"Z\xC3\xBCrich\"", true, "-i \"Z\xC3\xBCrich\""},
      {"\xEF\xBB\xBFZ\xFCrich", true, "Z\xC3\xBCrich"},                       // a 1252 byte after the mark
      {"-i \"Z\xC3\xBCrich S\xC3\xBC" "d\"", true, "-i \"Z\xC3\xBCrich S\xC3\xBC" "d\""},  // valid UTF-8
      {"-i \"Z\xFCrich S\xFC" "d\"", false, "-i \"Z\xC3\xBCrich S\xC3\xBC" "d\""},          // 1252
      {"-s\r\n-x 0", false, "-s\r\n-x 0"},                                  // ASCII
      {"Z\xC3\xBC and Z\xFC", false, "Z\xC3\x83\xC2\xBC and Z\xC3\xBC"},      // mixed: 1252 throughout
      {"", false, ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ReadsAsUtf8(c.Bytes), c.Utf8) << c.Bytes;
    EXPECT_EQ(DecodeTextFile(c.Bytes), c.Text) << c.Bytes;
  }
}
