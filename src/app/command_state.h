// The command state of one run: the scenery library, the words of the
// command being parsed, the arguments taken from them, and the batch and
// path-variable values that live for the rest of the run.
//
// May use: every folder of src/ (never the host's headers).
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "app/console.h"
#include "scenery/library.h"
#include "scenery/library_history.h"
#include "scenery/library_lock.h"

namespace app {

struct Command;  // a row of the command table (commands.h)

// How the parse of a command ended: Ok, or why the command is not run.
enum class ParseOutcome {
  Ok,
  Invalid,          // the caller prints the usage text
  NoFolder,         // a path argument names no folder
  NoBatchFile,      // the batch file does not exist
  BatchRunning,     // "-b"/"-bu" inside a batch
  NoVariableValue,  // a batch line needs %b or %u, which "-b" does not set
};
// The result of a parse: its outcome, and what was wrong in plain words for
// standard error ("unknown option '-list'"); empty when it is Ok, or for a
// bare command.
struct ParseResult {
  ParseOutcome Outcome = ParseOutcome::Ok;
  std::string Problem;

  bool Ok() const { return Outcome == ParseOutcome::Ok; }
};

constexpr int kVariableCount = 9;
using VariableTable = std::array<std::string, kVariableCount>;

// The arguments of the command parsed last, each named for what it holds;
// every parse starts again from these values.
struct CommandArguments {
  std::string Folder;        // scnpath of "-f", "-i", "-ia", "-rf"
  std::string SourceFolder;  // srcpath of "-c"
  std::string DestFolder;    // dstpath of "-c"
  std::string Title;         // title of "-i", "-ft", "-dt"
  std::string Message;       // message of "-p"
  int32_t Layer = -1;        // layernum
  int32_t Overwrite = 0;     // the overwrite mode of "-c", 0 to 3
  bool Activate = false;     // activate of "-f", "-ft"
  bool AutoRemove = false;   // autoremove of "-x"
  int32_t Version = 0;       // BGL version of "-v-", "-v+" (0: any)
  int32_t Filter = 0;        // content filter of "-v-", "-v+"
  int32_t State = 1;         // the kept state of "-undo", "-diff" (1 = the newest)
};

struct CommandState {
  std::unique_ptr<SceneryLibrary> Library;
  // The notes and faults of the run, told on standard error.
  ConsoleNotices Report;
  // Those of the searches for add-on packages, each told once.
  NoticesOnce PackageNotes{&Report};
  std::string BatchFileName;
  std::string RenameExtension = ".~bgl";
  std::string BatchFolder;
  std::string BatchTitle;
  bool BatchMode = false;
  int32_t ArgCount = 0;
  std::array<std::string, 5> Args;  // indexed 1..4; [0] is unused
  // The row of the command parsed last; null when it was no valid command.
  const Command* Parsed = nullptr;
  CommandArguments Arguments;
  int32_t ForceVersion = -1;
  std::string SimulatorName;  // the simulator the settings name; empty: none
  // Seconds to wait for another program to let go of the library (0: none).
  int32_t LockTimeout = kDefaultLockTimeoutSeconds;
  // "ExitCodes=strict": a run that does nothing because of its input ends
  // with exit code 2 or 3 instead of 0 (run.h).
  bool StrictExitCodes = false;
  VariableTable VariableValues;
  // The states of scenery.cfg kept before changes (History= in layrix.ini;
  // 0: none), the run's command line as the user gave it, kept with them,
  // and, for "-hist", "-undo" and "-diff" only, why scenery.cfg did not
  // load (empty: it did).
  int32_t History = kDefaultHistoryLength;
  std::string CommandLine;
  std::string LoadProblem;
};

}  // namespace app
