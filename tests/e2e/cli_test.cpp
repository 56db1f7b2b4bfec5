// The program as a user meets it on the command line: banner, usage text,
// messages, settings, exit codes and what is written to scenery.cfg.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "test_prefix.h"
#include "cfg_text.h"

namespace {

using namespace testing_support;
using e2e::Cfg;
using e2e::CfgText;
using e2e::SampleAreas;

std::string Usage() { return e2e::UsageText(); }

RunOptions Input(const std::string& stdinBytes) {
  RunOptions o;
  o.Stdin = stdinBytes;
  return o;
}

const std::string& kNoCfg = e2e::kNoLibrary;

// True when standard error holds exactly one line.
bool OneLine(const std::string& err) {
  return !err.empty() && err.size() >= 2 && err.substr(err.size() - 2) == "\r\n" &&
         err.find('\n') == err.size() - 1;
}

class Cli : public ::testing::Test {
 protected:
  void SetUp() override { e2e::MakeSample(p); }
  RunResult Run(const std::vector<std::string>& args, const RunOptions& o = {}) {
    return RunLayrix(p, args, o);
  }
  // Nothing was written: the file is as made and no backup exists.
  void ExpectUntouched() {
    EXPECT_EQ(Cfg(p), CfgText(SampleAreas()));
    EXPECT_FALSE(PathExists(e2e::BackupPath(p)));
  }
  TestPrefix p;
};

TEST(CliStart, EmptyCommandLineWithoutScenerycfg) {
  TestPrefix p;
  RunResult r = RunLayrix(p, {});
  EXPECT_EQ(r.ExitCode, 0);
  EXPECT_EQ(r.Out, Banner() + kNoCfg);
  EXPECT_NE(r.Err.find("no simulator is registered"), std::string::npos) << r.Err;
  // Registered, but no scenery.cfg in the folder: the same message, nothing parsed.
  p.RegisterFS9("C:\\FS9");
  MakeDirs(p.C("FS9"));
  r = RunLayrix(p, {"-g"});
  EXPECT_EQ(r.Out, Banner() + kNoCfg);
}

TEST_F(Cli, EmptyCommandLinePrintsTheUsageText) {
  const std::string usage = Usage();
  ASSERT_EQ(std::count(usage.begin(), usage.end(), '\n'), 153);
  RunResult r = Run({});
  EXPECT_EQ(r.ExitCode, 0);
  EXPECT_EQ(r.Out, Banner() + usage);
  EXPECT_EQ(r.Err, "");
  ExpectUntouched();
}

TEST_F(Cli, InvalidCommandsPrintTheUsageText) {
  const std::vector<std::vector<std::string>> invalid = {
      {"-g", "extra"}, {"-q"}, {"-d"}, {"-c", "C:\\FS9", "C:\\x", "4"},
      {"-c", "C:\\FS9", "C:\\x", "-1"}, {"-v-", "5", "9", "16384"}, {"-v-", "5", "9", "abc"},
      {"-v+", "5", "8", "1"}, {"-v-", "5", "x", "1"}, {"-f", "scenery\\world"}};
  for (const auto& args : invalid) {
    RunResult r = Run(args);
    EXPECT_EQ(r.ExitCode, 0) << args[0];
    EXPECT_EQ(r.Out, Banner() + Usage()) << args[0] << " " << args.size();
  }
  ExpectUntouched();
}

TEST_F(Cli, GetPathIsCaseInsensitiveOnTheCommandLine) {
  const std::string expected =
      Banner() + Lines({" The current scenery.cfg is:", " C:\\FS9\\scenery.cfg", ""});
  EXPECT_EQ(Run({"-g"}).Out, expected);
  RunResult r = Run({"-G"});
  EXPECT_EQ(r.ExitCode, 0);
  EXPECT_EQ(r.Out, expected);
  ExpectUntouched();
}

TEST_F(Cli, FifthWordDroppedAndTitleLowerCased) {
  MakeDirs(p.C("FS9/Addon Scenery/NewPlace/scenery"));
  RunResult r = Run({"-i", "Addon Scenery\\NewPlace", "My Title", "3", "extra"});
  EXPECT_EQ(r.ExitCode, 0);
  EXPECT_EQ(r.Out, Banner());
  auto areas = SampleAreas();
  areas[2].Layer = 4;
  areas[3].Layer = 5;
  areas[4].Layer = 6;
  areas.push_back({"Area.006", "my title", "addon scenery\\newplace", 3, true, false});
  EXPECT_EQ(Cfg(p), CfgText(areas));
  EXPECT_EQ(ReadFile(e2e::BackupPath(p)), CfgText(SampleAreas()));
}

TEST_F(Cli, FindActivatesOnlyForTheWordOne) {
  RunResult r = Run({"-f", "Addon Scenery\\OldAirport", "2"});
  EXPECT_EQ(r.Out, Banner() + Lines({" Result (-1 = not found): 4"}));
  ExpectUntouched();
  r = Run({"-f", "Addon Scenery\\OldAirport\\", "1"});
  EXPECT_EQ(r.Out, Banner() + Lines({" Result (-1 = not found): 4"}));
  auto areas = SampleAreas();
  areas[3].Active = true;
  EXPECT_EQ(Cfg(p), CfgText(areas));
}

TEST_F(Cli, PathVariables) {
  // %A is %a; the full form of a stored relative folder is the same folder.
  RunResult r = Run({"-f", "%A\\OldAirport", "0"});
  EXPECT_EQ(r.Out, Banner() + Lines({" Result (-1 = not found): 4"}));
  // An unknown variable spoils the path: it names no folder.
  r = Run({"-f", "%q\\x", "0"});
  EXPECT_EQ(r.Out, Banner() + Lines({" Scenery or source path does not exist!", ""}));
  // Outside a batch %b is empty.
  r = Run({"-f", "%bScenery\\World", "0"});
  EXPECT_EQ(r.Out, Banner() + Lines({" Result (-1 = not found): 1"}));
  // A doubled backslash is written as one.
  r = Run({"-f", "Addon Scenery\\\\OldAirport", "0"});
  EXPECT_EQ(r.Out, Banner() + Lines({" Result (-1 = not found): 4"}));
  ExpectUntouched();
}

TEST_F(Cli, FolderTestsAndMissingBatchFile) {
  RunResult r = Run({"-i", "nowhere", "t", "-1"});
  EXPECT_EQ(r.ExitCode, 0);
  EXPECT_EQ(r.Out, Banner() + Lines({" Scenery or source path does not exist!", ""}));
  // A file is not a folder.
  r = Run({"-ia", "C:\\FS9\\scenery.cfg"});
  EXPECT_EQ(r.Out, Banner() + Lines({" Scenery or source path does not exist!", ""}));
  r = Run({"-c", "C:\\nothere", "C:\\dst", "1"});
  EXPECT_EQ(r.Out, Banner() + Lines({" Scenery or source path does not exist!", ""}));
  r = Run({"-b", "nothere.txt"});
  EXPECT_EQ(r.ExitCode, 0);
  EXPECT_EQ(r.Out, Banner() + Lines({" Batch file does not exist!", ""}));
  // Given words, "-bu" asks nothing before it reports the missing file.
  r = Run({"-bu", "missing.txt", "x", "y"});
  EXPECT_EQ(r.Out, Banner() + Lines({" Batch file does not exist!", ""}));
  ExpectUntouched();
}

TEST_F(Cli, PathRelativeToTheSimulatorFolderIsAccepted) {
  // "scenery\world" exists only below C:\FS9, not below the current folder.
  RunResult r = Run({"-f", "Scenery\\World", "0"});
  EXPECT_EQ(r.Out, Banner() + Lines({" Result (-1 = not found): 1"}));
}

TEST_F(Cli, BglArgumentsAccepted) {
  RunResult r = Run({"-v-", "5", "9", "0x3fff"});
  EXPECT_EQ(r.ExitCode, 0);
  EXPECT_EQ(r.Out, Banner());
  ExpectUntouched();
}

TEST_F(Cli, StrictIntegerStopsTheRun) {
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"-v-", "x", "9", "1"}, "'x'"},
      {{"-md", "abc"}, "'abc'"},
      {{"-i", "Addon Scenery", "t", "1.5"}, "'1.5'"},
      {{"-c", "C:\\FS9", "C:\\x", "one"}, "'one'"}};
  for (const auto& [args, offending] : cases) {
    RunResult r = Run(args);
    EXPECT_EQ(r.ExitCode, 1) << args[0];
    EXPECT_EQ(r.Out, Banner()) << args[0];
    EXPECT_TRUE(OneLine(r.Err)) << r.Err;
    EXPECT_NE(r.Err.find(offending), std::string::npos) << r.Err;
  }
  ExpectUntouched();
}

