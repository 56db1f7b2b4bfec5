// Libraries as people have them: an add-on pack holding areas of its own,
// the simulator's "Scenery" folder listed as an area, gaps in the layer
// numbers, more than a thousand areas, folders written in other spellings,
// and the example installer started with "-b".  Each case checks the files
// on disk, the library, standard output and standard error.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "cfg_text.h"
#include "test_prefix.h"

namespace {

using namespace testing_support;
using e2e::Area;
using Tree = std::vector<std::string>;

std::vector<Area> Stock() {
  return {{"Area.001", "Default Terrain", "Scenery\\World", 1, true, true},
          {"Area.002", "Default Scenery", "Scenery\\BASE", 2, true, true},
          {"Area.003", "Addon Scenery", "Addon Scenery", 3}};
}

// The stock areas and `more`, with a scenery file in each of `folders`
// (below the simulator folder).
void Install(TestPrefix& p, const std::vector<Area>& more, const std::vector<std::string>& folders) {
  std::vector<Area> areas = Stock();
  areas.insert(areas.end(), more.begin(), more.end());
  p.MakeFS9(e2e::CfgText(areas));
  for (const std::string& folder : folders) WriteFile(p.C("FS9/" + folder + "/scenery/file.bgl"), "x");
}

std::string AreaName(int number) {
  std::string digits = std::to_string(number);
  return "Area." + std::string(digits.size() < 3 ? 3 - digits.size() : 0, '0') + digits;
}

RunResult RunIn(const TestPrefix& p, const std::vector<std::string>& args, const std::string& cwd = "",
              const std::string& stdinText = "") {
  RunOptions o;
  o.Cwd = cwd.empty() ? p.C("") : cwd;
  o.Stdin = stdinText;
  RunResult r = RunLayrix(p, args, o);
  EXPECT_EQ(r.ExitCode, 0) << r.Err;
  return r;
}

// ------------------------------------------------------------ removal

// The simulator's "Scenery" folder listed as an area, and an add-on pack
// with two areas inside it (one spelled otherwise and switched off); one
// folder listed twice.
std::vector<Area> Nested() {
  return {{"Area.004", "Local Scenery", "Scenery", 4},
          {"Area.005", "Pack", "Addon Scenery\\Pack", 5},
          {"Area.006", "Sub A", "Addon Scenery\\Pack\\Sub A", 6},
          {"Area.007", "Sub B", "ADDON SCENERY\\PACK\\sub b\\", 7, false},
          {"Area.008", "Twice", "Addon Scenery\\Twice", 8},
          {"Area.009", "Twice again", "C:\\FS9\\Addon Scenery\\Twice\\", 9}};
}
const std::vector<std::string> kNestedFolders = {
    "Scenery/World", "Scenery/BASE", "Addon Scenery/Pack", "Addon Scenery/Pack/Sub A",
    "Addon Scenery/Pack/Sub B", "Addon Scenery/Twice"};

TEST(Removal, AFolderHoldingOtherLayersIsRefusedWhole) {
  TestPrefix p;
  Install(p, Nested(), kNestedFolders);
  WriteFile(p.C("Src/scenery/new.bgl"), "new");
  WriteFile(p.C("FS9/.layrix.lock"), "");  // as the first run leaves it
  const std::string cfg = e2e::Cfg(p);
  const Tree before = ListTree(p.C(""));
  const std::string scenery = "C:\\FS9\\Scenery: it holds the folder of layer 1 'Default Terrain' and 1 other";
  const std::string pack = ": it holds the folder of layer 6 'Sub A' and 1 other";
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"-r", "4"}, "refused to remove " + scenery},
      {{"-rf", "c:\\fs9\\scenery\\"}, "refused to remove " + scenery},
      {{"-r", "5"}, "refused to remove C:\\FS9\\Addon Scenery\\Pack" + pack},
      {{"-rf", "%a\\pack"}, "refused to remove C:\\FS9\\Addon Scenery\\Pack" + pack},
      {{"-c", "C:\\Src", "%a\\Pack", "3"},
       "refused to copy c:\\src to C:\\FS9\\Addon Scenery\\pack emptying it first" + pack},
      {{"-c", "C:\\Src", "%s", "3"}, "refused to copy c:\\src to " + scenery.substr(0, 14) +
                                         " emptying it first" + scenery.substr(14)},
  };
  for (const auto& [args, told] : cases) {
    const RunResult r = RunIn(p, args);
    EXPECT_EQ(r.Out, Banner());
    EXPECT_EQ(r.Err, "layrix: " + told + "\r\n") << args[1];
    EXPECT_EQ(ListTree(p.C("")), before) << args[1];
    EXPECT_EQ(e2e::Cfg(p), cfg);
  }
}

