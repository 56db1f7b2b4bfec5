// The layer commands end to end: result lines, the changes they make to
// scenery.cfg, and the report of the configuration check.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>

#include "test_prefix.h"
#include "cfg_text.h"

namespace {

using namespace testing_support;
using e2e::Area;
using e2e::Cfg;
using e2e::CfgText;
using e2e::SampleAreas;

class Layers : public ::testing::Test {
 protected:
  void SetUp() override { e2e::MakeSample(p); }
  RunResult Run(const std::vector<std::string>& args, RunOptions o = {}) {
    return RunLayrix(p, args, o);
  }
  // Runs a batch file of the given lines from C:\Setup.
  RunResult RunLines(const std::vector<std::string>& lines) { return e2e::RunBatchLines(p, lines); }
  static std::string BatchOut(const std::vector<std::string>& lines) { return e2e::BatchOutput(lines); }
  void ExpectSaved(const std::vector<Area>& areas) {
    EXPECT_EQ(Cfg(p), CfgText(areas));
    EXPECT_EQ(ReadFile(e2e::BackupPath(p)), CfgText(SampleAreas()));
  }
  TestPrefix p;
};

TEST_F(Layers, FindResultLines) {
  EXPECT_EQ(Run({"-f", "addon scenery", "0"}).Out,
            Banner() + Lines({" Result (-1 = not found): 3"}));
  EXPECT_EQ(Run({"-f", "C:\\FS9\\Scenery", "0"}).Out,
            Banner() + Lines({" Result (-1 = not found): -1"}));
  EXPECT_EQ(Run({"-ft", "MESH", "0"}).Out, Banner() + Lines({" Result (-1 = no): 5"}));
  EXPECT_EQ(Run({"-ft", "nothing", "1"}).Out, Banner() + Lines({" Result (-1 = no): -1"}));
  EXPECT_FALSE(PathExists(e2e::BackupPath(p)));
  // Found with activate = 1: the inactive area is switched on and saved.
  EXPECT_EQ(Run({"-ft", "old airport", "1"}).Out, Banner() + Lines({" Result (-1 = no): 4"}));
  auto areas = SampleAreas();
  areas[3].Active = true;
  ExpectSaved(areas);
}

TEST_F(Layers, FindThenCommandsGivenMinusOne) {
  RunResult r = RunLines({"-ft \"Old Airport\" 0", "-t -1", "-t -1", "-f \"C:\\Mesh\\\" 0",
                          "-mu -1", "-f Scenery\\World 1", "-d -1"});
  EXPECT_EQ(r.Out, BatchOut({" Searching for 'Old Airport'...", " Result (-1 = no): 4",
                             " Toggling layer state-1...", " Toggling layer state-1...",
                             " Searching for C:\\Mesh\\...", " Result (-1 = not found): 5",
                             " Moving layer -1 up...", " Searching for Scenery\\World...",
                             " Result (-1 = not found): 1", " Deleting layer -1..."}));
  // One toggle only; "-mu" of the top layer does nothing; activating the
  // found layer used the remembered number, so "-d -1" deleted nothing.
  auto areas = SampleAreas();
  areas[3].Active = true;
  ExpectSaved(areas);
}

TEST_F(Layers, InsertOnTopAtAPositionAndIntoAGap) {
  MakeDirs(p.C("FS9/Addon Scenery/New/scenery"));
  RunResult r = Run({"-i", "%a\\New", "New One", "-1"});
  EXPECT_EQ(r.Out, Banner());
  auto areas = SampleAreas();
  areas.push_back({"Area.006", "new one", "Addon Scenery\\new", 6, true, false});
  ExpectSaved(areas);

  // Deleting layer 3 leaves a gap in the area numbers, which the next
  // insert fills, on top of the others.
  e2e::MakeSample(p);
  r = RunLines({"-d 3", "-i \"%a\\New\" \"New One\" -1", "-i \"%a\\New\" Again 1"});
  EXPECT_EQ(r.Out, BatchOut({" Deleting layer 3...",
                             " Inserting layer from C:\\FS9\\Addon Scenery\\New...",
                             " Inserting layer from C:\\FS9\\Addon Scenery\\New..."}));
  areas = SampleAreas();
  areas.erase(areas.begin() + 2);
  areas[2].Layer = 3;
  areas[3].Layer = 4;
  areas.push_back({"Area.003", "New One", "Addon Scenery\\New", 5, true, false});
  EXPECT_EQ(Cfg(p), CfgText(areas));
}

TEST_F(Layers, InsertAtALayerMovesTheOthersUp) {
  MakeDirs(p.C("Elsewhere/Pack/scenery"));
  RunResult r = RunLines({"-i C:\\Elsewhere\\Pack Pack 2"});
  EXPECT_EQ(r.ExitCode, 0);
  auto areas = SampleAreas();
  for (size_t i = 1; i < areas.size(); ++i) areas[i].Layer += 1;
  areas.push_back({"Area.006", "Pack", "..\\Elsewhere\\Pack", 2, true, false});
  ExpectSaved(areas);
}

TEST_F(Layers, InsertOfAFolderBelowTheCurrentFolder) {
  // "Local" exists below the current folder C:\Setup only: it is stored
  // relative to the simulator folder, where the simulator looks for it.
  MakeDirs(p.C("Setup/Local/scenery"));
  RunOptions o;
  o.Cwd = p.C("Setup");
  RunResult r = Run({"-i", "Local", "Local", "-1"}, o);
  EXPECT_EQ(r.Out, Banner());
  auto areas = SampleAreas();
  areas.push_back({"Area.006", "local", "..\\Setup\\local", 6, true, false});
  ExpectSaved(areas);
}

// A path written with '/' is stored with '\\', so that a later find (with
// either separator) and the uninstaller's removal meet it.
TEST_F(Layers, SlashesSeparateLikeBackslashes) {
  MakeDirs(p.C("FS9/Addon Scenery/Port New/scenery"));
  RunResult r = RunLines({"-i \"C:/FS9/Addon Scenery/Port New\" \"Port New\" -1",
                          "-f \"Addon Scenery/Port New\" 0", "-f \"Addon Scenery\\Port New\" 0"});
  EXPECT_EQ(r.ExitCode, 0) << r.Err;
  EXPECT_EQ(r.Out, BatchOut({" Inserting layer from C:\\FS9\\Addon Scenery\\Port New...",
                             " Searching for Addon Scenery\\Port New...", " Result (-1 = not found): 6",
                             " Searching for Addon Scenery\\Port New...", " Result (-1 = not found): 6"}));
  auto areas = SampleAreas();
  areas.push_back({"Area.006", "Port New", "Addon Scenery\\Port New", 6, true, false});
  ExpectSaved(areas);
}

// A ':' after the drive names nothing, as on Windows: a host folder named
// "z:" in the simulator folder does not make "Z:\\x" a folder below it.
TEST_F(Layers, ForbiddenCharactersNameNothing) {
  MakeDirs(p.C("FS9/z:/K\xC3\xB6ln Bonn/scenery"));
  MakeDirs(p.C("FS9/Addon Scenery/a?b/scenery"));
  for (const std::string& path : {std::string("Z:\\K\xC3\xB6ln Bonn"), std::string("Addon Scenery\\a?b")}) {
    RunResult r = Run({"-i", path, "t", "16"});
    EXPECT_EQ(r.ExitCode, 0) << r.Err;
    EXPECT_EQ(r.Out, Banner() + Lines({" Scenery or source path does not exist!", ""}));
  }
  EXPECT_EQ(Cfg(p), CfgText(SampleAreas()));
}

TEST_F(Layers, InsertRefusesFoldersWithoutSceneryOrListedAlready) {
  MakeDirs(p.C("FS9/Addon Scenery/Bare"));
  EXPECT_EQ(Run({"-i", "%a\\Bare", "t", "-1"}).Out, Banner());
  EXPECT_EQ(Run({"-i", "%a\\OldAirport\\", "t", "-1"}).Out, Banner());
  EXPECT_EQ(Cfg(p), CfgText(SampleAreas()));
  EXPECT_FALSE(PathExists(e2e::BackupPath(p)));
}

TEST_F(Layers, DeleteCommands) {
  Run({"-d", "4"});
  auto areas = SampleAreas();
  areas.erase(areas.begin() + 3);
  areas[3].Layer = 4;
  ExpectSaved(areas);

  e2e::MakeSample(p);
  std::remove(e2e::BackupPath(p).c_str());
  Run({"-dt", "OLD AIRPORT"});
  ExpectSaved(areas);

  e2e::MakeSample(p);
  std::remove(e2e::BackupPath(p).c_str());
  Run({"-di"});
  ExpectSaved(areas);

  // Required areas stay.
  e2e::MakeSample(p);
  std::remove(e2e::BackupPath(p).c_str());
  EXPECT_EQ(Run({"-dt", "default terrain"}).Out, Banner());
  EXPECT_EQ(Run({"-d", "2"}).Out, Banner());
  EXPECT_FALSE(PathExists(e2e::BackupPath(p)));
}

TEST_F(Layers, ActivateToggleAndMove) {
  RunResult r = RunLines({"-a 4", "-t 3", "-t 1", "-md 5", "-mu 1", "-a 99"});
  EXPECT_EQ(r.Out, BatchOut({" Activating layer 4...", " Toggling layer state3...",
                             " Toggling layer state1...", " Moving layer 5 down...",
                             " Moving layer 1 up...", " Activating layer 99..."}));
  auto areas = SampleAreas();
  areas[3].Active = true;
  areas[2].Active = false;
  // 5 went down to 4 (and 4 up to 5); then 1 went up, swapping with 2.
  areas[4].Layer = 4;
  areas[3].Layer = 5;
  areas[0].Layer = 2;
  areas[1].Layer = 1;
  ExpectSaved(areas);
}

// Sections and their keys of a written scenery.cfg.
std::vector<std::pair<std::string, std::map<std::string, std::string>>> Sections(const std::string& text) {
  std::vector<std::pair<std::string, std::map<std::string, std::string>>> out;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find("\r\n", pos);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(pos, end - pos);
    pos = end + 2;
    if (!line.empty() && line[0] == '[') {
      out.push_back({line.substr(1, line.size() - 2), {}});
    } else if (!out.empty()) {
      size_t eq = line.find('=');
      if (eq != std::string::npos) out.back().second[line.substr(0, eq)] = line.substr(eq + 1);
    }
  }
  return out;
}

