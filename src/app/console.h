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
// standard error; the faults are counted, for the exit code.
class ConsoleNotices : public Notices {
 public:
  void Note(const std::string& text) override { WriteNoticeLine(text); }
  void Fault(const std::string& text) override {
    ++faults_;
    WriteErrorLine(text);
  }
  int Faults() const { return faults_; }

 private:
  int faults_ = 0;
};

// Hands each text on to `to` once in a run: what the search for add-on
// packages meets is met again by every search, and a batch file that lists
// the library three times hears of a bad add-on.xml once.
class NoticesOnce : public Notices {
 public:
  explicit NoticesOnce(Notices* to) : to_(to) {}
  NoticesOnce(const NoticesOnce&) = delete;
  NoticesOnce& operator=(const NoticesOnce&) = delete;
  void Note(const std::string& text) override {
    if (told_.insert(text).second) to_->Note(text);
  }
  void Fault(const std::string& text) override {
    if (told_.insert(text).second) to_->Fault(text);
  }

 private:
  Notices* to_;
  std::set<std::string> told_;
};

}  // namespace app