TEST_F(Cli, PauseWaitsForEnterOrGoesOnWithoutInput) {
  RunResult r = Run({"-p", "hello"}, Input("\n"));
  EXPECT_EQ(r.ExitCode, 0);
  EXPECT_EQ(r.Out, Banner());
  RunOptions closed;
  closed.CloseStdin = true;
  r = Run({"-p", "hello"}, closed);
  EXPECT_EQ(r.ExitCode, 0);
  EXPECT_EQ(r.Out, Banner());
  r = Run({"-p", "hello"}, Input(""));
  EXPECT_EQ(r.ExitCode, 0);
  ExpectUntouched();
}

// ------------------------------------------------------------ settings

class Settings : public ::testing::Test {
 protected:
  void SetUp() override {
    e2e::MakeSample(p);
    p.RegisterFSX("C:\\FSX");
    MakeDirs(p.C("FSX"));
    WriteFile(p.C("ProgramData/Microsoft/FSX/scenery.cfg"), CfgText({}));
  }
  std::string GetPath() { return RunLayrix(p, {"-g"}).Out; }
  static std::string PathLines(const std::string& cfg) {
    return Banner() + Lines({" The current scenery.cfg is:", " " + cfg, ""});
  }
  TestPrefix p;
};

TEST_F(Settings, ForceVersion) {
  EXPECT_EQ(GetPath(), PathLines("C:\\ProgramData\\Microsoft\\FSX\\scenery.cfg"));
  WriteFile(p.Work() + "/layrix.ini", "[Main]\r\nForceVersion=9\r\n");
  EXPECT_EQ(GetPath(), PathLines("C:\\FS9\\scenery.cfg"));
  WriteFile(p.Work() + "/layrix.ini", "[Main]\r\nForceVersion=abc\r\n");
  EXPECT_EQ(GetPath(), PathLines("C:\\ProgramData\\Microsoft\\FSX\\scenery.cfg"));
  WriteFile(p.Work() + "/layrix.ini", "[Main]\nForceVersion=$9\n");
  EXPECT_EQ(GetPath(), PathLines("C:\\FS9\\scenery.cfg"));
  // Only the current folder counts.
  MakeDirs(p.Work() + "/elsewhere");
  RunOptions o;
  o.Cwd = p.Work() + "/elsewhere";
  EXPECT_EQ(RunLayrix(p, {"-g"}, o).Out, PathLines("C:\\ProgramData\\Microsoft\\FSX\\scenery.cfg"));
}

