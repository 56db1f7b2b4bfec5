// The temporary entry of the posix build, this run's lock file in each
// folder where it makes them, and the removal of what ended runs left
// behind.
#include "platform/posix/posix_temp_entry.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/temp_names.h"

namespace plat::posix {
namespace {

// This run's id ('r' for this build, 'w' for the Windows one, so that the
// process id of a Windows process under Wine names another run).
const std::string& RunId() {
  static const std::string id = tempnames::NewRunId(uint64_t(::getpid()), 'r');
  return id;
}

// Removes the entry `name` in the folder `dir` and, for a folder, all it
// holds, read-only files included; links are removed, never followed.
// 0, or an errno value.
int RemoveTreeAt(int dir, const std::string& name) {
  struct stat st;
  if (::fstatat(dir, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return errno;
  if (!S_ISDIR(st.st_mode)) return Sys().Unlink(dir, name.c_str(), 0) == 0 ? 0 : errno;
  const int sub = ::openat(dir, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (sub < 0) return errno;
  std::vector<std::string> names;
  if (DIR* listing = ::fdopendir(::dup(sub))) {
    while (const dirent* d = ::readdir(listing))
      if (std::string(d->d_name) != "." && std::string(d->d_name) != "..")
        names.push_back(d->d_name);
    ::closedir(listing);
  }
  int first = 0;
  for (const std::string& entry : names) {
    const int code = RemoveTreeAt(sub, entry);
    if (code != 0 && first == 0) first = code;
  }
  ::close(sub);
  if (first != 0) return first;
  return Sys().Unlink(dir, name.c_str(), AT_REMOVEDIR) == 0 ? 0 : errno;
}

// Removes the temporary entries left in `hostFolder` by runs that ended
// without cleaning up, with their lock files.
void RemoveLeftovers(const std::string& hostFolder) {
  // Every run of the names found, with its temporary entries.
  std::map<std::string, std::vector<std::string>> temps;
  std::set<std::string> locks;
  if (DIR* listing = ::opendir(hostFolder.c_str())) {
    std::string run;
    while (const dirent* d = ::readdir(listing)) {
      switch (tempnames::Parse(d->d_name, run)) {
        case tempnames::Kind::Temp: temps[run].push_back(d->d_name); break;
        case tempnames::Kind::Lock: locks.insert(run); break;
        case tempnames::Kind::None: break;
      }
    }
    ::closedir(listing);
  }
  const int at = ::open(hostFolder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  if (at < 0) return;
  for (const std::string& run : locks) {
    if (run == RunId()) continue;
    // Only a lock file whose lock can be taken proves its run gone; a run
    // still at work keeps its entries.  Failures leave the entries for a
    // later run: they are not this run's work.
    const std::string lockName = tempnames::LockName(run);
    const int fd = ::openat(at, lockName.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) continue;
    if (LockFirstByte(fd) == 0) {
      for (const std::string& temp : temps[run])
        if (RemoveTreeAt(at, temp) == 0) NoteRemoved(hostFolder, temp);
      if (Sys().Unlink(at, lockName.c_str(), 0) == 0) NoteRemoved(hostFolder, lockName);
    }
    ::close(fd);
  }
  ::close(at);
}

// This run's lock file in `hostFolder`, taken after removing what ended
// runs left there, or the one held already.  Null with errno set when it
// cannot be made.
std::shared_ptr<TempFolderLock> HoldFolderLock(const std::string& hostFolder) {
  if (std::shared_ptr<TempFolderLock> held = TempFolderLock::Held(hostFolder)) return held;
  RemoveLeftovers(hostFolder);
  const std::string name = tempnames::LockName(RunId());
  for (int attempt = 0; attempt < 3; ++attempt) {
    At at = InFolder(hostFolder, name);
    const int fd = Sys().Open(at.Dir, at.Path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW, 0666);
    if (fd < 0) return nullptr;
    const int code = LockFirstByte(fd);
    if (code != 0) {
      Sys().Close(fd);
      errno = code;
      return nullptr;
    }
    // Another run that took this file for a leftover between its making and
    // its locking may have removed it: the lock must be on the file that
    // bears the name.
    struct stat locked, named;
    if (::fstat(fd, &locked) == 0 &&
        ::fstatat(at.Dir, at.Path.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
        locked.st_ino == named.st_ino && locked.st_dev == named.st_dev) {
      NoteAdded(hostFolder, name);
      return TempFolderLock::Share(hostFolder, [hostFolder, name, fd](bool keepFile) {
        // Removed while it is still locked, so that no other run takes a
        // lock file about to go.
        if (!keepFile) {
          At lockFile = InFolder(hostFolder, name);
          if (Sys().Unlink(lockFile.Dir, lockFile.Path.c_str(), 0) == 0) NoteRemoved(hostFolder, name);
        }
        Sys().Close(fd);
      });
    }
    Sys().Close(fd);
  }
  errno = EAGAIN;
  return nullptr;
}

}  // namespace
}  // namespace plat::posix

namespace plat {

using namespace posix;

template <typename Make>
bool TempEntry::Create(const std::string& hostFolder, Make make) {
  Discard();
  std::shared_ptr<TempFolderLock> lock = HoldFolderLock(hostFolder);
  if (!lock) return false;
  static uint64_t counter = 0;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string name = tempnames::TempName(RunId(), ++counter);
    At at = InFolder(hostFolder, name);
    if (make(at)) {
      folder_ = hostFolder;
      name_ = name;
      lock_ = std::move(lock);
      return true;
    }
    if (errno != EEXIST) return false;
  }
  errno = EEXIST;
  return false;
}

FileResult TempEntry::CreateFile(const std::string& hostFolder, int& fd) {
  fd = -1;
  isFolder_ = false;
  if (!Create(hostFolder, [&fd](const At& at) {
        fd = Sys().Open(at.Dir, at.Path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666);
        return fd >= 0;
      }))
    return ResultOfErrno(errno);
  return {};
}

FileResult TempEntry::CreateFolder(const std::string& hostFolder) {
  isFolder_ = true;
  if (!Create(hostFolder,
              [](const At& at) { return Sys().Mkdir(at.Dir, at.Path.c_str(), 0777) == 0; }))
    return ResultOfErrno(errno);
  NoteAdded(folder_, name_);
  return {};
}

FileResult TempEntry::Commit(const std::string& toFolder, const std::string& toName, bool replace) {
  At from = Where();
  At to = InFolder(toFolder, toName);
  const int renamed =
      replace ? Sys().Rename(from.Dir, from.Path.c_str(), to.Dir, to.Path.c_str())
              : Sys().RenameNoReplace(from.Dir, from.Path.c_str(), to.Dir, to.Path.c_str());
  if (renamed != 0) return ResultOfErrno(errno);
  if (isFolder_) {
    NoteRenamed(folder_, name_, toFolder, toName);
  } else {
    NoteAdded(toFolder, toName);  // a temporary file's own name is never noted
  }
  name_.clear();
  lock_.reset();
  return {};
}

FileResult TempEntry::Discard() {
  if (name_.empty()) return {};
  At at = Where();
  int code = isFolder_ ? RemoveTreeAt(at.Dir, at.Path)
                       : (Sys().Unlink(at.Dir, at.Path.c_str(), 0) == 0 ? 0 : errno);
  if (code == ENOENT) code = 0;  // gone already: nothing is left of it
  if (isFolder_) ClearNameCache();
  if (code != 0) lock_->KeepToTheEnd();
  name_.clear();
  lock_.reset();
  return ResultOfErrno(code);
}

}  // namespace plat
