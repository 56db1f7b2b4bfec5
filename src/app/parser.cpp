// The parser: finds the option's row in the command table, checks the
// number of words and has the row take its arguments.
#include "app/parser.h"

#include <string_view>

#include "app/commands.h"
#include "app/path_variables.h"
#include "platform/platform.h"
#include "platform/winpath.h"
#include "scenery/value_syntax.h"

namespace app {

int32_t StrictInteger(const std::string& text, const std::string& what) {
  int32_t value = 0;
  if (!ParseInteger(text, value))
    throw FatalError("'" + text + "' is not a valid integer value" +
                     (what.empty() ? "" : " (" + what + ")"));
  return value;
}

namespace {

// True when `text` holds `token` ("%b") in any letter case.
bool HasToken(const std::string& text, const char* token) {
  for (size_t at = text.find('%'); at != std::string::npos; at = text.find('%', at + 1))
    if (at + 1 < text.size() && (text[at + 1] | 0x20) == token[1]) return true;
  return false;
}

// True when `text` holds a path variable ("%a") at `at`.
bool PathVariableAt(const std::string& text, size_t at) {
  if (text[at] != '%' || at + 1 >= text.size()) return false;
  const char letter = static_cast<char>(text[at + 1] | 0x20);
  return std::string_view("cpfastxb").find(letter) != std::string_view::npos;
}

// A folder argument as a Windows path.  A '/' right after a variable joins
// the variable's own trailing backslash into one separator, as "\" does.
// A folder written on a drive other than the one that holds it (on Linux a
// host path, or a Z:\ path inside the prefix's C:) is given in the form of
// the drive that holds it, so that it is compared and stored as the
// simulator sees it.
std::string ExpandedPath(const CommandState& s, const std::string& path) {
  std::string typed = !path.empty() && path[0] == '/' ? plat::DriveFormOf(path) : path;
  for (size_t at = 0; at + 2 < typed.size(); ++at)
    if (PathVariableAt(typed, at) && typed[at + 2] == '/') typed[at + 2] = '\\';
  return plat::DriveFormOf(winpath::WithBackslashes(ExpandPathVariables(typed, s.VariableValues)));
}

}  // namespace

std::string BatchVariableWithoutValue(const CommandState& s) {
  const CommandArguments& a = s.Arguments;
  if (s.BatchFolder.empty()) {
    for (const std::string* text : {&a.Folder, &a.SourceFolder, &a.DestFolder, &a.Message})
      if (HasToken(*text, "%b")) return "%b";
  }
  if (s.BatchTitle.empty() && HasToken(a.Title, "%u")) return "%u";
  return "";
}

ParseResult ExpandAndCheckTexts(CommandState& s) {
  // A batch file started with "-b" has no destination folder and no title
  // for %b and %u: a line that uses them would copy to the root of a drive
  // or add an area without a title, so it is not run.
  if (s.BatchMode) {
    const std::string variable = BatchVariableWithoutValue(s);
    if (!variable.empty())
      return {ParseOutcome::NoVariableValue,
              variable + " has no value in a batch file started with -b (-bu sets it)"};
  }
  CommandArguments& a = s.Arguments;
  a.Folder = ExpandedPath(s, a.Folder);
  a.SourceFolder = ExpandedPath(s, a.SourceFolder);
  a.DestFolder = ExpandedPath(s, a.DestFolder);
  a.Message = ExpandVariables(a.Message, s.VariableValues);  // no path: its '/' and '%' stay
  if (s.BatchMode) a.Title = ReplaceTitleVariable(a.Title, s.BatchTitle);
  // A folder may be written relative to the current folder or to the
  // simulator folder.
  const std::string simulatorFolder = s.Library ? s.Library->SimulatorFolder : std::string();
  if (!a.Folder.empty() && !plat::FolderExists(a.Folder) &&
      !plat::FolderExists(simulatorFolder + a.Folder)) {
    ParseResult missing{ParseOutcome::NoFolder, "the folder '" + a.Folder + "' does not exist"};
    if (winpath::IsRelativePath(a.Folder) && !simulatorFolder.empty())
      missing.Problem += " (neither below the current folder nor below " + simulatorFolder + ")";
    return missing;
  }
  return {};
}

ParseResult ParseCommand(CommandState& s) {
  s.Arguments = {};
  s.Parsed = nullptr;
  if (s.ArgCount <= 0) return {ParseOutcome::Invalid, ""};
  // The lines of a batch file keep the values computed for the batch
  // command itself.
  if (!s.BatchMode) SetPathVariables(s);
  const Command* command = FindCommand(s.Args[1]);
  if (!command) return {ParseOutcome::Invalid, "unknown option '" + s.Args[1] + "'"};
  if (command->Words != kOneToFourWords && command->Words != s.ArgCount)
    return {ParseOutcome::Invalid, WordCountProblem(*command, s.ArgCount)};
  s.Parsed = command;
  return command->Take(s);
}

}  // namespace app
