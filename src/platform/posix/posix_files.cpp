// File operations with the Windows rules, whoever runs the program:
// read-only files are neither deleted nor overwritten, a rename never
// replaces an existing name (in any letter case), only empty folders are
// removed, and a copy appears at its target whole or not at all.
#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include "platform/posix/posix_internal.h"
#include "platform/posix/posix_temp_entry.h"
#include "platform/posix/windows_rules.h"
#include "platform/text_encoding.h"
#include "platform/winpath.h"

namespace plat::posix {
namespace {

// The given spelling of the last component of a Windows path, as a host name.
std::string GivenName(const std::string& windowsPath) {
  return encoding::ToValidUtf8(winpath::ExtractFileName(FullPath(windowsPath)));
}

bool SameEntry(const Resolved& a, const Resolved& b) {
  if (a.Lstat.st_dev != b.Lstat.st_dev || a.Lstat.st_ino != b.Lstat.st_ino) return false;
  if (NameKey(a.Name) != NameKey(b.Name)) return false;
  struct stat fa, fb;
  return ::stat(a.Folder.c_str(), &fa) == 0 && ::stat(b.Folder.c_str(), &fb) == 0 &&
         fa.st_dev == fb.st_dev && fa.st_ino == fb.st_ino;
}

// Removes `name` in `folder`, whose lstat is `lst`, unless it is or leads
// to a folder or a read-only file (a broken link goes).
FileResult RemoveFileIn(const std::string& folder, const std::string& name,
                        const struct stat& lst) {
  struct stat st = lst;
  if (S_ISLNK(st.st_mode) && ::stat(JoinHost(folder, name).c_str(), &st) != 0) st = lst;
  switch (RemovalOutcome(st)) {
    case FileOutcome::WrongKind: return {FileOutcome::WrongKind, "it is a folder"};
    case FileOutcome::ReadOnly: return ResultOf(FileOutcome::ReadOnly);
    default: break;
  }
  if (Sys().Unlink(AT_FDCWD, JoinHost(folder, name).c_str(), 0) != 0) return ResultOfErrno(errno);
  NoteRemoved(folder, name);
  return {};
}

// Renames `fromName` in `fromFolder` to `toName` in `toFolder`, never over
// an existing name, and keeps the folders' names current.  0, or an errno
// value.
int RenameEntry(const std::string& fromFolder, const std::string& fromName,
                const std::string& toFolder, const std::string& toName) {
  At fromAt = InFolder(fromFolder, fromName);
  At toAt = InFolder(toFolder, toName);
  if (Sys().RenameNoReplace(fromAt.Dir, fromAt.Path.c_str(), toAt.Dir, toAt.Path.c_str()) != 0)
    return errno;
  NoteRenamed(fromFolder, fromName, toFolder, toName);
  return 0;
}

// Gives the copy `out` of the file `in` (whose stat is `source`) what
// CopyFileA carries besides the data: the last-write time, the read-only
// state and the DOS attributes that Wine keeps beside the file.  A copy
// that replaces a file (`replaced`: its stat) takes that file's mode and
// owner.  0, or an errno value.
int CarryFileFacts(int in, const struct stat& source, int out, const struct stat* replaced) {
  // A new file keeps the mode it was created with unless the source is
  // read-only.
  const bool readOnly = IsReadOnlyMode(source.st_mode);
  mode_t mode = replaced ? replaced->st_mode : 0;
  if (!replaced && readOnly) {
    struct stat created;
    if (::fstat(out, &created) != 0) return errno;
    mode = created.st_mode;
  }
  if (replaced) KeepOwner(out, *replaced);
  if (readOnly) mode &= ~mode_t(0222);
  // Set while the copy is still writable; a file system without extended
  // attributes does without.
  char attrs[64];
  const ssize_t size = ::fgetxattr(in, "user.DOSATTRIB", attrs, sizeof attrs);
  if (size > 0) (void)Sys().Fsetxattr(out, "user.DOSATTRIB", attrs, static_cast<size_t>(size));
  if ((replaced || readOnly) && Sys().Fchmod(out, mode & 07777) != 0) return errno;
  const struct timespec times[2] = {{0, UTIME_NOW}, source.st_mtim};
  if (Sys().Futimens(out, times) != 0) return errno;
  return 0;
}

// The result for a path that Resolve or Spelled did not find valid, or that
// names a drive root where an entry in a folder is meant.
FileResult NotAnEntry(const Resolved& r) {
  if (!r.Valid) return ResultOf(FileOutcome::BadName);
  return {FileOutcome::WrongKind, "it is a drive root"};
}

}  // namespace

void KeepOwner(int fd, const struct stat& old) {
  if (old.st_uid == ::geteuid() && old.st_gid == ::getegid()) return;
  // Only root may give a file away; otherwise the file stays the caller's.
  [[maybe_unused]] const int ownerKept = Sys().Fchown(fd, old.st_uid, old.st_gid);
}

void MarkHidden(int fd) {
  static constexpr char kHidden[] = "0x2";
  (void)Sys().Fsetxattr(fd, "user.DOSATTRIB", kHidden, sizeof kHidden - 1);
}

}  // namespace plat::posix

