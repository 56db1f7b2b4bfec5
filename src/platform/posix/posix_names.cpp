// The names of recently searched folders, so that finding names without
// regard to case costs one folder listing per folder, not one per name.  An
// entry is checked against the folder's modification time on every use and
// updated by this layer's own creates, renames and deletes.
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <unordered_map>

#include "platform/posix/posix_internal.h"
#include "platform/text_encoding.h"
#include "platform/text_rules.h"

namespace plat::posix {
namespace {

constexpr size_t kMaxFolders = 8;

// The cache's key of a name: its upper-cased UTF-16 form packed into bytes,
// a unit below 0x80 as one byte, any other as three (so that distinct forms
// give distinct keys).  An ASCII name is its own key, upper-cased: short
// keys need no memory of their own, and most names are ASCII.
std::string PackKey(const std::u16string& upper) {
  std::string key;
  key.reserve(upper.size() * 3);
  for (char16_t c : upper) {
    if (c < 0x80) {
      key += static_cast<char>(c);
    } else {
      key += static_cast<char>(0xE0 | (c >> 12));
      key += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      key += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return key;
}

std::string CacheKeyOf(const std::string& name) {
  std::string key;
  if (AsciiUpper(name, key)) return key;
  return PackKey(NameKey(name));
}

// A folder's host names by their keys (names equal ignoring case share one).
using NamesByKey = std::unordered_multimap<std::string, std::string>;

void AddName(NamesByKey& names, const std::string& hostName) {
  std::string key = CacheKeyOf(hostName);
  const auto [first, last] = names.equal_range(key);
  for (auto it = first; it != last; ++it)
    if (it->second == hostName) return;
  names.emplace(std::move(key), hostName);
}

void RemoveName(NamesByKey& names, const std::string& hostName) {
  const auto [first, last] = names.equal_range(CacheKeyOf(hostName));
  for (auto it = first; it != last; ++it) {
    if (it->second == hostName) {
      names.erase(it);
      return;
    }
  }
}

struct FolderNames {
  dev_t Dev = 0;
  ino_t Ino = 0;
  struct timespec Mtime {};
  // Set after this layer's own change to the folder: its names are up to
  // date, and the next modification time seen is taken as the one that
  // change gave it.
  bool OwnChange = false;
  uint64_t LastUse = 0;
  std::string Path;  // the host path it was last looked up through
  NamesByKey Names;
};

struct Cache {
  std::vector<FolderNames> Folders;
  uint64_t Clock = 0;
};

Cache& TheCache() {
  // Never destroyed: taking apart the names of a folder of many thousand
  // files at exit would only cost time.
  static Cache& cache = *new Cache;
  return cache;
}

bool SameTime(const struct timespec& a, const struct timespec& b) {
  return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

bool ListingBefore(const std::string& a, const std::string& b) {
  return textrules::CompareNtfsNames(a, b) < 0;
}

FolderNames* Find(const struct stat& st) {
  for (FolderNames& entry : TheCache().Folders)
    if (entry.Dev == st.st_dev && entry.Ino == st.st_ino) return &entry;
  return nullptr;
}

// The cache entry of `folder`, whose stat result is `st`, read again when
// the folder changed.
FolderNames* Load(const std::string& folder, const struct stat& st) {
  if (!S_ISDIR(st.st_mode)) return nullptr;
  Cache& cache = TheCache();
  FolderNames* entry = Find(st);
  // Another folder cached under this path was replaced: its names are no
  // longer found through the path.
  for (FolderNames& other : cache.Folders)
    if (&other != entry && other.Path == folder) other.Path.clear();
  if (entry && (entry->OwnChange || SameTime(entry->Mtime, st.st_mtim))) {
    entry->Mtime = st.st_mtim;
    entry->OwnChange = false;
    entry->LastUse = ++cache.Clock;
    if (entry->Path != folder) entry->Path = folder;
    return entry;
  }
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return nullptr;
  if (!entry) {
    if (cache.Folders.size() >= kMaxFolders) {
      auto oldest = std::min_element(
          cache.Folders.begin(), cache.Folders.end(),
          [](const FolderNames& a, const FolderNames& b) { return a.LastUse < b.LastUse; });
      cache.Folders.erase(oldest);
    }
    cache.Folders.emplace_back();
    entry = &cache.Folders.back();
  }
  entry->Dev = st.st_dev;
  entry->Ino = st.st_ino;
  entry->Mtime = st.st_mtim;  // taken before reading: a change meanwhile shows next time
  entry->OwnChange = false;
  entry->LastUse = ++cache.Clock;
  entry->Path = folder;
  entry->Names.clear();
  while (const dirent* d = ::readdir(dir)) {
    std::string name = d->d_name;
    if (name != "." && name != "..") entry->Names.emplace(CacheKeyOf(name), std::move(name));
  }
  ::closedir(dir);
  return entry;
}

// The cached entry of `folder` after a change by this layer, marked so that
// its next use takes the folder's new modification time without reading it
// again; nullptr when the folder is not cached under this path.  A change
// by another program between this change and the next use goes unseen, as
// one within the same clock tick of the folder's time always could.  A
// folder cached under another path (through a link) keeps its old time and
// is read again on its next use.
FolderNames* AfterChange(const std::string& folder) {
  for (FolderNames& entry : TheCache().Folders) {
    if (entry.Path == folder) {
      entry.OwnChange = true;
      return &entry;
    }
  }
  return nullptr;
}

}  // namespace

std::vector<std::string> NamesIgnoringCase(const std::string& folder, const std::string& name) {
  struct stat st;
  if (::stat(folder.c_str(), &st) != 0) return {};
  return NamesIgnoringCase(folder, name, st);
}

std::vector<std::string> NamesIgnoringCase(const std::string& folder, const std::string& name,
                                           const struct stat& folderStat) {
  FolderNames* entry = Load(folder, folderStat);
  if (!entry) return {};
  std::vector<std::string> names;
  const auto [first, last] = entry->Names.equal_range(CacheKeyOf(name));
  for (auto it = first; it != last; ++it) names.push_back(it->second);
  if (names.size() > 1) std::sort(names.begin(), names.end(), ListingBefore);
  return names;
}

void NoteAdded(const std::string& folder, const std::string& hostName) {
  if (FolderNames* entry = AfterChange(folder)) AddName(entry->Names, hostName);
}

void NoteRemoved(const std::string& folder, const std::string& hostName) {
  if (FolderNames* entry = AfterChange(folder)) RemoveName(entry->Names, hostName);
}

void NoteRenamed(const std::string& fromFolder, const std::string& fromName,
                 const std::string& toFolder, const std::string& toName) {
  if (fromFolder != toFolder) {
    NoteRemoved(fromFolder, fromName);
    NoteAdded(toFolder, toName);
  } else if (FolderNames* entry = AfterChange(toFolder)) {
    RemoveName(entry->Names, fromName);
    AddName(entry->Names, toName);
  }
}

void ClearNameCache() { TheCache() = Cache{}; }

}  // namespace plat::posix
