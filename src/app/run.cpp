// The main sequence of a run.
#include "app/run.h"

#include <memory>
#include <new>
#include <stdexcept>
#include <string>

#include "app/batch.h"
#include "app/command_line.h"
#include "app/console.h"
#include "app/history_commands.h"
#include "app/commands.h"
#include "app/parser.h"
#include "app/settings.h"
#include "app/usage.h"
#include "platform/platform.h"
#include "scenery/install_locator.h"
#include "scenery/library_lock.h"

namespace app {

namespace {

// Takes the lock of the run's library, saying so on standard error when
// another program holds it for longer than a moment.
std::unique_ptr<plat::FileLock> LockTheLibrary(const CommandState& s) {
  const std::string& configPath = s.Library->ConfigPath;
  return LockLibrary(configPath, s.LockTimeout, [&] {
    WriteNoticeLine("another program is using the scenery library '" + configPath +
                    "'; waiting for it (at most " + std::to_string(s.LockTimeout) +
                    " seconds)...");
  });
}

// The exit code of a run that did nothing because of its input: 0, as
// installers have always had it, or with ExitCodes=strict 2 for a command
// the program does not take and 3 for nothing to work on.
constexpr int kStrictNotTaken = 2;
constexpr int kStrictNothingToWorkOn = 3;

int NothingDoneCode(const CommandState& s, int strictCode) {
  if (s.Report.Faults() > 0) return 1;
  return s.StrictExitCodes ? strictCode : 0;
}

// Runs the one command of the run, parsed with result `parsed`, and saves
// scenery.cfg if it changed.  Returns the exit code.
int RunCommand(CommandState& s, const ParseResult& parsed) {
  if (parsed.Ok()) {
    s.Parsed->Run(s);  // "-b" and "-bu" run the batch file here
    if (s.Library->Modified) SaveKeepingHistory(s);
    // A fault of a file operation (the library was saved all the same)
    // makes the run a failure.
    return s.Report.Faults() > 0 ? 1 : 0;
  }
  // Which word was wrong, before the text that says so in general.
  if (!parsed.Problem.empty()) WriteNoticeLine(parsed.Problem);
  switch (parsed.Outcome) {
    case ParseOutcome::Invalid:
      PrintUsage();
      break;
    case ParseOutcome::NoFolder:
      WriteLine(" Scenery or source path does not exist!");
      WriteLine("");
      return NothingDoneCode(s, kStrictNothingToWorkOn);
    case ParseOutcome::NoBatchFile:
      WriteLine(" Batch file does not exist!");
      WriteLine("");
      return NothingDoneCode(s, kStrictNothingToWorkOn);
    default:
      break;
  }
  return NothingDoneCode(s, kStrictNotTaken);
}

int RunUnguarded(const std::vector<std::string>& words) {
  WriteLine("");
  WriteLine(" Layrix V1.1");
  WriteLine("");
  CommandState s;
  ReadCommandLine(s, words);
  s.CommandLine = CommandLineText(words);
  ReadSettings(s);
  s.Library = std::make_unique<SceneryLibrary>();
  s.Library->Report = &s.Report;
  s.Library->Locate(InstallChoice{s.ForceVersion, s.SimulatorName});
  if (s.Library->ConfigPath.empty()) {
    WriteLine(" Could not determine installed FS versions or 'scenery.cfg' location!");
    WriteLine("");
    // Where the search for a Wine prefix looked, when it settled on one that
    // registers nothing; else the cause found in the place searched.
    const std::vector<std::string> searched = plat::InstallSearchNotes();
    for (const std::string& note : searched) WriteNoticeLine(note);
    if (searched.empty() && !s.Library->NotFoundBecause.empty())
      WriteNoticeLine(s.Library->NotFoundBecause);
    // A registry that could not be read is the cause the user must hear of.
    return NothingDoneCode(s, kStrictNothingToWorkOn);
  }
  // The library stays locked from before it is read until the end of the
  // run, after the save, so that no other run changes it in between.  A
  // "-bu" that asks for a folder and a title reads it once before the
  // questions (a bad scenery.cfg is reported before anything is asked) and
  // asks them without the lock, so that nobody else waits for the user's
  // answers; it then takes the lock and reads the library again.
  std::unique_ptr<plat::FileLock> lock;
  const bool asksFirst = AsksForFolderAndTitle(s);
  if (!asksFirst) lock = LockTheLibrary(s);
  if (IsHistoryCommand(s))
    LoadForHistory(s);  // a library that does not load can still be put back
  else
    s.Library->LoadFromFile(s.Library->ConfigPath);
  const ParseResult parsed = ParseCommand(s);
  if (asksFirst && parsed.Ok()) {
    lock = LockTheLibrary(s);
    s.Library->LoadFromFile(s.Library->ConfigPath);
  }
  return RunCommand(s, parsed);
}

}  // namespace

int RunLayrix(const std::vector<std::string>& words) {
  int code = 1;
  try {
    code = RunUnguarded(words);
  } catch (const FatalError& e) {
    WriteErrorLine(e.what());
  } catch (const std::bad_alloc&) {
    WriteErrorLine("out of memory");
  } catch (const std::exception&) {
    // Every failure the program knows of is told in its own words; this one
    // comes from deeper down, and its text would mean nothing to the user.
    WriteErrorLine("an internal error stopped the run; nothing was saved");
  }
  plat::FlushStdout();
  return code;
}

}  // namespace app
