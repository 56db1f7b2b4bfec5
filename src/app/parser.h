// The parser: turns the words of one command into the arguments of the
// command state, with the path variables expanded and the folders tested.
//
// May use: every folder of src/ (never the host's headers).
#pragma once

#include <cstdint>
#include <string>

#include "app/command_state.h"

namespace app {

// Parses the command in Args/ArgCount; returns kParseOk or a negative result.
// Throws FatalError for a strict integer argument that is not an integer.
int ParseCommand(CommandState& state);

// The batch variable ("%b" or "%u") that an argument of the parsed batch
// line uses but that has no value (in a batch file started with "-b"), or
// "" when there is none.  ParseCommand then returns kParseNoVariableValue.
std::string BatchVariableWithoutValue(const CommandState& state);

// Integer argument readings: strict throws FatalError naming the text;
// lenient returns false.
int32_t StrictInteger(const std::string& text);
bool LenientInteger(const std::string& text, int32_t& value);

}  // namespace app
