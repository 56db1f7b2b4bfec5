// Text as today's simulators and editors write it, end to end: the UTF-8
// library of Prepar3D v5 with titles and folders in several scripts, next
// to the code page 1252 library of FS9, and batch files saved in UTF-8 with
// and without the byte-order mark.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cfg_text.h"
#include "platform/simulator_keys.h"
#include "test_prefix.h"

namespace {

using namespace testing_support;
using e2e::Area;
using e2e::CfgText;

const std::string kMark = "\xEF\xBB\xBF";
const std::string kZurich = "Z\xC3\xBCrich";                           // Zürich
const std::string kTokyo = "\xE6\x9D\xB1\xE4\xBA\xAC";                  // 東京
const std::string kDakovo = "\xC4\x90" "akovo";                         // Đakovo
const std::string kOmega = "\xCE\xA9mega Field";                        // Ωmega Field
const std::string kKoln = "K\xC3\xB6ln \xC5\x90rs";                     // Köln Őrs

const std::string kP3DCfg = "ProgramData/Lockheed Martin/Prepar3D v5/scenery.cfg";

// Runs `words` from C:\Setup, where the batch files and layrix.ini lie.
RunResult RunInSetup(TestPrefix& p, const std::vector<std::string>& words, const std::string& stdinBytes = "") {
  RunOptions o;
  o.Cwd = p.C("Setup");
  o.Stdin = stdinBytes;
  return RunLayrix(p, words, o);
}

std::string Processing(const std::string& name) {
  return Banner() + " Processing batch file 'C:\\Setup\\" + name + "'...\r\n\r\n";
}
const std::string kDone = "\r\n Done.\r\n\r\n";
const std::string kAsk = " Enter scenery destination path [FS Addon Scenery]: \r\n  Enter scenery title "
                         "[New scenery]:                 \r\n ";

// Prepar3D v5 at C:\P3D5 with a UTF-8 library: folders in several scripts,
// on disk in other letter cases where the library's comparison allows
// (đAKOVO for Đakovo, köln for Köln), one gone (Ωmega), and a title and
// folder an older installer wrote in code page 1252 (M\xE1laga).
class Utf8Library : public ::testing::Test {
 protected:
  void SetUp() override {
    p.RegisterAppPath(simkeys::kPrepar3Dv5, "C:\\P3D5");
    p.SetCommonAppData("C:\\ProgramData");
    // The setting in UTF-8 with a mark, as Notepad saves it.
    WriteFile(p.C("Setup/layrix.ini"), kMark + "[Main]\r\nSimulator=P3Dv5\r\n");
    for (const std::string& sub : std::vector<std::string>{"Scenery/World", "Scenery/BASE", "Addon Scenery", "Addon Scenery/" + kZurich,
                                   "Addon Scenery/" + kTokyo, "Addon Scenery/\xC4\x91" "AKOVO",
                                   "Addon Scenery/M\xC3\xA1laga", "Addon Scenery/k\xC3\xB6ln",
                                   "Addon Scenery/\xCE\xA9mega Neu"})
      MakeDirs(p.C("P3D5/" + sub + "/scenery"));
    WriteFile(p.C(kP3DCfg), CfgText(areas));
  }
  std::string Library() { return ReadFile(p.C(kP3DCfg)); }

