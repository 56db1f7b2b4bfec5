// Runs at the same time on one library: each waits for the one before it
// and reads the library as that one left it, so that no change is lost; a
// killed run leaves nothing locked; the wait is announced, and bounded by
// LockTimeout.  No test here measures time: the machine may be loaded, so
// every wait is generous and every check is about what the runs did.
#include <gtest/gtest.h>

#include <cctype>
#include <latch>
#include <memory>
#include <map>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "cfg_text.h"
#include "formats/profile.h"
#include "test_prefix.h"

namespace {

using namespace testing_support;
using e2e::Cfg;
using e2e::CfgText;
using e2e::SampleAreas;

const std::string kWaiting = "layrix: another program is using the scenery library "
                             "'C:\\FS9\\scenery.cfg'; waiting for it";

class ConcurrentRuns : public ::testing::Test {
 protected:
  void SetUp() override {
    e2e::MakeSample(p);
    MakeDirs(p.C("Work"));
  }

  // Runs start in C:\Work, where their batch files and layrix.ini are.
  RunOptions InWork(RunOptions options = {}) {
    options.Cwd = p.C("Work");
    return options;
  }

  // C:\FS9\Addon Scenery\<name> with a scenery sub-folder.
  std::string AddOn(const std::string& name) {
    MakeDirs(p.C("FS9/Addon Scenery/" + name + "/scenery"));
    return "C:\\FS9\\Addon Scenery\\" + name;
  }

  // How often each Local folder (lower case) occurs among the library's
  // areas; also checks that no two areas share a section name or a layer.
  std::map<std::string, int> LocalCounts() {
    const profile::Document doc = profile::Parse(Cfg(p));
    std::map<std::string, int> counts;
    std::set<std::string> names;
    std::set<std::string> layers;
    for (const profile::Section& section : doc.Sections) {
      EXPECT_TRUE(names.insert(section.Name).second) << "section twice: " << section.Name;
      const std::string* local = section.Find("Local");
      const std::string* layer = section.Find("Layer");
      if (!local || !layer) continue;  // General
      EXPECT_TRUE(layers.insert(*layer).second) << "layer twice: " << *layer;
      std::string lower = *local;
      for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      ++counts[lower];
    }
    return counts;
  }

  // A run of "-b" on a batch file that first runs `before` and then waits
  // for Enter: once its " holding" line is out, it holds the library's lock
  // until it is given a line or killed.
  std::unique_ptr<RunningLayrix> StartHolder(const std::string& before = "") {
    WriteFile(p.C("Work/hold.txt"), before + "-p holding\r\n");
    auto holder = std::make_unique<RunningLayrix>(p, std::vector<std::string>{"-b", "hold.txt"}, InWork());
    EXPECT_TRUE(holder->WaitForOutput(" holding\r\n")) << holder->ErrorSoFar();
    return holder;
  }

  static int Count(const std::map<std::string, int>& counts, const std::string& local) {
    const auto it = counts.find(local);
    return it == counts.end() ? 0 : it->second;
  }

  // layrix.ini in the folder the runs start in.
  void Settings(const std::string& text) { WriteFile(p.C("Work/layrix.ini"), text); }

  // Standard error holds nothing but the waiting notice (which a loaded
  // machine may make any run print).
  static void ExpectAtMostTheNotice(const std::string& err) {
    if (err.empty()) return;
    EXPECT_EQ(err.find(kWaiting), 0u) << err;
    EXPECT_EQ(err.find("\r\n"), err.size() - 2) << err;
  }

