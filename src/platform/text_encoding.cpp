// Text encodings: UTF-8, code page 1252, UTF-16.  See text_encoding.h.
#include "platform/text_encoding.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace encoding {

namespace {

// Unicode points of the bytes 0x80-0x9F in code page 1252.  The five bytes
// that 1252 leaves undefined map to the C1 control of the same number, as
// Windows' MultiByteToWideChar does.
constexpr char16_t kHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98-9F
};

constexpr uint64_t kHighBits = 0x8080808080808080u;

// The length of the run of ASCII bytes at the start of `text`, eight bytes
// at a time: most texts are ASCII, and the conversions pass them over.
size_t AsciiPrefix(std::string_view text) {
  const char* p = text.data();
  const size_t n = text.size();
  size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    uint64_t w;
    std::memcpy(&w, p + i, 8);
    if (w & kHighBits) break;
  }
  while (i < n && static_cast<unsigned char>(p[i]) < 0x80) ++i;
  return i;
}

void AppendUtf16(std::u16string& out, char32_t c) {
  if (c < 0x10000) {
    out += static_cast<char16_t>(c);
  } else {
    c -= 0x10000;
    out += static_cast<char16_t>(0xD800 + (c >> 10));
    out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
  }
}

}  // namespace

bool IsAscii(std::string_view text) { return AsciiPrefix(text) == text.size(); }

size_t DecodeUtf8(std::string_view s, size_t i, char32_t& c) {
  const unsigned char b0 = static_cast<unsigned char>(s[i]);
  if (b0 < 0x80) {
    c = b0;
    return 1;
  }
  size_t len;
  char32_t min;
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    len = 2;
    c = b0 & 0x1F;
    min = 0x80;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    len = 3;
    c = b0 & 0x0F;
    min = 0x800;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    len = 4;
    c = b0 & 0x07;
    min = 0x10000;
  } else {
    return 0;
  }
  if (i + len > s.size()) return 0;
  for (size_t k = 1; k < len; ++k) {
    const unsigned char b = static_cast<unsigned char>(s[i + k]);
    if ((b & 0xC0) != 0x80) return 0;
    c = (c << 6) | (b & 0x3F);
  }
  if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0;
  return len;
}

bool IsValidUtf8(std::string_view text) {
  size_t i = 0;
  while (i < text.size()) {
    i += AsciiPrefix(text.substr(i));
    if (i == text.size()) break;
    char32_t c;
    const size_t len = DecodeUtf8(text, i, c);
    if (len == 0) return false;
    i += len;
  }
  return true;
}

char32_t NextCharSlow(std::string_view text, size_t& i) {
  char32_t c;
  const size_t len = DecodeUtf8(text, i, c);
  if (len == 0) return CharOf1252(static_cast<unsigned char>(text[i++]));
  i += len;
  return c;
}

size_t CharCount(std::string_view text) {
  if (IsAscii(text)) return text.size();
  size_t count = 0;
  for (size_t i = 0; i < text.size(); ++count) NextChar(text, i);
  return count;
}

char32_t CharOf1252(unsigned char byte) {
  return (byte >= 0x80 && byte < 0xA0) ? kHigh[byte - 0x80] : byte;
}

