// The table of system calls that change files, and small helpers around
// them.
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#ifdef __linux__
#include <linux/fs.h>
#endif

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

int CloneFileCall(int in, int out) {
#ifdef FICLONE
  int result;
  do result = ::ioctl(out, FICLONE, in);
  while (result < 0 && errno == EINTR);
  return result;
#else
  (void)in;
  (void)out;
  errno = ENOTTY;
  return -1;
#endif
}

ssize_t CopyFileRangeCall(int in, int out, size_t count) {
#ifdef __linux__
  return ::copy_file_range(in, nullptr, out, nullptr, count, 0);
#else
  (void)in;
  (void)out;
  (void)count;
  errno = ENOSYS;
  return -1;
#endif
}

int FsetxattrCall(int fd, const char* name, const void* value, size_t size) {
  return ::fsetxattr(fd, name, value, size, 0);
}

const SysCalls kDefault = {
    .Open = OpenCall,
    .Read = ::read,
    .Write = ::write,
    .Fsync = FsyncCall,
    .Close = ::close,
    .Rename = RenameCall,
    .RenameNoReplace = RenameNoReplaceCall,
    .Unlink = ::unlinkat,
    .Mkdir = ::mkdirat,
    .CloneFile = CloneFileCall,
    .CopyFileRange = CopyFileRangeCall,
    .Fchmod = ::fchmod,
    .Fchown = ::fchown,
    .Futimens = ::futimens,
    .Fsetxattr = FsetxattrCall,
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

FileResult ResultOfErrno(int error) {
  switch (error) {
    case 0: return {};
    case ENOENT: return ResultOf(FileOutcome::Missing);
    case EEXIST: return ResultOf(FileOutcome::Exists);
    case ENOTEMPTY: return ResultOf(FileOutcome::NotEmpty);
    case EISDIR: return {FileOutcome::WrongKind, "it is a folder"};
    case ENOTDIR: return {FileOutcome::BadName, "a part of the path is a file, not a folder"};
    case ENAMETOOLONG: return {FileOutcome::BadName, "the path is too long"};
    case ELOOP: return {FileOutcome::BadName, "the path leads round in a circle of links"};
    case ENOSPC:
    case EDQUOT: return ResultOf(FileOutcome::NoSpace);
    case EFBIG: return {FileOutcome::NoSpace, "the file is larger than the space allowed"};
    case EACCES:
    case EPERM: return ResultOf(FileOutcome::Denied);
    case EROFS: return {FileOutcome::Denied, "the disk is read-only"};
    case EBUSY:
    case ETXTBSY: return ResultOf(FileOutcome::InUse);
    case EIO: return ResultOf(FileOutcome::IoError);
    default: return {FileOutcome::OtherFault, ErrnoText(error)};
  }
}

void IgnoreFileSizeSignal() {
  static std::atomic<bool> done{false};
  if (!done.exchange(true)) ::signal(SIGXFSZ, SIG_IGN);
}

}  // namespace plat::posix
