// Facts about files and folders: attributes, times, sizes, and whether a
// folder exists.
#include <sys/stat.h>
#include <sys/xattr.h>
#include <time.h>

#include <cstdlib>
#include <functional>
#include <vector>

#include "platform/posix/posix_internal.h"
#include "platform/winpath.h"

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

// Whether the folder holding the last component of `windowsPath` (spelled
// out as `spelled`) is missing in every spelling from the folder above it,
// as that folder's cached names tell.  A library names thousands of folders
// side by side in one folder; one that is gone is then ruled out by the
// names of that folder, not by a lookup of each component of its path in
// every spelling.  Only for a plain full path (whose host folders follow its
// text component by component) with a folder between the drive and the
// last component.
bool HoldingFolderSurelyMissing(const std::string& windowsPath, const Resolved& spelled) {
  if (spelled.Name.empty() || !winpath::IsPlainFullPath(windowsPath)) return false;
  const size_t last = windowsPath.rfind('\\');
  if (last <= 2) return false;  // directly below the drive's root
  const size_t before = windowsPath.rfind('\\', last - 1);
  const size_t slash = spelled.Folder.rfind('/');
  if (slash == std::string::npos) return false;
  return SurelyMissing(HostParent(spelled.Folder),
                       windowsPath.substr(before + 1, last - before - 1));
}

// The folder test of a path that is not there as spelled (`spelled`):
// ruled out by the cached names of the folder above its folder where they
// tell, else looked up in other spellings.
bool FolderInOtherSpelling(const std::string& windowsPath, const Resolved& spelled) {
  if (HoldingFolderSurelyMissing(windowsPath, spelled)) return false;
  const Resolved r = Resolve(windowsPath);
  if (!r.Exists) return false;
  if (!S_ISLNK(r.Lstat.st_mode)) return S_ISDIR(r.Lstat.st_mode);
  struct stat st;
  return ::stat(r.Host.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

At SpelledStatPlace(const Resolved& spelled) {
  if (spelled.Name.empty()) return {AT_FDCWD, spelled.Host, nullptr};  // a drive root
  const std::string& folder = spelled.Folder;
  if (HeldFolder held = KeptFolderHandle(folder)) return {*held, spelled.Name, std::move(held)};
  // Else from the folder above, whose handle then serves the same name in
  // each of many folders side by side ("Pack 00001\scenery", "Pack
  // 00002\scenery", ...).
  const size_t slash = folder.rfind('/');
  if (slash != std::string::npos && slash > 0) {
    if (HeldFolder above = FolderHandle(folder.substr(0, slash))) {
      std::string below;
      below.reserve(folder.size() - slash + spelled.Name.size());
      below.append(folder, slash + 1).append(1, '/').append(spelled.Name);
      return {*above, std::move(below), std::move(above)};
    }
  }
  return {AT_FDCWD, spelled.Host, nullptr};
}

bool StatAsSpelled(const Resolved& spelled, struct stat& st) {
  const At place = SpelledStatPlace(spelled);
  return ::fstatat(place.Dir, place.Path.c_str(), &st, 0) == 0;
}

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
  // spelled first, with one stat that follows a link as the folder test
  // does: a library names tens of thousands of folders, as a rule spelled
  // as the disk spells them.  Only a path that is not there so is looked up
  // in other spellings.
  const posix::Resolved spelled = posix::Spelled(path);
  if (!spelled.Valid) return false;
  struct stat st;
  if (posix::StatAsSpelled(spelled, st)) return S_ISDIR(st.st_mode);
  return posix::FolderInOtherSpelling(path, spelled);
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
