// The table of system calls that write, rename and delete files, and small
// helpers around them.
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <string>
#include <system_error>

#include "platform/posix/posix_internal.h"

namespace plat::posix {
namespace {

int OpenCall(int dir, const char* path, int flags, mode_t mode) {
  int fd;
  do fd = ::openat(dir, path, flags | O_CLOEXEC, mode);
  while (fd < 0 && errno == EINTR);
  return fd;
}

int FsyncCall(int fd) {
  int result;
  do result = ::fsync(fd);
  while (result < 0 && errno == EINTR);
  return result;
}

int RenameCall(int fromDir, const char* from, int toDir, const char* to) {
  return ::renameat(fromDir, from, toDir, to);
}

int RenameNoReplaceCall(int fromDir, const char* from, int toDir, const char* to) {
#ifdef RENAME_NOREPLACE
  int result = ::renameat2(fromDir, from, toDir, to, RENAME_NOREPLACE);
  if (result == 0 || (errno != EINVAL && errno != ENOSYS)) return result;
#endif
  // The file system cannot refuse by itself: a hard link fails on an
  // existing name; folders have no hard links, so check and rename.
  struct stat st;
  if (::fstatat(fromDir, from, &st, AT_SYMLINK_NOFOLLOW) == 0 && !S_ISDIR(st.st_mode)) {
    if (::linkat(fromDir, from, toDir, to, 0) == 0) return ::unlinkat(fromDir, from, 0);
    if (errno != EPERM && errno != ENOTSUP && errno != EOPNOTSUPP) return -1;
  }
  if (::fstatat(toDir, to, &st, AT_SYMLINK_NOFOLLOW) == 0) {
    errno = EEXIST;
    return -1;
  }
  return ::renameat(fromDir, from, toDir, to);
}

const SysCalls kDefault = {
    OpenCall, ::read, ::write, FsyncCall, ::close, RenameCall, RenameNoReplaceCall, ::unlinkat,
};

SysCalls gCalls = kDefault;

}  // namespace

SysCalls& Sys() { return gCalls; }
const SysCalls& DefaultSys() { return kDefault; }

void ResetCaches() {
  ResetRegistryCache();
  ClearNameCache();
  ClearFolderHandles();
  ResetPrefixCache();
}

std::string ErrnoText(int error) { return std::generic_category().message(error); }

void IgnoreFileSizeSignal() {
  static std::atomic<bool> done{false};
  if (!done.exchange(true)) ::signal(SIGXFSZ, SIG_IGN);
}

namespace {

// A name for a temporary entry: hidden (a leading dot), and unique to this
// process and call.
std::string NextTempName() {
  static unsigned counter = 0;
  // Read once; O_EXCL and the retries below keep any clash harmless.
  static const long pid = long(::getpid());
  // Made without printf: a tree copy makes one per file.
  return ".layrix-" + std::to_string(pid) + "-" + std::to_string(++counter) + ".tmp";
}

// Makes a new entry in `hostFolder` under a temporary name with `make`
// (true on success, else errno set), trying further names while the one
// tried exists.  `temp` tells where the entry is found, `name` its name.
template <typename Make>
bool MakeUnderTempName(const std::string& hostFolder, At& temp, std::string& name, Make make) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    name = NextTempName();
    temp = InFolder(hostFolder, name);
    if (make(temp)) return true;
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
    return ::mkdirat(at.Dir, at.Path.c_str(), 0777) == 0;
  });
}

}  // namespace plat::posix
