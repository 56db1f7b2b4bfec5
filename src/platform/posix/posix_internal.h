// Shared pieces of the posix host layer: the prefix and its drives, the
// resolution of Windows paths to host paths, the names of folders looked up
// ignoring case, file facts, and the table of system calls through which
// files are written.
// Private to src/platform/posix/ and its tests.
//
// May use: platform/ and the POSIX headers.
#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"
#include "platform/posix/windows_rules.h"

namespace plat::posix {

// ---------------------------------------------------------------- system calls

// Every call that changes a file (writes, copies, renames, deletes it, or
// sets its mode, owner, times or attributes) goes through this table (as
// SQLite's os_unix.c does), so that tests can make any of them fail.
struct SysCalls {
  // Paths are taken relative to the folder handle `dir` (AT_FDCWD: the
  // current folder), as openat and its kin take them.
  int (*Open)(int dir, const char* path, int flags, mode_t mode);
  ssize_t (*Read)(int fd, void* buffer, size_t count);
  ssize_t (*Write)(int fd, const void* data, size_t count);
  int (*Fsync)(int fd);
  int (*Close)(int fd);
  int (*Rename)(int fromDir, const char* from, int toDir, const char* to);
  // rename that fails with EEXIST when `to` exists.
  int (*RenameNoReplace)(int fromDir, const char* from, int toDir, const char* to);
  int (*Unlink)(int dir, const char* path, int flags);  // flags: 0 or AT_REMOVEDIR
  int (*Mkdir)(int dir, const char* path, mode_t mode);
  // The FICLONE ioctl: the file `out` (open for writing) becomes the whole of
  // `in` by sharing its blocks, where the file system can.
  int (*CloneFile)(int in, int out);
  // copy_file_range from the current offset of `in` to that of `out`, up to
  // `count` bytes: the number copied (0 at the end of `in`), or -1.
  ssize_t (*CopyFileRange)(int in, int out, size_t count);
  // The facts a new file takes: mode, owner, times, an extended attribute.
  int (*Fchmod)(int fd, mode_t mode);
  int (*Fchown)(int fd, uid_t owner, gid_t group);
  int (*Futimens)(int fd, const struct timespec times[2]);
  int (*Fsetxattr)(int fd, const char* name, const void* value, size_t size);
};
SysCalls& Sys();              // the table in use; tests may replace entries
const SysCalls& DefaultSys();  // the real calls

// Forgets everything read once per process: the prefix, the registry hives,
// the drive table and the folder name caches.  For tests that set up a new
// prefix.
void ResetCaches();
// The parts dropped by ResetCaches.
void ResetRegistryCache();
void ResetPrefixCache();

// ---------------------------------------------------------------- prefix, drives

// The Wine prefix served, chosen once per process (ChoosePrefix); no
// trailing '/'.
const std::string& PrefixPath();

// Which prefix serves: $WINEPREFIX when set and not empty; else $HOME/.wine
// when it registers a simulator (PrefixRegistersSimulator); else the Proton
// prefix of FSX Steam Edition in the first of Steam's library folders that
// holds one; else $HOME/.wine all the same.  In that last case `Notes` says,
// in plain words (UTF-8), where it looked and what stood in the way.
struct PrefixChoice {
  std::string Prefix;
  std::vector<std::string> Notes;
};
PrefixChoice ChoosePrefix();

// Whether the user hive (user.reg) of the prefix at host path `prefix`
// registers a simulator served here: one of the keys of simulator_keys.h
// with a string "AppPath" that is not empty.  The hive read stays cached
// for when that prefix is chosen.
bool PrefixRegistersSimulator(const std::string& prefix);

// The host folder of drive `letter` (a-z, either case), through which paths
// on it are reached: "<prefix>/dosdevices/x:", or "/" for z: when the prefix
// does not define z:.  False when the prefix has no such drive.
bool DriveRoot(char letter, std::string& root);

// The Windows form ("Z:\tmp", "C:\") of an absolute host path: the drive
// whose target folder (links resolved) is the longest leading part of the
// path (links resolved when it exists), in whole components; the lowest
// letter among equals.  False when no drive holds the path.
bool HostToWindows(const std::string& hostPath, std::string& windows);

// ---------------------------------------------------------------- resolution

struct Resolved {
  bool Valid = false;   // false: a UNC path, a device, a drive the prefix lacks, bad text
  bool Exists = false;  // the whole path names an existing entry (lstat)
  std::string Host;     // the host path (UTF-8)
  std::string Folder;   // the host path of the folder holding the last component
  std::string Name;     // the host name of the last component ("" for a drive root)
  struct stat Lstat {};  // when Exists
};

// A Windows path (absolute or relative to the current folder) as a
// host path: the drive's folder, then each component as the folder spells it
// (exactly when so, else the first entry equal ignoring case in listing
// order), components that exist in no spelling keep theirs.
Resolved Resolve(const std::string& windowsPath);
// Resolve for a path whose lstat as spelled (Spelled) has just failed: only
// the other spellings are looked at.
Resolved ResolveAbsent(const std::string& windowsPath);
// The same checks and the path exactly as spelled, without looking at the
// disk (Exists is false).  For a call that tries the spelled path first and
// resolves only when it is not there.
Resolved Spelled(const std::string& windowsPath);
// Resolve for a path that names a new entry as a rule (the target of a copy
// or a rename): the names of its folder, when that is there as spelled, are
// looked at first, so that a name missing in every spelling costs one look
// at its folder.
Resolved ResolveNew(const std::string& windowsPath);

// ---------------------------------------------------------------- host path text

// `name` in host folder `folder` ("/" has no second slash).
inline std::string JoinHost(const std::string& folder, const std::string& name) {
  std::string path;
  path.reserve(folder.size() + 1 + name.size());
  path = folder;
  if (folder != "/") path += '/';
  path += name;
  return path;
}

// The host folder holding `hostPath` ("." for a bare name).
inline std::string HostParent(const std::string& hostPath) {
  size_t slash = hostPath.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : hostPath.substr(0, slash);
}

// The last component of `hostPath`.
inline std::string HostName(const std::string& hostPath) {
  return hostPath.substr(hostPath.find_last_of('/') + 1);
}

// `hostPath` with links resolved; "" when nothing is there.
std::string RealHostPath(const std::string& hostPath);

// Where new contents of `r` go: the entry itself, or, for a link to a file,
// the file it leads to (so that the link stays a link).
std::string FinalTarget(const Resolved& r);

// Opens the entry `path` names for reading (a folder opens too): the path as
// spelled first and, only when nothing is there, the path resolved in other
// spellings.  -1 with `error` (an errno value) set when it cannot be opened.
int OpenForReading(const std::string& path, int& error);

// Where a call finds an entry: a folder handle and a path below it, as the
// *at calls of the system-call table take them.  This layer names entries
// by their whole host paths (AT_FDCWD); a temporary entry has a handle.
struct At {
  int Dir = AT_FDCWD;
  std::string Path;
};
inline At InFolder(const std::string& hostFolder, const std::string& name) {
  return {AT_FDCWD, JoinHost(hostFolder, name)};
}
// The entry `r` names (a drive root by its whole path).
inline At AtOf(const Resolved& r) { return {AT_FDCWD, r.Host}; }

// ---------------------------------------------------------------- name cache

// The host names in `folder` equal to `name` ignoring case, as NTFS
// compares names (NameKey), in listing order.  The names of a few folders
// are kept, checked against each folder's modification time on every use
// and updated by this layer's own changes, so that looking up many names
// in one folder costs one listing of it, not one per name (without them,
// a listing of a library whose missing areas share one folder, or a copy
// into a folder of many files, takes time that grows with the square of
// the folder's size: -l of 10,000 areas, 500 of them missing, 0.02 s with
// the names kept against 0.51 s, docs/performance.md).
std::vector<std::string> NamesIgnoringCase(const std::string& folder, const std::string& name);
// The same with the folder's stat result (links followed) at hand.
std::vector<std::string> NamesIgnoringCase(const std::string& folder, const std::string& name,
                                           const struct stat& folderStat);

// Keep the cache up to date after this layer's own changes to `folder`.
void NoteAdded(const std::string& folder, const std::string& hostName);
void NoteRemoved(const std::string& folder, const std::string& hostName);
// A rename: one look at the folder when both names are in the same one.
void NoteRenamed(const std::string& fromFolder, const std::string& fromName,
                 const std::string& toFolder, const std::string& toName);
void ClearNameCache();

// ---------------------------------------------------------------- file facts

// The facts of the entry `hostPath` named `hostName`, from its lstat result:
// links to folders are folders with kAttrReparsePoint, links to files are
// files with the target's facts.
FileInfo InfoOf(const std::string& hostPath, const std::string& hostName, const struct stat& lst);

uint64_t ToFileTime(const struct timespec& t);

// ---------------------------------------------------------------- helpers

// 0 when the first byte of `fd` is locked now by this open file, else an
// errno value (EAGAIN or EACCES: another holder).
int LockFirstByte(int fd);

// Copies the data of `in`, a regular file open for reading at its start and
// `size` bytes long when it was opened, into `out`, a new, empty file open
// for writing: by sharing the blocks where the file system can (nearly
// instant, and no extra space), else inside the kernel, else by reading and
// writing.  A file that grows or shrinks meanwhile is copied to its end.
// False with errno set on a fault; the caller then removes `out`.
bool CopyFileData(int in, int out, off_t size);

// Writes all of `data` to `fd`.  False with errno set on a fault.
bool WriteAll(int fd, const char* data, size_t size);

// Reads the whole of the open file `fd` into `bytes`: 0, or an errno value
// (EISDIR for a folder, EFBIG for more than `largest` bytes).
int ReadOpenFile(int fd, std::string& bytes, size_t largest);

// A file that replaces `old` (its stat) takes its owner, where the caller
// may give it away (only root may).
void KeepOwner(int fd, const struct stat& old);

// Marks the open file or folder `fd` hidden as Wine marks an entry a
// Windows program makes hidden (a leading dot already hides it here; a file
// system without extended attributes does without).
void MarkHidden(int fd);

// Ignores SIGXFSZ once, so that writing past the file-size limit returns
// EFBIG instead of ending the process.
void IgnoreFileSizeSignal();

// The whole of the host file `hostPath` (a path of this host, not a Windows
// path: the prefix's own files, Steam's), read into `bytes`.  0 when it was
// read; else the errno of the failure (EISDIR for a folder, EFBIG for a file
// larger than `largest` bytes), with `bytes` empty and `opened` telling
// whether the file could at least be opened.
int ReadHostFile(const std::string& hostPath, std::string& bytes, bool& opened,
                 size_t largest = SIZE_MAX);

// Text of an errno value.
std::string ErrnoText(int error);
// The outcome an errno value stands for, with its plain words.
FileResult ResultOfErrno(int error);

}  // namespace plat::posix
