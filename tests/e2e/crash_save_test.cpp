// Saving scenery.cfg survives being killed: a large library is toggled and
// the program is killed with SIGKILL at random moments.  After every trial
// scenery.cfg is the old file or the new one, whole, and scenery.~cfg is
// either the backup that was there before or a whole copy of the old file
// (and surely the latter once the new file is in place).
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <iostream>
#include <random>

#include "TestPrefix.h"
#include "cfg_text.h"

namespace {

using namespace testing_support;
using e2e::Area;

std::vector<Area> Library(int count) {
  std::vector<Area> areas;
  for (int i = 1; i <= count; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "Area.%03d", i);
    areas.push_back({name, "Scenery number " + std::to_string(i),
                     "Addon Scenery\\Pack " + std::to_string(i), i, true, false});
  }
  return areas;
}

// Removes the temporary files a killed save leaves behind; returns how many.
int RemoveTempFiles(const std::string& folder) {
  int n = 0;
  for (const auto& e : std::filesystem::directory_iterator(folder)) {
    const std::string name = e.path().filename().string();
    if (name.rfind(".layrix-", 0) == 0) {
      std::filesystem::remove(e.path());
      ++n;
    }
  }
  return n;
}

TEST(CrashSave, KilledAtRandomMomentsLeavesOldOrNewFileAndWholeBackup) {
  TestPrefix p;
  const std::string oldText = e2e::CfgText(Library(5000));
  const std::string earlierBackup = e2e::CfgText(Library(3));
  p.MakeFS9(oldText);
  const std::string cfg = p.C("FS9/scenery.cfg");
  const std::string backup = p.C("FS9/scenery.~cfg");
  const std::vector<std::string> command = {"-t", "2"};

  // A whole run gives the new file and the time the kill is drawn within.
  WriteFile(backup, earlierBackup);
  long long runMicros = 0;
  for (int i = 0; i < 3; ++i) {
    WriteFile(cfg, oldText);
    const auto t0 = std::chrono::steady_clock::now();
    RunResult r = RunLayrix(p, command);
    const auto t1 = std::chrono::steady_clock::now();
    ASSERT_EQ(r.ExitCode, 0) << r.Err;
    runMicros = std::max<long long>(
        runMicros, std::chrono::duration_cast<std::chrono::microseconds>(t1 - t0).count());
  }
  const std::string newText = ReadFile(cfg);
  ASSERT_NE(newText, oldText);
  ASSERT_EQ(ReadFile(backup), oldText);

  // Trials go on until 100 runs were killed at random moments (a run that
  // ends before its kill proves nothing).  On a loaded machine the measured
  // run time can be too long, so each run that escapes its kill narrows the
  // window the next delay is drawn from.
  std::mt19937 random(20240607);
  constexpr int kKills = 100;
  constexpr int kMaxTrials = 1000;
  int trials = 0, killed = 0, leftOld = 0, leftNew = 0, backupMade = 0, tempFiles = 0;
  for (int trial = 0; killed < kKills && trial < kMaxTrials; ++trial, ++trials) {
    WriteFile(cfg, oldText);
    WriteFile(backup, earlierBackup);
    RunOptions o;
    o.KillAfterMicroseconds = std::uniform_int_distribution<long long>(0, runMicros)(random);
    RunResult r = RunLayrix(p, command, o);
    if (r.ExitCode == 128 + 9) {
      ++killed;
    } else {
      ASSERT_EQ(r.ExitCode, 0) << r.Err;
      runMicros = std::max<long long>(1000, runMicros * 9 / 10);
    }

    const std::string cfgNow = ReadFile(cfg);
    const std::string backupNow = ReadFile(backup);
    ASSERT_TRUE(cfgNow == oldText || cfgNow == newText)
        << "trial " << trial << ", killed after " << o.KillAfterMicroseconds
        << " us: scenery.cfg is neither the old nor the new file (" << cfgNow.size() << " bytes)";
    ASSERT_TRUE(backupNow == earlierBackup || backupNow == oldText)
        << "trial " << trial << ": scenery.~cfg is not whole (" << backupNow.size() << " bytes)";
    if (cfgNow == newText) {
      ASSERT_EQ(backupNow, oldText) << "trial " << trial << ": new file written before the backup";
      ++leftNew;
    } else {
      ++leftOld;
    }
    if (backupNow == oldText) ++backupMade;
    tempFiles += RemoveTempFiles(p.C("FS9"));
  }
  std::cout << "[ figures  ] " << trials << " trials within " << runMicros << " us: " << killed
            << " killed, " << leftOld << " left the old file, " << leftNew
            << " the new one; backup made in " << backupMade << "; " << tempFiles
            << " temporary files left by kills\n";
  EXPECT_GE(killed, kKills);
}

}  // namespace