TEST(LayersStock, SortTheStockLibrary) {
  TestPrefix p;
  const std::string stock = ReadFile(StockCfgPath("fsx-stock-scenery.cfg"));
  p.MakeFS9(stock);
  RunResult r = RunLayrix(p, {"-s"});
  EXPECT_EQ(r.ExitCode, 0);
  EXPECT_EQ(r.Out, Banner());
  EXPECT_EQ(ReadFile(e2e::BackupPath(p)), stock);
  // The stock file is in layer order with General first: the areas keep
  // their order and numbers, General moves to the end.
  std::string stockCrLf;  // the stock file has LF line ends
  for (char c : stock) {
    if (c == '\n') stockCrLf += '\r';
    stockCrLf += c;
  }
  auto before = Sections(stockCrLf);
  auto after = Sections(Cfg(p));
  ASSERT_EQ(after.size(), 121u);
  ASSERT_EQ(before.size(), 121u);
  EXPECT_EQ(after.back().first, "General");
  for (size_t i = 0; i + 1 < after.size(); ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "Area.%03zu", i + 1);
    EXPECT_EQ(after[i].first, name);
    EXPECT_EQ(after[i].second["Layer"], std::to_string(i + 1));
    EXPECT_EQ(after[i].second["Title"], before[i + 1].second["Title"]);
    EXPECT_EQ(after[i].second["Local"], before[i + 1].second["Local"]);
  }
  // A second sort changes nothing in the text (but is still a change).
  const std::string sorted = Cfg(p);
  RunLayrix(p, {"-s"});
  EXPECT_EQ(Cfg(p), sorted);
}

