// The library's history end to end: the states kept by runs in sequence
// (changes, undos, a batch file, runs that change nothing, a short
// History=), the listing, the difference, the refusals, a state that
// cannot be kept, and a run killed while it keeps one.
#include <gtest/gtest.h>

#include <errno.h>

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <regex>

#include "cfg_text.h"
#include "in_process.h"
#include "test_prefix.h"

namespace {

using namespace testing_support;
using e2e::Area;
using e2e::Cfg;

std::string HistoryDir(const TestPrefix& p) { return p.C("FS9/.layrix.history"); }

// The kept copies of scenery.cfg, oldest first.
std::vector<std::string> KeptStates(const TestPrefix& p) {
  std::vector<std::string> names;
  if (!PathExists(HistoryDir(p))) return {};
  for (const auto& e : std::filesystem::directory_iterator(HistoryDir(p))) {
    const std::string name = e.path().filename().string();
    if (name.size() > 4 && name.substr(name.size() - 4) == ".cfg") names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  std::vector<std::string> states;
  for (const std::string& name : names) states.push_back(ReadFile(HistoryDir(p) + "/" + name));
  return states;
}

// Output with every time shown as "<time>".
std::string WithoutTimes(const std::string& text) {
  static const std::regex time(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d)");
  return std::regex_replace(text, time, "<time>");
}

class History : public ::testing::Test {
 protected:
  void SetUp() override {
    e2e::MakeSample(p);
    MakeDirs(p.C("FS9/Addon Scenery/New Field/scenery"));
  }
  RunResult Run(const std::vector<std::string>& args) { return RunLayrix(p, args); }
  // What "-hist" prints after the banner, times masked.
  std::string Hist() {
    const RunResult r = Run({"-hist"});
    EXPECT_EQ(r.ExitCode, 0) << r.Err;
    return WithoutTimes(r.Out.substr(Banner().size()));
  }
  TestPrefix p;
};

std::string HistText(const std::vector<std::string>& states, int limit = 20) {
  std::vector<std::string> lines = {" Kept states of C:\\FS9\\scenery.cfg, newest first:"};
  for (const std::string& s : states) lines.push_back(s);
  lines.push_back(" " + std::to_string(states.size()) + (states.size() == 1 ? " state" : " states") +
                  " kept, at most " + std::to_string(limit) + " (History in layrix.ini)");
  lines.push_back("");
  return Lines(lines);
}

// Runs in sequence, each checked by the file it leaves (the file of an
// earlier step, or a new one) and by the listing of the kept states.
TEST_F(History, RunsInSequenceKeepOneStatePerChange) {
  struct Step {
    std::vector<std::string> Args;  // a command line; empty: the batch file below
    int SameAs;                     // the step whose file it leaves (0: the start); -1: a new file
    std::string Hist;               // the newest state's line of "-hist" afterwards
  };
  const std::string oneChanged = "(0 added, 0 removed, 1 changed)";
  const std::vector<Step> steps = {
      {{"-ft", "Old Airport", "1"}, -1, "-ft \"Old Airport\" 1  " + oneChanged},
      {{"-d", "5"}, -1, "-d 5  (0 added, 1 removed, 0 changed)"},
      // Back to the start: the file before the undo is kept too.
      {{"-undo", "2"}, 0, "-undo 2  (1 added, 0 removed, 1 changed)"},
      // The undo undone.
      {{"-undo"}, 2, "-undo  (0 added, 1 removed, 1 changed)"},
      // A batch file of two changes keeps one state, with its own command line.
      {{}, -1, "-b run.txt  (1 added, 0 removed, 1 changed)"},
  };
  std::vector<std::string> hist;  // newest first, as listed
  std::vector<std::string> files = {Cfg(p)};
  for (size_t i = 0; i < steps.size(); ++i) {
    const Step& step = steps[i];
    SCOPED_TRACE("step " + std::to_string(i + 1));
    const RunResult r = step.Args.empty()
                            ? e2e::RunBatchLines(p, {"-t 4", "-i \"%f\\Addon Scenery\\New Field\" "
                                                             "\"New Field\" -1"})
                            : Run(step.Args);
    ASSERT_EQ(r.ExitCode, 0) << r.Err;
    const std::string now = Cfg(p);
    if (step.SameAs >= 0)
      EXPECT_EQ(now, files[size_t(step.SameAs)]);
    else
      EXPECT_NE(now, files.back());
    // The state kept last is the file before this step, byte for byte.
    const std::vector<std::string> kept = KeptStates(p);
    ASSERT_EQ(kept.size(), i + 1);
    EXPECT_EQ(kept.back(), files.back());
    files.push_back(now);
    hist.insert(hist.begin(), step.Hist);
    std::vector<std::string> lines;
    for (size_t n = 0; n < hist.size(); ++n) lines.push_back("  " + std::to_string(n + 1) + "  <time>  " + hist[n]);
    EXPECT_EQ(Hist(), HistText(lines));
  }
  // Runs that change nothing keep nothing: a find, an activation of an
  // active layer (saved all the same), a toggle of a required layer, a
  // listing, the history itself.
  const std::string before = Hist();
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{"-f", "Addon Scenery", "0"}, {"-a", "3"}, {"-t", "1"}, {"-l"},
                                             {"-diff", "2"}, {"-hist"}})
    EXPECT_EQ(Run(args).ExitCode, 0);
  EXPECT_EQ(KeptStates(p).size(), steps.size());
  EXPECT_EQ(Hist(), before);
  EXPECT_EQ(Cfg(p), files.back());

