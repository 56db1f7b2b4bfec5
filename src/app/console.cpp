// Console lines: standard output, and the one-line error reports and notices
// of standard error.
#include "app/console.h"

#include "platform/platform.h"

namespace app {

void WriteLine(const std::string& text) { plat::WriteStdout(text + "\r\n"); }

void WriteText(const std::string& text) { plat::WriteStdout(text); }

namespace {

void WriteStderrLine(std::string line) {
  // Standard output first, so that the two streams read in order on a console.
  plat::FlushStdout();
  // One line, whatever the offending text holds.
  for (char& c : line)
    if (c == '\r' || c == '\n') c = ' ';
  plat::WriteStderr(line + "\r\n");
}

}  // namespace

void WriteErrorLine(const std::string& message) { WriteStderrLine("layrix: error: " + message); }

void WriteNoticeLine(const std::string& message) { WriteStderrLine("layrix: " + message); }

}  // namespace app
