// A save that cannot be written: the run ends with exit code 1 and a message
// that names the file, and the previous scenery.cfg is intact.  The disk is
// made "full" by the file-size limit (ulimit -f), and, where the test may
// mount one, by a small tmpfs holding the simulator folder.
#include <gtest/gtest.h>

#include <cstdlib>

#include "test_prefix.h"
#include "cfg_text.h"

namespace {

using namespace testing_support;
using e2e::Area;

std::vector<Area> Library(int count) {
  std::vector<Area> areas;
  for (int i = 1; i <= count; ++i)
    areas.push_back({"Area." + std::to_string(i), "Scenery " + std::to_string(i),
                     "Addon Scenery\\Pack " + std::to_string(i), i, true, false});
  return areas;
}

class FullDisk : public ::testing::Test {
 protected:
  void SetUp() override {
    oldText = e2e::CfgText(Library(300));
    p.MakeFS9(oldText);
  }
  std::string Cfg() { return ReadFile(p.C("FS9/scenery.cfg")); }
  // No temporary file may stay behind after a failed save.
  void ExpectNoTempFiles() {
    for (const std::string& entry : ListTree(p.C("FS9")))
      EXPECT_EQ(entry.find(".layrix-"), std::string::npos) << entry;
  }
  TestPrefix p;
  std::string oldText;
};

// "-t 1" turns TRUE into FALSE: the new file is one byte longer than the old
// one, so a limit of exactly the old size lets the backup copy through and
// stops the new file.
TEST_F(FullDisk, FileSizeLimitStopsTheNewFile) {
  RunOptions o;
  o.FileSizeLimit = static_cast<long long>(oldText.size());
  RunResult r = RunLayrix(p, {"-t", "1"}, o);
  EXPECT_EQ(r.ExitCode, 1);
  EXPECT_NE(r.Err.find("scenery.cfg"), std::string::npos) << r.Err;
  EXPECT_EQ(Cfg(), oldText);
  EXPECT_EQ(ReadFile(e2e::BackupPath(p)), oldText);
  ExpectNoTempFiles();
  // With room again the same command saves.
  r = RunLayrix(p, {"-t", "1"});
  EXPECT_EQ(r.ExitCode, 0) << r.Err;
  EXPECT_NE(Cfg(), oldText);
}

// A limit below the old size stops the backup copy: nothing is written.
TEST_F(FullDisk, FileSizeLimitStopsTheBackup) {
  WriteFile(e2e::BackupPath(p), "earlier backup");
  // Without the history, whose copy of the old file the limit would stop
  // first (as the history's own tests show).
  WriteFile(p.Work() + "/layrix.ini", "[Main]\r\nHistory=0\r\n");
  RunOptions o;
  o.FileSizeLimit = 4096;
  RunResult r = RunLayrix(p, {"-t", "1"}, o);
  EXPECT_EQ(r.ExitCode, 1);
  EXPECT_NE(r.Err.find("scenery.~cfg"), std::string::npos) << r.Err;
  EXPECT_EQ(Cfg(), oldText);
  EXPECT_EQ(ReadFile(e2e::BackupPath(p)), "earlier backup");
  ExpectNoTempFiles();
}

// Inside a batch run: the changes of every line are lost together, the file
// stays as it was.
TEST_F(FullDisk, FailedSaveAfterBatch) {
  WriteFile(p.C("Setup/run.txt"), Lines({"-t 1", "-t 2", "-s"}));
  RunOptions o;
  o.Cwd = p.C("Setup");
  o.FileSizeLimit = static_cast<long long>(oldText.size());
  RunResult r = RunLayrix(p, {"-b", "run.txt"}, o);
  EXPECT_EQ(r.ExitCode, 1);
  EXPECT_EQ(Cfg(), oldText);
}

// A real file system that runs out of space: a tmpfs with room for the old
// file and its backup, not for the new file beside them.
TEST_F(FullDisk, SmallFileSystem) {
  const std::string fs9 = p.C("FS9");
  const std::string mount = "mount -t tmpfs -o size=";
  const size_t pages = (oldText.size() + 4095) / 4096;
  const std::string size = std::to_string((2 * pages + 1) * 4096);
  if (std::system((mount + size + " tmpfs '" + fs9 + "' 2>/dev/null").c_str()) != 0)
    GTEST_SKIP() << "cannot mount a tmpfs here";
  struct Unmount {
    std::string path;
    ~Unmount() { (void)std::system(("umount '" + path + "'").c_str()); }
  } unmount{fs9};
  p.MakeFS9(oldText);  // again, on the new file system
  WriteFile(p.Work() + "/layrix.ini", "[Main]\r\nHistory=0\r\n");  // no room for its copy

  RunResult r = RunLayrix(p, {"-t", "1"});
  EXPECT_EQ(r.ExitCode, 1);
  EXPECT_NE(r.Err.find("scenery.cfg"), std::string::npos) << r.Err;
  EXPECT_EQ(Cfg(), oldText);
  EXPECT_EQ(ReadFile(e2e::BackupPath(p)), oldText);
  ExpectNoTempFiles();
}

}  // namespace