  // History=3: six more changes leave the three newest states.
  WriteFile(p.Work() + "/layrix.ini", "[Main]\r\nHistory=3\r\n");
  for (int i = 0; i < 6; ++i) {
    ASSERT_EQ(Run({"-t", "3"}).ExitCode, 0);
    files.push_back(Cfg(p));
  }
  EXPECT_EQ(KeptStates(p), std::vector<std::string>(files.end() - 4, files.end() - 1));
  EXPECT_EQ(Hist(), HistText({"  1  <time>  -t 3  " + oneChanged, "  2  <time>  -t 3  " + oneChanged,
                              "  3  <time>  -t 3  " + oneChanged},
                             3));
  // History=0 keeps nothing more, and an undo, which could not keep the
  // current file, is refused.
  WriteFile(p.Work() + "/layrix.ini", "[Main]\r\nHistory=0\r\n");
  ASSERT_EQ(Run({"-t", "3"}).ExitCode, 0);
  EXPECT_EQ(KeptStates(p).size(), 3u);
  EXPECT_NE(Hist().find(" 3 states kept, no more while History=0 in layrix.ini\r\n"), std::string::npos);
  const std::string last = Cfg(p);
  const RunResult undo = Run({"-undo"});
  EXPECT_EQ(undo.Out, Banner());
  EXPECT_NE(undo.Err.find("History=0"), std::string::npos) << undo.Err;
  EXPECT_EQ(Cfg(p), last);
}

TEST_F(History, DiffTellsAreasAddedRemovedAndChanged) {
  // An area written with its full path is the same area (the simulator
  // folder is the library's).
  std::vector<Area> areas = e2e::SampleAreas();
  areas[3] = {"Area.004", "Old Airport (fixed)", "C:\\FS9\\Addon Scenery\\OldAirport", 6, true, false};
  areas.erase(areas.begin() + 4);                      // the mesh removed
  areas.push_back({"Area.006", "New Field", "Addon Scenery\\New Field", 5, false, false});
  // Made by hand, then changed by a run: the file made by hand is kept.
  WriteFile(e2e::CfgPath(p), e2e::CfgText(areas));
  ASSERT_EQ(Run({"-t", "5"}).ExitCode, 0);
  ASSERT_EQ(KeptStates(p).size(), 1u);

  // Against the sample, as a state of its own.
  WriteFile(HistoryDir(p) + "/scenery.000000.cfg", e2e::CfgText(e2e::SampleAreas()));
  const RunResult r = Run({"-diff", "2"});
  EXPECT_EQ(r.ExitCode, 0) << r.Err;
  EXPECT_EQ(WithoutTimes(r.Out),
            Banner() + Lines({" Changes from state 2 (<time>, before a run whose command line was not kept) to "
                              "C:\\FS9\\scenery.cfg:",
                              " added    Addon Scenery\\New Field: layer 5, on, \"New Field\"",
                              " removed  C:\\Mesh: layer 5, on, \"Mesh\"",
                              " changed  C:\\FS9\\Addon Scenery\\OldAirport: layer 4 -> 6, off -> on, "
                              "title \"Old Airport\" -> \"Old Airport (fixed)\", folder "
                              "\"Addon Scenery\\OldAirport\" -> \"C:\\FS9\\Addon Scenery\\OldAirport\"",
                              " 1 added, 1 removed, 1 changed", ""}));
  // The last change: one toggle.
  EXPECT_EQ(WithoutTimes(Run({"-diff"}).Out),
            Banner() + Lines({" Changes from state 1 (<time>, before layrix -t 5) to C:\\FS9\\scenery.cfg:",
                              " changed  Addon Scenery\\New Field: off -> on",
                              " 0 added, 0 removed, 1 changed", ""}));
}

