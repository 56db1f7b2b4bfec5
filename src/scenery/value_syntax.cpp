// Integer and Boolean conversions of scenery.cfg values and of arguments.
#include "scenery/value_syntax.h"

#include <cstdint>
#include <string>

#include "platform/platform.h"


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
// in all), an optional exponent, blanks.  `nonZero` tells whether any digit
// of the mantissa is not zero, which is all a Boolean needs.
bool ParseFloatText(const std::string& text, bool& nonZero) {
  size_t i = 0;
  const size_t n = text.size();
  while (i < n && IsBlank(text[i])) ++i;
  if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
  size_t digits = 0;
  nonZero = false;
  while (i < n && IsDecDigit(text[i])) {
    if (text[i] != '0') nonZero = true;
    ++digits;
    ++i;
  }
  if (i < n && text[i] == '.') {
    ++i;
    while (i < n && IsDecDigit(text[i])) {
      if (text[i] != '0') nonZero = true;
      ++digits;
      ++i;
    }
  }
  if (digits == 0) return false;
  if (i < n && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
    size_t expDigits = 0;
    while (i < n && IsDecDigit(text[i])) {
      ++expDigits;
      ++i;
    }
    if (expDigits == 0) return false;
  }
  while (i < n && IsBlank(text[i])) ++i;
  return i == n;
}

}  // namespace

bool ParseInteger(const std::string& text, int32_t& value) {
  size_t i = 0;
  const size_t n = text.size();
  while (i < n && IsBlank(text[i])) ++i;
  bool negative = false;
  if (i < n && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  int base = 10;
  if (i < n && text[i] == '$') {
    base = 16;
    ++i;
  } else if (i < n && (text[i] == 'x' || text[i] == 'X')) {
    base = 16;
    ++i;
  } else if (i + 1 < n && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (i == n) return false;  // no digits at all
  // The magnitude may reach 2^31 for a negative value; anything beyond stops
  // the loop before it can overflow 64 bits.
  const int64_t limit = negative ? int64_t{2147483648} : int64_t{2147483647};
  int64_t magnitude = 0;
  for (; i < n; ++i) {
    const int d = base == 16 ? HexValue(text[i]) : (IsDecDigit(text[i]) ? text[i] - '0' : -1);
    if (d < 0) return false;
    magnitude = magnitude * base + d;
    if (magnitude > limit) return false;
  }
  value = static_cast<int32_t>(negative ? -magnitude : magnitude);
  return true;
}

bool ParseBoolean(const std::string& text, bool& value) {
  bool nonZero = false;
  if (ParseFloatText(text, nonZero)) {
    value = nonZero;
    return true;
  }
  int32_t number = 0;
  if (ParseInteger(text, number)) {  // the hexadecimal forms of StrToInt
    value = number != 0;
    return true;
  }
  if (plat::SameText(text, "True")) {
    value = true;
    return true;
  }
  if (plat::SameText(text, "False")) {
    value = false;
    return true;
  }
  return false;
}
