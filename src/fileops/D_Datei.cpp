#include "fileops/D_Datei.h"

#include <vector>

#include "platform/platform.h"

namespace {

constexpr uint64_t kTicksPerMs = 10000;  // file times count 100 ns units
constexpr int64_t kMsPerDay = 86400000;
// Days from 1601-01-01, where file times start, to 1899-12-30, day 0 of a
// date-time.
constexpr int64_t kDaysFrom1601To1899 = 109205;

}  // namespace

bool IsRelativePath(const std::string& Path) {
  if (Path.empty()) return false;
  if (Path[0] == '\\') return false;
  if (Path.size() >= 2 && Path[1] == ':') return false;
  return true;
}

TDateTime FileTimeToDateTime(uint64_t FileTime) {
  // Local time, cut to whole milliseconds as calendar fields hold it.
  const uint64_t localMs = plat::FileTimeToLocal(FileTime) / kTicksPerMs;
  const int64_t day = static_cast<int64_t>(localMs / kMsPerDay) - kDaysFrom1601To1899;
  const double time = static_cast<double>(localMs % kMsPerDay) / static_cast<double>(kMsPerDay);
  // Before day 0 the time of day counts away from zero, as date-times have it.
  return day >= 0 ? static_cast<double>(day) + time : static_cast<double>(day) - time;
}

TDateTime GetFileDate(const std::string& FileName, int Kind) {
  if (Kind < 0 || Kind > 2) return 0;
  const std::vector<plat::DirEntry> entries = plat::FindEntries(FileName);
  if (entries.empty()) return 0;
  const plat::FileInfo& info = entries.front().Info;
  switch (Kind) {
    case 0: return FileTimeToDateTime(info.CreationTime);
    case 1: return FileTimeToDateTime(info.LastWriteTime);
    default: return FileTimeToDateTime(info.LastAccessTime);
  }
}

double DateDiff(TDateTime A, TDateTime B) { return A - B; }
