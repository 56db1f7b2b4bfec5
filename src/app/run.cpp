// The main sequence of a run.
#include "app/run.h"

#include <new>
#include <stdexcept>

#include "app/command_line.h"
#include "app/console.h"
#include "app/execute.h"
#include "app/parser.h"
#include "app/settings.h"
#include "app/usage.h"
#include "platform/platform.h"

namespace app {

namespace {

// Runs the one command of the run and saves scenery.cfg if it changed.
// Returns the exit code.
int RunCommand(CommandState& s) {
  switch (ParseCommand(s)) {
    case kParseOk: {
      ExecuteCommand(s);  // "-b" and "-bu" run the batch file here
      std::string backupProblem;
      if (s.Library->Modified && s.Library->SaveToFile("", true, &backupProblem) != 0) {
        WriteErrorLine(backupProblem + "; scenery.cfg was not written");
        return 1;
      }
      // A fault of a file operation (the library was saved all the same)
      // makes the run a failure.
      return s.Report.Faults() > 0 ? 1 : 0;
    }
    case kParseInvalid:
      PrintUsage();
      return 0;
    case kParseNoFolder:
      WriteLine(" Scenery or source path does not exist!");
      WriteLine("");
      return 0;
    case kParseNoBatchFile:
      WriteLine(" Batch file does not exist!");
      WriteLine("");
      return 0;
    default:
      return 0;
  }
}

int RunUnguarded(const std::vector<std::string>& words) {
  WriteLine("");
  WriteLine(" Layrix V1.1");
  WriteLine("");
  CommandState s;
  ReadCommandLine(s, words);
  ReadSettings(s);
  s.Library = std::make_unique<SceneryLibrary>(s.ForceVersion, &s.Report);
  if (s.Library->ConfigPath.empty()) {
    WriteLine(" Could not determine installed FS versions or 'scenery.cfg' location!");
    WriteLine("");
    // A registry that could not be read is the cause the user must hear of.
    return s.Report.Faults() > 0 ? 1 : 0;
  }
  const int code = RunCommand(s);
  plat::ReleaseTemporaryLocks();
  // The library in memory is not taken apart section by section at the
  // end of the run: for a large one that costs more than saving it, and the
  // process gives its memory back whole when it ends.  (Kept reachable, and
  // a second run in the same process frees the first one's.)
  static SceneryLibrary* finished = nullptr;
  delete finished;
  finished = s.Library.release();
  return code;
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