TEST(Removal, OneLayersFolderGoesAlsoWhenListedTwice) {
  TestPrefix p;
  Install(p, Nested(), kNestedFolders);
  for (const char* layer : {"6", "8"}) EXPECT_EQ(RunIn(p, {"-r", layer}).Err, "");
  EXPECT_EQ(ListTree(p.C("FS9/Addon Scenery/Pack")), (Tree{"Sub B/", "Sub B/scenery/",
                                                           "Sub B/scenery/file.bgl", "scenery/",
                                                           "scenery/file.bgl"}));
  EXPECT_FALSE(PathExists(p.C("FS9/Addon Scenery/Twice")));
}

// ------------------------------------------------------------ gaps

// A gap below layer 9 (the place of add-on packages), areas numbered 0 and
// 500 whose folders are there, and one whose folder is gone.
std::vector<Area> Gaps() {
  return {{"Area.004", "Gone", "Addon Scenery\\Gone", 4},
          {"Area.005", "Above The Gap", "Addon Scenery\\Near", 9},
          {"Area.006", "Zero", "Addon Scenery\\Zero", 0},
          {"Area.007", "Far", "Addon Scenery\\Far", 500}};
}

TEST(Gaps, CheckRemovesOnlyTheAreaWhoseFolderIsGone) {
  TestPrefix p;
  Install(p, Gaps(), {"Addon Scenery/Near", "Addon Scenery/Zero", "Addon Scenery/Far"});
  const std::string cfg = e2e::Cfg(p);
  EXPECT_EQ(RunIn(p, {"-x", "0"}).Out,
            Banner() + Lines({" not found! - 4: Addon Scenery\\Gone", " too big!   - 9: Addon Scenery\\Near",
                              " negative!  - 0: Addon Scenery\\Zero", " too big!   - 500: Addon Scenery\\Far"}));
  EXPECT_EQ(e2e::Cfg(p), cfg);
  // The removal closes the gone area's gap, as it always did; the others stay.
  EXPECT_EQ(RunIn(p, {"-x", "1"}).Out,
            Banner() + Lines({" not found! - 4: Addon Scenery\\Gone", " too big!   - 8: Addon Scenery\\Near",
                              " negative!  - 0: Addon Scenery\\Zero", " too big!   - 499: Addon Scenery\\Far"}));
  std::vector<Area> kept = Stock();
  for (Area a : {Gaps()[1], Gaps()[2], Gaps()[3]}) kept.push_back(a);
  kept[3].Layer = 8;
  kept[5].Layer = 499;
  EXPECT_EQ(e2e::Cfg(p), e2e::CfgText(kept));
}

TEST(Gaps, MinusOneInsertsAboveTheTopLayer) {
  const std::vector<Area> gap = {{"Area.006", "Pack", "Addon Scenery\\Pack", 7}};
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"-i", "%a\\New", "New", "-1"}, {"-ia", "%a"}}) {
    TestPrefix p;
    Install(p, gap, {"Addon Scenery/Pack"});
    MakeDirs(p.C("FS9/Addon Scenery/New/scenery"));
    MakeDirs(p.C("FS9/Addon Scenery/Newer/scenery"));
    RunIn(p, args);
    std::vector<Area> areas = Stock();
    areas.push_back(gap[0]);
    if (args[0] == "-i") {
      areas.push_back({"Area.004", "new", "Addon Scenery\\new", 8});
    } else {
      areas.push_back({"Area.004", "Addon Scenery\\New", "Addon Scenery\\New", 8});
      areas.push_back({"Area.005", "Addon Scenery\\Newer", "Addon Scenery\\Newer", 9});
    }
    EXPECT_EQ(e2e::Cfg(p), e2e::CfgText(areas)) << args[0];
  }
}

TEST(Gaps, SortKeepsTheStackOfMoreThanAThousandAreas) {
  TestPrefix p;
  std::vector<Area> areas, sorted;
  for (int i = 1; i <= 1200; ++i) {
    const int layer = 1201 - i;
    areas.push_back({AreaName(i), "T" + std::to_string(layer), "Addon Scenery\\A", layer});
  }
  for (int layer = 1; layer <= 1200; ++layer)
    sorted.push_back({AreaName(layer), "T" + std::to_string(layer), "Addon Scenery\\A", layer});
  p.MakeFS9(e2e::CfgText(areas));
  RunIn(p, {"-s"});
  std::string expected;
  for (const Area& a : sorted) expected += e2e::AreaText(a);
  EXPECT_EQ(e2e::Cfg(p), expected + e2e::GeneralText());
}