// Runs "-v-" on the add-on layer holding one airport BGL file and returns
// the names in its scenery folder.
std::vector<std::string> SwitchOff(TestPrefix& p, const std::string& ini) {
  const std::string folder = p.C("FS9/Addon Scenery/OldAirport/scenery");
  for (const auto& name : ListTree(folder)) std::remove((folder + "/" + name).c_str());
  WriteFile(folder + "/apt.bgl", e2e::NewBgl({3}));
  if (ini.empty())
    std::remove((p.Work() + "/layrix.ini").c_str());
  else
    WriteFile(p.Work() + "/layrix.ini", ini);
  RunResult r = RunLayrix(p, {"-v-", "4", "0", "1"});
  EXPECT_EQ(r.ExitCode, 0);
  EXPECT_EQ(r.Out, Banner());
  return ListTree(folder);
}

TEST_F(Settings, RenameExtension) {
  using V = std::vector<std::string>;
  std::string fs9 = "[Main]\r\nForceVersion=9\r\n";
  EXPECT_EQ(SwitchOff(p, fs9), V({"apt.~bgl"}));
  EXPECT_EQ(SwitchOff(p, fs9 + "RenameExtension=off\r\n"), V({"apt.off"}));
  EXPECT_EQ(SwitchOff(p, fs9 + "RenameExtension=.old\r\n"), V({"apt.old"}));
  EXPECT_EQ(SwitchOff(p, fs9 + "RenameExtension=\r\n"), V({"apt.~bgl"}));
  // And back again with the same extension.
  SwitchOff(p, fs9 + "RenameExtension=off\r\n");
  RunLayrix(p, {"-v+", "4", "9", "1"});
  EXPECT_EQ(ListTree(p.C("FS9/Addon Scenery/OldAirport/scenery")), V({"apt.bgl"}));
}