int ByteOf1252(char32_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<int>(c);
  if (c < 0xA0) {
    // Only the five undefined bytes come back from their C1 controls.
    if (c == 0x81 || c == 0x8D || c == 0x8F || c == 0x90 || c == 0x9D) return static_cast<int>(c);
    return -1;
  }
  for (int i = 0; i < 32; ++i)
    if (kHigh[i] == c) return 0x80 + i;
  return -1;
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

void AppendFromCodePage1252(std::string& out, std::string_view bytes) {
  // Room for the longest form (three bytes for one), given back at the end.
  size_t at = out.size();
  out.resize(at + 3 * bytes.size());
  char* const p = out.data();
  size_t i = 0;
  while (i < bytes.size()) {
    const size_t run = AsciiPrefix(bytes.substr(i));
    std::memcpy(p + at, bytes.data() + i, run);
    at += run;
    i += run;
    if (i == bytes.size()) break;
    const char32_t c = CharOf1252(static_cast<unsigned char>(bytes[i++]));
    if (c < 0x800) {
      p[at++] = static_cast<char>(0xC0 | (c >> 6));
    } else {
      p[at++] = static_cast<char>(0xE0 | (c >> 12));
      p[at++] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    }
    p[at++] = static_cast<char>(0x80 | (c & 0x3F));
  }
  out.resize(at);
}

std::string FromCodePage1252(std::string_view bytes) {
  std::string out;
  if (IsAscii(bytes)) {
    out.assign(bytes);
  } else {
    AppendFromCodePage1252(out, bytes);
  }
  return out;
}

std::string ToCodePage1252(std::string_view text, std::u32string* lost) {
  size_t i = AsciiPrefix(text);
  if (i == text.size()) return std::string(text);
  std::string out;
  out.reserve(text.size());
  out.append(text.substr(0, i));
  while (i < text.size()) {
    const size_t run = AsciiPrefix(text.substr(i));
    out.append(text.substr(i, run));
    i += run;
    if (i == text.size()) break;
    const char32_t c = NextChar(text, i);
    const int b = ByteOf1252(c);
    if (b >= 0) {
      out += static_cast<char>(b);
      continue;
    }
    out += '?';
    if (lost && lost->find(c) == std::u32string::npos) *lost += c;
  }
  return out;
}

void MakeCodePage1252(std::string& text) {
  size_t i = AsciiPrefix(text);
  if (i == text.size()) return;
  char* const p = text.data();
  size_t at = i;  // where the next byte goes; never past i
  while (i < text.size()) {
    const char32_t c = NextChar(text, i);
    const int b = ByteOf1252(c);
    p[at++] = b >= 0 ? static_cast<char>(b) : '?';
    const size_t run = AsciiPrefix(std::string_view(text).substr(i));
    std::memmove(p + at, p + i, run);
    at += run;
    i += run;
  }
  text.resize(at);
}

std::string ToValidUtf8(std::string_view text) {
  size_t i = 0;
  // Up to the first byte that is not UTF-8, the text stays as it is.
  for (;;) {
    i += AsciiPrefix(text.substr(i));
    if (i == text.size()) return std::string(text);
    char32_t c;
    const size_t len = DecodeUtf8(text, i, c);
    if (len == 0) break;
    i += len;
  }
  std::string out;
  out.reserve(text.size() + 16);
  out.append(text.substr(0, i));
  while (i < text.size()) {
    const size_t run = AsciiPrefix(text.substr(i));
    out.append(text.substr(i, run));
    i += run;
    if (i < text.size()) AppendUtf8(out, NextChar(text, i));
  }
  return out;
}

std::u16string ToUtf16(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) AppendUtf16(out, NextChar(text, i));
  return out;
}

std::string FromUtf16(std::u16string_view units) {
  std::string out;
  out.reserve(units.size());
  for (size_t i = 0; i < units.size(); ++i) {
    char32_t c = units[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
        units[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (units[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    AppendUtf8(out, c);
  }
  return out;
}

std::string DecodeUtf16(std::string_view bytes, bool bigEndian, Utf16Fault* fault) {
  std::u16string units(bytes.size() / 2, u'\0');
  for (size_t i = 0; i < units.size(); ++i) {
    const auto b0 = static_cast<unsigned char>(bytes[2 * i]);
    const auto b1 = static_cast<unsigned char>(bytes[2 * i + 1]);
    units[i] = static_cast<char16_t>(bigEndian ? (b0 << 8 | b1) : (b1 << 8 | b0));
  }
  if (fault) {
    *fault = bytes.size() % 2 != 0 ? Utf16Fault::OddLength : Utf16Fault::None;
    for (size_t i = 0; i < units.size() && *fault == Utf16Fault::None; ++i) {
      const char16_t c = units[i];
      if (c >= 0xD800 && c <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
          units[i + 1] <= 0xDFFF)
        ++i;
      else if (c >= 0xD800 && c <= 0xDFFF)
        *fault = Utf16Fault::HalfSurrogate;
    }
  }
  return FromUtf16(units);
}

bool HasUtf8Mark(std::string_view bytes) { return bytes.substr(0, 3) == "\xEF\xBB\xBF"; }

bool ReadsAsUtf8(std::string_view bytes) {
  return HasUtf8Mark(bytes) || (!IsAscii(bytes) && IsValidUtf8(bytes));
}

std::string DecodeTextFile(std::string_view bytes) {
  if (HasUtf8Mark(bytes)) return ToValidUtf8(bytes.substr(3));
  if (ReadsAsUtf8(bytes)) return std::string(bytes);
  return FromCodePage1252(bytes);
}

}  // namespace encoding
