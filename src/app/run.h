// The main sequence of a run: banner, command line, settings, the scenery
// library and its lock, one command (or a batch file), the save, the exit
// code.
//
// May use: every folder of src/ (never the host's headers).
#pragma once

#include <string>
#include <vector>

namespace app {

// The main sequence of one run on the given command-line words (program
// name excluded).  Prints to the console and returns the exit code: 0, or 1
// after an unexpected error reported on standard error.
int RunLayrix(const std::vector<std::string>& words);

}  // namespace app
