// The command table: one row per option, with the number of words it takes,
// how its arguments are taken into the command state, its progress line
// (printed for batch lines only) and what it runs.  Adding an option means
// adding a row here, its lines in the usage text (usage.cpp) and its tests.
//
// May use: every folder of src/ (never the host's headers).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "app/command_state.h"

namespace app {

// A row's Words when the option takes one to four words ("-bu").
constexpr int32_t kOneToFourWords = 0;

struct Command {
  const char* Word;  // the option as typed ("-f")
  int32_t Words;     // the words of the command, the option's own included
  // Its arguments in plain words, for the message on a wrong number of
  // words ("layer number"); "" when it takes none.
  const char* Arguments;
  // Takes the arguments from Args into Arguments (or the batch fields);
  // returns how that went.  Throws FatalError for a strict integer argument
  // that is not an integer.
  ParseResult (*Take)(CommandState& state);
  // The progress line(s) of a batch line, '\n' between lines and the
  // arguments named in braces ("{layer}"); null: none.
  const char* Progress;
  void (*Run)(CommandState& state);
};

// Writes the progress lines of the parsed command (of a batch line).
void ShowProgress(const CommandState& state);
// The row of the option `word` (its exact bytes), or null.
const Command* FindCommand(std::string_view word);
// What is wrong with a command of `given` words for the row `command`:
// "'-t' needs 1 argument (layer number), 0 given".
std::string WordCountProblem(const Command& command, int32_t given);

}  // namespace app
