// The syntax of numbers and truth values shared by scenery.cfg, the command
// line, batch lines and layrix.ini.  Pure functions of their text.
//
// May use: platform/.
#pragma once

#include <cstdint>
#include <string>

// Integers: optional leading blanks, an optional sign, then decimal digits,
// or hexadecimal digits after "$", "0x", "0X", "x" or "X"; nothing may
// follow; the value must fit a signed 32-bit integer.  Returns false when the
// text is not an integer (`value` is then left as it was).
bool ParseInteger(const std::string& text, int32_t& value);

// Truth values of scenery.cfg: a number (non-zero is true), else "True" or
// "False" ignoring case.  Returns false when the text is neither.
bool ParseBoolean(const std::string& text, bool& value);
