// Library shapes met on users' machines, end to end, in one table: add-on
// packages below or on the folders the tree commands would empty, entries
// whose folder is gone or on a drive that is not there, folders a code page
// 1252 file cannot name, folders written as host paths, and a Prepar3D
// library numbered with gaps.  Each case checks standard output, the words
// on standard error, the library and the files on disk.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "cfg_text.h"
#include "platform/simulator_keys.h"
#include "test_prefix.h"

namespace {

using namespace testing_support;
using e2e::Area;
using e2e::CfgText;

const char* const kShellFolders = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const char* const kP3dCfg = "ProgramData/Lockheed Martin/Prepar3D v5/scenery.cfg";
const char* const kFsxCfg = "ProgramData/Microsoft/FSX/scenery.cfg";
const char* const kLocalList = "users/Pilot/AppData/Local/Lockheed Martin/Prepar3D v5/add-ons.cfg";

std::string AddOnXml(const std::string& name, const std::string& component, const std::string& path) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<SimBase.Document Type=\"AddOnXml\">\r\n"
         "  <AddOn.Name>" + name + "</AddOn.Name>\r\n  <AddOn.Component>\r\n"
         "    <Category>Scenery</Category>\r\n    <Name>" + component + "</Name>\r\n"
         "    <Path>" + path + "</Path>\r\n  </AddOn.Component>\r\n</SimBase.Document>\r\n";
}

// Prepar3D v5 at C:\P3D, numbered with a gap above the count (layer 40):
// "All my addons" lists C:\Addons, which holds the packages Mesh (listed)
// and Broken (listed as an area; its add-on.xml malformed), and Harbour
// (discovered, its component on the folder of the area "My Airport"); a
// listed package whose folder is gone; an area on a drive the prefix lacks;
// an area whose folder is gone.
void MakeP3dWithPackages(TestPrefix& p) {
  p.RegisterAppPath(simkeys::kPrepar3Dv5, "C:\\P3D");
  p.SetCommonAppData("C:\\ProgramData");
  p.AddUserValue(kShellFolders, "\"Local AppData\"=\"C:\\\\users\\\\Pilot\\\\AppData\\\\Local\"");
  p.AddUserValue(kShellFolders, "\"Personal\"=\"C:\\\\users\\\\Pilot\\\\Documents\"");
  WriteFile(p.C(kP3dCfg), CfgText({
                              {"Area.001", "Default Terrain", "Scenery\\World", 1, true, true},
                              {"Area.002", "Default Scenery", "Scenery\\BASE", 2, true, true},
                              {"Area.003", "Addon Scenery", "Addon Scenery", 3},
                              {"Area.004", "My Airport", "Addon Scenery\\MyAirport", 4},
                              {"Area.005", "All my addons", "C:\\Addons", 40},
                              {"Area.006", "Mesh Pack", "C:\\Addons\\Mesh\\Mesh", 6},
                              {"Area.007", "Ypres", "D:\\Scenery Library\\Ypres", 7},
                              {"Area.008", "Removed Pack", "Addon Scenery\\Removed Pack", 8},
                              {"Area.009", "Broken Pack", "C:\\Addons\\Broken", 9},
                          }));
  for (const char* folder : {"P3D/Scenery/World/scenery", "P3D/Scenery/BASE/scenery",
                             "P3D/Addon Scenery/scenery", "P3D/Addon Scenery/MyAirport/scenery",
                             "Addons/scenery", "Addons/Mesh/Mesh/scenery", "Addons/Broken/scenery",
                             "Src/scenery"})
    MakeDirs(p.C(folder));
  WriteFile(p.C("Src/scenery/new.bgl"), "new");
  WriteFile(p.C(kLocalList), "[Package.0]\r\nPATH=C:\\Addons\\Mesh\r\nTITLE=Mesh\r\n\r\n"
                             "[Package.1]\r\nPATH=C:\\Addons\\Gone Pack\\\r\nTITLE=Gone\r\n");
  WriteFile(p.C("Addons/Mesh/add-on.xml"), AddOnXml("Mesh", "Mesh 10 m", "Mesh"));
  WriteFile(p.C("Addons/Broken/add-on.xml"), "<SimBase.Document>");  // a package all the same
  WriteFile(p.C("users/Pilot/Documents/Prepar3D v5 Add-ons/Harbour/add-on.xml"),
            AddOnXml("Harbour", "Harbour Update", "C:\\P3D\\Addon Scenery\\MyAirport"));
}

