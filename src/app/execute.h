// The dispatcher: the progress line of a batch line and the execution row of
// every option.
//
// May use: every folder of src/ (never the host's headers).
#pragma once

#include "app/command_state.h"

namespace app {

// Prints the progress line of the parsed command (batch lines only).
void ShowProgress(CommandState& state);
// Runs the parsed command.
void ExecuteCommand(CommandState& state);

}  // namespace app