  std::vector<Area> areas = {
      {"Area.001", "Default Terrain", "Scenery\\World", 1, true, true},
      {"Area.002", "Default Scenery", "Scenery\\BASE", 2, true, true},
      {"Area.003", kZurich + " Airport", "Addon Scenery\\" + kZurich, 3, true, false},
      {"Area.004", kTokyo + " Haneda", "Addon Scenery\\" + kTokyo, 4, true, false},
      {"Area.005", kDakovo, "Addon Scenery\\" + kDakovo, 5, false, false},
      {"Area.006", kOmega, "Addon Scenery\\\xCE\xA9mega", 6, true, false},
      {"Area.007", "M\xE1laga", "Addon Scenery\\M\xE1laga", 7, true, false},
      {"Area.008", kKoln, "Addon Scenery\\K\xC3\xB6ln", 8, true, false},
  };
  TestPrefix p;
};

TEST_F(Utf8Library, LoadAndSaveChangeNoByte) {
  const std::string before = Library();
  WriteFile(p.C("Setup/twice.txt"), "-t 5\r\n-t 5\r\n");
  RunResult r = RunInSetup(p, {"-b", "twice.txt"});
  EXPECT_EQ(r.ExitCode, 0) << r.Err;
  EXPECT_EQ(Library(), before);
  EXPECT_EQ(ReadFile(p.C("ProgramData/Lockheed Martin/Prepar3D v5/scenery.~cfg")), before);
}

TEST_F(Utf8Library, ListingShowsEveryLetterInItsColumn) {
  RunResult r = RunInSetup(p, {"-l"});
  EXPECT_EQ(r.ExitCode, 0) << r.Err;
  // Titles are filled to 40 characters, whatever their bytes.
  auto row = [](const std::string& layer, const std::string& state, const std::string& title,
                size_t chars, const std::string& rest) {
    return " " + layer + "  " + state + "  " + title + std::string(40 - chars, ' ') + "  " + rest;
  };
  EXPECT_EQ(r.Out, Banner() + Lines({
      " Scenery library: C:\\ProgramData\\Lockheed Martin\\Prepar3D v5\\scenery.cfg",
      row("8", "on ", kKoln, 8, "Addon Scenery\\K\xC3\xB6ln"),
      row("7", "on ", "M\xC3\xA1laga", 6, "Addon Scenery\\M\xC3\xA1laga"),  // the 1252 byte as its letter
      row("6", "on ", kOmega, 11, "Addon Scenery\\\xCE\xA9mega  missing"),
      row("5", "off", kDakovo, 6, "Addon Scenery\\" + kDakovo),
      row("4", "on ", kTokyo + " Haneda", 9, "Addon Scenery\\" + kTokyo),
      row("3", "on ", kZurich + " Airport", 14, "Addon Scenery\\" + kZurich),
      row("2", "on ", "Default Scenery", 15, "Scenery\\BASE  required"),
      row("1", "on ", "Default Terrain", 15, "Scenery\\World  required"),
      " 8 areas, 1 off, 1 missing, 0 duplicates"}));
}

TEST_F(Utf8Library, CheckRemovesOnlyTheFolderThatIsGone) {
  RunResult r = RunInSetup(p, {"-x", "1"});
  EXPECT_EQ(r.ExitCode, 0) << r.Err;
  EXPECT_EQ(r.Out, Banner() + Lines({" not found! - 6: Addon Scenery\\\xCE\xA9mega"}));
  std::vector<Area> kept = areas;
  kept.erase(kept.begin() + 5);
  kept[5].Layer = 6;  // the gap is closed
  kept[6].Layer = 7;
  EXPECT_EQ(Library(), CfgText(kept));
}

TEST_F(Utf8Library, FindIgnoresLetterCaseBeyondAscii) {
  WriteFile(p.C("Setup/find.txt"), kMark +
                                       "-f \"addon scenery\\\xC4\x91" "AKOVO\" 1\r\n"  // đAKOVO
                                       "-f \"ADDON SCENERY\\K\xC3\x96LN\" 0\r\n"        // KÖLN
                                       "-ft \"\xCF\x89MEGA FIELD\" 0\r\n"               // ωMEGA FIELD
                                       "-ft \"k\xC3\xB6ln \xC5\x91RS\" 0\r\n");         // köln őRS
  RunResult r = RunInSetup(p, {"-b", "find.txt"});
  EXPECT_EQ(r.ExitCode, 0) << r.Err;
  EXPECT_EQ(r.Out, Processing("find.txt") +
                       Lines({" Searching for addon scenery\\\xC4\x91" "AKOVO...", " Result (-1 = not found): 5",
                              " Searching for ADDON SCENERY\\K\xC3\x96LN...", " Result (-1 = not found): 8",
                              " Searching for '\xCF\x89MEGA FIELD'...", " Result (-1 = no): 6",
                              " Searching for 'k\xC3\xB6ln \xC5\x91RS'...", " Result (-1 = no): 8"}) +
                       kDone);
  areas[4].Active = true;  // the first find activated Đakovo
  EXPECT_EQ(Library(), CfgText(areas));
}

TEST_F(Utf8Library, TitleTypedAtThePromptIsStoredInUtf8) {
  WriteFile(p.C("Setup/install.txt"), "-i \"%b\" \"%u\" -1\r\n");
  RunResult r = RunInSetup(p, {"-bu", "install.txt"}, "Addon Scenery\\\xCE\xA9mega Neu\r\n\xCE\xA9mega Neu \xE6\x9D\xB1\r\n");
  EXPECT_EQ(r.ExitCode, 0) << r.Err;
  EXPECT_EQ(r.Err, "");
  areas.push_back({"Area.009", "\xCE\xA9mega Neu \xE6\x9D\xB1", "Addon Scenery\\\xCE\xA9mega Neu", 9, true, false});
  EXPECT_EQ(Library(), CfgText(areas));
}

// FS9 keeps its library in code page 1252: what comes in UTF-8 is stored in
// 1252, and a character 1252 lacks as '?' with a line on standard error.
class CodePage1252Library : public ::testing::Test {
 protected:
  void SetUp() override {
    e2e::MakeSample(p);
    MakeDirs(p.C("FS9/Addon Scenery/Z\xC3\xBCrich S\xC3\xBC" "d/scenery"));
  }
  // The sample library with Zürich Süd inserted on top, as 1252 bytes.
  static std::string WithZurichSud(const std::string& title) {
    std::vector<Area> areas = e2e::SampleAreas();
    areas.push_back({"Area.006", title, "Addon Scenery\\Z\xFCrich S\xFC" "d", 6, true, false});
    return CfgText(areas);
  }
  TestPrefix p;
};

TEST_F(CodePage1252Library, TitleTypedAtThePromptIsStoredIn1252) {
  // The title is found again as the library holds it.
  WriteFile(p.C("Setup/install.txt"), "-i \"%b\" \"%u\" -1\r\n-ft \"%u\" 0\r\n");
  RunResult r = RunInSetup(p, {"-bu", "install.txt"},
                           "Addon Scenery\\Z\xC3\xBCrich S\xC3\xBC" "d\r\n\xCE\xA9mega Z\xC3\xBCrich\r\n");
  EXPECT_EQ(r.ExitCode, 0) << r.Err;
  EXPECT_EQ(r.Out, Banner() + kAsk + Processing("install.txt").substr(Banner().size()) +
                       Lines({" Inserting layer from C:\\FS9\\Addon Scenery\\Z\xC3\xBCrich S\xC3\xBC" "d\\...",
                              " Searching for '\xCE\xA9mega Z\xC3\xBCrich'...", " Result (-1 = no): 6"}) +
                       kDone)
      << r.Out;
  EXPECT_EQ(e2e::Cfg(p), WithZurichSud("?mega Z\xFCrich"));
  EXPECT_EQ(r.Err, "layrix: C:\\FS9\\scenery.cfg is kept in code page 1252, which has no \xCE\xA9 (U+03A9): the title '"
                   "\xCE\xA9mega Z\xC3\xBCrich' is stored as '?mega Z\xC3\xBCrich'\r\n");
}

// The same batch line saved by three editors: in UTF-8 with the mark (whose
// first line is no longer lost), in UTF-8 without it, and in code page 1252.
TEST_F(CodePage1252Library, BatchFilesFromEveryEditorGiveTheSameLibrary) {
  const std::string line = "-i \"%a\\Z\xC3\xBCrich S\xC3\xBC" "d\" \"Z\xC3\xBCrich S\xC3\xBC" "d\" -1\r\n";
  const std::string line1252 = "-i \"%a\\Z\xFCrich S\xFC" "d\" \"Z\xFCrich S\xFC" "d\" -1\r\n";
  for (const std::string& bytes : {kMark + line, line, line1252}) {
    e2e::MakeSample(p);
    WriteFile(p.C("Setup/run.txt"), bytes);
    RunResult r = RunInSetup(p, {"-b", "run.txt"});
    EXPECT_EQ(r.ExitCode, 0) << r.Err;
    EXPECT_EQ(r.Out, Processing("run.txt") +
                         Lines({" Inserting layer from C:\\FS9\\Addon Scenery\\Z\xC3\xBCrich S\xC3\xBC" "d..."}) +
                         kDone);
    EXPECT_EQ(e2e::Cfg(p), WithZurichSud("Z\xFCrich S\xFC" "d")) << bytes;
  }
}

}  // namespace