namespace plat {

using namespace posix;

FileResult MakeFolder(const std::string& path) {
  Resolved r = Resolve(path);
  if (!r.Valid || r.Name.empty()) return r.Valid && r.Exists ? ResultOf(FileOutcome::Exists) : NotAnEntry(r);
  if (r.Exists) {
    struct stat st;
    if (::stat(r.Host.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return ResultOf(FileOutcome::Exists);
    return {FileOutcome::WrongKind, "a file of that name is in the way"};
  }
  At at = AtOf(r);
  if (Sys().Mkdir(at.Dir, at.Path.c_str(), 0777) != 0) return ResultOfErrno(errno);
  NoteAdded(r.Folder, r.Name);
  return {};
}

FileResult MakeHiddenFolder(const std::string& path) {
  const FileResult made = MakeFolder(path);
  if (!made.Done()) return made;
  const Resolved r = Resolve(path);
  const int fd = Sys().Open(AT_FDCWD, r.Host.c_str(), O_RDONLY | O_DIRECTORY, 0);
  if (fd >= 0) {
    MarkHidden(fd);
    Sys().Close(fd);
  }
  return {};
}

FileResult RemoveEmptyFolder(const std::string& path) {
  Resolved r = Resolve(path);
  if (!r.Valid || r.Name.empty()) return NotAnEntry(r);
  if (!r.Exists) return ResultOf(FileOutcome::Missing);
  // A link to a folder is not a folder of its own: it is never removed.
  if (!S_ISDIR(r.Lstat.st_mode)) return {FileOutcome::WrongKind, "it is not a folder"};
  At at = AtOf(r);
  if (Sys().Unlink(at.Dir, at.Path.c_str(), AT_REMOVEDIR) != 0)
    return errno == EEXIST ? ResultOf(FileOutcome::NotEmpty) : ResultOfErrno(errno);
  NoteRemoved(r.Folder, r.Name);
  return {};
}

FileResult RemoveFile(const std::string& path) {
  Resolved r = Resolve(path);
  if (!r.Valid || r.Name.empty()) return NotAnEntry(r);
  if (!r.Exists) return ResultOf(FileOutcome::Missing);
  return RemoveFileIn(r.Folder, r.Name, r.Lstat);
}

FileResult FileCopier::Copy(const std::string& source, const std::string& target,
                            bool failIfExists, bool privateFolder) {
  IgnoreFileSizeSignal();
  int error = 0;
  int in = OpenForReading(source, error);
  if (in < 0) return ResultOfErrno(error);
  auto refuse = [in](FileResult result) {
    Sys().Close(in);
    return result;
  };
  struct stat sourceStat;
  if (::fstat(in, &sourceStat) != 0) return refuse(ResultOfErrno(errno));
  if (!S_ISREG(sourceStat.st_mode)) return refuse({FileOutcome::WrongKind, "it is not a file"});

  Resolved to = ResolveNew(target);
  if (!to.Valid || to.Name.empty()) return refuse(NotAnEntry(to));
  struct stat targetStat {};
  bool replacing = false;
  if (to.Exists) {
    if (failIfExists) return refuse(ResultOf(FileOutcome::Exists));
    At at = AtOf(to);
    if (::fstatat(at.Dir, at.Path.c_str(), &targetStat, 0) == 0) {
      replacing = true;
      switch (ReplacingOutcome(targetStat)) {
        case FileOutcome::WrongKind:
          return refuse({FileOutcome::WrongKind, "a folder of that name is in the way"});
        case FileOutcome::ReadOnly: return refuse(ResultOf(FileOutcome::ReadOnly));
        default: break;
      }
      if (sourceStat.st_dev == targetStat.st_dev && sourceStat.st_ino == targetStat.st_ino)
        return refuse({FileOutcome::OtherFault, "it is the source file itself"});
    }
  }

  // The copy goes into the target's folder under its name; for a link to a
  // file, into the file it leads to.
  std::string folder = to.Folder;
  std::string finalName = to.Name;
  if (to.Exists && S_ISLNK(to.Lstat.st_mode)) {
    const std::string finalPath = FinalTarget(to);
    folder = HostParent(finalPath);
    finalName = HostName(finalPath);
  }
  // A new file in a folder no other program sees yet is written in place:
  // the whole folder appears at once later.  Anything else goes through a
  // temporary file renamed into place.
  const bool inPlace = privateFolder && !to.Exists;
  TempEntry temp;
  At written;  // where the data go: the target itself, or the temporary file
  int out = -1;
  if (inPlace) {
    written = InFolder(folder, finalName);
    out = Sys().Open(written.Dir, written.Path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666);
  } else {
    if (const FileResult made = temp.CreateFile(folder, out); !made) return refuse(made);
    written = temp.Where();
    if (temp.Lock()) kept_ = temp.Lock();  // for the next copy into this folder
  }
  if (out < 0) return refuse(ResultOfErrno(errno));
  int code = CopyFileData(in, out, sourceStat.st_size) ? 0 : errno;
  if (code == 0) code = CarryFileFacts(in, sourceStat, out, replacing ? &targetStat : nullptr);
  Sys().Close(in);
  if (Sys().Close(out) != 0 && code == 0) code = errno;
  if (inPlace) {
    if (code != 0) Sys().Unlink(written.Dir, written.Path.c_str(), 0);
  } else if (code == 0) {
    const FileResult moved = temp.Commit(folder, finalName, replacing);
    // A target that another program made while the copy was written is not
    // replaced; unless the copy meant to keep an existing target, that is a
    // fault.
    if (moved.Outcome == FileOutcome::Exists && !to.Exists && !failIfExists)
      return {FileOutcome::InUse, "another program made it while it was being copied"};
    if (!moved) return moved;  // the temporary file goes with `temp`
  }
  if (code != 0) return ResultOfErrno(code);  // the temporary file goes with `temp`
  if (inPlace) NoteAdded(folder, finalName);
  return {};
}

StagedFolder::StagedFolder() = default;
StagedFolder::~StagedFolder() = default;

FileResult StagedFolder::Make(const std::string& parent) {
  Discard();
  const std::string folder = winpath::IncludeTrailingBackslash(parent);
  Resolved r = Resolve(folder);
  if (!r.Valid) return ResultOf(FileOutcome::BadName);
  if (!r.Exists) return ResultOf(FileOutcome::Missing);
  struct stat st;
  if (::stat(r.Host.c_str(), &st) != 0) return ResultOfErrno(errno);
  if (!S_ISDIR(st.st_mode)) return {FileOutcome::WrongKind, "it is not a folder"};
  auto entry = std::make_unique<TempEntry>();
  if (const FileResult made = entry->CreateFolder(r.Host); !made) return made;
  path_ = folder + entry->Name();
  entry_ = std::move(entry);
  return {};
}

FileResult StagedFolder::Commit(const std::string& finalPath) {
  if (!entry_) return ResultOf(FileOutcome::Missing);
  Resolved to = ResolveNew(finalPath);
  if (!to.Valid || to.Name.empty()) return NotAnEntry(to);
  if (to.Exists) return ResultOf(FileOutcome::Exists);
  if (const FileResult moved = entry_->Commit(to.Folder, to.Name, /*replace=*/false); !moved)
    return moved;
  entry_.reset();
  path_.clear();
  return {};
}

FileResult StagedFolder::Discard() {
  if (!entry_) return {};
  const FileResult dropped = entry_->Discard();
  entry_.reset();
  path_.clear();
  return dropped;
}

FileResult RenameFile(const std::string& source, const std::string& target) {
  // The common case first: the target missing in every spelling, the
  // source there as spelled, which the rename itself tells.  A source not
  // there so is looked up in other spellings below.
  {
    const Resolved to = ResolveNew(target);
    const Resolved from = Spelled(source);
    if (to.Valid && !to.Name.empty() && !to.Exists && from.Valid && !from.Name.empty()) {
      const int code = RenameEntry(from.Folder, from.Name, to.Folder, to.Name);
      if (code == 0) return {};
      if (code != ENOENT && code != ENOTDIR) return ResultOfErrno(code);
    }
  }
  Resolved from = Resolve(source);
  if (!from.Valid || from.Name.empty()) return NotAnEntry(from);
  if (!from.Exists) return ResultOf(FileOutcome::Missing);
  Resolved to = ResolveNew(target);
  if (!to.Valid || to.Name.empty()) return NotAnEntry(to);
  std::string toName = to.Name;
  if (to.Exists) {
    // Only the entry itself may be renamed to another spelling of its name.
    if (!MayRenameOnto(SameEntry(from, to))) return ResultOf(FileOutcome::Exists);
    toName = GivenName(target);
    if (toName == from.Name) return {};
  }
  return ResultOfErrno(RenameEntry(from.Folder, from.Name, to.Folder, toName));
}

}  // namespace plat
