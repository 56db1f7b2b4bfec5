// "-ia", "-v-" and "-v+" run through the program against a throwaway prefix.
#include <gtest/gtest.h>

#include <unistd.h>

#include <string>
#include <vector>

#include "test_prefix.h"
#include "cfg_text.h"

using testing_support::Banner;
using testing_support::ListTree;
using testing_support::PathExists;
using testing_support::ReadFile;
using testing_support::RunLayrix;
using testing_support::RunResult;
using testing_support::TestPrefix;
using testing_support::WriteFile;

namespace {

using Tree = std::vector<std::string>;

std::vector<e2e::Area> StockAreas() {
  return {
      {"Area.001", "Default Terrain", "Scenery\\World", 1, true, true},
      {"Area.002", "Default Scenery", "Scenery\\BASE", 2, true, true},
      {"Area.003", "Addon Scenery", "Addon Scenery", 3, true, false},
  };
}

// An older-format header: the marker at 118 (0 = version 6, 0x87654321 =
// version 7) and the airport field at 66 set.
std::string OldAirportBgl(uint32_t marker) {
  std::string b(168, '\0');
  e2e::PutLE32(b, 118, marker);
  e2e::PutLE32(b, 66, 1);
  return b;
}

RunResult RunOk(const TestPrefix& p, const std::vector<std::string>& args) {
  RunResult r = RunLayrix(p, args);
  EXPECT_EQ(r.ExitCode, 0) << r.Err;
  EXPECT_EQ(r.Err, "");
  return r;
}

// ------------------------------------------------------------ -ia

TEST(AddNewScenery, AddsFoldersDeepestFirstInListingOrder) {
  TestPrefix p;
  p.MakeFS9(e2e::CfgText(StockAreas()));
  testing_support::MakeDirs(p.C("FS9/Addon Scenery/Pack/b/Scenery"));
  testing_support::MakeDirs(p.C("FS9/Addon Scenery/Pack/A/scenery/scenery"));
  testing_support::MakeDirs(p.C("FS9/Addon Scenery/Pack/c/texture"));
  testing_support::MakeDirs(p.C("FS9/Addon Scenery/Pack/.hidden/scenery"));
  testing_support::MakeDirs(p.C("Outside/scenery"));
  ASSERT_EQ(symlink(p.C("Outside").c_str(), p.C("FS9/Addon Scenery/Pack/link").c_str()), 0);
  const std::string before = e2e::Cfg(p);

  RunResult r = RunOk(p, {"-ia", "Addon Scenery\\Pack"});
  EXPECT_EQ(r.Out, Banner());
  // The path typed comes lower-cased, the folders found keep their case.
  std::vector<e2e::Area> expected = StockAreas();
  expected.push_back({"Area.004", "addon scenery\\pack\\A\\scenery", "addon scenery\\pack\\A\\scenery", 4});
  expected.push_back({"Area.005", "addon scenery\\pack\\A", "addon scenery\\pack\\A", 5});
  expected.push_back({"Area.006", "addon scenery\\pack\\b", "addon scenery\\pack\\b", 6});
  EXPECT_EQ(e2e::Cfg(p), e2e::CfgText(expected));
  EXPECT_EQ(ReadFile(e2e::BackupPath(p)), before);
}

TEST(AddNewScenery, SkipsListedFoldersWhateverTheSpelling) {
  TestPrefix p;
  std::vector<e2e::Area> areas = StockAreas();
  areas.push_back({"Area.004", "Pack A", "Addon Scenery\\Pack\\A", 4});
  p.MakeFS9(e2e::CfgText(areas));
  testing_support::MakeDirs(p.C("FS9/Addon Scenery/Pack/A/scenery"));
  testing_support::MakeDirs(p.C("FS9/Addon Scenery/Pack/B/scenery"));

  RunOk(p, {"-ia", "C:\\FS9\\Addon Scenery\\Pack\\"});
  areas.push_back({"Area.005", "addon scenery\\pack\\B", "addon scenery\\pack\\B", 5});
  EXPECT_EQ(e2e::Cfg(p), e2e::CfgText(areas));

  // A second scan finds nothing new, writes nothing and says so.
  const std::string after = e2e::Cfg(p);
  const RunResult r = RunLayrix(p, {"-ia", "Addon Scenery\\Pack"});
  EXPECT_EQ(r.ExitCode, 0);
  EXPECT_NE(r.Err.find("no new scenery found in 'addon scenery\\pack'"), std::string::npos) << r.Err;
  EXPECT_EQ(e2e::Cfg(p), after);
}

// ------------------------------------------------------------ -v- and -v+

class BglSwitch : public ::testing::Test {
 protected:
  BglSwitch() {
    std::vector<e2e::Area> areas = StockAreas();
    areas.push_back({"Area.004", "Mine", "Addon Scenery\\Mine", 4});
    p.MakeFS9(e2e::CfgText(areas));
    Put("Airport.BGL", e2e::NewBgl({3}));
    Put("vector.bgl", e2e::NewBgl({3, 101}));
    Put("old6.bgl", OldAirportBgl(0));
    Put("old7.bgl", OldAirportBgl(0x87654321u));
    Put("unknown.bgl", e2e::NewBgl({200}));
    Put("broken.bgl", "xx");
    Put("readme.txt", "text");
    Put("deeper/deep.bgl", e2e::NewBgl({3}));
    cfgBefore = e2e::Cfg(p);
  }

