// The parser: turns the words of one command into the arguments of the
// command state, with the path variables expanded and the folders tested.
#include "app/parser.h"

#include "app/batch.h"
#include "app/path_variables.h"
#include "platform/platform.h"
#include "platform/winpath.h"
#include "scenery/value_syntax.h"

namespace app {

const std::array<const char*, kCommandCount> CommandNames = {
    "-g", "-f", "-s", "-md", "-mu", "-i", "-d", "-di", "-a", "-t", "-c",
    "-r", "-ia", "-x", "-ft", "-dt", "-b", "-bu", "-rf", "-v-", "-v+", "-p", "-l"};

const std::array<int32_t, kCommandCount> CommandWordCounts = {
    1, 3, 1, 2, 2, 4, 2, 1, 2, 2, 4, 2, 2, 2, 3, 2, 2, 4, 2, 4, 4, 2, 1};

int32_t StrictInteger(const std::string& text) {
  int32_t value = 0;
  if (!ParseInteger(text, value))
    throw FatalError("'" + text + "' is not a valid integer value");
  return value;
}

bool LenientInteger(const std::string& text, int32_t& value) { return ParseInteger(text, value); }

namespace {

int32_t FindCommand(const std::string& word) {
  for (int32_t i = 0; i < kCommandCount; ++i)
    if (word == CommandNames[static_cast<size_t>(i)]) return i;
  return CmdNone;
}

bool IsKnownBglVersion(int32_t version) {
  return version == 0 || version == 6 || version == 7 || version == 9 || version == 10;
}

// The arguments of "-v-" and "-v+".
int TakeBglArguments(CommandState& s) {
  s.LayerArg = StrictInteger(s.Args[2]);
  if (!LenientInteger(s.Args[3], s.VersionArg)) return kParseInvalid;
  if (!LenientInteger(s.Args[4], s.FilterArg)) return kParseInvalid;
  if (s.FilterArg < 0 || s.FilterArg > 16383) return kParseInvalid;
  // Only the BGL versions that exist (0 = any) make a valid command.
  if (!IsKnownBglVersion(s.VersionArg)) return kParseInvalid;
  return kParseOk;
}

// The argument row of the parsed option; returns the parse result.
int TakeArguments(CommandState& s) {
  const auto& a = s.Args;
  switch (s.CommandIndex) {
    case CmdFind:
      s.PathArg = a[2];
      s.SwitchArg = a[3] == "1";
      return kParseOk;
    case CmdMoveDown:
    case CmdMoveUp:
    case CmdDelete:
    case CmdActivate:
    case CmdToggle:
    case CmdRemove:
      s.LayerArg = StrictInteger(a[2]);
      return kParseOk;
    case CmdInsert:
      s.PathArg = a[2];
      s.TitleArg = a[3];
      s.LayerArg = StrictInteger(a[4]);
      return kParseOk;
    case CmdCopy:
      s.SourcePathArg = a[2];
      s.PathArg = a[3];
      s.LayerArg = StrictInteger(a[4]);
      return (s.LayerArg < 0 || s.LayerArg > 3) ? kParseInvalid : kParseOk;
    case CmdAddNew:
    case CmdRemovePath:
    case CmdPause:
      s.PathArg = a[2];
      return kParseOk;
    case CmdCheck:
      s.SwitchArg = a[2] == "1";
      return kParseOk;
    case CmdFindTitle:
      s.TitleArg = a[2];
      s.SwitchArg = a[3] == "1";
      return kParseOk;
    case CmdDeleteTitle:
      s.TitleArg = a[2];
      return kParseOk;
    case CmdBatch:
      return SetUpBatch(s);
    case CmdBatchUser:
      return SetUpUserBatch(s);
    case CmdBglOff:
    case CmdBglOn:
      return TakeBglArguments(s);
    default:  // -g, -s, -di, -l
      return kParseOk;
  }
}

// True when `text` holds `token` ("%b") in any letter case.
bool HasToken(const std::string& text, const char* token) {
  for (size_t at = text.find('%'); at != std::string::npos; at = text.find('%', at + 1))
    if (at + 1 < text.size() && (text[at + 1] | 0x20) == token[1]) return true;
  return false;
}

std::string SimulatorFolderOf(const CommandState& s) {
  return s.Library ? s.Library->SimulatorFolder : std::string();
}

}  // namespace

std::string BatchVariableWithoutValue(const CommandState& s) {
  if (s.BatchFolder.empty() && (HasToken(s.PathArg, "%b") || HasToken(s.SourcePathArg, "%b")))
    return "%b";
  if (s.BatchTitle.empty() && HasToken(s.TitleArg, "%u")) return "%u";
  return "";
}

int ParseCommand(CommandState& s) {
  s.PathArg.clear();
  s.SourcePathArg.clear();
  s.TitleArg.clear();
  s.SwitchArg = false;
  s.LayerArg = -1;
  s.CommandIndex = CmdNone;
  if (s.ArgCount <= 0) return kParseInvalid;

  s.CommandIndex = FindCommand(s.Args[1]);
  const int32_t option = s.CommandIndex;
  int result = kParseInvalid;
  if (option != CmdNone &&
      (CommandWordCounts[static_cast<size_t>(option)] == s.ArgCount || option == CmdBatchUser))
    result = TakeArguments(s);

  // Batch lines keep the values computed for the batch command itself.
  if (!s.BatchMode || option == CmdBatch || option == CmdBatchUser) SetPathVariables(s);
  if (s.ArgCount <= 1 || result != kParseOk) return result;

  // A batch file started with "-b" has no destination folder and no title
  // for %b and %u: a line that uses them would copy to the root of a drive
  // or add an area without a title, so it is not run.
  if (s.BatchMode && option != CmdBatchUser && !BatchVariableWithoutValue(s).empty())
    return kParseNoVariableValue;

  s.PathArg = ExpandPathVariables(s.PathArg, s.VariableValues);
  s.SourcePathArg = ExpandPathVariables(s.SourcePathArg, s.VariableValues);
  // A path written with '/' is stored and compared with '\' (the message of
  // "-p" is no path).
  if (option != CmdPause) s.PathArg = winpath::WithBackslashes(s.PathArg);
  s.SourcePathArg = winpath::WithBackslashes(s.SourcePathArg);
  if (s.BatchMode && option != CmdBatchUser)
    s.TitleArg = ReplaceTitleVariable(s.TitleArg, s.BatchTitle);

  // A path may be written relative to the current folder or to the
  // simulator folder; the destination of "-c" and the message of "-p" are
  // not tested.
  if (option != CmdCopy && option != CmdPause && !s.PathArg.empty() &&
      !plat::FolderExists(s.PathArg) && !plat::FolderExists(SimulatorFolderOf(s) + s.PathArg))
    result = kParseNoFolder;
  if (option == CmdCopy && !plat::FolderExists(s.SourcePathArg)) result = kParseNoFolder;
  return result;
}

}  // namespace app