// FSX at C:\FSX, its library in code page 1252, with an area whose folder
// is gone and two add-ons not yet listed, one named in Japanese.
void MakeFsx(TestPrefix& p) {
  p.RegisterFSX("C:\\FSX");
  WriteFile(p.C(kFsxCfg), CfgText({
                              {"Area.001", "Default Terrain", "Scenery\\World", 1, true, true},
                              {"Area.002", "Default Scenery", "Scenery\\BASE", 2, true, true},
                              {"Area.003", "Addon Scenery", "Addon Scenery", 3},
                              {"Area.004", "My Airport", "Addon Scenery\\MyAirport", 4},
                              {"Area.005", "Removed Pack", "Addon Scenery\\Removed Pack", 5},
                          }));
  for (const char* folder : {"FSX/Scenery/World/scenery", "FSX/Scenery/BASE/scenery",
                             "FSX/Addon Scenery/scenery", "FSX/Addon Scenery/MyAirport/scenery",
                             "FSX/Addon Scenery/東京 Haneda/scenery", "FSX/Addon Scenery/Other/scenery"})
    MakeDirs(p.C(folder));
}

struct Shape {
  const char* What;
  std::function<void(TestPrefix&)> Make;
  const char* Cfg;  // below drive C:
  std::vector<std::string> Args;
  std::vector<std::string> Out;  // after the banner
  std::string Err;               // a part of standard error ("" for none at all)
  // The library afterwards: a text it holds, or lacks ("" to leave out).
  std::string Holds;
  std::string Lacks;
  bool Unchanged = false;  // the library and every file as before
};

const std::string kMeshXml = "(C:\\Addons\\Mesh\\add-on.xml)";
const std::string kHarbourXml = "(C:\\users\\Pilot\\Documents\\Prepar3D v5 Add-ons\\Harbour\\add-on.xml)";

std::vector<Shape> Shapes() {
  const auto p3d = MakeP3dWithPackages;
  const auto fsx = MakeFsx;
  return {
      // The tree commands leave packages alone.
      {"a folder holding packages", p3d, kP3dCfg, {"-rf", "C:\\Addons"},
       {},
       "refused to remove C:\\Addons: it holds the folder of the add-on package 'Mesh' " + kMeshXml,
       "", "", true},
      {"a component's folder", p3d, kP3dCfg, {"-r", "6"},
       {},
       "refused to remove C:\\Addons\\Mesh\\Mesh: it lies inside the folder of the add-on package 'Mesh' " +
           kMeshXml,
       "", "", true},
      {"an area on a component's folder", p3d, kP3dCfg, {"-r", "4"},
       {},
       "it is the folder of the scenery component 'Harbour Update' of the add-on package 'Harbour' " +
           kHarbourXml,
       "", "", true},
      {"emptying a folder inside a package", p3d, kP3dCfg, {"-c", "C:\\Src", "C:\\Addons\\Mesh\\Mesh\\scenery", "3"},
       {},
       "it lies inside the folder of the add-on package 'Mesh' " + kMeshXml, "", "", true},
      {"a package whose description is malformed", p3d, kP3dCfg, {"-r", "9"}, {},
       "it is the folder of an add-on package (C:\\Addons\\Broken\\add-on.xml)", "", "", true},
      // A drive that is not there holds a missing folder.
      {"-r on a missing drive", p3d, kP3dCfg, {"-r", "7"},
       {}, "D:\\Scenery Library\\Ypres is on drive D:", "", "", true},
      {"-rf on a missing drive", p3d, kP3dCfg, {"-rf", "D:\\Scenery Library\\Ypres"},
       {}, "is on drive D:, which is not there", "", "", true},
      {"-c to a missing drive", p3d, kP3dCfg, {"-c", "C:\\Src", "D:\\Scenery Library\\Ypres", "1"},
       {},
       "copied nothing to d:\\scenery library\\ypres: there is no drive D:", "", "", true},
      // The check: no gap is "too big", a package whose folder is gone is reported.
      {"-x on a library with gaps and a gone package", p3d, kP3dCfg, {"-x", "1"},
       {" not found! - 7: D:\\Scenery Library\\Ypres",
        " not found! - 7: Addon Scenery\\Removed Pack",
        " not found! - package: C:\\Addons\\Gone Pack  listed in "
        "C:\\users\\Pilot\\AppData\\Local\\Lockheed Martin\\Prepar3D v5\\add-ons.cfg"},
       "C:\\Addons\\Gone Pack", "Local=C:\\Addons\r\nLayer=38", "Removed Pack", false},
      // An entry whose folder is gone is found, and not added again.
      {"-f of a gone folder", fsx, kFsxCfg, {"-f", "Addon Scenery\\Removed Pack", "0"},
       {" Result (-1 = not found): 5"}, "", "", "", true},
      {"-f of a folder neither there nor listed", fsx, kFsxCfg, {"-f", "Addon Scenery\\Never", "0"},
       {" Scenery or source path does not exist!", ""}, "does not exist", "", "", true},
      {"-i of a gone listed folder", fsx, kFsxCfg, {"-i", "%a\\removed pack\\", "Again", "-1"},
       {}, "is listed already, as layer 5 'Removed Pack'", "", "Again", true},
      // A folder code page 1252 cannot name is not added; a title is.
      {"-i of a folder 1252 cannot name", fsx, kFsxCfg, {"-i", "%a\\東京 Haneda", "Haneda", "-1"},
       {},
       "did not add the folder Addon Scenery\\東京 haneda: C:\\ProgramData\\Microsoft\\FSX\\scenery.cfg is "
       "kept in code page 1252, which has no 東 (U+6771), 京 (U+4EAC)",
       "", "", true},
      {"-ia past a folder 1252 cannot name", fsx, kFsxCfg, {"-ia", "%a"},
       {}, "did not add the folder Addon Scenery\\東京 Haneda",
       "Local=Addon Scenery\\Other\r\nLayer=6", "Haneda", false},
      {"-i with a title 1252 cannot hold", fsx, kFsxCfg, {"-i", "%a\\Other", "東京 Other", "-1"},
       {}, "is stored as '?? other'",
       "Title=?? other\r\nLocal=Addon Scenery\\other\r\n", "", false},
      // A variable followed by '/' gives one backslash.
      {"a variable followed by a slash", fsx, kFsxCfg, {"-i", "%a/Other", "Other", "-1"},
       {}, "",
       "Local=Addon Scenery\\other\r\nLayer=6", "\\\\", false},
  };
}

