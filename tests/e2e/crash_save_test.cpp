// Saving scenery.cfg survives being killed: a large library is toggled and
// the program is killed with SIGKILL at random moments.  After every trial
// scenery.cfg is the old file or the new one, whole, and scenery.~cfg is
// either the backup that was there before or a whole copy of the old file
// (and surely the latter once the new file is in place).
#include <gtest/gtest.h>

#include <filesystem>
#include <iostream>

#include "test_prefix.h"
#include "cfg_text.h"

namespace {

using namespace testing_support;
using e2e::Area;

// The temporary files (and their lock files) a killed save leaves behind.
int CountTempFiles(const std::string& folder) {
  int n = 0;
  for (const auto& e : std::filesystem::directory_iterator(folder))
    if (e.path().filename().string().rfind(".layrix-", 0) == 0) ++n;
  return n;
}

TEST(CrashSave, KilledAtRandomMomentsLeavesOldOrNewFileAndWholeBackup) {
  TestPrefix p;
  const std::string oldText = e2e::CfgText(e2e::NumberedLibrary(5000));
  const std::string earlierBackup = e2e::CfgText(e2e::NumberedLibrary(3));
  p.MakeFS9(oldText);
  const std::string cfg = p.C("FS9/scenery.cfg");
  const std::string backup = p.C("FS9/scenery.~cfg");
  const std::vector<std::string> command = {"-t", "2"};

  // A whole run gives the new file; the kills come until 100 runs were
  // killed at random moments (a run that ends before its kill proves
  // nothing).
  std::string newText;
  int leftOld = 0, leftNew = 0, backupMade = 0, tempFiles = 0;
  auto reset = [&] {
    WriteFile(cfg, oldText);
    WriteFile(backup, earlierBackup);
  };
  auto check = [&](const std::string& what) {
    const std::string cfgNow = ReadFile(cfg);
    const std::string backupNow = ReadFile(backup);
    ASSERT_TRUE(cfgNow == oldText || cfgNow == newText)
        << what << ": scenery.cfg is neither the old nor the new file (" << cfgNow.size() << " bytes)";
    ASSERT_TRUE(backupNow == earlierBackup || backupNow == oldText)
        << what << ": scenery.~cfg is not whole (" << backupNow.size() << " bytes)";
    if (cfgNow == newText) {
      ASSERT_EQ(backupNow, oldText) << what << ": new file written before the backup";
      ++leftNew;
    } else {
      ++leftOld;
    }
    if (backupNow == oldText) ++backupMade;
    tempFiles += CountTempFiles(p.C("FS9"));
  };
  // The new file, from one whole run.
  reset();
  ASSERT_EQ(RunLayrix(p, command).ExitCode, 0);
  newText = ReadFile(cfg);
  ASSERT_NE(newText, oldText);
  ASSERT_EQ(ReadFile(backup), oldText);

  const KillTrials t = RunKilledAtRandomMoments(p, command, 100, 20240607, reset, check);
  std::cout << "[ figures  ] " << t.Trials << " trials within " << t.WindowMicros << " us: " << t.Killed
            << " killed, " << leftOld << " left the old file, " << leftNew
            << " the new one; backup made in " << backupMade << "; " << tempFiles
            << " temporary files seen after kills\n";
  EXPECT_GE(t.Killed, 100);
  // What the kills left, the next whole run takes away: their runs are gone.
  reset();
  ASSERT_EQ(RunLayrix(p, command).ExitCode, 0);
  EXPECT_EQ(CountTempFiles(p.C("FS9")), 0);
}

}  // namespace
