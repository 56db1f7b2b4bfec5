// The names of the program's temporary entries and of the lock files that
// tell whether their maker still runs, as pure functions.
//
// A temporary entry is ".layrix-<run>-<n>.tmp" (a file being written, or a
// folder being built), its lock file ".layrix-<run>.lock" in the same folder;
// <run> is one run's id (letters and digits), <n> counts that run's entries.
//
// May use: the standard library only.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tempnames {

// What every such name begins with.
constexpr std::string_view kPrefix = ".layrix-";

// A new run id: the process id, a letter for the build, and a random part,
// so that a process id seen again later names another run.
std::string NewRunId(uint64_t processId, char build);

std::string TempName(std::string_view run, uint64_t number);
std::string LockName(std::string_view run);

// True for the name of any run's temporary entry or lock file (made by
// this program, in any version).
bool IsWorkingName(std::string_view name);

enum class Kind { None, Temp, Lock };
// What `name` is, and the run it belongs to; Kind::None for any other name.
Kind Parse(std::string_view name, std::string& run);

}  // namespace tempnames
