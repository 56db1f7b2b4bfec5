// The command-line front end: the main sequence, the parser and dispatcher,
// the batch runner, the settings file and the configuration check.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "app/CommandState.h"

namespace app {

// The main sequence of one run on the given command-line words (program
// name excluded).  Prints to the console and returns the exit code: 0, or 1
// after an unexpected error reported on standard error.
int RunLayrix(const std::vector<std::string>& words);

// Takes at most four words into Args, each lower-cased.
void ReadCommandLine(CommandState& state, const std::vector<std::string>& words);

// Settings of layrix.ini in the current folder: ForceVersion, RenameExtension.
void ReadSettings(CommandState& state);
// The same from the bytes of a settings file (empty: no file).
void ApplySettings(CommandState& state, const std::string& iniBytes);

// Parses the command in Args/ArgCount; returns kParseOk or a negative result.
// Throws ELayrixError for a strict integer argument that is not an integer.
int ParseCommand(CommandState& state);

// Integer argument readings: strict throws ELayrixError naming the text.
int32_t StrictInteger(const std::string& text);
bool LenientInteger(const std::string& text, int32_t& value);

// Path variables.
void SetPathVariables(CommandState& state);
// Replaces the tokens of the nine variables in `text` by `values`; a "%" left
// over turns the whole text into "-1".
std::string ExpandPathVariables(std::string_view text, const VariableTable& values);
// Replaces every "%u" (any letter case) by `title`.
std::string ReplaceTitleVariable(std::string_view text, const std::string& title);

// The usage text.
extern const std::array<const char*, 143> UsageLines;
void PrintUsage();

// Dispatcher.
void ShowProgress(CommandState& state);
void ExecuteCommand(CommandState& state);

// Batch files.
int SetUpBatch(CommandState& state);      // argument row of "-b"
int SetUpUserBatch(CommandState& state);  // argument row of "-bu"
struct BatchWords {
  int Count = 0;                    // 0 = nothing to run on this line
  std::array<std::string, 5> Args;  // indexed 1..4
};
// Cuts the comment and splits one batch line (without its line end).
BatchWords SplitBatchLine(std::string_view line);
// Splits a batch file's bytes into lines at CR LF or LF.
std::vector<std::string> SplitLines(const std::string& bytes);
void RunBatchFile(CommandState& state);

// Configuration check of "-x".
void CheckSceneryConfig(TLayrix& config, bool autoRemove);

}  // namespace app
