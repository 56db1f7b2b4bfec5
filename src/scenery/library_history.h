// The library's history: the states scenery.cfg had before the runs that
// changed it, each kept as a byte-exact copy in a hidden folder beside it
// (kHistoryFolderName), newest last, with the time and the command line of
// the run that replaced it.
//
// Each state is two files, named by a sequence number that only grows:
//   scenery.000012.txt  its time and command line (written first)
//   scenery.000012.cfg  the copy of scenery.cfg (written second)
// each written whole through a temporary file and renamed into place.  The
// history is the .cfg files the folder holds, so that a run killed at any
// moment leaves a history that reads: at worst a .txt without its .cfg,
// which is not listed and is replaced or removed by a later run.
//
// May use: base/, platform/ and the rest of scenery/.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/problems.h"

// The folder beside scenery.cfg that holds the kept states.
constexpr const char* kHistoryFolderName = ".layrix.history";
// How many states are kept unless layrix.ini says otherwise (History=).
constexpr int32_t kDefaultHistoryLength = 20;

// The history folder of the library whose scenery.cfg is `configPath`,
// ending in a backslash.
std::string HistoryFolder(const std::string& configPath);

// What is kept with a state: when it was replaced and by which command.
struct StateFacts {
  std::string Time;         // UTC, "2026-12-10 13:09:37"; empty: not known
  std::string CommandLine;  // the run's words as given ("-t 4")
};

// The text of a state's .txt file, and the facts read back from one (the
// lines it does not know are passed over).
std::string StateFactsText(const StateFacts& facts);
StateFacts ParseStateFacts(std::string_view text);

// The file names of the state with sequence number `sequence`.
std::string StateFileName(uint64_t sequence);
std::string StateFactsFileName(uint64_t sequence);
// The sequence number of a state file's name (`extension` ".cfg" or
// ".txt", any letter case); none for any other name.
std::optional<uint64_t> SequenceOfName(std::string_view name, std::string_view extension);

// A UTC time (a FILETIME) as "2026-12-10 13:09:37", and back (none for
// text of another form).
std::string TimeText(uint64_t fileTime);
std::optional<uint64_t> ParseTimeText(std::string_view text);
// The current time as a FILETIME (UTC).
uint64_t NowAsFileTime();

// The words of a command line as one text: blank-separated, a word holding
// a blank (or none at all) in double quotes.
std::string CommandLineText(const std::vector<std::string>& words);

// One kept state, as ListStates finds it.
struct KeptState {
  int32_t Number = 0;      // 1 = the newest: the state before the last change
  uint64_t Sequence = 0;
  std::string Path;        // the copy of scenery.cfg
  std::string FactsPath;   // its time and command line
  uint64_t WriteTime = 0;  // the copy's last-write time (FILETIME, UTC)
};

// The states kept for the library whose scenery.cfg is `configPath`,
// newest first.  A folder that is missing holds none; one that cannot be
// listed throws FatalError naming it.
std::vector<KeptState> ListStates(const std::string& configPath);
// The facts of a state: its .txt file, else (missing or unreadable) the
// copy's last-write time and no command line.
StateFacts ReadStateFacts(const KeptState& state);
// "1 to 5", "1", "none": the numbers of `states`, for messages.
std::string StateNumbersText(const std::vector<KeptState>& states);

// Why a run stops when the state of `configPath` cannot be kept: `why`,
// in plain words, with what the user can do.
std::string CannotKeep(const std::string& configPath, const std::string& why);

// Keeps `bytes`, the file scenery.cfg holds before the run replaces it, as
// the newest state with `facts`, then removes the oldest states beyond
// `keep` (at least 1).  Throws FatalError when the state cannot be kept:
// nothing of the history changed then except, at worst, a .txt file
// without its .cfg.  States that cannot be removed are told to `notes`.
void KeepState(const std::string& configPath, const std::string& bytes, const StateFacts& facts,
               int32_t keep, Notices* notes);
