// Batch files end to end: line format, progress lines, the questions of
// "-bu", the remembered layer between lines, and the save at the end.
#include <gtest/gtest.h>

#include "test_prefix.h"
#include "cfg_text.h"

namespace {

using namespace testing_support;
using e2e::Cfg;
using e2e::CfgText;
using e2e::SampleAreas;

const std::string kAskFolder = " Enter scenery destination path [FS Addon Scenery]: \r\n ";
const std::string kAskTitle = " Enter scenery title [New scenery]:                 \r\n ";

class Batch : public ::testing::Test {
 protected:
  void SetUp() override {
    e2e::MakeSample(p);
    MakeDirs(p.C("Setup"));
  }
  // Writes C:\Setup\<name> and runs the given words from C:\Setup.
  RunResult RunFile(const std::string& bytes, std::vector<std::string> words = {"-b", "install.txt"},
                    RunOptions o = {}) {
    WriteFile(p.C("Setup/install.txt"), bytes);
    if (o.Cwd.empty()) o.Cwd = p.C("Setup");
    return RunLayrix(p, words, o);
  }
  static std::string Processing(const std::string& name = "C:\\Setup\\install.txt") {
    return " Processing batch file '" + name + "'...\r\n\r\n";
  }
  static std::string Done() { return "\r\n Done.\r\n\r\n"; }
  void ExpectUntouched() {
    EXPECT_EQ(Cfg(p), CfgText(SampleAreas()));
    EXPECT_FALSE(PathExists(e2e::BackupPath(p)));
  }
  TestPrefix p;
};

RunOptions Input(const std::string& bytes) {
  RunOptions o;
  o.Stdin = bytes;
  return o;
}

TEST_F(Batch, EmptyOrCommentOnlyFilesDoNothing) {
  for (const std::string& text : {std::string(), std::string("; nothing\r\n\r\n   ;x\r\n")}) {
    RunResult r = RunFile(text);
    EXPECT_EQ(r.ExitCode, 0);
    EXPECT_EQ(r.Out, Banner() + Processing() + Done());
    ExpectUntouched();
  }
}

TEST_F(Batch, CommentsBlanksAndWordCounts) {
  RunResult r = RunFile(
      "; -s\r\n"
      " -s\r\n"          // a leading blank: empty first word
      "-d  5\r\n"        // two blanks: three words
      "-G\r\n"           // options are not lower-cased in a batch
      "-g a b c d\r\n"   // five words
      "-t 5 ; toggle the mesh\r\n");
  EXPECT_EQ(r.ExitCode, 0);
  EXPECT_EQ(r.Out, Banner() + Processing() + Lines({" Toggling layer state5..."}) + Done());
  auto areas = SampleAreas();
  areas[4].Active = false;
  EXPECT_EQ(Cfg(p), CfgText(areas));
  EXPECT_EQ(ReadFile(e2e::BackupPath(p)), CfgText(SampleAreas()));
}

TEST_F(Batch, LfAndCrLfFilesGiveTheSameResult) {
  const std::string lines[] = {"-f \"Addon Scenery\\OldAirport\" 0", "-md -1", "-md -1"};
  const std::string expectedOut =
      Banner() + Processing() +
      Lines({" Searching for Addon Scenery\\OldAirport...", " Result (-1 = not found): 4",
             " Moving layer -1 down...", " Moving layer -1 down..."}) +
      Done();
  auto areas = SampleAreas();
  areas[2].Layer = 4;
  areas[3].Layer = 3;
  for (const std::string eol : {"\r\n", "\n"}) {
    e2e::MakeSample(p);
    std::remove(e2e::BackupPath(p).c_str());
    std::string text;
    for (const auto& l : lines) text += l + eol;
    text.resize(text.size() - eol.size());  // no line end after the last line
    RunResult r = RunFile(text);
    EXPECT_EQ(r.Out, expectedOut);
    // The found layer moved once: the second "-md -1" had nothing to move.
    EXPECT_EQ(Cfg(p), CfgText(areas));
  }
}

TEST_F(Batch, UserBatchWithQuotedWordsAndVariables) {
  MakeDirs(p.C("FS9/Addon Scenery/My Scenery/scenery"));
  RunResult r = RunFile("-i \"%a\\My Scenery\" \"%u\" -1\r\n", {"-bu", "install.txt"},
                        Input("\nMy Title\n"));
  EXPECT_EQ(r.ExitCode, 0);
  EXPECT_EQ(r.Out, Banner() + kAskFolder + kAskTitle + Processing() +
                       Lines({" Inserting layer from C:\\FS9\\Addon Scenery\\My Scenery..."}) + Done());
  auto areas = SampleAreas();
  areas.push_back({"Area.006", "My Title", "Addon Scenery\\My Scenery", 6, true, false});
  EXPECT_EQ(Cfg(p), CfgText(areas));
}

TEST_F(Batch, UserBatchAnswersAndDefaults) {
  const std::string file = "-p %b\r\n-ft \"%u\" 0\r\n";
  auto expect = [&](const RunResult& r, const std::string& asked, const std::string& folder,
                    const std::string& title) {
    EXPECT_EQ(r.ExitCode, 0);
    EXPECT_EQ(r.Out, Banner() + asked + Processing() +
                         Lines({" " + folder, " Searching for '" + title + "'...",
                                " Result (-1 = no): -1"}) +
                         Done());
  };
  const std::string both = kAskFolder + kAskTitle;
  // Two empty answers give the defaults.
  expect(RunFile(file, {"-bu", "install.txt"}, Input("\n\n")), both,
         "C:\\FS9\\Addon Scenery\\", "New scenery");
  // Standard input closed: the same defaults, and "-p" goes on at once.
  RunOptions closed;
  closed.CloseStdin = true;
  expect(RunFile(file, {"-bu", "install.txt"}, closed), both, "C:\\FS9\\Addon Scenery\\",
         "New scenery");
  // A relative folder is below the simulator folder; a third word is ignored.
  expect(RunFile(file, {"-bu", "install.txt", "Ignored"}, Input("MyFolder\r\nCaf\xC3\xA9\n")), both,
         "C:\\FS9\\MyFolder\\", "Caf\xC3\xA9");
  expect(RunFile(file, {"-bu", "install.txt"}, Input("D:\\Sceneries\n50%\n")), both,
         "D:\\Sceneries\\", "New scenery");
  expect(RunFile(file, {"-bu", "install.txt"}, Input("%x\nT\n")), both,
         "C:\\FS9\\Addon Scenery\\", "T");
  // Four words: nothing is asked; the words are lower-cased.
  expect(RunFile(file, {"-bu", "install.txt", "D:\\Here\\", "Big TITLE"}), "", "d:\\here\\",
         "big title");
  ExpectUntouched();
}

TEST_F(Batch, MissingBatchFile) {
  RunResult r = RunLayrix(p, {"-bu", "missing.txt", "x", "y"});
  EXPECT_EQ(r.Out, Banner() + Lines({" Batch file does not exist!", ""}));
  // The questions come first when they are asked at all.
  r = RunLayrix(p, {"-bu", "missing.txt"}, Input("\n\n"));
  EXPECT_EQ(r.Out, Banner() + kAskFolder + kAskTitle + Lines({" Batch file does not exist!", ""}));
  r = RunLayrix(p, {"-bu"}, Input(""));
  EXPECT_EQ(r.Out, Banner() + kAskFolder + kAskTitle + Lines({" Batch file does not exist!", ""}));
  // A folder is not a batch file.
  r = RunLayrix(p, {"-b", "C:\\Setup"});
  EXPECT_EQ(r.Out, Banner() + Lines({" Batch file does not exist!", ""}));
  ExpectUntouched();
}

TEST_F(Batch, NestedBatchLinesAreSkipped) {
  WriteFile(p.C("Setup/other.txt"), "-s\r\n");
  RunResult r = RunFile("-b other.txt\r\n-bu other.txt a b\r\n-bu\r\n-t 5\r\n");
  EXPECT_EQ(r.ExitCode, 0);
  EXPECT_EQ(r.Out, Banner() + Processing() + Lines({" Toggling layer state5..."}) + Done());
}

TEST_F(Batch, Code1252BytesStayBytes) {
  // The folder's host name is UTF-8; in the batch file it is one byte.
  MakeDirs(p.C("FS9/Addon Scenery/Caf\xC3\xA9/scenery"));
  RunResult r = RunFile("-i \"%a\\Caf\xE9\" \"Caf\xE9 \xC9t\xE9\" -1\r\n-ft \"caf\xC9 \xE9T\xC9\" 0\n");
  EXPECT_EQ(r.ExitCode, 0);
  EXPECT_EQ(r.Out, Banner() + Processing() +
                       Lines({" Inserting layer from C:\\FS9\\Addon Scenery\\Caf\xC3\xA9...",
                              " Searching for 'caf\xC3\x89 \xC3\xA9T\xC3\x89'...",
                              " Result (-1 = no): 6"}) +
                       Done());
  auto areas = SampleAreas();
  areas.push_back({"Area.006", "Caf\xE9 \xC9t\xE9", "Addon Scenery\\Caf\xE9", 6, true, false});
  EXPECT_EQ(Cfg(p), CfgText(areas));
}

TEST_F(Batch, StrictIntegerErrorStopsTheRunAndSavesNothing) {
  RunResult r = RunFile("-s\r\n-md abc\r\n-di\r\n");
  EXPECT_EQ(r.ExitCode, 1);
  EXPECT_EQ(r.Out, Banner() + Processing() + Lines({" Sorting layers..."}));
  EXPECT_NE(r.Err.find("'abc'"), std::string::npos) << r.Err;
  EXPECT_EQ(r.Err.find('\n'), r.Err.size() - 1) << r.Err;
  ExpectUntouched();
}

TEST_F(Batch, LinesThatDoNotParseAreSkippedSilently) {
  RunResult r = RunFile(
      "-i nowhere t -1\r\n"          // no such folder
      "-f %q 0\r\n"                  // unknown variable
      "-c C:\\FS9 C:\\x 4\r\n"       // invalid copy mode
      "-v- 5 9 16384\r\n"            // filter out of range
      "-v- 5 8 1\r\n"                // no such BGL version
      "-x\r\n"                       // word missing
      "-a 5\r\n");
  EXPECT_EQ(r.ExitCode, 0);
  EXPECT_EQ(r.Out, Banner() + Processing() + Lines({" Activating layer 5..."}) + Done());
  // Activating an active area still counts as a change.
  EXPECT_EQ(Cfg(p), CfgText(SampleAreas()));
  EXPECT_EQ(ReadFile(e2e::BackupPath(p)), CfgText(SampleAreas()));
}

TEST_F(Batch, PauseAndTempFolder) {
  MakeDirs(p.C("Temp"));
  for (const std::string temp : {"C:\\Temp", "C:\\Temp\\"}) {
    RunOptions o = Input("\n");
    o.Env = {{"TEMP", temp}};
    RunResult r = RunFile("-p hello\r\n-p %p\r\n", {"-b", "install.txt"}, o);
    EXPECT_EQ(r.Out, Banner() + Processing() + Lines({" hello", " C:\\Temp\\"}) + Done());
  }
  ExpectUntouched();
}

TEST_F(Batch, FolderCommandProgressLines) {
  WriteFile(p.C("Src/scenery/a.bgl"), e2e::NewBgl({3}));
  RunResult r = RunFile(
      "-c C:\\Src %a\\Copied 1\r\n"
      "-i %a\\Copied Copied -1\r\n"
      "-v- 6 9 1\r\n"
      "-v+ 6 9 1\r\n"
      "-f %a\\Copied 0\r\n"
      "-r -1\r\n"
      "-rf C:\\Mesh\r\n"
      "-ia \"C:\\FS9\\Addon Scenery\"\r\n"
      "-x 0\r\n");
  EXPECT_EQ(r.ExitCode, 0);
  EXPECT_EQ(r.Out, Banner() + Processing() +
                       Lines({" Copying scenery files...", " From: C:\\Src",
                              " To:   C:\\FS9\\Addon Scenery\\Copied",
                              " Inserting layer from C:\\FS9\\Addon Scenery\\Copied...",
                              " Inactivating matching files in layer '6'...",
                              " Activating matching files in layer '6'...",
                              " Searching for C:\\FS9\\Addon Scenery\\Copied...",
                              " Result (-1 = not found): 6",
                              " Removing scenery files in layer -1...",
                              " Removing files in C:\\Mesh...",
                              " Scanning for new scenery...",
                              " Checking scenery.cfg...",
                              " not found! - 5: C:\\Mesh",
                              " not found! - 6: Addon Scenery\\Copied"}) +
                       Done());
  // The copy is listed (relative to the simulator folder), found by its full
  // path and removed from disk; the mesh folder too; both are still listed.
  EXPECT_FALSE(PathExists(p.C("FS9/Addon Scenery/Copied")));
  EXPECT_FALSE(PathExists(p.C("Mesh")));
  auto areas = SampleAreas();
  areas.push_back({"Area.006", "Copied", "Addon Scenery\\Copied", 6, true, false});
  EXPECT_EQ(Cfg(p), CfgText(areas));
}

}  // namespace