  TestPrefix p;
};

TEST_F(ConcurrentRuns, TwentyInsertsStartedTogetherAllLand) {
  constexpr int kRuns = 20;
  std::vector<std::string> folders;
  for (int n = 1; n <= kRuns; ++n) folders.push_back(AddOn("Par" + std::to_string(n)));
  std::vector<RunResult> results(kRuns);
  std::latch start(kRuns);
  std::vector<std::thread> threads;
  for (int n = 0; n < kRuns; ++n) {
    threads.emplace_back([&, n] {
      start.arrive_and_wait();
      results[n] = RunLayrix(p, {"-i", folders[n], "Par " + std::to_string(n + 1), "-1"}, InWork());
    });
  }
  for (std::thread& t : threads) t.join();

  for (int n = 0; n < kRuns; ++n) {
    EXPECT_EQ(results[n].ExitCode, 0) << results[n].Err;
    EXPECT_EQ(results[n].Out, Banner());
    ExpectAtMostTheNotice(results[n].Err);
  }
  const std::map<std::string, int> counts = LocalCounts();
  for (int n = 1; n <= kRuns; ++n)
    EXPECT_EQ(Count(counts, "addon scenery\\par" + std::to_string(n)), 1) << "Par" << n;
  EXPECT_EQ(counts.size(), SampleAreas().size() + kRuns);  // and the old areas all stay
}

TEST_F(ConcurrentRuns, TenBatchFilesOfFiveInsertsAllLand) {
  constexpr int kFiles = 10;
  constexpr int kLines = 5;
  std::vector<std::string> expectedOut(kFiles);
  for (int f = 0; f < kFiles; ++f) {
    std::string text;
    expectedOut[f] = Banner() + " Processing batch file 'C:\\Work\\batch" + std::to_string(f) +
                     ".txt'...\r\n\r\n";
    for (int l = 0; l < kLines; ++l) {
      const std::string name = "B" + std::to_string(f) + "-" + std::to_string(l);
      const std::string folder = AddOn(name);
      text += "-i \"" + folder + "\" \"Batch " + name + "\" -1\r\n";
      expectedOut[f] += " Inserting layer from " + folder + "...\r\n";
    }
    expectedOut[f] += "\r\n Done.\r\n\r\n";
    WriteFile(p.C("Work/batch" + std::to_string(f) + ".txt"), text);
  }
  std::vector<RunResult> results(kFiles);
  std::latch start(kFiles);
  std::vector<std::thread> threads;
  for (int f = 0; f < kFiles; ++f) {
    threads.emplace_back([&, f] {
      start.arrive_and_wait();
      results[f] = RunLayrix(p, {"-b", "batch" + std::to_string(f) + ".txt"}, InWork());
    });
  }
  for (std::thread& t : threads) t.join();

  for (int f = 0; f < kFiles; ++f) {
    EXPECT_EQ(results[f].ExitCode, 0) << results[f].Err;
    EXPECT_EQ(results[f].Out, expectedOut[f]);
    ExpectAtMostTheNotice(results[f].Err);
  }
  const std::map<std::string, int> counts = LocalCounts();
  for (int f = 0; f < kFiles; ++f)
    for (int l = 0; l < kLines; ++l)
      EXPECT_EQ(Count(counts, "addon scenery\\b" + std::to_string(f) + "-" + std::to_string(l)), 1)
          << f << "-" << l;
  EXPECT_EQ(counts.size(), SampleAreas().size() + kFiles * kLines);
}

TEST_F(ConcurrentRuns, AWaitingRunReadsWhatTheHolderSaved) {
  const std::string first = AddOn("First");
  const std::string second = AddOn("Second");
  auto holder = StartHolder("-i \"" + first + "\" \"First\" -1\r\n");
  RunningLayrix waiter(p, {"-i", second, "Second", "-1"}, InWork());
  // It says once that it waits, and goes on when the holder has saved.
  EXPECT_TRUE(waiter.WaitForError(kWaiting)) << waiter.ErrorSoFar();
  holder->WriteStdin("\r\n");
  const RunResult held = holder->Finish();
  EXPECT_EQ(held.ExitCode, 0) << held.Err;
  EXPECT_EQ(held.Err, "");
  const RunResult waited = waiter.Finish();
  EXPECT_EQ(waited.ExitCode, 0) << waited.Err;
  EXPECT_EQ(waited.Out, Banner());  // standard output exactly as without the wait
  EXPECT_EQ(waited.Err.find(kWaiting), 0u);
  EXPECT_EQ(waited.Err.find("\r\n"), waited.Err.size() - 2) << "one line: " << waited.Err;

  const std::map<std::string, int> counts = LocalCounts();
  EXPECT_EQ(Count(counts, "addon scenery\\first"), 1);
  EXPECT_EQ(Count(counts, "addon scenery\\second"), 1);
  // The backup is the holder's result: the waiter read the library only
  // after the holder had written it.
  EXPECT_NE(ReadFile(e2e::BackupPath(p)).find("Local=Addon Scenery\\First"), std::string::npos);
}

TEST_F(ConcurrentRuns, NoWaitingWithLockTimeoutZero) {
  const std::string folder = AddOn("Late");
  auto holder = StartHolder();
  Settings("[Main]\r\nLockTimeout=0\r\n");
  const RunResult r = RunLayrix(p, {"-i", folder, "Late", "-1"}, InWork());
  EXPECT_EQ(r.ExitCode, 1);
  EXPECT_EQ(r.Out, Banner());
  EXPECT_EQ(r.Err,
            "layrix: error: the scenery library 'C:\\FS9\\scenery.cfg' is in use by another "
            "program, and layrix.ini says not to wait for it (LockTimeout=0); nothing was "
            "changed\r\n");
  EXPECT_EQ(Cfg(p), CfgText(SampleAreas()));
  EXPECT_FALSE(PathExists(e2e::BackupPath(p)));
  holder->WriteStdin("\r\n");
  EXPECT_EQ(holder->Finish().ExitCode, 0);
}

TEST_F(ConcurrentRuns, ASmallTimeoutGivesUpHavingSaidItWaits) {
  const std::string folder = AddOn("Late");
  auto holder = StartHolder();
  Settings("[Main]\r\nLockTimeout=2\r\n");
  const RunResult r = RunLayrix(p, {"-i", folder, "Late", "-1"}, InWork());
  EXPECT_EQ(r.ExitCode, 1);
  EXPECT_EQ(r.Out, Banner());
  EXPECT_EQ(r.Err, kWaiting + " (at most 2 seconds)...\r\n" +
                       "layrix: error: the scenery library 'C:\\FS9\\scenery.cfg' was still in use "
                       "by another program after 2 seconds of waiting (LockTimeout in layrix.ini); "
                       "nothing was changed\r\n");
  EXPECT_EQ(Cfg(p), CfgText(SampleAreas()));
  EXPECT_FALSE(PathExists(e2e::BackupPath(p)));
  holder->WriteStdin("\r\n");
  EXPECT_EQ(holder->Finish().ExitCode, 0);
}

TEST_F(ConcurrentRuns, AKilledHolderLeavesNothingLocked) {
  const std::string lost = AddOn("Lost");
  const std::string next = AddOn("Next");
  auto holder = StartHolder("-i \"" + lost + "\" \"Lost\" -1\r\n");
  holder->Kill();
  EXPECT_EQ(holder->Finish().ExitCode, 128 + 9);
  // Not a moment of waiting: the lock went with its holder.
  Settings("[Main]\r\nLockTimeout=0\r\n");
  const RunResult r = RunLayrix(p, {"-i", next, "Next", "-1"}, InWork());
  EXPECT_EQ(r.ExitCode, 0) << r.Err;
  EXPECT_EQ(r.Err, "");
  const std::map<std::string, int> counts = LocalCounts();
  EXPECT_EQ(Count(counts, "addon scenery\\lost"), 0);  // the killed run saved nothing
  EXPECT_EQ(Count(counts, "addon scenery\\next"), 1);
}

TEST_F(ConcurrentRuns, UserBatchAsksItsQuestionsWhileAnotherRunHoldsTheLibrary) {
  AddOn("Asked");
  WriteFile(p.C("Work/install.txt"), "-i \"%b\" \"%u\" -1\r\n");
  auto holder = StartHolder();
  RunOptions answers;
  answers.Stdin = "Addon Scenery\\Asked\r\nAsked Title\r\n";
  RunningLayrix asking(p, {"-bu", "install.txt"}, InWork(answers));
  const std::string questions =
      Banner() + " Enter scenery destination path [FS Addon Scenery]: \r\n  Enter scenery title "
                 "[New scenery]:                 \r\n ";
  // Both questions are asked and answered while the other run holds the
  // library; only then does it wait.
  EXPECT_TRUE(asking.WaitForOutput(questions)) << asking.ErrorSoFar();
  EXPECT_TRUE(asking.WaitForError(kWaiting)) << asking.ErrorSoFar();
  holder->WriteStdin("\r\n");
  EXPECT_EQ(holder->Finish().ExitCode, 0);
  const RunResult r = asking.Finish();
  EXPECT_EQ(r.ExitCode, 0) << r.Err;
  EXPECT_EQ(r.Out, questions + " Processing batch file 'C:\\Work\\install.txt'...\r\n\r\n" +
                       " Inserting layer from C:\\FS9\\Addon Scenery\\Asked\\...\r\n" +
                       "\r\n Done.\r\n\r\n");
  const std::map<std::string, int> counts = LocalCounts();
  EXPECT_EQ(Count(counts, "addon scenery\\asked"), 1);
}

TEST_F(ConcurrentRuns, ABadLibraryIsReportedBeforeTheQuestions) {
  WriteFile(p.C("Work/install.txt"), "-s\r\n");
  auto holder = StartHolder();
  WriteFile(e2e::CfgPath(p), "[Area.001]\r\nLayer=one\r\n");
  RunOptions answers;
  answers.Stdin = "\r\n\r\n";
  const RunResult r = RunLayrix(p, {"-bu", "install.txt"}, InWork(answers));
  EXPECT_EQ(r.ExitCode, 1);
  EXPECT_EQ(r.Out, Banner());  // no question asked
  EXPECT_NE(r.Err.find("'one' is not a valid integer value"), std::string::npos) << r.Err;
  EXPECT_EQ(r.Err.find(kWaiting), std::string::npos) << r.Err;
  holder->WriteStdin("\r\n");
  EXPECT_EQ(holder->Finish().ExitCode, 0);
}

TEST_F(ConcurrentRuns, WithoutAPlaceForTheLockFileRunsGoOnAsBefore) {
  // Something that is not a file in the lock file's place: no lock can be
  // made, as in a folder the user may not write to.  Runs go on without it.
  MakeDirs(p.C("FS9/.layrix.lock"));
  const std::string folder = AddOn("Unlocked");
  RunResult r = RunLayrix(p, {"-g"}, InWork());
  EXPECT_EQ(r.ExitCode, 0);
  EXPECT_EQ(r.Err, "");
  EXPECT_EQ(r.Out, Banner() + " The current scenery.cfg is:\r\n C:\\FS9\\scenery.cfg\r\n\r\n");
  r = RunLayrix(p, {"-i", folder, "Unlocked", "-1"}, InWork());
  EXPECT_EQ(r.ExitCode, 0);
  EXPECT_EQ(r.Err, "");
  EXPECT_EQ(Count(LocalCounts(), "addon scenery\\unlocked"), 1);
}

TEST_F(ConcurrentRuns, TreeCommandsLeaveTheLockFileAlone) {
  // Copying the simulator's folder does not carry the lock file; emptying a
  // folder before a copy and removing a tree do not take it away.
  ASSERT_EQ(RunLayrix(p, {"-g"}, InWork()).ExitCode, 0);
  const std::string lockFile = p.C("FS9/.layrix.lock");
  ASSERT_TRUE(PathExists(lockFile));
  RunResult r = RunLayrix(p, {"-c", "C:\\FS9", "C:\\fs9 copy", "1"}, InWork());
  EXPECT_EQ(r.ExitCode, 0) << r.Err;
  EXPECT_TRUE(PathExists(p.C("fs9 copy/scenery.cfg")));
  EXPECT_FALSE(PathExists(p.C("fs9 copy/.layrix.lock")));

  WriteFile(p.C("fs9 copy/.layrix.lock"), "");
  r = RunLayrix(p, {"-c", "C:\\Mesh", "C:\\fs9 copy", "3"}, InWork());
  EXPECT_EQ(r.ExitCode, 0) << r.Err;
  EXPECT_FALSE(PathExists(p.C("fs9 copy/scenery.cfg")));  // emptied ...
  EXPECT_TRUE(PathExists(p.C("fs9 copy/.layrix.lock")));  // ... but for the lock file

  WriteFile(e2e::CfgPath(p), CfgText({{"Area.001", "All of it", "C:\\fs9 copy", 1, true, false}}));
  r = RunLayrix(p, {"-rf", "C:\\fs9 copy"}, InWork());
  EXPECT_EQ(r.ExitCode, 0) << r.Err;
  EXPECT_EQ(ListTree(p.C("fs9 copy")), std::vector<std::string>{".layrix.lock"});
  EXPECT_TRUE(PathExists(lockFile));
}

}  // namespace