TEST(LayersStock, SortRenumbersByLayer) {
  TestPrefix p;
  p.MakeFS9(CfgText({{"Area.005", "Second", "Addon Scenery", 2},
                     {"Area.001", "First", "Scenery\\World", 1, true, true},
                     {"Custom", "Third", "C:\\Third", 3, false}}));
  RunLayrix(p, {"-s"});
  EXPECT_EQ(Cfg(p), e2e::AreaText({"Area.001", "First", "Scenery\\World", 1, true, true}) +
                        e2e::AreaText({"Area.002", "Second", "Addon Scenery", 2}) +
                        e2e::AreaText({"Area.003", "Third", "C:\\Third", 3, false}) +
                        e2e::GeneralText());
}

// ------------------------------------------------------------ -x

std::vector<Area> BrokenAreas() {
  return {
      {"Area.001", "World", "Scenery\\World", 1, true, true},
      {"Area.002", "Gone", "Gone", 2},
      {"Area.003", "Zero", "Addon Scenery", 0},
      {"Area.004", "Big", "Addon Scenery\\OldAirport", 99},
      {"Area.005", "Required zero", "Nowhere", 0, true, true},
      {"Area.006", "No sub", "Addon Scenery\\NoSub", 3},
      {"Area.007", "Gone zero", "Gone2", 0},
  };
}