// ------------------------------------------------------------ failures

TEST(CliFailures, BadScenerycfgValueStopsBeforeAnything) {
  TestPrefix p;
  const std::string bad =
      "[General]\r\nTitle=x\r\nClean_on_Exit=TRUE\r\n[Area.001]\r\nLocal=Addon Scenery\r\nLayer=abc\r\nActive=TRUE\r\n"
      "Required=FALSE\r\n";
  p.MakeFS9(bad);
  RunResult r = RunLayrix(p, {"-s"});
  EXPECT_EQ(r.ExitCode, 1);
  EXPECT_EQ(r.Out, Banner());
  EXPECT_TRUE(OneLine(r.Err)) << r.Err;
  EXPECT_NE(r.Err.find("abc"), std::string::npos) << r.Err;
  EXPECT_EQ(Cfg(p), bad);
  EXPECT_FALSE(PathExists(e2e::BackupPath(p)));

  WriteFile(e2e::CfgPath(p), "[Area.001]\r\nLocal=x\r\nLayer=1\r\nActive=yes\r\nRequired=FALSE\r\n");
  r = RunLayrix(p, {"-g"});
  EXPECT_EQ(r.ExitCode, 1);
  EXPECT_NE(r.Err.find("yes"), std::string::npos) << r.Err;
}

TEST_F(Cli, ReadOnlyScenerycfgIsAFailureAndChangesNothing) {
  WriteFile(e2e::BackupPath(p), "old backup");
  chmod(e2e::CfgPath(p).c_str(), 0444);
  RunResult r = Run({"-s"});
  EXPECT_EQ(r.ExitCode, 1);
  EXPECT_EQ(r.Out, Banner());
  EXPECT_TRUE(OneLine(r.Err)) << r.Err;
  EXPECT_NE(r.Err.find("scenery.cfg"), std::string::npos) << r.Err;
  EXPECT_EQ(Cfg(p), CfgText(SampleAreas()));
  EXPECT_EQ(ReadFile(e2e::BackupPath(p)), "old backup");
}

TEST_F(Cli, FailedBackupIsAFailure) {
  WriteFile(e2e::BackupPath(p), "old backup");
  chmod(e2e::BackupPath(p).c_str(), 0444);
  RunResult r = Run({"-s"});
  EXPECT_EQ(r.ExitCode, 1);
  EXPECT_EQ(r.Out, Banner());
  EXPECT_TRUE(OneLine(r.Err)) << r.Err;
  EXPECT_EQ(Cfg(p), CfgText(SampleAreas()));
  EXPECT_EQ(ReadFile(e2e::BackupPath(p)), "old backup");
}

TEST_F(Cli, ACommandThatChangesNothingWritesNothing) {
  for (const auto& args : std::vector<std::vector<std::string>>{
           {"-d", "999"}, {"-d", "1"}, {"-t", "2"}, {"-md", "1"}, {"-mu", "5"},
           {"-dt", "no such title"}, {"-a", "-1"}, {"-x", "0"}, {"-i", "Addon Scenery", "x", "-1"}}) {
    RunResult r = Run(args);
    EXPECT_EQ(r.ExitCode, 0) << args[0];
    EXPECT_EQ(r.Out, Banner()) << args[0];
    ExpectUntouched();
  }
}

}  // namespace

namespace {

// A reader that closes its end early must not stop the run half-way: the
// batch goes on and the library is saved.
TEST(CliFailures, ClosedOutputPipeDoesNotStopTheRun) {
  TestPrefix p;
  e2e::MakeSample(p);
  std::string batch;
  for (int i = 0; i < 2000; ++i) batch += "-g\r\n";
  batch += "-t 4\r\n";
  WriteFile(p.Work() + "/big.txt", batch);
  WriteFile(p.Work() + "/run.sh", "cd '" + p.Work() + "' && WINEPREFIX='" + p.Prefix() + "' '" LAYRIX_EXE
                                     "' -b big.txt | head -c 1 >/dev/null; exit ${PIPESTATUS[0]}\n");
  const int status = std::system(("bash '" + p.Work() + "/run.sh'").c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_NE(Cfg(p).find("Title=Old Airport\r\nLocal=Addon Scenery\\OldAirport\r\nLayer=4\r\nActive=TRUE"),
            std::string::npos);
}

}  // namespace
