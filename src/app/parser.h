// The parser: turns the words of one command into the arguments of the
// command state, through the row of its option in the command table.
//
// May use: every folder of src/ (never the host's headers).
#pragma once

#include <cstdint>
#include <string>

#include "app/command_state.h"

namespace app {

// Parses the command in Args/ArgCount.  Throws FatalError for a strict
// integer argument that is not an integer.
ParseResult ParseCommand(CommandState& state);

// The last step of a row that takes texts (the folders, title and message
// in Arguments, as typed): in a batch line a "%b" or "%u" without a value
// refuses the line (NoVariableValue); the path variables are expanded
// in the folders and the message, a '/' in a folder becomes '\', "%u" in the
// title takes the batch's title; a Folder given must exist, as written or
// below the simulator folder (NoFolder otherwise).
ParseResult ExpandAndCheckTexts(CommandState& state);

// The batch variable ("%b" or "%u") that an argument of the parsed batch
// line uses but that has no value (in a batch file started with "-b"), or
// "" when there is none.  ParseCommand then gives NoVariableValue.
std::string BatchVariableWithoutValue(const CommandState& state);

// An integer argument, or FatalError naming the text and, when given, what
// it stands for (`what`: "the layer number of '-md'").
int32_t StrictInteger(const std::string& text, const std::string& what = "");

}  // namespace app
