// Temporary entries of the Windows build: their names, this run's lock file
// in each folder where it makes them, and the removal of what ended runs
// left behind.  Only the files of this folder include it.
//
// May use: platform/ and <windows.h>.
#pragma once

#include <string>

#include "platform/platform.h"
#include "platform/win32/win32_util.h"

namespace plat::win32 {

// A new name for a temporary entry in `folder` (ending in a separator),
// under this run's lock file there, which is made and taken on the first
// call for the folder after removing what ended runs left.  False with the
// error code set (GetLastError) when the lock file cannot be made.  The
// caller makes the entry with a call that fails when the name is taken.
bool NewTemporaryName(const std::string& folder, std::string& name);
// Tells the bookkeeping that the temporary entry `path` is gone.
void ForgetTemporary(const std::string& path);
// Removes the entry `path` and, for a folder, all it holds, read-only files
// included; links to folders are removed, never followed.  0 or an error code.
DWORD RemoveTree(const std::string& path);

// The outcome a system error code stands for, with its plain words.
FileResult ResultOfCode(DWORD code);

}  // namespace plat::win32

namespace plat {
// ReleaseTemporaryLocks, unless a KeepTemporaryLocks lives: what each file
// operation calls when it is done.
void ReleaseTemporaryLocksUnlessKept();
}  // namespace plat
