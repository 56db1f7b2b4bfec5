// Temporary entries of the posix build: their names, this run's lock file
// in each folder where it makes them, and the removal of what ended runs
// left behind.
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "platform/posix/posix_internal.h"
#include "platform/temp_names.h"

namespace plat::posix {
namespace {

// This run's id: the process id and a random part, so that a process id
// seen again later (or one of a Windows process under Wine) names another
// run.
const std::string& RunId() {
  static const std::string id = [] {
    std::random_device random;
    const char* digits = "0123456789abcdefghijklmnopqrstuvwxyz";
    std::string text = std::to_string(long(::getpid())) + "r";
    for (int i = 0; i < 6; ++i) text += digits[random() % 36];
    return text;
  }();
  return id;
}

// A folder where this run holds its lock file.
struct FolderLock {
  int Fd = -1;
  std::set<std::string> Live;  // this run's temporary entries in the folder
};

std::map<std::string, FolderLock>& HeldLocks() {
  static std::map<std::string, FolderLock>& held = *new std::map<std::string, FolderLock>;
  return held;
}

// Holds this run's lock file in `hostFolder`, after removing what ended
// runs left there.  False with errno set when the lock file cannot be made.
bool HoldFolderLock(const std::string& hostFolder) {
  auto& held = HeldLocks();
  if (held.count(hostFolder) != 0) return true;
  RemoveLeftovers(hostFolder);
  const std::string name = tempnames::LockName(RunId());
  for (int attempt = 0; attempt < 3; ++attempt) {
    At at = InFolder(hostFolder, name);
    const int fd = Sys().Open(at.Dir, at.Path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW, 0666);
    if (fd < 0) return false;
    const int code = LockFirstByte(fd);
    if (code != 0) {
      Sys().Close(fd);
      errno = code;
      return false;
    }
    // Another run that took this file for a leftover between its making and
    // its locking may have removed it: the lock must be on the file that
    // bears the name.
    struct stat locked, named;
    if (::fstat(fd, &locked) == 0 &&
        ::fstatat(at.Dir, at.Path.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
        locked.st_ino == named.st_ino && locked.st_dev == named.st_dev) {
      NoteAdded(hostFolder, name);
      held[hostFolder].Fd = fd;
      return true;
    }
    Sys().Close(fd);
  }
  errno = EAGAIN;
  return false;
}

// Makes a new entry in `hostFolder` under a temporary name with `make`
// (true on success, else errno set), trying further names while the one
// tried exists.  `temp` tells where the entry is found, `name` its name.
template <typename Make>
bool MakeUnderTempName(const std::string& hostFolder, At& temp, std::string& name, Make make) {
  if (!HoldFolderLock(hostFolder)) return false;
  static uint64_t counter = 0;
  for (int attempt = 0; attempt < 100; ++attempt) {
    name = tempnames::TempName(RunId(), ++counter);
    temp = InFolder(hostFolder, name);
    if (make(temp)) {
      HeldLocks()[hostFolder].Live.insert(name);
      return true;
    }
    if (errno != EEXIST) return false;
  }
  errno = EEXIST;
  return false;
}

}  // namespace

int CreateTempFile(const std::string& hostFolder, At& temp) {
  int fd = -1;
  std::string name;
  MakeUnderTempName(hostFolder, temp, name, [&fd](const At& at) {
    fd = Sys().Open(at.Dir, at.Path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666);
    return fd >= 0;
  });
  return fd;
}

bool CreateTempFolder(const std::string& hostFolder, std::string& name) {
  At temp;
  return MakeUnderTempName(hostFolder, temp, name, [](const At& at) {
    return Sys().Mkdir(at.Dir, at.Path.c_str(), 0777) == 0;
  });
}

void ForgetTemp(const std::string& hostFolder, const std::string& name) {
  if (name.compare(0, 8, ".layrix-") != 0) return;
  auto found = HeldLocks().find(hostFolder);
  if (found != HeldLocks().end()) found->second.Live.erase(name);
}

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

void RemoveLeftovers(const std::string& hostFolder) {
  // Every run of the names found, with its temporary entries.
  std::map<std::string, std::vector<std::string>> temps;
  std::set<std::string> locks;
  if (DIR* listing = ::opendir(hostFolder.c_str())) {
    std::string run;
    while (const dirent* d = ::readdir(listing)) {
      if (d->d_name[0] != '.') continue;
      switch (tempnames::Parse(d->d_name, run)) {
        case tempnames::Kind::Temp: temps[run].push_back(d->d_name); break;
        case tempnames::Kind::Lock: locks.insert(run); break;
        case tempnames::Kind::None: break;
      }
    }
    ::closedir(listing);
  }
  HeldFolder dir = FolderHandle(hostFolder);
  const int at = dir ? *dir : -1;
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
}

}  // namespace plat::posix

namespace plat {

namespace {
int keepDepth = 0;
}  // namespace

KeepTemporaryLocks::KeepTemporaryLocks() { ++keepDepth; }
KeepTemporaryLocks::~KeepTemporaryLocks() {
  if (--keepDepth == 0) ReleaseTemporaryLocks();
}

void ReleaseTemporaryLocksUnlessKept() {
  if (keepDepth == 0) ReleaseTemporaryLocks();
}

void ReleaseTemporaryLocks() {
  auto& held = posix::HeldLocks();
  for (auto it = held.begin(); it != held.end();) {
    if (!it->second.Live.empty()) {
      ++it;
      continue;
    }
    // Removed while it is still locked, so that no other run takes a lock
    // file about to go.
    const std::string name = tempnames::LockName(posix::RunId());
    posix::At at = posix::InFolder(it->first, name);
    if (posix::Sys().Unlink(at.Dir, at.Path.c_str(), 0) == 0) posix::NoteRemoved(it->first, name);
    posix::Sys().Close(it->second.Fd);
    it = held.erase(it);
  }
}

}  // namespace plat
