// File dates: file times as local date-times, and the times of a directory entry.
#include "walk/file_times.h"

#include <vector>

#include "platform/platform.h"

namespace {

constexpr uint64_t kTicksPerMs = 10000;  // file times count 100 ns units
constexpr int64_t kMsPerDay = 86400000;
// Days from 1601-01-01, where file times start, to 1899-12-30, day 0 of a
// date-time.
constexpr int64_t kDaysFrom1601To1899 = 109205;

}  // namespace

DateTime FileTimeToDateTime(uint64_t fileTime) {
  // Local time, cut to whole milliseconds as calendar fields hold it.
  const uint64_t localMs = plat::FileTimeToLocal(fileTime) / kTicksPerMs;
  const int64_t day = static_cast<int64_t>(localMs / kMsPerDay) - kDaysFrom1601To1899;
  const double time = static_cast<double>(localMs % kMsPerDay) / static_cast<double>(kMsPerDay);
  // Before day 0 the time of day counts away from zero, as date-times have it.
  return day >= 0 ? static_cast<double>(day) + time : static_cast<double>(day) - time;
}

DateTime GetFileDate(const std::string& fileName, int kind) {
  if (kind < 0 || kind > 2) return 0;
  std::vector<plat::DirEntry> entries;
  if (!plat::FindEntries(fileName, entries) || entries.empty()) return 0;
  const plat::FileInfo& info = entries.front().Info;
  switch (kind) {
    case 0: return FileTimeToDateTime(info.CreationTime);
    case 1: return FileTimeToDateTime(info.LastWriteTime);
    default: return FileTimeToDateTime(info.LastAccessTime);
  }
}

double DateDiff(DateTime a, DateTime b) { return a - b; }
