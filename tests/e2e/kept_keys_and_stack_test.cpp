// Libraries as other tools and Prepar3D's add-on packages leave them, end to
// end on a Prepar3D v5 installation: keys the program does not read survive
// a save, and sorting and inserting on top keep the areas on their side of
// the package components that stand among them by their <Layer>.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cfg_text.h"
#include "platform/simulator_keys.h"
#include "test_prefix.h"

namespace {

using namespace testing_support;
using e2e::Area;
using e2e::AreaText;

const char* const kShellFolders = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const char* const kCfg = "ProgramData/Lockheed Martin/Prepar3D v5/scenery.cfg";
const char* const kPackage = "users/Pilot/Documents/Prepar3D v5 Add-ons/Pack/add-on.xml";

const std::string kGeneral = "[General]\r\nTitle=P3D\r\nDescription=D\r\nClean_on_Exit=TRUE\r\n";

// The two required areas every row starts with.
std::string Base() {
  return AreaText({"Area.001", "Default Terrain", "Scenery\\World", 1, true, true}) +
         AreaText({"Area.002", "Default Scenery", "Scenery\\BASE", 2, true, true});
}

std::string AddOn(const std::string& name, const std::string& title, int layer,
                  const std::string& keys = "") {
  return AreaText({name, title, "Addon Scenery\\" + title, layer, true, false}) + keys;
}

// A package discovered in Documents with one scenery component per layer.
std::string PackageXml(const std::vector<int>& layers) {
  std::string xml =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<SimBase.Document Type=\"AddOnXml\" "
      "version=\"4,0\" id=\"add-on\">\r\n  <AddOn.Name>Pack</AddOn.Name>\r\n";
  for (int layer : layers)
    xml += "  <AddOn.Component>\r\n    <Category>Scenery</Category>\r\n    <Name>Part " +
           std::to_string(layer) + "</Name>\r\n    <Path>Part" + std::to_string(layer) +
           "</Path>\r\n    <Layer>" + std::to_string(layer) + "</Layer>\r\n  </AddOn.Component>\r\n";
  return xml + "</SimBase.Document>\r\n";
}

TEST(KeptKeysAndStack, KeysOfOtherToolsAndPackageComponentsAreKept) {
  const struct {
    const char* What;
    std::string Cfg;              // after [General]
    std::vector<int> Components;  // the package's component layers
    std::vector<std::string> Args;
    std::string Expected;         // the file written, after [General]
  } cases[] = {
      {"keys of other tools survive a toggle",
       "[Area.001]\r\nTitle=Default Terrain\r\nTexture_ID=9\r\nLocal=Scenery\\World\r\n"
       "Layer=1\r\nActive=TRUE\r\nRequired=TRUE\r\n" +
           AreaText({"Area.002", "Default Scenery", "Scenery\\BASE", 2, true, true}) +
           "[Area.003]\r\nTitle=Old\r\nMyTool_Tag=keep me\r\nLocal=Addon Scenery\\Old\r\n"
           "Texture_ID=7\r\nLayer=3\r\nActive=TRUE\r\nRequired=FALSE\r\n",
       {},
       {"-t", "3"},
       "[Area.001]\r\nTitle=Default Terrain\r\nTexture_ID=9\r\nLocal=Scenery\\World\r\n"
       "Layer=1\r\nActive=TRUE\r\nRequired=TRUE\r\nRemote=\r\n" +
           AreaText({"Area.002", "Default Scenery", "Scenery\\BASE", 2, true, true}) +
           "[Area.003]\r\nTitle=Old\r\nTexture_ID=7\r\nLocal=Addon Scenery\\Old\r\nLayer=3\r\n"
           "Active=FALSE\r\nRequired=FALSE\r\nRemote=\r\nMyTool_Tag=keep me\r\n"},
      {"-s keeps areas above a component above it, their keys with them",
       Base() + AddOn("Area.003", "High", 60, "Tag=high\r\n") + AddOn("Area.004", "Low", 50),
       {45},
       {"-s"},
       Base() + AddOn("Area.045", "Low", 45) + AddOn("Area.046", "High", 46, "Tag=high\r\n")},
      {"-s keeps areas on both sides of two components",
       Base() + AddOn("Area.003", "Top", 90) + AddOn("Area.004", "Mid", 30) + AddOn("Area.005", "Low", 10),
       {20, 80},
       {"-s"},
       Base() + AddOn("Area.003", "Low", 3) + AddOn("Area.020", "Mid", 20) + AddOn("Area.080", "Top", 80)},
      {"-i ... -1 goes above the component, not above the areas only",
       Base() + AddOn("Area.003", "Old", 35),
       {45},
       {"-i", "Addon Scenery\\New", "New", "-1"},
       Base() + AddOn("Area.003", "Old", 35) +
           AreaText({"Area.004", "new", "addon scenery\\new", 46, true, false})},
      {"-ia adds on top of the component too",
       Base() + AddOn("Area.003", "New", 3),
       {12, 45},
       {"-ia", "Addon Scenery"},
       Base() + AddOn("Area.003", "New", 3) +
           AreaText({"Area.004", "addon scenery\\Second", "addon scenery\\Second", 46, true, false})},
  };
  for (const auto& c : cases) {
    TestPrefix p;
    p.RegisterAppPath(simkeys::kPrepar3Dv5, "C:\\P3D");
    p.SetCommonAppData("C:\\ProgramData");
    p.AddUserValue(kShellFolders, "\"Personal\"=\"C:\\\\users\\\\Pilot\\\\Documents\"");
    for (const char* folder : {"P3D/Scenery/World/scenery", "P3D/Scenery/BASE/scenery",
                               "P3D/Addon Scenery/New/scenery", "P3D/Addon Scenery/Second/scenery"})
      MakeDirs(p.C(folder));
    WriteFile(p.C(kCfg), kGeneral + c.Cfg);
    std::string xml;
    if (!c.Components.empty()) {
      xml = PackageXml(c.Components);
      WriteFile(p.C(kPackage), xml);
    }
    const RunResult r = RunLayrix(p, c.Args);
    EXPECT_EQ(r.ExitCode, 0) << c.What;
    EXPECT_EQ(r.Err, "") << c.What;
    const std::string written = ReadFile(p.C(kCfg));
    // The General section goes last after a sort, first otherwise.
    const std::string expected = c.Args[0] == "-s" ? c.Expected + kGeneral : kGeneral + c.Expected;
    EXPECT_EQ(written, expected) << c.What;
    if (!xml.empty()) {
      EXPECT_EQ(ReadFile(p.C(kPackage)), xml) << c.What;  // never changed
    }
  }
}

}  // namespace