TEST(Check, ReportsBrokenEntries) {
  TestPrefix p;
  p.MakeFS9(CfgText(BrokenAreas()));
  MakeDirs(p.C("FS9/Addon Scenery/OldAirport/scenery"));
  MakeDirs(p.C("FS9/Addon Scenery/NoSub"));
  RunResult r = RunLayrix(p, {"-x", "0"});
  EXPECT_EQ(r.ExitCode, 0);
  EXPECT_EQ(r.Out, Banner() + Lines({" not found! - 2: Gone", " negative!  - 0: Addon Scenery",
                                     " too big!   - 99: Addon Scenery\\OldAirport",
                                     " negative!  - 0: Nowhere",
                                     " not found! - 3: Addon Scenery\\NoSub",
                                     " not found! -  negative!  - 0: Gone2"}));
  EXPECT_EQ(Cfg(p), CfgText(BrokenAreas()));
  EXPECT_FALSE(PathExists(e2e::BackupPath(p)));
}

TEST(Check, AutoremoveRemovesOnlyAreasWhoseFolderIsGone) {
  TestPrefix p;
  p.MakeFS9(CfgText(BrokenAreas()));
  MakeDirs(p.C("FS9/Addon Scenery/OldAirport/scenery"));
  MakeDirs(p.C("FS9/Addon Scenery/NoSub"));
  RunResult r = RunLayrix(p, {"-x", "1"});
  EXPECT_EQ(r.ExitCode, 0);
  // Removing "Gone" closed its gap (99 became 98, 3 became 2), removing "No
  // sub" closed its own (98 became 97); removing an area numbered 0 closed
  // none.  The areas reported only for their numbers stay as they are.
  EXPECT_EQ(r.Out, Banner() + Lines({" not found! - 2: Gone", " negative!  - 0: Addon Scenery",
                                     " too big!   - 98: Addon Scenery\\OldAirport",
                                     " negative!  - 0: Nowhere",
                                     " not found! - 2: Addon Scenery\\NoSub",
                                     " not found! -  negative!  - 0: Gone2"}));
  std::vector<Area> kept = {BrokenAreas()[0], BrokenAreas()[2], BrokenAreas()[3], BrokenAreas()[4]};
  kept[2].Layer = 97;
  EXPECT_EQ(Cfg(p), CfgText(kept));
  EXPECT_EQ(ReadFile(e2e::BackupPath(p)), CfgText(BrokenAreas()));
}

TEST(Check, AreaNumberedOneAboveTheCountIsInRange) {
  TestPrefix p;
  // Three entries (General counted): layer 3 is fine, 4 is too big.
  p.MakeFS9(CfgText({{"Area.001", "A", "Addon Scenery", 3}, {"Area.002", "B", "Addon Scenery", 4}}));
  EXPECT_EQ(RunLayrix(p, {"-x", "0"}).Out, Banner() + Lines({" too big!   - 4: Addon Scenery"}));
}

}  // namespace