TEST(LibraryShapes, EachIsHandledWithoutLoss) {
  for (const Shape& shape : Shapes()) {
    SCOPED_TRACE(shape.What);
    TestPrefix p;
    shape.Make(p);
    RunLayrix(p, {"-g"});  // leaves the library's lock file, as any first run
    const std::vector<std::string> before = ListTree(p.DriveC());
    const std::string cfgBefore = ReadFile(p.C(shape.Cfg));
    const RunResult r = RunLayrix(p, shape.Args);
    EXPECT_EQ(r.ExitCode, 0) << r.Err;
    EXPECT_EQ(r.Out, Banner() + Lines(shape.Out));
    if (shape.Err.empty()) {
      EXPECT_EQ(r.Err, "");
    } else {
      EXPECT_NE(r.Err.find(shape.Err), std::string::npos) << r.Err;
    }
    EXPECT_EQ(r.Err.find("error"), std::string::npos) << r.Err;
    const std::string cfg = ReadFile(p.C(shape.Cfg));
    if (!shape.Holds.empty()) {
      EXPECT_NE(cfg.find(shape.Holds), std::string::npos) << cfg;
    }
    if (!shape.Lacks.empty()) {
      EXPECT_EQ(cfg.find(shape.Lacks), std::string::npos) << cfg;
    }
    if (shape.Unchanged) {
      EXPECT_EQ(cfg, cfgBefore);
      EXPECT_EQ(ListTree(p.DriveC()), before);
    }
  }
}

// On Linux a folder written as a host path, or as a Z:\ path into the
// prefix's drive C:, is the folder of C: it names: found, and not added a
// second time.
TEST(LibraryShapes, HostPathsNameTheFolderOfTheirDrive) {
  TestPrefix p;
  MakeFsx(p);
  const std::string host = p.C("FSX/Addon Scenery/MyAirport");
  std::string zPath = "Z:" + host;
  for (char& c : zPath)
    if (c == '/') c = '\\';
  const std::string cfg = ReadFile(p.C(kFsxCfg));
  for (const std::string& folder : {host, host + "/", zPath}) {
    SCOPED_TRACE(folder);
    RunResult r = RunLayrix(p, {"-f", folder, "0"});
    EXPECT_EQ(r.Out, Banner() + Lines({" Result (-1 = not found): 4"}));
    r = RunLayrix(p, {"-i", folder, "Twice", "-1"});
    EXPECT_NE(r.Err.find("is listed already, as layer 4 'My Airport'"), std::string::npos) << r.Err;
    EXPECT_EQ(ReadFile(p.C(kFsxCfg)), cfg);
  }
  // A new folder so written is stored relative to the simulator folder,
  // spelled as typed (the command line lower-cases every word).
  RunLayrix(p, {"-i", zPath.substr(0, zPath.size() - 9) + "Other", "Other", "-1"});
  EXPECT_NE(ReadFile(p.C(kFsxCfg)).find("Local=addon scenery\\other\r\n"), std::string::npos);
}

}  // namespace
