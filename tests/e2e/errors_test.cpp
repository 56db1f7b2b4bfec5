// What the program says when something is wrong or a command changes
// nothing: for each, one line on standard error naming the cause ("error: "
// first only for a fault, which ends the run with 1), and standard output and
// the exit code as installers have always parsed them; on the command line
// and in a batch file.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <functional>

#include "cfg_text.h"
#include "test_prefix.h"

namespace {

using namespace testing_support;

using e2e::kNoLibrary;

// The sample library with an area at layer 0 below the others, which no
// operation given -1 may reach before a find found a layer.
void SampleWithLayerZero(TestPrefix& p) {
  e2e::MakeSample(p);
  WriteFile(e2e::CfgPath(p), e2e::Cfg(p) + e2e::AreaText({"Area.006", "Ground Layer", "Mesh", 0,
                                                          true, false}));
}

void WithoutRequiredKey(TestPrefix& p) {
  e2e::MakeSample(p);
  std::string cfg = e2e::Cfg(p);
  cfg.erase(cfg.find("Required=TRUE\r\n"), 15);  // of Area.001
  WriteFile(e2e::CfgPath(p), cfg);
  WriteFile(e2e::BackupPath(p), "[General]\r\n");
}

struct Case {
  const char* Name;
  std::function<void(TestPrefix&)> Setup;  // on a fresh prefix; MakeSample when null
  std::vector<std::string> Args;           // a command line, or the lines of a batch file
  bool InBatch;
  std::string Err;          // what standard error says (one line, prefix and line end aside)
  std::string Out;          // standard output after the banner (in a batch: after its first lines)
  int ExitCode = 0;
  std::string WinePrefix = "";  // relative to the test's folder; empty: the prefix
};

std::vector<Case> Cases() {
  const auto registeredNoCfg = [](TestPrefix& p) {
    p.RegisterFS9("C:\\FS9");
    MakeDirs(p.C("FS9/Scenery"));
  };
  const auto cfgIsFolder = [](TestPrefix& p) {
    p.RegisterFS9("C:\\FS9");
    MakeDirs(p.C("FS9/scenery.cfg"));
  };
  const auto namesP3Dv5 = [](TestPrefix& p) {
    e2e::MakeSample(p);
    WriteFile(p.Work() + "/layrix.ini", "[Main]\r\nSimulator=P3Dv5\r\n");
  };
  const auto bareFolder = [](TestPrefix& p) {
    e2e::MakeSample(p);
    MakeDirs(p.C("FS9/Addon Scenery/Bare"));
  };
  const auto readOnly = [](TestPrefix& p) {
    e2e::MakeSample(p);
    chmod(e2e::CfgPath(p).c_str(), 0444);
  };
  const auto appPathNotText = [](TestPrefix& p) {
    e2e::MakeSample(p);
    p.AddUserValue("Software\\Microsoft\\Microsoft Games\\Flight Simulator\\10.0", "\"AppPath\"=dword:00000001");
  };
  const auto noHeader = [](TestPrefix& p) {
    e2e::MakeSample(p);
    std::string reg = ReadFile(p.Prefix() + "/user.reg");
    WriteFile(p.Prefix() + "/user.reg", reg.substr(reg.find('\n') + 1));
  };
  const auto nothing = [](TestPrefix&) {};
  const std::string usage = e2e::UsageText();
  return {
      // Why no library was found.
      {"prefix missing", nothing, {"-g"}, false, "/nowhere (WINEPREFIX) does not exist; set WINEPREFIX", kNoLibrary, 0, "nowhere"},
      {"prefix a file", nothing, {"-g"}, false, "/home/.profile (WINEPREFIX) is not a folder", kNoLibrary, 0, "home/.profile"},
      {"prefix empty", nothing, {"-g"}, false, "/work (WINEPREFIX) has no user.reg", kNoLibrary, 0, "work"},
      {"nothing registered", nothing, {"-g"}, false,
       "none of the keys HKEY_CURRENT_USER\\Software\\Microsoft\\Microsoft Games\\Flight Simulator\\9.0, ",
       kNoLibrary},
      {"registry without header", noHeader, {"-g"}, false,
       "/user.reg is not a Wine registry file: its first line is not 'WINE REGISTRY Version 2'", kNoLibrary},
      {"no scenery.cfg", registeredNoCfg, {"-g"}, false,
       "FS9 is registered at C:\\FS9\\, but its scenery library C:\\FS9\\scenery.cfg does not exist", kNoLibrary},
      {"scenery.cfg a folder", cfgIsFolder, {"-g"}, false, "C:\\FS9\\scenery.cfg is a folder, not a file",
       kNoLibrary},
      {"simulator not installed", namesP3Dv5, {"-g"}, false,
       "Simulator=P3Dv5 in layrix.ini names a simulator that is not installed in the Wine prefix ", kNoLibrary},
      // Which word was wrong.
      {"unknown option", nullptr, {"-list"}, false, "unknown option '-list'", usage},
      {"too few words", nullptr, {"-t"}, false, "'-t' needs 1 argument (layer number), 0 given", usage},
      {"too many words", nullptr, {"-g", "x"}, false, "'-g' takes no arguments, 1 given", usage},
      {"folder missing", nullptr, {"-i", "Nowhere", "T", "5"}, false,
       "the folder 'nowhere' does not exist (neither below the current folder nor below C:\\FS9\\)",
       " Scenery or source path does not exist!\r\n\r\n"},
      // A value of scenery.cfg that does not convert.
      {"key missing", WithoutRequiredKey, {"-g"}, false,
       "the key Required is missing (section [Area.001]); it holds TRUE or FALSE; correct it with a "
       "text editor, or put back the copy saved before the last change, C:\\FS9\\scenery.~cfg",
       "", 1},
      // Nothing done.
      {"-d -1 first", SampleWithLayerZero, {"-d", "-1"}, false, "no layer found, nothing changed: -1 stands", ""},
      {"-dt not listed", nullptr, {"-dt", "wrong title"}, false,
       "no layer found, nothing changed: no area has the title 'wrong title'", ""},
      {"-t required", nullptr, {"-t", "1"}, false, "layer 1 'Default Terrain' is required, nothing changed", ""},
      {"-a of no area", nullptr, {"-a", "99"}, false,
       "no layer found, nothing changed: no area has the layer number 99", ""},
      {"-i of a listed folder", nullptr, {"-i", "Addon Scenery\\OldAirport\\", "x", "-1"}, false,
       "the folder 'addon scenery\\oldairport\\' is listed already, as layer 4 'Old Airport'; nothing added",
       ""},
      {"-i of a folder without scenery", bareFolder, {"-i", "C:\\FS9\\Addon Scenery\\Bare", "x", "-1"}, false,
       "the folder 'c:\\fs9\\addon scenery\\bare' has no 'scenery' sub-folder, nothing added; name the "
       "folder that holds the area's 'scenery' folder",
       ""},
      {"-i of the simulator folder", nullptr, {"-i", "C:\\FS9\\", "x", "-1"}, false,
       "the folder 'c:\\fs9\\' is the simulator's own folder, which is no area; nothing added", ""},
      {"-i of the simulator folder without its backslash", nullptr, {"-i", "C:\\FS9", "x", "-1"}, false,
       "the folder 'c:\\fs9' is the simulator's own folder, which is no area; nothing added", ""},
      {"-ia finds nothing new", nullptr, {"-ia", "Addon Scenery"}, false,
       "no new scenery found in 'addon scenery' (no folder with a 'scenery' sub-folder that is not "
       "listed already); nothing added",
       ""},
      // A number other than 0 and 1 reports the broken entry and removes nothing.
      {"-x 2", SampleWithLayerZero, {"-x", "2"}, false,
       "'-x' takes 0 (report) or 1 (report and remove), not '2'; checking without removing, as with 0",
       " not found! -  negative!  - 0: Mesh\r\n"},
      {"read-only scenery.cfg", readOnly, {"-t", "4"}, false,
       "error: cannot write 'C:\\FS9\\scenery.cfg': the file is read-only; clear its read-only attribute "
       "and run again",
       "", 1},
      {"registry value of another type", appPathNotText, {"-g"}, false,
       "error: the registry value 'AppPath' of key HKEY_CURRENT_USER\\Software\\Microsoft\\Microsoft "
       "Games\\Flight Simulator\\10.0 is not a string; run the simulator's installer again, or correct "
       "the value with the registry editor",
       "", 1},
      // The same in a batch file: the file and the line named.
      {"batch unknown option", nullptr, {"; a comment", "", "-list"}, true,
       "skipped line 3 of C:\\Setup\\run.txt: unknown option '-list'", ""},
      {"batch two blanks", nullptr, {"-d  4"}, true,
       "skipped line 1 of C:\\Setup\\run.txt: '-d' needs 1 argument (layer number), 2 given (two "
       "blanks in a row make an empty word)",
       ""},
      {"batch folder missing", nullptr, {"-f C:\\Nowhere 0"}, true,
       "skipped line 1 of C:\\Setup\\run.txt: the folder 'C:\\Nowhere' does not exist", ""},
      // The folder named as written in the file.
      {"batch -i of a listed folder", nullptr, {"-i \"%a\\OldAirport\" \"Again\" -1"}, true,
       "the folder 'C:\\FS9\\Addon Scenery\\OldAirport' is listed already, as layer 4 'Old Airport'; "
       "nothing added",
       " Inserting layer from C:\\FS9\\Addon Scenery\\OldAirport...\r\n"},
      {"batch in batch", nullptr, {"-b run.txt"}, true,
       "skipped line 1 of C:\\Setup\\run.txt: a batch file cannot run another one", ""},
      {"batch %b under -b", nullptr, {"-c C:\\Mesh %b 0"}, true,
       "skipped line 1 of C:\\Setup\\run.txt: %b has no value in a batch file started with -b", ""},
      {"batch bad number", nullptr, {"-mu 9999999999"}, true,
       "error: line 1 of C:\\Setup\\run.txt: '9999999999' is not a valid integer value (the layer "
       "number of '-mu')",
       std::string(), 1},
      {"uninstaller, title not listed", nullptr, {"-ft \"wrong title\" 0", "-dt \"wrong title\""}, true,
       "no layer found, nothing changed: no area has the title 'wrong title'",
       " Searching for 'wrong title'...\r\n Result (-1 = no): -1\r\n Deleting layer 'wrong title'...\r\n"},
  };
}

TEST(Errors, EachMistakeIsNamedOnOneLineAndTheOutputStaysAsItWas) {
  for (const Case& c : Cases()) {
    SCOPED_TRACE(c.Name);
    TestPrefix p;
    if (c.Setup) c.Setup(p);
    else e2e::MakeSample(p);
    MakeDirs(p.Home());
    WriteFile(p.Home() + "/.profile", "");
    const std::string cfgBefore = e2e::Cfg(p);
    const std::string backupBefore = ReadFile(e2e::BackupPath(p));
    RunOptions o;
    if (!c.WinePrefix.empty()) o.Env = {{"WINEPREFIX", p.Root() + "/" + c.WinePrefix}};
    RunResult r;
    std::string out;
    if (c.InBatch) {
      r = e2e::RunBatchLines(p, c.Args);
      // A stopped batch run prints no closing lines.
      out = c.ExitCode == 0 ? e2e::BatchOutput({}) : Banner() + " Processing batch file 'C:\\Setup\\run.txt'...\r\n\r\n";
      if (!c.Out.empty()) out.insert(out.size() - std::string("\r\n Done.\r\n\r\n").size(), c.Out);
    } else {
      r = RunLayrix(p, c.Args, o);
      out = Banner() + c.Out;
    }
    EXPECT_EQ(r.ExitCode, c.ExitCode);
    EXPECT_EQ(r.Out, out);
    EXPECT_EQ(std::count(r.Err.begin(), r.Err.end(), '\n'), 1) << r.Err;
    EXPECT_NE(r.Err.find(c.Err), std::string::npos) << r.Err;
    EXPECT_TRUE(r.Err.starts_with("layrix: ")) << r.Err;
    EXPECT_EQ(r.Err.starts_with("layrix: error: "), c.ExitCode == 1) << r.Err;
    EXPECT_EQ(r.Err.find('"'), std::string::npos) << r.Err;  // quoted in single quotes
    EXPECT_EQ(e2e::Cfg(p), cfgBefore);  // nothing changed, nothing saved
    EXPECT_EQ(ReadFile(e2e::BackupPath(p)), backupBefore);
  }
}

}  // namespace
