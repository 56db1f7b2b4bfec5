// Facts about files and folders: attributes, times, sizes, and whether a
// folder exists.
#include <sys/stat.h>
#include <sys/xattr.h>
#include <time.h>

#include <cstdlib>
#include <vector>

#include "platform/posix/posix_internal.h"

namespace plat::posix {
namespace {

constexpr int64_t kUnixEpochInFileTimeSeconds = 11644473600LL;

// The DOS attributes that Wine and Samba keep in user.DOSATTRIB, as text
// such as "0x2" (Samba follows it with binary data after a NUL).  False when
// the file has none.
bool DosAttributes(const std::string& hostPath, bool followLink, uint32_t& bits) {
  char buffer[256];
  ssize_t size = followLink ? ::getxattr(hostPath.c_str(), "user.DOSATTRIB", buffer, sizeof buffer - 1)
                            : ::lgetxattr(hostPath.c_str(), "user.DOSATTRIB", buffer, sizeof buffer - 1);
  if (size < 0) return false;
  buffer[size] = '\0';
  bits = static_cast<uint32_t>(std::strtoul(buffer, nullptr, 0));
  return true;
}

// The folder test of a path that is not there as spelled (its lstat
// failed): looked up in other spellings.
bool FolderInOtherSpelling(const std::string& windowsPath) {
  const Resolved r = ResolveAbsent(windowsPath);
  if (!r.Exists) return false;
  if (!S_ISLNK(r.Lstat.st_mode)) return S_ISDIR(r.Lstat.st_mode);
  struct stat st;
  return ::stat(r.Host.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

uint64_t ToFileTime(const struct timespec& t) {
  int64_t seconds = int64_t(t.tv_sec) + kUnixEpochInFileTimeSeconds;
  if (seconds < 0) return 0;
  return uint64_t(seconds) * 10000000u + uint64_t(t.tv_nsec) / 100u;
}

FileInfo InfoOf(const std::string& hostPath, const std::string& hostName, const struct stat& lst) {
  struct stat st = lst;
  bool link = S_ISLNK(lst.st_mode);
  bool reachable = !link || ::stat(hostPath.c_str(), &st) == 0;
  if (!reachable) st = lst;  // a dangling link counts as a file of its own

  FileInfo info;
  if (reachable && S_ISDIR(st.st_mode)) {
    info.Attributes = kAttrDirectory;
    if (link) info.Attributes |= kAttrReparsePoint;
  } else {
    info.Attributes = kAttrArchive;
    info.Size = static_cast<uint64_t>(st.st_size);
  }
  if (reachable && IsReadOnlyMode(st.st_mode)) info.Attributes |= kAttrReadOnly;

  uint32_t dos = 0;
  if (reachable && DosAttributes(hostPath, link, dos)) {
    info.Attributes |= dos & (kAttrHidden | kAttrSystem);
  } else if (!hostName.empty() && hostName[0] == '.') {
    info.Attributes |= kAttrHidden;
  }

  info.CreationTime = ToFileTime(st.st_ctim);
  info.LastAccessTime = ToFileTime(st.st_atim);
  info.LastWriteTime = ToFileTime(st.st_mtim);
  return info;
}

}  // namespace plat::posix

namespace plat {

bool GetFileInfo(const std::string& path, FileInfo& info) {
  posix::Resolved r = posix::Resolve(path);
  if (!r.Exists) return false;
  info = posix::InfoOf(r.Host, r.Name, r.Lstat);
  return true;
}

bool FolderExists(const std::string& path) {
  // Only whether it is a folder counts, so none of the other facts
  // (attributes kept in extended attributes, times) are read.  The path as
  // spelled first, with one lstat (and a stat only for a link, whose
  // target must be a folder): a library names tens of thousands of
  // folders, as a rule spelled as the disk spells them.  Only a path that
  // is not there so is looked up in other spellings.
  const posix::Resolved spelled = posix::Spelled(path);
  if (!spelled.Valid) return false;
  struct stat st;
  if (::lstat(spelled.Host.c_str(), &st) == 0) {
    if (!S_ISLNK(st.st_mode)) return S_ISDIR(st.st_mode);
    return ::stat(spelled.Host.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
  }
  return posix::FolderInOtherSpelling(path);
}

bool FileExists(const std::string& path) {
  FileInfo info;
  return GetFileInfo(path, info) && !(info.Attributes & kAttrDirectory);
}

uint64_t FileTimeToLocal(uint64_t fileTime) {
  time_t now = ::time(nullptr);
  struct tm local;
  if (!::localtime_r(&now, &local)) return fileTime;
  int64_t bias = int64_t(local.tm_gmtoff) * 10000000;
  if (bias < 0 && fileTime < uint64_t(-bias)) return 0;
  return fileTime + uint64_t(bias);
}

}  // namespace plat
