// The one exception of the program: the error that stops a run.  A value of
// scenery.cfg or an argument that does not convert, a file that cannot be
// read or written, a registry value of the wrong type.  The main sequence
// reports its message on standard error as one line and ends the run with
// exit code 1; nothing is saved after it.
//
// The other ways a failure travels: the host layer returns a plat::FileResult
// from every call that can fail, and what the program's rules decide (a
// refusal, a file kept) or a fault the run goes on after is told as a note
// or a fault (walk/notices.h).
//
// May use: the standard library only.
#pragma once

#include <stdexcept>

// The message names the cause and the offending text or file in plain words.
class FatalError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};
