// File-date helpers.  The process runs in UTC so that local times
// are known.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <fcntl.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "test_prefix.h"
#include "walk/file_times.h"

using testing_support::TestPrefix;

namespace {

// Set before any time conversion of the process.
const bool kUtc = (setenv("TZ", "UTC", 1), true);

constexpr uint64_t kTicksPerSecond = 10000000;
constexpr uint64_t kDay0 = 94353120000000000ull;           // 1899-12-30 00:00
constexpr uint64_t kY2000 = 125911584000000000ull;         // 2000-01-01 00:00
constexpr uint64_t kUnixEpoch = 116444736000000000ull;     // 1970-01-01 00:00

TEST(FileTimeToDateTime, KnownValues) {
  ASSERT_TRUE(kUtc);
  EXPECT_DOUBLE_EQ(FileTimeToDateTime(kDay0), 0.0);
  EXPECT_DOUBLE_EQ(FileTimeToDateTime(kY2000), 36526.0);
  EXPECT_DOUBLE_EQ(FileTimeToDateTime(kY2000 + 12 * 3600 * kTicksPerSecond), 36526.5);
  EXPECT_DOUBLE_EQ(FileTimeToDateTime(kUnixEpoch), 25569.0);
  // Calendar fields hold milliseconds: anything finer is dropped.
  EXPECT_DOUBLE_EQ(FileTimeToDateTime(kY2000 + 9999), 36526.0);
  EXPECT_DOUBLE_EQ(FileTimeToDateTime(kY2000 + 10000), 36526.0 + 1.0 / 86400000.0);
  // Before day 0 the time of day counts away from zero: 1899-12-29 06:00.
  EXPECT_DOUBLE_EQ(FileTimeToDateTime(kDay0 - 18 * 3600 * kTicksPerSecond), -1.25);
}

TEST(GetFileDate, LastWriteTimeOfTheEntry) {
  TestPrefix prefix;
  setenv("WINEPREFIX", prefix.Prefix().c_str(), 1);
  const std::string host = prefix.C("dates/Tower.BGL");
  testing_support::WriteFile(host, "x");
  // 2001-02-03 04:05:06.789 UTC
  struct timespec times[2];
  times[0].tv_sec = 981173106;
  times[0].tv_nsec = 0;
  times[1].tv_sec = 981173106;
  times[1].tv_nsec = 789000000;
  ASSERT_EQ(utimensat(AT_FDCWD, host.c_str(), times, 0), 0);

  const double expected = FileTimeToDateTime(kUnixEpoch + 981173106ull * kTicksPerSecond + 7890000);
  EXPECT_DOUBLE_EQ(GetFileDate("C:\\dates\\Tower.BGL", 1), expected);
  EXPECT_NEAR(expected, 25569.0 + 981173106.789 / 86400.0, 1e-8);
  // Any letter case finds the entry.
  EXPECT_DOUBLE_EQ(GetFileDate("C:\\DATES\\tower.bgl", 1), expected);
  EXPECT_DOUBLE_EQ(GetFileDate("C:\\dates\\Tower.BGL", 2), FileTimeToDateTime(kUnixEpoch + 981173106ull * kTicksPerSecond));
  EXPECT_EQ(GetFileDate("C:\\dates\\Tower.BGL", 3), 0.0);
  EXPECT_EQ(GetFileDate("C:\\dates\\missing.bgl", 1), 0.0);

  EXPECT_GT(DateDiff(expected, GetFileDate("C:\\dates\\Tower.BGL", 2)), 0.0);
  EXPECT_DOUBLE_EQ(DateDiff(36527.0, 36526.5), 0.5);
}

}  // namespace
