// Shared pieces of the posix host layer: the prefix and its drives, the
// resolution of Windows paths to host paths, the per-folder name cache, file
// facts, and the table of system calls through which files are written.
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
// The same checks and the path exactly as spelled, without looking at the
// disk (Exists is false).  For a call that tries the spelled path first and
// resolves only when it is not there.
Resolved Spelled(const std::string& windowsPath);
// Spelled, as the folder and name a call on the path needs.  For the common
// case of a walk, a plain name in the folder of a path spelled out a moment
// ago, no Resolved is built: Folder is that folder's kept host path (valid
// until the next path is spelled out).
struct SpelledName {
  SpelledName() = default;
  SpelledName(const SpelledName&) = delete;  // Folder may point into Full
  SpelledName& operator=(const SpelledName&) = delete;
  const std::string* Folder = nullptr;  // the host folder holding the name
  std::string Name;                      // the host name; empty for a drive root
  std::optional<Resolved> Full;          // Spelled's result, when the short way did not serve
  // Whether Folder is a kept folder's text, which spelling out another path
  // may replace.
  bool Kept() const { return !Full; }
};
// False where Spelled's result is not Valid.
bool SpellName(const std::string& windowsPath, SpelledName& spelled);

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

// Where new contents of `r` go: the entry itself, or, for a link to a file,
// the file it leads to (so that the link stays a link).
std::string FinalTarget(const Resolved& r);

// Opens the entry `path` names for reading (a folder opens too): the path as
// spelled first and, only when nothing is there, the path resolved in other
// spellings.  -1 with `error` (an errno value) set when it cannot be opened.
int OpenForReading(const std::string& path, int& error);

// ---------------------------------------------------------------- folder handles

// A monotonic clock in nanoseconds, cheap enough to read on every call.
int64_t MonotonicNow();
// How long what was learnt of a folder serves before the folder is looked at
// again: its handle, and its names checked against its modification time.
// A folder replaced or changed by another program is met within this time.
constexpr int64_t kShortTrustNanoseconds = 100 * 1000 * 1000;

// An open handle of a folder, closed when its last holder lets it go.
using HeldFolder = std::shared_ptr<const int>;

// A handle (O_PATH) of the host folder `hostFolder`, through which the calls
// on names in it skip walking the whole path again; null when it cannot be
// opened.  Handles of the folders used last are kept for a short while (the
// short trust time), so that a folder replaced by another program is soon
// met under its path again; one dropped from the cache stays open while a
// caller still holds it.
HeldFolder FolderHandle(const std::string& hostFolder);
// The handle of `hostFolder` when one is kept and still trusted; null
// otherwise (nothing is opened).
HeldFolder KeptFolderHandle(const std::string& hostFolder);
// Drops the handles of `name` in `hostFolder` and of every folder below it,
// after this layer made, removed or renamed it.
void ForgetFolderHandles(const std::string& hostFolder, const std::string& name);
void ClearFolderHandles();

// Where a call finds `name` in `hostFolder`: the folder's handle and the
// bare name, or AT_FDCWD and the whole path when there is no handle.
struct At {
  int Dir = AT_FDCWD;
  std::string Path;
  HeldFolder Held;  // keeps Dir open while the At lives
};
At InFolder(const std::string& hostFolder, const std::string& name);
// Where a call finds the entry `r` names: through its folder's handle, or by
// its whole path for a drive root (which has no name in a folder).
At AtOf(const Resolved& r);
At AtOf(const SpelledName& s);

// ---------------------------------------------------------------- name cache

// The host names in `folder` equal to `name` ignoring case, as NTFS
// compares names (NameKey), in listing order.  Served from a
// small cache of folders, checked against each folder's modification time,
// so that looking up many names in one folder stays linear.
std::vector<std::string> NamesIgnoringCase(const std::string& folder, const std::string& name);
// The same with the folder's stat result (links followed) already at hand,
// and, when `folderHandle` is not -1, the folder's open handle that result
// was taken of, through which the folder is listed.
std::vector<std::string> NamesIgnoringCase(const std::string& folder, const std::string& name,
                                           const struct stat& folderStat, int folderHandle = -1);

// Whether `name` is missing in every spelling from `folder`, told
// without looking at the disk: known only when the folder's names were
// checked against its modification time, under this path, within the short
// trust time, and only this layer changed a folder since.
enum class KnownPresence { Missing, Present, Unknown };
KnownPresence RecentPresence(const std::string& folder, const std::string& name);

// True when the name `name` names no entry in the host folder
// `folder` in any spelling, as the name cache of the folder tells: from names
// checked a moment ago, or after one look at the folder through its handle,
// instead of a lookup of the name and then the folder.  False also when that
// cannot be told.
bool SurelyMissing(const std::string& folder, const std::string& name);

// Keep the cache up to date after this layer's own changes to `folder`.
void NoteAdded(const std::string& folder, const std::string& hostName);
void NoteRemoved(const std::string& folder, const std::string& hostName);
// A rename: one look at the folder when both names are in the same one.
void NoteRenamed(const std::string& fromFolder, const std::string& fromName,
                 const std::string& toFolder, const std::string& toName);
void ClearNameCache();

// `name` upper-cased into `upper` when it is all ASCII (then its order and
// matching as upper-cased UTF-16 are those of these bytes); false otherwise.
bool AsciiUpper(std::string_view name, std::string& upper);

// The key names are compared by, as NTFS compares them: the name in UTF-16,
// upper-cased.  A host name and a name of a Windows path are both UTF-8 (a
// byte that is not UTF-8 taken as its code page 1252 character), so a host
// name that is not UTF-8 is still found through the character it means.
std::u16string NameKey(const std::string& name);

// ---------------------------------------------------------------- file facts

// The facts of the entry `hostPath` named `hostName`, from its lstat result:
// links to folders are folders with kAttrReparsePoint, links to files are
// files with the target's facts.
FileInfo InfoOf(const std::string& hostPath, const std::string& hostName, const struct stat& lst);

// stat (links followed) of the entry at `spelled` (a Spelled result) as
// spelled: through a kept handle of its folder, else through the handle of
// the folder above that, opened and kept for the names that follow.  False
// when nothing is there as spelled.
bool StatAsSpelled(const Resolved& spelled, struct stat& st);
// Where StatAsSpelled looks: the folder handle (kept in Held) and the path
// below it, or AT_FDCWD and the whole host path.
At SpelledStatPlace(const Resolved& spelled);

// Read-only as Wine shows it: no write permission bit at all.
inline bool IsReadOnlyMode(mode_t mode) { return (mode & 0222) == 0; }

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
