// The add-on packages of a Prepar3D v5 installation end to end: one tree
// with every kind of package (listed in each add-ons.cfg, discovered, off,
// reached twice, missing, on an area's folder, with a <Layer>, in UTF-16,
// malformed), listed by -l in the merged order with every marker, checked by
// -x, and never touched by -x 1.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cfg_text.h"
#include "platform/simulator_keys.h"
#include "test_prefix.h"

namespace {

using namespace testing_support;
using e2e::Area;
using e2e::AddOnXml;
using e2e::CfgText;

const char* const kShellFolders = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const char* const kCfg = "ProgramData/Lockheed Martin/Prepar3D v5/scenery.cfg";

std::string PackageSection(const std::string& section, const std::string& path, bool active) {
  return "[" + section + "]\r\nPATH=" + path + "\r\nTITLE=" + section + "\r\nACTIVE=" +
         (active ? "true" : "false") + "\r\nREQUIRED=false\r\n\r\n";
}

// A listed line: the layer (as printed), the state, the title filled to 40
// characters, and the rest.
std::string Row(const std::string& layer, const std::string& state, const std::string& title,
                const std::string& rest) {
  return " " + layer + "  " + state + "  " + title + std::string(40 - title.size(), ' ') + "  " + rest;
}

class Packages : public ::testing::Test {
 protected:
  void SetUp() override {
    e2e::RegisterPrepar3Dv5(p);
    // Layer 5 is left free, as package installers leave it.
    WriteFile(p.C(kCfg), CfgText({
                             {"Area.001", "Default Terrain", "Scenery\\World", 1, true, true},
                             {"Area.002", "Default Scenery", "Scenery\\BASE", 2, true, true},
                             {"Area.003", "Addon Scenery", "Addon Scenery", 3, true, false},
                             {"Area.004", "My Airport", "Addon Scenery\\MyAirport", 4, true, false},
                             {"Area.005", "Gone", "Addon Scenery\\Gone", 6, true, false},
                         }));
    for (const char* folder : {"P3D/Scenery/World/scenery", "P3D/Scenery/BASE/scenery",
                               "P3D/Addon Scenery/scenery", "P3D/Addon Scenery/MyAirport/scenery"})
      MakeDirs(p.C(folder));
  }

  void MakePackages() {
    const std::string local = "users/Pilot/AppData/Local/Lockheed Martin/Prepar3D v5/add-ons.cfg";
    const std::string roaming = "users/Pilot/AppData/Roaming/Lockheed Martin/Prepar3D v5/add-ons.cfg";
    const std::string common = "ProgramData/Lockheed Martin/Prepar3D v5/add-ons.cfg";
    const std::string docs = "users/Pilot/Documents/Prepar3D v5 Add-ons/";
    WriteFile(p.C(local), PackageSection("Package.0", "C:\\Addons\\Mesh", true) +
                              PackageSection("Package.1", "C:\\Addons\\Gone Pack", true));
    WriteFile(p.C(roaming), PackageSection("Package.0", "C:\\Addons\\Clouds\\", false) +
                                PackageSection("Package.1", "C:\\Addons\\No Description", true) +
                                PackageSection("Package.2", "C:\\Addons\\Nowhere", true) +
                                "[Package.3]\r\nTITLE=No path\r\n");
    WriteFile(p.C(common), PackageSection("Package.0", "c:\\addons\\MESH", true) +
                               PackageSection("Package.1", "C:\\Addons\\Wide", true) +
                               PackageSection("DiscoveryPath.0", "C:\\More", true));
    WriteFile(p.C("Addons/Mesh/add-on.xml"), AddOnXml("Mesh", e2e::SceneryComponent("Mesh 10 m", "Mesh", "5") +
                                                     e2e::SceneryComponent("Mesh Base", "C:\\P3D\\Scenery\\BASE", "2")));
    MakeDirs(p.C("Addons/Mesh/Mesh/scenery"));
    WriteFile(p.C("Addons/Gone Pack/add-on.xml"),
              AddOnXml("Gone Pack", e2e::SceneryComponent("Gone Scenery", "Scenery Gone")));
    WriteFile(p.C("Addons/Clouds/add-on.xml"),
              AddOnXml("Clouds", e2e::SceneryComponent("Clouds", "C:\\Addons\\Clouds\\Clouds")));
    MakeDirs(p.C("Addons/Clouds/Clouds/scenery"));
    MakeDirs(p.C("Addons/No Description"));
    // UTF-16 with its mark.
    std::string wide = "\xFF\xFE";
    for (char c : AddOnXml("Wide", e2e::SceneryComponent("Wide", "Wide"))) wide += std::string{c, '\0'};
    WriteFile(p.C("Addons/Wide/add-on.xml"), wide);
    MakeDirs(p.C("Addons/Wide/Wide/scenery"));
    WriteFile(p.C("More/Island/add-on.xml"), AddOnXml("Island", e2e::SceneryComponent("Island", "Island", "4")));
    MakeDirs(p.C("More/Island/Island/scenery"));
    WriteFile(p.C(docs + "Update/add-on.xml"),
              AddOnXml("Update", e2e::SceneryComponent("Airport Update", "C:\\P3D\\Addon Scenery\\MyAirport") +
                                     e2e::SceneryComponent("Mesh Again", "C:/Addons/Mesh/Mesh/")));
    WriteFile(p.C(docs + "Broken/add-on.xml"), "<SimBase.Document>\r\n<AddOn.Name>x</AddOn.Name>\r\n");
    MakeDirs(p.C(docs + "Not A Package"));
  }

