// Faults of file operations, injected at chosen system calls (no space, an
// input/output error, a denied permission, a mode or time that cannot be
// set; at the first, a middle and the
// last file of a tree) or met for real (a file-size limit, a destination the
// user may not write to): each is told on standard error with the file and
// the cause, the run ends with exit code 1, a new folder is whole or absent,
// nothing temporary stays behind, and the library still gets the other
// changes of the run.
#include <gtest/gtest.h>

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "cfg_text.h"
#include "in_process.h"
#include "test_prefix.h"

namespace {

using namespace testing_support;
using Fault = InjectedFault;
using Tree = std::vector<std::string>;

class Faults : public ::testing::Test {
 protected:
  void SetUp() override {
    e2e::MakeSample(p);
    MakeDirs(p.C("FS9/Addon Scenery/Other/scenery"));
    // The add-on to copy: three BGL files, a read-only one among them, and
    // a readme beside the scenery folder.
    WriteFile(p.C("Downloads/Pack/scenery/a.bgl"), "a");
    WriteFile(p.C("Downloads/Pack/scenery/b.bgl"), "b");
    WriteFile(p.C("Downloads/Pack/scenery/c.bgl"), "c");
    chmod(p.C("Downloads/Pack/scenery/b.bgl").c_str(), 0444);
    WriteFile(p.C("Downloads/Pack/readme.txt"), "read me");
  }

  // A batch that adds a layer, then copies the pack: the layer must be saved
  // whatever becomes of the copy.
  RunResult InstallPack(const std::string& destination, const std::vector<Fault>& faults,
                        const std::string& mode = "1") {
    WriteFile(p.Work() + "/install.txt",
              Lines({"-i \"C:\\FS9\\Addon Scenery\\Other\" \"Other\" -1",
                     "-c C:\\Downloads\\Pack \"" + destination + "\" " + mode}));
    return RunInProcess(p, {"-b", "install.txt"}, "", faults);
  }

  void ExpectOtherAdded() {
    EXPECT_NE(e2e::Cfg(p).find("Local=Addon Scenery\\Other\r\n"), std::string::npos);
  }
  // No temporary entry nor lock file of a run in `folder` (host path).
  void ExpectNoLeftovers(const std::string& folder) {
    for (const std::string& entry : ListTree(folder))
      EXPECT_EQ(entry.find(".layrix-"), std::string::npos) << entry;
  }
  // Exactly one line on standard error, naming `what` and `cause`.
  static void ExpectToldOnce(const RunResult& r, const std::string& what, const std::string& cause) {
    EXPECT_NE(r.Err.find(what), std::string::npos) << r.Err;
    EXPECT_NE(r.Err.find(cause), std::string::npos) << r.Err;
    EXPECT_EQ(r.Err.find("layrix: error:"), r.Err.rfind("layrix: error:")) << r.Err;
  }

