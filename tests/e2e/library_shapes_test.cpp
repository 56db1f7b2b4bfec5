// Library shapes met on users' machines, end to end, in one table: add-on
// packages below or on the folders the tree commands would empty, entries
// whose folder is gone or on a drive that is not there, folders a code page
// 1252 file cannot name, folders written as host paths, a Prepar3D library
// numbered with gaps, and areas among package components that stand in the
// library by their <Layer>, with keys of other tools.  Each case checks
// standard output, the words on standard error, the library, and that every
// other file is as it was.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "cfg_text.h"
#include "platform/simulator_keys.h"
#include "test_prefix.h"

namespace {

using namespace testing_support;
using e2e::AreaText;
using e2e::CfgText;

const char* const kP3dCfg = "ProgramData/Lockheed Martin/Prepar3D v5/scenery.cfg";
const char* const kFsxCfg = "ProgramData/Microsoft/FSX/scenery.cfg";
const char* const kLocalList = "users/Pilot/AppData/Local/Lockheed Martin/Prepar3D v5/add-ons.cfg";
const char* const kDocuments = "users/Pilot/Documents/Prepar3D v5 Add-ons/";

// Prepar3D v5, numbered with a gap above the count (layer 40): "All my
// addons" lists C:\Addons, which holds the packages Mesh (listed) and Broken
// (listed as an area; its add-on.xml malformed), and Harbour (discovered,
// its component on the folder of the area "My Airport"); a listed package
// whose folder is gone; an area on a drive the prefix lacks; an area whose
// folder is gone.
std::string MakeP3dWithPackages(TestPrefix& p) {
  e2e::RegisterPrepar3Dv5(p);
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
  WriteFile(p.C("Addons/Mesh/add-on.xml"), e2e::AddOnXml("Mesh", e2e::SceneryComponent("Mesh 10 m", "Mesh")));
  WriteFile(p.C("Addons/Broken/add-on.xml"), "<SimBase.Document>");  // a package all the same
  WriteFile(p.C(std::string(kDocuments) + "Harbour/add-on.xml"),
            e2e::AddOnXml("Harbour", e2e::SceneryComponent("Harbour Update", "C:\\P3D\\Addon Scenery\\MyAirport")));
  return kP3dCfg;
}

// FSX at C:\FSX, its library in code page 1252, with an area whose folder
// is gone and two add-ons not yet listed, one named in Japanese.
std::string MakeFsx(TestPrefix& p) {
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
  return kFsxCfg;
}

const std::string kGeneral = "[General]\r\nTitle=P3D\r\nDescription=D\r\nClean_on_Exit=TRUE\r\n";

// Prepar3D v5 with the areas `areas` (after General) and a discovered
// package with one scenery component at each of `layers`.
std::function<std::string(TestPrefix&)> P3dStack(const std::string& areas, const std::vector<int>& layers) {
  return [=](TestPrefix& p) {
    e2e::RegisterPrepar3Dv5(p);
    for (const char* folder : {"P3D/Scenery/World/scenery", "P3D/Scenery/BASE/scenery",
                               "P3D/Addon Scenery/New/scenery", "P3D/Addon Scenery/Second/scenery"})
      MakeDirs(p.C(folder));
    WriteFile(p.C(kP3dCfg), kGeneral + areas);
    std::string components;
    for (int layer : layers)
      components += e2e::SceneryComponent("Part " + std::to_string(layer), "Part" + std::to_string(layer),
                                          std::to_string(layer));
    WriteFile(p.C(std::string(kDocuments) + "Pack/add-on.xml"), e2e::AddOnXml("Pack", components));
    return std::string(kP3dCfg);
  };
}

// The two required areas every stack starts with, and an add-on area.
std::string Base() {
  return AreaText({"Area.001", "Default Terrain", "Scenery\\World", 1, true, true}) +
         AreaText({"Area.002", "Default Scenery", "Scenery\\BASE", 2, true, true});
}
std::string AddOn(const std::string& name, const std::string& title, int layer, const std::string& keys = "") {
  return AreaText({name, title, "Addon Scenery\\" + title, layer}) + keys;
}

struct Shape {
  const char* What;
  std::function<std::string(TestPrefix&)> Make;  // returns the library's path below drive C:
  // "<C:>" in a word stands for drive C:'s host folder, "<Z:>" for the same as a Z: path.
  std::vector<std::string> Args;
  std::vector<std::string> Out;  // after the banner
  std::string Err;               // a part of standard error ("" for none at all)
  // The library afterwards: a text it holds or lacks, or the whole file
  // written; all three "": the library and the files beside it as before.
  std::string Holds;
  std::string Lacks;
  std::string Written = "";
};

const std::string kMeshXml = "(C:\\Addons\\Mesh\\add-on.xml)";
const std::string kHarbourXml = "(C:\\users\\Pilot\\Documents\\Prepar3D v5 Add-ons\\Harbour\\add-on.xml)";

std::vector<Shape> Shapes() {
  const auto p3d = MakeP3dWithPackages;
  const auto fsx = MakeFsx;
  return {
      // The tree commands leave packages alone.
      {"a folder holding packages", p3d, {"-rf", "C:\\Addons"}, {},
       "refused to remove C:\\Addons: it holds the folder of the add-on package 'Mesh' " + kMeshXml, "", ""},
      {"a component's folder", p3d, {"-r", "6"}, {},
       "refused to remove C:\\Addons\\Mesh\\Mesh: it lies inside the folder of the add-on package 'Mesh' " +
           kMeshXml,
       "", ""},
      {"an area on a component's folder", p3d, {"-r", "4"}, {},
       "it is the folder of the scenery component 'Harbour Update' of the add-on package 'Harbour' " +
           kHarbourXml,
       "", ""},
      {"emptying a folder inside a package", p3d, {"-c", "C:\\Src", "C:\\Addons\\Mesh\\Mesh\\scenery", "3"}, {},
       "it lies inside the folder of the add-on package 'Mesh' " + kMeshXml, "", ""},
      {"a package whose description is malformed", p3d, {"-r", "9"}, {},
       "it is the folder of an add-on package (C:\\Addons\\Broken\\add-on.xml)", "", ""},
      // A drive that is not there holds a missing folder.
      {"-r on a missing drive", p3d, {"-r", "7"}, {}, "D:\\Scenery Library\\Ypres is on drive D:", "", ""},
      {"-rf on a missing drive", p3d, {"-rf", "D:\\Scenery Library\\Ypres"}, {},
       "is on drive D:, which is not there", "", ""},
      {"-c to a missing drive", p3d, {"-c", "C:\\Src", "D:\\Scenery Library\\Ypres", "1"}, {},
       "copied nothing to d:\\scenery library\\ypres: there is no drive D:", "", ""},
      // The check: no gap is "too big", a package whose folder is gone is reported.
      {"-x on a library with gaps and a gone package", p3d, {"-x", "1"},
       {" not found! - 7: D:\\Scenery Library\\Ypres", " not found! - 7: Addon Scenery\\Removed Pack",
        " not found! - package: C:\\Addons\\Gone Pack  listed in "
        "C:\\users\\Pilot\\AppData\\Local\\Lockheed Martin\\Prepar3D v5\\add-ons.cfg"},
       "C:\\Addons\\Gone Pack", "Local=C:\\Addons\r\nLayer=38", "Removed Pack"},
      // An entry whose folder is gone is found, and not added again.
      {"-f of a gone folder", fsx, {"-f", "Addon Scenery\\Removed Pack", "0"}, {" Result (-1 = not found): 5"},
       "", "", ""},
      {"-f of a folder neither there nor listed", fsx, {"-f", "Addon Scenery\\Never", "0"},
       {" Scenery or source path does not exist!", ""}, "does not exist", "", ""},
      {"-i of a gone listed folder", fsx, {"-i", "%a\\removed pack\\", "Again", "-1"}, {},
       "is listed already, as layer 5 'Removed Pack'", "", ""},
      // A folder code page 1252 cannot name is not added; a title is.
      {"-i of a folder 1252 cannot name", fsx, {"-i", "%a\\東京 Haneda", "Haneda", "-1"}, {},
       "did not add the folder Addon Scenery\\東京 haneda: C:\\ProgramData\\Microsoft\\FSX\\scenery.cfg is "
       "kept in code page 1252, which has no 東 (U+6771), 京 (U+4EAC)",
       "", ""},
      {"-ia past a folder 1252 cannot name", fsx, {"-ia", "%a"}, {},
       "did not add the folder Addon Scenery\\東京 Haneda", "Local=Addon Scenery\\Other\r\nLayer=6", "Haneda"},
      {"-i with a title 1252 cannot hold", fsx, {"-i", "%a\\Other", "東京 Other", "-1"}, {},
       "is stored as '?? other'", "Title=?? other\r\nLocal=Addon Scenery\\other\r\n", ""},
      // A variable followed by '/' gives one backslash.
      {"a variable followed by a slash", fsx, {"-i", "%a/Other", "Other", "-1"}, {}, "",
       "Local=Addon Scenery\\other\r\nLayer=6", "\\\\"},
      // On Linux a folder written as a host path, or as a Z:\ path into the
      // prefix's drive C:, is the folder of C: it names: found, not added a
      // second time, and a new one stored relative to the simulator folder
      // (the command line lower-cases every word).
      {"-f of a host path", fsx, {"-f", "<C:>/FSX/Addon Scenery/MyAirport", "0"},
       {" Result (-1 = not found): 4"}, "", "", ""},
      {"-i of a listed Z: path", fsx, {"-i", "<Z:>\\FSX\\Addon Scenery\\MyAirport", "Twice", "-1"}, {},
       "is listed already, as layer 4 'My Airport'", "", ""},
      {"-i of a new Z: path", fsx, {"-i", "<Z:>\\FSX\\Addon Scenery\\Other", "Other", "-1"}, {}, "",
       "Local=addon scenery\\other\r\n", ""},
      // Sorting and inserting on top keep each area on its side of the
      // package components, and keys of other tools with their area.
      {"-s keeps areas above a component above it, their keys with them",
       P3dStack(Base() + AddOn("Area.003", "High", 60, "Tag=high\r\n") + AddOn("Area.004", "Low", 50), {45}),
       {"-s"}, {}, "", "", "",
       Base() + AddOn("Area.045", "Low", 45) + AddOn("Area.046", "High", 46, "Tag=high\r\n") + kGeneral},
      {"-i ... -1 goes above the component, not above the areas only",
       P3dStack(Base() + AddOn("Area.003", "Old", 35), {45}), {"-i", "Addon Scenery\\New", "New", "-1"}, {}, "",
       "", "",
       kGeneral + Base() + AddOn("Area.003", "Old", 35) +
           AreaText({"Area.004", "new", "addon scenery\\new", 46})},
      {"-ia adds on top of the components too", P3dStack(Base() + AddOn("Area.003", "New", 3), {12, 45}),
       {"-ia", "Addon Scenery"}, {}, "", "", "",
       kGeneral + Base() + AddOn("Area.003", "New", 3) +
           AreaText({"Area.004", "addon scenery\\Second", "addon scenery\\Second", 46})},
  };
}

// Every file below `folder` with its bytes ("" for a folder), those of the
// library's own folder (the library, its backup, lock and history) aside.
std::map<std::string, std::string> FilesBeside(const std::string& folder, const std::string& libraryFolder) {
  std::map<std::string, std::string> files;
  for (const std::string& path : ListTree(folder))
    if (!path.starts_with(libraryFolder)) files[path] = path.ends_with('/') ? "" : ReadFile(folder + "/" + path);
  return files;
}

TEST(LibraryShapes, EachIsHandledWithoutLoss) {
  for (const Shape& shape : Shapes()) {
    SCOPED_TRACE(shape.What);
    TestPrefix p;
    const std::string cfgPath = shape.Make(p);
    const std::string libraryFolder = cfgPath.substr(0, cfgPath.rfind('/') + 1);
    RunLayrix(p, {"-g"});  // leaves the library's lock file, as any first run
    const std::vector<std::string> before = ListTree(p.DriveC());
    const std::map<std::string, std::string> besideBefore = FilesBeside(p.DriveC(), libraryFolder);
    const std::string cfgBefore = ReadFile(p.C(cfgPath));
    std::string z = "Z:" + p.DriveC();
    std::replace(z.begin(), z.end(), '/', '\\');
    std::vector<std::string> args = shape.Args;
    for (std::string& word : args) {
      if (word.starts_with("<C:>")) word = p.DriveC() + word.substr(4);
      if (word.starts_with("<Z:>")) word = z + word.substr(4);
    }
    const RunResult r = RunLayrix(p, args);
    EXPECT_EQ(r.ExitCode, 0) << r.Err;
    EXPECT_EQ(r.Out, Banner() + Lines(shape.Out));
    if (shape.Err.empty()) {
      EXPECT_EQ(r.Err, "");
    } else {
      EXPECT_NE(r.Err.find(shape.Err), std::string::npos) << r.Err;
    }
    EXPECT_EQ(r.Err.find("error"), std::string::npos) << r.Err;
    const std::string cfg = ReadFile(p.C(cfgPath));
    if (!shape.Holds.empty()) {
      EXPECT_NE(cfg.find(shape.Holds), std::string::npos) << cfg;
    }
    if (!shape.Lacks.empty()) {
      EXPECT_EQ(cfg.find(shape.Lacks), std::string::npos) << cfg;
    }
    if (!shape.Written.empty()) {
      EXPECT_EQ(cfg, shape.Written);
    }
    EXPECT_EQ(FilesBeside(p.DriveC(), libraryFolder), besideBefore);
    if (shape.Holds.empty() && shape.Lacks.empty() && shape.Written.empty()) {
      EXPECT_EQ(cfg, cfgBefore);
      EXPECT_EQ(ListTree(p.DriveC()), before);
    }
  }
}

}  // namespace
