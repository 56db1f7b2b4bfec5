// Console lines: every line the program prints ends with CR LF.
//
// May use: every folder of src/ (never the host's headers).
#pragma once

#include <string>

namespace app {

// Writes `text` and CR LF to standard output.
void WriteLine(const std::string& text);
// Writes `text` to standard output without a line end.
void WriteText(const std::string& text);
// Reports an unexpected error on standard error as one line.
void WriteErrorLine(const std::string& message);

}  // namespace app