TEST_F(History, RefusalsChangeNothing) {
  ASSERT_EQ(Run({"-t", "4"}).ExitCode, 0);
  ASSERT_EQ(Run({"-t", "4"}).ExitCode, 0);
  const std::string cfg = Cfg(p);
  const std::string backup = ReadFile(e2e::BackupPath(p));
  const auto unchanged = [&] {
    EXPECT_EQ(Cfg(p), cfg);
    EXPECT_EQ(ReadFile(e2e::BackupPath(p)), backup);
    EXPECT_EQ(KeptStates(p).size(), 2u);
  };
  RunResult r = Run({"-undo", "3"});
  EXPECT_EQ(r.Out, Banner());
  EXPECT_EQ(r.Err, "layrix: there is no state 3 of C:\\FS9\\scenery.cfg; the states kept are 1 "
                   "to 2 (-hist lists them); nothing changed\r\n");
  EXPECT_EQ(Run({"-undo", "0"}).Out, Banner() + e2e::UsageText());
  unchanged();
  EXPECT_NE(Run({"-diff", "1", "2"}).Err.find("'-diff' takes at most 1 argument"), std::string::npos);
  // State 2 is the file as it is now: nothing to do.
  EXPECT_NE(Run({"-undo", "2"}).Err.find("is the same as state 2 already"), std::string::npos);
  unchanged();
  // A batch file skips them, as it skips -b.
  const RunResult batch = e2e::RunBatchLines(p, {"-undo 1", "-hist", "-diff"});
  EXPECT_EQ(batch.Out, e2e::BatchOutput({}));
  EXPECT_EQ(batch.Err,
            Lines({"layrix: skipped line 1 of C:\\Setup\\run.txt: '-undo' is a command-line option; "
                   "a batch file cannot run it",
                   "layrix: skipped line 2 of C:\\Setup\\run.txt: '-hist' is a command-line option; "
                   "a batch file cannot run it",
                   "layrix: skipped line 3 of C:\\Setup\\run.txt: '-diff' is a command-line option; "
                   "a batch file cannot run it"}));
  unchanged();
  // No history yet in another library.
  RemoveAll(HistoryDir(p));
  EXPECT_EQ(Run({"-hist"}).Out, Banner() + Lines({" No earlier states of C:\\FS9\\scenery.cfg are kept.", ""}));
  EXPECT_EQ(Run({"-diff"}).Err, "layrix: no earlier states of C:\\FS9\\scenery.cfg are kept, so there "
                                "is no state 1; nothing changed\r\n");
}

// A library an installer broke (a value that does not read) can still be
// listed against and put back.
TEST_F(History, BrokenLibraryIsPutBack) {
  ASSERT_EQ(Run({"-t", "4"}).ExitCode, 0);
  const std::string good = Cfg(p);
  const std::string broken = good + "[Area.009]\r\nLayer=nine\r\n";
  WriteFile(e2e::CfgPath(p), broken);
  EXPECT_EQ(Run({"-l"}).ExitCode, 1);
  EXPECT_NE(Hist().find("(the current file does not read as a library)"), std::string::npos);
  EXPECT_EQ(Run({"-diff"}).ExitCode, 1);
  // State 1 is the file before the toggle; the broken one is kept first.
  ASSERT_EQ(Run({"-undo"}).ExitCode, 0);
  EXPECT_EQ(Cfg(p), KeptStates(p)[0]);
  EXPECT_EQ(KeptStates(p).back(), broken);
  EXPECT_EQ(ReadFile(e2e::BackupPath(p)), broken);
}

