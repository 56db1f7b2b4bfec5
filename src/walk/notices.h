// Where the tree operations tell what the printed output does not: notes
// (a refused operation and why, read-only files a removal kept) and faults
// (a file operation that failed for a reason other than the program's own
// rules: a full disk, an input/output error, a denied permission, a name
// that cannot exist).  The program prints each as one line on standard
// error; a fault also makes the run end with exit code 1.
//
// May use: the standard library only.
#pragma once

#include <string>

class Notices {
 public:
  virtual ~Notices() = default;
  virtual void Note(const std::string& text) = 0;
  virtual void Fault(const std::string& text) = 0;
};
