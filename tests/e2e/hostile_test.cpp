// Hostile input end to end: files of binary garbage, megabyte-long lines,
// NUL bytes, thousands of duplicate sections, deep folder trees, host names
// that are not UTF-8, a current folder that is gone, and a command line that
// is not UTF-8.  Each gives a clear error or the specified behaviour; none
// may crash, hang or lose scenery.cfg.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <random>

#include "test_prefix.h"
#include "cfg_text.h"

namespace {

using namespace testing_support;
using e2e::Area;

std::string Garbage(size_t size, unsigned seed) {
  std::mt19937 random(seed);
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(random() & 0xFF);
  return bytes;
}

class Hostile : public ::testing::Test {
 protected:
  void SetUp() override {
    e2e::MakeSample(p);
    cfgBefore = e2e::Cfg(p);
  }

  // Runs with a watchdog: a run still going after 60 s is a hang.
  RunResult Run(const std::vector<std::string>& args, RunOptions o = {}) {
    o.KillAfterMicroseconds = 60'000'000;
    RunResult r = RunLayrix(p, args, o);
    EXPECT_LT(r.ExitCode, 128) << "ended by signal " << r.ExitCode - 128 << "\n" << r.Err;
    EXPECT_TRUE(r.ExitCode == 0 || r.ExitCode == 1) << r.ExitCode;
    // An error always says what went wrong.
    if (r.ExitCode == 1) { EXPECT_NE(r.Err, ""); }
    return r;
  }

  // scenery.cfg is as it was, or it was rewritten with the old file as backup.
  void ExpectNothingLost(const std::string& before) {
    const std::string now = e2e::Cfg(p);
    if (now != before) { EXPECT_EQ(ReadFile(e2e::BackupPath(p)), before); }
  }