  TestPrefix p;
};

const char* const kNewPack = "C:\\FS9\\Addon Scenery\\Pack";

TEST_F(Faults, CopyIntoANewFolderAppearsWholeOrNotAtAll) {
  struct Case {
    Fault Injected;
    std::string Told;  // the file named on standard error
    std::string Cause;
  };
  const std::vector<Case> cases = {
      {{Fault::Write, "a.bgl", ENOSPC}, "a.bgl", "no space left"},
      {{Fault::Write, "b.bgl", EIO}, "b.bgl", "input/output error"},
      {{Fault::Write, "c.bgl", ENOSPC}, "c.bgl", "no space left"},
      {{Fault::Create, "a.bgl", EACCES}, "a.bgl", "permission denied"},
      {{Fault::Create, "readme.txt", ENOSPC}, "readme.txt", "no space left"},
      {{Fault::MakeFolder, "scenery", EIO}, "Pack\\scenery", "input/output error"},
      {{Fault::Rename, "Pack", EACCES}, "Pack", "permission denied"},
      // The time and the read-only state a copy carries are part of it.
      {{Fault::SetTimes, "a.bgl", EIO}, "a.bgl", "input/output error"},
      {{Fault::SetMode, "b.bgl", EPERM}, "b.bgl", "permission denied"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Told + " " + std::to_string(c.Injected.Error));
    const RunResult r = InstallPack(kNewPack, {c.Injected});
    EXPECT_EQ(r.ExitCode, 1);
    ExpectToldOnce(r, c.Told, c.Cause);
    EXPECT_NE(r.Err.find("C:\\FS9\\Addon Scenery\\Pack was not created"), std::string::npos)
        << r.Err;
    EXPECT_FALSE(PathExists(p.C("FS9/Addon Scenery/Pack")));
    ExpectNoLeftovers(p.C("FS9/Addon Scenery"));
    ExpectOtherAdded();
    // The same copy with room again makes the whole folder.
    const RunResult again = InstallPack(kNewPack, {});
    EXPECT_EQ(again.ExitCode, 0) << again.Err;
    EXPECT_EQ(ListTree(p.C("FS9/Addon Scenery/Pack")),
              (Tree{"readme.txt", "scenery/", "scenery/a.bgl", "scenery/b.bgl", "scenery/c.bgl"}));
    RemoveAll(p.C("FS9/Addon Scenery/Pack"));
  }
}

TEST_F(Faults, CopyIntoAnExistingFolderKeepsWhatItCannotReplace) {
  WriteFile(p.C("FS9/Addon Scenery/Pack/scenery/a.bgl"), "old a");
  WriteFile(p.C("FS9/Addon Scenery/Pack/scenery/c.bgl"), "old c");
  // Each file goes through a temporary file renamed onto it; here the write
  // of the first fails, and the rename onto the last.
  // (readme.txt, the first file of the tree, is written first.)
  const RunResult r = InstallPack(
      kNewPack, {{Fault::Write, ".layrix-*.tmp", ENOSPC, 2}, {Fault::Rename, "c.bgl", EIO}});
  EXPECT_EQ(r.ExitCode, 1);
  EXPECT_NE(r.Err.find("cannot copy C:\\Downloads\\Pack\\scenery\\a.bgl to "
                       "C:\\FS9\\Addon Scenery\\Pack\\scenery\\a.bgl: there is no space left"),
            std::string::npos)
      << r.Err;
  EXPECT_NE(r.Err.find("scenery\\c.bgl: the disk reported an input/output error"), std::string::npos)
      << r.Err;
  EXPECT_EQ(ReadFile(p.C("FS9/Addon Scenery/Pack/scenery/a.bgl")), "old a");
  EXPECT_EQ(ReadFile(p.C("FS9/Addon Scenery/Pack/scenery/b.bgl")), "b");
  EXPECT_EQ(ReadFile(p.C("FS9/Addon Scenery/Pack/scenery/c.bgl")), "old c");
  ExpectNoLeftovers(p.C("FS9/Addon Scenery"));
  ExpectOtherAdded();
}

TEST_F(Faults, RemovalGoesOnAndTellsWhatStays) {
  const std::string layer = "FS9/Addon Scenery/OldAirport/";
  for (const char* name : {"a.bgl", "b.bgl", "c.bgl"}) WriteFile(p.C(layer + "scenery/" + name), name);
  WriteFile(p.C(layer + "texture/t.bmp"), "t");
  const RunResult r = RunInProcess(p, {"-r", "4"}, "",
                                   {{Fault::Unlink, "b.bgl", EIO}, {Fault::RemoveFolder, "texture", EACCES}});
  EXPECT_EQ(r.ExitCode, 1);
  EXPECT_NE(r.Err.find("cannot delete C:\\FS9\\Addon Scenery\\OldAirport\\scenery\\b.bgl: "
                       "the disk reported an input/output error"),
            std::string::npos)
      << r.Err;
  EXPECT_NE(r.Err.find("cannot remove the folder C:\\FS9\\Addon Scenery\\OldAirport\\texture: "
                       "permission denied"),
            std::string::npos)
      << r.Err;
  EXPECT_EQ(ListTree(p.C(layer)), (Tree{"scenery/", "scenery/b.bgl", "texture/"}));

  // "-rf" meets the same faults the same way; the read-only file it keeps is
  // its own rule, told as a note, and no fault.
  WriteFile(p.C(layer + "scenery/ro.bgl"), "ro");
  chmod(p.C(layer + "scenery/ro.bgl").c_str(), 0444);
  const RunResult rf = RunInProcess(p, {"-rf", "Addon Scenery\\OldAirport"});
  EXPECT_EQ(rf.ExitCode, 0) << rf.Err;
  EXPECT_EQ(rf.Err, "layrix: kept 1 read-only file in C:\\FS9\\Addon Scenery\\OldAirport\r\n");
  EXPECT_EQ(ListTree(p.C(layer)), (Tree{"scenery/", "scenery/ro.bgl"}));
}

TEST_F(Faults, BglSwitchTellsTheFileItCouldNotRename) {
  const std::string folder = "FS9/Addon Scenery/OldAirport/scenery/";
  for (const char* name : {"a.bgl", "b.bgl", "c.bgl"}) WriteFile(p.C(folder + name), e2e::NewBgl({3}));
  RunResult r = RunInProcess(p, {"-v-", "4", "0", "1"}, "", {{Fault::Rename, "b.~bgl", EACCES}});
  EXPECT_EQ(r.ExitCode, 1);
  ExpectToldOnce(r, "cannot rename C:\\FS9\\Addon Scenery\\OldAirport\\scenery\\b.bgl to", "permission denied");
  EXPECT_EQ(ListTree(p.C(folder)), (Tree{"a.~bgl", "b.bgl", "c.~bgl"}));

  r = RunInProcess(p, {"-v+", "4", "0", "1"}, "", {{Fault::Rename, "c.bgl", EIO}});
  EXPECT_EQ(r.ExitCode, 1);
  ExpectToldOnce(r, "c.~bgl to", "input/output error");
  EXPECT_EQ(ListTree(p.C(folder)), (Tree{"a.bgl", "b.bgl", "c.~bgl"}));
  // A name taken already is the rule that keeps a file: a note, no fault.
  WriteFile(p.C(folder + "c.bgl"), "taken");
  r = RunInProcess(p, {"-v+", "4", "0", "1"});
  EXPECT_EQ(r.ExitCode, 0) << r.Err;
  EXPECT_EQ(r.Err, "layrix: left C:\\FS9\\Addon Scenery\\OldAirport\\scenery\\c.~bgl as it is: "
                   "C:\\FS9\\Addon Scenery\\OldAirport\\scenery\\c.bgl exists already\r\n");
}

TEST_F(Faults, SaveFailsWholeAndTellsTheFile) {
  const std::string before = e2e::Cfg(p);
  for (const Fault& fault : {Fault{Fault::Write, ".layrix-*.tmp", ENOSPC},
                             Fault{Fault::Create, ".layrix-*.tmp", EACCES},
                             Fault{Fault::Rename, "scenery.cfg", EIO}}) {
    const RunResult r = RunInProcess(p, {"-t", "4"}, "", {fault});
    EXPECT_EQ(r.ExitCode, 1);
    EXPECT_NE(r.Err.find("C:\\FS9\\scenery.cfg"), std::string::npos) << r.Err;
    EXPECT_EQ(e2e::Cfg(p), before);
    ExpectNoLeftovers(p.C("FS9"));
  }
  // The new file cannot take the old one's mode (the backup's copy takes it
  // first): the old file stays.
  const RunResult mode = RunInProcess(p, {"-t", "4"}, "", {{Fault::SetMode, ".layrix-*.tmp", EPERM, 2}});
  EXPECT_EQ(mode.ExitCode, 1);
  EXPECT_NE(mode.Err.find("cannot write 'C:\\FS9\\scenery.cfg': permission denied"), std::string::npos)
      << mode.Err;
  EXPECT_EQ(e2e::Cfg(p), before);
  ExpectNoLeftovers(p.C("FS9"));
  // The backup copy fails: nothing is written.
  const RunResult r = RunInProcess(p, {"-t", "4"}, "", {{Fault::Rename, "scenery.~cfg", ENOSPC}});
  EXPECT_EQ(r.ExitCode, 1);
  EXPECT_NE(r.Err.find("scenery.~cfg: there is no space left on the disk; scenery.cfg was not written"),
            std::string::npos)
      << r.Err;
  EXPECT_EQ(e2e::Cfg(p), before);
  ExpectNoLeftovers(p.C("FS9"));
}

// A real limit on the size of files: the large file of a new folder cannot
// be written, and the folder never appears.
TEST_F(Faults, FileSizeLimitLeavesNoHalfFolder) {
  WriteFile(p.C("Downloads/Big/scenery/big.bgl"), std::string(3 << 20, 'x'));
  WriteFile(p.C("Downloads/Big/scenery/small.bgl"), "small");
  RunOptions o;
  o.FileSizeLimit = 1000 * 1024;
  const RunResult r = RunLayrix(p, {"-c", "C:\\Downloads\\Big", "C:\\FS9\\Addon Scenery\\NewBig", "1"}, o);
  EXPECT_EQ(r.ExitCode, 1);
  EXPECT_NE(r.Err.find("big.bgl"), std::string::npos) << r.Err;
  EXPECT_FALSE(PathExists(p.C("FS9/Addon Scenery/NewBig")));
  ExpectNoLeftovers(p.C("FS9/Addon Scenery"));
}

// A destination the user may not write to (the test runs the program as an
// unprivileged user, which root tests can).
TEST_F(Faults, DestinationWithoutWritePermission) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to run the program as another user";
  MakeDirs(p.C("Locked"));
  chmod(p.C("Locked").c_str(), 0555);
  RunOptions o;
  o.RunAsUser = 65534;
  o.Cwd = p.C("");
  const RunResult r = RunLayrix(p, {"-c", "C:\\Downloads\\Pack", "C:\\Locked\\Pack", "1"}, o);
  EXPECT_EQ(r.ExitCode, 1);
  EXPECT_NE(r.Err.find("c:\\locked\\pack"), std::string::npos) << r.Err;  // words of the command line are lower-cased
  EXPECT_NE(r.Err.find("permission denied"), std::string::npos) << r.Err;
  EXPECT_EQ(ListTree(p.C("Locked")), Tree{});
}

