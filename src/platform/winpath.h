// Windows path text as pure functions (no system calls), testable on any
// host.  Paths are the program's text (UTF-8, whose bytes beyond ASCII are
// never separators); both '\' and '/' separate components where
// Windows accepts them, and results use '\'.
//
// May use: the standard library only.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace winpath {

// GetFullPathNameA against `currentFolder` (the Windows form of the current
// folder, for example "C:\x\" or "Z:\home\u\"):
//   - a relative path is completed against the current folder;
//   - "\x" is on the drive of the current folder;
//   - "C:x" is relative to the current folder when that is on C:, else to C:\;
//   - '/' separates like '\'; "." and ".." are resolved in the text, ".."
//     stops at the root;
//   - trailing dots and blanks of the last component are dropped.
// UNC paths ("\\server\share\...") keep their server and share as the root.
// Returns an empty string for an empty path.
std::string FullPath(std::string_view path, std::string_view currentFolder);

// True for a path that FullPath gives back unchanged whatever the current
// folder, told from a cheap look at its text: a drive letter, ":\", then
// components separated by single backslashes, none empty, none starting
// with a dot, none ending in a dot or a blank, no '/', and a last component
// that is not a device name.  (False does not mean the path is not full.)
bool IsPlainFullPath(std::string_view path);

// True for a name that the full-path rule keeps as it is after the folder of
// a full path: not empty, no leading or trailing dot, no trailing blank, no
// separator, not a device name.
bool IsPlainName(std::string_view name);

// True when `path` is not empty, its first character is not a backslash and
// its second character is not a colon: a path that the program completes by
// putting the simulator folder in front.  "/x" and one-letter names are
// relative.
bool IsRelativePath(std::string_view path);

// "C:" for "C:\x" or "c:x"; "\\server\share" for a UNC path; else empty.
std::string DriveOf(std::string_view path);

// `path` with every '/' turned into '\\', the separator Windows also takes
// and the one the program stores and compares.
std::string WithBackslashes(std::string_view path);

// True when `name` holds a character Windows forbids in a file or folder
// name: < > : " / \ | ? * or a control character (below 0x20).  Such a
// name names nothing on Windows and under Wine.
bool HasForbiddenCharacter(std::string_view name);

// True for a UNC path ("\\server\share", "//server/share") or a device name
// (NUL, CON, AUX, PRN, COM1-COM9, LPT1-LPT9, with any extension, in any
// component position that Windows treats as a device: the last component).
bool IsUncPath(std::string_view path);
bool IsDeviceName(std::string_view component);

// Everything up to and including the last backslash (or colon of a drive).
std::string ExtractFilePath(std::string_view path);
// The part after the last backslash (or colon of a drive).
std::string ExtractFileName(std::string_view path);

std::string IncludeTrailingBackslash(std::string_view path);
std::string ExcludeTrailingBackslash(std::string_view path);

// `path` as one full folder path, the form in which folders are compared
// and shown: made full by `fullPath` (the host's full-path rule, which the
// caller hands in) unless it is a plain full path already, without a
// trailing backslash unless it is a drive root ("C:\").  Where `fullPath`
// fails (gives ""), the result is "", or with `keepWhenNotFull` `path` as it
// is written, its trailing backslash dropped all the same.
using FullPathFn = std::string (*)(const std::string&);
std::string FullFolder(std::string_view path, FullPathFn fullPath, bool keepWhenNotFull = false);

// Splits the part after the drive into components, dropping empty ones
// (a doubled backslash is passed over).
std::vector<std::string> SplitComponents(std::string_view pathAfterDrive);

// `dest` expressed relative to the folder part of `base` (everything up to
// and including the last backslash of `base`).  When the drives differ
// (ignoring case) `dest` is returned unchanged.  Otherwise the folder
// components are compared from the left without regard to case while they
// agree; the result is one "..\" for each remaining component of the base
// folder, then the remaining folder components of `dest` each followed by a
// backslash, then the file-name part of `dest`.  Case-insensitive comparison
// uses `same`, so that callers choose the platform's rule.
using SameFn = bool (*)(const std::string&, const std::string&);
std::string ExtractRelativePath(std::string_view base, std::string_view dest, SameFn same);

}  // namespace winpath
