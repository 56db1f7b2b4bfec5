// Console lines: every line the program prints ends with CR LF.
//
// May use: every folder of src/ (never the host's headers).
#pragma once

#include <set>
#include <string>

#include "base/problems.h"

namespace app {

// Writes `text` and CR LF to standard output.
void WriteLine(const std::string& text);
// Writes `text` to standard output without a line end.
void WriteText(const std::string& text);
// Reports an unexpected error on standard error as one line.
void WriteErrorLine(const std::string& message);
// Writes a notice that is no error (a refusal explained, a wait) on
// standard error as one line.
void WriteNoticeLine(const std::string& message);

// The notes and faults of the run's tree operations: each one line on
// standard error; the faults are counted, for the exit code.  A note is told
// once in a run: a batch file that lists the library three times hears of a
// bad add-on.xml once.
class ConsoleNotices : public Notices {
 public:
  void Note(const std::string& text) override {
    if (told_.insert(text).second) WriteNoticeLine(text);
  }
  void Fault(const std::string& text) override {
    ++faults_;
    WriteErrorLine(text);
  }
  int Faults() const { return faults_; }

 private:
  int faults_ = 0;
  std::set<std::string> told_;
};

}  // namespace app
