// File dates as the copy's overwrite rule compares them: a file's time in
// local time as a date-time (days), read from its directory entry.
//
// May use: platform/.
#pragma once

#include <cstdint>
#include <string>

// A date-time: days since 1899-12-30, the fraction being the time of day.
using DateTime = double;

// A file time (UTC) converted to local time with the current time-zone bias,
// then to calendar fields (millisecond resolution), then to a date-time.
DateTime FileTimeToDateTime(uint64_t fileTime);

// Which of a file's times GetFileDate reads.
enum FileTimeKind : int { kCreationTime = 0, kLastWriteTime = 1, kLastAccessTime = 2 };

// The time of the first directory entry matching `path` (no attribute
// excluded); any other kind, or no entry, gives 0.
DateTime GetFileDate(const std::string& path, int kind);

// `a` minus `b`, in days.
double DateDiff(DateTime a, DateTime b);