  void Put(const std::string& name, const std::string& bytes) {
    WriteFile(p.C("FS9/Addon Scenery/Mine/scenery/" + name), bytes);
  }
  Tree Files() const { return ListTree(p.C("FS9/Addon Scenery/Mine/scenery")); }

  // Runs one switch; it prints the banner only and leaves scenery.cfg alone.
  void Switch(const std::vector<std::string>& args) {
    RunResult r = RunOk(p, args);
    EXPECT_EQ(r.Out, Banner());
    EXPECT_EQ(e2e::Cfg(p), cfgBefore);
  }

  TestPrefix p;
  std::string cfgBefore;
};

TEST_F(BglSwitch, OffByVersionAndContentThenOnAgain) {
  Switch({"-v-", "4", "9", "1"});
  EXPECT_EQ(Files(), (Tree{"airport.~bgl", "broken.bgl", "deeper/", "deeper/deep.bgl", "old6.bgl",
                           "old7.bgl", "readme.txt", "unknown.bgl", "vector.bgl"}));
  Switch({"-v-", "4", "6", "16383"});
  EXPECT_TRUE(PathExists(p.C("FS9/Addon Scenery/Mine/scenery/old6.~bgl")));
  EXPECT_TRUE(PathExists(p.C("FS9/Addon Scenery/Mine/scenery/old7.bgl")));
  // VOR only: nothing here holds one.
  Switch({"-v-", "4", "0", "2"});
  Switch({"-v-", "4", "0", "16383"});
  EXPECT_EQ(Files(), (Tree{"airport.~bgl", "broken.bgl", "deeper/", "deeper/deep.bgl", "old6.~bgl",
                           "old7.~bgl", "readme.txt", "unknown.bgl", "vector.~bgl"}));

  Switch({"-v+", "4", "10", "8192"});
  EXPECT_TRUE(PathExists(p.C("FS9/Addon Scenery/Mine/scenery/vector.bgl")));
  Switch({"-v+", "4", "0", "16383"});
  EXPECT_EQ(Files(), (Tree{"airport.bgl", "broken.bgl", "deeper/", "deeper/deep.bgl", "old6.bgl",
                           "old7.bgl", "readme.txt", "unknown.bgl", "vector.bgl"}));
}

TEST_F(BglSwitch, AFileWhoseNewNameExistsKeepsItsNameWithANote) {
  Put("OLD6.~BGL", "an older copy");
  RunResult r = RunLayrix(p, {"-v-", "4", "0", "1"});
  EXPECT_EQ(r.ExitCode, 0);
  EXPECT_EQ(r.Out, Banner());
  const std::string folder = "C:\\FS9\\Addon Scenery\\Mine\\scenery\\";
  EXPECT_EQ(r.Err, "layrix: left " + folder + "old6.bgl as it is: " + folder +
                       "old6.~bgl exists already\r\n");
  EXPECT_TRUE(PathExists(p.C("FS9/Addon Scenery/Mine/scenery/old6.bgl")));
  EXPECT_EQ(ReadFile(p.C("FS9/Addon Scenery/Mine/scenery/OLD6.~BGL")), "an older copy");
  EXPECT_TRUE(PathExists(p.C("FS9/Addon Scenery/Mine/scenery/airport.~bgl")));
}

TEST_F(BglSwitch, InvalidVersionOrFilterIsNotACommand) {
  const Tree before = Files();
  for (const char* version : {"8", "5", "11", "-2"}) {
    RunResult r = RunLayrix(p, {"-v-", "4", version, "1"});
    EXPECT_NE(r.Out.find(" Usage: layrix"), std::string::npos) << version;
    EXPECT_EQ(r.Err, "layrix: the version of '-v-' is 0 (any), 6, 7, 9 or 10, not '" +
                         std::string(version) + "'\r\n");
  }
  RunResult r = RunLayrix(p, {"-v-", "4", "0", "16384"});
  EXPECT_NE(r.Out.find(" Usage: layrix"), std::string::npos);
  EXPECT_NE(r.Err.find("filter of '-v-' is a number from 0 to 16383"), std::string::npos) << r.Err;
  EXPECT_EQ(Files(), before);
}

TEST_F(BglSwitch, NoSuchLayerChangesNothing) {
  const Tree before = Files();
  for (const char* layer : {"17", "-1"}) {
    RunResult r = RunLayrix(p, {"-v-", layer, "0", "16383"});
    EXPECT_EQ(r.Out, Banner());
    EXPECT_NE(r.Err.find("no layer found, nothing changed"), std::string::npos) << r.Err;
  }
  EXPECT_EQ(Files(), before);
}

TEST_F(BglSwitch, InactiveExtensionFromTheSettingsFile) {
  WriteFile(p.Work() + "/layrix.ini", "[Main]\r\nRenameExtension=.off\r\n");
  Switch({"-v-", "4", "9", "1"});
  EXPECT_TRUE(PathExists(p.C("FS9/Addon Scenery/Mine/scenery/airport.off")));
  Switch({"-v+", "4", "0", "1"});
  EXPECT_TRUE(PathExists(p.C("FS9/Addon Scenery/Mine/scenery/airport.bgl")));
}

}  // namespace
