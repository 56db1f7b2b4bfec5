// A file's data copied into a new file the fastest way the host allows: the
// blocks shared (FICLONE) where the file system can, which is nearly instant
// and takes no extra space; else copied inside the kernel (copy_file_range),
// so no byte passes through the program; else read and written through a
// buffer.  A way gives place to the next only on the errors that mean "not
// here"; any other error fails the copy with its errno kept.
#include <errno.h>
#include <sys/types.h>

#include <memory>

#include "platform/posix/posix_internal.h"

namespace plat::posix {
namespace {

// Errors by which the host says that a way of copying does not serve this
// pair of files (a kernel or file system without the call, files on two file
// systems, files of a kind the call does not take, a sandbox that forbids
// the call), as opposed to a fault of the copy itself (no space, an I/O
// error, a quota).  The next way then copies the data, and meets any real
// fault (a denied write, say) itself.
bool MeansNotHere(int error) {
  switch (error) {
    case ENOSYS:
    case ENOTTY:
    case EOPNOTSUPP:
#if ENOTSUP != EOPNOTSUPP
    case ENOTSUP:
#endif
    case EXDEV:
    case EINVAL:
    case EBADF:  // some file systems answer so for a file of another one
    case ETXTBSY:
    case EPERM:
    case EACCES:
      return true;
    default:
      return false;
  }
}

enum class Outcome { Done, NotHere, Fault };

Outcome ShareBlocks(int in, int out) {
  if (Sys().CloneFile(in, out) == 0) return Outcome::Done;
  return MeansNotHere(errno) ? Outcome::NotHere : Outcome::Fault;
}

// Copies inside the kernel from the current offsets on.  Once some data are
// copied, any error is a fault: a file system that copies part of a file and
// then refuses the rest is not one to trust with the rest.
Outcome CopyInKernel(int in, int out, off_t size) {
  // Steps of a gigabyte: a large file takes a few calls, and each call ends
  // in bounded time.
  constexpr size_t kStep = size_t(1) << 30;
  off_t done = 0;
  while (true) {
    ssize_t copied = Sys().CopyFileRange(in, out, kStep);
    if (copied < 0) {
      if (errno == EINTR) continue;
      // Some network file systems answer ENOENT to a copy they cannot make
      // in the kernel, and serve reading and writing.
      if (done == 0 && (MeansNotHere(errno) || errno == ENOENT)) return Outcome::NotHere;
      // The open file cannot have gone: such a server failed the copy.
      if (errno == ENOENT) errno = EIO;
      return Outcome::Fault;
    }
    if (copied == 0) {
      // Nothing at all from a file that had data: a file system whose files
      // report a size the kernel does not copy by; reading tells for sure.
      return done == 0 ? Outcome::NotHere : Outcome::Done;
    }
    done += copied;
    // A step that stops short at the size the file had is its end: no
    // further call to meet it (a file still growing is copied on to its end).
    if (size_t(copied) < kStep && done == size) return Outcome::Done;
  }
}

// Reads and writes from the current offsets on.  A short read that ends at
// the size the file had is the end: no further read to meet it (a file still
// growing is read on to its end).
bool ReadAndWrite(int in, int out, off_t size) {
  // One buffer for every copy: a large block taken and given back for each
  // small file costs more than the file.
  constexpr size_t kBuffer = 256 * 1024;
  static std::unique_ptr<char[]> buffer(new char[kBuffer]);
  off_t done = 0;
  while (true) {
    ssize_t got = Sys().Read(in, buffer.get(), kBuffer);
    if (got < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (got == 0) return true;
    if (!WriteAll(out, buffer.get(), size_t(got))) return false;
    done += got;
    if (size_t(got) < kBuffer && done == size) return true;
  }
}

}  // namespace

bool WriteAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    ssize_t written = Sys().Write(fd, data, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (written == 0) {
      errno = EIO;
      return false;
    }
    data += written;
    size -= size_t(written);
  }
  return true;
}

bool CopyFileData(int in, int out, off_t size) {
  // An empty file has nothing to share or copy: one read makes sure it is
  // still empty.
  if (size > 0) {
    Outcome shared = ShareBlocks(in, out);
    if (shared != Outcome::NotHere) return shared == Outcome::Done;
    Outcome copied = CopyInKernel(in, out, size);
    if (copied != Outcome::NotHere) return copied == Outcome::Done;
  }
  return ReadAndWrite(in, out, size);
}

}  // namespace plat::posix
