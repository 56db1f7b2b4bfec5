// Builders for the end-to-end tests: scenery.cfg text in the form the
// program writes, a small sample library, BGL file headers, and a batch file
// run from C:\Setup with the output it gives.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/simulator_keys.h"
#include "test_prefix.h"

namespace e2e {

struct Area {
  std::string Name;   // section name, e.g. "Area.003"
  std::string Title;
  std::string Local;
  int32_t Layer = 0;
  bool Active = true;
  bool Required = false;
};

inline std::string Bool(bool b) { return b ? "TRUE" : "FALSE"; }

// A section as the program writes it: keys in their fixed order, CR LF.
inline std::string AreaText(const Area& a) {
  std::string t = "[" + a.Name + "]\r\nTitle=" + a.Title + "\r\n";
  if (a.Local == "Scenery\\World") t += "Texture_ID=1\r\n";
  t += "Local=" + a.Local + "\r\nLayer=" + std::to_string(a.Layer) + "\r\nActive=" +
       Bool(a.Active) + "\r\nRequired=" + Bool(a.Required) + "\r\nRemote=\r\n";
  return t;
}

inline std::string GeneralText() {
  return "[General]\r\nTitle=FS9 World Scenery\r\nDescription=FS9 Scenery Data\r\n"
         "Clean_on_Exit=TRUE\r\n";
}

// General first, then the areas in the given order.
inline std::string CfgText(const std::vector<Area>& areas) {
  std::string t = GeneralText();
  for (const auto& a : areas) t += AreaText(a);
  return t;
}

// A small library: two required stock areas, the addon folder, an inactive
// add-on and an absolute one.
// A library of `count` active areas, Area.001 upwards, each at the layer of
// its number, for the tests of large saves.
inline std::vector<Area> NumberedLibrary(int count) {
  std::vector<Area> areas;
  for (int i = 1; i <= count; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "Area.%03d", i);
    areas.push_back({name, "Scenery number " + std::to_string(i),
                     "Addon Scenery\\Pack " + std::to_string(i), i, true, false});
  }
  return areas;
}

inline std::vector<Area> SampleAreas() {
  return {
      {"Area.001", "Default Terrain", "Scenery\\World", 1, true, true},
      {"Area.002", "Default Scenery", "Scenery\\BASE", 2, true, true},
      {"Area.003", "Addon Scenery", "Addon Scenery", 3, true, false},
      {"Area.004", "Old Airport", "Addon Scenery\\OldAirport", 4, false, false},
      {"Area.005", "Mesh", "C:\\Mesh", 5, true, false},
  };
}

// Registers FS9 at C:\FS9 with the sample library and its folders.
inline void MakeSample(testing_support::TestPrefix& p) {
  p.MakeFS9(CfgText(SampleAreas()));
  testing_support::MakeDirs(p.C("FS9/Addon Scenery/OldAirport/scenery"));
  testing_support::MakeDirs(p.C("Mesh/scenery"));
}

inline std::string CfgPath(const testing_support::TestPrefix& p) { return p.C("FS9/scenery.cfg"); }
inline std::string BackupPath(const testing_support::TestPrefix& p) { return p.C("FS9/scenery.~cfg"); }
inline std::string Cfg(const testing_support::TestPrefix& p) { return testing_support::ReadFile(CfgPath(p)); }

inline void PutLE32(std::string& b, size_t at, uint32_t v) {
  if (b.size() < at + 4) b.resize(at + 4, '\0');
  for (int i = 0; i < 4; ++i) b[at + static_cast<size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

// A BGL file of the newer format with the given section types (type 3:
// airport, version 9; a type of 101 or more makes it version 10).
inline std::string NewBgl(const std::vector<int32_t>& sectionTypes) {
  std::string b(56 + 20 * sectionTypes.size(), '\0');
  b[0] = 0x01;
  b[1] = 0x02;
  PutLE32(b, 4, 56);
  PutLE32(b, 20, static_cast<uint32_t>(sectionTypes.size()));
  for (size_t i = 0; i < sectionTypes.size(); ++i)
    PutLE32(b, 56 + 20 * i, static_cast<uint32_t>(sectionTypes[i]));
  return b;
}

// Runs a batch file of the given lines from C:\Setup.
inline testing_support::RunResult RunBatchLines(testing_support::TestPrefix& p,
                                                const std::vector<std::string>& lines) {
  testing_support::WriteFile(p.C("Setup/run.txt"), testing_support::Lines(lines));
  testing_support::RunOptions o;
  o.Cwd = p.C("Setup");
  return testing_support::RunLayrix(p, {"-b", "run.txt"}, o);
}

// The output of such a batch file whose commands print `lines`.
inline std::string BatchOutput(const std::vector<std::string>& lines) {
  return testing_support::Banner() + " Processing batch file 'C:\\Setup\\run.txt'...\r\n\r\n" +
         testing_support::Lines(lines) + "\r\n Done.\r\n\r\n";
}

// The usage text as printed, from its reference file (line ends LF there).
inline std::string UsageText() {
  std::string text;
  for (char c : testing_support::ReadFile(std::string(LAYRIX_SOURCE_DIR) + "/tests/data/usage.txt"))
    text += c == '\n' ? std::string("\r\n") : std::string(1, c);
  return text;
}

// What a run that finds no scenery library prints after the banner.
inline const std::string kNoLibrary =
    " Could not determine installed FS versions or 'scenery.cfg' location!\r\n\r\n";

// Prepar3D v5 at C:\P3D, with the user's shell folders (Local AppData,
// AppData, Documents) where its add-on packages are looked for.
inline void RegisterPrepar3Dv5(testing_support::TestPrefix& p) {
  const char* shellFolders = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
  p.RegisterAppPath(simkeys::kPrepar3Dv5, "C:\\P3D");
  p.SetCommonAppData("C:\\ProgramData");
  p.AddUserValue(shellFolders, "\"Local AppData\"=\"C:\\\\users\\\\Pilot\\\\AppData\\\\Local\"");
  p.AddUserValue(shellFolders, "\"AppData\"=\"C:\\\\users\\\\Pilot\\\\AppData\\\\Roaming\"");
  p.AddUserValue(shellFolders, "\"Personal\"=\"C:\\\\users\\\\Pilot\\\\Documents\"");
}

// One scenery component of an add-on.xml; `layer` "" for none.
inline std::string SceneryComponent(const std::string& name, const std::string& path,
                                    const std::string& layer = "") {
  return "  <AddOn.Component>\r\n    <Category>Scenery</Category>\r\n    <Name>" + name +
         "</Name>\r\n    <Path>" + path + "</Path>\r\n" +
         (layer.empty() ? "" : "    <Layer>" + layer + "</Layer>\r\n") + "  </AddOn.Component>\r\n";
}

// An add-on.xml named `name` with the components' text.
inline std::string AddOnXml(const std::string& name, const std::string& components) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<SimBase.Document Type=\"AddOnXml\" "
         "version=\"4,0\" id=\"add-on\">\r\n  <AddOn.Name>" +
         name + "</AddOn.Name>\r\n" + components + "</SimBase.Document>\r\n";
}

}  // namespace e2e
