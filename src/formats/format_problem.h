// How every reader of formats/ tells that its input is not what it reads:
// one value, which holds what is wrong in plain words (with the line, where
// there is one), or nothing when the input was read.  The caller names the
// file ("<file> is malformed (<text>)").
//
// May use: the standard library only.
#pragma once

#include <string>

struct FormatProblem {
  std::string Text;  // empty: nothing is wrong

  // True when something is wrong.
  explicit operator bool() const { return !Text.empty(); }
};
