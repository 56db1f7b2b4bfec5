// The program as a user meets it on the command line: banner, usage text,
// messages, settings, exit codes and what is written to scenery.cfg.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>

#include "test_prefix.h"
#include "cfg_text.h"

namespace {

using namespace testing_support;
using e2e::Cfg;
using e2e::CfgText;
using e2e::SampleAreas;

// The usage text, line by line.
const std::vector<std::string> kUsage = {
    " Usage: layrix < command line option >",
    "",
    " Valid command line options:",
    " -g                              get current path of 'scenery.cfg'",
    " -l                              list all scenery areas, highest layer first",
    " -f scnpath activate             does scenery 'scnpath' already exist in",
    "                                 scenery.cfg?",
    "                                 -> returns the layer number if found",
    "                                 -> layer numer is internally stored for",
    "                                    following operation in batch process",
    "                                   activate = 0   leaves the 'active'",
    "                                                  status unchanged if the",
    "                                                  scenery path is found",
    "                                   activate = 1   activates the scenery if the",
    "                                                  scenery path is found",
    " -ft title activate              same as option '-f', uses 'title' instead",
    " -s                              sort all [Area.xxx] entries by ascending",
    "                                 layer order",
    " -md layernum                    move down layer 'layernum'",
    "                                 (reduce/decrement priority)",
    "                                   layernum = -1   use result from -f operation",
    " -mu layernum                    move up layer 'layernum'",
    "                                 (increment priority)",
    "                                   layernum = -1   use result from -f operation",
    " -i scnpath title layernum       insert and activate new scenery in 'scnpath'",
    "                                 with 'title' at layer position 'layernum'",
    "                                   layernum = -1    add scenery at next",
    "                                                    available layer",
    "                                 -> other layers are adjusted accordingly",
    "                                 -> 'scnpath' must be an existing folder",
    " -d layernum                     delete scenery at layer 'layernum'",
    "                                 from scenery.cfg",
    "                                   layernum = -1   use result from -f operation",
    "                                 -> other layers are adjusted accordingly",
    "                                 -> required entries will never be deleted!",
    "                                 -> scenery files will not be deleted",
    " -dt title                       delete scenery with title 'title'",
    "                                 from scenery.cfg",
    "                                 -> other layers are adjusted accordingly",
    "                                 -> required entries will never be deleted!",
    "                                 -> scenery files will not be deleted",
    " -di                             delete all inactive scenery from scenery.cfg",
    "                                 -> required entries will never be deleted!",
    "                                 -> other layers are adjusted accordingly",
    "                                 -> scenery files will not be deleted",
    " -a layernum                     activate scenery at layer 'layernum'",
    " -t layernum                     toggle activation status of scenery",
    "                                 at layer 'layernum'",
    "                                   layernum = -1   use result from -f operation",
    "",
    " Advanced functions (recommended only for experienced users):",
    " -c srcpath dstpath overwrite    copy all files from 'srcpath' to 'dstpath'",
    "                                   overwrite = 0   do not overwrite files",
    "                                   overwrite = 1   do overwrite existing files",
    "                                   overwrite = 2   do only overwrite existing",
    "                                                   files if they are older",
    "                                   overwrite = 3   empty existing folder",
    "                                                   structure before copy",
    "                                                   (for switching between",
    "                                                    scenery versions)",
    "                                 -> does only copy files, the scenery.cfg",
    "                                    is not changed (use additional -i command)!",
    "                                 -> copies all sub-folders too",
    " -r layernum                     delete scenery path found at",
    "                                 layer 'layernum' from disk",
    "                                   layernum = -1: use result from -f operation",
    "                                 -> does only delete files, the scenery.cfg",
    "                                    is not changed (use additional -d command)!",
    "                                 -> required entries will never be deleted!",
    "                                 -> deletes all sub-folders as well",
    " -rf scnpath                     delete scenery path 'scnpath'",
    "                                 from disk (similar to '-r' option)",
    "                                 -> checks if 'scnpath' is contained",
    "                                    in 'scenery.cfg' before operation",
    " -ia scnpath                     automatically add all new scenery paths",
    "                                 within 'scnpath', title will be the name",
    "                                 of each scenery path found; manual layer",
    "                                 adjustment required",
    " -x autoremove                   check scenery.cfg for corrupted or",
    "                                 non-existing entries",
    "                                   autoremove = 0  only report errors",
    "                                   autoremove = 1  remove corrupt entries",
    "                                 -> other layers are adjusted accordingly",
    "                                 -> required entries will never be deleted!",
    "                                 -> scenery/texture  files will not be deleted",
    " -v- layernum version filter     rename all BGL files in layer 'layernum'",
    "                                 matching the conditions in 'version' and",
    "                                 'filter' to '~bgl' to inactivate them",
    "                                   version - files matching BGL version",
    "                                             0 (=all versions) / 6 / 7 / 9 / 10",
    "                                   filter  - BGL file contents",
    "                                             1    = airport/facilities",
    "                                             2    = VOR",
    "                                             4    = NDB",
    "                                             8    = static scenery",
    "                                             16   = dynamic scenery (FS6/7)",
    "                                             32   = model/library",
    "                                             64   = seeds (FS6)",
    "                                             128  = miscellaneous (FS6/7)",
    "                                                    including marker/flatten",
    "                                             256  = exclusion",
    "                                             512  = FS9 marker",
    "                                             1024 = FS9/10 waypoint",
    "                                             2048 = FS9/10 traffic",
    "                                                    (set version to 7!)",
    "                                             4096 = VTP/LWM/LC/photo terrain",
    "                                                    (set version to 7!)",
    "                                             8192 = FS10 vector",
    "                                             16383 = any content",
    "                                 -> filter behaves as a bit mask,",
    "                                    e.g. filter=3 will match files with",
    "                                    airport data, VOR data, or both",
    "                                 -> filter numbers starting with '0x'",
    "                                    will be recognized as hex format",
    "                                 -> the renaming extension can be set in",
    "                                    the 'layrix.ini' file",
    " -v+ layernum type filter        rename all inactive files of type '~bgl'",
    "                                 to 'bgl' for reactivation",
    "                                 -> parameters identical to '-v-'",
    " -b filename.txt                 process the text file 'filename.txt',",
    "                                 containing a list of Layrix",
    "                                 instructions (all of the above are usable)",
    " -bu filename.txt scnpath title  same as option '-b', automatically inserts",
    "                                 'scnpath' and 'title' for variables '%b'",
    "                                 and '%u' within the batch file 'filename.txt'",
    "                                 -> within batch files all characters after",
    "                                    ';' are considered as comment",
    " -p message                      print out 'message' and wait for enter",
    "",
    " 'scnpath', 'srcpath' and 'dstpath' may use the following variables:",
    "                                 %c - current folder",
    "                                 %p - temp folder",
    "                                 %f - FS program folder",
    "                                 %a - FS addon scenery folder",
    "                                 %s - FS main scenery folder",
    "                                 %t - FS main texture folder",
    "                                 %x - FS effects folder",
    "                                 %b - folder entered by user during batch",
    " 'title' may use the variable: %u - title entered by user during batch",
    " -> variables may be followed by text specifying fixed sub-folders",
    "",
    " General comment:  Path names must not end with 'scenery' or 'texture'",
    "                   reference! This is done by FS itself!",
    "",};

std::string Usage() { return Lines(kUsage); }

RunOptions Input(const std::string& stdinBytes) {
  RunOptions o;
  o.Stdin = stdinBytes;
  return o;
}

const std::string kNoCfg =
    " Could not determine installed FS versions or 'scenery.cfg' location!\r\n\r\n";

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
  EXPECT_EQ(r.Err, "");
  // Registered, but no scenery.cfg in the folder: the same message, nothing parsed.
  p.RegisterFS9("C:\\FS9");
  MakeDirs(p.C("FS9"));
  r = RunLayrix(p, {"-g"});
  EXPECT_EQ(r.Out, Banner() + kNoCfg);
}

TEST_F(Cli, EmptyCommandLinePrintsTheUsageText) {
  ASSERT_EQ(kUsage.size(), 144u);
  RunResult r = Run({});
  EXPECT_EQ(r.ExitCode, 0);
  EXPECT_EQ(r.Out, Banner() + Usage());
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
