// Reading the command line into the command state.
//
// May use: every folder of src/ (never the host's headers).
#pragma once

#include <string>
#include <vector>

#include "app/command_state.h"

namespace app {

// Takes at most four words into Args, each lower-cased.
void ReadCommandLine(CommandState& state, const std::vector<std::string>& words);

}  // namespace app
