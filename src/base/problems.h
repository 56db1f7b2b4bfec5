// How the program tells of trouble, shared by every layer above the host.
//
//   FatalError  the one exception of the program: the error that stops a run.
//               A value of scenery.cfg or an argument that does not convert, a
//               file that cannot be read or written, a registry value of the
//               wrong type.  The main sequence reports its message on standard
//               error as one line and ends the run with exit code 1; nothing is
//               saved after it.
//   Notices     what the printed output does not tell: notes (a refused
//               operation and why, read-only files a removal kept) and faults
//               (a file operation that failed for a reason other than the
//               program's own rules: a full disk, an input/output error, a
//               denied permission, a name that cannot exist).  The program
//               prints each as one line on standard error; a fault also makes
//               the run end with exit code 1.
//
// The host layer below returns a plat::FileResult from every call that can
// fail (platform.h); the file-format readers return their problems as values.
//
// May use: the standard library only.
#pragma once

#include <stdexcept>
#include <string>

// The message names the cause and the offending text or file in plain words.
class FatalError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class Notices {
 public:
  virtual ~Notices() = default;
  virtual void Note(const std::string& text) = 0;
  virtual void Fault(const std::string& text) = 0;
};
