// Small path and file-date utilities.
#pragma once

#include <cstdint>
#include <string>

// A date-time: days since 1899-12-30, the fraction being the time of day.
using TDateTime = double;

// True when `Path` is not empty, its first character is not a backslash and
// its second character is not a colon.  "/x" and one-letter names are relative.
bool IsRelativePath(const std::string& Path);

// A file time (UTC) converted to local time with the current time-zone bias,
// then to calendar fields (millisecond resolution), then to a date-time.
TDateTime FileTimeToDateTime(uint64_t FileTime);

// The time of the first directory entry matching `FileName` (no attribute
// excluded): Kind 0 creation, 1 last write, 2 last access; any other Kind,
// or no entry, gives 0.
TDateTime GetFileDate(const std::string& FileName, int Kind);

// A minus B, in days.
double DateDiff(TDateTime A, TDateTime B);
