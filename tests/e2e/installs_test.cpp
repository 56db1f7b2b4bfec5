// The installs people run today, end to end: FSX Steam Edition and
// Prepar3D served from their own places, the setting Simulator=, and the
// Linux build finding Proton's prefix without WINEPREFIX.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "cfg_text.h"
#include "platform/simulator_keys.h"
#include "test_prefix.h"

namespace {

using namespace testing_support;
using e2e::CfgText;
using e2e::SampleAreas;

const std::string& kNoCfg = e2e::kNoLibrary;

std::string PathLines(const std::string& cfg) {
  return Banner() + Lines({" The current scenery.cfg is:", " " + cfg, ""});
}

// A simulator registered under `key` at C:\<folder> with the sample library
// in `cfgBelowProgramData` (below C:\ProgramData) and the sample's folders.
void MakeInstall(TestPrefix& p, const char* key, const std::string& folder,
                 const std::string& cfgBelowProgramData) {
  std::string windowsFolder = "C:\\" + folder;
  std::replace(windowsFolder.begin(), windowsFolder.end(), '/', '\\');
  p.RegisterAppPath(key, windowsFolder);
  p.SetCommonAppData("C:\\ProgramData");
  WriteFile(p.C("ProgramData/" + cfgBelowProgramData), CfgText(SampleAreas()));
  for (const char* sub : {"Scenery/World/scenery", "Scenery/BASE/scenery", "Addon Scenery/scenery",
                          "Addon Scenery/OldAirport/scenery", "Texture", "Effects"})
    MakeDirs(p.C(folder + "/" + sub));
  MakeDirs(p.C("Mesh/scenery"));
}

void MakeSteamEdition(TestPrefix& p) {
  MakeInstall(p, simkeys::kFSXSteamEdition, "Steam/steamapps/common/FSX", "Microsoft/FSX-SE/scenery.cfg");
}

TEST(Installs, OnlyTheSteamEditionIsFoundAndFollowedEverywhere) {
  TestPrefix p;
  MakeSteamEdition(p);
  EXPECT_EQ(RunLayrix(p, {"-g"}).Out, PathLines("C:\\ProgramData\\Microsoft\\FSX-SE\\scenery.cfg"));
  // Relative folders and the path variables follow its program folder.
  RunResult r = RunLayrix(p, {"-f", "Addon Scenery\\OldAirport", "0"});
  EXPECT_EQ(r.Out, Banner() + Lines({" Result (-1 = not found): 4"}));
  MakeDirs(p.C("Steam/steamapps/common/FSX/Addon Scenery/New Pack/scenery"));
  r = RunLayrix(p, {"-i", "%a\\New Pack", "New Pack", "-1"});
  EXPECT_EQ(r.ExitCode, 0) << r.Err;
  const std::string cfg = ReadFile(p.C("ProgramData/Microsoft/FSX-SE/scenery.cfg"));
  EXPECT_NE(cfg.find("Title=new pack\r\nLocal=Addon Scenery\\new pack\r\n"), std::string::npos) << cfg;
  // Every relative folder is found below it: the check reports nothing.
  EXPECT_EQ(RunLayrix(p, {"-x", "0"}).Out, Banner());
}

TEST(Installs, FS9IsStillChosenBesideTheSteamEdition) {
  TestPrefix p;
  MakeSteamEdition(p);
  p.MakeFS9(CfgText({}));
  EXPECT_EQ(RunLayrix(p, {"-g"}).Out, PathLines("C:\\FS9\\scenery.cfg"));
  WriteFile(p.Work() + "/layrix.ini", "[Main]\r\nSimulator=fsx-se\r\nForceVersion=9\r\n");
  EXPECT_EQ(RunLayrix(p, {"-g"}).Out, PathLines("C:\\ProgramData\\Microsoft\\FSX-SE\\scenery.cfg"));
}

TEST(Installs, TheSettingNamesPrepar3D) {
  TestPrefix p;
  p.MakeFS9(CfgText({}));
  MakeInstall(p, simkeys::kPrepar3Dv5, "P3D5", "Lockheed Martin/Prepar3D v5/scenery.cfg");
  WriteFile(p.Work() + "/layrix.ini", "[Main]\r\nSimulator=P3Dv5\r\n");
  EXPECT_EQ(RunLayrix(p, {"-g"}).Out,
            PathLines("C:\\ProgramData\\Lockheed Martin\\Prepar3D v5\\scenery.cfg"));
  // Named but not installed: the usual message, and the ones installed.
  WriteFile(p.Work() + "/layrix.ini", "[Main]\r\nSimulator=P3Dv6\r\n");
  RunResult r = RunLayrix(p, {"-g"});
  EXPECT_EQ(r.ExitCode, 0);
  EXPECT_EQ(r.Out, Banner() + kNoCfg);
  EXPECT_NE(r.Err.find("installed: FS9 at C:\\FS9\\, P3Dv5 at C:\\P3D5\\;"), std::string::npos) << r.Err;
}

TEST(Installs, AnUnknownSimulatorStopsTheRun) {
  TestPrefix p;
  e2e::MakeSample(p);
  WriteFile(p.Work() + "/layrix.ini", "[Main]\r\nSimulator=Prepar3D\r\n");
  RunResult r = RunLayrix(p, {"-s"});
  EXPECT_EQ(r.ExitCode, 1);
  EXPECT_EQ(r.Out, Banner());
  EXPECT_EQ(r.Err,
            "layrix: error: unknown simulator 'Prepar3D' in the setting Simulator of layrix.ini; "
            "the known names are FS9, FSX, FSX-SE, P3Dv3, P3Dv4, P3Dv5, P3Dv6\r\n");
  EXPECT_EQ(e2e::Cfg(p), CfgText(SampleAreas()));
}

// Without WINEPREFIX: ~/.wine holds nothing, Steam lists a second library
// whose Proton prefix of FSX Steam Edition is the test prefix.
TEST(Installs, ProtonPrefixFoundThroughSteamsLibraries) {
  TestPrefix p;
  MakeSteamEdition(p);
  const std::string steam = p.Home() + "/.local/share/Steam";
  const std::string library = p.Root() + "/games";
  WriteFile(steam + "/steamapps/libraryfolders.vdf",
            "\"libraryfolders\"\n{\n\t\"0\"\n\t{\n\t\t\"path\"\t\t\"" + steam +
                "\"\n\t}\n\t\"1\"\n\t{\n\t\t\"path\"\t\t\"" + library + "\"\n\t}\n}\n");
  MakeDirs(library + "/steamapps/compatdata/314160");
  ASSERT_EQ(symlink(p.Prefix().c_str(), (library + "/steamapps/compatdata/314160/pfx").c_str()), 0);
  RunOptions o;
  o.Unset = {"WINEPREFIX"};
  RunResult r = RunLayrix(p, {"-g"}, o);
  EXPECT_EQ(r.Out, PathLines("C:\\ProgramData\\Microsoft\\FSX-SE\\scenery.cfg"));
  EXPECT_EQ(r.Err, "");

  // A list Steam did not finish writing: Steam's own folder is searched,
  // and a run that finds nothing says where it looked.
  WriteFile(steam + "/steamapps/libraryfolders.vdf", "\"libraryfolders\"\n{\n\t\"0\"\n\t{\n");
  r = RunLayrix(p, {"-g"}, o);
  EXPECT_EQ(r.ExitCode, 0);
  EXPECT_EQ(r.Out, Banner() + kNoCfg);
  EXPECT_EQ(r.Err, "layrix: Steam's list of library folders " + steam +
                       "/steamapps/libraryfolders.vdf is malformed (line 4: a block is not closed); only " +
                       steam + " was searched\r\n"
                       "layrix: no simulator is registered in the Wine prefix " + p.Home() +
                       "/.wine, and no Steam library holds a Proton prefix of FSX Steam Edition "
                       "(steamapps/compatdata/314160/pfx) in " + steam +
                       "; set WINEPREFIX to the Wine prefix that holds the simulator\r\n");
}

}  // namespace
