// Folder listings (FindFirstFileA/FindNextFileA): wildcard matching on the
// ANSI names, NTFS order.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>

#include "platform/posix/posix_internal.h"
#include "platform/text1252.h"
#include "platform/winpath.h"

namespace plat::posix {
namespace {

// '*' and '?' over upper-cased UTF-16 text.
bool Glob(std::u16string_view mask, std::u16string_view name) {
  size_t m = 0, n = 0;
  size_t starMask = std::u16string_view::npos, starName = 0;
  while (n < name.size()) {
    if (m < mask.size() && (mask[m] == u'?' || mask[m] == name[n])) {
      ++m;
      ++n;
    } else if (m < mask.size() && mask[m] == u'*') {
      starMask = m++;
      starName = n;
    } else if (starMask != std::u16string_view::npos) {
      m = starMask + 1;
      n = ++starName;
    } else {
      return false;
    }
  }
  while (m < mask.size() && mask[m] == u'*') ++m;
  return m == mask.size();
}

// A mask ending in ".*" also matches names without that dot, as on Windows
// ("*.*" matches every name).
bool MatchesMask(const std::u16string& mask, const std::u16string& name) {
  if (Glob(mask, name)) return true;
  return mask.size() >= 2 && mask.compare(mask.size() - 2, 2, u".*") == 0 &&
         Glob(std::u16string_view(mask).substr(0, mask.size() - 2), name);
}

struct Found {
  std::u16string Order;  // upper-cased UTF-16 of the host name
  std::string HostName;
  unsigned char Type = DT_UNKNOWN;  // as the listing gives it
};

std::u16string OrderKey(const std::string& hostName) {
  std::u16string key = text1252::Utf8ToUtf16(hostName);
  for (char16_t& c : key) c = text1252::UpperUtf16(c);
  return key;
}

std::string Join(const std::string& folder, const std::string& name) {
  return folder == "/" ? "/" + name : folder + "/" + name;
}

// Whether a folder entry of type `type` (from the listing) may be a folder:
// a file of any other kind is passed over without looking at it.
bool MayBeFolder(unsigned char type) {
  return type == DT_DIR || type == DT_LNK || type == DT_UNKNOWN;
}

std::vector<DirEntry> List(const std::string& pattern, bool foldersOnly, FileFacts facts) {
  if (pattern.find('\0') != std::string::npos) return {};
  std::string folderPart = winpath::ExtractFilePath(pattern);
  std::string mask = winpath::ExtractFileName(pattern);
  if (mask.empty()) return {};
  Resolved folder = Resolve(folderPart.empty() ? std::string(".") : folderPart);
  // The entry's own facts serve unless it is a link, whose target decides.
  struct stat st = folder.Lstat;
  if (!folder.Exists || (S_ISLNK(st.st_mode) && ::stat(folder.Host.c_str(), &st) != 0) ||
      !S_ISDIR(st.st_mode))
    return {};

  std::vector<Found> found;
  if (mask == "." || mask == "..") return {};
  if (mask.find_first_of("*?") == std::string::npos) {
    // A plain name: its spellings come from the name cache, not a listing.
    std::vector<std::string> names = NamesIgnoringCase(folder.Host, mask);
    std::string exact = text1252::ToUtf8(mask);
    struct stat lst;
    if (std::find(names.begin(), names.end(), exact) == names.end() &&
        ::lstat(Join(folder.Host, exact).c_str(), &lst) == 0)
      names.push_back(exact);
    for (std::string& name : names) found.push_back({OrderKey(name), std::move(name), DT_UNKNOWN});
  } else {
    std::u16string maskKey = NameKeyOfAnsi(mask);
    DIR* dir = ::opendir(folder.Host.c_str());
    if (!dir) return {};
    while (const dirent* d = ::readdir(dir)) {
      std::string name = d->d_name;
      if (name == "." || name == "..") continue;
      if (foldersOnly && !MayBeFolder(d->d_type)) continue;
      if (MatchesMask(maskKey, NameKeyOfHost(name)))
        found.push_back({OrderKey(name), std::move(name), d->d_type});
    }
    ::closedir(dir);
  }
  std::sort(found.begin(), found.end(), [](const Found& a, const Found& b) {
    if (a.Order != b.Order) return a.Order < b.Order;
    return a.HostName < b.HostName;
  });

  std::vector<DirEntry> entries;
  entries.reserve(found.size());
  for (const Found& f : found) {
    if (facts == FileFacts::KindOnly && f.Type == DT_REG) {
      FileInfo info;
      info.Attributes = kAttrArchive;
      entries.push_back({text1252::FromUtf8(f.HostName), info});
      continue;
    }
    std::string hostPath = Join(folder.Host, f.HostName);
    struct stat lst;
    At at = InFolder(folder.Host, f.HostName);
    if (::fstatat(at.Dir, at.Path.c_str(), &lst, AT_SYMLINK_NOFOLLOW) != 0) continue;  // gone meanwhile
    FileInfo info = InfoOf(hostPath, f.HostName, lst);
    if (foldersOnly && !(info.Attributes & kAttrDirectory)) continue;
    entries.push_back({text1252::FromUtf8(f.HostName), info});
  }
  return entries;
}

}  // namespace
}  // namespace plat::posix

namespace plat {

std::vector<DirEntry> FindEntries(const std::string& pattern, FileFacts facts) {
  return posix::List(pattern, false, facts);
}

std::vector<DirEntry> FindFolders(const std::string& pattern) {
  return posix::List(pattern, true, FileFacts::All);
}

}  // namespace plat
