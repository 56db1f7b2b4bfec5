// Folder listings (FindFirstFileA/FindNextFileA): wildcard matching ignoring
// case as NTFS does, NTFS order.
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>

#include "platform/posix/posix_internal.h"
#include "platform/text_encoding.h"
#include "platform/text_rules.h"
#include "platform/winpath.h"

namespace plat::posix {
namespace {

// '*' and '?' over upper-cased text (UTF-16, or bytes when both sides are
// ASCII).
template <typename Char>
bool Glob(std::basic_string_view<Char> mask, std::basic_string_view<Char> name) {
  using View = std::basic_string_view<Char>;
  size_t m = 0, n = 0;
  size_t starMask = View::npos, starName = 0;
  while (n < name.size()) {
    if (m < mask.size() && (mask[m] == Char('?') || mask[m] == name[n])) {
      ++m;
      ++n;
    } else if (m < mask.size() && mask[m] == Char('*')) {
      starMask = m++;
      starName = n;
    } else if (starMask != View::npos) {
      m = starMask + 1;
      n = ++starName;
    } else {
      return false;
    }
  }
  while (m < mask.size() && mask[m] == Char('*')) ++m;
  return m == mask.size();
}

// A mask ending in ".*" also matches names without that dot, as on Windows
// ("*.*" matches every name).
template <typename Char>
bool MatchesMask(std::basic_string_view<Char> mask, std::basic_string_view<Char> name) {
  if (Glob(mask, name)) return true;
  return mask.size() >= 2 && mask[mask.size() - 2] == Char('.') && mask.back() == Char('*') &&
         Glob(mask.substr(0, mask.size() - 2), name);
}

// A listed name.
struct Found {
  std::string HostName;
  unsigned char Type = DT_UNKNOWN;  // as the listing gives it
};

// Whether a folder entry of type `type` (from the listing) may be a folder:
// a file of any other kind is passed over without looking at it.
bool MayBeFolder(unsigned char type) {
  return type == DT_DIR || type == DT_LNK || type == DT_UNKNOWN;
}

// What a listing gives: every entry, the folders, or only the names of the
// folders (a folder the listing tells is one is then not looked at).
enum class Listed { Entries, Folders, FolderNames };

FileResult List(const std::string& pattern, Listed listed, FileFacts facts,
                std::vector<DirEntry>& entries) {
  const bool foldersOnly = listed != Listed::Entries;
  entries.clear();
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
    std::string exact = encoding::ToValidUtf8(mask);
    struct stat lst;
    if (std::find(names.begin(), names.end(), exact) == names.end() &&
        ::lstat(JoinHost(folder.Host, exact).c_str(), &lst) == 0)
      names.push_back(exact);
    for (std::string& name : names) found.push_back({std::move(name), DT_UNKNOWN});
  } else {
    const bool everyName = mask == "*" || mask == "*.*";
    const std::u16string maskKey = NameKey(mask);
    std::string maskAscii, nameAscii;
    const bool asciiMask = AsciiUpper(mask, maskAscii);
    DIR* dir = ::opendir(folder.Host.c_str());
    if (!dir) return errno == ENOENT ? FileResult() : ResultOfErrno(errno);
    while (const dirent* d = ::readdir(dir)) {
      std::string name = d->d_name;
      if (name == "." || name == "..") continue;
      // A name Windows cannot have is not shown, as Windows would not.
      if (winpath::HasForbiddenCharacter(name)) continue;
      if (foldersOnly && !MayBeFolder(d->d_type)) continue;
      const bool matches = everyName || (asciiMask && AsciiUpper(name, nameAscii)
                                             ? MatchesMask<char>(maskAscii, nameAscii)
                                             : MatchesMask<char16_t>(maskKey, NameKey(name)));
      if (matches) found.push_back({std::move(name), d->d_type});
    }
    ::closedir(dir);
  }
  // The order is sorted rather than the entries, which are large to move.
  std::vector<uint32_t> order(found.size());
  for (uint32_t i = 0; i < order.size(); ++i) order[i] = i;
  // NTFS order: upper-cased UTF-16 names, then bytes.
  auto before = [&found](uint32_t a, uint32_t b) {
    return textrules::CompareNtfsNames(found[a].HostName, found[b].HostName) < 0;
  };
  // Many file systems list in the order names were made, which is often
  // already the order wanted, and some (tmpfs) in the reverse of it: a pass
  // or two tells.
  auto after = [&before](uint32_t a, uint32_t b) { return before(b, a); };
  if (!std::is_sorted(order.begin(), order.end(), before)) {
    if (std::is_sorted(order.begin(), order.end(), after))
      std::reverse(order.begin(), order.end());  // names are distinct: no ties
    else
      std::sort(order.begin(), order.end(), before);
  }

  entries.reserve(found.size());
  // Host names are UTF-8 as the program's text is; one that is not (made by
  // another program) is listed with the characters its bytes mean in code
  // page 1252, under which it is found again.
  auto listedName = [](Found& f) {
    return encoding::IsAscii(f.HostName) ? std::move(f.HostName) : encoding::ToValidUtf8(f.HostName);
  };
  for (uint32_t index : order) {
    Found& f = found[index];
    if ((facts == FileFacts::KindOnly && f.Type == DT_REG) ||
        (listed == Listed::FolderNames && f.Type == DT_DIR)) {
      FileInfo info;
      info.Attributes = f.Type == DT_DIR ? kAttrDirectory : kAttrArchive;
      entries.push_back({listedName(f), info});
      continue;
    }
    std::string hostPath = JoinHost(folder.Host, f.HostName);
    struct stat lst;
    At at = InFolder(folder.Host, f.HostName);
    if (::fstatat(at.Dir, at.Path.c_str(), &lst, AT_SYMLINK_NOFOLLOW) != 0) continue;  // gone meanwhile
    FileInfo info = InfoOf(hostPath, f.HostName, lst);
    if (foldersOnly && !(info.Attributes & kAttrDirectory)) continue;
    entries.push_back({listedName(f), info});
  }
  return {};
}

}  // namespace
}  // namespace plat::posix

namespace plat {

FileResult FindEntries(const std::string& pattern, std::vector<DirEntry>& entries,
                       FileFacts facts) {
  return posix::List(pattern, posix::Listed::Entries, facts, entries);
}

FileResult FindFolders(const std::string& pattern, std::vector<DirEntry>& folders) {
  return posix::List(pattern, posix::Listed::Folders, FileFacts::All, folders);
}

FileResult FindFolderNames(const std::string& pattern, std::vector<std::string>& names) {
  names.clear();
  std::vector<DirEntry> folders;
  const FileResult listed = posix::List(pattern, posix::Listed::FolderNames, FileFacts::All, folders);
  for (DirEntry& entry : folders) names.push_back(std::move(entry.Name));
  return listed;
}

}  // namespace plat
