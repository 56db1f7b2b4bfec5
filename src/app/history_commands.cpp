// The history of a run's library: the state kept before the save, and the
// options "-hist", "-undo" and "-diff".
#include "app/history_commands.h"

#include <memory>
#include <string>
#include <vector>

#include "app/commands.h"
#include "app/console.h"
#include "platform/platform.h"
#include "scenery/library_diff.h"
#include "scenery/value_syntax.h"

namespace app {

namespace {

ParseResult RefuseInBatch(CommandState& s) {
  return {ParseOutcome::BatchRunning, std::string("'") + s.Parsed->Word +
                                          "' is a command-line option; a batch file cannot run it"};
}

// The kept time of a state in local time, as the run's host shows it.
std::string ShownTime(const StateFacts& facts) {
  const std::optional<uint64_t> utc = ParseTimeText(facts.Time);
  return utc ? TimeText(plat::FileTimeToLocal(*utc)) : "(time not known)   ";
}

std::string ShownCommand(const StateFacts& facts) {
  return facts.CommandLine.empty() ? "(command line not kept)" : facts.CommandLine;
}

// The run that replaced a state, for a sentence: "layrix -t 4".
std::string ShownRun(const StateFacts& facts) {
  return facts.CommandLine.empty() ? "a run whose command line was not kept"
                                   : "layrix " + facts.CommandLine;
}

std::string ReadBytes(const std::string& path, const std::string& what) {
  std::string bytes;
  if (const plat::FileResult read = plat::ReadWholeFile(path, bytes); !read)
    throw FatalError(read.Tell("read", path) + " (" + what + "); nothing was changed");
  return bytes;
}

// The state `number` of `states`, or null after a note naming the numbers
// that are kept.
const KeptState* ChosenState(const CommandState& s, const std::vector<KeptState>& states) {
  const int32_t number = s.Arguments.State;
  if (number >= 1 && size_t(number) <= states.size()) return &states[size_t(number) - 1];
  const std::string& cfg = s.Library->ConfigPath;
  if (states.empty())
    WriteNoticeLine("no earlier states of " + cfg + " are kept, so there is no state " +
                    std::to_string(number) + "; nothing changed");
  else
    WriteNoticeLine("there is no state " + std::to_string(number) + " of " + cfg +
                    "; the states kept are " + StateNumbersText(states) +
                    " (-hist lists them); nothing changed");
  return nullptr;
}

// `bytes` read as a library of the same simulator as the run's; null, and
// `problem` set, when they do not read as one.
std::unique_ptr<SceneryLibrary> LibraryOfBytes(const SceneryLibrary& like, const std::string& bytes,
                                               std::string& problem) {
  auto library = std::make_unique<SceneryLibrary>();
  library->UnmarkedEncoding = like.UnmarkedEncoding;
  try {
    library->LoadFromText(bytes);
  } catch (const FatalError& e) {
    problem = e.what();
    return nullptr;
  }
  return library;
}

// The current library, when it loaded.
const SceneryLibrary* CurrentLibrary(const CommandState& s) {
  return s.LoadProblem.empty() ? s.Library.get() : nullptr;
}

}  // namespace

ParseResult TakeHistoryListing(CommandState& s) {
  return s.BatchMode ? RefuseInBatch(s) : ParseResult{};
}

ParseResult TakeStateNumber(CommandState& s) {
  if (s.BatchMode) return RefuseInBatch(s);
  const std::string option = "'" + std::string(s.Parsed->Word) + "'";
  if (s.ArgCount > 2)
    return {ParseOutcome::Invalid, option + " takes at most 1 argument (state number), " +
                                       std::to_string(s.ArgCount - 1) + " given"};
  s.Arguments.State = 1;
  if (s.ArgCount == 2 && (!ParseInteger(s.Args[2], s.Arguments.State) || s.Arguments.State < 1))
    return {ParseOutcome::Invalid, "the state number of " + option +
                                       " is 1 or more (-hist lists them), not '" + s.Args[2] + "'"};
  return {};
}

bool IsHistoryCommand(const CommandState& s) {
  if (s.ArgCount < 1) return false;
  const Command* command = FindCommand(s.Args[1]);
  return command && (command->Run == ListHistory || command->Run == UndoToState ||
                     command->Run == ShowStateDiff);
}

void LoadForHistory(CommandState& s) {
  try {
    s.Library->LoadFromFile(s.Library->ConfigPath);
  } catch (const FatalError& e) {
    s.LoadProblem = e.what();
    s.Library->Sections.clear();
  }
}

void SaveKeepingHistory(CommandState& s) {
  SceneryLibrary& library = *s.Library;
  library.SaveToFile("", true, [&](const std::string& text) {
    if (s.History <= 0) return;
    std::string before;
    const plat::FileResult read = plat::ReadWholeFile(library.ConfigPath, before);
    if (read.Outcome == plat::FileOutcome::Missing) return;  // gone meanwhile: nothing to keep
    if (!read) throw FatalError(CannotKeep(library.ConfigPath, read.Tell("read", library.ConfigPath)));
    if (before == text) return;  // the run changes nothing in the file
    KeepState(library.ConfigPath, before, {TimeText(NowAsFileTime()), s.CommandLine}, s.History,
              &s.Report);
  });
}

void ListHistory(CommandState& s) {
  const std::string& cfg = s.Library->ConfigPath;
  const std::vector<KeptState> states = ListStates(cfg);
  if (states.empty()) {
    WriteLine(" No earlier states of " + cfg + " are kept.");
    if (s.History <= 0) WriteNoticeLine("History=0 in layrix.ini turns the history off");
    WriteLine("");
    return;
  }
  WriteLine(" Kept states of " + cfg + ", newest first:");
  const size_t width = std::to_string(states.size()).size();
  // Each state against the one after it, the newest against the current
  // file: the change that the state's command made.  One library at a
  // time is read beside the one compared with.
  std::unique_ptr<SceneryLibrary> newerOwned;
  const SceneryLibrary* newer = CurrentLibrary(s);
  bool newerReads = newer != nullptr;
  for (const KeptState& state : states) {
    const StateFacts facts = ReadStateFacts(state);
    std::string bytes, problem, summary;
    std::unique_ptr<SceneryLibrary> older;
    if (const plat::FileResult read = plat::ReadWholeFile(state.Path, bytes); !read)
      summary = "cannot be read: " + read.Cause;
    else if (!(older = LibraryOfBytes(*s.Library, bytes, problem)))
      summary = "does not read as a library";
    else if (!newerReads)
      summary = state.Number == 1 ? "the current file does not read as a library"
                                  : "the next state does not read as a library";
    else
      summary = DiffCountText(CompareLibraries(*older, *newer, s.Library->SimulatorFolder));
    std::string number = std::to_string(state.Number);
    number.insert(0, width - number.size(), ' ');
    WriteLine("  " + number + "  " + ShownTime(facts) + "  " + ShownCommand(facts) + "  (" +
              summary + ")");
    newerReads = older != nullptr;
    newerOwned = std::move(older);
    newer = newerOwned.get();
  }
  const std::string kept =
      " " + std::to_string(states.size()) + (states.size() == 1 ? " state" : " states") + " kept, ";
  WriteLine(kept + (s.History > 0 ? "at most " + std::to_string(s.History) + " (History in layrix.ini)"
                                  : "no more while History=0 in layrix.ini"));
  WriteLine("");
}

void ShowStateDiff(CommandState& s) {
  const std::string& cfg = s.Library->ConfigPath;
  const std::vector<KeptState> states = ListStates(cfg);
  const KeptState* state = ChosenState(s, states);
  if (!state) return;
  if (!s.LoadProblem.empty()) throw FatalError(s.LoadProblem);
  std::string problem;
  const std::unique_ptr<SceneryLibrary> older =
      LibraryOfBytes(*s.Library, ReadBytes(state->Path, "state " + std::to_string(state->Number)),
                     problem);
  if (!older)
    throw FatalError("state " + std::to_string(state->Number) + " (" + state->Path +
                     ") does not read as a library: " + problem);
  const StateFacts facts = ReadStateFacts(*state);
  const LibraryDiff diff = CompareLibraries(*older, *s.Library, s.Library->SimulatorFolder);
  WriteLine(" Changes from state " + std::to_string(state->Number) + " (" + ShownTime(facts) +
            ", before " + ShownRun(facts) + ") to " + cfg + ":");
  for (const AreaChange& change : diff.Changes) WriteLine(" " + ChangeLine(change));
  if (diff.Changes.empty()) WriteLine(" No area differs in its layer, state, title or folder.");
  WriteLine(" " + DiffCountText(diff));
  WriteLine("");
}

void UndoToState(CommandState& s) {
  const std::string& cfg = s.Library->ConfigPath;
  const std::vector<KeptState> states = ListStates(cfg);
  const KeptState* state = ChosenState(s, states);
  if (!state) return;
  const std::string number = std::to_string(state->Number);
  if (s.History <= 0)
    return WriteNoticeLine("the history is off (History=0 in layrix.ini): the current " + cfg +
                           " could not be kept before state " + number +
                           " replaced it; nothing changed");
  const std::string restored = ReadBytes(state->Path, "state " + number);
  const std::string current = ReadBytes(cfg, "the current library");
  if (restored == current)
    return WriteNoticeLine(cfg + " is the same as state " + number + " already; nothing changed");

  // As every save: a read-only file is refused before anything is written;
  // the current file is kept as a state, copied to the backup, and then
  // replaced whole.
  const StateFacts facts = ReadStateFacts(*state);
  SceneryLibrary::ReplaceLibraryFile(cfg, restored, true, [&] {
    KeepState(cfg, current, {TimeText(NowAsFileTime()), s.CommandLine}, s.History, &s.Report);
  });
  WriteLine(" scenery.cfg is state " + number + " again, as it was before " + ShownRun(facts) +
            " (" + ShownTime(facts) + ").");
  WriteLine(" The file it replaced is kept as state 1: -undo 1 puts it back.");
  WriteLine("");
}

}  // namespace app
