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
#include "scenery/library_lock.h"

namespace app {

// Option indices, in the order of the command table.
enum CommandId : int32_t {
  CmdNone = -1,
  CmdGetPath = 0,     // -g
  CmdFind = 1,        // -f
  CmdSort = 2,        // -s
  CmdMoveDown = 3,    // -md
  CmdMoveUp = 4,      // -mu
  CmdInsert = 5,      // -i
  CmdDelete = 6,      // -d
  CmdDeleteInactive = 7,  // -di
  CmdActivate = 8,    // -a
  CmdToggle = 9,      // -t
  CmdCopy = 10,       // -c
  CmdRemove = 11,     // -r
  CmdAddNew = 12,     // -ia
  CmdCheck = 13,      // -x
  CmdFindTitle = 14,  // -ft
  CmdDeleteTitle = 15,  // -dt
  CmdBatch = 16,      // -b
  CmdBatchUser = 17,  // -bu
  CmdRemovePath = 18,  // -rf
  CmdBglOff = 19,     // -v-
  CmdBglOn = 20,      // -v+
  CmdPause = 21,      // -p
  CmdList = 22,       // -l
};

constexpr int kCommandCount = 23;
extern const std::array<const char*, kCommandCount> CommandNames;
extern const std::array<int32_t, kCommandCount> CommandWordCounts;

// Results of ParseCommand.
constexpr int kParseOk = 0;
constexpr int kParseInvalid = -1;       // the caller prints the usage text
constexpr int kParseNoFolder = -2;      // a path argument names no folder
constexpr int kParseNoBatchFile = -3;   // the batch file does not exist
constexpr int kParseBatchRunning = -4;  // "-b"/"-bu" inside a batch
constexpr int kParseNoVariableValue = -5;  // a batch line needs %b or %u, which "-b" does not set

constexpr int kVariableCount = 9;
using VariableTable = std::array<std::string, kVariableCount>;

struct CommandState {
  std::unique_ptr<SceneryLibrary> Library;
  // The notes and faults of the run, told on standard error.
  ConsoleNotices Report;
  std::string BatchFileName;
  std::string RenameExtension = ".~bgl";
  std::string PathArg;
  std::string SourcePathArg;
  std::string TitleArg;
  std::string BatchFolder;
  std::string BatchTitle;
  bool BatchMode = false;
  bool SwitchArg = false;
  int32_t ArgCount = 0;
  int32_t CommandIndex = CmdNone;
  int32_t LayerArg = -1;
  int32_t VersionArg = 0;
  int32_t FilterArg = 0;
  int32_t ForceVersion = -1;
  std::string SimulatorName;  // the simulator the settings name; empty: none
  // Seconds to wait for another program to let go of the library (0: none).
  int32_t LockTimeout = kDefaultLockTimeoutSeconds;
  std::array<std::string, 5> Args;  // indexed 1..4; [0] is unused
  VariableTable VariableValues;
};

}  // namespace app
