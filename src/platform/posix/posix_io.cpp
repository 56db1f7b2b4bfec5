// Reading files, and replacing a file safely (temporary file, flush,
// rename).
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <utility>

#include "platform/posix/posix_internal.h"
#include "platform/posix/posix_temp_entry.h"
#include "platform/posix/windows_rules.h"
#include "platform/text_encoding.h"
#include "platform/winpath.h"

namespace plat::posix {
namespace {

class PosixInputFile : public InputFile {
 public:
  explicit PosixInputFile(int fd) : fd_(fd) {}
  ~PosixInputFile() override { ::close(fd_); }
  PosixInputFile(const PosixInputFile&) = delete;
  PosixInputFile& operator=(const PosixInputFile&) = delete;

  FileResult ReadAt(uint64_t offset, void* buffer, size_t count, size_t& done) override {
    done = 0;
    if (offset > uint64_t(LLONG_MAX)) return {};
    if (count > size_t(SSIZE_MAX)) count = size_t(SSIZE_MAX);
    char* out = static_cast<char*>(buffer);
    while (done < count) {
      ssize_t got = ::pread(fd_, out + done, count - done, off_t(offset + done));
      if (got < 0) {
        if (errno == EINTR) continue;
        return ResultOfErrno(errno);
      }
      if (got == 0) break;
      done += size_t(got);
    }
    return {};
  }

  FileResult Size(uint64_t& size) override {
    struct stat st;
    if (::fstat(fd_, &st) != 0) return ResultOfErrno(errno);
    size = uint64_t(st.st_size);
    return {};
  }

 private:
  int fd_;
};

}  // namespace

std::string RealHostPath(const std::string& hostPath) {
  char* real = ::realpath(hostPath.c_str(), nullptr);
  if (!real) return std::string();
  std::string result(real);
  ::free(real);
  return result;
}

std::string FinalTarget(const Resolved& r) {
  if (!r.Exists || !S_ISLNK(r.Lstat.st_mode)) return r.Host;
  const std::string real = RealHostPath(r.Host);
  return real.empty() ? r.Host : real;
}

int OpenForReading(const std::string& path, int& error) {
  // The path as spelled is tried first: when it opens, resolving it would
  // have found the same entry.  Only a missing one is looked up in other
  // spellings.
  const Resolved spelled = Spelled(path);
  if (!spelled.Valid) {
    error = EINVAL;
    return -1;
  }
  int fd = Sys().Open(AT_FDCWD, spelled.Host.c_str(), O_RDONLY, 0);
  if (fd < 0 && (errno == ENOENT || errno == ENOTDIR)) {
    Resolved r = Resolve(path);
    if (!r.Exists) {
      error = ENOENT;
      return -1;
    }
    fd = Sys().Open(AT_FDCWD, r.Host.c_str(), O_RDONLY, 0);
  }
  if (fd < 0) error = errno;
  return fd;
}

int ReadOpenFile(int fd, std::string& bytes, size_t largest) {
  bytes.clear();
  struct stat st;
  if (::fstat(fd, &st) != 0) return errno;
  if (S_ISDIR(st.st_mode)) return EISDIR;
  if (uint64_t(st.st_size) > largest) return EFBIG;
  bytes.reserve(size_t(st.st_size));
  char buffer[65536];
  while (true) {
    const ssize_t got = Sys().Read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return errno;
    if (got == 0) return 0;
    if (size_t(got) > largest - bytes.size()) return EFBIG;
    bytes.append(buffer, size_t(got));
  }
}

int ReadHostFile(const std::string& hostPath, std::string& bytes, bool& opened, size_t largest) {
  bytes.clear();
  opened = false;
  const int fd = ::open(hostPath.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errno;
  opened = true;
  const int error = ReadOpenFile(fd, bytes, largest);
  ::close(fd);
  if (error != 0) bytes.clear();
  return error;
}

}  // namespace plat::posix

namespace plat {

using namespace posix;

FileResult OpenInputFile(const std::string& path, std::unique_ptr<InputFile>& file) {
  // A folder is not refused here, which would cost a look at every file
  // opened: reading it fails, as opening it does on Windows.
  file.reset();
  int error = 0;
  int fd = OpenForReading(path, error);
  if (fd < 0) return ResultOfErrno(error);
  file = std::make_unique<PosixInputFile>(fd);
  return {};
}

FileResult ReadWholeFile(const std::string& path, std::string& bytes, size_t largest) {
  bytes.clear();
  int code = 0;
  const int fd = OpenForReading(path, code);
  if (fd < 0) return ResultOfErrno(code);
  code = ReadOpenFile(fd, bytes, largest);
  Sys().Close(fd);
  if (code == 0) return {};
  bytes.clear();
  if (code == EISDIR) return {FileOutcome::WrongKind, "it is a folder, not a file"};
  if (code == EFBIG) return {FileOutcome::WrongKind, "it is larger than " + SizeInWords(largest)};
  return ResultOfErrno(code);
}

FileResult WriteFileReplacing(const std::string& path, const std::string& bytes) {
  IgnoreFileSizeSignal();
  if (path.empty()) return {FileOutcome::BadName, "a file needs a name"};
  Resolved r = Resolve(path);
  if (!r.Valid || r.Name.empty()) return {FileOutcome::BadName, "not a valid file name"};

  struct stat old {};
  const bool replacing = r.Exists && ::stat(r.Host.c_str(), &old) == 0;
  switch (replacing ? ReplacingOutcome(old) : FileOutcome::Done) {
    case FileOutcome::WrongKind: return {FileOutcome::WrongKind, "it is a folder"};
    case FileOutcome::ReadOnly: return {FileOutcome::ReadOnly, "the file is read-only"};
    default: break;
  }
  // A link stays a link: the file it leads to is replaced.
  const std::string finalPath = replacing ? FinalTarget(r) : r.Host;
  const std::string folder = HostParent(finalPath);
  const std::string finalName = HostName(finalPath);

  TempEntry temp;
  int fd = -1;
  if (const FileResult made = temp.CreateFile(folder, fd); !made) return made;
  int code = 0;
  // The new file takes the mode and owner of the one it replaces.
  if (replacing && Sys().Fchmod(fd, old.st_mode & 07777) != 0) code = errno;
  if (replacing) KeepOwner(fd, old);
  if (!code && !WriteAll(fd, bytes.data(), bytes.size())) code = errno;
  if (!code && Sys().Fsync(fd) != 0) code = errno;
  if (Sys().Close(fd) != 0 && !code) code = errno;
  if (code) return ResultOfErrno(code);  // the temporary file goes with `temp`
  if (const FileResult moved = temp.Commit(folder, finalName, /*replace=*/true); !moved)
    return moved;

  // Make the rename itself durable.  The new file is in place already, so a
  // failure here is not reported.
  int dir = Sys().Open(AT_FDCWD, folder.c_str(), O_RDONLY | O_DIRECTORY, 0);
  if (dir >= 0) {
    (void)Sys().Fsync(dir);
    Sys().Close(dir);
  }
  return {};
}

}  // namespace plat