// A state that cannot be kept stops the run before anything is written,
// and names the remedy; History=0 lets the same change through.
TEST_F(History, StateThatCannotBeKeptStopsTheSave) {
  const std::string before = Cfg(p);
  using Fault = InjectedFault;
  for (const Fault& fault : {Fault{Fault::MakeFolder, ".layrix.history", ENOSPC},
                             Fault{Fault::Write, ".layrix-*.tmp", EIO, 2},
                             Fault{Fault::Rename, "scenery.000001.cfg", EIO}}) {
    const RunResult r = RunInProcess(p, {"-t", "4"}, "", {fault});
    EXPECT_EQ(r.ExitCode, 1);
    EXPECT_NE(r.Err.find("cannot keep the state of C:\\FS9\\scenery.cfg before changing it"),
              std::string::npos)
        << r.Err;
    EXPECT_NE(r.Err.find("nothing was changed (History=0 in layrix.ini turns the history off)"),
              std::string::npos)
        << r.Err;
    EXPECT_EQ(Cfg(p), before);
    EXPECT_FALSE(PathExists(e2e::BackupPath(p)));
    EXPECT_TRUE(KeptStates(p).empty());
    if (PathExists(HistoryDir(p))) {
      for (const std::string& name : ListTree(HistoryDir(p)))
        EXPECT_EQ(name.find(".layrix-"), std::string::npos) << name;
    }
  }
  WriteFile(p.Work() + "/layrix.ini", "[Main]\r\nHistory=0\r\n");
  const RunResult r = RunInProcess(p, {"-t", "4"}, "", {{Fault::MakeFolder, ".layrix.history", ENOSPC}});
  EXPECT_EQ(r.ExitCode, 0) << r.Err;
  EXPECT_NE(Cfg(p), before);
}

// Killed at random moments while a state is kept and the file saved:
// scenery.cfg is the old or the new file, every kept state is the old file
// whole, the new file never stands without its state, and the history
// lists.
TEST(HistoryKilled, KilledAtRandomMomentsLeavesHistoryThatReads) {
  TestPrefix p;
  const std::string oldText = e2e::CfgText(e2e::NumberedLibrary(5000));
  p.MakeFS9(oldText);
  const std::string cfg = p.C("FS9/scenery.cfg");
  const std::vector<std::string> command = {"-t", "2"};
  std::string newText;
  int leftOld = 0, leftNew = 0, stateKept = 0;
  auto reset = [&] {
    WriteFile(cfg, oldText);
    RemoveAll(HistoryDir(p));
  };
  auto check = [&](const std::string& what) {
    const std::string now = ReadFile(cfg);
    ASSERT_TRUE(now == oldText || now == newText) << what << ": scenery.cfg is not whole";
    const std::vector<std::string> kept = KeptStates(p);
    ASSERT_LE(kept.size(), 1u) << what;
    if (!kept.empty()) {
      ASSERT_EQ(kept[0], oldText) << what << ": the kept state is not the old file whole";
      ++stateKept;
    }
    if (now == newText) {
      ASSERT_EQ(kept.size(), 1u) << what << ": the new file was written before its state was kept";
      ++leftNew;
    } else {
      ++leftOld;
    }
    const RunResult hist = RunLayrix(p, {"-hist"});
    ASSERT_EQ(hist.ExitCode, 0) << what << ": " << hist.Err;
    // A run killed after keeping the state but before writing the new file
    // leaves a state that is the file as it is.
    const std::string line = now == newText ? "  1  <time>  -t 2  (0 added, 0 removed, 1 changed)\r\n"
                                            : "  1  <time>  -t 2  (0 added, 0 removed, 0 changed)\r\n";
    ASSERT_EQ(WithoutTimes(hist.Out).find(line) != std::string::npos, !kept.empty())
        << what << ": " << hist.Out;
  };
  reset();
  ASSERT_EQ(RunLayrix(p, command).ExitCode, 0);
  newText = ReadFile(cfg);
  ASSERT_NE(newText, oldText);

  const KillTrials t = RunKilledAtRandomMoments(p, command, 60, 20261210, reset, check);
  std::cout << "[ figures  ] " << t.Trials << " trials within " << t.WindowMicros << " us: " << t.Killed
            << " killed, " << leftOld << " left the old file, " << leftNew << " the new one; "
            << stateKept << " kept the state\n";
  EXPECT_GE(t.Killed, 60);
}

}  // namespace
