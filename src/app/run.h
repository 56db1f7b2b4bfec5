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
// after an unexpected error reported on standard error.  With
// "ExitCodes=strict" in layrix.ini, a run that did nothing because of its
// input ends with 2 (a command the program does not take: an unknown option,
// a wrong number of words, a bad argument, no command at all) or 3 (nothing
// to work on: no simulator or scenery.cfg, no batch file, no such folder).
int RunLayrix(const std::vector<std::string>& words);

}  // namespace app
