// File locks of the posix build: open-file-description record locks on the
// first byte of a file.
#include <errno.h>
#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <memory>
#include <string>

#include "platform/posix/posix_internal.h"

namespace plat::posix {
namespace {

class PosixFileLock : public FileLock {
 public:
  explicit PosixFileLock(int fd) : fd_(fd) {}
  ~PosixFileLock() override { ::close(fd_); }  // closing the description drops its lock
  PosixFileLock(const PosixFileLock&) = delete;
  PosixFileLock& operator=(const PosixFileLock&) = delete;

 private:
  int fd_;
};

}  // namespace

int LockFirstByte(int fd) {
  struct flock range {};
  range.l_type = F_WRLCK;
  range.l_whence = SEEK_SET;
  range.l_start = 0;
  range.l_len = 1;
#ifdef F_OFD_SETLK
  if (::fcntl(fd, F_OFD_SETLK, &range) == 0) return 0;
  if (errno != EINVAL) return errno;
  range.l_pid = 0;
#endif
  // A kernel without open-file-description locks: a process lock, which the
  // program keeps by never closing another descriptor of a lock file.
  return ::fcntl(fd, F_SETLK, &range) == 0 ? 0 : errno;
}

}  // namespace plat::posix

namespace plat {

using namespace posix;

FileResult TryLockFile(const std::string& path, std::unique_ptr<FileLock>& lock) {
  lock.reset();
  const Resolved r = Resolve(path);
  if (!r.Valid || r.Name.empty()) return ResultOf(FileOutcome::BadName);
  const int fd = Sys().Open(AT_FDCWD, r.Host.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW, 0666);
  if (fd < 0) return ResultOfErrno(errno);
  if (!r.Exists) {
    NoteAdded(r.Folder, r.Name);
    MarkHidden(fd);  // so that both builds leave the same file
  }
  const int code = LockFirstByte(fd);
  if (code == 0) {
    lock = std::make_unique<PosixFileLock>(fd);
    // The lock's previous holder may have changed any folder until a moment
    // ago, within the same tick of the folder's modification time as what
    // this process read of it: what it read is read again.
    ClearNameCache();
    return {};
  }
  Sys().Close(fd);
  if (code == EAGAIN || code == EACCES) return {FileOutcome::InUse, "another program holds its lock"};
  return ResultOfErrno(code);
}

void WaitMilliseconds(uint32_t milliseconds) {
  struct timespec left {};
  left.tv_sec = static_cast<time_t>(milliseconds / 1000);
  left.tv_nsec = static_cast<long>(milliseconds % 1000) * 1000000L;
  while (::nanosleep(&left, &left) != 0 && errno == EINTR) {
  }
}

}  // namespace plat