// ------------------------------------------------------------ spellings

TEST(Spellings, FindAndRemoveTheFolderHoweverItIsWritten) {
  const char* typed[] = {"Addon Scenery\\Old Mesh", "C:\\FS9\\Addon Scenery\\Old Mesh",
                         "%a\\Old Mesh", "ADDON SCENERY\\OLD MESH", "%f/Addon Scenery/Old Mesh/"};
  for (const char* stored : {"Addon Scenery\\Old Mesh", "c:\\fs9\\addon scenery\\OLD MESH\\"}) {
    TestPrefix p;
    Install(p, {{"Area.004", "Old Mesh", stored, 4}}, {"Addon Scenery/Old Mesh"});
    for (const char* spelling : typed) {
      EXPECT_EQ(RunIn(p, {"-f", spelling, "0"}).Out, Banner() + Lines({" Result (-1 = not found): 4"}))
          << stored << " | " << spelling;
      WriteFile(p.C("FS9/Addon Scenery/Old Mesh/scenery/file.bgl"), "x");
      RunIn(p, {"-rf", spelling});
      EXPECT_FALSE(PathExists(p.C("FS9/Addon Scenery/Old Mesh"))) << stored << " | " << spelling;
      MakeDirs(p.C("FS9/Addon Scenery/Old Mesh"));
    }
  }
}

// ------------------------------------------------------------ batch files

TEST(Installer, StartedWithBItCopiesAndAddsNothing) {
  TestPrefix p;
  Install(p, {}, {});
  const std::string script = ReadFile(SourceDir() + "/examples/install-addon.txt");
  WriteFile(p.C("Setup/install-addon.txt"), script);
  WriteFile(p.C("Setup/MyAddon/scenery/a.bgl"), "a");
  const std::string cfg = e2e::Cfg(p);
  // The copy (%b), the insert (%b, then %u) and the find by title (%u).
  std::string told;
  for (const auto& [command, variable] : {std::pair{"\n-c ", "%b"}, {"\n-i ", "%b"}, {"\n-ft ", "%u"}}) {
    const auto lines = std::count(script.begin(), script.begin() + script.find(command) + 1, '\n');
    told += "layrix: skipped line " + std::to_string(lines + 1) + " of C:\\Setup\\install-addon.txt: " +
            variable + " has no value in a batch file started with -b (-bu sets it)\r\n";
  }
  const RunResult r = RunIn(p, {"-b", "install-addon.txt"}, p.C("Setup"));
  EXPECT_EQ(r.Err, told);
  EXPECT_EQ(r.Out, Banner() + Lines({" Processing batch file 'C:\\Setup\\install-addon.txt'...", "",
                                     " Checking scenery.cfg...", "", " Done.", ""}));
  EXPECT_EQ(e2e::Cfg(p), cfg);
  EXPECT_FALSE(PathExists(p.C("MyAddon")));
  EXPECT_EQ(ListTree(p.C("Setup")), (Tree{"MyAddon/", "MyAddon/scenery/", "MyAddon/scenery/a.bgl",
                                          "install-addon.txt"}));
}

TEST(Installer, AFolderTypedWithoutADriveIsStoredWithOne) {
  TestPrefix p;
  std::string hostAnswer = p.Root() + "/addons", zPath = "Z:" + hostAnswer;
  for (char& c : zPath) c = c == '/' ? '\\' : c;
  const struct {
    std::string Cwd, Answer, Local;
  } cases[] = {{p.C("Setup"), "\\Addons", "..\\Addons\\MyAddon"},
               {p.Work(), hostAnswer, zPath + "\\MyAddon"}};
  for (const auto& c : cases) {
    Install(p, {}, {});
    WriteFile(c.Cwd + "/install-addon.txt", ReadFile(SourceDir() + "/examples/install-addon.txt"));
    WriteFile(c.Cwd + "/MyAddon/scenery/a.bgl", "a");
    const RunResult r = RunIn(p, {"-bu", "install-addon.txt"}, c.Cwd, c.Answer + "\nMy Add-on\n");
    EXPECT_EQ(r.Err, "");
    std::vector<Area> areas = Stock();
    areas.push_back({"Area.004", "My Add-on", c.Local, 4});
    EXPECT_EQ(e2e::Cfg(p), e2e::CfgText(areas)) << c.Answer;
  }
  EXPECT_EQ(ReadFile(p.C("Addons/MyAddon/scenery/a.bgl")), "a");
  EXPECT_EQ(ReadFile(hostAnswer + "/MyAddon/scenery/a.bgl"), "a");
}

}  // namespace