  TestPrefix p;
};

TEST_F(Packages, ListedInTheMergedOrderWithEveryMarker) {
  MakePackages();
  RunResult r = RunLayrix(p, {"-l"});
  EXPECT_EQ(r.ExitCode, 0);
  EXPECT_EQ(r.Out, Banner() + Lines({
      " Scenery library: C:\\ProgramData\\Lockheed Martin\\Prepar3D v5\\scenery.cfg",
      Row("top", "on ", "Mesh Again", "C:\\Addons\\Mesh\\Mesh  package discovered"),
      Row("top", "on ", "Airport Update", "C:\\P3D\\Addon Scenery\\MyAirport  package discovered"),
      Row("top", "on ", "Wide", "C:\\Addons\\Wide\\Wide  package ProgramData"),
      Row("top", "off", "Clouds", "C:\\Addons\\Clouds\\Clouds  package AppData"),
      Row("top", "on ", "Gone Scenery", "C:\\Addons\\Gone Pack\\Scenery Gone  package LocalAppData  missing"),
      Row("  6", "on ", "Gone", "Addon Scenery\\Gone  missing"),
      Row("  5", "on ", "Mesh 10 m", "C:\\Addons\\Mesh\\Mesh  package LocalAppData  duplicate"),
      Row("  4", "on ", "My Airport", "Addon Scenery\\MyAirport  duplicate"),
      Row("  4", "on ", "Island", "C:\\More\\Island\\Island  package discovered"),
      Row("  3", "on ", "Addon Scenery", "Addon Scenery"),
      Row("  2", "on ", "Default Scenery", "Scenery\\BASE  required"),
      Row("  2", "on ", "Mesh Base", "C:\\P3D\\Scenery\\BASE  package LocalAppData  duplicate"),
      Row("  1", "on ", "Default Terrain", "Scenery\\World  required"),
      " 5 areas, 0 off, 1 missing, 1 duplicate; 6 packages, 8 components, 1 off, 1 missing, 2 duplicates",
  }));
  const std::string roaming = "C:\\users\\Pilot\\AppData\\Roaming\\Lockheed Martin\\Prepar3D v5\\add-ons.cfg";
  EXPECT_EQ(r.Err, Lines({
      "layrix: " + roaming + ": [Package.3] names no PATH; it is passed over",
      "layrix: the package folder C:\\Addons\\No Description listed in " + roaming +
          " holds no add-on.xml; the package is left out",
      "layrix: the package folder C:\\Addons\\Nowhere listed in " + roaming +
          " does not exist; the package is left out",
      "layrix: C:\\users\\Pilot\\Documents\\Prepar3D v5 Add-ons\\Broken\\add-on.xml is malformed "
      "(line 1: the element <SimBase.Document> is not closed); the package is left out",
  }));
}

TEST_F(Packages, CheckReportsComponentsAndRemovesNothingOfThem) {
  MakePackages();
  const std::string gonePackage =
      " not found! - package: C:\\Addons\\Nowhere  listed in "
      "C:\\users\\Pilot\\AppData\\Roaming\\Lockheed Martin\\Prepar3D v5\\add-ons.cfg";
  const std::string report = Banner() + Lines({
      " not found! - 6: Addon Scenery\\Gone",
      " not found! - top: C:\\Addons\\Gone Pack\\Scenery Gone  package C:\\Addons\\Gone Pack\\add-on.xml",
      gonePackage,
  });
  EXPECT_EQ(RunLayrix(p, {"-x", "0"}).Out, report);
  // Taken after a first run, which leaves the library's lock file.
  const std::vector<std::string> before = ListTree(p.DriveC());
  const std::string xmlBefore = ReadFile(p.C("Addons/Gone Pack/add-on.xml"));
  RunResult r = RunLayrix(p, {"-x", "1"});
  EXPECT_EQ(r.ExitCode, 0);
  EXPECT_EQ(r.Out, report);
  // Only scenery.cfg changed (and its backup and the kept state are new):
  // every package file and folder is as it was.
  std::vector<std::string> after = ListTree(p.DriveC());
  std::erase(after, "ProgramData/Lockheed Martin/Prepar3D v5/scenery.~cfg");
  std::erase_if(after, [](const std::string& path) {
    return path.starts_with("ProgramData/Lockheed Martin/Prepar3D v5/.layrix.history/");
  });
  EXPECT_EQ(after, before);
  EXPECT_EQ(ReadFile(p.C("Addons/Gone Pack/add-on.xml")), xmlBefore);
  EXPECT_EQ(ReadFile(p.C(kCfg)).find("Addon Scenery\\Gone"), std::string::npos);
  // The packages are still reported: they were not taken away.
  EXPECT_EQ(RunLayrix(p, {"-x", "1"}).Out, Banner() + Lines({
      " not found! - top: C:\\Addons\\Gone Pack\\Scenery Gone  package C:\\Addons\\Gone Pack\\add-on.xml",
      gonePackage,
  }));
  EXPECT_NE(ReadFile(p.C("users/Pilot/AppData/Roaming/Lockheed Martin/Prepar3D v5/add-ons.cfg"))
                .find("C:\\Addons\\Nowhere"),
            std::string::npos);
}

// A component's folder is told the same whether it is seen where its
// description is read, looked at later in another spelling, or made full
// only later (a path with ".."): found, missing with a folder of another
// name beside it, missing without its "scenery" folder.
TEST_F(Packages, ComponentFoldersInEverySpelling) {
  const std::string docs = "users/Pilot/Documents/Prepar3D v5 Add-ons/";
  WriteFile(p.C(docs + "Pack/add-on.xml"),
            AddOnXml("Pack", e2e::SceneryComponent("Exact", "Exact") + e2e::SceneryComponent("Other", "OTHER\\SCENERY\\..") +
                                 e2e::SceneryComponent("Spelled", "spelled") + e2e::SceneryComponent("Gone", "Gone") +
                                 e2e::SceneryComponent("Half", "Half") + e2e::SceneryComponent("Up", "..\\Shared\\Area")));
  for (const char* folder : {"Pack/Exact/scenery", "Pack/Other/Scenery", "Pack/Spelled/SCENERY",
                             "Pack/Gone Not/scenery", "Pack/Half", "Shared/Area/scenery"})
    MakeDirs(p.C(docs + folder));
  const std::string pack = "C:\\users\\Pilot\\Documents\\Prepar3D v5 Add-ons\\Pack\\";
  const std::string listed = Lines({
      Row("top", "on ", "Up", "C:\\users\\Pilot\\Documents\\Prepar3D v5 Add-ons\\Shared\\Area  package discovered"),
      Row("top", "on ", "Half", pack + "Half  package discovered  missing"),
      Row("top", "on ", "Gone", pack + "Gone  package discovered  missing"),
      Row("top", "on ", "Spelled", pack + "spelled  package discovered"),
      Row("top", "on ", "Other", pack + "OTHER  package discovered"),
      Row("top", "on ", "Exact", pack + "Exact  package discovered"),
  });
  RunResult r = RunLayrix(p, {"-l"});
  EXPECT_EQ(r.Err, "");
  EXPECT_NE(r.Out.find(listed), std::string::npos) << r.Out;
  EXPECT_NE(r.Out.find("; 1 package, 6 components, 0 off, 2 missing, 0 duplicates"), std::string::npos);
  EXPECT_EQ(RunLayrix(p, {"-x", "0"}).Out,
            Banner() + Lines({" not found! - 6: Addon Scenery\\Gone",
                              " not found! - top: " + pack + "Gone  package " + pack + "add-on.xml",
                              " not found! - top: " + pack + "Half  package " + pack + "add-on.xml"}));
}

TEST_F(Packages, WithoutPackagesTheListingIsAsBefore) {
  RunResult r = RunLayrix(p, {"-l"});
  EXPECT_EQ(r.Err, "");
  EXPECT_NE(r.Out.find("\r\n 5 areas, 0 off, 1 missing, 0 duplicates\r\n"), std::string::npos);
  EXPECT_EQ(RunLayrix(p, {"-x", "0"}).Out, Banner() + Lines({" not found! - 6: Addon Scenery\\Gone"}));
  // An empty package list shows that the tool looked.
  WriteFile(p.C("ProgramData/Lockheed Martin/Prepar3D v5/add-ons.cfg"), "");
  EXPECT_NE(RunLayrix(p, {"-l"}).Out.find("duplicates; 0 packages, 0 components, 0 off, 0 missing"),
            std::string::npos);
}

// A "-l" of the command line searches for the packages while scenery.cfg
// is read: what the search meets is told after what the reading says, and
// nothing of it when the reading fails.
TEST_F(Packages, SearchedWhileTheLibraryIsReadAndToldInOrder) {
  MakePackages();
  p.AddUserValue(kShellFolders, "\"Personal\"=dword:00000001");
  RunResult r = RunLayrix(p, {"-l"});
  EXPECT_EQ(r.ExitCode, 0);
  ASSERT_FALSE(r.Err.empty());
  EXPECT_NE(r.Err.find("the add-on packages there are not looked for\r\n"), std::string::npos)
      << r.Err;
  EXPECT_EQ(r.Err.find("layrix: "), r.Err.rfind("layrix: ", r.Err.find("not looked for")));
  EXPECT_NE(r.Out.find(Row("top", "off", "Clouds", "C:\\Addons\\Clouds\\Clouds  package AppData")),
            std::string::npos);
  WriteFile(p.C(kCfg), "[Area.001]\r\nLayer=x\r\n");
  r = RunLayrix(p, {"-l"});
  EXPECT_EQ(r.ExitCode, 1);
  EXPECT_EQ(r.Err.find("not looked for"), std::string::npos) << r.Err;
  EXPECT_EQ(r.Err.find("add-ons.cfg"), std::string::npos) << r.Err;
}

// Each "-l" of a batch file searches anew: a package copied in between is
// listed by the second.
TEST_F(Packages, EachListingOfABatchFileSearchesAnew) {
  MakePackages();
  MakeDirs(p.C("Setup"));
  WriteFile(p.C("Setup/run.txt"),
            "-l\r\n-c C:\\More\\Island \"C:\\users\\Pilot\\Documents\\Prepar3D v5 Add-ons\\"
            "Island Copy\" 1\r\n-l\r\n");
  RunOptions o;
  o.Cwd = p.C("Setup");
  const RunResult r = RunLayrix(p, {"-b", "run.txt"}, o);
  EXPECT_EQ(r.ExitCode, 0) << r.Err;
  const std::string copied =
      "C:\\users\\Pilot\\Documents\\Prepar3D v5 Add-ons\\Island Copy\\Island";
  const size_t first = r.Out.find("; 6 packages, 8 components");
  ASSERT_NE(first, std::string::npos) << r.Out;
  EXPECT_EQ(r.Out.find(copied), r.Out.rfind(copied)) << r.Out;  // in the second listing only
  EXPECT_GT(r.Out.find(copied), first) << r.Out;
  EXPECT_NE(r.Out.find("; 7 packages, 9 components", first), std::string::npos) << r.Out;
}

}  // namespace
