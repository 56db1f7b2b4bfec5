// Test helpers: a throwaway Wine-style prefix on disk, and running the built
// program against it.
//
// A TestPrefix is a fresh temporary folder holding
//   prefix/                 the Wine prefix (WINEPREFIX)
//     user.reg, system.reg  registry files in Wine's text format
//     drive_c/              drive C:
//     dosdevices/c: -> ../drive_c
//   home/                   HOME for the program
//   work/                   a folder outside drive C: for the current folder
// and is removed with everything in it when the object goes away.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace testing_support {

class TestPrefix {
 public:
  TestPrefix();
  ~TestPrefix();
  TestPrefix(const TestPrefix&) = delete;
  TestPrefix& operator=(const TestPrefix&) = delete;

  const std::string& Root() const { return root_; }      // host path of the temp folder
  std::string Prefix() const { return root_ + "/prefix"; }
  std::string DriveC() const { return root_ + "/prefix/drive_c"; }
  std::string Home() const { return root_ + "/home"; }
  std::string Work() const { return root_ + "/work"; }

  // Host path of a path below drive C: given with '\' or '/' ("FS9\Scenery").
  std::string C(const std::string& below) const;

  // Registers FS9 (HKCU ...\Flight Simulator\9.0, AppPath) with the Windows
  // path `appPath`, e.g. "C:\FS9" or "C:\FS9\".
  void RegisterFS9(const std::string& appPath);
  // Registers FSX (...\10.0 AppPath) and, unless empty, the "Common AppData"
  // shell folder in HKLM.
  void RegisterFSX(const std::string& appPath, const std::string& commonAppData = "C:\\ProgramData");
  // Registers any simulator: "AppPath" = `appPath` under the HKCU key `key`
  // (as simulator_keys.h names them).
  void RegisterAppPath(const std::string& key, const std::string& appPath);
  // Sets the "Common AppData" shell folder in HKLM.
  void SetCommonAppData(const std::string& folder);
  // Adds a raw value line (already in .reg syntax, e.g. "\"AppPath\"=dword:00000001")
  // under a key of user.reg or system.reg.
  void AddUserValue(const std::string& key, const std::string& rawValueLine);
  void AddSystemValue(const std::string& key, const std::string& rawValueLine);
  // Rewrites the registry files from what was registered (called by the above).
  void WriteRegistry();

  // A typical FS9 installation: registers C:\FS9, creates its folders
  // (Scenery\World\scenery, Scenery\BASE\scenery, Addon Scenery\scenery,
  // Texture, Effects) and writes `cfgText` as C:\FS9\scenery.cfg.
  void MakeFS9(const std::string& cfgText);

 private:
  std::string root_;
  std::vector<std::pair<std::string, std::string>> userValues_;    // key, raw line
  std::vector<std::pair<std::string, std::string>> systemValues_;  // key, raw line
};

// Small file helpers on host paths.
void WriteFile(const std::string& hostPath, const std::string& bytes);  // makes parent folders
std::string ReadFile(const std::string& hostPath);                       // "" when missing
bool PathExists(const std::string& hostPath);                            // lstat
void MakeDirs(const std::string& hostPath);
void RemoveAll(const std::string& hostPath);
// Every path below `hostFolder` (relative, '/'-separated, folders ending in '/'), sorted.
std::vector<std::string> ListTree(const std::string& hostFolder);

struct RunResult {
  int ExitCode = -1;
  std::string Out;  // standard output bytes
  std::string Err;  // standard error bytes
};

struct RunOptions {
  std::string Cwd;                 // host folder to run in; default: the prefix's work/
  std::string Stdin;               // bytes fed to standard input
  bool CloseStdin = false;         // run with standard input closed (no pipe at all)
  std::vector<std::pair<std::string, std::string>> Env;  // extra or replaced variables
  std::vector<std::string> Unset;  // variables to remove
  // Faults: a file-size limit in bytes for the program (setrlimit
  // RLIMIT_FSIZE, as "ulimit -f"; -1: none), and a SIGKILL sent that many
  // microseconds after the start (-1: none; the exit code is then 128 + 9
  // when the kill came first).
  long long FileSizeLimit = -1;
  long long KillAfterMicroseconds = -1;
  // Runs the program as this user and group id (setpriv; -1: as the test),
  // after opening the prefix to every user for reading.
  int RunAsUser = -1;
};

// Runs the built program with `args` against the prefix (WINEPREFIX and HOME
// set to it unless options.Env gives or options.Unset removes them;
// TEMP/TMP/TMPDIR removed unless given in options.Env).
RunResult RunLayrix(const TestPrefix& prefix, const std::vector<std::string>& args,
                    const RunOptions& options = {});

// A run of the built program that goes on beside the test, for runs at the
// same time as others: its standard input stays open for WriteStdin until
// CloseStdin or Finish (RunOptions.Stdin is written first), and its output is
// collected as it comes.  A run still going when the object goes away is
// killed.
class RunningLayrix {
 public:
  RunningLayrix(const TestPrefix& prefix, const std::vector<std::string>& args,
                const RunOptions& options = {});
  ~RunningLayrix();
  RunningLayrix(const RunningLayrix&) = delete;
  RunningLayrix& operator=(const RunningLayrix&) = delete;

  void WriteStdin(const std::string& bytes);
  void CloseStdin();
  // Wait until standard output (error) holds `text`, the stream ends or
  // `seconds` have passed; true when it holds the text.
  bool WaitForOutput(const std::string& text, int seconds = 120);
  bool WaitForError(const std::string& text, int seconds = 120);
  std::string ErrorSoFar();
  // Sends SIGKILL.
  void Kill();
  // Closes standard input and waits for the end of the run.
  RunResult Finish();

 private:
  bool WaitFor(const std::string& text, bool onStderr, int seconds);

  int pid_ = -1;
  int in_ = -1;
  std::mutex mutex_;
  std::condition_variable changed_;
  RunResult result_;
  bool outEnded_ = false;
  bool errEnded_ = false;
  std::thread outReader_;
  std::thread errReader_;
};

// Kill trials: `args` is run whole three times, each after `reset`, to learn
// its run time (the longest); then again after `reset`, each run killed
// with SIGKILL after a random delay within that time, until `kills` runs
// were killed (at most ten times as many trials).  A run that escapes its
// kill must succeed, and narrows the window the next delay is drawn from, so
// that a loaded machine still gives the kills.  `check` looks at what each
// trial left, `what` describing the trial for its messages; the trials stop
// at the first fatal failure.
struct KillTrials {
  int Trials = 0;
  int Killed = 0;
  long long WindowMicros = 0;  // the run time the last delay was drawn within
};
KillTrials RunKilledAtRandomMoments(const TestPrefix& prefix, const std::vector<std::string>& args,
                                    int kills, uint32_t seed, const std::function<void()>& reset,
                                    const std::function<void(const std::string& what)>& check);

// The banner every run prints first: "\r\n Layrix V1.1\r\n\r\n".
std::string Banner();
// Joins lines, each followed by CR LF.
std::string Lines(const std::vector<std::string>& lines);

// The source tree.
std::string SourceDir();
// Path of a stock scenery.cfg kept under tests/data/
// ("fsx-stock-scenery.cfg", "fsx-stock-ids-scenery.cfg").
std::string StockCfgPath(const std::string& name);

}  // namespace testing_support
