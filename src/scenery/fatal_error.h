// The error that stops a run: a value of scenery.cfg or an argument that does
// not convert, a file that cannot be read or written, a registry value of the
// wrong type.  The main sequence reports its message on standard error as one
// line and ends the run with exit code 1; nothing is saved after it.
//
// May use: the standard library only.
#pragma once

#include <stdexcept>

// The message names the cause and the offending text or file in plain words.
class FatalError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};
