// Integer and Boolean conversions of scenery.cfg values and of arguments.
#include <cstdint>
#include <string>

#include "platform/platform.h"
#include "scenery/LbFS.h"

namespace {

bool IsDecDigit(char c) { return c >= '0' && c <= '9'; }

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// A floating-point number as a Western-locale StrToFloat takes it: blanks,
// an optional sign, digits with an optional decimal point (at least one digit
// in all), an optional exponent, blanks.  `NonZero` tells whether any digit
// of the mantissa is not zero, which is all a Boolean needs.
bool ParseFloatText(const std::string& Text, bool& NonZero) {
  size_t i = 0;
  const size_t n = Text.size();
  while (i < n && IsBlank(Text[i])) ++i;
  if (i < n && (Text[i] == '+' || Text[i] == '-')) ++i;
  size_t digits = 0;
  NonZero = false;
  while (i < n && IsDecDigit(Text[i])) {
    if (Text[i] != '0') NonZero = true;
    ++digits;
    ++i;
  }
  if (i < n && Text[i] == '.') {
    ++i;
    while (i < n && IsDecDigit(Text[i])) {
      if (Text[i] != '0') NonZero = true;
      ++digits;
      ++i;
    }
  }
  if (digits == 0) return false;
  if (i < n && (Text[i] == 'e' || Text[i] == 'E')) {
    ++i;
    if (i < n && (Text[i] == '+' || Text[i] == '-')) ++i;
    size_t expDigits = 0;
    while (i < n && IsDecDigit(Text[i])) {
      ++expDigits;
      ++i;
    }
    if (expDigits == 0) return false;
  }
  while (i < n && IsBlank(Text[i])) ++i;
  return i == n;
}

}  // namespace

bool TryStrToInt(const std::string& Text, int32_t& Value) {
  size_t i = 0;
  const size_t n = Text.size();
  while (i < n && IsBlank(Text[i])) ++i;
  bool negative = false;
  if (i < n && (Text[i] == '+' || Text[i] == '-')) {
    negative = Text[i] == '-';
    ++i;
  }
  int base = 10;
  if (i < n && Text[i] == '$') {
    base = 16;
    ++i;
  } else if (i < n && (Text[i] == 'x' || Text[i] == 'X')) {
    base = 16;
    ++i;
  } else if (i + 1 < n && Text[i] == '0' && (Text[i + 1] == 'x' || Text[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (i == n) return false;  // no digits at all
  // The magnitude may reach 2^31 for a negative value; anything beyond stops
  // the loop before it can overflow 64 bits.
  const int64_t limit = negative ? int64_t{2147483648} : int64_t{2147483647};
  int64_t magnitude = 0;
  for (; i < n; ++i) {
    const int d = base == 16 ? HexValue(Text[i]) : (IsDecDigit(Text[i]) ? Text[i] - '0' : -1);
    if (d < 0) return false;
    magnitude = magnitude * base + d;
    if (magnitude > limit) return false;
  }
  Value = static_cast<int32_t>(negative ? -magnitude : magnitude);
  return true;
}

bool TryStrToBool(const std::string& Text, bool& Value) {
  bool nonZero = false;
  if (ParseFloatText(Text, nonZero)) {
    Value = nonZero;
    return true;
  }
  int32_t number = 0;
  if (TryStrToInt(Text, number)) {  // the hexadecimal forms of StrToInt
    Value = number != 0;
    return true;
  }
  if (plat::SameText(Text, "True")) {
    Value = true;
    return true;
  }
  if (plat::SameText(Text, "False")) {
    Value = false;
    return true;
  }
  return false;
}
