// The listing of the scenery library ("-l") end to end: its text byte for
// byte with every marker, its place among the changes of a batch file, and
// that it never changes or writes anything.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "cfg_text.h"
#include "platform/text_encoding.h"
#include "test_prefix.h"

namespace {

using namespace testing_support;
using e2e::Area;
using e2e::Cfg;
using e2e::CfgText;
using e2e::SampleAreas;

const std::string kHeader = " Scenery library: C:\\FS9\\scenery.cfg";

// One listed area: the layer number as printed (already right-aligned),
// "on " or "off", the title filled to 40 characters, then the rest of the
// line (folder and markers), each column after two blanks.
std::string Row(const std::string& layer, const std::string& state, const std::string& title,
                const std::string& rest) {
  std::string padded = title;
  if (padded.size() < 40) padded.append(40 - padded.size(), ' ');
  return " " + layer + "  " + state + "  " + padded + "  " + rest;
}

// The console shows code page 1252 text as UTF-8 on Linux.
std::string Utf8Lines(const std::vector<std::string>& lines) {
  return encoding::FromCodePage1252(Lines(lines));
}

long long ModifiedNanos(const std::string& hostPath) {
  struct stat st;
  if (::stat(hostPath.c_str(), &st) != 0) return -1;
  return st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec;
}

class List : public ::testing::Test {
 protected:
  RunResult Run(const std::vector<std::string>& args) { return RunLayrix(p, args); }
  // Runs a batch file of the given lines from C:\Setup.
  RunResult RunLines(const std::vector<std::string>& lines) { return e2e::RunBatchLines(p, lines); }
  static std::string BatchOut(const std::vector<std::string>& lines) { return e2e::BatchOutput(lines); }
  TestPrefix p;
};

// A library with every marker: on and off, required (also with its folder
// gone and switched off), a missing folder, a folder without its "scenery"
// sub-folder, the same folder in other letter cases (also as "ss" for "ß",
// which the library takes as equal while the disk does not), equal layer
// numbers, a negative layer, titles with code page 1252 letters and one of
// 100 characters.
TEST_F(List, EveryMarkerHighestLayerFirst) {
  const std::string zurich = "Z\xFCrich Caf\xE9 \x8Cuvre";        // Zürich Café Œuvre
  const std::string strasse = "Stra\xDF" "e";                       // Straße
  std::string longTitle;
  while (longTitle.size() < 100) longTitle += "Long Title " + std::to_string(longTitle.size()) + " ";
  longTitle.resize(100);
  const std::vector<Area> areas = {
      {"Area.001", "Default Terrain", "Scenery\\World", 1, true, true},
      {"Area.002", "Default Scenery", "Scenery\\BASE", 2, true, true},
      {"Area.003", "Addon Scenery", "Addon Scenery", 3, true, false},
      {"Area.004", zurich, "Addon Scenery\\Z\xFCrich", 4, false, false},
      {"Area.005", "Gone Airport", "Addon Scenery\\Gone", 5, true, false},
      {"Area.006", longTitle, "Addon Scenery\\Bare", 6, true, false},
      {"Area.007", "My Airport", "Addon Scenery\\MyAirport", 7, true, false},
      {"Area.008", "My Airport Again", "ADDON SCENERY\\myairport", 7, true, false},
      {"Area.009", strasse, "Addon Scenery\\" + strasse, 8, false, false},
      {"Area.010", "Strasse Copy", "addon scenery\\STRASSE", 9, true, false},
      {"Area.011", "Required Gone", "Scenery\\Gone", 10, false, true},
      {"Area.012", "Gone Again", "addon scenery\\gone", 3, true, false},
      {"Area.013", "Negative", "Addon Scenery\\Negative", -12, true, false},
  };
  p.MakeFS9(CfgText(areas));
  MakeDirs(p.C("FS9/Addon Scenery/Z\xC3\xBCrich/scenery"));
  MakeDirs(p.C("FS9/Addon Scenery/Bare/texture"));
  MakeDirs(p.C("FS9/Addon Scenery/MyAirport/scenery"));
  MakeDirs(p.C("FS9/Addon Scenery/Stra\xC3\x9F" "e/scenery"));
  const std::string cfgBefore = Cfg(p);
  const long long timeBefore = ModifiedNanos(e2e::CfgPath(p));

  const std::string expected = Utf8Lines({
      kHeader,
      Row(" 10", "off", "Required Gone", "Scenery\\Gone  required"),
      Row("  9", "on ", "Strasse Copy", "addon scenery\\STRASSE  missing"),
      Row("  8", "off", strasse, "Addon Scenery\\" + strasse + "  duplicate"),
      Row("  7", "on ", "My Airport", "Addon Scenery\\MyAirport"),
      Row("  7", "on ", "My Airport Again", "ADDON SCENERY\\myairport  duplicate"),
      " " + std::string("  6") + "  on   " + longTitle + "  Addon Scenery\\Bare  missing",
      Row("  5", "on ", "Gone Airport", "Addon Scenery\\Gone  missing"),
      Row("  4", "off", zurich, "Addon Scenery\\Z\xFCrich"),
      Row("  3", "on ", "Addon Scenery", "Addon Scenery"),
      Row("  3", "on ", "Gone Again", "addon scenery\\gone  missing  duplicate"),
      Row("  2", "on ", "Default Scenery", "Scenery\\BASE  required"),
      Row("  1", "on ", "Default Terrain", "Scenery\\World  required"),
      Row("-12", "on ", "Negative", "Addon Scenery\\Negative  missing"),
      " 13 areas, 3 off, 5 missing, 3 duplicates",
  });
  RunResult r = Run({"-l"});
  EXPECT_EQ(r.ExitCode, 0);
  EXPECT_EQ(r.Err, "");
  EXPECT_EQ(r.Out, Banner() + expected);
  // Upper case works on the command line, as every option does.
  EXPECT_EQ(Run({"-L"}).Out, Banner() + expected);

  // Nothing is written: no backup, the file as it was, not even touched.
  EXPECT_EQ(Cfg(p), cfgBefore);
  EXPECT_EQ(ModifiedNanos(e2e::CfgPath(p)), timeBefore);
  EXPECT_FALSE(PathExists(e2e::BackupPath(p)));
}

TEST_F(List, LinesAlignedToTheWidestLayerAndNeverEndInBlanks) {
  p.MakeFS9(CfgText({
      {"Area.001", "A", "Addon Scenery", 1, true, false},
      {"Area.002", "", "Addon Scenery\\Gone", 1000, true, false},
      {"Area.003", "No Folder", "", 20, true, true},
      {"Area.004", "Same", "Addon Scenery", 7, true, false},
  }));
  EXPECT_EQ(Run({"-l"}).Out,
            Banner() + Lines({kHeader, Row("1000", "on ", "", "Addon Scenery\\Gone  missing"),
                              // A required area whose folder is not named.
                              Row("  20", "on ", "No Folder", "  required"),
                              Row("   7", "on ", "Same", "Addon Scenery"),
                              Row("   1", "on ", "A", "Addon Scenery  duplicate"),
                              " 4 areas, 0 off, 1 missing, 1 duplicate"}));
}

TEST_F(List, CountLineOfSmallLibraries) {
  p.MakeFS9(e2e::GeneralText());
  EXPECT_EQ(Run({"-l"}).Out, Banner() + Lines({kHeader, " 0 areas, 0 off, 0 missing, 0 duplicates"}));
  p.MakeFS9(CfgText({{"Area.001", "Only", "Addon Scenery", 1, false, false}}));
  EXPECT_EQ(Run({"-l"}).Out,
            Banner() + Lines({kHeader, Row("1", "off", "Only", "Addon Scenery"),
                              " 1 area, 1 off, 0 missing, 0 duplicates"}));
}

TEST_F(List, InABatchFileItShowsTheChangeJustMade) {
  e2e::MakeSample(p);
  const std::vector<std::string> before = {
      kHeader,
      Row("5", "on ", "Mesh", "C:\\Mesh"),
      Row("4", "off", "Old Airport", "Addon Scenery\\OldAirport"),
      Row("3", "on ", "Addon Scenery", "Addon Scenery"),
      Row("2", "on ", "Default Scenery", "Scenery\\BASE  required"),
      Row("1", "on ", "Default Terrain", "Scenery\\World  required"),
      " 5 areas, 1 off, 0 missing, 0 duplicates",
  };
  const std::vector<std::string> after = {
      kHeader,
      Row("5", "on ", "Mesh", "C:\\Mesh"),
      Row("4", "on ", "Addon Scenery", "Addon Scenery"),
      Row("3", "on ", "Old Airport", "Addon Scenery\\OldAirport"),
      Row("2", "on ", "Default Scenery", "Scenery\\BASE  required"),
      Row("1", "on ", "Default Terrain", "Scenery\\World  required"),
      " 5 areas, 0 off, 0 missing, 0 duplicates",
  };
  // No progress line; "-l" takes no argument, and a batch line in capitals
  // is no command.
  RunResult r = RunLines({"-l", "-t 4", "-mu 3", "-l", "-l all", "-L"});
  EXPECT_EQ(r.ExitCode, 0);
  std::vector<std::string> out = before;
  out.insert(out.end(), {" Toggling layer state4...", " Moving layer 3 up..."});
  out.insert(out.end(), after.begin(), after.end());
  EXPECT_EQ(r.Out, BatchOut(out));
  // The changes are saved once, as without the listings.
  auto areas = SampleAreas();
  areas[3].Active = true;
  areas[2].Layer = 4;
  areas[3].Layer = 3;
  EXPECT_EQ(Cfg(p), CfgText(areas));
  EXPECT_EQ(ReadFile(e2e::BackupPath(p)), CfgText(SampleAreas()));

  // A batch of listings alone writes nothing.
  e2e::MakeSample(p);
  ::remove(e2e::BackupPath(p).c_str());
  r = RunLines({"-l", "-l"});
  out = before;
  out.insert(out.end(), before.begin(), before.end());
  EXPECT_EQ(r.Out, BatchOut(out));
  EXPECT_EQ(Cfg(p), CfgText(SampleAreas()));
  EXPECT_FALSE(PathExists(e2e::BackupPath(p)));
}

TEST_F(List, WrongWordCountAndNoLibrary) {
  RunResult r = Run({"-l"});
  EXPECT_EQ(r.ExitCode, 0);
  EXPECT_EQ(r.Out, Banner() +
                       Lines({" Could not determine installed FS versions or 'scenery.cfg' location!",
                              ""}));
  e2e::MakeSample(p);
  r = Run({"-l", "extra"});
  EXPECT_EQ(r.ExitCode, 0);
  EXPECT_EQ(r.Out.find(kHeader), std::string::npos);
  EXPECT_NE(r.Out.find(" Usage: layrix < command line option >"), std::string::npos);
}

}  // namespace
