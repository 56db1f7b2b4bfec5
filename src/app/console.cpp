// Console lines: standard output and the one-line error reports of standard error.
#include "app/console.h"

#include "platform/platform.h"

namespace app {

void WriteLine(const std::string& text) { plat::WriteStdout(text + "\r\n"); }

void WriteText(const std::string& text) { plat::WriteStdout(text); }

void WriteErrorLine(const std::string& message) {
  // Standard output first, so that the two streams read in order on a console.
  plat::FlushStdout();
  std::string line = "layrix: error: " + message;
  // One line, whatever the offending text holds.
  for (char& c : line)
    if (c == '\r' || c == '\n') c = ' ';
  plat::WriteStderr(line + "\r\n");
}

}  // namespace app