  TestPrefix p;
  std::string cfgBefore;
};

// ------------------------------------------------------------ scenery.cfg

TEST_F(Hostile, GarbageSceneryCfg) {
  for (unsigned seed = 1; seed <= 4; ++seed) {
    std::string garbage = Garbage(64 * 1024, seed);
    if (seed == 2) garbage = "[Area.001]\r\n" + garbage;  // garbage inside a section
    WriteFile(e2e::CfgPath(p), garbage);
    for (const auto& args : std::vector<std::vector<std::string>>{{"-s"}, {"-x", "1"}, {"-t", "1"}, {"-g"}}) {
      RunResult r = Run(args);
      ExpectNothingLost(garbage);
      WriteFile(e2e::CfgPath(p), garbage);
    }
  }
}

TEST_F(Hostile, MegabyteLinesAndNulBytesInSceneryCfg) {
  std::vector<Area> areas = e2e::SampleAreas();
  const std::string longTitle(1 << 20, 'T');
  areas[2].Title = longTitle;
  std::string text = e2e::CfgText(areas);
  // A NUL byte ends the value it is in; a line of a megabyte with no '='.
  text.insert(text.find("Title=Old Airport") + 9, std::string("\0junk", 5));
  text += std::string(1 << 20, 'x') + "\r\n";
  WriteFile(e2e::CfgPath(p), text);

  RunResult r = Run({"-t", "4"});
  ASSERT_EQ(r.ExitCode, 0) << r.Err;
  areas[3].Active = true;
  areas[3].Title = "Old";
  EXPECT_EQ(e2e::Cfg(p), e2e::CfgText(areas));
  EXPECT_EQ(ReadFile(e2e::BackupPath(p)), text);
}

TEST_F(Hostile, ThousandsOfDuplicateSections) {
  std::string text = e2e::GeneralText();
  for (int i = 0; i < 5000; ++i)
    text += e2e::AreaText({"Area.001", "Same " + std::to_string(i), "Scenery\\World", i + 1, true, false});
  WriteFile(e2e::CfgPath(p), text);
  RunResult r = Run({"-s"});
  EXPECT_EQ(r.ExitCode, 0) << r.Err;
  ExpectNothingLost(text);
  r = Run({"-x", "1"});
  ExpectNothingLost(ReadFile(e2e::BackupPath(p)).empty() ? text : e2e::Cfg(p));
  r = Run({"-ft", "same 4999", "0"});
  EXPECT_EQ(r.ExitCode, 0);
}

TEST_F(Hostile, ValuesThatDoNotConvertStopBeforeAnythingIsWritten) {
  const std::string text = e2e::GeneralText() +
                           "[Area.001]\r\nTitle=x\r\nLocal=y\r\nLayer=" + std::string(100000, '9') +
                           "\r\nActive=TRUE\r\nRequired=FALSE\r\n";
  WriteFile(e2e::CfgPath(p), text);
  RunResult r = Run({"-s"});
  EXPECT_EQ(r.ExitCode, 1);
  EXPECT_EQ(r.Err.rfind("layrix: error: C:\\FS9\\scenery.cfg: '999", 0), 0u) << r.Err.substr(0, 80);
  EXPECT_NE(r.Err.find("is not a valid integer value (section [Area.001], key Layer)"), std::string::npos);
  EXPECT_EQ(e2e::Cfg(p), text);
}

// ------------------------------------------------------------ layrix.ini

TEST_F(Hostile, GarbageSettingsFile) {
  const std::vector<std::string> settings = {
      Garbage(32 * 1024, 7),
      "[Settings]\r\nForceVersion=" + std::string(1 << 20, '9') + "\r\nRenameExtension=" +
          std::string(1 << 20, 'e') + "\r\n",
      std::string("[Settings]\r\nForceVersion=9\0\r\nRenameExtension=.\0off\r\n", 49),
  };
  for (const std::string& ini : settings) {
    WriteFile(p.Work() + "/layrix.ini", ini);
    RunResult r = Run({"-g"});
    EXPECT_EQ(r.ExitCode, 0) << r.Err;
    EXPECT_NE(r.Out.find("scenery.cfg"), std::string::npos) << r.Out.substr(0, 200);
    EXPECT_EQ(e2e::Cfg(p), cfgBefore);
  }
}

// ------------------------------------------------------------ registry

TEST_F(Hostile, GarbageRegistryFiles) {
  const std::vector<std::string> hives = {
      Garbage(64 * 1024, 11),
      "WINE REGISTRY Version 2\n" + Garbage(64 * 1024, 12),
      "WINE REGISTRY Version 2\n[Software\\\\Microsoft\\\\Microsoft Games\\\\Flight Simulator\\\\9.0]\n"
      "\"AppPath\"=\"C:\\\\" + std::string(1 << 20, 'F') + "\"\n",
      std::string("WINE REGISTRY Version 2\n[Software\\\\Microsoft\\\\Microsoft Games\\\\Flight "
                  "Simulator\\\\9.0]\n\"AppPath\"=\"C:\\\\FS9\0\\\\x\"\n", 105),
      "WINE REGISTRY Version 2\n[Software\\\\Microsoft\\\\Microsoft Games\\\\Flight Simulator\\\\9.0]\n"
      "\"AppPath\"=\"C:\\\\FS9\\" + std::string(100000, '\n') + "\n",
  };
  for (const std::string& hive : hives) {
    WriteFile(p.Prefix() + "/user.reg", hive);
    WriteFile(p.Prefix() + "/system.reg", hive);
    RunResult r = Run({"-g"});
    if (r.ExitCode == 0) { EXPECT_NE(r.Out, Banner()); }  // a path or the message, never silence
    r = Run({"-s"});
    EXPECT_EQ(e2e::Cfg(p), cfgBefore);  // the registry names no usable scenery.cfg
  }
}

// A registry file that is a folder, or cannot be read: it holds no keys, and
// the user is told which file and why, in plain words.
TEST_F(Hostile, RegistryFileThatIsAFolder) {
  RemoveAll(p.Prefix() + "/user.reg");
  MakeDirs(p.Prefix() + "/user.reg");
  RunResult r = Run({"-g"});
  EXPECT_EQ(r.ExitCode, 1);
  EXPECT_EQ(r.Out, Banner() + Lines({" Could not determine installed FS versions or 'scenery.cfg' location!", ""}));
  EXPECT_EQ(r.Err, "layrix: error: " + p.Prefix() + "/user.reg is a folder, not a registry file\r\n");
}

// ------------------------------------------------------------ batch files

TEST_F(Hostile, GarbageBatchFiles) {
  const std::vector<std::string> batches = {
      Garbage(64 * 1024, 21),
      "-t " + std::string(1 << 20, '4') + "\r\n-t 4\r\n",
      "-ft \"" + std::string(1 << 20, 'a') + "\" 0\r\n-i " + std::string(1 << 20, 'p') + " t 9\r\n",
      std::string("-t 4\0\r\n-t\0 4\r\n-t 4 \0\r\n", 22),
  };
  for (const std::string& batch : batches) {
    WriteFile(p.C("Setup/run.txt"), batch);
    RunOptions o;
    o.Cwd = p.C("Setup");
    Run({"-b", "run.txt"}, o);
    ExpectNothingLost(cfgBefore);
    WriteFile(e2e::CfgPath(p), cfgBefore);
  }
}

TEST_F(Hostile, TwentyThousandBatchLines) {
  std::string batch;
  for (int i = 0; i < 20000; ++i) batch += "-t 4\r\n";
  WriteFile(p.C("Setup/run.txt"), batch);
  RunOptions o;
  o.Cwd = p.C("Setup");
  RunResult r = Run({"-b", "run.txt"}, o);
  EXPECT_EQ(r.ExitCode, 0) << r.Err;
  EXPECT_EQ(e2e::Cfg(p), cfgBefore);  // an even number of toggles
}

// ------------------------------------------------------------ deep trees

TEST_F(Hostile, DeepFolderTrees) {
  std::string deep = "FS9/Addon Scenery/Deep";
  std::string rel = "addon scenery\\deep";  // the typed path comes lower-cased
  for (int i = 0; i < 200; ++i) {
    deep += "/d";
    rel += "\\d";
  }
  MakeDirs(p.C(deep + "/scenery"));
  WriteFile(p.C(deep + "/scenery/x.bgl"), e2e::NewBgl({3}));

  // -c copies all of it (to the lower-cased destination, as typed words are).
  RunResult r = Run({"-c", "C:\\FS9\\Addon Scenery\\Deep", "C:\\Copy", "0"});
  EXPECT_EQ(r.ExitCode, 0) << r.Err;
  std::string copied = "copy";
  for (int i = 0; i < 200; ++i) copied += "/d";
  EXPECT_EQ(ReadFile(p.C(copied + "/scenery/x.bgl")), e2e::NewBgl({3}));

  // -ia finds the folder at the bottom.
  r = Run({"-ia", "Addon Scenery\\Deep"});
  EXPECT_EQ(r.ExitCode, 0) << r.Err;
  EXPECT_NE(e2e::Cfg(p).find(rel), std::string::npos);

  // -v- reaches its files; -r removes them.
  r = Run({"-v-", "6", "0", "16383"});
  EXPECT_EQ(r.ExitCode, 0) << r.Err;
  EXPECT_TRUE(PathExists(p.C(deep + "/scenery/x.~bgl")));
  r = Run({"-r", "6"});
  EXPECT_EQ(r.ExitCode, 0) << r.Err;
  EXPECT_FALSE(PathExists(p.C(deep + "/scenery/x.~bgl")));
}

// ------------------------------------------------------------ host names

TEST_F(Hostile, HostNamesThatAreNotUtf8) {
  // "\xE9t\xE9" is code page 1252 text written as raw bytes: "été".
  MakeDirs(p.C("FS9/Addon Scenery/Raw/\xE9t\xE9\xFF/scenery"));
  WriteFile(p.C("FS9/Addon Scenery/Raw/\xE9t\xE9\xFF/scenery/a.bgl"), e2e::NewBgl({3}));
  RunResult r = Run({"-ia", "Addon Scenery\\Raw"});
  EXPECT_EQ(r.ExitCode, 0) << r.Err;
  // Listed in code page 1252, as a Windows program sees the name.
  EXPECT_NE(e2e::Cfg(p).find("addon scenery\\raw\\\xE9t\xE9\xFF"), std::string::npos);

  // And found again by that name.
  r = Run({"-v-", "6", "0", "16383"});
  EXPECT_EQ(r.ExitCode, 0) << r.Err;
  EXPECT_TRUE(PathExists(p.C("FS9/Addon Scenery/Raw/\xE9t\xE9\xFF/scenery/a.~bgl")));
  r = Run({"-c", "C:\\FS9\\Addon Scenery\\Raw", "C:\\RawCopy", "0"});
  EXPECT_EQ(r.ExitCode, 0) << r.Err;
  EXPECT_EQ(ListTree(p.C("rawcopy")).size(), 3u);
  r = Run({"-r", "6"});
  EXPECT_EQ(r.ExitCode, 0) << r.Err;
  EXPECT_FALSE(PathExists(p.C("FS9/Addon Scenery/Raw/\xE9t\xE9\xFF/scenery/a.~bgl")));
}

// ------------------------------------------------------------ command line

TEST_F(Hostile, CommandLineThatIsNotUtf8) {
  // Bytes that are not UTF-8 are taken as code page 1252; the console gets
  // UTF-8 back.
  RunResult r = Run({"-ft", "\xFF\xFE\x80", "0"});
  EXPECT_EQ(r.Out, Banner() + Lines({" Result (-1 = no): -1"}));
  r = Run({"-i", "\xC3\x28\xA0\xA1", "t", "3"});
  EXPECT_EQ(r.Out, Banner() + Lines({" Scenery or source path does not exist!", ""}));
  r = Run({"-md", "\xFF"});
  EXPECT_EQ(r.ExitCode, 1);
  EXPECT_EQ(e2e::Cfg(p), cfgBefore);
}

TEST_F(Hostile, CurrentFolderRemovedBeforeStart) {
  // A shell enters the folder, removes it and starts the program there.
  const std::string gone = p.Root() + "/gone";
  MakeDirs(gone);
  const std::string out = p.Root() + "/out.txt", err = p.Root() + "/err.txt";
  for (const std::string& args : {std::string("-g"), std::string("-b run.txt"), std::string("-s")}) {
    MakeDirs(gone);
    const std::string command = "cd '" + gone + "' && rmdir '" + gone + "' && WINEPREFIX='" +
                                p.Prefix() + "' HOME='" + p.Home() + "' timeout -s KILL 60 '" +
                                LAYRIX_EXE + "' " + args + " >'" + out + "' 2>'" + err + "' </dev/null";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status)) << status;
    const int code = WEXITSTATUS(status);
    EXPECT_TRUE(code == 0 || code == 1) << args << ": exit code " << code << "\n" << ReadFile(err);
    if (code == 1) { EXPECT_NE(ReadFile(err), ""); }
    if (args == "-g") { EXPECT_NE(ReadFile(out).find("scenery.cfg"), std::string::npos) << ReadFile(out); }
    if (args == "-b run.txt") { EXPECT_NE(ReadFile(out).find("Batch file does not exist"), std::string::npos); }
    ExpectNothingLost(cfgBefore);
  }
}

}  // namespace
