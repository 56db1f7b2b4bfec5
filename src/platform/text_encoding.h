// Text encodings, as pure functions: UTF-8, code page 1252 and UTF-16, and
// how a batch or settings file tells which of them it is in.
//
// Inside the program every text is UTF-8 in a std::string.  A byte that is
// not part of a valid UTF-8 sequence (an older installer wrote code page 1252
// into a UTF-8 library) is kept as it is, and wherever text is interpreted
// (shown, compared, case-folded, turned into a file name) it means its code
// page 1252 character.  The conversions below are those of the edges: files,
// the command line, the console and the system calls.
//
// May use: the standard library only.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace encoding {

// True when every byte is below 0x80: the same text in every encoding here.
bool IsAscii(std::string_view text);
// True when every byte is part of a valid UTF-8 sequence (no overlong forms,
// no surrogates, nothing above U+10FFFF).
bool IsValidUtf8(std::string_view text);

// The length (1-4) of the valid UTF-8 sequence at text[i], its character in
// `c`; 0 when the bytes there are not one.
size_t DecodeUtf8(std::string_view text, size_t i, char32_t& c);

// The character at text[i], moving i past it: a valid UTF-8 sequence gives
// its character, any other byte its code page 1252 character.
char32_t NextCharSlow(std::string_view text, size_t& i);
inline char32_t NextChar(std::string_view text, size_t& i) {
  const unsigned char b = static_cast<unsigned char>(text[i]);
  if (b < 0x80) {
    ++i;
    return b;
  }
  return NextCharSlow(text, i);
}
// The number of characters, counted as NextChar takes them.
size_t CharCount(std::string_view text);

// The character of a code page 1252 byte.  The five bytes that 1252 leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) give the C1 controls of the same
// numbers, as Windows maps them, so that every byte comes back.
char32_t CharOf1252(unsigned char byte);
// The code page 1252 byte of a character, or -1 when it has none.
int ByteOf1252(char32_t c);

void AppendUtf8(std::string& out, char32_t c);

// Code page 1252 bytes as text (valid UTF-8); Append... adds it to `out`.
std::string FromCodePage1252(std::string_view bytes);
void AppendFromCodePage1252(std::string& out, std::string_view bytes);
// Text as code page 1252 bytes.  A character without a 1252 form is written
// as '?' and, when `lost` is given, added to it (each character once, in
// the order met); a byte that is not UTF-8 is its own 1252 byte.
std::string ToCodePage1252(std::string_view text, std::u32string* lost = nullptr);
// The same in place: the 1252 form is never longer than the text.
void MakeCodePage1252(std::string& text);
// Text as valid UTF-8: each byte that is not part of a valid sequence becomes
// its code page 1252 character.  Valid text comes back unchanged.
std::string ToValidUtf8(std::string_view text);

// Text as UTF-16 (bytes that are not UTF-8 as their 1252 characters).
std::u16string ToUtf16(std::string_view text);
// UTF-16 as text; half a surrogate pair, which names no character, becomes
// U+FFFD.
std::string FromUtf16(std::u16string_view units);
// UTF-16 bytes (little-endian, or big-endian with `bigEndian`) as text, a
// half of a surrogate pair as U+FFFD and a last odd byte left out.  What
// the bytes held that is no UTF-16 is told in `fault` when it is given.
enum class Utf16Fault { None, OddLength, HalfSurrogate };
std::string DecodeUtf16(std::string_view bytes, bool bigEndian, Utf16Fault* fault = nullptr);

// Batch files and the settings file: a file that begins with the UTF-8
// byte-order mark is UTF-8 (the mark is no text); one without the mark is
// UTF-8 when its bytes are valid UTF-8 and hold at least one character
// outside ASCII; any other is code page 1252.
bool HasUtf8Mark(std::string_view bytes);
bool ReadsAsUtf8(std::string_view bytes);  // by that rule
// The text of such a file, by that rule, as valid UTF-8.
std::string DecodeTextFile(std::string_view bytes);

}  // namespace encoding
