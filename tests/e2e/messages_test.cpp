// What the program says beside what it prints: every command that changes
// nothing because of what it found says why on standard error, standard
// output staying as installers read it; "-x 1" names what it removed and
// what it kept; "-p" prints its message as written; ExitCodes=strict tells
// an installer a run that did nothing; "-l" fits a terminal.
#include <gtest/gtest.h>

#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <functional>

#include "app/terminal_fit.h"
#include "cfg_text.h"
#include "platform/simulator_keys.h"
#include "test_prefix.h"

namespace {

using namespace testing_support;

// "-x 1" prints the report of "-x 0", and names on standard error each
// entry it removed and each broken one it kept because it is required.
TEST(Messages, CheckThatRemovesNamesWhatItRemovedAndKept) {
  TestPrefix p;
  e2e::MakeSample(p);
  // Listed twice, alike in every word: each removal is named.
  const auto removed = [](const char* name) {
    return e2e::AreaText({name, "Removed Pack", "Addon Scenery\\Removed Pack", 6});
  };
  WriteFile(e2e::CfgPath(p), e2e::Cfg(p) + removed("Area.006") +
                                 e2e::AreaText({"Area.007", "Lost Base", "Scenery\\Lost", 7, true, true}) +
                                 removed("Area.008"));
  const std::string report = Banner() + Lines({" not found! - 6: Addon Scenery\\Removed Pack",
                                               " not found! - 6: Addon Scenery\\Removed Pack"});
  RunResult r = RunLayrix(p, {"-x", "0"});
  EXPECT_EQ(r.Out, report);
  EXPECT_EQ(r.Err, "");  // a check alone keeps quiet about required areas
  r = RunLayrix(p, {"-x", "1"});
  EXPECT_EQ(r.ExitCode, 0);
  EXPECT_EQ(r.Out, report);
  EXPECT_EQ(r.Err, Lines({"layrix: removed layer 6 'Removed Pack' (Addon Scenery\\Removed Pack): its folder is missing",
                          "layrix: kept layer 6 'Lost Base' (Scenery\\Lost): its folder is missing, but the area "
                          "is required",
                          "layrix: removed layer 6 'Removed Pack' (Addon Scenery\\Removed Pack): its folder is missing"}));
  EXPECT_EQ(e2e::Cfg(p).find("Removed Pack"), std::string::npos);
  EXPECT_NE(e2e::Cfg(p).find("Lost Base"), std::string::npos);
}

// A "%" that is no variable is printed as written; variables are replaced.
TEST(Messages, PauseMessageKeepsItsPercentSigns) {
  TestPrefix p;
  e2e::MakeSample(p);
  const RunResult r = e2e::RunBatchLines(p, {"-p \"Installing 50%\"", "-p \"100% done in %f\"", "-p \"%\"", "-p \"%u%\""});
  EXPECT_EQ(r.Out, e2e::BatchOutput({" Installing 50%", " 100% done in C:\\FS9\\", " %", " %u%"}));
  EXPECT_EQ(r.Err, "");
}

struct ExitCase {
  const char* Name;
  std::function<void(TestPrefix&)> Setup;  // on a fresh prefix; MakeSample when null
  std::vector<std::string> Args;
  int Strict;  // the exit code with ExitCodes=strict; without it every one is 0 but a fault's 1
};

TEST(Messages, StrictExitCodesTellARunThatDidNothing) {
  const auto nothingRegistered = [](TestPrefix& p) { p.WriteRegistry(); };
  const auto keyMissing = [](TestPrefix& p) {
    e2e::MakeSample(p);
    std::string cfg = e2e::Cfg(p);
    cfg.erase(cfg.find("Required=TRUE\r\n"), 15);
    WriteFile(e2e::CfgPath(p), cfg);
  };
  const std::vector<ExitCase> cases = {
      {"done", nullptr, {"-t", "4"}, 0},
      {"nothing to change", nullptr, {"-d", "99"}, 0},  // told on stderr; the command was run
      {"no command", nullptr, {}, 2},
      {"unknown option", nullptr, {"-list"}, 2},
      {"wrong word count", nullptr, {"-t"}, 2},
      {"bad overwrite mode", nullptr, {"-c", "C:\\Mesh", "C:\\Other", "7"}, 2},
      {"no such folder", nullptr, {"-i", "C:\\Nowhere", "x", "-1"}, 3},
      {"no batch file", nullptr, {"-b", "none.txt"}, 3},
      {"no simulator", nothingRegistered, {"-g"}, 3},
      {"a fault", keyMissing, {"-g"}, 1},
  };
  for (const char* setting : {"", "strict", "STRICT", "loose"}) {
    for (const ExitCase& c : cases) {
      SCOPED_TRACE(std::string(c.Name) + ", ExitCodes=" + setting);
      TestPrefix p;
      if (c.Setup) c.Setup(p);
      else e2e::MakeSample(p);
      if (*setting) WriteFile(p.Work() + "/layrix.ini", std::string("[Main]\r\nExitCodes=") + setting + "\r\n");
      const bool strict = std::string(setting) == "strict" || std::string(setting) == "STRICT";
      const RunResult r = RunLayrix(p, c.Args);
      EXPECT_EQ(r.ExitCode, strict || c.Strict == 1 ? c.Strict : 0) << r.Err;
    }
  }
}

// The listing on a terminal (a pseudo-terminal `columns` wide), with its
// line ends as the terminal passes them.
std::string ListOnTerminal(const TestPrefix& p, unsigned short columns) {
  struct winsize size {};
  size.ws_col = columns;
  size.ws_row = 50;
  int master = -1;
  const pid_t child = forkpty(&master, nullptr, nullptr, &size);
  if (child == 0) {
    setenv("WINEPREFIX", p.Prefix().c_str(), 1);
    setenv("HOME", p.Home().c_str(), 1);
    if (chdir(p.Work().c_str()) != 0) _exit(127);
    execl(LAYRIX_EXE, "layrix", "-l", static_cast<char*>(nullptr));
    _exit(127);
  }
  std::string out;
  char buffer[4096];
  for (ssize_t got; (got = read(master, buffer, sizeof buffer)) > 0;) out.append(buffer, size_t(got));
  close(master);
  int status = 0;
  waitpid(child, &status, 0);
  return out;
}

TEST(Messages, ListingFitsTheTerminalAndIsWholeWhenPiped) {
  TestPrefix p;
  std::vector<e2e::Area> areas = e2e::SampleAreas();
  areas.push_back({"Area.006", "東京 羽田空港", "Addon Scenery\\Tokyo Haneda", 6, true, false});
  areas.push_back({"Area.007", "A title far longer than the column of forty characters",
                   "Addon Scenery\\A folder with a name long enough to need shortening\\Sub", 7,
                   true, false});
  p.MakeFS9("\xEF\xBB\xBF" + e2e::CfgText(areas));  // UTF-8, for the Japanese title
  MakeDirs(p.C("FS9/Addon Scenery/OldAirport/scenery"));
  MakeDirs(p.C("Mesh/scenery"));
  const std::string piped = RunLayrix(p, {"-l"}).Out;
  EXPECT_NE(piped.find("A title far longer than the column of forty characters  Addon "
                       "Scenery\\A folder with a name long enough to need shortening\\Sub  missing\r\n"),
            std::string::npos)
      << piped;
  for (unsigned short columns : {80, 60, 132}) {
    SCOPED_TRACE(columns);
    std::string shown = ListOnTerminal(p, columns);
    std::erase(shown, '\r');
    size_t folderColumn = 0;
    size_t start = 0;
    for (size_t end; (end = shown.find('\n', start)) != std::string::npos; start = end + 1) {
      const std::string line = shown.substr(start, end - start);
      EXPECT_LE(app::TextColumns(line), columns) << line;
      // The folders of the areas stand in one column, the wide title's too.
      const size_t at = line.find("  Addon Scenery\\");
      if (at == std::string::npos) continue;
      const size_t column = app::TextColumns(line.substr(0, at));
      if (folderColumn == 0) folderColumn = column;
      EXPECT_EQ(column, folderColumn) << line;
    }
    EXPECT_NE(shown.find("東京 羽田空港"), std::string::npos) << shown;
    EXPECT_NE(shown.find("…"), std::string::npos) << shown;  // something was cut
    if (columns == 80) {
      EXPECT_NE(shown.find(" 7  on   A title far longer than th…  Addon Scenery\\A …d "
                           "shortening\\Sub  missing\n"),
                std::string::npos)
          << shown;
    }
  }
}

// A bad add-on.xml is told once however often a batch file lists, and a
// size as the README gives it.
TEST(Messages, APackageNoteIsToldOncePerRun) {
  TestPrefix p;
  p.RegisterAppPath(simkeys::kPrepar3Dv5, "C:\\P3D");
  p.SetCommonAppData("C:\\ProgramData");
  p.AddUserValue("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                 "\"Personal\"=\"C:\\\\users\\\\Pilot\\\\Documents\"");
  WriteFile(p.C("ProgramData/Lockheed Martin/Prepar3D v5/scenery.cfg"),
            e2e::CfgText({{"Area.001", "Default Terrain", "Scenery\\World", 1, true, true}}));
  const std::string packages = "users/Pilot/Documents/Prepar3D v5 Add-ons/";
  WriteFile(p.C(packages + "Broken/add-on.xml"), "<AddOn");
  WriteFile(p.C(packages + "Huge/add-on.xml"),
            "<?xml version=\"1.0\"?>\r\n<!--" + std::string(4 * 1024 * 1024, '-') + "-->\r\n");
  const RunResult r = e2e::RunBatchLines(p, {"-l", "-l", "-x 0", "-l"});
  EXPECT_EQ(r.ExitCode, 0);
  EXPECT_EQ(std::count(r.Err.begin(), r.Err.end(), '\n'), 2) << r.Err;
  EXPECT_NE(r.Err.find("Broken\\add-on.xml is malformed"), std::string::npos) << r.Err;
  EXPECT_NE(r.Err.find("Huge\\add-on.xml': it is larger than 4 MB; the package is left out\r\n"), std::string::npos)
      << r.Err;
  // Each listing is printed whole all the same.
  size_t listings = 0;
  for (size_t at = r.Out.find(" Scenery library: "); at != std::string::npos;
       at = r.Out.find(" Scenery library: ", at + 1))
    ++listings;
  EXPECT_EQ(listings, 3u);
}

}  // namespace
