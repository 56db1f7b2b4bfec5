// Batch files: the set-up of "-b" and "-bu" (with the prompts of "-bu"), the
// splitting of batch lines into words, and the runner.
//
// May use: every folder of src/ (never the host's headers).
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "app/command_state.h"

namespace app {

ParseResult SetUpBatch(CommandState& state);      // argument row of "-b"
ParseResult SetUpUserBatch(CommandState& state);  // argument row of "-bu"
// True when the command about to be parsed is a "-bu" that will ask for the
// destination folder and the title (it was not given exactly four words).
bool AsksForFolderAndTitle(const CommandState& state);

struct BatchWords {
  int Count = 0;                    // 0 = nothing to run on this line
  std::array<std::string, 5> Args;  // indexed 1..4
};
// Cuts the comment and splits one batch line (without its line end).
BatchWords SplitBatchLine(std::string_view line);
// Splits a batch file's bytes into lines at CR LF or LF.
std::vector<std::string> SplitLines(const std::string& bytes);
// Runs every line of the batch file through the parser and the dispatcher.
void RunBatchFile(CommandState& state);

}  // namespace app
