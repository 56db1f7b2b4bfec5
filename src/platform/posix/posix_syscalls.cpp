// The table of system calls that write, rename and delete files, and small
// helpers around them.
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <unistd.h>

#include <atomic>
#include <system_error>

#include "platform/posix/posix_internal.h"

namespace plat::posix {
namespace {

int OpenCall(const char* path, int flags, mode_t mode) {
  int fd;
  do fd = ::open(path, flags | O_CLOEXEC, mode);
  while (fd < 0 && errno == EINTR);
  return fd;
}

int FsyncCall(int fd) {
  int result;
  do result = ::fsync(fd);
  while (result < 0 && errno == EINTR);
  return result;
}

int RenameNoReplaceCall(const char* from, const char* to) {
#ifdef RENAME_NOREPLACE
  int result = ::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE);
  if (result == 0 || (errno != EINVAL && errno != ENOSYS)) return result;
#endif
  // The file system cannot refuse by itself: a hard link fails on an
  // existing name; folders have no hard links, so check and rename.
  struct stat st;
  if (::lstat(from, &st) == 0 && !S_ISDIR(st.st_mode)) {
    if (::link(from, to) == 0) return ::unlink(from);
    if (errno != EPERM && errno != ENOTSUP && errno != EOPNOTSUPP) return -1;
  }
  if (::lstat(to, &st) == 0) {
    errno = EEXIST;
    return -1;
  }
  return ::rename(from, to);
}

const SysCalls kDefault = {
    OpenCall, ::read, ::write, FsyncCall, ::close, ::rename, RenameNoReplaceCall, ::unlink,
};

SysCalls gCalls = kDefault;

}  // namespace

SysCalls& Sys() { return gCalls; }
const SysCalls& DefaultSys() { return kDefault; }

void ResetCaches() {
  ResetRegistryCache();
  ClearNameCache();
  ResetPrefixCache();
}

std::string ErrnoText(int error) { return std::generic_category().message(error); }

void IgnoreFileSizeSignal() {
  static std::atomic<bool> done{false};
  if (!done.exchange(true)) ::signal(SIGXFSZ, SIG_IGN);
}

int CreateTempFile(const std::string& folder, std::string& tempPath) {
  static unsigned counter = 0;
  // Read once; O_EXCL and the retries below keep any clash harmless.
  static const long pid = long(::getpid());
  std::string base = folder == "/" ? std::string() : folder;
  for (int attempt = 0; attempt < 100; ++attempt) {
    char name[64];
    snprintf(name, sizeof name, "/.layrix-%ld-%u.tmp", pid, ++counter);
    tempPath = base + name;
    int fd = Sys().Open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
}

}  // namespace plat::posix