// Destinations that can be no folder: a device name, a file, a folder the
// host refuses; each is told once, and nothing is left anywhere.
TEST_F(Faults, DestinationsThatCannotBeFolders) {
  WriteFile(p.C("FS9/readme.txt"), "a file");
  // The library's lock file beside scenery.cfg, made by the first run, stays.
  ASSERT_EQ(RunInProcess(p, {"-g"}, p.C("FS9")).ExitCode, 0);
  const Tree before = ListTree(p.C(""));
  for (const std::string& destination :
       {std::string("NUL"), std::string("CON"), std::string("C:\\FS9\\aux.txt\\x"),
        std::string("C:\\FS9\\readme.txt"), std::string("C:\\FS9\\readme.txt\\sub"),
        std::string("Z:\\proc\\layrix-test")}) {
    SCOPED_TRACE(destination);
    const RunResult r = RunInProcess(p, {"-c", "C:\\Downloads\\Pack", destination, "1"}, p.C("FS9"));
    EXPECT_EQ(r.ExitCode, 1);
    EXPECT_NE(r.Err.find("layrix: error: "), std::string::npos) << r.Err;
    EXPECT_EQ(ListTree(p.C("")), before);
  }
}

// Temporary entries of a run that was killed go with the next run that
// works in their folder, once their lock shows that run gone; those of a
// run still at work stay.
TEST_F(Faults, LeftoversOfEndedRunsAreRemoved) {
  const std::string addons = p.C("FS9/Addon Scenery/");
  WriteFile(addons + ".layrix-123r000001.lock", "");
  WriteFile(addons + ".layrix-123r000001-7.tmp/scenery/half.bgl", "half");
  chmod((addons + ".layrix-123r000001-7.tmp/scenery/half.bgl").c_str(), 0444);
  WriteFile(addons + ".layrix-123r000001-8.tmp", "half a file");
  // A temporary entry without its lock file proves nothing: it stays.
  WriteFile(addons + ".layrix-456r000002-1.tmp", "unknown");
  // Nor does one whose run holds its lock (here this test does).
  WriteFile(addons + ".layrix-789r000003.lock", "");
  WriteFile(addons + ".layrix-789r000003-1.tmp", "at work");
  const int held = open((addons + ".layrix-789r000003.lock").c_str(), O_RDWR);
  struct flock range {};
  range.l_type = F_WRLCK;
  range.l_whence = SEEK_SET;
  range.l_len = 1;
  ASSERT_EQ(fcntl(held, F_OFD_SETLK, &range), 0);

  const RunResult r = RunLayrix(p, {"-c", "C:\\Downloads\\Pack", kNewPack, "1"});
  close(held);
  EXPECT_EQ(r.ExitCode, 0) << r.Err;
  EXPECT_TRUE(PathExists(p.C("FS9/Addon Scenery/pack/scenery/a.bgl")));  // a lower-cased command line
  for (const std::string& entry : ListTree(addons))
    EXPECT_TRUE(entry.find(".layrix-123r") == std::string::npos) << entry;
  EXPECT_TRUE(PathExists(addons + ".layrix-456r000002-1.tmp"));
  EXPECT_EQ(ReadFile(addons + ".layrix-789r000003-1.tmp"), "at work");
}

}  // namespace
